// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/mpeg2_video.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

test::Report analyse(const Bytes& payload) {
    AnalyserInput in = test::inputOf(payload);
    in.videoPts = 0x0001ABCD;
    return test::reportOf(analyseMpeg2Video, in);
}

TEST(Mpeg2VideoAnalyser, ReportsEncodedStreamsAsProbed) {
    const test::Report sd = analyse(test::snippet("mpeg2_480.bin"));
    EXPECT_EQ(sd.lines,
              (Lines{"   Sequence Header found", "   size = [bl]720[/bl]x[bl]480[/bl]",
                     "   Aspect ratio = [bl]4:3[/bl]", "   Frame rate = [bl]29.97[/bl] fps",
                     "  Sequence header bitrate = [bl]8000[/bl] kbps", "   Progressive Sequence = 1"}));
    EXPECT_DOUBLE_EQ(sd.frameRate.value_or(0), 30000.0 / 1001);

    const test::Report hd = analyse(test::snippet("mpeg2_1080.bin"));
    EXPECT_EQ(
        test::missing(hd.lines, {"   size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = [bl]16:9[/bl]",
                                 "   Frame rate = [bl]23.976[/bl] fps",
                                 "  Sequence header bitrate = [bl]30000[/bl] kbps"}),
        Lines{});
    EXPECT_DOUBLE_EQ(hd.frameRate.value_or(0), 24000.0 / 1001);
}

TEST(Mpeg2VideoAnalyser, CountsPicturesBeforeTheFirstSequenceHeaderAndFindsTheFirstPts) {
    const Bytes sequence = {0, 0, 1, 0xB3, 0x78, 0x04, 0x38, 0x37, 0x49, 0x3E, 0x32, 0xA8,  // 59.94 fps
                            0, 0, 1, 0xB5, 0x14, 0x4A, 0x00, 0x01, 0x00, 0x00};
    const auto picture = [](uint8_t type) {
        return Bytes{0,    0,    1,    0,    0,   uint8_t(type << 3), 0xFF, 0xF8, 0, 0, 1, 0xB5, 0x8F,
                     0xFF, 0xF3, 0x41, 0x80, 0x00};
    };
    Bytes payload;
    for (const Bytes& part : {picture(2), picture(2), sequence, picture(0), picture(1), sequence, picture(3)})
        payload.insert(payload.end(), part.begin(), part.end());
    const test::Report r = analyse(payload);
    EXPECT_EQ(r.lines,
              (Lines{"   Sequence Header found", "   2 frames before first Sequence Header",
                     "   size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = [bl]16:9[/bl]",
                     "   Frame rate = [bl]59.94[/bl] fps", "  Sequence header bitrate = [bl]30000[/bl] kbps",
                     "   Progressive Sequence = 1", "   illegal picture_coding_type = 0",
                     "   First Video PTS = 0001ABCD"}));
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), 60000.0 / 1001);

    // One picture after the sequence header is not enough for the first PTS line.
    Bytes single = sequence;
    const Bytes one = picture(1);
    single.insert(single.end(), one.begin(), one.end());
    EXPECT_EQ(analyse(single).lines.size(), 6u);
}

TEST(Mpeg2VideoAnalyser, DecodesHeaderFieldsAsWritten) {
    // 1920x1080, 16:9, 59.94 fps, 30 Mbit/s
    const auto h = decodeMpeg2SequenceHeader(Bytes{0x78, 0x04, 0x38, 0x37, 0x49, 0x3E, 0x32});
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->horizontalSizeValue, 1920);
    EXPECT_EQ(h->verticalSizeValue, 1080);
    EXPECT_EQ(h->aspectRatioInformation, 3);
    EXPECT_EQ(h->frameRateCode, 7);
    EXPECT_EQ(h->bitRateValue, 75000u);
    EXPECT_DOUBLE_EQ(mpeg2FrameRate(*h).value_or(0), 60000.0 / 1001);
    // Cut after the codes: no bit rate.
    const auto cut = decodeMpeg2SequenceHeader(Bytes{0x78, 0x04, 0x38, 0x3F, 0x49});
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->frameRateCode, 15);
    EXPECT_FALSE(cut->bitRateValue.has_value());
    EXPECT_FALSE(mpeg2FrameRate(*cut).has_value());  // reserved
    EXPECT_FALSE(decodeMpeg2SequenceHeader(Bytes{0x78, 0x04}));

    const std::optional<Mpeg2SequenceExtension> e = decodeMpeg2SequenceExtension(Bytes{0x14, 0x4A});
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->profileAndLevelIndication, 0x44);
    EXPECT_TRUE(e->progressiveSequence);
    EXPECT_EQ(e->chromaFormat, 1);
    EXPECT_FALSE(decodeMpeg2SequenceExtension(Bytes{0x8F, 0xFF}));  // a picture coding extension

    const std::optional<Mpeg2PictureHeader> p = decodeMpeg2PictureHeader(Bytes{0x00, 3 << 3 | 0x40});
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->temporalReference, 1);
    EXPECT_EQ(p->pictureCodingType, 3);
    EXPECT_FALSE(decodeMpeg2PictureHeader(Bytes{0x00}));
}

TEST(Mpeg2VideoAnalyser, ReservedFrameRateGivesNoRate) {
    const Bytes sequence = {0, 0, 1, 0xB3, 0x78, 0x04, 0x38, 0x3F, 0x49, 0x3E, 0x32, 0xA8};  // code 15
    const test::Report r = analyse(sequence);
    EXPECT_EQ(test::missing(r.lines, {"   Frame rate = reserved"}), Lines{});
    EXPECT_FALSE(r.frameRate.has_value());
}

}  // namespace
}  // namespace quarnel
