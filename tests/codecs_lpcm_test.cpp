// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/channel_assignments.h"
#include "codecs/lpcm.h"
#include "codecs/subpicture.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

Lines analyse(const Bytes& privateHeader) {
    const Bytes audio = {0x12, 0x34};
    return test::reportOf(analyseLpcm, test::inputOf(audio, privateHeader)).lines;
}

// A stored first payload of a DVD LPCM stream: the 7-byte private header, then audio.
Lines analyseStored(const std::string& name) {
    const Bytes pes = test::snippet(name);
    return analyse(Bytes(pes.begin(), pes.begin() + 7));
}

TEST(LpcmAnalyser, ReportsEncodedStreamsAsProbed) {
    EXPECT_EQ(analyseStored("lpcm16.bin"),
              (Lines{"   Number of frame headers = 7", "   First acces unit pointer = 0004",
                     "   Emphasis = off, mute = off", "   Frame number = 12",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]48[/bl] kHz",
                     "   Number of audio channels = [bl]2[/bl]"}));
    EXPECT_EQ(test::missing(analyseStored("lpcm24.bin"), {"   Quantization length = [bl]24[/bl] bits",
                                                          "   Sampling frequency = [bl]96[/bl] kHz"}),
              Lines{});
    // The channel count has three bits: 5.1 is six channels.
    EXPECT_EQ(analyseStored("lpcm16_6ch.bin").back(), "   Number of audio channels = [bl]6[/bl]");
}

TEST(LpcmAnalyser, DecodesFlagsAndDynamicRange) {
    EXPECT_EQ(test::missing(analyse({0xA0, 1, 0xAB, 0xCD, 0xDF, 0xC0, 0x00}),
                            {"   First acces unit pointer = ABCD", "   Emphasis = on, mute = on",
                             "   Frame number = 31", "   Quantization length = [bl][/bl] bits",
                             "   Dynamic range = 24.082 dB"}),
              Lines{});
    EXPECT_EQ(analyse({0xA0, 1, 0, 0, 0, 0, 0x25}).back(), "   Dynamic range = 17.0579 dB");
}

TEST(LpcmAnalyser, DecodesTheHeaderFieldsItHolds) {
    const std::optional<LpcmHeader> h = decodeLpcm(Bytes{0xA0, 7, 0x00, 0x04, 0x8C, 0x95, 0x25});
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->numberOfFrameHeaders, 7);
    EXPECT_EQ(h->firstAccessUnitPointer, 4);
    ASSERT_TRUE(h->audioFrame.has_value());
    EXPECT_TRUE(h->audioFrame->audioEmphasisFlag);
    EXPECT_FALSE(h->audioFrame->audioMuteFlag);
    EXPECT_EQ(h->audioFrame->audioFrameNumber, 12);
    ASSERT_TRUE(h->format.has_value());
    EXPECT_EQ(h->format->quantizationWordLength, 2);
    EXPECT_EQ(h->format->audioSamplingFrequency, 1);
    EXPECT_EQ(h->format->numberOfAudioChannels, 5);
    EXPECT_EQ(h->dynamicRangeControl, 0x25);

    const std::optional<LpcmHeader> cut = decodeLpcm(Bytes{0xA0, 7, 0x00});
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->numberOfFrameHeaders, 7);
    EXPECT_FALSE(cut->firstAccessUnitPointer || cut->audioFrame || cut->format || cut->dynamicRangeControl);
    EXPECT_FALSE(decodeLpcm(Bytes{0xA0}));
}

TEST(LpcmAnalyser, ReportsOnlyTheHeaderBytesItIsGiven) {
    EXPECT_EQ(analyse({0xA0, 0x07, 0x00}), (Lines{"   Number of frame headers = 7"}));
    EXPECT_TRUE(analyse({}).empty());
}

TEST(LpcmAnalyser, ReadsTheDvdAudioHeaderInAnAob) {
    const Bytes audio = {0x12, 0x34};
    const auto aob = [&](const Bytes& header) {
        AnalyserInput in = test::inputOf(audio, header);
        in.aobSource = true;
        return test::reportOf(analyseLpcm, in).lines;
    };
    // 24 bits / 96 kHz stereo, group 2 unused
    EXPECT_EQ(aob({0xA0, 0x00, 0x00, 0x08, 0x00, 0x05, 0x00, 0x2F, 0x1F, 0x00, 0x01, 0x80}),
              (Lines{"   First acces unit pointer = 0005", "   Group 1: [bl]24[/bl] bits, [bl]96[/bl] kHz",
                     "   Group 2: unused", "   Channel assignment = [bl]1[/bl] (L + R)",
                     "   Number of audio channels = [bl]2[/bl]"}));
    // 5.1 in two groups: 20 bits / 88.2 kHz and 16 bits / 44.1 kHz
    const std::optional<AobLpcmHeader> h =
        decodeAobLpcm(Bytes{0xA2, 3, 0, 10, 0, 0, 0, 0x10, 0x98, 0, 12, 0x80});
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(lpcmBitsOf(h->group1Bits), 20);
    EXPECT_EQ(lpcmBitsOf(h->group2Bits), 16);
    EXPECT_EQ(lpcmRateOf(h->group1Rate), 88200u);
    EXPECT_EQ(lpcmRateOf(h->group2Rate), 44100u);
    EXPECT_EQ(h->channelAssignment, 12);
    EXPECT_EQ(channelAssignment(12)->group1Channels, 2);
    EXPECT_EQ(aob({0xA2, 3, 0, 10, 0, 0, 0, 0x10, 0x98, 0, 12, 0x80})[3],
              "   Channel assignment = [bl]12[/bl] (Lf + Rf + C + LFE + Ls + Rs)");
    // an assignment past the 21 is named as such; a header cut before it gives no lines
    EXPECT_EQ(aob({0xA0, 0, 0, 8, 0, 0, 0, 0x00, 0x00, 0, 21, 0x80}).back(),
              "   Channel assignment = [re]21[/re] (undefined)");
    EXPECT_TRUE(aob({0xA0, 0, 0, 8, 0, 0, 0, 0x00, 0x00, 0}).empty());
}

TEST(SubpictureAnalyser, TellsTheRunLengthCodingByTheFirstWord) {
    const auto format = [](const Bytes& unit) {
        return test::reportOf(analyseSubpicture, test::inputOf(unit)).lines;
    };
    EXPECT_EQ(format(test::snippet("dvdsub.bin")), (Lines{"   Format = [bl]2bitRLE[/bl]"}));
    EXPECT_EQ(format({0x00, 0x00, 0x00, 0x00, 0x1A, 0x2B}), (Lines{"   Format = [bl]8bitRLE[/bl]"}));
    EXPECT_TRUE(format({0x00}).empty());
    EXPECT_TRUE(decodeSubpicture(Bytes{0x00, 0x00, 0x00, 0x00})->eightBitRle);
    EXPECT_FALSE(decodeSubpicture(Bytes{0x0B, 0x2A})->eightBitRle);
}

}  // namespace
}  // namespace quarnel
