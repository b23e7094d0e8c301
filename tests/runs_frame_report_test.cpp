// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "app/session.h"
#include "codecs/start_code_count.h"
#include "fixtures/recording_host.h"
#include "report/text_format.h"
#include "runs/frame_counter.h"

namespace quarnel {
namespace {

struct FrameReport : ::testing::Test {
    fixtures::RecordingHost host;
    Session m;
    FrameCounter frames{m.run};
    MessageLog log{host};
    void count(std::vector<uint8_t> bytes, int index = 0, Coding type = Coding::Mpeg2) {
        frames.count(bytes, index, type);
    }
};

TEST_F(FrameReport, StartCodeSplitOverPiecesIsCountedOnce) {
    for (size_t cut = 0; cut <= 4; ++cut) {
        frames.reset();
        const std::vector<uint8_t> code = {0x00, 0x00, 0x01, 0x00, 0x55, 0x00, 0x00, 0x01, 0x00};
        count({code.begin(), code.begin() + long(cut)});
        count({code.begin() + long(cut), code.end()});
        EXPECT_EQ(m.run.countedFrames[0], 2) << cut;
    }
}

TEST_F(FrameReport, LeadingZeroOneOfAPieceIsNoPicture) {
    count({0x01, 0x00, 0x44});
    EXPECT_EQ(m.run.countedFrames[0], 0);
}

TEST_F(FrameReport, EachCodingCountsItsOwnStartCode) {
    count({0, 0, 1, 0x09, 0, 0, 1, 0x00, 0, 0, 0, 1, 0x09}, 1, Coding::H264);
    EXPECT_EQ(m.run.countedFrames[1], 2);
    count({0, 0, 1, 0x0D, 0, 0, 1, 0x0F, 0, 0, 1, 0x0D}, 0, Coding::Vc1);
    EXPECT_EQ(m.run.countedFrames[0], 2);
}

TEST_F(FrameReport, IndexesKeepSeparateWindows) {
    count({0x00, 0x00}, 0);
    count({0x01, 0x00}, 1);
    EXPECT_EQ(m.run.countedFrames[1], 0);
    count({0x01, 0x00}, 0);
    EXPECT_EQ(m.run.countedFrames[0], 1);
}

TEST_F(FrameReport, CountedAndCalculatedLines) {
    m.run.countedFrames = {24000, 0};
    m.run.frameRate = {24000.0 / 1001.0, 0};
    m.run.videoDurationSum = 10;
    reportFrames(m.run, log, false);
    ASSERT_EQ(host.markup.size(), 3u);
    EXPECT_EQ(host.markup[0], "24000 counted frames ([b]0:16:41.000[/b]) in video stream 0.");
    EXPECT_EQ(host.markup[1], "240 calculated frames in video stream 0.");
    EXPECT_EQ(host.markup[2], "");
    host.markup.clear();
    reportFrames(m.run, log, true);
    EXPECT_EQ(host.markup[1], "240 calculated frames ([b]0:00:10:000[/b]) in video stream 0.");
}

TEST_F(FrameReport, WithoutRateOrWithoutCounts) {
    m.run.countedFrames = {0, 7};
    reportFrames(m.run, log, false);
    EXPECT_EQ(host.markup, (std::vector<std::string>{"7 frames count in video stream 1.", ""}));
    host.markup.clear();
    m.run.countedFrames = {0, 0};
    m.run.frameRate = {25, 0};
    m.run.videoDurationSum = 0.1;  // 2.5 frames: halves go to the even neighbour
    reportFrames(m.run, log, false);
    EXPECT_EQ(host.markup, (std::vector<std::string>{"2 calculated frames in video stream 0."}));
    host.markup.clear();
    m.run.frameRate = {0, 0};
    reportFrames(m.run, log, false);
    EXPECT_TRUE(host.markup.empty());
}

TEST(StartCodeCount, AgreesWithAByteByByteCountAtEveryOffset) {
    std::vector<uint8_t> bytes(1000);
    uint32_t x = 12345;
    for (auto& b : bytes) {
        x = x * 1103515245 + 12345;
        const uint32_t r = (x >> 16) % 16;
        b = r < 6 ? 0 : r < 9 ? 1 : r == 9 ? 0xB3 : uint8_t(x >> 8);  // many zeros, ones and codes
    }
    for (size_t from = 0; from < 40; ++from)
        for (size_t n : {0, 3, 4, 18, 19, 20, 34, 35, 36, 67, 500, 960}) {
            int32_t naive = 0;
            for (size_t i = from; i + 3 < from + n; ++i)
                naive += bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1 && bytes[i + 3] == 0xB3;
            EXPECT_EQ(countStartCodes(bytes.data() + from, n, 0xB3), naive) << from << " " << n;
            EXPECT_EQ(countStartCodesSse2(bytes.data() + from, n, 0xB3), naive) << from << " " << n;
#ifdef QUARNEL_START_CODES_AVX2
            if (__builtin_cpu_supports("avx2")) {
                EXPECT_EQ(countStartCodesAvx2(bytes.data() + from, n, 0xB3), naive) << from << " " << n;
            }
#endif
        }
}

TEST(TextFormat, SpansAndHex) {
    EXPECT_EQ(formatSpanMs(1 * 3600 + 52 * 60 + 3.417), "1:52:03.417");
    EXPECT_EQ(formatSpanMs(25 * 3600 + 1.5, ':'), "1:00:01:500");
    EXPECT_EQ(formatSpan(3725.9), "1:02:05");
    EXPECT_EQ(hexUpper(0xABC, 8), "00000ABC");
    EXPECT_EQ(hexUpper(0x5, 2), "05");
}

}  // namespace
}  // namespace quarnel
