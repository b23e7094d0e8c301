#include <gtest/gtest.h>

#include <algorithm>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

const Bytes kTrueHdSync = {0xF8, 0x72, 0x6F, 0xBA};
const Bytes kMlpSync = {0xF8, 0x72, 0x6F, 0xBB};

Lines analyse(Bytes sync, const Bytes& fields) {
    sync.insert(sync.end(), fields.begin(), fields.end());
    return test::logOf(analyseMlp, test::inputOf(sync));
}

TEST(MlpAnalyser, ReportsEveryMajorSyncOfAnEncodedTrueHdStream) {
    const Lines lines = test::logOf(analyseMlp, test::inputOf(test::snippet("truehd_51.bin")));
    const Lines first = {
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
    ASSERT_EQ(lines.size(), 2 * first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), lines.begin()));
}

TEST(MlpAnalyser, ReportsAnEncodedStandardMlpStream) {
    const Lines lines = test::logOf(analyseMlp, test::inputOf(test::snippet("mlp_20_44k.bin")));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"   [b]Standard MLP[/b] stream (up to 6 channels) ",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]44.1[/bl] kHz",
                     "   Channel arrangement = [bl]L + R[/bl]"}));
}

TEST(MlpAnalyser, DecodesTheTrueHdChannelAssignments) {
    const Lines lines = analyse(kTrueHdSync, {0x00, 0x5F, 0x80, 0x1F, 0x80, 0x00});
    EXPECT_EQ(lines,
              (Lines{"   [b]TrueHD[/b] stream (up to 8 channels)", "   Sampling frequency = [bl]48[/bl] kHz",
                     "   2 ch. decoder", "      channel modifier = Lt/Rt", "   6 ch. decoder",
                     "      channel modifier = Lt/Rt",
                     "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds (Ls/Rs), "
                     "Highs (Lvh/Rvh)[/bl]",
                     "   8 ch. decoder", "      channel modifier = Stereo",
                     "      channel arrangement = [bl]Main (Left,Right), Centre, LFE, Surrounds (Ls/Rs), "
                     "Front Highs (Lvh/Rvh)[/bl]"}));
    // Six-channel bits 1 and 3 only; eight-channel bits 5 and 12.
    const Lines sparse = analyse(kTrueHdSync, {0x10, 0x35, 0x10, 0x20});
    EXPECT_EQ(sparse[1], "   Sampling frequency = [bl]96[/bl] kHz");
    EXPECT_EQ(sparse[6], "      channel arrangement = [bl]Centre, Surrounds (Ls/Rs)[/bl]");
    EXPECT_EQ(sparse[9], "      channel arrangement = [bl]Inner fronts (Lc/Rc), LFE2[/bl]");
}

TEST(MlpAnalyser, StandardMlpFieldsAndDynamicRange) {
    const Lines lines = analyse(kMlpSync, {0x00, 0x80, 0x00, 0x14, 0x00, 0x25});
    EXPECT_EQ(lines,
              (Lines{"   [b]Standard MLP[/b] stream (up to 6 channels) ",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]44.1[/bl] kHz",
                     "   Channel arrangement = [bl]Lf + Rf + Ls + Rs + C + LFE[/bl]",
                     "   Dynamic range control = 24.082 dB .. 17.0579 dB"}));
    // A payload ending early gives only the lines of the bytes present.
    EXPECT_EQ(analyse(kMlpSync, {0x20, 0x90}).size(), 3u);
}

}  // namespace
}  // namespace quarnel
