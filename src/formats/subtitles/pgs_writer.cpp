// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/subtitles/pgs_writer.h"

#include <algorithm>

#include "codecs/colour_space.h"

namespace quarnel {
namespace {

// Segment types.
constexpr uint8_t kPaletteSegment = 0x14, kObjectSegment = 0x15, kCompositionSegment = 0x16,
                  kWindowSegment = 0x17, kEndSegment = 0x80;
constexpr uint8_t kEpochStart = 0x80, kNormalState = 0x00;
constexpr uint8_t kForcedObject = 0x40;
constexpr uint8_t kFirstFragment = 0x80, kLastFragment = 0x40;
constexpr size_t kMaxSegmentPayload = 0xFFFF;
constexpr size_t kFirstObjectHeader = 11;  // id, version, flags, data length, width, height
constexpr size_t kNextObjectHeader = 4;    // id, version, flags
constexpr int kLongestRun = 0x3FFF;
constexpr size_t kMaxObjectData = 0xFFFFFF;             // the object's 24-bit data length
constexpr uint64_t kPtsMask = (uint64_t(1) << 32) - 1;  // a PGS time stamp holds 32 bits

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void put24(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v >> 16));
    put16(b, v & 0xFFFF);
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}

// A run of `length` (1 to 16383) pixels of `colour`. Colour 0 has no single-byte form.
void putRun(std::vector<uint8_t>& b, uint8_t colour, int length) {
    if (colour != 0 && length <= 2) {
        b.insert(b.end(), size_t(length), colour);
        return;
    }
    const uint8_t wide = length > 63 ? 0x40 : 0;
    b.push_back(0);
    const uint8_t coloured = colour != 0 ? 0x80 : 0;
    if (wide) {
        b.push_back(uint8_t(coloured | wide | length >> 8));
        b.push_back(uint8_t(length));
    } else {
        b.push_back(uint8_t(coloured | length));
    }
    if (coloured) b.push_back(colour);
}

std::vector<uint8_t> windowDefinition(const SubpictureEvent& e) {
    std::vector<uint8_t> w = {1, 0};  // one window, id 0
    put16(w, uint32_t(e.x));
    put16(w, uint32_t(e.y));
    put16(w, uint32_t(e.width));
    put16(w, uint32_t(e.height));
    return w;
}

// Palette id 0, version 0; Y, Cr, Cb in the matrix the player takes for the canvas.
std::vector<uint8_t> paletteDefinition(const SubpictureEvent& e, int canvasHeight) {
    const ColourMatrix matrix = canvasHeight > 576 ? ColourMatrix::Bt709 : ColourMatrix::Bt601;
    std::vector<uint8_t> p = {0, 0};
    const size_t entries = std::min<size_t>(e.palette.size(), 256);
    for (size_t k = 0; k < entries; ++k) {
        const Rgba c = e.palette[k];
        const YCrCb ycc = toYCrCb({c.r, c.g, c.b}, matrix);
        p.insert(p.end(), {uint8_t(k), ycc.y, ycc.cr, ycc.cb, c.a});
    }
    return p;
}

}  // namespace

std::vector<uint8_t> pgsRunLengths(const SubpictureEvent& e) {
    std::vector<uint8_t> b;
    for (int y = 0; y < e.height; ++y) {
        int x = 0;
        while (x < e.width) {
            const uint8_t colour = e.at(x, y);
            int run = 1;
            while (x + run < e.width && run < kLongestRun && e.at(x + run, y) == colour) ++run;
            putRun(b, colour, run);
            x += run;
        }
        b.insert(b.end(), {0, 0});
    }
    return b;
}

PgsWriter::PgsWriter(const std::string& path, const PgsOptions& options) : options_(options) {
    out_.create(path);
}

void PgsWriter::segment(uint8_t type, uint64_t pts, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> h = {'P', 'G'};
    put32(h, uint32_t(pts & kPtsMask));
    put32(h, 0);  // decoding time stamp: not used
    h.push_back(type);
    put16(h, uint32_t(payload.size()));
    out_.write(h);
    out_.write(payload);
}

std::vector<uint8_t> PgsWriter::composition(const SubpictureEvent& e, bool shown) {
    std::vector<uint8_t> c;
    put16(c, uint32_t(options_.canvasWidth));
    put16(c, uint32_t(options_.canvasHeight));
    c.push_back(options_.rate.pgsCode);
    put16(c, compositionNumber_++);
    c.push_back(shown ? kEpochStart : kNormalState);
    c.insert(c.end(), {0, 0, uint8_t(shown ? 1 : 0)});  // no palette update, palette 0, objects
    if (shown) {
        put16(c, 0);     // object 0
        c.push_back(0);  // in window 0
        c.push_back(e.forced ? kForcedObject : 0);
        put16(c, uint32_t(e.x));
        put16(c, uint32_t(e.y));
    }
    return c;
}

bool PgsWriter::add(const SubpictureEvent& e) {
    if (e.empty() || e.x < 0 || e.y < 0 || e.width > options_.canvasWidth - e.x ||
        e.height > options_.canvasHeight - e.y)
        return false;
    const std::vector<uint8_t> runs = pgsRunLengths(e);
    if (runs.size() + 4 > kMaxObjectData) return false;
    const std::vector<uint8_t> window = windowDefinition(e);
    segment(kCompositionSegment, e.start, composition(e, true));
    segment(kWindowSegment, e.start, window);
    segment(kPaletteSegment, e.start, paletteDefinition(e, options_.canvasHeight));

    size_t done = 0;
    do {
        std::vector<uint8_t> o = {0, 0, 0, 0};  // object 0, version 0, sequence flags
        const bool first = done == 0;
        if (first) {
            put24(o, uint32_t(runs.size() + 4));
            put16(o, uint32_t(e.width));
            put16(o, uint32_t(e.height));
        }
        const size_t room = kMaxSegmentPayload - (first ? kFirstObjectHeader : kNextObjectHeader);
        const size_t take = std::min(room, runs.size() - done);
        o.insert(o.end(), runs.begin() + std::ptrdiff_t(done), runs.begin() + std::ptrdiff_t(done + take));
        done += take;
        o[3] = uint8_t((first ? kFirstFragment : 0) | (done == runs.size() ? kLastFragment : 0));
        segment(kObjectSegment, e.start, o);
    } while (done < runs.size());
    segment(kEndSegment, e.start, {});

    segment(kCompositionSegment, e.stop, composition(e, false));
    segment(kWindowSegment, e.stop, window);
    segment(kEndSegment, e.stop, {});
    return true;
}

}  // namespace quarnel
