// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/h264.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

constexpr double kFilmRate = 24000.0 / 1001;

struct Sps {
    uint32_t profile = 100, chromaFormat = 1;
    int scalingLists = 0;  // lists sent in full; 0 = no scaling matrix
    uint32_t heightMapUnits = 68, frameMbsOnly = 1, cropBottom = 4;
    uint32_t aspectIdc = 1, numUnitsInTick = 1001, timeScale = 48000;  // time scale 0: no timing
};

// An access unit delimiter and a 1920-wide sequence parameter set as carried.
Bytes spsPayload(const Sps& s) {
    test::BitWriter w;
    w.bits(s.profile, 8).bits(0, 8).bits(41, 8).ue(0);
    if (s.profile == 100 || s.profile == 244) {
        w.ue(s.chromaFormat);
        if (s.chromaFormat == 3) w.bits(0, 1);
        w.ue(0).ue(0).bits(0, 1).bits(s.scalingLists > 0, 1);
        for (int i = 0; s.scalingLists > 0 && i < (s.chromaFormat == 3 ? 12 : 8); ++i) {
            w.bits(i < s.scalingLists, 1);
            for (int j = 0; i < s.scalingLists && j < (i < 6 ? 16 : 64); ++j) w.se(j % 3 == 0 ? 2 : -1);
        }
    }
    w.ue(0).ue(1).bits(0, 1).se(-2).se(1).ue(3).se(2).se(2).se(-4);  // picture order count type 1
    w.ue(4).bits(0, 1).ue(119).ue(s.heightMapUnits - 1).bits(s.frameMbsOnly, 1);
    if (!s.frameMbsOnly) w.bits(0, 1);
    w.bits(1, 1).bits(1, 1).ue(0).ue(0).ue(0).ue(s.cropBottom).bits(1, 1);
    // VUI: aspect ratio, video format PAL with colour description, timing
    w.bits(1, 1).bits(s.aspectIdc, 8);
    if (s.aspectIdc == 255) w.bits(4, 16).bits(3, 16);
    w.bits(0, 1).bits(1, 1).bits(1, 3).bits(0, 1).bits(1, 1).bits(0x010101, 24).bits(0, 1);
    w.bits(s.timeScale > 0, 1);
    if (s.timeScale > 0) w.bits(s.numUnitsInTick, 32).bits(s.timeScale, 32).bits(1, 1);
    w.bits(0, 5);
    Bytes payload = {0x00, 0x00, 0x00, 0x01, 0x09, 0x10};
    const Bytes sps = test::withStartCode(0x67, w.done());
    payload.insert(payload.end(), sps.begin(), sps.end());
    return payload;
}

test::Report analyse(const Bytes& payload) {
    return test::reportOf(analyseH264, test::inputOf(payload));
}
test::Report analyseSps(const Sps& s) {
    return analyse(spsPayload(s));
}

TEST(H264Analyser, ReportsEncodedStreamsAsProbed) {
    const test::Report film = analyse(test::snippet("h264_1080p.bin"));
    EXPECT_EQ(
        film.lines,
        (Lines{"   Profile = High", "   Level = 4.0", "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
               "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = [bl]1:1[/bl] (square samples)",
               "   Video format = NTSC", "   Time scale = 0 MHz", "   Frame rate = 23.976 fps"}));
    EXPECT_DOUBLE_EQ(film.frameRate.value_or(0), kFilmRate);

    // High 4:4:4 Predictive; its SPS carries an emulation prevention byte.
    const test::Report pal = analyse(test::snippet("h264_444.bin"));
    EXPECT_EQ(test::missing(pal.lines,
                            {"   Profile = Unknown", "   Chroma format = [bl]4:4:4[/bl]  (l, c) = 8, 8 bit",
                             "   Size = [bl]1280[/bl]x[bl]720[/bl]", "   Frame rate = 25 fps"}),
              Lines{});
    EXPECT_EQ(pal.frameRate, 25.0);
}

TEST(H264Analyser, SkipsFullScalingListsToReachSizeAndTiming) {
    const test::Report r = analyseSps({.scalingLists = 8, .aspectIdc = 255});
    EXPECT_EQ(
        r.lines,
        (Lines{"   Profile = High", "   Level = 4.1", "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
               "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = 4:3", "   Video format = PAL",
               "   Time scale = 0 MHz", "   Frame rate = 23.976 fps"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), kFilmRate);

    // 4:4:4 sends twelve lists; field-coded map units are two rows per crop unit.
    const test::Report fields = analyseSps(
        {.profile = 244, .chromaFormat = 3, .scalingLists = 12, .heightMapUnits = 34, .frameMbsOnly = 0});
    EXPECT_EQ(fields.lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
    EXPECT_EQ(fields.lines.back(), "   Frame rate = 23.976 fps");
    EXPECT_DOUBLE_EQ(analyseSps({.timeScale = 0}).frameRate.value_or(0), kFilmRate);
    // 4:2:0 fields: four rows per crop unit.
    EXPECT_EQ(analyseSps({.heightMapUnits = 34, .frameMbsOnly = 0, .cropBottom = 2}).lines[3],
              "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264Analyser, DecodesTheParameterSetFieldsAsWritten) {
    const Bytes payload =
        spsPayload({.chromaFormat = 3, .heightMapUnits = 34, .frameMbsOnly = 0, .aspectIdc = 255});
    const std::optional<H264Sps> sps = decodeH264Sps(std::span(payload).subspan(10));  // after 00 00 01 67
    ASSERT_TRUE(sps.has_value());
    EXPECT_EQ(sps->profileIdc, 100u);
    EXPECT_FALSE(sps->constraintSet3Flag);
    EXPECT_EQ(sps->levelIdc, 41u);
    ASSERT_TRUE(sps->chromaFormat.has_value());
    EXPECT_EQ(sps->chromaFormat->chromaFormatIdc, 3u);
    EXPECT_EQ(sps->chromaFormat->bitDepthLumaMinus8, 0u);
    EXPECT_FALSE(sps->chromaFormat->seqScalingMatrixPresentFlag);
    ASSERT_TRUE(sps->frame.has_value());
    EXPECT_EQ(sps->frame->picOrderCntType, 1u);
    EXPECT_EQ(sps->frame->maxNumRefFrames, 4u);
    EXPECT_EQ(sps->frame->picWidthInMbsMinus1, 119u);
    EXPECT_EQ(sps->frame->picHeightInMapUnitsMinus1, 33u);
    EXPECT_FALSE(sps->frame->frameMbsOnlyFlag);
    EXPECT_TRUE(sps->frame->frameCroppingFlag);
    EXPECT_EQ(sps->frame->frameCropBottomOffset, 4u);
    ASSERT_TRUE(sps->vui.has_value());
    ASSERT_TRUE(sps->vui->aspectRatio.has_value());
    EXPECT_EQ(sps->vui->aspectRatio->aspectRatioIdc, 255u);
    EXPECT_EQ(sps->vui->aspectRatio->sarWidth, 4u);
    EXPECT_EQ(sps->vui->aspectRatio->sarHeight, 3u);
    EXPECT_EQ(sps->vui->videoFormat, 1u);
    ASSERT_TRUE(sps->vui->timing.has_value());
    EXPECT_EQ(sps->vui->timing->numUnitsInTick, 1001u);
    EXPECT_EQ(sps->vui->timing->timeScale, 48000u);
    EXPECT_DOUBLE_EQ(h264FrameRate(*sps), kFilmRate);

    // Cut inside the timing info: the VUI keeps what came before it.
    const std::optional<H264Sps> cut = decodeH264Sps(std::span(payload).subspan(10, payload.size() - 16));
    ASSERT_TRUE(cut.has_value() && cut->vui.has_value());
    EXPECT_EQ(cut->vui->videoFormat, 1u);
    EXPECT_FALSE(cut->vui->timing.has_value());
    EXPECT_FALSE(decodeH264Sps(std::span(payload).subspan(10, 2)));  // ends inside level_idc
}

TEST(H264Analyser, StopsAtAnInvalidCodeOrTheEndOfTheData) {
    // After profile and level only zero bits: no Exp-Golomb code can be read.
    const test::Report invalid = analyse({0x00, 0x00, 0x01, 0x67, 0x64, 0x00, 0x28, 0x00, 0x00, 0x03, 0x00,
                                          0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x80});
    EXPECT_EQ(invalid.lines, (Lines{"   Profile = High", "   Level = 4.0"}));

    Bytes cut = spsPayload({});
    cut.resize(cut.size() - 6);  // inside the timing info
    EXPECT_EQ(analyse(cut).lines.back(), "   Video format = PAL");
}

}  // namespace
}  // namespace quarnel
