// SPDX-License-Identifier: GPL-3.0-or-later
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

// The DVD-Audio LPCM header of an AOB: sub-stream id, continuity counter, header length, then
// the fields below. Word lengths and sampling frequencies are codes (see the functions after).
struct AobLpcmHeader {
    uint16_t firstAccessUnitPointer = 0;
    uint8_t downmixCode = 0;
    uint8_t group1Bits = 0, group2Bits = 0;  // 0: 16, 1: 20, 2: 24, 0xF: unused
    uint8_t group1Rate = 0,
            group2Rate = 0;         // 0: 48 kHz, 1: 96, 2: 192, 8: 44.1, 9: 88.2, 0xA: 176.4, 0xF: unused
    uint8_t channelAssignment = 0;  // 0-20
};

// The header from the private stream header, sub-stream id first; nothing when it is too short
// to hold the channel assignment.
std::optional<AobLpcmHeader> decodeAobLpcm(std::span<const uint8_t> privateHeader);
void reportAobLpcm(const AobLpcmHeader& h, MessageLog& log);

// Bits per sample of a word length code, sampling frequency in Hz of a frequency code; nothing
// for "unused" and undefined codes.
std::optional<uint8_t> lpcmBitsOf(uint8_t code);
std::optional<uint32_t> lpcmRateOf(uint8_t code);

}  // namespace quarnel
