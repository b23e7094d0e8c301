// SPDX-License-Identifier: GPL-3.0-or-later
// The colour table of a DVD title set: 16 colours in the first program chain of VTS_nn_0.IFO,
// which the 2-bit subpicture units of the set's VOBs index.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "codecs/subpicture_event.h"

namespace quarnel {

namespace ifo_at {
constexpr size_t kPgcitSector = 0xCC;            // VTSI_MAT: sector of the program chain table (4 bytes)
constexpr size_t kFirstPgcOffset = 12;           // program chain table: offset of the first chain (4 bytes)
constexpr size_t kPalette = 0xA4;                // program chain: 16 entries of 0, Y, Cr, Cb
constexpr size_t kVideoAttributes = 0x200;       // VTSI_MAT: bits 5-4 of its first byte, 0 NTSC, 1 PAL
constexpr size_t kSubpictureAttributes = 0x256;  // VTSI_MAT: 32 entries of 6 bytes, the language at 2
constexpr size_t kSubpictureAttributeBytes = 6;
}  // namespace ifo_at
constexpr size_t kIfoSectorBytes = 2048;

// The palette of the first program chain; raises QuarnelError with the reason when the file
// cannot be read or does not hold one.
DvdPalette readIfoPalette(const std::string& path);

// What a title set's IFO says of its subpictures: the picture they stand on and each
// stream's language (ISO 639-1, "" when it names none).
struct IfoSubpictureFacts {
    int width = 720, height = 480;
    std::array<std::string, 32> languages;
};
// Raises QuarnelError with the reason when the file cannot be read or is cut short.
IfoSubpictureFacts readIfoSubpictureFacts(const std::string& path);

// VTS_nn_0.IFO beside a VOB named VTS_nn_m.VOB; "" for any other name.
std::string ifoBeside(const std::string& vob);

}  // namespace quarnel
