// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/mlp.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

Lines analyse(const Bytes& payload) {
    return test::reportOf(analyseMlp, test::inputOf(payload)).lines;
}

TEST(MlpAnalyser, ReportsEveryMajorSyncOfEncodedStreams) {
    const Lines report = {
        "   [b]TrueHD[/b] stream (up to 8 channels)",
        "   Sampling frequency = [bl]48[/bl] kHz",
        "   2 ch. decoder",
        "      channel modifier = Lbin/Rbin",
        "   6 ch. decoder",
        "      channel modifier = Lt/Rt",
        "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds (Ls/Rs)[/bl]",
        "   8 ch. decoder",
        "      channel modifier = Lbin/Rbin",
        "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds (Ls/Rs)[/bl]",
    };
    Lines twice = report;
    twice.insert(twice.end(), report.begin(), report.end());
    EXPECT_EQ(analyse(test::snippet("truehd_51.bin")), twice);

    const Lines mlp = analyse(test::snippet("mlp_20_44k.bin"));
    ASSERT_GE(mlp.size(), 4u);
    EXPECT_EQ(Lines(mlp.begin(), mlp.begin() + 4),
              (Lines{"   [b]Standard MLP[/b] stream (up to 6 channels) ",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]44.1[/bl] kHz",
                     "   Channel arrangement = [bl]L + R[/bl]"}));
}

TEST(MlpAnalyser, ListsTheAssignedChannelGroupsLowestBitFirst) {
    // 2- and 6-channel modifiers Stereo and Mono, 6-channel bits 1 and 3, 8-channel bits 5 and
    // 12; the format's signature B7 52 after them gives no line.
    const Lines lines = analyse({0xF8, 0x72, 0x6F, 0xBA, 0x10, 0x35, 0x10, 0x20, 0xB7, 0x52});
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "   Sampling frequency = [bl]96[/bl] kHz");
    EXPECT_EQ(lines[5], "      channel modifier = Mono");
    EXPECT_EQ(lines[6], "      channel arrangement = [bl]Centre, Surrounds (Ls/Rs)[/bl]");
    EXPECT_EQ(lines[9], "      channel arrangement = [bl]Inner fronts (Lc/Rc), LFE2[/bl]");
    EXPECT_EQ(analyse({0xF8, 0x72, 0x6F, 0xBB, 0x20, 0x90}).size(), 3u);  // ends after byte 2
}

TEST(MlpAnalyser, DecodesTheMajorSyncFieldsItHolds) {
    const Bytes trueHd = {0xF8, 0x72, 0x6F, 0xBA, 0x10, 0x35, 0x10, 0x20, 0xB7, 0x52};
    const std::optional<TrueHdMajorSync> t = decodeTrueHdMajorSync(trueHd);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->audioSamplingFrequency, 1);
    ASSERT_TRUE(t->sixChannelPresentation.has_value());
    EXPECT_EQ(t->sixChannelPresentation->ch2PresentationChannelModifier, 0);
    EXPECT_EQ(t->sixChannelPresentation->ch6PresentationChannelModifier, 3);
    EXPECT_EQ(t->sixChannelPresentation->ch6PresentationChannelAssignment, 0b01010);
    ASSERT_TRUE(t->eightChannelPresentation.has_value());
    EXPECT_EQ(t->eightChannelPresentation->ch8PresentationChannelModifier, 0);
    EXPECT_EQ(t->eightChannelPresentation->ch8PresentationChannelAssignment, 0x1020);
    EXPECT_FALSE(decodeMlpMajorSync(trueHd));

    // Cut after byte 2: the fields of the bytes that are there.
    const std::optional<MlpMajorSync> m = decodeMlpMajorSync(Bytes{0xF8, 0x72, 0x6F, 0xBB, 0x20, 0x90});
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->quantizationWordLength, 2);
    EXPECT_EQ(m->audioSamplingFrequency, 9);
    EXPECT_FALSE(m->channelAssignment);
}

TEST(MlpAnalyser, KeepsTheLinesOfInterleavedMajorSyncsInByteOrder) {
    // A TrueHD sync word in the bytes of an MLP major sync: the MLP fields before it come first
    // (the fourth of them the sync word's first byte), then its line, then the TrueHD fields.
    EXPECT_EQ(
        analyse({0xF8, 0x72, 0x6F, 0xBB, 0x20, 0x90, 0xF8, 0x72, 0x6F, 0xBA, 0x00, 0x00}),
        (Lines{"   [b]Standard MLP[/b] stream (up to 6 channels) ",
               "   Quantization length = [bl]24[/bl] bits", "   Sampling frequency = [bl]88.2[/bl] kHz",
               "   Channel arrangement = [bl]Lf + Rf + Ls + Rs + LFE[/bl]",
               "   [b]TrueHD[/b] stream (up to 8 channels)", "   Sampling frequency = [bl]48[/bl] kHz"}));
}

// A TrueHD stream's channels are those of the largest presentation its major sync describes.
TEST(MlpAnalyser, TrueHdChannelsAreTheLargestPresentations) {
    struct Case {
        Bytes fields;  // the four bytes after the sync word
        uint32_t channels;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x00, 0x00}, 2},  // only the 2-channel presentation
        {{0x00, 0x01, 0x80, 0x00}, 3},  // 6-channel: L/R, C
        {{0x00, 0x07, 0x80, 0x00}, 6},  // 6-channel: L/R, C, LFE, Ls/Rs
        {{0x00, 0x07, 0x80, 0x4F}, 8},  // 8-channel: L/R, C, LFE, Ls/Rs, Rears
    };
    for (const Case& c : cases) {
        Bytes frame = {0xF8, 0x72, 0x6F, 0xBA};
        frame.insert(frame.end(), c.fields.begin(), c.fields.end());
        const std::optional<TrueHdMajorSync> h = decodeTrueHdMajorSync(frame);
        ASSERT_TRUE(h.has_value());
        EXPECT_EQ(trueHdChannels(*h), c.channels);
    }
}

}  // namespace
}  // namespace quarnel
