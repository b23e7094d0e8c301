// SPDX-License-Identifier: GPL-3.0-or-later
// DTS and DTS-HD: every core frame header in the payload, field by field, and the sync
// words of the channel and frequency extensions.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/dts.h"

#include "codecs/analysers.h"
#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"
#include "report/text_format.h"

namespace quarnel {
namespace {

constexpr uint32_t kCoreSync = 0x7FFE8001;
constexpr uint32_t kChannelExtensionSync = 0x5A5A5A5A;
constexpr uint32_t kFrequencyExtensionSync = 0x1D95F262;

// Channel arrangement by AMODE 0 to 15; 16 to 63 are user defined.
constexpr std::array<std::string_view, 16> kAmodeNames = {
    "A (mono)",
    "A+B (dual mono)",
    "L + R (stereo)",
    "(L+R) + (L-R) (sum-difference)",
    "LT + RT (left and right total)",
    "C + L + R",
    "L + R + S",
    "C + L + R + S",
    "L + R + Ls + Rs",
    "C + L + R + Ls + Rs",
    "CL + CR + L + R + Ls + Rs",
    "C + L + R + Lr + Rr + OV",
    "Cf + Cr + Lf + Rf + Lr + Rr",
    "CL + C + CR + L + R + Ls + Rs",
    "CL + CR + L + R + Ls1 + Ls2 + Rs1 + Rs2",
    "CL + C + CR + L + R + Ls + S + Rs",
};
constexpr std::string_view kUserDefinedAmode = "User defined";

// Sampling frequency in kHz by SFREQ.
constexpr std::array<std::string_view, 16> kSfreqNames = {
    "Invalid", "8", "16", "32", "", "", "11,025", "22,05", "44,1", "", "", "12", "24", "48", "", "",
};

// Transmission bit rate in kbit/s by RATE.
constexpr std::array<std::string_view, 32> kRateNames = {
    "32",     "56",   "64",   "96",   "112",  "128",  "192",  "224",  "256",      "320",       "384",
    "448",    "512",  "576",  "640",  "768",  "960",  "1024", "1152", "1280",     "1344",      "1408",
    "1411,2", "1472", "1536", "1920", "2048", "3072", "3840", "open", "Variable", "Loss-less",
};

// Extension audio by EXT_AUDIO_ID.
constexpr std::array<std::string_view, 8> kExtAudioNames = {
    "Channel extension",
    "Reserved",
    "Frequency extension",
    "Channel and Frequency extension",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved",
};

// LFE by LFF.
constexpr std::array<std::string_view, 4> kLffNames = {"not present", "[bl]present[/bl] (IF:128)",
                                                       "[bl]present[/bl] (IF:64)", "invalid"};

// Source PCM resolution by PCMR.
constexpr std::array<std::string_view, 8> kPcmrNames = {
    "[bl]16[/bl] bits",
    "[bl]16[/bl] bits, [bl]DTS ES[/bl]",
    "[bl]20[/bl] bits",
    "[bl]20[/bl] bits, [bl]DTS ES[/bl]",
    "",
    "[bl]24[/bl] bits, [bl]DTS ES[/bl]",
    "[bl]24[/bl] bits",
    "",
};

// Encoder revision suffix by VERNUM.
std::string_view vernumSuffix(uint32_t vernum) {
    if (vernum < 7) return ", Future rev. (compatible)";
    if (vernum == 7) return ", Current";
    return ", Future rev. (incompatible";
}

// The bytes after the sync word up to the one that holds the header's last bit: 66 bits, 82
// with the header CRC.
size_t coreHeaderBytes(const DtsCoreHeader& h) {
    return h.cpf == 1 ? 82 / 8 : 66 / 8;
}

}  // namespace

std::optional<DtsFrameSize> frameSizeOf(const DtsCoreHeader& h) {
    constexpr size_t kCoreHeaderBytes = 11;
    const uint32_t rate = kDtsSampleRates[h.sfreq & 0xF];
    const size_t bytes = size_t(h.fsize) + 1;
    if (rate == 0 || bytes < kCoreHeaderBytes) return std::nullopt;
    return DtsFrameSize{bytes, 32 * (h.nblks + 1), rate};
}

std::optional<DtsCoreHeader> decodeDtsCore(std::span<const uint8_t> frame) {
    BitReader r(frame);
    if (r.getbits(32) != kCoreSync) return std::nullopt;
    DtsCoreHeader h;
    h.ftype = r.getbits(1);
    h.shortSamples = r.getbits(5);
    h.cpf = r.getbits(1);
    h.nblks = r.getbits(7);
    h.fsize = r.getbits(14);
    h.amode = r.getbits(6);
    h.sfreq = r.getbits(4);
    h.rate = r.getbits(5);
    r.skipbits(5);  // FixedBit, DYNF, TIMEF, AUXF, HDCD
    h.extAudioId = r.getbits(3);
    h.extAudio = r.getbits(1);
    r.skipbits(1);  // ASPF
    h.lff = r.getbits(2);
    r.skipbits(1);  // HFLAG
    if (h.cpf == 1) h.hcrc = r.getbits(16);
    r.skipbits(1);  // FILTS
    h.vernum = r.getbits(4);
    r.skipbits(2);  // CHIST
    h.pcmr = r.getbits(3);
    if (!r.ok()) return std::nullopt;
    return h;
}

void reportDtsCore(const DtsCoreHeader& h, MessageLog& log) {
    log.log("   PCM core samples = " + std::to_string(h.shortSamples + 1));
    log.log("   PCM sample blocks = " + std::to_string(h.nblks + 1));
    log.log("   Primary frame byte size = " + std::to_string(h.fsize + 1));
    const std::string_view amode = h.amode < kAmodeNames.size() ? kAmodeNames[h.amode] : kUserDefinedAmode;
    log.log("   Channel arrangement = [bl]" + std::string(amode) + "[/bl]");
    log.log("   Sampling frequency = [bl]" + std::string(kSfreqNames[h.sfreq]) + "[/bl] kHz");
    log.log("   Transmission bitrate = [bl]" + std::string(kRateNames[h.rate]) + "[/bl] kbit/s");
    if (h.extAudio == 1) log.log("   Extension audio = " + std::string(kExtAudioNames[h.extAudioId]));
    log.log("   LFE channel = " + std::string(kLffNames[h.lff]));
    if (h.cpf == 1) log.log("   Header CRC = " + hexUpper(h.hcrc, 4));
    log.log("   Encoder software rev. = " + std::to_string(h.vernum) + std::string(vernumSuffix(h.vernum)));
    log.log("   Source PCM resolution = " + std::string(kPcmrNames[h.pcmr]));
}

// A core header that runs past the end of the payload is not reported: the bytes beyond
// belong to something else.
void analyseDts(const AnalyserInput& in, MessageLog& log) {
    uint32_t reg = 0;
    size_t pos = 0;
    while (pos < in.payload.size()) {
        reg = reg << 8 | in.payload[pos++];
        if (reg == kCoreSync) {
            const std::optional<DtsCoreHeader> h = decodeDtsCore(in.payload.subspan(pos - 4));
            if (!h) return;
            reportDtsCore(*h, log);
            if (in.facts && !in.facts->sampleRate) {
                if (kDtsSampleRates[h->sfreq & 0xF] != 0)
                    in.facts->sampleRate = kDtsSampleRates[h->sfreq & 0xF];
                if (kDtsBitRates[h->rate & 0x1F] != 0) in.facts->bitRate = kDtsBitRates[h->rate & 0x1F];
                if (h->amode < kDtsAmodeChannels.size())
                    in.facts->channels = kDtsAmodeChannels[h->amode] + (h->lff ? 1 : 0);
            }
            pos += coreHeaderBytes(*h);
            reg = 0;
        } else if (reg == kChannelExtensionSync) {
            log.log("   Channel extension found");
        } else if (reg == kFrequencyExtensionSync) {
            log.log("   Frequency extensiond found ([bl]96[/bl] kHz)");
        }
    }
}

}  // namespace quarnel
