// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of coded streams as ffmpeg writes them, checked against ffprobe's own split of
// the same stream (where each picture's packet begins and its type), and the VC-1 frame header
// codes that tell a reference frame; then which pictures a cut at a title's end keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <sstream>

#include "codecs/picture_units.h"
#include "fixtures/es_units.h"
#include "fixtures/run_command.h"
#include "fixtures/temp_dir.h"
#include "runs/video_cuts.h"

namespace quarnel {
namespace {

struct Probed {
    size_t begin;
    bool reference;
    bool operator==(const Probed&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Probed& p) {
        return out << p.begin << (p.reference ? " ref" : " non-ref");
    }
};

// ffprobe's pictures in decode order: where each packet begins, and whether it is no B picture.
std::vector<Probed> probe(const std::string& file, fixtures::TempDir& dir) {
    const fixtures::CommandResult r = fixtures::runCommand(
        "ffprobe -v error -show_entries frame=pkt_pos,pict_type -of csv=p=0 '" + file + "'",
        dir.file("probe.txt"));
    std::vector<Probed> pictures;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        pictures.push_back({size_t(std::stoull(line.substr(0, comma))), line.substr(comma + 1, 1) != "B"});
    }
    std::ranges::sort(pictures, {}, &Probed::begin);
    return pictures;
}

TEST(PictureUnits, EachPictureBeginsWhereFfprobeSplitsTheStreamAndIsAReferenceUnlessB) {
    fixtures::TempDir dir;
    const struct {
        VideoSyntax syntax;
        const char* args;
        const char* name;
    } streams[] = {
        {VideoSyntax::Mpeg2,
         "-f lavfi -i testsrc2=size=320x240:rate=24000/1001:duration=2 -c:v mpeg2video -g 12 -bf 2 -f "
         "mpeg2video",
         "v.m2v"},
        {VideoSyntax::H264,
         "-f lavfi -i testsrc2=size=320x240:rate=24000/1001:duration=2 -c:v libx264 -g 12 -bf 2 "
         "-x264-params b-pyramid=0:aud=1 -f h264",
         "v.264"},
    };
    for (const auto& s : streams) {
        const fixtures::Bytes es = fixtures::ffmpegEncode(dir.path(), s.args, s.name);
        const std::vector<Probed> expected = probe(dir.file(s.name), dir);
        ASSERT_GT(expected.size(), 40u) << s.name;
        std::vector<Probed> found;
        for (const PictureUnit& p : pictureUnits(s.syntax, es))
            found.push_back({p.begin, p.reference.value_or(true)});
        EXPECT_EQ(found, expected) << s.name;
    }
}

TEST(PictureUnits, Vc1FrameHeadersTellReferenceFrames) {
    // A progressive sequence header (INTERLACE 0), then frames whose first header byte gives
    // PTYPE; an interlaced one (INTERLACE 1), then FCM and PTYPE or FPTYPE.
    const auto stream = [](bool interlace, uint8_t frameHeader) {
        fixtures::Bytes b = {0,   0, 1, 0x0F, 0xDA, 0x80, 0x0E, 0xF0, 0x87, uint8_t(interlace ? 0x40 : 0x00),
                             0x80};
        b.insert(b.end(), {0, 0, 1, 0x0D, frameHeader, 0x55});
        return b;
    };
    const struct {
        bool interlace;
        uint8_t header;
        bool reference;
    } frames[] = {
        {false, 0x00, true},   // P
        {false, 0x80, false},  // B
        {false, 0xC0, true},   // I
        {false, 0xE0, false},  // BI
        {false, 0xF0, true},   // skipped
        {true, 0x60, true},    // progressive frame (FCM 0), I
        {true, 0xA0, false},   // frame interlace (FCM 10), B
        {true, 0xC0, true},    // field interlace (FCM 11), FPTYPE I/I
        {true, 0xE8, false},   // field interlace, FPTYPE B/BI
    };
    for (const auto& f : frames) {
        const std::vector<PictureUnit> units = pictureUnits(VideoSyntax::Vc1, stream(f.interlace, f.header));
        ASSERT_EQ(units.size(), 1u);
        EXPECT_EQ(units[0].begin, 0u) << "the sequence header goes with the frame";
        EXPECT_EQ(units[0].reference, f.reference) << int(f.header) << (f.interlace ? " interlaced" : "");
    }
}

// Decode order I0 P3 B1 B2 P6 B4 B5 (display times in frames), the title ending at frame 5:
// B5 goes, P6 stays as the picture B4 is predicted from; a B picture without its own time
// stamp is timed between its neighbours.
TEST(PictureUnits, ACutAtTheEndKeepsThePicturesShownBeforeItAndTheirReferences) {
    const std::vector<PictureUnit> pictures = {{0, 0, true},    {10, 10, true}, {20, 20, false},
                                               {30, 30, false}, {40, 40, true}, {50, 50, false},
                                               {60, 60, false}};
    const TimeStamp frame = 3750;
    const std::vector<PtsAnchor> packets = {{0, 0, 0},          {10, 3 * frame, 0}, {20, frame, 0},
                                            {40, 6 * frame, 0}, {50, 4 * frame, 0}, {60, 5 * frame, 0}};
    const std::vector<MaybeTimeStamp> times = pictureTimes(pictures, packets, 0);
    EXPECT_EQ(times[3], 2 * frame);
    EXPECT_EQ(picturesBeforeEnd(pictures, times, 5 * frame),
              (std::vector<bool>{true, true, true, true, true, true, false}));
    EXPECT_EQ(picturesBeforeEnd(pictures, times, 3 * frame),
              (std::vector<bool>{true, true, true, true, false, false, false}));
}

}  // namespace
}  // namespace quarnel
