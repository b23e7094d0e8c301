// The program's logo, painted rather than shipped as a picture.
#pragma once

#include <QPixmap>

namespace quarnel {

constexpr int kLogoWidth = 125;
constexpr int kLogoHeight = 56;

QPixmap paintLogo();

}  // namespace quarnel
