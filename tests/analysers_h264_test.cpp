#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::BitWriter;
using test::Bytes;
using test::Lines;

constexpr double kFilmRate = 24000.0 / 1001;

struct Sps {
    uint32_t profile = 100, constraintSet3 = 0, level = 41, chromaFormat = 1;
    int scalingLists = 0;  // lists sent in full; 0 = no scaling matrix
    uint32_t pocType = 0, widthMbs = 120, heightMapUnits = 68, frameMbsOnly = 1, cropBottom = 4;
    bool vui = true;
    uint32_t aspectIdc = 1, sarWidth = 0, sarHeight = 0;
    uint32_t numUnitsInTick = 1001, timeScale = 48000;  // 0: no timing info
};

// A sequence parameter set NAL unit with its start code, escaped as carried.
Bytes spsUnit(const Sps& s) {
    BitWriter w;
    w.bits(s.profile, 8).bits(0, 3).bits(s.constraintSet3, 1).bits(0, 4).bits(s.level, 8).ue(0);
    if (s.profile == 100 || s.profile == 244) {
        w.ue(s.chromaFormat);
        if (s.chromaFormat == 3) w.bits(0, 1);
        w.ue(0).ue(0).bits(0, 1).bits(s.scalingLists > 0, 1);
        const int lists = s.chromaFormat == 3 ? 12 : 8;
        for (int i = 0; s.scalingLists > 0 && i < lists; ++i) {
            w.bits(i < s.scalingLists, 1);
            if (i >= s.scalingLists) continue;
            for (int j = 0; j < (i < 6 ? 16 : 64); ++j) w.se(j % 3 == 0 ? 2 : -1);  // no zero scale
        }
    }
    w.ue(0).ue(s.pocType);
    if (s.pocType == 0) w.ue(2);
    if (s.pocType == 1) w.bits(0, 1).se(-2).se(1).ue(3).se(2).se(2).se(-4);
    w.ue(4).bits(0, 1).ue(s.widthMbs - 1).ue(s.heightMapUnits - 1).bits(s.frameMbsOnly, 1);
    if (!s.frameMbsOnly) w.bits(0, 1);
    w.bits(1, 1).bits(s.cropBottom > 0, 1);
    if (s.cropBottom > 0) w.ue(0).ue(0).ue(0).ue(s.cropBottom);
    w.bits(s.vui, 1);
    if (s.vui) {
        w.bits(1, 1).bits(s.aspectIdc, 8);
        if (s.aspectIdc == 255) w.bits(s.sarWidth, 16).bits(s.sarHeight, 16);
        w.bits(0, 1).bits(1, 1).bits(1, 3).bits(0, 1).bits(1, 1).bits(0x010101, 24).bits(0, 1);
        w.bits(s.timeScale > 0, 1);
        if (s.timeScale > 0) w.bits(s.numUnitsInTick, 32).bits(s.timeScale, 32).bits(1, 1);
        w.bits(0, 5);
    }
    Bytes payload = {0x00, 0x00, 0x00, 0x01, 0x09, 0x10};  // access unit delimiter
    const Bytes sps = test::withStartCode(0x67, w.done());
    payload.insert(payload.end(), sps.begin(), sps.end());
    const Bytes pps = {0x00, 0x00, 0x01, 0x68, 0xEB, 0xE3, 0xCB, 0x22, 0xC0};
    payload.insert(payload.end(), pps.begin(), pps.end());
    return payload;
}

test::VideoReport analyse(const Bytes& payload) {
    return test::videoReportOf(analyseH264, test::inputOf(payload));
}
test::VideoReport analyseSps(const Sps& s) {
    return analyse(spsUnit(s));
}

TEST(H264Analyser, ReportsEncodedStreamsAsProbed) {
    const test::VideoReport film = analyse(test::snippet("h264_1080p.bin"));
    EXPECT_EQ(
        film.lines,
        (Lines{"   Profile = High", "   Level = 4.0", "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
               "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = [bl]1:1[/bl] (square samples)",
               "   Video format = NTSC", "   Time scale = 0 MHz", "   Frame rate = 23.976 fps"}));
    EXPECT_DOUBLE_EQ(film.frameRate.value_or(0), kFilmRate);

    // Interlaced: coded as field pairs, 60000 ticks per 1001 s.
    const test::VideoReport ntsc = analyse(test::snippet("h264_480i.bin"));
    EXPECT_EQ(ntsc.lines[3], "   Size = [bl]720[/bl]x[bl]480[/bl]");
    EXPECT_EQ(ntsc.lines[4], "   Aspect ratio = [bl]10:11[/bl] (704x480 4:3)");
    EXPECT_EQ(ntsc.lines.back(), "   Frame rate = 29.97 fps");
    EXPECT_DOUBLE_EQ(ntsc.frameRate.value_or(0), 30000.0 / 1001);

    // High 4:4:4 Predictive; its SPS carries an emulation prevention byte.
    const test::VideoReport pal = analyse(test::snippet("h264_444.bin"));
    EXPECT_EQ(pal.lines[0], "   Profile = Unknown");
    EXPECT_EQ(pal.lines[2], "   Chroma format = [bl]4:4:4[/bl]  (l, c) = 8, 8 bit");
    EXPECT_EQ(pal.lines[3], "   Size = [bl]1280[/bl]x[bl]720[/bl]");
    EXPECT_EQ(pal.lines[5], "   Video format = PAL");
    EXPECT_EQ(pal.lines.back(), "   Frame rate = 25 fps");
    EXPECT_EQ(pal.frameRate, 25.0);
}

TEST(H264Analyser, SkipsFullScalingListsToReachSizeAndTiming) {
    const test::VideoReport r =
        analyseSps({.scalingLists = 8, .aspectIdc = 255, .sarWidth = 4, .sarHeight = 3});
    EXPECT_EQ(
        r.lines,
        (Lines{"   Profile = High", "   Level = 4.1", "   Chroma format = [bl]4:2:0[/bl]  (l, c) = 8, 8 bit",
               "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = 4:3", "   Video format = PAL",
               "   Time scale = 0 MHz", "   Frame rate = 23.976 fps"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), kFilmRate);

    // 4:4:4 sends twelve lists; the field-coded picture crops two rows per unit.
    const test::VideoReport fields = analyseSps(
        {.profile = 244, .chromaFormat = 3, .scalingLists = 12, .heightMapUnits = 34, .frameMbsOnly = 0});
    EXPECT_EQ(fields.lines[2], "   Chroma format = [bl]4:4:4[/bl]  (l, c) = 8, 8 bit");
    EXPECT_EQ(fields.lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
    EXPECT_EQ(fields.lines.back(), "   Frame rate = 23.976 fps");
}

TEST(H264Analyser, FieldCodedFourTwoZeroCropsFourRowsPerUnit) {
    const test::VideoReport r = analyseSps({.heightMapUnits = 34, .frameMbsOnly = 0, .cropBottom = 2});
    EXPECT_EQ(r.lines[3], "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264Analyser, FrameRateIsHalfTheTickRate) {
    EXPECT_EQ(analyseSps({.numUnitsInTick = 1, .timeScale = 50}).frameRate, 25.0);
    const test::VideoReport ntsc = analyseSps({.numUnitsInTick = 1001, .timeScale = 60000});
    EXPECT_EQ(ntsc.lines.back(), "   Frame rate = 29.97 fps");
    EXPECT_DOUBLE_EQ(ntsc.frameRate.value_or(0), 30000.0 / 1001);
    const test::VideoReport fast = analyseSps({.numUnitsInTick = 1000, .timeScale = 120000000});
    EXPECT_EQ(fast.lines[fast.lines.size() - 2], "   Time scale = 120 MHz");
}

TEST(H264Analyser, WithoutTimingTheRateIsFilmRate) {
    const test::VideoReport r =
        analyseSps({.profile = 66, .constraintSet3 = 1, .level = 11, .pocType = 1, .timeScale = 0});
    EXPECT_EQ(r.lines,
              (Lines{"   Profile = Baseline ", "   Level = 1b", "   Size = [bl]1920[/bl]x[bl]1080[/bl]",
                     "   Aspect ratio = [bl]1:1[/bl] (square samples)", "   Video format = PAL"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), kFilmRate);
    EXPECT_EQ(analyseSps({.vui = false}).lines.back(), "   Size = [bl]1920[/bl]x[bl]1080[/bl]");
}

TEST(H264Analyser, StopsAtAnInvalidCodeOrTheEndOfTheData) {
    // After profile and level only zero bits: no Exp-Golomb code can be read.
    const Bytes zeros = {0x00, 0x00, 0x01, 0x67, 0x64, 0x00, 0x28, 0x00, 0x00,
                         0x03, 0x00, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00, 0x80};
    const test::VideoReport invalid = analyse(zeros);
    EXPECT_EQ(invalid.lines, (Lines{"   Profile = High", "   Level = 4.0"}));
    EXPECT_DOUBLE_EQ(invalid.frameRate.value_or(0), kFilmRate);

    Bytes cut = spsUnit({});
    cut.resize(cut.size() - 16);  // inside the timing info
    const test::VideoReport r = analyse(cut);
    EXPECT_EQ(r.lines.back(), "   Video format = PAL");
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), kFilmRate);

    EXPECT_TRUE(analyse(Bytes{0x00, 0x00, 0x01, 0x65, 0x88}).lines.empty());
}

}  // namespace
}  // namespace quarnel
