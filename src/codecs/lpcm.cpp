// SPDX-License-Identifier: GPL-3.0-or-later
// LPCM: no sync word; the header of the private stream (sub-stream id first) that precedes the
// audio data describes the coding: 7 bytes on DVD-Video and HD DVD, 4 + L on DVD-Audio.
#include "codecs/lpcm.h"

#include <iterator>
#include <string>

#include "codecs/analysers.h"
#include "codecs/channel_assignments.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

// Offsets within the private header.
constexpr size_t kFrameHeaders = 1;
constexpr size_t kFirstAccessUnit = 2;  // 16 bits, big-endian
constexpr size_t kFlagsAndFrame = 4;    // bit 7 emphasis, bit 6 mute, bits 4-0 frame number
constexpr size_t kFormat = 5;           // bits 7-6 quantization, 5-4 sampling frequency, 2-0 channels - 1
constexpr size_t kDynamicRange = 6;
constexpr uint8_t kNoDynamicRange = 0x80;

const char* onOff(bool on) {
    return on ? "on" : "off";
}

// Offsets within the DVD-Audio private header.
namespace aob_at {
constexpr size_t kFirstAccessUnit = 4;  // 16 bits, big-endian
constexpr size_t kDownmix = 6;
constexpr size_t kBits = 7;   // group 1 | group 2
constexpr size_t kRates = 8;  // group 1 | group 2
constexpr size_t kChannelAssignment = 10;
}  // namespace aob_at

constexpr uint8_t kUnusedGroup = 0xF;
constexpr uint8_t kBitsByCode[] = {16, 20, 24};
struct RateCode {
    uint8_t code;
    uint32_t hertz;
};
constexpr RateCode kRates[] = {{0, 48000}, {1, 96000}, {2, 192000}, {8, 44100}, {9, 88200}, {10, 176400}};

std::string groupText(uint8_t bitsCode, uint8_t rateCode) {
    if (bitsCode == kUnusedGroup && rateCode == kUnusedGroup) return "unused";
    const auto bits = lpcmBitsOf(bitsCode);
    const auto rate = lpcmRateOf(rateCode);
    const std::string_view rateName =
        rateCode < kSamplingFrequencyNames.size() ? kSamplingFrequencyNames[rateCode] : "";
    return (bits ? "[bl]" + std::to_string(*bits) + "[/bl] bits" : "bits code " + hexUpper(bitsCode, 1)) +
           ", " +
           (rate ? "[bl]" + std::string(rateName) + "[/bl] kHz" : "frequency code " + hexUpper(rateCode, 1));
}

}  // namespace

std::optional<LpcmHeader> decodeLpcm(std::span<const uint8_t> privateHeader) {
    const auto b = privateHeader;
    if (b.size() <= kFrameHeaders) return std::nullopt;
    LpcmHeader h;
    h.numberOfFrameHeaders = b[kFrameHeaders];
    if (b.size() > kFirstAccessUnit + 1)
        h.firstAccessUnitPointer = uint16_t(b[kFirstAccessUnit] << 8 | b[kFirstAccessUnit + 1]);
    if (b.size() > kFlagsAndFrame)
        h.audioFrame = {.audioEmphasisFlag = (b[kFlagsAndFrame] & 0x80) != 0,
                        .audioMuteFlag = (b[kFlagsAndFrame] & 0x40) != 0,
                        .audioFrameNumber = uint8_t(b[kFlagsAndFrame] & 0x1F)};
    if (b.size() > kFormat)
        h.format = {.quantizationWordLength = uint8_t(b[kFormat] >> 6),
                    .audioSamplingFrequency = uint8_t(b[kFormat] >> 4 & 3),
                    .numberOfAudioChannels = uint8_t(b[kFormat] & 7)};
    if (b.size() > kDynamicRange) h.dynamicRangeControl = b[kDynamicRange];
    return h;
}

// Each line is written only when the header holds its byte.
void reportLpcm(const LpcmHeader& h, MessageLog& log) {
    if (h.numberOfFrameHeaders)
        log.log("   Number of frame headers = " + std::to_string(*h.numberOfFrameHeaders));
    if (h.firstAccessUnitPointer)
        log.log("   First acces unit pointer = " + hexUpper(*h.firstAccessUnitPointer, 4));
    if (h.audioFrame) {
        log.log(std::string("   Emphasis = ") + onOff(h.audioFrame->audioEmphasisFlag) +
                ", mute = " + onOff(h.audioFrame->audioMuteFlag));
        log.log("   Frame number = " + std::to_string(h.audioFrame->audioFrameNumber));
    }
    if (h.format) {
        log.log("   Quantization length = [bl]" +
                std::string(kQuantizationNames[h.format->quantizationWordLength]) + "[/bl] bits");
        log.log("   Sampling frequency = [bl]" +
                std::string(kSamplingFrequencyNames[h.format->audioSamplingFrequency]) + "[/bl] kHz");
        log.log("   Number of audio channels = [bl]" + std::to_string(h.format->numberOfAudioChannels + 1) +
                "[/bl]");
    }
    if (h.dynamicRangeControl && *h.dynamicRangeControl != kNoDynamicRange)
        log.log("   Dynamic range = " + formatGeneral(dynamicRangeDb(*h.dynamicRangeControl)) + " dB");
}

std::optional<uint8_t> lpcmBitsOf(uint8_t code) {
    if (code >= std::size(kBitsByCode)) return std::nullopt;
    return kBitsByCode[code];
}

std::optional<uint32_t> lpcmRateOf(uint8_t code) {
    for (const RateCode& r : kRates)
        if (r.code == code) return r.hertz;
    return std::nullopt;
}

std::optional<AobLpcmHeader> decodeAobLpcm(std::span<const uint8_t> privateHeader) {
    const auto b = privateHeader;
    if (b.size() <= aob_at::kChannelAssignment) return std::nullopt;
    AobLpcmHeader h;
    h.firstAccessUnitPointer = uint16_t(b[aob_at::kFirstAccessUnit] << 8 | b[aob_at::kFirstAccessUnit + 1]);
    h.downmixCode = b[aob_at::kDownmix];
    h.group1Bits = uint8_t(b[aob_at::kBits] >> 4);
    h.group2Bits = uint8_t(b[aob_at::kBits] & 0xF);
    h.group1Rate = uint8_t(b[aob_at::kRates] >> 4);
    h.group2Rate = uint8_t(b[aob_at::kRates] & 0xF);
    h.channelAssignment = b[aob_at::kChannelAssignment];
    return h;
}

void reportAobLpcm(const AobLpcmHeader& h, MessageLog& log) {
    log.log("   First acces unit pointer = " + hexUpper(h.firstAccessUnitPointer, 4));
    log.log("   Group 1: " + groupText(h.group1Bits, h.group1Rate));
    log.log("   Group 2: " + groupText(h.group2Bits, h.group2Rate));
    const auto assignment = channelAssignment(h.channelAssignment);
    if (!assignment) {
        log.log("   Channel assignment = [re]" + std::to_string(h.channelAssignment) + "[/re] (undefined)");
        return;
    }
    log.log("   Channel assignment = [bl]" + std::to_string(h.channelAssignment) + "[/bl] (" +
            std::string(assignment->name) + ")");
    log.log("   Number of audio channels = [bl]" + std::to_string(assignment->channels) + "[/bl]");
}

void analyseLpcm(const AnalyserInput& in, MessageLog& log) {
    StreamFacts facts;
    if (in.aobSource) {
        if (const std::optional<AobLpcmHeader> h = decodeAobLpcm(in.privateHeader)) {
            reportAobLpcm(*h, log);
            facts.bitDepth = lpcmBitsOf(h->group1Bits);
            facts.sampleRate = lpcmRateOf(h->group1Rate);
            if (const auto a = channelAssignment(h->channelAssignment)) facts.channels = a->channels;
        }
    } else if (const std::optional<LpcmHeader> h = decodeLpcm(in.privateHeader)) {
        reportLpcm(*h, log);
        if (h->format) {
            facts.bitDepth = lpcmBitsOf(h->format->quantizationWordLength);
            facts.sampleRate = lpcmRateOf(h->format->audioSamplingFrequency);
            facts.channels = h->format->numberOfAudioChannels + 1u;
        }
    }
    if (in.facts) *in.facts = facts;
}

}  // namespace quarnel
