// SPDX-License-Identifier: GPL-3.0-or-later
// How LPCM samples lie in a stream and how they are taken out of their groups: the upper
// 16 bits of every sample of a unit come first (big-endian), then the rest of each (24 bits: a
// byte each; 20 bits: a nibble each, two to a byte, the first in the high half). A unit is one
// frame of 16-bit DVD-Video samples, else two frames; on DVD-Audio each channel group has a
// block of its own in the unit, group 2's before group 1's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quarnel {

struct LpcmLayout {
    uint8_t channels = 2;
    uint8_t group1Channels = 2;                // DVD-Video and HD DVD: every channel is in group 1
    uint8_t group1Bits = 16, group2Bits = 16;  // 16, 20 or 24
    uint8_t framesPerUnit = 1;
    bool group2First = false;  // DVD-Audio

    uint8_t group2Channels() const { return uint8_t(channels - group1Channels); }
    // The word length of the un-grouped samples: the longer of the groups'.
    uint8_t outputBits() const;
    // Bytes of one un-grouped sample: 2 for 16 bits, 3 for 20 and 24.
    size_t outputSampleBytes() const { return outputBits() > 16 ? 3 : 2; }
    size_t unitBytes() const;
};

struct LpcmStreamFormat {
    LpcmLayout layout;
    uint32_t sampleRate = 0;
    std::optional<uint8_t> channelAssignment;  // DVD-Audio's 0-20
};

// The format that the private header of a packet (sub-stream id first; a DVD-Audio header
// when `aob`) describes; raises QuarnelError with the reason when it describes no format whose
// samples can be un-grouped into one interleaved stream.
LpcmStreamFormat lpcmFormatOf(std::span<const uint8_t> privateHeader, bool aob);

// One unit of layout.unitBytes() bytes into framesPerUnit x channels samples, interleaved in the
// stream's channel order (group 1's channels first), little-endian, outputSampleBytes() each,
// with the sample's bits at the top of the container.
void ungroupLpcm(const LpcmLayout& layout, const uint8_t* unit, uint8_t* out);

}  // namespace quarnel
