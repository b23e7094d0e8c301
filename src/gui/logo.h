// SPDX-License-Identifier: GPL-3.0-or-later
// The program's logo, painted rather than shipped as a picture.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quarnel {

constexpr int kLogoWidth = 125;
constexpr int kLogoHeight = 56;

QPixmap paintLogo();
// The window's icon: the logo's orange face with a "Q", in the sizes desktops ask for.
QIcon paintIcon();

}  // namespace quarnel
