// SPDX-License-Identifier: GPL-3.0-or-later
// VC-1: the first Advanced-profile sequence header of the payload.
#include "codecs/vc1.h"

#include <array>
#include <cstdint>
#include <string>

#include "codecs/analysers.h"
#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"
#include "codecs/start_codes.h"
#include "report/number_text.h"

namespace quarnel {

constexpr uint8_t kVc1AdvancedProfile = 3;
namespace {

constexpr uint8_t kSequenceHeaderCode = 0x0F;
constexpr size_t kMaxSequenceHeader = 64;  // bytes; the fields read take at most 22
constexpr uint32_t kAdvancedProfile = 3;
constexpr uint32_t kExplicitAspectRatio = 15;
constexpr uint32_t kPulldownDisplayRate = 30000;
constexpr uint32_t kPulldownFilmRate = 24000;

// Frame rate numerator by FRAMERATENR 1 to 7 and denominator by FRAMERATEDR 1 and 2.
constexpr std::array<uint32_t, 8> kFrameRateNumerators = {0, 24000, 25000, 30000, 50000, 60000, 48000, 72000};
constexpr std::array<uint32_t, 3> kFrameRateDenominators = {0, 1000, 1001};

// The term a FRAMERATENR or FRAMERATEDR code stands for: 0 is forbidden, codes beyond the
// table reserved.
template <size_t N>
std::optional<uint32_t> frameRateTerm(uint32_t code, const std::array<uint32_t, N>& table) {
    if (code == 0 || code >= N) return std::nullopt;
    return table[code];
}

template <size_t N>
void reportFrameRateTerm(uint32_t code, const std::array<uint32_t, N>& table, MessageLog& log) {
    if (code == 0) {
        log.log("   Forbidden Frame Rate!");
    } else if (code >= table.size()) {
        log.log("   Reserved Frame Rate!");
    }
}

// The numerator and denominator of a rate given by codes; with pulldown the 30000/1001
// display rate carries film frames at 24000/1001.
struct Fraction {
    uint32_t numerator, denominator;
};
std::optional<Fraction> frameRateFraction(const Vc1SequenceHeader& h, const Vc1SequenceHeader::FrameRate& f) {
    std::optional<uint32_t> numerator = frameRateTerm(f.frameratenr, kFrameRateNumerators);
    const std::optional<uint32_t> denominator = frameRateTerm(f.frameratedr, kFrameRateDenominators);
    if (!numerator || !denominator) return std::nullopt;
    if (h.pulldown && *numerator == kPulldownDisplayRate) numerator = kPulldownFilmRate;
    return Fraction{*numerator, *denominator};
}

}  // namespace

std::optional<Vc1SequenceHeader> decodeVc1SequenceHeader(std::span<const uint8_t> unit) {
    std::array<uint8_t, kMaxSequenceHeader> rbdu;
    BitReader r(unescapeUnit(unit, rbdu));

    Vc1SequenceHeader h;
    h.profile = uint8_t(r.getbits(2));
    h.level = uint8_t(r.getbits(3));
    h.colordiffFormat = uint8_t(r.getbits(2));
    h.frmrtqPostproc = uint8_t(r.getbits(3));
    h.bitrtqPostproc = uint8_t(r.getbits(5));
    h.postprocflag = r.getbits(1) == 1;
    h.maxCodedWidth = uint16_t(r.getbits(12));
    h.maxCodedHeight = uint16_t(r.getbits(12));
    h.pulldown = r.getbits(1) == 1;
    h.interlace = r.getbits(1) == 1;
    h.tfcntrflag = r.getbits(1) == 1;
    h.finterpflag = r.getbits(1) == 1;
    r.skipbits(1);  // reserved
    h.psf = r.getbits(1) == 1;
    h.displayExt = r.getbits(1) == 1;
    if (!r.ok()) return std::nullopt;
    if (!h.displayExt) return h;

    Vc1SequenceHeader::DisplayExtension d;
    d.dispHorizSize = uint16_t(r.getbits(14));
    d.dispVertSize = uint16_t(r.getbits(14));
    if (!r.ok()) return h;
    h.displayExtension = d;
    auto& ext = *h.displayExtension;

    if (r.getbits(1) == 1) {  // ASPECT_RATIO_FLAG
        Vc1SequenceHeader::AspectRatio a;
        a.aspectRatio = uint8_t(r.getbits(4));
        if (a.aspectRatio == kExplicitAspectRatio) {
            a.aspectHorizSize = uint8_t(r.getbits(8));
            a.aspectVertSize = uint8_t(r.getbits(8));
        }
        if (!r.ok()) return h;
        ext.aspectRatio = a;
    }

    if (r.getbits(1) == 0) return h;  // FRAMERATE_FLAG
    Vc1SequenceHeader::FrameRate f;
    f.framerateind = r.getbits(1) == 1;
    if (f.framerateind) {
        f.framerateexp = uint16_t(r.getbits(16));
    } else {
        f.frameratenr = uint8_t(r.getbits(8));
        f.frameratedr = uint8_t(r.getbits(4));
    }
    if (!r.ok()) return h;
    ext.frameRate = f;
    return h;
}

std::optional<double> vc1FrameRate(const Vc1SequenceHeader& h) {
    if (!h.displayExtension || !h.displayExtension->frameRate) return std::nullopt;
    const Vc1SequenceHeader::FrameRate& f = *h.displayExtension->frameRate;
    if (f.framerateind) return (f.framerateexp + 1) / 32.0;  // in 1/32 frames per second
    const std::optional<Fraction> rate = frameRateFraction(h, f);
    if (!rate) return std::nullopt;
    return double(rate->numerator) / rate->denominator;
}

void reportVc1SequenceHeader(const Vc1SequenceHeader& h, MessageLog& log) {
    log.log(h.profile == kAdvancedProfile ? "   Profile = Advanced" : "   Profile = Reserved");
    log.log(h.level <= 4 ? "   Level = " + std::to_string(h.level) : std::string("   Level = Reserved"));
    log.log(h.colordiffFormat == 1 ? "   Chroma Format = [bl]4:2:0[/bl]" : "   Chroma Format = Reserved");
    log.log("   Size = [bl]" + std::to_string(2 * h.maxCodedWidth + 2) + "[/bl]x[bl]" +
            std::to_string(2 * h.maxCodedHeight + 2) + "[/bl]");
    if (h.psf) log.log("  Progressive segmented frames.");
    if (!h.displayExtension) return;

    const Vc1SequenceHeader::DisplayExtension& d = *h.displayExtension;
    log.log("   Display size = [bl]" + std::to_string(d.dispHorizSize + 1) + "[/bl]x[bl]" +
            std::to_string(d.dispVertSize + 1) + "[/bl]");
    if (d.aspectRatio) {
        const Vc1SequenceHeader::AspectRatio& a = *d.aspectRatio;
        if (a.aspectRatio == kExplicitAspectRatio) {
            log.log("   Aspect ratio = " + std::to_string(a.aspectHorizSize) + ":" +
                    std::to_string(a.aspectVertSize));
        } else {
            log.log("   Aspect ratio = " + std::string(kAspectRatioNames[a.aspectRatio]));
        }
    }
    if (!d.frameRate) return;
    const Vc1SequenceHeader::FrameRate& f = *d.frameRate;
    if (f.framerateind) {
        log.log("   Frame Rate = [bl]" + formatGeneral(*vc1FrameRate(h)) + "[/bl]");
        return;
    }
    reportFrameRateTerm(f.frameratenr, kFrameRateNumerators, log);
    reportFrameRateTerm(f.frameratedr, kFrameRateDenominators, log);
    const std::optional<Fraction> rate = frameRateFraction(h, f);
    if (!rate) return;
    log.log("   Frame Rate = [bl]" + formatGeneral(roundToThousandth(*vc1FrameRate(h))) + "[/bl] (" +
            std::to_string(rate->numerator) + "/" + std::to_string(rate->denominator) + ")");
}

// The first sequence header of the payload; reading stops where the header's bytes end.
std::optional<double> analyseVc1(const AnalyserInput& in, MessageLog& log) {
    const auto at = findStartCode(in.payload, [](uint8_t b) { return b == kSequenceHeaderCode; });
    if (!at) return std::nullopt;
    const std::optional<Vc1SequenceHeader> h = decodeVc1SequenceHeader(in.payload.subspan(*at));
    if (!h) return std::nullopt;
    reportVc1SequenceHeader(*h, log);
    if (in.facts) {
        // Coded sizes count two-pixel units, less one.
        in.facts->width = (uint32_t(h->maxCodedWidth) + 1) * 2;
        in.facts->height = (uint32_t(h->maxCodedHeight) + 1) * 2;
        in.facts->frameRate = vc1FrameRate(*h);
        in.facts->profile =
            h->profile == kVc1AdvancedProfile ? "Advanced@L" + std::to_string(h->level) : "Simple/Main";
    }
    return vc1FrameRate(*h);
}

}  // namespace quarnel
