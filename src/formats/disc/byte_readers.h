// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian readers over the input stream (the numbers decoded by io/byte_view.h), for the
// title set information and time-map files. Each reads at the current position and advances
// it; none reads past the end of the file: a file that ends too early raises QuarnelError
// naming the file.
#pragma once

#include <cstdint>
#include <string>

#include "io/files.h"

namespace quarnel {

uint8_t readbyte(InputFile& in);
uint16_t readU16(InputFile& in);
uint32_t read3byte(InputFile& in);
uint32_t readU32(InputFile& in);
// Reads `count` bytes; the text is the bytes up to the first NUL, or all of them without one.
std::string readChars(InputFile& in, size_t count);
// Reads `count` bytes into `into` (a kept, uninterpreted stretch).
void readbytes(InputFile& in, uint8_t* into, size_t count);
// Passes over `count` bytes that are not interpreted.
void skipbytes(InputFile& in, uint64_t count);
// Moves to `position`, which must lie within the file.
void seekwithin(InputFile& in, uint64_t position);
// True when `count` more bytes lie between the current position and the end of the file.
bool fits(const InputFile& in, uint64_t count);

}  // namespace quarnel
