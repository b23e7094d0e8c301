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
        "   Dynamic range control = -10.6371 dB .. 8.4282 dB",
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
    // 2- and 6-channel modifiers Stereo and Mono, 6-channel bits 1 and 3, 8-channel bits 5 and 12;
    // range byte 0x80: no dynamic range line.
    const Lines lines = analyse({0xF8, 0x72, 0x6F, 0xBA, 0x10, 0x35, 0x10, 0x20, 0x80, 0x00});
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
    ASSERT_TRUE(t->dynamicRange.has_value());
    EXPECT_EQ(t->dynamicRange->first, 0xB7);
    EXPECT_EQ(t->dynamicRange->second, 0x52);
    EXPECT_FALSE(decodeMlpMajorSync(trueHd));

    // Cut after byte 2: the fields of the bytes that are there.
    const std::optional<MlpMajorSync> m = decodeMlpMajorSync(Bytes{0xF8, 0x72, 0x6F, 0xBB, 0x20, 0x90});
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->quantizationWordLength, 2);
    EXPECT_EQ(m->audioSamplingFrequency, 9);
    EXPECT_FALSE(m->channelAssignment || m->dynamicRange);
}

TEST(MlpAnalyser, KeepsTheLinesOfInterleavedMajorSyncsInByteOrder) {
    // A TrueHD sync word in the bytes of an MLP major sync: the MLP fields before it come first,
    // then its line, then the MLP range bytes (the first of them the sync word's last byte),
    // then the TrueHD fields, read after the MLP ones.
    EXPECT_EQ(analyse({0xF8, 0x72, 0x6F, 0xBB, 0x20, 0x90, 0xF8, 0x72, 0x6F, 0xBA, 0x00, 0x00}),
              (Lines{"   [b]Standard MLP[/b] stream (up to 6 channels) ",
                     "   Quantization length = [bl]24[/bl] bits", "   Sampling frequency = [bl]88.2[/bl] kHz",
                     "   Channel arrangement = [bl]Lf + Rf + Ls + Rs + LFE[/bl]",
                     "   [b]TrueHD[/b] stream (up to 8 channels)",
                     "   Dynamic range control = -11.2392 dB .. 24.082 dB",
                     "   Sampling frequency = [bl]48[/bl] kHz"}));
}

}  // namespace
}  // namespace quarnel
