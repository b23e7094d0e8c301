#include <gtest/gtest.h>

#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

Lines analyse(const Bytes& payload, int index = 0) {
    AnalyserInput in = test::inputOf(payload);
    in.index = index;
    return test::reportOf(analyseDolby, in).lines;
}

TEST(DolbyAnalyser, ReportsEncodedStreamsAsProbed) {
    EXPECT_EQ(analyse(test::snippet("ac3_51_448k.bin"), 3),
              (Lines{"   Stream 3 is [b]Dolby Digital[/b]", "   Sampling frequency = [bl]48[/bl] kHz",
                     "   Transmission bitrate = [bl]448[/bl] kbit/s",
                     "   Channel arrangement = [bl]L + R + C + Ls + Rs[/bl], bsid = 8, bsmod =0"}));
    EXPECT_EQ(
        analyse(test::snippet("eac3_20_224k.bin"), 1),
        (Lines{"   Stream 1 is [b]Dolby Digital Plus[/b]",
               "   frame size = 896 bytes, number of blocks per frame = 6",
               "   Sampling frequency = [bl]48[/bl] kHz", "   Transmission bitrate = [bl]224[/bl] kbit/s",
               "   Channel arrangement = [bl]L + R[/bl], bsid = 16",
               "   LFE channel = [bl]not present[/bl]"}));
}

TEST(DolbyAnalyser, ReportsHeadersUpToTheFirstValidOne) {
    const Bytes payload = {
        0x0B, 0x77, 0,    0,    0xC0 | 28, 8 << 3,     0,       // fscod 3: invalid
        0x0B, 0x77, 0x0B, 0x77, 0x40 | 30, 8 << 3 | 2, 2 << 5,  // CRC bytes 0B 77
        0x0B, 0x77, 0,    0,    0x00,      8 << 3,     0};      // not reported: one valid is enough
    const Lines lines = analyse(payload);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "   Sampling frequency = [bl]0[/bl] kHz");
    EXPECT_EQ(lines[5], "   Sampling frequency = [bl]44.1[/bl] kHz");
    EXPECT_EQ(lines[6], "   Transmission bitrate = [bl]448[/bl] kbit/s");
    EXPECT_EQ(lines[7], "   Channel arrangement = [bl]L + R[/bl], bsid = 8, bsmod =2");
    EXPECT_TRUE(analyse(Bytes(payload.begin(), payload.begin() + 6)).empty());  // ends inside a header
}

}  // namespace
}  // namespace quarnel
