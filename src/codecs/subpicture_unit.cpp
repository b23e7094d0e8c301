// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/subpicture_unit.h"

#include <array>

#include "codecs/colour_space.h"
#include "codecs/subpicture_runs.h"

namespace quarnel {
namespace {

// Display control commands and the bytes of arguments that follow each. 0x07 (colour and
// contrast changes within the picture) carries its own length in its first two bytes and is
// passed over. The 0x8x commands belong to 8-bit units only.
struct CommandShape {
    uint8_t code;
    uint16_t argumentBytes;
    bool eightBitOnly;
};
constexpr uint8_t kForcedStart = 0x00, kStart = 0x01, kStop = 0x02, kColours = 0x03, kContrast = 0x04,
                  kArea = 0x05, kFields = 0x06, kChanges = 0x07, kPalette = 0x83, kAlpha = 0x84,
                  kWideArea = 0x85, kWideFields = 0x86, kEnd = 0xFF;
constexpr CommandShape kCommands[] = {
    {kForcedStart, 0, false}, {kStart, 0, false},  {kStop, 0, false},    {kColours, 2, false},
    {kContrast, 2, false},    {kArea, 6, false},   {kFields, 4, false},  {kChanges, 2, false},
    {kPalette, 768, true},    {kAlpha, 256, true}, {kWideArea, 6, true}, {kWideFields, 8, true},
    {kEnd, 0, false},
};

const CommandShape* commandShape(uint8_t code, SubpictureDepth depth) {
    for (const CommandShape& c : kCommands)
        if (c.code == code) return c.eightBitOnly && depth == SubpictureDepth::TwoBit ? nullptr : &c;
    return nullptr;
}

struct Layout {
    size_t headerBytes, offsetBytes;  // the unit's header; a next-sequence offset
};
constexpr Layout layoutOf(SubpictureDepth d) {
    return d == SubpictureDepth::TwoBit ? Layout{4, 2} : Layout{10, 4};
}

uint32_t be(std::span<const uint8_t> b, size_t at, size_t bytes) {
    uint32_t v = 0;
    for (size_t k = 0; k < bytes; ++k) v = v << 8 | b[at + k];
    return v;
}

// What the control sequences set, before it becomes an event.
struct Controls {
    std::optional<uint64_t> start, stop;
    bool forced = false;
    std::array<uint8_t, 4> colours{0, 1, 2, 3};      // palette numbers of pixel values 0-3
    std::array<uint8_t, 4> contrast{0, 15, 15, 15};  // 0 clear ... 15 opaque
    std::span<const uint8_t> palette, alpha;         // 8-bit: 768 bytes Y,Cr,Cb; 256 contrast bytes
    bool hasArea = false, hasFields = false;
    int x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    FieldLayout fields;
};

// Nibbles of pixel values 3, 2, 1, 0.
std::array<uint8_t, 4> nibbles(std::span<const uint8_t> b, size_t at) {
    return {uint8_t(b[at + 1] & 0x0F), uint8_t(b[at + 1] >> 4), uint8_t(b[at] & 0x0F), uint8_t(b[at] >> 4)};
}

void applyCommand(std::span<const uint8_t> u, size_t at, uint8_t code, uint64_t time, Controls& c) {
    switch (code) {
        case kForcedStart:
            c.forced = true;
            [[fallthrough]];
        case kStart:
            if (!c.start) c.start = time;
            break;
        case kStop:
            if (!c.stop) c.stop = time;
            break;
        case kColours:
            c.colours = nibbles(u, at);
            break;
        case kContrast:
            c.contrast = nibbles(u, at);
            break;
        case kArea:
        case kWideArea:
            c.hasArea = true;
            c.x1 = int(u[at] << 4 | u[at + 1] >> 4);
            c.x2 = int((u[at + 1] & 0x0F) << 8 | u[at + 2]);
            c.y1 = int(u[at + 3] << 4 | u[at + 4] >> 4);
            c.y2 = int((u[at + 4] & 0x0F) << 8 | u[at + 5]);
            break;
        case kFields:
        case kWideFields: {
            const size_t w = code == kFields ? 2 : 4;
            c.hasFields = true;
            c.fields.topField = be(u, at, w);
            c.fields.bottomField = be(u, at + w, w);
            break;
        }
        case kPalette:
            c.palette = u.subspan(at, 768);
            break;
        case kAlpha:
            c.alpha = u.subspan(at, 256);
            break;
        default:
            break;
    }
}

// Follows the chain of control sequences from `first`; each lies after the one before, the
// last points to itself.
UnitFault readControls(std::span<const uint8_t> u, size_t first, SubpictureDepth depth, uint64_t pts,
                       Controls& c) {
    const Layout layout = layoutOf(depth);
    size_t seq = first;
    for (;;) {
        if (seq < layout.headerBytes || seq >= u.size() || u.size() - seq < 2 + layout.offsetBytes)
            return UnitFault::ControlOutside;
        const uint64_t time = pts + uint64_t(be(u, seq, 2)) * 1024;
        const size_t next = be(u, seq + 2, layout.offsetBytes);
        size_t at = seq + 2 + layout.offsetBytes;
        for (bool end = false; !end;) {
            if (at >= u.size()) return UnitFault::ControlOutside;
            const uint8_t code = u[at++];
            const CommandShape* shape = commandShape(code, depth);
            if (!shape) return UnitFault::BadCommand;
            size_t length = shape->argumentBytes;
            if (u.size() - at < length) return UnitFault::ControlOutside;
            if (code == kChanges) {  // its length counts the length field itself
                length = be(u, at, 2);
                if (length < 2 || u.size() - at < length) return UnitFault::ControlOutside;
            }
            applyCommand(u, at, code, time, c);
            at += length;
            end = code == kEnd;
        }
        if (next == seq) return UnitFault::None;
        if (next < seq) return UnitFault::SequenceBackwards;
        seq = next;
    }
}

std::vector<Rgba> twoBitPalette(const Controls& c, const DvdPalette& palette) {
    std::vector<Rgba> out(4);
    for (size_t k = 0; k < 4; ++k) {
        const Rgb rgb = palette[c.colours[k]];
        out[k] = {rgb.r, rgb.g, rgb.b, uint8_t(c.contrast[k] * 17)};
    }
    return out;
}

// A unit without a palette shows black, without a contrast table opaque (a zero contrast
// value is full opacity).
std::vector<Rgba> eightBitPalette(const Controls& c) {
    std::vector<Rgba> out(256, Rgba{0, 0, 0, 255});
    for (size_t k = 0; k < 256; ++k) {
        if (!c.palette.empty()) {
            const YCrCb ycc{c.palette[3 * k], c.palette[3 * k + 1], c.palette[3 * k + 2]};
            const Rgb rgb = toRgb(ycc, ColourMatrix::Bt601);
            out[k].r = rgb.r, out[k].g = rgb.g, out[k].b = rgb.b;
        }
        if (!c.alpha.empty()) out[k].a = uint8_t(255 - c.alpha[k]);
    }
    return out;
}

UnitDecode fault(UnitFault f) {
    return {std::nullopt, f};
}

}  // namespace

std::optional<DeclaredSize> declaredUnitSize(std::span<const uint8_t> head) {
    if (head.size() < 2) return std::nullopt;
    DeclaredSize d;
    if (head[0] != 0 || head[1] != 0) {
        d.size = be(head, 0, 2);
        if (d.size < layoutOf(SubpictureDepth::TwoBit).headerBytes) d.fault = UnitFault::ZeroSize;
        return d;
    }
    if (head.size() < kUnitSizeFieldBytes) return std::nullopt;
    d.depth = SubpictureDepth::EightBit;
    d.size = be(head, 2, 4);
    if (d.size < layoutOf(SubpictureDepth::EightBit).headerBytes)
        d.fault = UnitFault::ZeroSize;
    else if (d.size > kMaxEightBitUnitBytes)
        d.fault = UnitFault::AbsurdSize;
    return d;
}

UnitDecode decodeSubpictureUnit(std::span<const uint8_t> unit, uint64_t pts, const DvdPalette& palette,
                                const SubpictureLimits& limits) {
    const std::optional<DeclaredSize> declared = declaredUnitSize(unit);
    if (!declared) return fault(UnitFault::Cut);
    if (declared->fault != UnitFault::None) return fault(declared->fault);
    if (unit.size() < declared->size) return fault(UnitFault::Cut);
    const SubpictureDepth depth = declared->depth;
    const Layout layout = layoutOf(depth);
    if (declared->size < layout.headerBytes) return fault(UnitFault::Cut);
    const std::span<const uint8_t> u = unit.first(declared->size);

    Controls c;
    const UnitFault controls =
        readControls(u, be(u, layout.headerBytes - layout.offsetBytes, layout.offsetBytes), depth, pts, c);
    if (controls != UnitFault::None) return fault(controls);

    SubpictureEvent e;
    e.depth = depth;
    e.start = c.start.value_or(pts);
    e.hasStop = c.stop.has_value();
    e.stop = c.stop.value_or(0);
    e.forced = c.forced;
    e.palette = depth == SubpictureDepth::TwoBit ? twoBitPalette(c, palette) : eightBitPalette(c);
    if (!c.hasArea) return {std::move(e), UnitFault::None};

    if (c.x2 < c.x1 || c.y2 < c.y1 || c.x2 >= limits.width || c.y2 >= limits.height)
        return fault(UnitFault::AreaBeyondLimits);
    if (!c.hasFields) return fault(UnitFault::NoFields);
    e.x = c.x1, e.y = c.y1;
    e.width = c.x2 - c.x1 + 1;
    e.height = c.y2 - c.y1 + 1;
    c.fields.width = e.width;
    c.fields.height = e.height;
    const UnitFault picture = decodeFields(u, c.fields, depth, e.pixels);
    if (picture != UnitFault::None) return fault(picture);
    return {std::move(e), UnitFault::None};
}

const DvdPalette& defaultDvdPalette() {
    static const DvdPalette greys = [] {
        DvdPalette p;
        for (size_t k = 0; k < p.size(); ++k) p[k] = {uint8_t(k * 17), uint8_t(k * 17), uint8_t(k * 17)};
        return p;
    }();
    return greys;
}

}  // namespace quarnel
