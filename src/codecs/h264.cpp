// H.264: the first sequence parameter set of the payload with its VUI.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/analysers.h"
#include "codecs/bit_reader.h"
#include "codecs/name_tables.h"
#include "report/number_text.h"
#include "codecs/start_codes.h"

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

// Reads the VUI as far as the timing info and returns the frame rate it gives, if any.
std::optional<double> readVui(BitReader& r, MessageLog& log) {
    if (r.getbits(1) == 1) {  // aspect_ratio_info_present_flag
        const uint32_t idc = r.getbits(8);
        if (idc == kExtendedSar) {
            const uint32_t sarWidth = r.getbits(16);
            const uint32_t sarHeight = r.getbits(16);
            if (!r.ok()) return std::nullopt;
            log.log("   Aspect ratio = " + std::to_string(sarWidth) + ":" + std::to_string(sarHeight));
        } else if (idc < kAspectRatioNames.size()) {
            if (!r.ok()) return std::nullopt;
            log.log("   Aspect ratio = " + std::string(kAspectRatioNames[idc]));
        }
    }
    if (r.getbits(1) == 1) r.skipbits(1);  // overscan_info_present_flag, overscan_appropriate_flag
    if (r.getbits(1) == 1) {               // video_signal_type_present_flag
        const uint32_t format = r.getbits(3);
        if (!r.ok()) return std::nullopt;
        log.log("   Video format = " + std::string(kVideoFormatNames[format]));
        r.skipbits(1);                             // video_full_range_flag
        if (r.getbits(1) == 1) r.skipbits(3 * 8);  // colour primaries, transfer, matrix
    }
    if (r.getbits(1) == 1) {  // chroma_loc_info_present_flag
        r.readue();
        r.readue();
    }
    if (r.getbits(1) == 0) return std::nullopt;  // timing_info_present_flag
    const uint32_t numUnitsInTick = r.getbits(32);
    const uint32_t timeScale = r.getbits(32);
    if (!r.ok()) return std::nullopt;
    log.log("   Time scale = " + std::to_string(timeScale / 1000000) + " MHz");
    if (numUnitsInTick == 0 || timeScale == 0) return std::nullopt;
    // A tick is one field: a frame lasts two.
    const double rate = double(timeScale) / (2.0 * numUnitsInTick);
    log.log("   Frame rate = " + formatGeneral(roundToThousandth(rate)) + " fps");
    return rate;
}

}  // namespace

// The rate comes from the VUI timing when the SPS has it, and is 24000/1001 otherwise.
// Reading stops where the SPS ends or an invalid code is met.
std::optional<double> analyseH264(const AnalyserInput& in, MessageLog& log) {
    const auto at = findStartCode(in.payload, isSpsNalHeader);
    if (!at) return kDefaultFrameRate;
    std::array<uint8_t, kMaxSps> rbsp;
    BitReader r(unescapeUnit(in.payload.subspan(*at), rbsp));

    const uint32_t profileIdc = r.getbits(8);
    r.skipbits(3);  // constraint_set0_flag to constraint_set2_flag
    const uint32_t constraintSet3 = r.getbits(1);
    r.skipbits(4);
    const uint32_t levelIdc = r.getbits(8);
    if (!r.ok()) return kDefaultFrameRate;
    log.log(profileLine(profileIdc));
    log.log(levelIdc == kLevel1b && constraintSet3 == 1
                ? std::string("   Level = 1b")
                : "   Level = " + std::to_string(levelIdc / 10) + "." + std::to_string(levelIdc % 10));
    r.readue();  // seq_parameter_set_id

    uint32_t chromaFormatIdc = 1;
    if (std::ranges::find(kHighProfiles, profileIdc) != kHighProfiles.end()) {
        chromaFormatIdc = r.readue();
        if (chromaFormatIdc == 3) r.skipbits(1);  // separate_colour_plane_flag
        const uint32_t lumaDepth = r.readue() + 8;
        const uint32_t chromaDepth = r.readue() + 8;
        if (!r.ok() || chromaFormatIdc > 3) return kDefaultFrameRate;
        log.log("   Chroma format = [bl]" + std::string(kChromaFormatNames[chromaFormatIdc]) +
                "[/bl]  (l, c) = " + std::to_string(lumaDepth) + ", " + std::to_string(chromaDepth) + " bit");
        r.skipbits(1);            // qpprime_y_zero_transform_bypass_flag
        if (r.getbits(1) == 1) {  // seq_scaling_matrix_present_flag
            const int lists = chromaFormatIdc == 3 ? 12 : 8;
            for (int i = 0; i < lists && r.ok(); ++i)
                if (r.getbits(1) == 1) skipScalingList(r, i < 6 ? 16 : 64);
        }
    }

    r.readue();  // log2_max_frame_num_minus4
    const uint32_t picOrderCntType = r.readue();
    if (picOrderCntType == 0) {
        r.readue();  // log2_max_pic_order_cnt_lsb_minus4
    } else if (picOrderCntType == 1) {
        r.skipbits(1);  // delta_pic_order_always_zero_flag
        r.readse();     // offset_for_non_ref_pic
        r.readse();     // offset_for_top_to_bottom_field
        const uint32_t cycle = r.readue();
        for (uint32_t i = 0; i < cycle && r.ok(); ++i) r.readse();
    }
    r.readue();     // max_num_ref_frames
    r.skipbits(1);  // gaps_in_frame_num_value_allowed_flag
    const uint32_t widthInMbsMinus1 = r.readue();
    const uint32_t heightInMapUnitsMinus1 = r.readue();
    const uint32_t frameMbsOnly = r.getbits(1);
    if (frameMbsOnly == 0) r.skipbits(1);  // mb_adaptive_frame_field_flag
    r.skipbits(1);                         // direct_8x8_inference_flag

    int64_t width = (int64_t(widthInMbsMinus1) + 1) * 16;
    int64_t height = int64_t(2 - frameMbsOnly) * (int64_t(heightInMapUnitsMinus1) + 1) * 16;
    if (r.getbits(1) == 1) {  // frame_cropping_flag
        const int64_t left = r.readue(), right = r.readue(), top = r.readue(), bottom = r.readue();
        // Crop offsets count chroma samples: two luma samples wide for 4:2:0 and 4:2:2, two
        // high for 4:2:0, and twice that high again when the map units are fields.
        const int64_t cropUnitX = chromaFormatIdc == 1 || chromaFormatIdc == 2 ? 2 : 1;
        const int64_t cropUnitY = (chromaFormatIdc == 1 ? 2 : 1) * (2 - frameMbsOnly);
        width -= cropUnitX * (left + right);
        height -= cropUnitY * (top + bottom);
    }
    if (!r.ok()) return kDefaultFrameRate;
    log.log("   Size = [bl]" + std::to_string(width) + "[/bl]x[bl]" + std::to_string(height) + "[/bl]");

    if (r.getbits(1) == 0 || !r.ok()) return kDefaultFrameRate;  // vui_parameters_present_flag
    return readVui(r, log).value_or(kDefaultFrameRate);
}

}  // namespace quarnel
