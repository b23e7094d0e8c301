// SPDX-License-Identifier: GPL-3.0-or-later
// MLP and Dolby TrueHD: the format fields after a major sync, decoded and worded into report
// lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The major sync info of an MLP stream (sync word F8 72 6F BB): the four bytes after the sync
// word, each field there only when the bytes reach it. (The two bytes after them hold the
// format's signature B7 52, the same in every stream: nothing to report.)
struct MlpMajorSync {
    std::optional<uint8_t> quantizationWordLength;  // byte 1, bits 7-4: 0 = 16 bits, 1 = 20, 2 = 24
    std::optional<uint8_t> audioSamplingFrequency;  // byte 2, bits 7-4
    std::optional<uint8_t> channelAssignment;       // byte 4, bits 4-0
};

// The major sync info of a Dolby TrueHD stream (sync word F8 72 6F BA), likewise.
struct TrueHdMajorSync {
    // The 2- and 6-channel presentations, bytes 2 and 3.
    struct SixChannelPresentation {
        uint8_t ch2PresentationChannelModifier = 0;
        uint8_t ch6PresentationChannelModifier = 0;
        uint8_t ch6PresentationChannelAssignment = 0;  // a bit per channel group, bit 0 first
    };
    // The 8-channel presentation, bytes 3 and 4.
    struct EightChannelPresentation {
        uint8_t ch8PresentationChannelModifier = 0;
        uint16_t ch8PresentationChannelAssignment = 0;
    };
    std::optional<uint8_t> audioSamplingFrequency;  // byte 1, bits 7-4
    std::optional<SixChannelPresentation> sixChannelPresentation;
    std::optional<EightChannelPresentation> eightChannelPresentation;
};

// The channels of the largest presentation a TrueHD major sync describes (8, else 6, else the
// 2-channel one), LFE included.
uint32_t trueHdChannels(const TrueHdMajorSync& h);

// The fields of a major sync from its sync word on; nothing when the bytes do not begin with
// the sync word of the kind.
std::optional<MlpMajorSync> decodeMlpMajorSync(std::span<const uint8_t> frame);
std::optional<TrueHdMajorSync> decodeTrueHdMajorSync(std::span<const uint8_t> frame);

// The lines of the fields that are there, in the order of the bytes that hold them.
void reportMlpMajorSync(const MlpMajorSync& h, MessageLog& log);
void reportTrueHdMajorSync(const TrueHdMajorSync& h, MessageLog& log);

}  // namespace quarnel
