#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

// A stored first payload of a DVD LPCM stream: the 7-byte private header, then audio.
Lines analyseStored(const std::string& name) {
    const Bytes pes = test::snippet(name);
    const Bytes header(pes.begin(), pes.begin() + 7);
    const Bytes audio(pes.begin() + 7, pes.end());
    return test::logOf(analyseLpcm, test::inputOf(audio, header));
}

TEST(LpcmAnalyser, ReportsEncodedStreamsAsProbed) {
    EXPECT_EQ(analyseStored("lpcm16.bin"),
              (Lines{"   Number of frame headers = 7", "   First acces unit pointer = 0004",
                     "   Emphasis = off, mute = off", "   Frame number = 12",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]48[/bl] kHz",
                     "   Number of audio channels = [bl]2[/bl]"}));
    const Lines hiRes = analyseStored("lpcm24.bin");
    ASSERT_EQ(hiRes.size(), 7u);
    EXPECT_EQ(hiRes[4], "   Quantization length = [bl]24[/bl] bits");
    EXPECT_EQ(hiRes[5], "   Sampling frequency = [bl]96[/bl] kHz");
    // The channel count has three bits: 5.1 is six channels.
    EXPECT_EQ(analyseStored("lpcm16_6ch.bin").back(), "   Number of audio channels = [bl]6[/bl]");
}

TEST(LpcmAnalyser, DecodesEveryHeaderField) {
    const Bytes audio = {0x12, 0x34};
    EXPECT_EQ(test::logOf(analyseLpcm, test::inputOf(audio, {0xA0, 0x07, 0x00, 0x04, 0x00, 0x11, 0x80})),
              (Lines{"   Number of frame headers = 7", "   First acces unit pointer = 0004",
                     "   Emphasis = off, mute = off", "   Frame number = 0",
                     "   Quantization length = [bl]16[/bl] bits", "   Sampling frequency = [bl]96[/bl] kHz",
                     "   Number of audio channels = [bl]2[/bl]"}));
    const Lines flagged =
        test::logOf(analyseLpcm, test::inputOf(audio, {0xA0, 1, 0xAB, 0xCD, 0xDF, 0xC0, 0x00}));
    EXPECT_EQ(flagged[1], "   First acces unit pointer = ABCD");
    EXPECT_EQ(flagged[2], "   Emphasis = on, mute = on");
    EXPECT_EQ(flagged[3], "   Frame number = 31");
    EXPECT_EQ(flagged[4], "   Quantization length = [bl][/bl] bits");
    EXPECT_EQ(flagged[7], "   Dynamic range = 24.082 dB");
    const Lines ranged = test::logOf(analyseLpcm, test::inputOf(audio, {0xA0, 1, 0, 0, 0, 0, 0x25}));
    EXPECT_EQ(ranged.back(), "   Dynamic range = 17.0579 dB");
}

TEST(LpcmAnalyser, ReportsOnlyTheHeaderBytesItHolds) {
    EXPECT_EQ(test::logOf(analyseLpcm, test::inputOf({}, {0xA0, 0x07, 0x00})),
              (Lines{"   Number of frame headers = 7"}));
    EXPECT_TRUE(test::logOf(analyseLpcm, test::inputOf({0x01, 0x02})).empty());
}
}  // namespace
}  // namespace quarnel
