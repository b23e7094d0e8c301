// SPDX-License-Identifier: GPL-3.0-or-later
// PGS files as ffmpeg and mkvmerge read them: every event shown at its place in its colours
// between its times, large pictures split over several object segments.
#include <gtest/gtest.h>

#include <random>

#include "codecs/subpicture_unit.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"
#include "formats/subtitles/pgs_writer.h"
#include "subtitle_oracle.h"

namespace quarnel {
namespace {

using namespace fixtures;

SubpictureEvent decoded(const Bytes& unit, uint64_t pts, SubpictureLimits limits = {}) {
    UnitDecode d = decodeSubpictureUnit(unit, pts, defaultDvdPalette(), limits);
    if (!d.event) throw std::runtime_error(std::string(unitFaultText(d.fault)));
    return *d.event;
}

const Bytes& bandedUnit() {
    static const Bytes u = hdSubpictureUnit(bandedPicture(400, 60), bandedPalette(), 760, 950, 2 * 90000);
    return u;
}

// A full-width picture of random colours: its coded form fills several object segments.
SubpictureEvent speckledEvent(uint64_t start, uint64_t stop) {
    SubpictureEvent e;
    e.depth = SubpictureDepth::EightBit;
    e.start = start, e.stop = stop, e.hasStop = true;
    e.x = 0, e.y = 700, e.width = 1920, e.height = 300;
    std::mt19937 random(7);
    for (int k = 0; k < 256; ++k)
        e.palette.push_back(
            {uint8_t(random()), uint8_t(random()), uint8_t(random()), uint8_t(k == 0 ? 0 : 255)});
    for (int k = 0; k < e.width * e.height; ++k)
        e.pixels.push_back(uint8_t(random() % 7 == 0 ? 0 : random()));
    return e;
}

TEST(PgsWriter, FfmpegShowsEachEventInItsColoursBetweenItsTimes) {
    QUARNEL_NEED("ffmpeg");
    TempDir dir;
    const SubpictureEvent banded = decoded(bandedUnit(), 90000);
    const SubpictureEvent speckled = speckledEvent(4 * 90000, 6 * 90000);
    ASSERT_GT(pgsRunLengths(speckled).size(), 4u * 0xFFFF);
    const std::string sup = dir.file("subs.sup");
    PgsWriter w(sup, {});
    EXPECT_TRUE(w.add(banded));
    EXPECT_TRUE(w.add(speckled));
    w.finish();

    const auto during = oracle::render(sup, 1920, 1080, 1.5, dir.path());
    ASSERT_TRUE(during);
    EXPECT_LE(oracle::worstDifference(*during, banded), 3);
    // ffmpeg's own picture of the source unit, from a VOB that carries it.
    const std::string vob = dir.file("source.vob");
    writeFile(vob, buildProgramStream({{EsKind::Subpicture, 0x20, {{bandedUnit(), 90000}}}}, {Layout::Vob}));
    const auto source = oracle::render(vob, 1920, 1080, 1.5, dir.path());
    ASSERT_TRUE(source);
    EXPECT_LE(oracle::worstDifference(*during, *source, banded), 3);
    const auto between = oracle::render(sup, 1920, 1080, 3.5, dir.path());
    ASSERT_TRUE(between);
    EXPECT_TRUE(oracle::allGreen(*between));
    const auto large = oracle::render(sup, 1920, 1080, 5.0, dir.path());
    ASSERT_TRUE(large);
    EXPECT_LE(oracle::worstDifference(*large, speckled), 3);

    std::vector<double> times = oracle::packetTimes(sup, dir.path());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    const double want[] = {banded.start / 90000.0, banded.stop / 90000.0, 4.0, 6.0};
    ASSERT_EQ(times.size(), 4u);
    for (size_t k = 0; k < 4; ++k) EXPECT_NEAR(times[k], want[k], 1.0 / 90000) << k;
}

TEST(PgsWriter, StandardDefinitionCanvasKeepsTheColoursOfTwoBitUnits) {
    QUARNEL_NEED("ffmpeg");
    TempDir dir;
    const SubpictureEvent text =
        decoded(dvdSubpictureUnit(textBitmap("Small canvas", 2), 60, 480, 90000), 0, {720, 576});
    const std::string sup = dir.file("sd.sup");
    PgsWriter w(sup, {720, 576, *frameRateNamed("25")});
    EXPECT_TRUE(w.add(text));
    w.finish();
    const auto frame = oracle::render(sup, 720, 576, 0.5, dir.path());
    ASSERT_TRUE(frame);
    EXPECT_LE(oracle::worstDifference(*frame, text), 3);
}

TEST(PgsWriter, MkvmergeTakesTheFileAsHdmvPgs) {
    QUARNEL_NEED("mkvmerge");
    TempDir dir;
    const std::string sup = dir.file("subs.sup");
    PgsWriter w(sup, {});
    w.add(decoded(dvdSubpictureUnit(textBitmap("Muxed", 4), 300, 900, 90000), 9000));
    w.finish();
    EXPECT_EQ(oracle::mkvmergeCodec(sup, dir.path()), "HDMV PGS");
    EXPECT_TRUE(oracle::mkvmergeMuxes(sup, dir.path()));
}

TEST(PgsWriter, AnEventOutsideTheCanvasIsLeftOut) {
    TempDir dir;
    PgsWriter w(dir.file("subs.sup"), {720, 576, kFilmRate});
    EXPECT_FALSE(w.add(decoded(dvdSubpictureUnit(textBitmap("Wide", 2), 700, 100, 90000), 0)));
    w.finish();
    EXPECT_EQ(std::filesystem::file_size(dir.file("subs.sup")), 0u);
}

}  // namespace
}  // namespace quarnel
