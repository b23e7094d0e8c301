// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/vc1.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

struct SequenceHeader {
    uint32_t level = 3, pulldown = 0, psf = 0, displayExt = 1, aspectFlag = 1, aspect = 15;
    uint32_t frameRateFlag = 1, frameRateInd = 0, nr = 1, dr = 2, exp = 0;
};

// An Advanced-profile 1920x1080 4:2:0 sequence header with its start code.
Bytes sequenceHeader(const SequenceHeader& s) {
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
    return test::withStartCode(0x0F, w.done());
}

// The sequence header after a few bytes of other data.
test::Report analyse(const SequenceHeader& s) {
    Bytes payload = {0x12, 0x00};
    const Bytes header = sequenceHeader(s);
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

TEST(Vc1Analyser, DecodesTheSequenceHeaderFieldsAsWritten) {
    const Bytes unit = sequenceHeader({.pulldown = 1, .psf = 1, .nr = 3});
    const std::optional<Vc1SequenceHeader> h = decodeVc1SequenceHeader(std::span(unit).subspan(4));
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->profile, 3);
    EXPECT_EQ(h->level, 3);
    EXPECT_EQ(h->colordiffFormat, 1);
    EXPECT_EQ(h->frmrtqPostproc, 7);
    EXPECT_EQ(h->bitrtqPostproc, 31);
    EXPECT_TRUE(h->postprocflag);
    EXPECT_EQ(h->maxCodedWidth, 959);
    EXPECT_EQ(h->maxCodedHeight, 539);
    EXPECT_TRUE(h->pulldown);
    EXPECT_TRUE(h->interlace);
    EXPECT_FALSE(h->tfcntrflag);
    EXPECT_FALSE(h->finterpflag);
    EXPECT_TRUE(h->psf);
    EXPECT_TRUE(h->displayExt);
    ASSERT_TRUE(h->displayExtension.has_value());
    EXPECT_EQ(h->displayExtension->dispHorizSize, 1919);
    EXPECT_EQ(h->displayExtension->dispVertSize, 1079);
    ASSERT_TRUE(h->displayExtension->aspectRatio.has_value());
    EXPECT_EQ(h->displayExtension->aspectRatio->aspectRatio, 15);
    EXPECT_EQ(h->displayExtension->aspectRatio->aspectHorizSize, 16);
    EXPECT_EQ(h->displayExtension->aspectRatio->aspectVertSize, 9);
    ASSERT_TRUE(h->displayExtension->frameRate.has_value());
    EXPECT_FALSE(h->displayExtension->frameRate->framerateind);
    EXPECT_EQ(h->displayExtension->frameRate->frameratenr, 3);
    EXPECT_EQ(h->displayExtension->frameRate->frameratedr, 2);
    EXPECT_DOUBLE_EQ(vc1FrameRate(*h).value_or(0), 24000.0 / 1001);  // pulldown: film frames

    // Cut inside the aspect ratio: the display sizes stay, the rest is left out.
    const std::optional<Vc1SequenceHeader> cut = decodeVc1SequenceHeader(std::span(unit).subspan(4, 11));
    ASSERT_TRUE(cut.has_value() && cut->displayExtension.has_value());
    EXPECT_FALSE(cut->displayExtension->aspectRatio || cut->displayExtension->frameRate);
    EXPECT_FALSE(decodeVc1SequenceHeader(std::span(unit).subspan(4, 5)));  // ends before DISPLAY_EXT
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
