#include <gtest/gtest.h>

#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

struct SequenceHeader {
    uint32_t level = 3, pulldown = 0, psf = 0, displayExt = 1, aspectFlag = 1, aspect = 15;
    uint32_t frameRateFlag = 1, frameRateInd = 0, nr = 1, dr = 2, exp = 0;
};

// An Advanced-profile 1920x1080 4:2:0 sequence header after a few bytes of other data.
test::Report analyse(const SequenceHeader& s) {
    test::BitWriter w;
    w.bits(3, 2).bits(s.level, 3).bits(1, 2).bits(7, 3).bits(31, 5).bits(1, 1).bits(959, 12).bits(539, 12);
    w.bits(s.pulldown, 1).bits(0b1001, 4).bits(s.psf, 1).bits(s.displayExt, 1);
    if (s.displayExt) {
        w.bits(1919, 14).bits(1079, 14).bits(s.aspectFlag, 1);
        if (s.aspectFlag) w.bits(s.aspect, 4);
        if (s.aspectFlag && s.aspect == 15) w.bits(16, 8).bits(9, 8);
        w.bits(s.frameRateFlag, 1);
        if (s.frameRateFlag) w.bits(s.frameRateInd, 1);
        if (s.frameRateFlag && s.frameRateInd) w.bits(s.exp, 16);
        if (s.frameRateFlag && !s.frameRateInd) w.bits(s.nr, 8).bits(s.dr, 4);
        w.bits(0, 1);
    }
    Bytes payload = {0x12, 0x00};
    const Bytes header = test::withStartCode(0x0F, w.done());
    payload.insert(payload.end(), header.begin(), header.end());
    return test::reportOf(analyseVc1, test::inputOf(payload));
}

TEST(Vc1Analyser, ReportsASequenceHeaderWithDisplayExtension) {
    const test::Report r = analyse({});
    EXPECT_EQ(r.lines,
              (Lines{"   Profile = Advanced", "   Level = 3", "   Chroma Format = [bl]4:2:0[/bl]",
                     "   Size = [bl]1920[/bl]x[bl]1080[/bl]", "   Display size = [bl]1920[/bl]x[bl]1080[/bl]",
                     "   Aspect ratio = 16:9", "   Frame Rate = [bl]23.976[/bl] (24000/1001)"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), 24000.0 / 1001);

    const test::Report other = analyse({.level = 6, .psf = 1, .aspect = 1});
    EXPECT_EQ(test::missing(other.lines, {"   Level = Reserved", "  Progressive segmented frames.",
                                          "   Aspect ratio = [bl]1:1[/bl] (square samples)"}),
              Lines{});
}

TEST(Vc1Analyser, FrameRateFromCodesPulldownOrThirtySeconds) {
    const test::Report film = analyse({.pulldown = 1, .nr = 3});
    EXPECT_EQ(film.lines.back(), "   Frame Rate = [bl]23.976[/bl] (24000/1001)");
    EXPECT_DOUBLE_EQ(film.frameRate.value_or(0), 24000.0 / 1001);
    EXPECT_EQ(analyse({.aspectFlag = 0, .nr = 3}).lines.back(),
              "   Frame Rate = [bl]29.97[/bl] (30000/1001)");

    const test::Report exp = analyse({.frameRateInd = 1, .exp = 767});
    EXPECT_EQ(exp.lines.back(), "   Frame Rate = [bl]24[/bl]");
    EXPECT_EQ(exp.frameRate, 24.0);
}

TEST(Vc1Analyser, GivesNoRateForBadCodesOrWhereNoneIsSent) {
    const test::Report bad = analyse({.nr = 9, .dr = 0});
    EXPECT_EQ(Lines(bad.lines.end() - 2, bad.lines.end()),
              (Lines{"   Reserved Frame Rate!", "   Forbidden Frame Rate!"}));
    EXPECT_EQ(bad.frameRate, std::nullopt);
    EXPECT_EQ(analyse({.dr = 5}).frameRate, std::nullopt);
    EXPECT_EQ(analyse({.frameRateFlag = 0}).frameRate, std::nullopt);

    const test::Report plain = analyse({.displayExt = 0});
    EXPECT_EQ(plain.lines.size(), 4u);
    EXPECT_EQ(plain.frameRate, std::nullopt);
}

}  // namespace
}  // namespace quarnel
