// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/log_colours.h"

#include <algorithm>
#include <cmath>

namespace quarnel {
namespace {

double luminance(const QColor& c) {
    const auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor logColourOn(uint32_t rgb, const QColor& background) {
    const QColor own(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF));
    if (background.lightnessF() >= 0.5) return own;
    // Mixed toward white in small steps: the hue stays, the first tint that reads is taken.
    constexpr int kSteps = 40;
    for (int step = 0; step <= kSteps; ++step) {
        const double t = double(step) / kSteps;
        const QColor tint = QColor::fromRgbF(float(own.redF() + (1 - own.redF()) * t),
                                             float(own.greenF() + (1 - own.greenF()) * t),
                                             float(own.blueF() + (1 - own.blueF()) * t));
        if (contrastRatio(tint, background) >= kLogContrast) return tint;
    }
    return Qt::white;
}

}  // namespace quarnel
