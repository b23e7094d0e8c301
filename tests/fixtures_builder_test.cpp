// SPDX-License-Identifier: GPL-3.0-or-later
// The fixture builders that the shipped sample is made with: units packed back to back into
// PES packets, access units cut out of coded streams, subtitle units, SHA-256; and the UDF
// image writer, read back through libudfread.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "fixtures/es_units.h"
#include "fixtures/program_stream_builder.h"
#include "fixtures/sha256.h"
#include "fixtures/subpicture_unit.h"
#include "fixtures/temp_dir.h"
#include "fixtures/udf_image_builder.h"
#include "formats/disc/udf_image.h"

namespace quarnel {
namespace {

using namespace fixtures;

// A private stream 1 packet of a built stream, as its headers describe it.
struct PrivatePacket {
    std::optional<uint32_t> pts;
    int frames;
    size_t pointer;
    Bytes payload;
};

uint32_t stamp(const uint8_t* p) {
    return uint32_t(p[0] & 0x0E) << 29 | uint32_t(p[1]) << 22 | uint32_t(p[2] & 0xFE) << 14 |
           uint32_t(p[3]) << 7 | p[4] >> 1;
}

// Every private stream 1 packet of `ps` (private headers of `privateBytes`), walking its packs
// packet by packet.
std::vector<PrivatePacket> privatePackets(const Bytes& ps, size_t privateBytes = 4) {
    std::vector<PrivatePacket> out;
    for (size_t pack = 0; pack < ps.size(); pack += kPackSize) {
        for (size_t at = pack + 14; at + 6 <= pack + kPackSize;) {
            EXPECT_TRUE(ps[at] == 0 && ps[at + 1] == 0 && ps[at + 2] == 1) << at;
            const size_t length = size_t(ps[at + 4]) << 8 | ps[at + 5];
            if (ps[at + 3] == 0xBD) {
                PrivatePacket p;
                if (ps[at + 7] & 0x80) p.pts = stamp(&ps[at + 9]);
                const size_t priv = at + 9 + ps[at + 8];
                p.frames = ps[priv + 1];
                p.pointer = size_t(ps[priv + 2]) << 8 | ps[priv + 3];
                p.payload.assign(ps.begin() + long(priv + privateBytes), ps.begin() + long(at + 6 + length));
                out.push_back(p);
            }
            at += 6 + length;
        }
    }
    return out;
}

TEST(FixtureBuilder, PackedUnitsFillPacketsAndThePrivateHeaderPointsAtTheFirstThatBegins) {
    EsStream s{EsKind::Ac3, 0x81, {}, {}, 0};
    s.packUnits = true;
    std::vector<size_t> starts;  // where each unit begins in the stream
    Bytes all;
    for (int k = 0; k < 40; ++k) {
        starts.push_back(all.size());
        const Bytes unit(size_t(300 + 97 * (k % 7)), uint8_t(k));
        all.insert(all.end(), unit.begin(), unit.end());
        s.units.push_back({unit, 90000 + uint32_t(k) * 2880, {}});
    }
    const Bytes ps = buildProgramStream({s}, {});
    ASSERT_EQ(ps.size() % kPackSize, 0u);

    Bytes joined;
    size_t full = 0;
    const std::vector<PrivatePacket> packets = privatePackets(ps);
    for (const PrivatePacket& p : packets) {
        const size_t from = joined.size(), to = from + p.payload.size();
        std::vector<size_t> begun;
        for (size_t k = 0; k < starts.size(); ++k)
            if (starts[k] >= from && starts[k] < to) begun.push_back(k);
        EXPECT_EQ(p.frames, int(begun.size())) << "packet at " << from;
        if (begun.empty()) {
            EXPECT_EQ(p.pointer, 0u);
            EXPECT_FALSE(p.pts);
        } else {
            EXPECT_EQ(p.pointer, starts[begun[0]] - from + 1);
            EXPECT_EQ(p.pts, s.units[begun[0]].pts);
        }
        full += p.payload.size() >= 2000;
        joined.insert(joined.end(), p.payload.begin(), p.payload.end());
    }
    EXPECT_EQ(joined, all);
    EXPECT_GE(full, packets.size() - 2) << "packets are filled";
}

TEST(FixtureBuilder, MaxPayloadKeepsPackedPacketsToWholeSampleFrames) {
    EsStream s{EsKind::Lpcm,
               0xA0,
               timedAudio(lpcmBlocks(Bytes(32000, 0x11), 4, 80), 90000, 48000),
               {0x00, 0x01, 0x80},
               2012};
    s.packUnits = true;
    Bytes joined;
    for (const PrivatePacket& p : privatePackets(buildProgramStream({s}, {}), 7)) {
        EXPECT_EQ(p.payload.size() % 4, 0u);
        joined.insert(joined.end(), p.payload.begin(), p.payload.end());
    }
    EXPECT_EQ(joined, Bytes(32000, 0x11));
}

Bytes mpeg2Header(uint8_t code, std::initializer_list<uint8_t> rest) {
    Bytes b(4 + rest.size(), 0);
    b[2] = 0x01;
    b[3] = code;
    std::copy(rest.begin(), rest.end(), b.begin() + 4);
    return b;
}

Bytes picture(int temporalReference, uint8_t type) {
    Bytes b = mpeg2Header(
        0x00, {uint8_t(temporalReference >> 2), uint8_t((temporalReference & 3) << 6 | type << 3), 0xFF});
    const Bytes slice = mpeg2Header(0x01, {0x12, 0x34, 0x56});
    b.insert(b.end(), slice.begin(), slice.end());
    return b;
}

TEST(EsUnits, Mpeg2PicturesCarryTheirHeadersAndTimesFromClosedGops) {
    const Bytes sequence = mpeg2Header(0xB3, {0x78, 0x04, 0x38, 0x31, 0xFF, 0xFF, 0xE0, 0x18});
    const Bytes gop = mpeg2Header(0xB8, {0x00, 0x08, 0x00, 0x40});
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes b;
        for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
        return b;
    };
    // Two closed GOPs in coded order: I0 P3 B1 B2, then I0 P1.
    const std::vector<Bytes> expected = {
        join({sequence, gop, picture(0, 1)}), picture(3, 2), picture(1, 3), picture(2, 3),
        join({gop, picture(0, 1)}),           picture(1, 2)};
    Bytes es;
    for (const Bytes& u : expected) es.insert(es.end(), u.begin(), u.end());

    const std::vector<Unit> units = mpeg2Pictures(es, 90000, {25, 1});
    ASSERT_EQ(units.size(), 6u);
    for (size_t k = 0; k < units.size(); ++k) EXPECT_EQ(units[k].bytes, expected[k]) << k;
    const uint32_t shown[] = {0, 3, 1, 2, 4, 5};  // the second GOP starts at coded picture 4
    for (size_t k = 0; k < units.size(); ++k) {
        EXPECT_EQ(units[k].pts, 90000 + shown[k] * 3600) << k;
        EXPECT_EQ(units[k].dts, 90000 + uint32_t(k) * 3600 - 3600) << k;
    }
}

TEST(EsUnits, Ac3AndEac3FramesAreCutByTheirHeaders) {
    Bytes ac3(768, 0x55);  // 48 kHz, 192 kbit/s: 768 bytes
    ac3[0] = 0x0B, ac3[1] = 0x77, ac3[4] = 0x00 << 6 | 20, ac3[5] = 8 << 3;
    Bytes eac3(400, 0x66);  // frmsiz 199: 400 bytes; 48 kHz, 3 blocks of 256 samples
    eac3[0] = 0x0B, eac3[1] = 0x77, eac3[2] = 0x00, eac3[3] = 199, eac3[4] = 0x00 << 6 | 2 << 4,
    eac3[5] = 16 << 3;
    Bytes es = ac3;
    es.insert(es.end(), eac3.begin(), eac3.end());
    es.insert(es.end(), ac3.begin(), ac3.end());
    const std::vector<AudioFrame> frames = ac3Frames(es);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes, ac3);
    EXPECT_EQ(frames[1].bytes, eac3);
    EXPECT_EQ(frames[1].samples, 768u);
    const std::vector<Unit> units = timedAudio(frames, 1000, 48000);
    EXPECT_EQ(units[1].pts, 1000u + 2880);
    EXPECT_EQ(units[2].pts, 1000u + 2880 + 1440);
    es.resize(es.size() - 1);
    EXPECT_THROW(ac3Frames(es), std::runtime_error);
}

TEST(EsUnits, DtsAndTrueHdUnitsAreCutByTheirHeaders) {
    Bytes dts(512, 0);  // 16 blocks of 32 samples, 512 bytes
    const uint8_t header[] = {0x7F, 0xFE, 0x80, 0x01, 0xFC, 0x3C, 0x1F, 0xF0};
    std::copy(std::begin(header), std::end(header), dts.begin());
    const std::vector<AudioFrame> d = dtsFrames(dts);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].samples, 512u);

    Bytes major(32, 0), minor(8, 0);  // lengths in 16-bit words; a major sync at 96 kHz
    major[0] = 0x80, major[1] = 16, major[4] = 0xF8, major[5] = 0x72, major[6] = 0x6F, major[7] = 0xBA,
    major[8] = 0x10;
    minor[0] = 0x70, minor[1] = 4;
    Bytes thd = major;
    thd.insert(thd.end(), minor.begin(), minor.end());
    const std::vector<AudioFrame> t = trueHdAccessUnits(thd);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[1].bytes, minor);
    EXPECT_EQ(t[1].samples, 80u);
    EXPECT_THROW(trueHdAccessUnits(minor), std::runtime_error);  // no major sync before it
}

TEST(EsUnits, ACutMustSeparateEarlierFromLaterUnits) {
    const std::vector<Unit> clean = {{{1}, 10, {}}, {{2}, 20, {}}, {{3}, 30, {}}};
    EXPECT_EQ(cutIndex(clean, 20), 1u);
    EXPECT_EQ(cutIndex(clean, 31), 3u);
    const std::vector<Unit> reordered = {{{1}, 10, {}}, {{2}, 30, {}}, {{3}, 20, {}}};
    EXPECT_THROW(cutIndex(reordered, 25), std::runtime_error);
}

// Decodes the field of a 2-bit run-length coded unit that starts at `at` into every second row.
void decodeField(const Bytes& u, size_t at, int firstRow, Bitmap& out) {
    size_t nibble = at * 2;
    const auto get = [&] {  // past the unit's end: 0, which ends the line
        const uint32_t v = nibble / 2 < u.size() ? u[nibble / 2] >> (nibble % 2 ? 0 : 4) & 0x0F : 0;
        ++nibble;
        return v;
    };
    for (int y = firstRow; y < out.height; y += 2) {
        int x = 0;
        while (x < out.width) {
            uint32_t v =
                get();  // 1 to 4 nibbles: a run of 1-3, 4-15, 16-63, 64-255 pixels or to the line's end
            if (v < 0x4) {
                v = v << 4 | get();
                if (v < 0x10) {
                    v = v << 4 | get();
                    if (v < 0x40) v = v << 4 | get();
                }
            }
            const int run = v >> 2 ? int(v >> 2) : out.width - x;
            ASSERT_LE(x + run, out.width) << "row " << y;
            for (int k = 0; k < run; ++k)
                out.pixels[size_t(y) * size_t(out.width) + size_t(x + k)] = uint8_t(v & 3);
            x += run;
        }
        nibble += nibble % 2;  // lines end on a byte
    }
}

TEST(SubpictureUnit, DecodesBackToTheBitmapWithItsPlaceAndDuration) {
    const Bitmap b = textBitmap("Hd 2", 2);
    EXPECT_EQ(b.width, (4 * 6 - 1 + 4) * 2);
    EXPECT_EQ(b.height, 11 * 2);
    const Bytes u = dvdSubpictureUnit(b, 100, 400, 90000);
    EXPECT_EQ(size_t(u[0]) << 8 | u[1], u.size());
    const size_t first = size_t(u[2]) << 8 | u[3];
    const size_t second = size_t(u[first + 2]) << 8 | u[first + 3];
    EXPECT_EQ(u[first + 4], 0x03);
    // Display area: x 100..100+w-1, y 400..400+h-1.
    const uint8_t* area = &u[first + 11];
    EXPECT_EQ(int(area[0]) << 4 | area[1] >> 4, 100);
    EXPECT_EQ(int(area[1] & 0x0F) << 8 | area[2], 100 + b.width - 1);
    EXPECT_EQ(int(area[3]) << 4 | area[4] >> 4, 400);
    EXPECT_EQ(int(area[4] & 0x0F) << 8 | area[5], 400 + b.height - 1);
    EXPECT_EQ(u[first + 17], 0x06);
    Bitmap decoded = b;
    std::fill(decoded.pixels.begin(), decoded.pixels.end(), 3);
    decodeField(u, size_t(u[first + 18]) << 8 | u[first + 19], 0, decoded);
    decodeField(u, size_t(u[first + 20]) << 8 | u[first + 21], 1, decoded);
    EXPECT_EQ(decoded.pixels, b.pixels);
    // The last sequence stops the display after 90000 / 1024 steps and points at itself.
    EXPECT_EQ(size_t(u[second]) << 8 | u[second + 1], 90000u / 1024);
    EXPECT_EQ(size_t(u[second + 2]) << 8 | u[second + 3], second);
    EXPECT_EQ(u[second + 4], 0x02);
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex({'a', 'b', 'c'}), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex(Bytes(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Nested folders, an empty file, files short of a block and of several blocks, and a folder
// whose names take more than a block (one name across the blocks' border): each name and each
// file's bytes as the image's reader finds them, each file in one run of the image.
TEST(UdfImageBuilder, EveryFileOfTheFolderReadsBackFromTheImage) {
    const TempDir dir;
    std::map<std::string, std::string> files = {
        {"/EMPTY", ""}, {"/A/SHORT.BIN", "abc"}, {"/A/B/LONG.BIN", std::string(5000, 'x') + "end"}};
    for (int k = 10; k < 70; ++k)
        files["/MANY/A_NAME_OF_TWENTY_FOUR_" + std::to_string(k)] = std::to_string(k);
    for (const auto& [name, bytes] : files) {
        std::filesystem::create_directories(std::filesystem::path(dir.file("disc") + name).parent_path());
        std::ofstream(dir.file("disc") + name, std::ios::binary) << bytes;
    }
    writeUdf250Image(dir.file("disc"), dir.file("disc.iso"), "DISC");

    const UdfImage image(dir.file("disc.iso"));
    EXPECT_EQ(image.volumeId(), "DISC");
    EXPECT_EQ(image.names("/").size(), 3u);
    EXPECT_EQ(image.names("/MANY").size(), 60u);
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(image.read(name, 1 << 20), bytes) << name;
        EXPECT_EQ(image.extentOf(name).value_or(UdfImage::Extent{}).size, bytes.size()) << name;
    }
}

}  // namespace
}  // namespace quarnel
