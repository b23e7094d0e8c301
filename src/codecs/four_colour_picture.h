// SPDX-License-Identifier: GPL-3.0-or-later
// An event's picture in the four pixel values a 2-bit unit holds. A 2-bit event keeps its
// values and colours. An 8-bit event keeps value 0 for its background (every pixel less than
// half opaque) and values 1-3 for its three most used more-than-half-opaque palette entries;
// every other opaque pixel takes the nearest of those three, so colour is lost.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codecs/subpicture_event.h"

namespace quarnel {

struct FourColourPicture {
    std::vector<uint8_t> pixels;  // values 0-3, the event's size
    std::array<Rgba, 4> shades{};
    bool reduced = false;  // colours were merged
};

FourColourPicture fourColourPicture(const SubpictureEvent& e);

}  // namespace quarnel
