// SPDX-License-Identifier: GPL-3.0-or-later
// Studio-range Y, Cr, Cb and full-range RGB, both ways, for the two matrices subtitle formats
// use: BT.601 (DVD and HD DVD subpicture palettes, pictures up to 576 lines) and BT.709.
#pragma once

#include <cstdint>

#include "codecs/subpicture_event.h"

namespace quarnel {

enum class ColourMatrix : uint8_t { Bt601, Bt709 };

struct YCrCb {
    uint8_t y = 16, cr = 128, cb = 128;
    friend bool operator==(const YCrCb&, const YCrCb&) = default;
};

Rgb toRgb(YCrCb c, ColourMatrix m);
YCrCb toYCrCb(Rgb c, ColourMatrix m);

}  // namespace quarnel
