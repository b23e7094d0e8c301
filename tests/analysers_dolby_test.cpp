#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

// A syncframe header: syncword, two CRC bytes (AC-3) or frame size bytes (E-AC-3), then
// the rate byte, bsid/bsmod and the acmod byte.
Bytes header(uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6) {
    return {0x0B, 0x77, b2, b3, b4, b5, b6};
}

Lines analyse(const Bytes& payload, int index = 0) {
    AnalyserInput in = test::inputOf(payload);
    in.index = index;
    return test::logOf(analyseDolby, in);
}

TEST(DolbyAnalyser, ReportsAnEncodedDolbyDigital51Stream) {
    EXPECT_EQ(analyse(test::snippet("ac3_51_448k.bin"), 3),
              (Lines{"   Stream 3 is [b]Dolby Digital[/b]", "   Sampling frequency = [bl]48[/bl] kHz",
                     "   Transmission bitrate = [bl]448[/bl] kbit/s",
                     "   Channel arrangement = [bl]L + R + C + Ls + Rs[/bl], bsid = 8, bsmod =0"}));
}

TEST(DolbyAnalyser, ReportsAnEncodedDolbyDigitalPlusStream) {
    EXPECT_EQ(
        analyse(test::snippet("eac3_20_224k.bin"), 1),
        (Lines{"   Stream 1 is [b]Dolby Digital Plus[/b]",
               "   frame size = 896 bytes, number of blocks per frame = 6",
               "   Sampling frequency = [bl]48[/bl] kHz", "   Transmission bitrate = [bl]224[/bl] kbit/s",
               "   Channel arrangement = [bl]L + R[/bl], bsid = 16",
               "   LFE channel = [bl]not present[/bl]"}));
}

TEST(DolbyAnalyser, DolbyDigitalPlusBitRateFollowsFrameSizeAndBlocks) {
    // frmsiz 1535, 48 kHz, 6 blocks, acmod 7 with LFE, bsid 16
    const Lines lines = analyse(header(0x05, 0xFF, 0x3F, 16 << 3, 0));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "   frame size = 3072 bytes, number of blocks per frame = 6");
    EXPECT_EQ(lines[3], "   Transmission bitrate = [bl]768[/bl] kbit/s");
    EXPECT_EQ(lines[4], "   Channel arrangement = [bl]L + R + C + Ls + Rs[/bl], bsid = 16");
    EXPECT_EQ(lines[5], "   LFE channel = [bl]present[/bl]");
}

TEST(DolbyAnalyser, ReportsInvalidHeadersUntilTheFirstValidOne) {
    Bytes payload = header(0, 0, 0xC0 | 28, 8 << 3, 7 << 5);          // fscod 3: invalid
    const Bytes valid = header(0, 0, 0x40 | 28, 8 << 3 | 2, 2 << 5);  // 44.1 kHz, 384 kbit/s, L + R
    payload.insert(payload.end(), valid.begin(), valid.end());
    payload.insert(payload.end(), valid.begin(), valid.end());  // not reported: one valid is enough
    const Lines lines = analyse(payload);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "   Sampling frequency = [bl]0[/bl] kHz");
    EXPECT_EQ(lines[5], "   Sampling frequency = [bl]44.1[/bl] kHz");
    EXPECT_EQ(lines[6], "   Transmission bitrate = [bl]384[/bl] kbit/s");
    EXPECT_EQ(lines[7], "   Channel arrangement = [bl]L + R[/bl], bsid = 8, bsmod =2");
}

TEST(DolbyAnalyser, HeaderBytesThatReadAsASyncwordStayHeaderBytes) {
    // The CRC bytes happen to be 0B 77.
    const Lines lines = analyse(header(0x0B, 0x77, 0x00 | 30, 6 << 3, 2 << 5));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "   Transmission bitrate = [bl]448[/bl] kbit/s");
    EXPECT_EQ(lines[3], "   Channel arrangement = [bl]L + R[/bl], bsid = 6, bsmod =0");
}

TEST(DolbyAnalyser, PayloadEndingInsideAHeaderGivesNoReport) {
    const Bytes cut = {0x0B, 0x77, 0x00, 0x00, 0x1C, 0x40};
    EXPECT_TRUE(analyse(cut).empty());
    EXPECT_TRUE(analyse({}).empty());
}

}  // namespace
}  // namespace quarnel
