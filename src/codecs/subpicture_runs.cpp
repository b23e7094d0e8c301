// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/subpicture_runs.h"

#include <algorithm>

namespace quarnel {
namespace {

// Bits of one field, most significant first, with a byte boundary at the start of each line.
class FieldBits {
  public:
    FieldBits(std::span<const uint8_t> bytes, size_t start) : bytes_(bytes), bit_(start * 8) {}

    uint32_t get(int n) {
        uint32_t v = 0;
        for (int k = 0; k < n; ++k) {
            const size_t byte = bit_ / 8;
            uint32_t b = 0;
            if (byte < bytes_.size())
                b = bytes_[byte] >> (7 - bit_ % 8) & 1;
            else
                ranOut_ = true;
            v = v << 1 | b;
            ++bit_;
        }
        return v;
    }
    void align() { bit_ = (bit_ + 7) / 8 * 8; }
    bool ranOut() const { return ranOut_; }

  private:
    std::span<const uint8_t> bytes_;
    size_t bit_;
    bool ranOut_ = false;
};

struct Run {
    uint8_t colour;
    int length;  // kToLineEnd: the rest of the line
};
constexpr int kToLineEnd = -1;

// 2-bit coding: 1 to 4 nibbles; the leading zero nibbles tell how many follow. The value's low
// two bits are the colour, the rest the length; a length of 0 fills the line.
Run twoBitRun(FieldBits& in) {
    uint32_t v = in.get(4);
    for (uint32_t limit = 4; v < limit && limit <= 0x40; limit <<= 2) v = v << 4 | in.get(4);
    const int length = int(v >> 2);
    return {uint8_t(v & 3), length == 0 ? kToLineEnd : length};
}

// 8-bit coding: a run flag, a colour-width flag, a 2- or 8-bit colour, then for a run a
// 3-bit length + 2 or a 7-bit length + 9 (0: the rest of the line); without the run flag one
// pixel.
Run eightBitRun(FieldBits& in) {
    const bool run = in.get(1);
    const bool wide = in.get(1);
    const uint8_t colour = uint8_t(in.get(wide ? 8 : 2));
    if (!run) return {colour, 1};
    if (!in.get(1)) return {colour, int(in.get(3)) + 2};
    const int length = int(in.get(7));
    return {colour, length == 0 ? kToLineEnd : length + 9};
}

UnitFault decodeField(std::span<const uint8_t> unit, size_t start, int firstRow, const FieldLayout& layout,
                      SubpictureDepth depth, std::vector<uint8_t>& pixels) {
    FieldBits in(unit, start);
    for (int row = firstRow; row < layout.height; row += 2) {
        uint8_t* line = pixels.data() + size_t(row) * size_t(layout.width);
        int x = 0;
        while (x < layout.width) {
            const Run r = depth == SubpictureDepth::TwoBit ? twoBitRun(in) : eightBitRun(in);
            if (in.ranOut()) return UnitFault::PictureCut;
            const int length = r.length == kToLineEnd ? layout.width - x : r.length;
            if (length > layout.width - x) return UnitFault::RunPastLine;
            std::fill(line + x, line + x + length, r.colour);
            x += length;
        }
        in.align();
    }
    return UnitFault::None;
}

}  // namespace

UnitFault decodeFields(std::span<const uint8_t> unit, const FieldLayout& layout, SubpictureDepth depth,
                       std::vector<uint8_t>& pixels) {
    pixels.assign(size_t(layout.width) * size_t(layout.height), 0);
    if (layout.topField >= unit.size() || layout.bottomField >= unit.size()) return UnitFault::FieldOutside;
    const UnitFault top = decodeField(unit, layout.topField, 0, layout, depth, pixels);
    if (top != UnitFault::None) return top;
    return decodeField(unit, layout.bottomField, 1, layout, depth, pixels);
}

}  // namespace quarnel
