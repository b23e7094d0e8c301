// SPDX-License-Identifier: GPL-3.0-or-later
// One subpicture unit decoded into the event it shows. Two layouts share the control
// sequences (a delay, the offset of the next sequence, display commands):
//   2-bit (DVD):    size (16), control offset (16); sequences with 16-bit next offsets
//   8-bit (HD DVD): 0x0000, size (32), control offset (32); sequences with 32-bit next
//                   offsets, its own 256-entry palette and contrast
// Every offset and length is checked against the unit before it is followed, so a damaged
// unit ends in a fault instead of a read outside it; the picture is bounded by the limits.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "codecs/subpicture_event.h"
#include "codecs/subpicture_faults.h"

namespace quarnel {

// The largest 8-bit unit accepted: a whole 1920 × 1080 picture coded pixel by pixel (10 bits
// each) fits twice over. 2-bit units are bounded by their 16-bit size field.
constexpr uint32_t kMaxEightBitUnitBytes = 1u << 22;

// The bytes at the start of a unit that tell its size: 2, or 6 when the first word is 0.
constexpr size_t kUnitSizeFieldBytes = 6;

struct DeclaredSize {
    SubpictureDepth depth = SubpictureDepth::TwoBit;
    uint32_t size = 0;
    UnitFault fault = UnitFault::None;  // ZeroSize or AbsurdSize
};

// The size a unit declares, from its first bytes; nullopt while `head` is too short to tell
// (fewer than 2 bytes, or fewer than 6 after a zero word).
std::optional<DeclaredSize> declaredUnitSize(std::span<const uint8_t> head);

// Where a picture may stand: its right and bottom edges stay inside this canvas.
struct SubpictureLimits {
    int width = 1920, height = 1080;
};

struct UnitDecode {
    std::optional<SubpictureEvent> event;
    UnitFault fault = UnitFault::None;
};

// Decodes `unit` (at least its declared size; bytes beyond it are ignored). `pts` is the
// time of the record that carried it: the event starts and stops at pts + delay × 1024 of the
// sequences with the start and stop commands. A unit without a start command starts at pts,
// one without a display area is an empty event (it only ends the one shown before).
// `palette` gives the colours of 2-bit units; 8-bit units carry their own.
UnitDecode decodeSubpictureUnit(std::span<const uint8_t> unit, uint64_t pts, const DvdPalette& palette,
                                const SubpictureLimits& limits = {});

// The palette used when a title's own is not at hand: 16 greys from black (0) to white (15),
// so that the pattern, outline and background of any unit differ in brightness and text stays
// readable.
const DvdPalette& defaultDvdPalette();

}  // namespace quarnel
