// SPDX-License-Identifier: GPL-3.0-or-later
// What a subpicture unit shows: a picture of palette indices, its palette with alpha, where it
// stands and when. Decoders fill it, the subtitle writers read it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The 16 colours a DVD or HD DVD title carries outside its 2-bit subpicture streams.
using DvdPalette = std::array<Rgb, 16>;

enum class SubpictureDepth : uint8_t { TwoBit, EightBit };

struct SubpictureEvent {
    uint64_t start = 0;  // 90 kHz ticks on the time line of the records
    uint64_t stop = 0;   // meaningful when hasStop
    bool hasStop = false;
    bool forced = false;
    SubpictureDepth depth = SubpictureDepth::TwoBit;
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels;  // width × height palette indices, row by row
    std::vector<Rgba> palette;    // 4 entries for 2-bit units, 256 for 8-bit units

    bool empty() const { return width == 0 || height == 0; }
    uint8_t at(int px, int py) const { return pixels[size_t(py) * size_t(width) + size_t(px)]; }
};

}  // namespace quarnel
