// SPDX-License-Identifier: GPL-3.0-or-later
// .sup files of a Demux read back as events: units put together again across packets, times
// from the records, damaged stretches reported by number and time while the rest goes on.
#include <gtest/gtest.h>

#include <filesystem>

#include "codecs/subpicture_timeline.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/model_fixture.h"
#include "fixtures/subpicture_unit.h"
#include "formats/subtitles/sup_events.h"

namespace quarnel {
namespace {

using namespace fixtures;

struct ReadBack {
    std::vector<SubpictureEvent> events;
    std::vector<std::string> problems;
    SupEventCounts counts;
};

ReadBack readBack(const Bytes& sup) {
    size_t at = 0;
    SupReader reader([&](uint8_t* into, size_t count) {
        const size_t n = std::min<size_t>({count, sup.size() - at, 1000});  // small reads cross every border
        std::copy_n(sup.begin() + std::ptrdiff_t(at), n, into);
        at += n;
        return n;
    });
    ReadBack r;
    r.counts = readSupEvents(
        reader, defaultDvdPalette(), {}, [&](const SubpictureEvent& e) { r.events.push_back(e); },
        [&](const std::string& line) { r.problems.push_back(line); });
    return r;
}

const Bytes kText = dvdSubpictureUnit(textBitmap("Line one", 2), 200, 900, 90000);
const Bytes kBanded = hdSubpictureUnit(bandedPicture(400, 60), bandedPalette(), 760, 950, 2 * 90000);

// Colours that change at every pixel: a unit over several packets.
IndexedPicture speckledPicture() {
    IndexedPicture p{300, 40, {}};
    constexpr uint8_t kColours[] = {0, 1, 2, 7, 200};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.pixels.push_back(kColours[(x * 7 + y * 13) % 5]);
    return p;
}

TEST(SupReader, UnitsADemuxSplitOverPacketsComeBackWhole) {
    ModelFixture f;
    const uint32_t start = 0x00200000;
    const Bytes speckled = hdSubpictureUnit(speckledPicture(), bandedPalette(), 760, 950, 2 * 90000);
    EsStream sub{EsKind::Subpicture, 0x21, {{speckled, start + 9000}, {kText, start + 5 * 90000}}};
    ASSERT_GT(speckled.size(), 3 * kPackSize);
    f.source("A.EVO", buildProgramStream({sub}, {}));
    f.model.options.outputDir = f.dir.file("out");
    std::filesystem::create_directories(f.model.options.outputDir);
    f.read();
    runs::demux(f.model, f.host);

    const ReadBack r = readBack(readFile(f.dir.file("out/A.Subpicture.01.sup")));
    EXPECT_TRUE(r.problems.empty()) << r.problems.front();
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].pixels, speckledPicture().pixels);
    EXPECT_EQ(r.events[0].stop - r.events[0].start, 2 * 90000 / 1024 * 1024);
    EXPECT_EQ(r.events[1].pixels, textBitmap("Line one", 2).pixels);
    EXPECT_EQ(r.events[1].start - r.events[0].start, 5 * 90000 - 9000);
}

TEST(SupReader, DamagedRecordsAreReportedAndTheRestIsRead) {
    Bytes badCommand = kText;
    badCommand[(size_t(kText[2]) << 8 | kText[3]) + 22] = 0x42;
    Bytes sup = supRecord(90000, kText);
    const Bytes more[] = {supRecord(2 * 90000, badCommand), Bytes{1, 2, 3, 4, 5, 6, 7},
                          supRecord(3 * 90000, kBanded), supRecord(4 * 90000 + 45, kText)};
    for (const Bytes& b : more) sup.insert(sup.end(), b.begin(), b.end());
    const size_t junkAt = 2 * (10 + kText.size());
    sup.resize(sup.size() - 1);  // the last record is cut

    const ReadBack r = readBack(sup);
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].start, 90000u);
    EXPECT_EQ(r.events[1].start, 3 * 90000u);
    EXPECT_EQ(r.events[1].depth, SubpictureDepth::EightBit);
    EXPECT_EQ(r.problems,
              (std::vector<std::string>{
                  "Subpicture unit 2 at 00:00:02.000 skipped: an unknown display control command.",
                  "7 bytes at offset " + std::to_string(junkAt) + " skipped: no record header.",
                  "Subpicture unit 4 at 00:00:04.000 skipped: the file ends inside the unit.",
              }));
    EXPECT_EQ(r.counts.units, 3u);
}

TEST(SupReader, AnAbsurdSizeIsSkippedUpToTheNextRecord) {
    Bytes huge = {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 10};
    huge.resize(300, 0x55);
    Bytes sup = supRecord(1000, huge);
    const Bytes good = supRecord(90000, kText);
    sup.insert(sup.end(), good.begin(), good.end());
    const ReadBack r = readBack(sup);
    ASSERT_EQ(r.events.size(), 1u);
    EXPECT_EQ(r.events[0].start, 90000u);
    EXPECT_EQ(r.problems,
              (std::vector<std::string>{
                  "Subpicture unit 1 at 00:00:00.011 skipped: the unit's size is beyond any real unit."}));
}

TEST(SupReader, EventsWithoutStopEndWhenTheNextUnitStarts) {
    Bytes open = kText;  // the stop command of the last sequence becomes the end command
    open[open.size() - 2] = 0xFF;
    Bytes sup = supRecord(0, open);
    const Bytes later = supRecord(3 * 90000, open);
    sup.insert(sup.end(), later.begin(), later.end());
    const ReadBack r = readBack(sup);
    ASSERT_EQ(r.events.size(), 2u);
    EXPECT_EQ(r.events[0].stop, 3 * 90000u);
    EXPECT_EQ(r.events[1].stop, 3 * 90000u + kOpenEndTicks);
}

}  // namespace
}  // namespace quarnel
