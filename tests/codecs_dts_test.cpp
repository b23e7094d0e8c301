// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/dts.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

// A core frame of 96 bytes: AMODE 20, SFREQ 5, RATE 29, frequency extension, no LFE, a
// header CRC, VERNUM 9, 24-bit source.
Bytes coreFrame() {
    test::BitWriter w;
    w.bits(0x7FFE8001, 32)
        .bits(1, 1)
        .bits(31, 5)
        .bits(1, 1)
        .bits(15, 7)
        .bits(1005, 14)
        .bits(20, 6)
        .bits(5, 4);
    w.bits(29, 5).bits(0, 5).bits(2, 3).bits(1, 1).bits(0, 1).bits(0, 2).bits(0, 1).bits(0xBEEF, 16);
    w.bits(0, 1).bits(9, 4).bits(0, 2).bits(6, 3);
    Bytes frame = w.done();
    frame.resize(96);
    return frame;
}

Lines analyse(const Bytes& payload) {
    return test::reportOf(analyseDts, test::inputOf(payload)).lines;
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
    Lines twice = report;  // the second frame's header lies inside the snippet too
    twice.insert(twice.end(), report.begin(), report.end());
    EXPECT_EQ(analyse(test::snippet("dts_51.bin")), twice);
}

TEST(DtsAnalyser, ReportsOnlyHeadersWhollyInsideThePayload) {
    Bytes payload = coreFrame();
    const Bytes second = coreFrame();
    payload.insert(payload.end(), second.begin(), second.begin() + 12);  // the header needs 15 bytes
    const Lines lines = analyse(payload);
    EXPECT_EQ(
        Lines(lines.begin() + 3, lines.end()),
        (Lines{"   Channel arrangement = [bl]User defined[/bl]", "   Sampling frequency = [bl][/bl] kHz",
               "   Transmission bitrate = [bl]open[/bl] kbit/s", "   Extension audio = Frequency extension",
               "   LFE channel = not present", "   Header CRC = BEEF",
               "   Encoder software rev. = 9, Future rev. (incompatible",
               "   Source PCM resolution = [bl]24[/bl] bits"}));
}

TEST(DtsAnalyser, DecodesTheCoreHeaderFieldsAsWritten) {
    const Bytes frame = coreFrame();
    const std::optional<DtsCoreHeader> h = decodeDtsCore(frame);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->ftype, 1u);
    EXPECT_EQ(h->shortSamples, 31u);
    EXPECT_EQ(h->cpf, 1u);
    EXPECT_EQ(h->nblks, 15u);
    EXPECT_EQ(h->fsize, 1005u);
    EXPECT_EQ(h->amode, 20u);
    EXPECT_EQ(h->sfreq, 5u);
    EXPECT_EQ(h->rate, 29u);
    EXPECT_EQ(h->extAudioId, 2u);
    EXPECT_EQ(h->extAudio, 1u);
    EXPECT_EQ(h->lff, 0u);
    EXPECT_EQ(h->hcrc, 0xBEEFu);
    EXPECT_EQ(h->vernum, 9u);
    EXPECT_EQ(h->pcmr, 6u);
    EXPECT_FALSE(decodeDtsCore(Bytes(frame.begin(), frame.begin() + 14)));  // the header needs 15 bytes
    EXPECT_FALSE(decodeDtsCore(Bytes(frame.begin() + 1, frame.end())));     // no sync word
}

TEST(DtsAnalyser, ReportsExtensionSyncWords) {
    EXPECT_EQ(analyse({0x5A, 0x5A, 0x5A, 0x5A, 0x00, 0x1D, 0x95, 0xF2, 0x62, 0x7F, 0xFE, 0x80, 0x01, 0x00}),
              (Lines{"   Channel extension found", "   Frequency extensiond found ([bl]96[/bl] kHz)"}));
}

}  // namespace
}  // namespace quarnel
