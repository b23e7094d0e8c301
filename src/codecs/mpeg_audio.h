// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG audio (MPEG-1 and MPEG-2 Layers I to III, as DVD-Video carries it in stream ids
// 0xC0-0xC7): a frame header decoded into its fields, then worded into report lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quarnel {

struct MpegAudioHeader {
    uint8_t version = 1;      // 1: MPEG-1; 2: MPEG-2; 25: MPEG-2.5
    uint8_t layer = 2;        // 1, 2 or 3
    uint32_t bitRate = 0;     // bit/s
    uint32_t sampleRate = 0;  // Hz
    uint8_t channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    uint32_t frameBytes = 0;  // the whole frame, header and padding included
    uint32_t samples = 0;     // per channel

    uint32_t channels() const { return channelMode == 3 ? 1 : 2; }
    // "MPEG-1 Layer II"
    std::string name() const;
};

// The header of the frame that starts `frame`; nothing when no valid header starts there (a
// free-format or reserved bit rate, a reserved layer or sampling frequency).
std::optional<MpegAudioHeader> decodeMpegAudio(std::span<const uint8_t> frame);

}  // namespace quarnel
