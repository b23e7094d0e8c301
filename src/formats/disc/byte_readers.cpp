// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/byte_readers.h"

#include <array>
#include <vector>

#include "io/byte_view.h"

namespace quarnel {
namespace {

[[noreturn]] void endsEarly(const InputFile& in) {
    throw QuarnelError("Cannot read file \"" + in.path() + "\". It ends at byte " +
                       std::to_string(in.size()) + ", before the data it announces.");
}

template <size_t N>
std::array<uint8_t, N> take(InputFile& in) {
    std::array<uint8_t, N> b{};
    readbytes(in, b.data(), N);
    return b;
}

}  // namespace

bool fits(const InputFile& in, uint64_t count) {
    return in.position() <= in.size() && in.size() - in.position() >= count;
}

void readbytes(InputFile& in, uint8_t* into, size_t count) {
    if (!fits(in, count) || in.read(into, count) != count) endsEarly(in);
}

uint8_t readbyte(InputFile& in) {
    return take<1>(in)[0];
}

uint16_t readU16(InputFile& in) {
    return loadU16(take<2>(in).data());
}

uint32_t read3byte(InputFile& in) {
    return loadU24(take<3>(in).data());
}

uint32_t readU32(InputFile& in) {
    return loadU32(take<4>(in).data());
}

std::string readChars(InputFile& in, size_t count) {
    std::vector<uint8_t> b(count);
    readbytes(in, b.data(), count);
    size_t end = 0;
    while (end < count && b[end] != 0) ++end;
    return std::string(b.begin(), b.begin() + end);
}

void skipbytes(InputFile& in, uint64_t count) {
    if (!fits(in, count)) endsEarly(in);
    in.seek(in.position() + count);
}

void seekwithin(InputFile& in, uint64_t position) {
    if (position > in.size()) endsEarly(in);
    in.seek(position);
}

}  // namespace quarnel
