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

// The bit rate is the frame's bits over its blocks of 256 samples at the frame's own rate; at
// the reduced rates (fscod 3) the rate is fscod2's and a frame always has six blocks.
TEST(DolbyAnalyser, DolbyDigitalPlusRatesAtEverySampleRate) {
    struct Case {
        uint8_t fscod, numblkscod;
        const char* kHz;
        uint32_t blocks, bitRate;
    };
    const Case cases[] = {
        {0, 3, "48", 6, 224000}, {0, 0, "48", 1, 1344000}, {1, 3, "44.1", 6, 205800},
        {2, 2, "32", 3, 298666}, {3, 0, "24", 6, 112000},  {3, 1, "22.05", 6, 102900},
        {3, 2, "16", 6, 74666},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kHz);
        // frmsiz 447 (896 bytes), acmod 2, bsid 16
        const Bytes frame = {0x0B,    0x77, 0x01, 0xBF, uint8_t(c.fscod << 6 | c.numblkscod << 4 | 2 << 1),
                             16 << 3, 0};
        AnalyserInput in = test::inputOf(frame);
        StreamFacts facts;
        in.facts = &facts;
        const Lines lines = test::reportOf(analyseDolby, in).lines;
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[1],
                  "   frame size = 896 bytes, number of blocks per frame = " + std::to_string(c.blocks));
        EXPECT_EQ(lines[2], std::string("   Sampling frequency = [bl]") + c.kHz + "[/bl] kHz");
        EXPECT_EQ(lines[3],
                  "   Transmission bitrate = [bl]" + std::to_string(c.bitRate / 1000) + "[/bl] kbit/s");
        EXPECT_EQ(facts.bitRate, c.bitRate);
    }
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
