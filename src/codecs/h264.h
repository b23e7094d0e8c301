// SPDX-License-Identifier: GPL-3.0-or-later
// H.264: the sequence parameter set, decoded into its fields as far as the VUI timing and
// worded into report lines, and the frame rate it gives.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "report/message_log.h"

namespace quarnel {

// The fields of a sequence parameter set as ITU-T H.264 names them (profile_idc as
// profileIdc, ...). Scaling lists and the picture order count cycle are read past, not kept.
// Decoding stops at the end of the data or at an invalid Exp-Golomb code; the parts from there
// on are left out.
struct H264Sps {
    // Sent by the High profiles only; left out, and the rest with it, when chroma_format_idc
    // is above 3.
    struct ChromaFormat {
        uint32_t chromaFormatIdc = 1;
        bool separateColourPlaneFlag = false;
        uint32_t bitDepthLumaMinus8 = 0;
        uint32_t bitDepthChromaMinus8 = 0;
        bool qpprimeYZeroTransformBypassFlag = false;
        bool seqScalingMatrixPresentFlag = false;
    };
    struct Frame {
        uint32_t log2MaxFrameNumMinus4 = 0;
        uint32_t picOrderCntType = 0;
        uint32_t maxNumRefFrames = 0;
        bool gapsInFrameNumValueAllowedFlag = false;
        uint32_t picWidthInMbsMinus1 = 0;
        uint32_t picHeightInMapUnitsMinus1 = 0;
        bool frameMbsOnlyFlag = false;
        bool mbAdaptiveFrameFieldFlag = false;
        bool direct8x8InferenceFlag = false;
        bool frameCroppingFlag = false;
        uint32_t frameCropLeftOffset = 0;
        uint32_t frameCropRightOffset = 0;
        uint32_t frameCropTopOffset = 0;
        uint32_t frameCropBottomOffset = 0;
    };
    struct Vui {
        struct AspectRatio {
            uint32_t aspectRatioIdc = 0;  // 255: Extended_SAR, given by the sizes
            uint32_t sarWidth = 0;
            uint32_t sarHeight = 0;
        };
        struct Timing {
            uint32_t numUnitsInTick = 0;
            uint32_t timeScale = 0;
        };
        std::optional<AspectRatio> aspectRatio;  // when aspect_ratio_info_present_flag is 1
        std::optional<uint32_t> videoFormat;     // when video_signal_type_present_flag is 1
        std::optional<Timing> timing;            // when timing_info_present_flag is 1
    };
    uint32_t profileIdc = 0;
    bool constraintSet3Flag = false;
    uint32_t levelIdc = 0;
    uint32_t seqParameterSetId = 0;
    std::optional<ChromaFormat> chromaFormat;
    std::optional<Frame> frame;
    std::optional<Vui> vui;  // when vui_parameters_present_flag is 1
};

// The parameter set from the bytes after its NAL unit header, as carried (with emulation
// prevention bytes) up to the next start code or the end of the bytes. Nothing when they end
// inside profile_idc, the constraint flags or level_idc.
std::optional<H264Sps> decodeH264Sps(std::span<const uint8_t> nalUnit);
void reportH264Sps(const H264Sps& sps, MessageLog& log);

// Frames per second from the VUI timing, two ticks a frame; 24000/1001 when the parameter
// set gives none.
double h264FrameRate(const H264Sps& sps);

}  // namespace quarnel
