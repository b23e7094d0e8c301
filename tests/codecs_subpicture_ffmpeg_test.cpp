// SPDX-License-Identifier: GPL-3.0-or-later
// 2-bit units made by ffmpeg's own dvdsub encoder decode to the picture they were made from.
#include <gtest/gtest.h>

#include <map>

#include "codecs/subpicture_unit.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"
#include "subtitle_oracle.h"

namespace quarnel {
namespace {

using namespace fixtures;

// The units of a stream ffmpeg's data muxer wrote one after another, split by their sizes.
std::vector<Bytes> splitUnits(const Bytes& stream) {
    std::vector<Bytes> units;
    for (size_t at = 0; stream.size() - at >= 2;) {
        const size_t size = size_t(stream[at]) << 8 | stream[at + 1];
        if (size == 0 || size > stream.size() - at) break;
        units.emplace_back(stream.begin() + std::ptrdiff_t(at), stream.begin() + std::ptrdiff_t(at + size));
        at += size;
    }
    return units;
}

TEST(SubpictureFromFfmpeg, UnitsOfFfmpegsEncoderShowTheSourcePictureForItsDuration) {
    QUARNEL_NEED("ffmpeg");
    TempDir dir;
    const Bitmap source[] = {textBitmap("From ffmpeg", 3), textBitmap("Second 2", 2)};
    const int placeX[] = {60, 120}, placeY[] = {400, 480};
    std::vector<Unit> units;
    for (size_t k = 0; k < 2; ++k)
        units.push_back(
            {dvdSubpictureUnit(source[k], placeX[k], placeY[k], 2 * 90000), uint32_t(90000 + k * 3 * 90000)});
    writeFile(dir.file("in.vob"), buildProgramStream({{EsKind::Subpicture, 0x20, units}}, {Layout::Vob}));
    const auto r = runCommand("ffmpeg -v error -y -i '" + dir.file("in.vob") +
                                  "' -map 0:s:0 -c:s dvdsub -s 720x576 -f data '" + dir.file("out.bin") + "'",
                              dir.file("ffmpeg.err"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Bytes> made = splitUnits(readFile(dir.file("out.bin")));
    ASSERT_EQ(made.size(), 2u);

    for (size_t k = 0; k < 2; ++k) {
        const UnitDecode d = decodeSubpictureUnit(made[k], 0, defaultDvdPalette(), {720, 576});
        ASSERT_TRUE(d.event) << unitFaultText(d.fault);
        const SubpictureEvent& e = *d.event;
        EXPECT_NEAR(double(e.stop - e.start), double(2 * 90000 / 1024 * 1024),
                    1024.0);  // one step of rounding
        // ffmpeg may crop the clear border; every pixel of the source keeps its kind: clear
        // background, pattern and outline each take one value of their own.
        std::map<uint8_t, uint8_t> valueOf;  // source value -> decoded value
        const Bitmap& b = source[k];
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x) {
                const int ex = placeX[k] + x - e.x, ey = placeY[k] + y - e.y;
                const bool inside = ex >= 0 && ey >= 0 && ex < e.width && ey < e.height;
                if (!inside) {
                    ASSERT_EQ(b.at(x, y), 0) << "cropped a visible pixel at " << x << "," << y;
                    continue;
                }
                const uint8_t v = e.at(ex, ey);
                EXPECT_EQ(e.palette[v].a == 0, b.at(x, y) == 0) << x << "," << y;
                const auto [it, fresh] = valueOf.emplace(b.at(x, y), v);
                ASSERT_EQ(it->second, v) << "source value " << int(b.at(x, y)) << " shows two ways";
            }
        EXPECT_NE(valueOf.at(1), valueOf.at(2));
    }
}

}  // namespace
}  // namespace quarnel
