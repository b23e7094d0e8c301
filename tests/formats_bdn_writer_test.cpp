// SPDX-License-Identifier: GPL-3.0-or-later
// BDN XML + PNG: pictures as an independent PNG decoder reads them, the XML's events and time
// codes, and names that cannot lead out of the output folder.
#include <gtest/gtest.h>

#include "codecs/subpicture_unit.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"
#include "formats/subtitles/bdn_writer.h"
#include "subtitle_oracle.h"

namespace quarnel {
namespace {

using namespace fixtures;

SubpictureEvent decoded(const Bytes& unit, uint64_t pts) {
    UnitDecode d = decodeSubpictureUnit(unit, pts, defaultDvdPalette());
    if (!d.event) throw std::runtime_error(std::string(unitFaultText(d.fault)));
    return *d.event;
}

// The PNG's pixels as ffmpeg decodes them, RGBA.
Bytes pngPixels(const std::string& png, const std::string& scratch) {
    const auto r =
        runCommand("ffmpeg -v error -i '" + png + "' -f rawvideo -pix_fmt rgba -", scratch + "/png.err");
    EXPECT_EQ(r.status, 0) << r.err;
    return Bytes(r.out.begin(), r.out.end());
}

TEST(BdnWriter, OnePictureForEachEventInItsColoursListedWithItsTimeCodes) {
    QUARNEL_NEED("ffmpeg");
    TempDir dir;
    SubpictureEvent text = decoded(dvdSubpictureUnit(textBitmap("Bdn", 2), 100, 900, 90000), 90000);
    const SubpictureEvent banded =
        decoded(hdSubpictureUnit(bandedPicture(300, 40), bandedPalette(), 810, 1000, 45056), 5 * 90000);
    text.forced = true;
    const std::string folder = dir.file("movie.bdn");
    BdnWriter w(folder, "movie.xml", {1920, 1080, kFilmRate, "Movie & more", "eng"});
    EXPECT_TRUE(w.add(text));
    EXPECT_TRUE(w.add(banded));
    w.finish();

    const SubpictureEvent* events[] = {&text, &banded};
    for (size_t k = 0; k < 2; ++k) {
        const SubpictureEvent& e = *events[k];
        const Bytes rgba = pngPixels(folder + (k == 0 ? "/0001.png" : "/0002.png"), dir.path());
        ASSERT_EQ(rgba.size(), e.pixels.size() * 4);
        for (size_t p = 0; p < e.pixels.size(); ++p) {
            const Rgba c = e.palette[e.pixels[p]];
            const Rgba want = c.a == 0 ? Rgba{} : c;
            ASSERT_EQ((Rgba{rgba[4 * p], rgba[4 * p + 1], rgba[4 * p + 2], rgba[4 * p + 3]}), want)
                << k << " " << p;
        }
    }

    const Bytes xmlBytes = readFile(folder + "/movie.xml");
    const std::string xml(xmlBytes.begin(), xmlBytes.end());
    for (const char* line : {
             "<BDN Version=\"0.93\"",
             "<Name Title=\"Movie &amp; more\" Content=\"\"/>",
             "<Format VideoFormat=\"1080p\" FrameRate=\"23.976\" DropFrame=\"False\"/>",
             "<Events Type=\"Graphic\" FirstEventInTC=\"00:00:01:00\" LastEventOutTC=\"00:00:05:12\" "
             "NumberofEvents=\"2\"/>",
             "<Event InTC=\"00:00:01:00\" OutTC=\"00:00:02:00\" Forced=\"True\">\n"
             "      <Graphic Width=\"42\" Height=\"22\" X=\"100\" Y=\"900\">0001.png</Graphic>",
             "<Event InTC=\"00:00:05:00\" OutTC=\"00:00:05:12\" Forced=\"False\">\n"
             "      <Graphic Width=\"300\" Height=\"40\" X=\"810\" Y=\"1000\">0002.png</Graphic>",
         })
        EXPECT_NE(xml.find(line), std::string::npos) << line << "\n" << xml;
}

TEST(BdnWriter, TimeCodesCountWholeFramesOfTheNominalRate) {
    struct Case {
        uint64_t ticks;
        const char* rate;
        const char* timecode;
    };
    const Case cases[] = {
        {3600 * 90000, "25", "01:00:00:00"},
        {3003, "29.97", "00:00:00:01"},
        {90090, "29.97", "00:00:01:00"},
        {1501, "59.94", "00:00:00:01"},
        {3600ull * 90000 * 1001 / 1000, "23.976", "01:00:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BdnWriter::timecode(c.ticks, *frameRateNamed(c.rate)), c.timecode) << c.rate;
}

TEST(BdnWriter, AnXmlNameWithAFolderPartIsRefused) {
    TempDir dir;
    for (const char* name : {"../x.xml", "sub/x.xml", "..", ".", ""})
        EXPECT_THROW((void)BdnWriter(dir.file("out"), name, {}), QuarnelError) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.xml")));
}

}  // namespace
}  // namespace quarnel
