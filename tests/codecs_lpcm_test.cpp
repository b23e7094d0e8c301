#include <gtest/gtest.h>

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

TEST(LpcmAnalyser, ReportsOnlyTheHeaderBytesItIsGiven) {
    EXPECT_EQ(analyse({0xA0, 0x07, 0x00}), (Lines{"   Number of frame headers = 7"}));
    EXPECT_TRUE(analyse({}).empty());
}

TEST(SubpictureAnalyser, TellsTheRunLengthCodingByTheFirstWord) {
    const auto format = [](const Bytes& unit) {
        return test::reportOf(analyseSubpicture, test::inputOf(unit)).lines;
    };
    EXPECT_EQ(format(test::snippet("dvdsub.bin")), (Lines{"   Format = [bl]2bitRLE[/bl]"}));
    EXPECT_EQ(format({0x00, 0x00, 0x00, 0x00, 0x1A, 0x2B}), (Lines{"   Format = [bl]8bitRLE[/bl]"}));
    EXPECT_TRUE(format({0x00}).empty());
}

}  // namespace
}  // namespace quarnel
