// SPDX-License-Identifier: GPL-3.0-or-later
// Dolby Digital (AC-3) and Dolby Digital Plus (E-AC-3): the first syncframe header of the
// payload, told apart by its bsid.
#include "codecs/dolby.h"

#include <array>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"

namespace quarnel {
namespace {

constexpr uint16_t kSyncword = 0x0B77;
constexpr size_t kHeaderBytes = 7;  // the syncword and the five bytes read after it

// Audio blocks per frame by numblkscod.
constexpr std::array<uint32_t, 4> kBlocksPerFrame = {1, 2, 3, 6};

// Channel arrangement by acmod.
constexpr std::array<std::string_view, 8> kAcmodNames = {
    "dual mono", "mono",          "L + R",           "L + R + C",
    "L + R + S", "L + R + C + S", "L + R + Ls + Rs", "L + R + C + Ls + Rs",
};

bool isDolbyDigitalPlus(uint32_t bsid) {
    return bsid >= 11 && bsid <= 16;
}

// The header's bytes when the frame begins with the syncword and holds them all. In both
// codings bsid is the top five bits of the sixth byte.
std::optional<std::span<const uint8_t>> headerBytes(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderBytes || (frame[0] << 8 | frame[1]) != kSyncword) return std::nullopt;
    return frame.first(kHeaderBytes);
}

// Sample rate in Hz by fscod; 0 = invalid.
uint32_t sampleRate(uint8_t fscod) {
    return kAc3SampleRates[fscod];
}

// The reduced sample rates of E-AC-3 in Hz by fscod2, when fscod is 3; 0 = reserved.
constexpr std::array<uint32_t, 4> kEac3ReducedSampleRates = {24000, 22050, 16000, 0};

// An E-AC-3 frame's sample rate: by fscod, or by fscod2 when fscod is 3.
uint32_t sampleRate(const Eac3Header& h) {
    return h.fscod == 3 ? kEac3ReducedSampleRates[h.numblkscod] : sampleRate(h.fscod);
}

// Audio blocks per E-AC-3 frame: at the reduced rates there are always six, and the bits of
// numblkscod hold fscod2.
uint32_t blocksPerFrame(const Eac3Header& h) {
    return h.fscod == 3 ? 6 : kBlocksPerFrame[h.numblkscod];
}

// Nominal AC-3 bit rate in bit/s by frmsizecod; 0 = invalid.
uint32_t ac3BitRate(uint8_t frmsizecod) {
    return frmsizecod / 2u < kAc3BitRates.size() ? kAc3BitRates[frmsizecod / 2u] : 0;
}

// An E-AC-3 bit rate in bit/s: the frame's bits over the duration of its blocks, 256 samples
// each at the frame's sample rate; 0 when the rate is reserved.
uint32_t eac3BitRate(const Eac3Header& h) {
    const uint64_t frameBits = (h.frmsiz + 1u) * 2u * 8u;
    return uint32_t(frameBits * sampleRate(h) / (256u * blocksPerFrame(h)));
}

// Whether a header's rates are valid; after the first valid header the payload is not read on.
bool hasValidRates(const Ac3Header& h) {
    return sampleRate(h.fscod) != 0 && ac3BitRate(h.frmsizecod) != 0;
}
bool hasValidRates(const Eac3Header& h) {
    return sampleRate(h) != 0;
}

// The seventh byte holds acmod (3 bits), cmixlev when there are three front channels,
// surmixlev when there is a surround channel, dsurmod for L + R (2 bits each), then lfeon.
bool ac3Lfeon(uint8_t b) {
    const uint8_t acmod = b >> 5;
    int bit = 3;
    if ((acmod & 1) && acmod != 1) bit += 2;
    if (acmod & 4) bit += 2;
    if (acmod == 2) bit += 2;
    return (b >> (7 - bit) & 1) != 0;
}

// Full-range channels by acmod (dual mono counts two).
constexpr std::array<uint32_t, 8> kAcmodChannels = {2, 1, 2, 3, 3, 4, 4, 5};

StreamFacts factsOf(const Ac3Header& h) {
    StreamFacts f;
    if (sampleRate(h.fscod) != 0) f.sampleRate = sampleRate(h.fscod);
    if (ac3BitRate(h.frmsizecod) != 0) f.bitRate = ac3BitRate(h.frmsizecod);
    f.channels = kAcmodChannels[h.acmod & 7] + (h.lfeon ? 1 : 0);
    return f;
}

StreamFacts factsOf(const Eac3Header& h) {
    StreamFacts f;
    if (sampleRate(h) != 0) {
        f.sampleRate = sampleRate(h);
        f.bitRate = eac3BitRate(h);
    }
    f.channels = kAcmodChannels[h.acmod & 7] + (h.lfeon ? 1 : 0);
    return f;
}

}  // namespace

std::optional<DolbyFrameSize> frameSizeOf(const Ac3Header& h) {
    const uint32_t rate = sampleRate(h.fscod), bitRate = ac3BitRate(h.frmsizecod);
    if (rate == 0 || bitRate == 0) return std::nullopt;
    // 1536 samples: words = 96 × bit rate / sample rate, one more for the odd codes of 44.1 kHz.
    const uint32_t words = 96 * bitRate / rate + (h.fscod == 1 ? h.frmsizecod & 1u : 0u);
    return DolbyFrameSize{words * 2u, 1536, rate};
}

std::optional<DolbyFrameSize> frameSizeOf(const Eac3Header& h) {
    const uint32_t rate = sampleRate(h);
    if (rate == 0) return std::nullopt;
    return DolbyFrameSize{(h.frmsiz + 1u) * 2u, 256 * blocksPerFrame(h), rate};
}

std::optional<Ac3Header> decodeAc3(std::span<const uint8_t> frame) {
    const auto b = headerBytes(frame);
    if (!b || isDolbyDigitalPlus((*b)[5] >> 3)) return std::nullopt;
    const auto& f = *b;
    return Ac3Header{.crc1 = uint16_t(f[2] << 8 | f[3]),
                     .fscod = uint8_t(f[4] >> 6),
                     .frmsizecod = uint8_t(f[4] & 0x3F),
                     .bsid = uint8_t(f[5] >> 3),
                     .bsmod = uint8_t(f[5] & 7),
                     .acmod = uint8_t(f[6] >> 5),
                     .lfeon = ac3Lfeon(f[6])};
}

std::optional<Eac3Header> decodeEac3(std::span<const uint8_t> frame) {
    const auto b = headerBytes(frame);
    if (!b || !isDolbyDigitalPlus((*b)[5] >> 3)) return std::nullopt;
    const auto& f = *b;
    return Eac3Header{.strmtyp = uint8_t(f[2] >> 6),
                      .substreamid = uint8_t(f[2] >> 3 & 7),
                      .frmsiz = uint16_t((f[2] & 7) << 8 | f[3]),
                      .fscod = uint8_t(f[4] >> 6),
                      .numblkscod = uint8_t(f[4] >> 4 & 3),
                      .acmod = uint8_t(f[4] >> 1 & 7),
                      .lfeon = (f[4] & 1) != 0,
                      .bsid = uint8_t(f[5] >> 3)};
}

void reportEac3(const Eac3Header& h, int streamIndex, MessageLog& log) {
    log.log("   Stream " + std::to_string(streamIndex) + " is [b]Dolby Digital Plus[/b]");
    log.log("   frame size = " + std::to_string((h.frmsiz + 1u) * 2) +
            " bytes, number of blocks per frame = " + std::to_string(blocksPerFrame(h)));
    log.log("   Sampling frequency = [bl]" + formatGeneral(sampleRate(h) / 1000.0) + "[/bl] kHz");
    log.log("   Transmission bitrate = [bl]" + std::to_string(eac3BitRate(h) / 1000) + "[/bl] kbit/s");
    log.log("   Channel arrangement = [bl]" + std::string(kAcmodNames[h.acmod]) +
            "[/bl], bsid = " + std::to_string(h.bsid));
    log.log(std::string("   LFE channel = [bl]") + (h.lfeon ? "present" : "not present") + "[/bl]");
}

void reportAc3(const Ac3Header& h, int streamIndex, MessageLog& log) {
    log.log("   Stream " + std::to_string(streamIndex) + " is [b]Dolby Digital[/b]");
    log.log("   Sampling frequency = [bl]" + formatGeneral(sampleRate(h.fscod) / 1000.0) + "[/bl] kHz");
    log.log("   Transmission bitrate = [bl]" + std::to_string(ac3BitRate(h.frmsizecod) / 1000) +
            "[/bl] kbit/s");
    log.log("   Channel arrangement = [bl]" + std::string(kAcmodNames[h.acmod]) +
            "[/bl], bsid = " + std::to_string(h.bsid) + ", bsmod =" + std::to_string(h.bsmod));
}

// Each syncword starts a header; an invalid one (bad sample rate or bit rate code) is reported
// too, and the search for the next syncword goes on after its last byte, while after the first
// valid header the rest of the payload is not read. Bytes inside a header are always header
// bytes, even when two of them read 0B 77. A header that the payload ends inside is not reported.
void analyseDolby(const AnalyserInput& in, MessageLog& log) {
    const auto p = in.payload;
    size_t i = 0;
    while (i + 1 < p.size()) {
        if ((p[i] << 8 | p[i + 1]) != kSyncword) {
            ++i;
            continue;
        }
        const auto frame = p.subspan(i);
        if (const std::optional<Eac3Header> h = decodeEac3(frame)) {
            reportEac3(*h, in.index, log);
            if (in.facts) *in.facts = factsOf(*h);
            if (hasValidRates(*h)) return;
        } else if (const std::optional<Ac3Header> h = decodeAc3(frame)) {
            reportAc3(*h, in.index, log);
            if (in.facts) *in.facts = factsOf(*h);
            if (hasValidRates(*h)) return;
        } else {
            return;
        }
        i += kHeaderBytes - 1;  // the last byte of the header may begin the next syncword
    }
}

}  // namespace quarnel
