// MLP and Dolby TrueHD: every major sync in the payload, with the format fields after it.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"

namespace quarnel {
namespace {

constexpr uint32_t kTrueHdSync = 0xF8726FBA;
constexpr uint32_t kMlpSync = 0xF8726FBB;

// The names of the set bits of an assignment, lowest bit first, joined with ", ".
std::string assignmentList(uint32_t bits, std::span<const std::string_view> groups) {
    std::string list;
    for (size_t i = 0; i < groups.size(); ++i) {
        if ((bits >> i & 1) == 0) continue;
        if (!list.empty()) list += ", ";
        list += groups[i];
    }
    return list;
}

// The range bytes that follow the format fields: nothing when the first is 0x80.
void logDynamicRange(uint8_t first, uint8_t second, MessageLog& log) {
    if (first == 0x80) return;
    log.log("   Dynamic range control = " + formatGeneral(dynamicRangeDb(first)) + " dB .. " +
            formatGeneral(dynamicRangeDb(second)) + " dB");
}

}  // namespace

void analyseMlp(const AnalyserInput& in, MessageLog& log) {
    uint32_t reg = 0;
    int mlpCountdown = 0;
    int trueHdCountdown = 0;
    uint8_t previous = 0;
    uint32_t m2 = 0, m6 = 0, m8 = 0, a6 = 0;
    for (const uint8_t b : in.payload) {
        reg = reg << 8 | b;
        if (reg == kTrueHdSync) {
            log.log("   [b]TrueHD[/b] stream (up to 8 channels)");
            trueHdCountdown = 6;
        } else if (reg == kMlpSync) {
            log.log("   [b]Standard MLP[/b] stream (up to 6 channels) ");
            mlpCountdown = 6;
        } else if (mlpCountdown > 0) {
            // The bytes after the sync word, counted from 1: byte 1 quantization, byte 2 sampling
            // frequency, byte 4 channel arrangement, bytes 5 and 6 dynamic range.
            switch (--mlpCountdown) {
                case 5:
                    log.log("   Quantization length = [bl]" + std::string(kQuantizationNames[b >> 4]) +
                            "[/bl] bits");
                    break;
                case 4:
                    log.log("   Sampling frequency = [bl]" + std::string(kSamplingFrequencyNames[b >> 4]) +
                            "[/bl] kHz");
                    break;
                case 2:
                    log.log("   Channel arrangement = [bl]" +
                            std::string(kChannelArrangementNames[b & 0x1F]) + "[/bl]");
                    break;
                case 0:
                    logDynamicRange(previous, b, log);
                    break;
            }
        } else if (trueHdCountdown > 0) {
            // Byte 1 sampling frequency; bytes 2 to 4 the channel modifiers of the 2-, 6- and
            // 8-channel presentations with the 5-bit and 13-bit channel assignments; bytes 5 and 6
            // dynamic range.
            switch (--trueHdCountdown) {
                case 5:
                    log.log("   Sampling frequency = [bl]" + std::string(kSamplingFrequencyNames[b >> 4]) +
                            "[/bl] kHz");
                    break;
                case 4:
                    m2 = b >> 6;
                    m6 = b >> 4 & 3;
                    a6 = (b & 0x0Fu) << 1;
                    break;
                case 3:
                    a6 |= b >> 7;
                    m8 = b >> 5 & 3;
                    log.log("   2 ch. decoder");
                    log.log("      channel modifier = " + std::string(kChannelModifierNames[m2]));
                    log.log("   6 ch. decoder");
                    log.log("      channel modifier = " + std::string(kChannelModifierNames[m6]));
                    log.log("      channel arrangement = [bl]" + assignmentList(a6, kSixChannelGroups) +
                            "[/bl]");
                    break;
                case 2: {
                    const uint32_t a8 = (previous & 0x1Fu) << 8 | b;
                    log.log("   8 ch. decoder");
                    log.log("      channel modifier = " + std::string(kChannelModifierNames[m8]));
                    log.log("      channel arrangement = [bl]" + assignmentList(a8, kEightChannelGroups) +
                            "[/bl]");
                    break;
                }
                case 0:
                    logDynamicRange(previous, b, log);
                    break;
            }
        }
        previous = b;
    }
}

}  // namespace quarnel
