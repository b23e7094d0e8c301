// VC-1: the first Advanced-profile sequence header of the payload.
#include <array>
#include <cstdint>
#include <string>

#include "codecs/analysers.h"
#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"
#include "codecs/start_codes.h"

namespace quarnel {
namespace {

constexpr uint8_t kSequenceHeaderCode = 0x0F;
constexpr size_t kMaxSequenceHeader = 64;  // bytes; the fields read take at most 22
constexpr uint32_t kAdvancedProfile = 3;
constexpr uint32_t kExplicitAspectRatio = 15;

// Frame rate numerator by FRAMERATENR 1 to 7 and denominator by FRAMERATEDR 1 and 2.
constexpr std::array<uint32_t, 8> kFrameRateNumerators = {0, 24000, 25000, 30000, 50000, 60000, 48000, 72000};
constexpr std::array<uint32_t, 3> kFrameRateDenominators = {0, 1000, 1001};

// A FRAMERATENR or FRAMERATEDR code: 0 is forbidden, codes beyond the table reserved.
template <size_t N>
std::optional<uint32_t> frameRateTerm(uint32_t code, const std::array<uint32_t, N>& table, MessageLog& log) {
    if (code == 0) {
        log.log("   Forbidden Frame Rate!");
        return std::nullopt;
    }
    if (code >= N) {
        log.log("   Reserved Frame Rate!");
        return std::nullopt;
    }
    return table[code];
}

}  // namespace

// The rate is found only in the display extension; a header without one, or with a forbidden
// or reserved frame rate code, gives no rate. Reading stops where the header's bytes end.
std::optional<double> analyseVc1(const AnalyserInput& in, MessageLog& log) {
    const auto at = findStartCode(in.payload, [](uint8_t b) { return b == kSequenceHeaderCode; });
    if (!at) return std::nullopt;
    std::array<uint8_t, kMaxSequenceHeader> unit;
    BitReader r(unescapeUnit(in.payload.subspan(*at), unit));

    const uint32_t profile = r.getbits(2);
    const uint32_t level = r.getbits(3);
    const uint32_t colordiff = r.getbits(2);
    r.skipbits(3 + 5 + 1);  // FRMRTQ_POSTPROC, BITRTQ_POSTPROC, POSTPROCFLAG
    const uint32_t width = r.getbits(12);
    const uint32_t height = r.getbits(12);
    const uint32_t pulldown = r.getbits(1);
    r.skipbits(4);  // INTERLACE, TFCNTRFLAG, FINTERPFLAG, reserved
    const uint32_t psf = r.getbits(1);
    const uint32_t displayExt = r.getbits(1);
    if (!r.ok()) return std::nullopt;

    log.log(profile == kAdvancedProfile ? "   Profile = Advanced" : "   Profile = Reserved");
    log.log(level <= 4 ? "   Level = " + std::to_string(level) : std::string("   Level = Reserved"));
    log.log(colordiff == 1 ? "   Chroma Format = [bl]4:2:0[/bl]" : "   Chroma Format = Reserved");
    log.log("   Size = [bl]" + std::to_string(2 * width + 2) + "[/bl]x[bl]" + std::to_string(2 * height + 2) +
            "[/bl]");
    if (psf == 1) log.log("  Progressive segmented frames.");
    if (displayExt == 0) return std::nullopt;

    const uint32_t dispWidth = r.getbits(14);
    const uint32_t dispHeight = r.getbits(14);
    if (!r.ok()) return std::nullopt;
    log.log("   Display size = [bl]" + std::to_string(dispWidth + 1) + "[/bl]x[bl]" +
            std::to_string(dispHeight + 1) + "[/bl]");

    if (r.getbits(1) == 1) {  // ASPECT_RATIO_FLAG
        const uint32_t aspect = r.getbits(4);
        if (aspect == kExplicitAspectRatio) {
            const uint32_t horizontal = r.getbits(8);
            const uint32_t vertical = r.getbits(8);
            if (!r.ok()) return std::nullopt;
            log.log("   Aspect ratio = " + std::to_string(horizontal) + ":" + std::to_string(vertical));
        } else {
            if (!r.ok()) return std::nullopt;
            log.log("   Aspect ratio = " + std::string(kAspectRatioNames[aspect]));
        }
    }

    if (r.getbits(1) == 0) return std::nullopt;  // FRAMERATE_FLAG
    if (r.getbits(1) == 1) {                     // FRAMERATEIND: the rate in 1/32 frames per second
        const uint32_t exp = r.getbits(16);
        if (!r.ok()) return std::nullopt;
        const double rate = (exp + 1) / 32.0;
        log.log("   Frame Rate = [bl]" + formatGeneral(rate) + "[/bl]");
        return rate;
    }
    const uint32_t nr = r.getbits(8);
    const uint32_t dr = r.getbits(4);
    if (!r.ok()) return std::nullopt;
    std::optional<uint32_t> numerator = frameRateTerm(nr, kFrameRateNumerators, log);
    const std::optional<uint32_t> denominator = frameRateTerm(dr, kFrameRateDenominators, log);
    if (!numerator || !denominator) return std::nullopt;
    // With pulldown the 30000/1001 display rate carries film frames at 24000/1001.
    if (pulldown == 1 && *numerator == 30000) numerator = 24000;
    const double rate = double(*numerator) / *denominator;
    log.log("   Frame Rate = [bl]" + formatGeneral(roundToThousandth(rate)) + "[/bl] (" +
            std::to_string(*numerator) + "/" + std::to_string(*denominator) + ")");
    return rate;
}

}  // namespace quarnel
