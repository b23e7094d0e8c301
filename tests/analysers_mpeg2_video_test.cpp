#include <gtest/gtest.h>

#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::Bytes;
using test::Lines;

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// 1920x1080, 16:9, the given frame rate code, bit_rate_value 75000.
Bytes sequenceHeader(uint8_t frameRateCode = 1) {
    return {0x00, 0x00, 0x01, 0xB3, 0x78, 0x04, 0x38, uint8_t(0x30 | frameRateCode), 0x49, 0x3E, 0x32, 0xA8};
}
const Bytes kSequenceExtension = {0x00, 0x00, 0x01, 0xB5, 0x14, 0x4A, 0x00, 0x01, 0x00, 0x00};
Bytes pictureHeader(uint8_t codingType) {
    return {0x00, 0x00, 0x01, 0x00, 0x00, uint8_t(codingType << 3), 0xFF, 0xF8};
}
const Bytes kPictureCodingExtension = {0x00, 0x00, 0x01, 0xB5, 0x8F, 0xFF, 0xF3, 0x41, 0x80, 0x00};

test::VideoReport analyse(const Bytes& payload) {
    AnalyserInput in = test::inputOf(payload);
    in.videoPts = 0x0001ABCD;
    return test::videoReportOf(analyseMpeg2Video, in);
}

TEST(Mpeg2VideoAnalyser, ReportsEncodedStreamsAsProbed) {
    const test::VideoReport sd = analyse(test::snippet("mpeg2_480.bin"));
    EXPECT_EQ(sd.lines,
              (Lines{"   Sequence Header found", "   size = [bl]720[/bl]x[bl]480[/bl]",
                     "   Aspect ratio = [bl]4:3[/bl]", "   Frame rate = [bl]29.97[/bl] fps",
                     "  Sequence header bitrate = [bl]8000[/bl] kbps", "   Progressive Sequence = 1"}));
    EXPECT_DOUBLE_EQ(sd.frameRate.value_or(0), 30000.0 / 1001);

    const test::VideoReport hd = analyse(test::snippet("mpeg2_1080.bin"));
    EXPECT_EQ(hd.lines,
              (Lines{"   Sequence Header found", "   size = [bl]1920[/bl]x[bl]1080[/bl]",
                     "   Aspect ratio = [bl]16:9[/bl]", "   Frame rate = [bl]23.976[/bl] fps",
                     "  Sequence header bitrate = [bl]30000[/bl] kbps", "   Progressive Sequence = 1"}));
    EXPECT_DOUBLE_EQ(hd.frameRate.value_or(0), 24000.0 / 1001);
}

TEST(Mpeg2VideoAnalyser, CountsPicturesBeforeTheFirstSequenceHeaderAndFindsTheFirstPts) {
    const Bytes picture = join({pictureHeader(2), kPictureCodingExtension});
    const test::VideoReport r =
        analyse(join({picture, picture, sequenceHeader(7), kSequenceExtension, pictureHeader(0),
                      kPictureCodingExtension, picture, sequenceHeader(3), kSequenceExtension, picture}));
    EXPECT_EQ(r.lines,
              (Lines{"   Sequence Header found", "   2 frames before first Sequence Header",
                     "   size = [bl]1920[/bl]x[bl]1080[/bl]", "   Aspect ratio = [bl]16:9[/bl]",
                     "   Frame rate = [bl]59.94[/bl] fps", "  Sequence header bitrate = [bl]30000[/bl] kbps",
                     "   Progressive Sequence = 1", "   illegal picture_coding_type = 0",
                     "   First Video PTS = 0001ABCD"}));
    // Later sequence headers change nothing once the sequence extension was read.
    EXPECT_DOUBLE_EQ(r.frameRate.value_or(0), 60000.0 / 1001);
}

TEST(Mpeg2VideoAnalyser, OneSequenceHeaderAndOnePictureGiveNoFirstPts) {
    const test::VideoReport r =
        analyse(join({sequenceHeader(15), kSequenceExtension, pictureHeader(1), kPictureCodingExtension}));
    EXPECT_EQ(r.lines.size(), 6u);
    EXPECT_EQ(r.lines[3], "   Frame rate = reserved");
    EXPECT_EQ(r.frameRate, 1.0);
    EXPECT_EQ(analyse({0x00, 0x00, 0x01}).frameRate, std::nullopt);
}

}  // namespace
}  // namespace quarnel
