// SPDX-License-Identifier: GPL-3.0-or-later
// Subpicture units decoded into events: the picture, its place, its colours and its times,
// and the damaged units that are turned away with a reason.
#include <gtest/gtest.h>

#include <functional>

#include "codecs/subpicture_unit.h"
#include "fixtures/hd_subpicture_unit.h"
#include "fixtures/subpicture_unit.h"

namespace quarnel {
namespace {

using fixtures::Bytes;

const Bytes& textUnit() {
    static const Bytes u =
        fixtures::dvdSubpictureUnit(fixtures::textBitmap("Hello 42", 3), 100, 400, 2 * 90000);
    return u;
}

const Bytes& bandedUnit() {
    static const Bytes u = fixtures::hdSubpictureUnit(fixtures::bandedPicture(300, 41),
                                                      fixtures::bandedPalette(), 810, 960, 90000);
    return u;
}

// A 2-bit unit of `width` × `height` pixels whose fields start at `top` and `bottom`, with the
// picture bytes `lines` right after the header.
Bytes tinyUnit(int width, int height, const Bytes& lines, size_t top = 4, size_t bottom = 4) {
    Bytes u(4 + lines.size(), 0);  // the unit's size and control offset, then the lines
    std::copy(lines.begin(), lines.end(), u.begin() + 4);
    const size_t control = u.size();
    const int x2 = width - 1, y2 = height - 1;
    u.insert(u.end(), {0, 0, uint8_t(control >> 8), uint8_t(control), 0x01, 0x05, 0, uint8_t(x2 >> 8),
                       uint8_t(x2), 0, uint8_t(y2 >> 8), uint8_t(y2), 0x06, uint8_t(top >> 8), uint8_t(top),
                       uint8_t(bottom >> 8), uint8_t(bottom), 0xFF});
    u[0] = uint8_t(u.size() >> 8), u[1] = uint8_t(u.size());
    u[2] = uint8_t(control >> 8), u[3] = uint8_t(control);
    return u;
}

TEST(SubpictureDecoding, TwoBitUnitShowsItsBitmapAtItsPlaceBetweenItsTimes) {
    const fixtures::Bitmap bitmap = fixtures::textBitmap("Hello 42", 3);
    const UnitDecode d = decodeSubpictureUnit(textUnit(), 90000, defaultDvdPalette());
    ASSERT_TRUE(d.event) << unitFaultText(d.fault);
    const SubpictureEvent& e = *d.event;
    EXPECT_EQ(e.depth, SubpictureDepth::TwoBit);
    EXPECT_EQ(e.start, 90000u);
    EXPECT_TRUE(e.hasStop);
    EXPECT_EQ(e.stop, 90000u + 2 * 90000 / 1024 * 1024);
    EXPECT_FALSE(e.forced);
    EXPECT_EQ(e.x, 100);
    EXPECT_EQ(e.y, 400);
    EXPECT_EQ(e.width, bitmap.width);
    EXPECT_EQ(e.height, bitmap.height);
    EXPECT_EQ(e.pixels, bitmap.pixels);
    // Background clear, pattern (colour 15: white) and outline (colour 1) opaque.
    ASSERT_EQ(e.palette.size(), 4u);
    EXPECT_EQ(e.palette[0].a, 0);
    EXPECT_EQ(e.palette[1], (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(e.palette[2], (Rgba{17, 17, 17, 255}));
}

TEST(SubpictureDecoding, EightBitUnitShowsItsPictureInItsOwnColours) {
    const fixtures::IndexedPicture picture = fixtures::bandedPicture(300, 41);
    const UnitDecode d = decodeSubpictureUnit(bandedUnit(), 1000, defaultDvdPalette());
    ASSERT_TRUE(d.event) << unitFaultText(d.fault);
    const SubpictureEvent& e = *d.event;
    EXPECT_EQ(e.depth, SubpictureDepth::EightBit);
    EXPECT_EQ(e.start, 1000u);
    EXPECT_EQ(e.stop, 1000u + 90000 / 1024 * 1024);
    EXPECT_EQ(e.x, 810);
    EXPECT_EQ(e.y, 960);
    EXPECT_EQ(e.width, 300);
    EXPECT_EQ(e.height, 41);
    EXPECT_EQ(e.pixels, picture.pixels);
    ASSERT_EQ(e.palette.size(), 256u);
    const auto near = [](Rgba got, Rgba want) {
        return std::abs(got.r - want.r) <= 2 && std::abs(got.g - want.g) <= 2 &&
               std::abs(got.b - want.b) <= 2 && got.a == want.a;
    };
    EXPECT_EQ(e.palette[0].a, 0);
    EXPECT_PRED2(near, e.palette[1], (Rgba{255, 255, 255, 255}));
    EXPECT_PRED2(near, e.palette[2], (Rgba{255, 0, 0, 255}));
    EXPECT_PRED2(near, e.palette[7], (Rgba{0, 255, 0, 255}));
    EXPECT_PRED2(near, e.palette[200], (Rgba{0, 0, 255, 127}));
}

TEST(SubpictureDecoding, ForcedStartAndLaterSequencesSetTheFlagAndTheTimes) {
    Bytes u = textUnit();
    const size_t first = size_t(u[2]) << 8 | u[3];
    u[first + 22] = 0x00;            // the start command of the first sequence becomes a forced start
    u[first] = 0, u[first + 1] = 3;  // shown 3 × 1024 ticks after the record's time
    const UnitDecode d = decodeSubpictureUnit(u, 500, defaultDvdPalette());
    ASSERT_TRUE(d.event) << unitFaultText(d.fault);
    EXPECT_TRUE(d.event->forced);
    EXPECT_EQ(d.event->start, 500u + 3 * 1024);
}

struct BadUnit {
    const char* what;
    std::function<Bytes()> make;
    UnitFault fault;
    SubpictureLimits limits{};
};

Bytes with(Bytes u, size_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) u.at(at++) = b;
    return u;
}
size_t firstSequence(const Bytes& u) {
    return size_t(u[2]) << 8 | u[3];
}

TEST(SubpictureDecoding, DamagedUnitsAreTurnedAwayWithTheirReason) {
    const BadUnit cases[] = {
        {"size smaller than the header",
         [] {
             return with(textUnit(), 0, {0, 2});
         },
         UnitFault::ZeroSize},
        {"8-bit size 0",
         [] {
             return with(bandedUnit(), 2, {0, 0, 0, 0});
         },
         UnitFault::ZeroSize},
        {"8-bit size of 4 GB",
         [] {
             return with(bandedUnit(), 2, {0xFF, 0xFF, 0xFF, 0xFF});
         },
         UnitFault::AbsurdSize},
        {"cut short",
         [] {
             Bytes u = textUnit();
             u.pop_back();
             return u;
         },
         UnitFault::Cut},
        {"only one byte", [] { return Bytes{0x12}; }, UnitFault::Cut},
        {"control offset past the end",
         [] {
             return with(textUnit(), 2, {0xFF, 0xF0});
         },
         UnitFault::ControlOutside},
        {"8-bit control offset past the end",
         [] {
             return with(bandedUnit(), 6, {0x7F, 0, 0, 0});
         },
         UnitFault::ControlOutside},
        {"unknown command", [] { return with(textUnit(), firstSequence(textUnit()) + 22, {0x42}); },
         UnitFault::BadCommand},
        {"8-bit command in a 2-bit unit",
         [] { return with(textUnit(), firstSequence(textUnit()) + 22, {0x83}); }, UnitFault::BadCommand},
        {"last sequence points back",
         [] {
             const Bytes& u = textUnit();
             return with(u, u.size() - 4, {u[2], u[3]});
         },
         UnitFault::SequenceBackwards},
        {"area beyond the canvas", [] { return textUnit(); }, UnitFault::AreaBeyondLimits, {720, 400}},
        {"area inverted",
         [] {
             return with(textUnit(), firstSequence(textUnit()) + 11, {0xFF, 0xF0});
         },
         UnitFault::AreaBeyondLimits},
        {"field offset past the end",
         [] {
             return with(textUnit(), firstSequence(textUnit()) + 18, {0xFF, 0x00});
         },
         UnitFault::FieldOutside},
        {"run of 8 in a line of 4",
         [] {
             return tinyUnit(4, 2, {0x21, 0x21}, 4, 5);
         },
         UnitFault::RunPastLine},
        {"picture data ends early",
         [] {
             const Bytes u = tinyUnit(12, 2, {0xFF}, 4, 4);
             return with(u, 18, {0, 22, 0, 22});  // both fields start at the last byte, 0xFF
         },
         UnitFault::PictureCut},
    };
    for (const BadUnit& c : cases) {
        const Bytes unit = c.make();
        const UnitDecode d = decodeSubpictureUnit(unit, 0, defaultDvdPalette(), c.limits);
        EXPECT_FALSE(d.event) << c.what;
        EXPECT_EQ(unitFaultText(d.fault), unitFaultText(c.fault)) << c.what;
    }
}

}  // namespace
}  // namespace quarnel
