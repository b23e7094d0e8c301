#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::BitWriter;
using test::Bytes;
using test::Lines;

struct Core {
    uint32_t amode = 9, sfreq = 13, rate = 24, lff = 1, cpf = 0, extAudio = 0, extAudioId = 0, vernum = 7;
};

// A core frame: sync word, header, and padding up to a frame's size.
Bytes coreFrame(const Core& c) {
    BitWriter w;
    w.bits(0x7FFE8001, 32).bits(1, 1).bits(31, 5).bits(c.cpf, 1).bits(15, 7).bits(1005, 14);
    w.bits(c.amode, 6).bits(c.sfreq, 4).bits(c.rate, 5).bits(0, 5).bits(c.extAudioId, 3).bits(c.extAudio, 1);
    w.bits(0, 1).bits(c.lff, 2).bits(0, 1);
    if (c.cpf) w.bits(0xBEEF, 16);
    w.bits(0, 1).bits(c.vernum, 4).bits(0, 2).bits(6, 3);
    Bytes frame = w.done();
    frame.resize(96);
    return frame;
}

Lines analyse(const Bytes& payload) {
    return test::logOf(analyseDts, test::inputOf(payload));
}

TEST(DtsAnalyser, ReportsEveryCoreHeaderOfAnEncodedStream) {
    const Lines report = {"   PCM core samples = 32",
                          "   PCM sample blocks = 16",
                          "   Primary frame byte size = 1884",
                          "   Channel arrangement = [bl]C + L + R + Ls + Rs[/bl]",
                          "   Sampling frequency = [bl]48[/bl] kHz",
                          "   Transmission bitrate = [bl]1411,2[/bl] kbit/s",
                          "   LFE channel = [bl]present[/bl] (IF:64)",
                          "   Encoder software rev. = 7, Current",
                          "   Source PCM resolution = [bl]16[/bl] bits"};
    Lines twice = report;
    twice.insert(twice.end(), report.begin(), report.end());
    EXPECT_EQ(analyse(test::snippet("dts_51.bin")), twice);
}

TEST(DtsAnalyser, DecodesTheCoreHeaderFields) {
    EXPECT_EQ(
        analyse(coreFrame({})),
        (Lines{"   PCM core samples = 32", "   PCM sample blocks = 16", "   Primary frame byte size = 1006",
               "   Channel arrangement = [bl]C + L + R + Ls + Rs[/bl]",
               "   Sampling frequency = [bl]48[/bl] kHz", "   Transmission bitrate = [bl]1536[/bl] kbit/s",
               "   LFE channel = [bl]present[/bl] (IF:128)", "   Encoder software rev. = 7, Current",
               "   Source PCM resolution = [bl]24[/bl] bits"}));
    const Lines other = analyse(coreFrame({.amode = 20,
                                           .sfreq = 5,
                                           .rate = 29,
                                           .lff = 0,
                                           .cpf = 1,
                                           .extAudio = 1,
                                           .extAudioId = 2,
                                           .vernum = 9}));
    EXPECT_EQ(
        other,
        (Lines{"   PCM core samples = 32", "   PCM sample blocks = 16", "   Primary frame byte size = 1006",
               "   Channel arrangement = [bl]User defined[/bl]", "   Sampling frequency = [bl][/bl] kHz",
               "   Transmission bitrate = [bl]open[/bl] kbit/s", "   Extension audio = Frequency extension",
               "   LFE channel = not present", "   Header CRC = BEEF",
               "   Encoder software rev. = 9, Future rev. (incompatible",
               "   Source PCM resolution = [bl]24[/bl] bits"}));
}

TEST(DtsAnalyser, HeaderRunningPastThePayloadIsNotReported) {
    Bytes payload = coreFrame({});
    const Bytes second = coreFrame({.sfreq = 8});
    payload.insert(payload.end(), second.begin(), second.begin() + 10);  // the header needs 13 bytes
    const Lines lines = analyse(payload);
    EXPECT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[4], "   Sampling frequency = [bl]48[/bl] kHz");
}

TEST(DtsAnalyser, ReportsExtensionSyncWords) {
    EXPECT_EQ(analyse({0x5A, 0x5A, 0x5A, 0x5A, 0x00, 0x12}), (Lines{"   Channel extension found"}));
    EXPECT_EQ(analyse({0x00, 0x1D, 0x95, 0xF2, 0x62}),
              (Lines{"   Frequency extensiond found ([bl]96[/bl] kHz)"}));
    EXPECT_TRUE(analyse({0x7F, 0xFE, 0x80}).empty());
}

}  // namespace
}  // namespace quarnel
