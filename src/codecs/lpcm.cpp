// LPCM: no sync word; the 7-byte header of the private stream (sub-stream id first) that
// precedes the audio data describes the coding.
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

// Each line is written only when the header holds its byte.
void analyseLpcm(const AnalyserInput& in, MessageLog& log) {
    const auto h = in.privateHeader;
    if (h.size() > kFrameHeaders) log.log("   Number of frame headers = " + std::to_string(h[kFrameHeaders]));
    if (h.size() > kFirstAccessUnit + 1)
        log.log("   First acces unit pointer = " +
                hexUpper(uint32_t(h[kFirstAccessUnit]) << 8 | h[kFirstAccessUnit + 1], 4));
    if (h.size() > kFlagsAndFrame) {
        const uint8_t b = h[kFlagsAndFrame];
        log.log(std::string("   Emphasis = ") + onOff(b & 0x80) + ", mute = " + onOff(b & 0x40));
        log.log("   Frame number = " + std::to_string(b & 0x1F));
    }
    if (h.size() > kFormat) {
        const uint8_t b = h[kFormat];
        log.log("   Quantization length = [bl]" + std::string(kQuantizationNames[b >> 6]) + "[/bl] bits");
        log.log("   Sampling frequency = [bl]" + std::string(kSamplingFrequencyNames[b >> 4 & 3]) +
                "[/bl] kHz");
        log.log("   Number of audio channels = [bl]" + std::to_string((b & 7) + 1) + "[/bl]");
    }
    if (h.size() > kDynamicRange && h[kDynamicRange] != kNoDynamicRange)
        log.log("   Dynamic range = " + formatGeneral(dynamicRangeDb(h[kDynamicRange])) + " dB");
}

}  // namespace quarnel
