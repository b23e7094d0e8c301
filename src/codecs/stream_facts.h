// SPDX-License-Identifier: GPL-3.0-or-later
// What the analysers find in a stream's first headers, as values for programs (the JSON
// report): each only when a header gave it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quarnel {

struct StreamFacts {
    std::optional<uint32_t> width, height;  // pixels
    std::optional<double> frameRate;        // frames per second
    std::optional<uint32_t> sampleRate;     // Hz
    std::optional<uint32_t> channels;       // LFE included
    std::optional<uint32_t> bitRate;        // bit/s, nominal
    std::optional<uint32_t> bitDepth;       // bits per sample
    std::string profile;                    // "Main@High", "Advanced@L3", "High@4.1"

    bool operator==(const StreamFacts&) const = default;
};

}  // namespace quarnel
