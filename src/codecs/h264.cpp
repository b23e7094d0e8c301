// SPDX-License-Identifier: GPL-3.0-or-later
// H.264: the first sequence parameter set of the payload with its VUI.
#include "codecs/h264.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"
#include "codecs/start_codes.h"
#include "report/number_text.h"

namespace quarnel {
namespace {

constexpr uint8_t kNalTypeMask = 0x9F;  // forbidden_zero_bit and nal_unit_type
constexpr uint8_t kSpsNalType = 0x07;
constexpr size_t kMaxSps = 2048;  // bytes; enough for twelve full scaling lists
constexpr double kDefaultFrameRate = 24000.0 / 1001;
constexpr uint32_t kExtendedSar = 255;
constexpr uint32_t kLevel1b = 11;

struct Profile {
    uint32_t idc;
    std::string_view line;
};
constexpr std::array<Profile, 7> kProfiles = {{
    {66, "   Profile = Baseline "},
    {77, "   Profile = Main"},
    {88, "   Profile = Extended"},
    {100, "   Profile = High"},
    {110, "   Profile = High 10"},
    {122, "   Profile = High 4:2:2"},
    {144, "   Profile = High 4:4:4"},
}};
constexpr std::string_view kUnknownProfile = "   Profile = Unknown";

// The profiles whose SPS carries chroma format, bit depths and scaling matrices.
constexpr std::array<uint32_t, 14> kHighProfiles = {100, 110, 122, 244, 44,  83,  86,
                                                    118, 128, 138, 139, 134, 135, 144};

constexpr std::array<std::string_view, 4> kChromaFormatNames = {"monochrome", "4:2:0", "4:2:2", "4:4:4"};

constexpr std::array<std::string_view, 8> kVideoFormatNames = {
    "Component", "PAL", "NTSC", "SECAM", "MAC", "Unspecified", "", "",
};

std::string_view profileLine(uint32_t idc) {
    for (const Profile& p : kProfiles)
        if (p.idc == idc) return p.line;
    return kUnknownProfile;
}

bool isSpsNalHeader(uint8_t b) {
    return (b & kNalTypeMask) == kSpsNalType && (b & 0x60) != 0;
}

// Skips one scaling_list() of the given size: delta-coded scales until a zero next scale.
void skipScalingList(BitReader& r, int size) {
    int lastScale = 8;
    int nextScale = 8;
    for (int j = 0; j < size && r.ok(); ++j) {
        if (nextScale != 0) nextScale = (lastScale + r.readse() + 256) % 256;
        lastScale = nextScale == 0 ? lastScale : nextScale;
    }
}

// The VUI as far as the timing info; each part is kept only when read whole.
H264Sps::Vui readVui(BitReader& r) {
    H264Sps::Vui vui;
    if (r.getbits(1) == 1) {  // aspect_ratio_info_present_flag
        H264Sps::Vui::AspectRatio a;
        a.aspectRatioIdc = r.getbits(8);
        if (a.aspectRatioIdc == kExtendedSar) {
            a.sarWidth = r.getbits(16);
            a.sarHeight = r.getbits(16);
            if (!r.ok()) return vui;
        } else if (a.aspectRatioIdc < kAspectRatioNames.size()) {
            if (!r.ok()) return vui;
        }
        vui.aspectRatio = a;
    }
    if (r.getbits(1) == 1) r.skipbits(1);  // overscan_info_present_flag, overscan_appropriate_flag
    if (r.getbits(1) == 1) {               // video_signal_type_present_flag
        const uint32_t format = r.getbits(3);
        if (!r.ok()) return vui;
        vui.videoFormat = format;
        r.skipbits(1);                             // video_full_range_flag
        if (r.getbits(1) == 1) r.skipbits(3 * 8);  // colour primaries, transfer, matrix
    }
    if (r.getbits(1) == 1) {  // chroma_loc_info_present_flag
        r.readue();
        r.readue();
    }
    if (r.getbits(1) == 0) return vui;  // timing_info_present_flag
    H264Sps::Vui::Timing t;
    t.numUnitsInTick = r.getbits(32);
    t.timeScale = r.getbits(32);
    if (!r.ok()) return vui;
    vui.timing = t;
    return vui;
}

// The frame size in luma samples less the cropping. Crop offsets count chroma samples: two
// luma samples wide for 4:2:0 and 4:2:2, two high for 4:2:0, and twice that high again when
// the map units are fields.
struct FrameSize {
    int64_t width, height;
};
FrameSize frameSize(const H264Sps& sps) {
    const H264Sps::Frame& f = *sps.frame;
    const uint32_t chromaFormatIdc = sps.chromaFormat ? sps.chromaFormat->chromaFormatIdc : 1;
    const int64_t mapUnitRows = f.frameMbsOnlyFlag ? 1 : 2;
    int64_t width = (int64_t(f.picWidthInMbsMinus1) + 1) * 16;
    int64_t height = mapUnitRows * (int64_t(f.picHeightInMapUnitsMinus1) + 1) * 16;
    if (f.frameCroppingFlag) {
        const int64_t cropUnitX = chromaFormatIdc == 1 || chromaFormatIdc == 2 ? 2 : 1;
        const int64_t cropUnitY = (chromaFormatIdc == 1 ? 2 : 1) * mapUnitRows;
        width -= cropUnitX * (int64_t(f.frameCropLeftOffset) + f.frameCropRightOffset);
        height -= cropUnitY * (int64_t(f.frameCropTopOffset) + f.frameCropBottomOffset);
    }
    return {width, height};
}

}  // namespace

std::optional<H264Sps> decodeH264Sps(std::span<const uint8_t> nalUnit) {
    std::array<uint8_t, kMaxSps> rbsp;
    BitReader r(unescapeUnit(nalUnit, rbsp));

    H264Sps sps;
    sps.profileIdc = r.getbits(8);
    r.skipbits(3);  // constraint_set0_flag to constraint_set2_flag
    sps.constraintSet3Flag = r.getbits(1) == 1;
    r.skipbits(4);  // constraint_set4_flag, constraint_set5_flag, reserved_zero_2bits
    sps.levelIdc = r.getbits(8);
    if (!r.ok()) return std::nullopt;
    sps.seqParameterSetId = r.readue();

    if (std::ranges::find(kHighProfiles, sps.profileIdc) != kHighProfiles.end()) {
        H264Sps::ChromaFormat c;
        c.chromaFormatIdc = r.readue();
        if (c.chromaFormatIdc == 3) c.separateColourPlaneFlag = r.getbits(1) == 1;
        c.bitDepthLumaMinus8 = r.readue();
        c.bitDepthChromaMinus8 = r.readue();
        if (!r.ok() || c.chromaFormatIdc > 3) return sps;
        c.qpprimeYZeroTransformBypassFlag = r.getbits(1) == 1;
        c.seqScalingMatrixPresentFlag = r.getbits(1) == 1;
        if (c.seqScalingMatrixPresentFlag) {
            const int lists = c.chromaFormatIdc == 3 ? 12 : 8;
            for (int i = 0; i < lists && r.ok(); ++i)
                if (r.getbits(1) == 1) skipScalingList(r, i < 6 ? 16 : 64);  // seq_scaling_list_present_flag
        }
        sps.chromaFormat = c;
    }

    H264Sps::Frame f;
    f.log2MaxFrameNumMinus4 = r.readue();
    f.picOrderCntType = r.readue();
    if (f.picOrderCntType == 0) {
        r.readue();  // log2_max_pic_order_cnt_lsb_minus4
    } else if (f.picOrderCntType == 1) {
        r.skipbits(1);  // delta_pic_order_always_zero_flag
        r.readse();     // offset_for_non_ref_pic
        r.readse();     // offset_for_top_to_bottom_field
        const uint32_t cycle = r.readue();
        for (uint32_t i = 0; i < cycle && r.ok(); ++i) r.readse();
    }
    f.maxNumRefFrames = r.readue();
    f.gapsInFrameNumValueAllowedFlag = r.getbits(1) == 1;
    f.picWidthInMbsMinus1 = r.readue();
    f.picHeightInMapUnitsMinus1 = r.readue();
    f.frameMbsOnlyFlag = r.getbits(1) == 1;
    if (!f.frameMbsOnlyFlag) f.mbAdaptiveFrameFieldFlag = r.getbits(1) == 1;
    f.direct8x8InferenceFlag = r.getbits(1) == 1;
    f.frameCroppingFlag = r.getbits(1) == 1;
    if (f.frameCroppingFlag) {
        f.frameCropLeftOffset = r.readue();
        f.frameCropRightOffset = r.readue();
        f.frameCropTopOffset = r.readue();
        f.frameCropBottomOffset = r.readue();
    }
    if (!r.ok()) return sps;
    sps.frame = f;

    if (r.getbits(1) == 0 || !r.ok()) return sps;  // vui_parameters_present_flag
    sps.vui = readVui(r);
    return sps;
}

double h264FrameRate(const H264Sps& sps) {
    if (!sps.vui || !sps.vui->timing) return kDefaultFrameRate;
    const H264Sps::Vui::Timing& t = *sps.vui->timing;
    if (t.numUnitsInTick == 0 || t.timeScale == 0) return kDefaultFrameRate;
    return double(t.timeScale) / (2.0 * t.numUnitsInTick);  // a tick is one field
}

void reportH264Sps(const H264Sps& sps, MessageLog& log) {
    log.log(profileLine(sps.profileIdc));
    log.log(sps.levelIdc == kLevel1b && sps.constraintSet3Flag
                ? std::string("   Level = 1b")
                : "   Level = " + std::to_string(sps.levelIdc / 10) + "." +
                      std::to_string(sps.levelIdc % 10));
    if (sps.chromaFormat) {
        const H264Sps::ChromaFormat& c = *sps.chromaFormat;
        log.log("   Chroma format = [bl]" + std::string(kChromaFormatNames[c.chromaFormatIdc]) +
                "[/bl]  (l, c) = " + std::to_string(c.bitDepthLumaMinus8 + 8) + ", " +
                std::to_string(c.bitDepthChromaMinus8 + 8) + " bit");
    }
    if (!sps.frame) return;
    const FrameSize size = frameSize(sps);
    log.log("   Size = [bl]" + std::to_string(size.width) + "[/bl]x[bl]" + std::to_string(size.height) +
            "[/bl]");
    if (!sps.vui) return;

    const H264Sps::Vui& vui = *sps.vui;
    if (vui.aspectRatio) {
        const H264Sps::Vui::AspectRatio& a = *vui.aspectRatio;
        if (a.aspectRatioIdc == kExtendedSar) {
            log.log("   Aspect ratio = " + std::to_string(a.sarWidth) + ":" + std::to_string(a.sarHeight));
        } else if (a.aspectRatioIdc < kAspectRatioNames.size()) {
            log.log("   Aspect ratio = " + std::string(kAspectRatioNames[a.aspectRatioIdc]));
        }
    }
    if (vui.videoFormat) log.log("   Video format = " + std::string(kVideoFormatNames[*vui.videoFormat]));
    if (!vui.timing) return;
    log.log("   Time scale = " + std::to_string(vui.timing->timeScale / 1000000) + " MHz");
    if (vui.timing->numUnitsInTick == 0 || vui.timing->timeScale == 0) return;
    log.log("   Frame rate = " + formatGeneral(roundToThousandth(h264FrameRate(sps))) + " fps");
}

// The rate comes from the VUI timing when the SPS has it, and is 24000/1001 otherwise.
std::optional<double> analyseH264(const AnalyserInput& in, MessageLog& log) {
    const auto at = findStartCode(in.payload, isSpsNalHeader);
    if (!at) return kDefaultFrameRate;
    const std::optional<H264Sps> sps = decodeH264Sps(in.payload.subspan(*at));
    if (!sps) return kDefaultFrameRate;
    reportH264Sps(*sps, log);
    if (in.facts) {
        StreamFacts& facts = *in.facts;
        if (sps->frame) {
            const FrameSize size = frameSize(*sps);
            if (size.width > 0 && size.height > 0)
                facts.width = uint32_t(size.width), facts.height = uint32_t(size.height);
        }
        facts.frameRate = h264FrameRate(*sps);
        std::string_view name = kUnknownProfile;
        for (const Profile& p : kProfiles)
            if (p.idc == sps->profileIdc) name = p.line;
        name.remove_prefix(name.find('=') + 2);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        facts.profile = std::string(name) + "@" + std::to_string(sps->levelIdc / 10) + "." +
                        std::to_string(sps->levelIdc % 10);
    }
    return h264FrameRate(*sps);
}

}  // namespace quarnel
