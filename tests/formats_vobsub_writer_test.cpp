// SPDX-License-Identifier: GPL-3.0-or-later
// VobSub files as ffmpeg and mkvmerge read them: 2-bit subtitles as they were, 8-bit ones in
// their three most used opaque colours, each at its time.
#include <gtest/gtest.h>

#include "codecs/subpicture_unit.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"
#include "formats/subtitles/vobsub_writer.h"
#include "subtitle_oracle.h"

namespace quarnel {
namespace {

using namespace fixtures;

SubpictureEvent decoded(const Bytes& unit, uint64_t pts) {
    UnitDecode d = decodeSubpictureUnit(unit, pts, defaultDvdPalette());
    if (!d.event) throw std::runtime_error(std::string(unitFaultText(d.fault)));
    return *d.event;
}

struct VobSub {
    TempDir dir;
    std::string idx = dir.file("subs.idx"), sub = dir.file("subs.sub");
    std::vector<std::string> notes;
    void write(const std::vector<SubpictureEvent>& events, const VobSubOptions& options) {
        VobSubWriter w(idx, sub, options);
        for (const SubpictureEvent& e : events) EXPECT_TRUE(w.add(e));
        notes = w.finish();
    }
};

TEST(VobSubWriter, TwoBitSubtitlesShowAsTheyWereAtTheirTimes) {
    QUARNEL_NEED("ffmpeg");
    const SubpictureEvent first = decoded(dvdSubpictureUnit(textBitmap("First", 3), 80, 420, 90000), 90000);
    const SubpictureEvent second =
        decoded(dvdSubpictureUnit(textBitmap("Second line", 2), 40, 500, 45000), 270000);
    VobSub v;
    v.write({first, second}, {720, 576, "de", defaultDvdPalette()});
    EXPECT_TRUE(v.notes.empty());

    const auto one = oracle::render(v.idx, 720, 576, 1.5, v.dir.path());
    ASSERT_TRUE(one);
    EXPECT_LE(oracle::worstDifference(*one, first), 3);
    const auto two = oracle::render(v.idx, 720, 576, 3.2, v.dir.path());
    ASSERT_TRUE(two);
    EXPECT_LE(oracle::worstDifference(*two, second), 3);
    const auto after = oracle::render(v.idx, 720, 576, 3.8, v.dir.path());
    ASSERT_TRUE(after);
    EXPECT_TRUE(oracle::allGreen(*after));
    EXPECT_EQ(oracle::packetTimes(v.idx, v.dir.path()), (std::vector<double>{1.0, 3.0}));
}

TEST(VobSubWriter, EightBitSubtitlesKeepTheirOpaqueColoursAndSayColourIsLost) {
    QUARNEL_NEED("ffmpeg");
    // White, red and a green column are opaque; the blue band is less than half opaque.
    const SubpictureEvent banded =
        decoded(hdSubpictureUnit(bandedPicture(400, 60), bandedPalette(), 760, 950, 90000), 90000);
    VobSub v;
    v.write({banded}, {1920, 1080});
    ASSERT_EQ(v.notes.size(), 1u);
    EXPECT_NE(v.notes[0].find("lose colour"), std::string::npos);

    SubpictureEvent expected = banded;
    for (Rgba& c : expected.palette) c.a = c.a >= 128 ? 255 : 0;
    const auto frame = oracle::render(v.idx, 1920, 1080, 1.5, v.dir.path());
    ASSERT_TRUE(frame);
    EXPECT_LE(oracle::worstDifference(*frame, expected), 3);
}

TEST(VobSubWriter, MkvmergeTakesTheIndexAsVobSub) {
    QUARNEL_NEED("mkvmerge");
    VobSub v;
    v.write({decoded(dvdSubpictureUnit(textBitmap("Muxed", 4), 100, 400, 90000), 9000)},
            {720, 576, "en", defaultDvdPalette()});
    EXPECT_EQ(oracle::mkvmergeCodec(v.idx, v.dir.path()), "VobSub");
    EXPECT_TRUE(oracle::mkvmergeMuxes(v.idx, v.dir.path()));
}

TEST(VobSubWriter, SubtitlesThatDoNotFitAreLeftOutAndCounted) {
    SubpictureEvent outside = decoded(dvdSubpictureUnit(textBitmap("Wide", 2), 700, 100, 90000), 0);
    SubpictureEvent huge;  // too many runs for a 16-bit unit size
    huge.depth = SubpictureDepth::EightBit;
    huge.width = 1920, huge.height = 1080, huge.stop = 9000, huge.hasStop = true;
    huge.palette = {{0, 0, 0, 0}, {255, 255, 255, 255}};
    for (int k = 0; k < huge.width * huge.height; ++k) huge.pixels.push_back(uint8_t(k & 1));
    VobSub v;
    VobSubWriter w(v.idx, v.sub, {1920, 1080});
    outside.x = 1900;
    EXPECT_FALSE(w.add(outside));
    EXPECT_FALSE(w.add(huge));
    const std::vector<std::string> notes = w.finish();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back(),
              "2 subtitles do not fit VobSub (outside the picture or too large) and are left out.");
    EXPECT_EQ(std::filesystem::file_size(v.sub), 0u);
}

}  // namespace
}  // namespace quarnel
