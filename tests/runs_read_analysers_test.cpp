// SPDX-License-Identifier: GPL-3.0-or-later
// The analysers as a Read run with "Detailed info" calls them: stream snippets multiplexed
// into an EVO file, each stream described from its first payload.
#include <gtest/gtest.h>

#include "codecs_test_support.h"
#include "fixtures/model_fixture.h"

namespace quarnel {
namespace {

using namespace fixtures;

constexpr uint32_t kStart = 0x00100000;

EsStream stream(EsKind kind, uint8_t id, const char* snippet, Bytes privateExtra = {}) {
    return {kind, id, {Unit{test::snippet(snippet), kStart, kStart - 3003}}, std::move(privateExtra)};
}

TEST(AnalysersInReadRun, DescribeEveryStreamAndGiveTheFrameRates) {
    ModelFixture f;
    MuxOptions o;
    o.startPtm = kStart;
    o.endPtm = kStart + 900000;  // ten seconds
    const Bytes lpcm = test::snippet("lpcm16_6ch.bin");
    f.source(
        "MOVIE.EVO",
        buildProgramStream(
            {stream(EsKind::H264, 0xE2, "h264_444.bin"), stream(EsKind::Mpeg2, 0xE1, "mpeg2_480.bin"),
             stream(EsKind::Eac3, 0xC0, "eac3_20_224k.bin"), stream(EsKind::Dts, 0x89, "dts_51.bin"),
             stream(EsKind::Lpcm, 0xA2, "lpcm16_6ch.bin", Bytes(lpcm.begin() + 4, lpcm.begin() + 7)),
             stream(EsKind::TrueHd, 0xB3, "truehd_51.bin"), stream(EsKind::Subpicture, 0x20, "dvdsub.bin")},
            o));
    f.read();
    EXPECT_EQ(
        test::missing(
            f.host.markup,
            {"   Frame rate = 25 fps", "   Frame rate = [bl]29.97[/bl] fps",
             "   Stream 0 is [b]Dolby Digital Plus[/b]", "   Transmission bitrate = [bl]1411,2[/bl] kbit/s",
             "   Number of audio channels = [bl]6[/bl]", "   [b]TrueHD[/b] stream (up to 8 channels)",
             "   Format = [bl]2bitRLE[/bl]",
             // 23.976 fps, the rate without VUI timing, would give 240.
             "250 calculated frames in video stream 0.", "300 calculated frames in video stream 1."}),
        test::Lines{});
}

}  // namespace
}  // namespace quarnel
