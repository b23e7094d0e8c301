// SPDX-License-Identifier: GPL-3.0-or-later
// The log's colours on the desktop's palette: on a light pane the log's own blue and red, on a
// dark one lighter tints of the same hues that read at least as well as body text must.
#pragma once

#include <QColor>
#include <cstdint>

namespace quarnel {

// The least contrast a coloured run of the log keeps against a dark pane.
constexpr double kLogContrast = 4.5;

// The contrast ratio of two colours, from their relative luminance (1 ... 21).
double contrastRatio(const QColor& a, const QColor& b);

// The colour a run of `rgb` (0xRRGGBB) is drawn in on a pane of `background`.
QColor logColourOn(uint32_t rgb, const QColor& background);

}  // namespace quarnel
