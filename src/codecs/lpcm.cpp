// LPCM: no sync word; the 7-byte header of the private stream (sub-stream id first) that
// precedes the audio data describes the coding.
#include "codecs/lpcm.h"

#include <string>

#include "codecs/analysers.h"
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

void analyseLpcm(const AnalyserInput& in, MessageLog& log) {
    if (const std::optional<LpcmHeader> h = decodeLpcm(in.privateHeader)) reportLpcm(*h, log);
}

}  // namespace quarnel
