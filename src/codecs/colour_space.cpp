// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/colour_space.h"

#include <algorithm>
#include <cmath>

namespace quarnel {
namespace {

struct Coefficients {
    double kr, kb;
};
constexpr Coefficients coefficients(ColourMatrix m) {
    return m == ColourMatrix::Bt709 ? Coefficients{0.2126, 0.0722} : Coefficients{0.299, 0.114};
}

uint8_t clampRound(double v) {
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

// Y spans 16-235 and the colour differences 16-240 around 128.
Rgb toRgb(YCrCb c, ColourMatrix m) {
    const auto [kr, kb] = coefficients(m);
    const double kg = 1.0 - kr - kb;
    const double y = (c.y - 16) * 255.0 / 219.0;
    const double cr = (c.cr - 128) * 255.0 / 224.0;
    const double cb = (c.cb - 128) * 255.0 / 224.0;
    const double r = y + 2.0 * (1.0 - kr) * cr;
    const double b = y + 2.0 * (1.0 - kb) * cb;
    const double g = (y - kr * r - kb * b) / kg;
    return {clampRound(r), clampRound(g), clampRound(b)};
}

YCrCb toYCrCb(Rgb c, ColourMatrix m) {
    const auto [kr, kb] = coefficients(m);
    const double kg = 1.0 - kr - kb;
    const double y = kr * c.r + kg * c.g + kb * c.b;  // 0-255
    const double cb = (c.b - y) / (2.0 * (1.0 - kb));
    const double cr = (c.r - y) / (2.0 * (1.0 - kr));
    return {clampRound(16 + y * 219.0 / 255.0), clampRound(128 + cr * 224.0 / 255.0),
            clampRound(128 + cb * 224.0 / 255.0)};
}

}  // namespace quarnel
