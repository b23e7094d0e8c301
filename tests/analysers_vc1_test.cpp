#include <gtest/gtest.h>

#include <algorithm>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::BitWriter;
using test::Bytes;
using test::Lines;

struct SequenceHeader {
    uint32_t level = 3, pulldown = 0, psf = 0, displayExt = 1, dispWidth = 1920, dispHeight = 1080;
    uint32_t aspectFlag = 1, aspect = 15, aspectH = 16, aspectV = 9;
    uint32_t frameRateFlag = 1, frameRateInd = 0, nr = 1, dr = 2, exp = 0;
};

// An Advanced-profile 1920x1080 4:2:0 sequence header with its start code.
Bytes sequenceHeader(const SequenceHeader& s) {
    BitWriter w;
    w.bits(3, 2).bits(s.level, 3).bits(1, 2).bits(7, 3).bits(31, 5).bits(1, 1).bits(959, 12).bits(539, 12);
    w.bits(s.pulldown, 1).bits(1, 1).bits(0, 1).bits(0, 1).bits(1, 1).bits(s.psf, 1).bits(s.displayExt, 1);
    if (s.displayExt) {
        w.bits(s.dispWidth - 1, 14).bits(s.dispHeight - 1, 14).bits(s.aspectFlag, 1);
        if (s.aspectFlag) w.bits(s.aspect, 4);
        if (s.aspectFlag && s.aspect == 15) w.bits(s.aspectH, 8).bits(s.aspectV, 8);
        w.bits(s.frameRateFlag, 1);
        if (s.frameRateFlag) w.bits(s.frameRateInd, 1);
        if (s.frameRateFlag && s.frameRateInd) w.bits(s.exp, 16);
        if (s.frameRateFlag && !s.frameRateInd) w.bits(s.nr, 8).bits(s.dr, 4);
        w.bits(0, 1);  // COLOR_FORMAT_FLAG
    }
    w.bits(0, 1);  // HRD_PARAM_FLAG
    Bytes payload = {0x12, 0x00};
    const Bytes header = test::withStartCode(0x0F, w.done());
    payload.insert(payload.end(), header.begin(), header.end());
    return payload;
}

test::VideoReport analyse(const SequenceHeader& s) {
    const Bytes payload = sequenceHeader(s);
    return test::videoReportOf(analyseVc1, test::inputOf(payload));
}

TEST(Vc1Analyser, ReportsASequenceHeaderWithDisplayExtension) {
    const test::VideoReport r = analyse({});
    EXPECT_EQ(r.lines,
              (Lines{"   Profile = Advanced", "   Level = 3", "   Chroma Format = [bl]4:2:0[/bl]",
                     "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Display size = [bl]1920[/bl]x[bl]1080[/bl]",
                     "   Aspect ratio = 16:9", "   Frame Rate = [bl]23.976[/bl] (24000/1001)"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), 24000.0 / 1001);
}

TEST(Vc1Analyser, PulldownTurnsThe30000NumeratorInto24000) {
    const test::VideoReport film = analyse({.level = 6, .pulldown = 1, .psf = 1, .aspect = 1, .nr = 3});
    EXPECT_EQ(film.lines[1], "   Level = Reserved");
    EXPECT_EQ(film.lines[4], "  Progressive segmented frames.");
    EXPECT_EQ(film.lines[6], "   Aspect ratio = [bl]1:1[/bl] (square samples)");
    EXPECT_EQ(film.lines[7], "   Frame Rate = [bl]23.976[/bl] (24000/1001)");
    EXPECT_DOUBLE_EQ(film.frameRate.value_or(0), 24000.0 / 1001);

    const test::VideoReport video = analyse({.aspectFlag = 0, .nr = 3});
    EXPECT_EQ(video.lines.back(), "   Frame Rate = [bl]29.97[/bl] (30000/1001)");
    EXPECT_DOUBLE_EQ(video.frameRate.value_or(0), 30000.0 / 1001);
}

TEST(Vc1Analyser, FrameRateInThirtySecondsOfAFrame) {
    const test::VideoReport r = analyse({.frameRateInd = 1, .exp = 767});
    EXPECT_EQ(r.lines.back(), "   Frame Rate = [bl]24[/bl]");
    EXPECT_EQ(r.frameRate, 24.0);
    EXPECT_EQ(analyse({.frameRateInd = 1, .exp = 750}).lines.back(), "   Frame Rate = [bl]23.46875[/bl]");
}

TEST(Vc1Analyser, ForbiddenOrReservedFrameRateCodesGiveNoRate) {
    const test::VideoReport forbidden = analyse({.dr = 0});
    EXPECT_EQ(forbidden.lines.back(), "   Forbidden Frame Rate!");
    EXPECT_EQ(forbidden.frameRate, std::nullopt);

    const test::VideoReport both = analyse({.nr = 9, .dr = 0});
    EXPECT_EQ(Lines(both.lines.end() - 2, both.lines.end()),
              (Lines{"   Reserved Frame Rate!", "   Forbidden Frame Rate!"}));
    EXPECT_EQ(both.frameRate, std::nullopt);

    EXPECT_EQ(analyse({.dr = 5}).lines.back(), "   Reserved Frame Rate!");
}

TEST(Vc1Analyser, WithoutARateOrAHeaderNoRateIsGiven) {
    const test::VideoReport plain = analyse({.displayExt = 0});
    EXPECT_EQ(plain.lines.size(), 4u);
    EXPECT_EQ(plain.frameRate, std::nullopt);
    EXPECT_EQ(analyse({.frameRateFlag = 0}).frameRate, std::nullopt);

    const Bytes noHeader = {0x00, 0x00, 0x01, 0x0E, 0xFF, 0xFF};
    EXPECT_TRUE(test::videoReportOf(analyseVc1, test::inputOf(noHeader)).lines.empty());
}

TEST(Vc1Analyser, ReadsThroughEmulationPreventionBytes) {
    // A display size of 1x1 and a rate code of 767 put runs of zero bytes into the header.
    const SequenceHeader s = {
        .dispWidth = 1, .dispHeight = 1, .aspectFlag = 0, .frameRateInd = 1, .exp = 767};
    const Bytes payload = sequenceHeader(s);
    const Bytes prevention = {0x00, 0x00, 0x03};
    ASSERT_NE(std::search(payload.begin(), payload.end(), prevention.begin(), prevention.end()),
              payload.end());
    const test::VideoReport r = test::videoReportOf(analyseVc1, test::inputOf(payload));
    EXPECT_EQ(r.lines[4], "   Display size = [bl]1[/bl]x[bl]1[/bl]");
    EXPECT_EQ(r.frameRate, 24.0);
}

TEST(Vc1Analyser, StopsWhereThePayloadEnds) {
    Bytes payload = sequenceHeader({});
    payload.resize(payload.size() - 6);  // cut inside the display extension
    const test::VideoReport r = test::videoReportOf(analyseVc1, test::inputOf(payload));
    EXPECT_EQ(r.lines.size(), 4u);
    EXPECT_EQ(r.frameRate, std::nullopt);
}

}  // namespace
}  // namespace quarnel
