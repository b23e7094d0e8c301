// SPDX-License-Identifier: GPL-3.0-or-later
// The video frame rates subtitle formats name: the rate itself, its name in BDN XML, its code
// in a PGS composition segment, and the whole frames per second time codes count.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel {

struct FrameRate {
    std::string_view name;
    uint32_t numerator, denominator;  // frames per second
    uint8_t pgsCode;
    uint32_t timecodeFrames;  // frames per second of time codes (24 for 23.976)
};

inline constexpr FrameRate kFrameRates[] = {
    {"23.976", 24000, 1001, 0x10, 24}, {"24", 24, 1, 0x20, 24}, {"25", 25, 1, 0x30, 25},
    {"29.97", 30000, 1001, 0x40, 30},  {"50", 50, 1, 0x60, 50}, {"59.94", 60000, 1001, 0x70, 60},
};

inline constexpr const FrameRate& kFilmRate = kFrameRates[0];

constexpr std::optional<FrameRate> frameRateNamed(std::string_view name) {
    for (const FrameRate& r : kFrameRates)
        if (r.name == name) return r;
    return std::nullopt;
}

}  // namespace quarnel
