#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quarnel
