// LPCM: the private stream header of DVD audio, decoded into its fields and worded into report
// lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The fields of the 7-byte LPCM private header after its sub-stream id. A header may be cut
// short: each field is there only when the header holds its byte.
struct LpcmHeader {
    struct AudioFrame {
        bool audioEmphasisFlag = false;
        bool audioMuteFlag = false;
        uint8_t audioFrameNumber = 0;
    };
    struct Format {
        uint8_t quantizationWordLength = 0;  // 0: 16 bits, 1: 20, 2: 24
        uint8_t audioSamplingFrequency = 0;  // 0: 48 kHz, 1: 96
        uint8_t numberOfAudioChannels = 0;   // less one
    };
    std::optional<uint8_t> numberOfFrameHeaders;
    std::optional<uint16_t> firstAccessUnitPointer;
    std::optional<AudioFrame> audioFrame;
    std::optional<Format> format;
    std::optional<uint8_t> dynamicRangeControl;  // 0x80: none
};

// The header from the private stream header, sub-stream id first; nothing when it holds no
// byte after the id.
std::optional<LpcmHeader> decodeLpcm(std::span<const uint8_t> privateHeader);
void reportLpcm(const LpcmHeader& h, MessageLog& log);

}  // namespace quarnel
