// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/dolby.h"
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

TEST(DolbyAnalyser, DecodesTheSyncframeFieldsByCoding) {
    const Bytes ac3 = {0x0B, 0x77, 0xBE, 0xEF, 0x40 | 30, 8 << 3 | 2, 7 << 5};
    const std::optional<Ac3Header> a = decodeAc3(ac3);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->crc1, 0xBEEF);
    EXPECT_EQ(a->fscod, 1);
    EXPECT_EQ(a->frmsizecod, 30);
    EXPECT_EQ(a->bsid, 8);
    EXPECT_EQ(a->bsmod, 2);
    EXPECT_EQ(a->acmod, 7);
    EXPECT_FALSE(decodeEac3(ac3));

    // strmtyp 0, substreamid 2, frmsiz 447, fscod 0, numblkscod 3, acmod 2, LFE, bsid 16
    const Bytes eac3 = {0x0B, 0x77, 0x11, 0xBF, 0x35, 16 << 3, 0};
    const std::optional<Eac3Header> e = decodeEac3(eac3);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->strmtyp, 0);
    EXPECT_EQ(e->substreamid, 2);
    EXPECT_EQ(e->frmsiz, 447);
    EXPECT_EQ(e->fscod, 0);
    EXPECT_EQ(e->numblkscod, 3);
    EXPECT_EQ(e->acmod, 2);
    EXPECT_TRUE(e->lfeon);
    EXPECT_EQ(e->bsid, 16);
    EXPECT_FALSE(decodeAc3(eac3));

    EXPECT_FALSE(decodeAc3(Bytes(ac3.begin(), ac3.end() - 1)));  // ends inside the header
    EXPECT_FALSE(decodeAc3(Bytes(ac3.begin() + 1, ac3.end())));  // no syncword
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
