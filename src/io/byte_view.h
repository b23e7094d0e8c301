// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian numbers read from bytes, and a view of bytes that reads nothing outside them:
// the readers of binary metadata (IFO, ATS, VTI and time-map files, navigation packs, the pack
// rewriter) all read their fields through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quarnel {

constexpr uint16_t loadU16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}
constexpr uint32_t loadU24(const uint8_t* p) {
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}
constexpr uint32_t loadU32(const uint8_t* p) {
    return uint32_t(loadU16(p)) << 16 | loadU16(p + 2);
}

class ByteView {
  public:
    constexpr ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    constexpr size_t size() const { return bytes_.size(); }
    constexpr std::span<const uint8_t> bytes() const { return bytes_; }
    // True when `count` bytes from `at` lie within the view.
    constexpr bool fits(size_t at, size_t count) const {
        return at <= bytes_.size() && bytes_.size() - at >= count;
    }
    // The big-endian field of `count` bytes (at most 4) at `at`; bytes past the end read as zero.
    constexpr uint32_t field(size_t at, size_t count) const {
        uint32_t v = 0;
        for (size_t i = 0; i < count; ++i) v = v << 8 | (at + i < bytes_.size() ? bytes_[at + i] : 0);
        return v;
    }
    constexpr uint8_t u8(size_t at) const { return uint8_t(field(at, 1)); }
    constexpr uint16_t u16(size_t at) const { return uint16_t(field(at, 2)); }
    constexpr uint32_t u24(size_t at) const { return field(at, 3); }
    constexpr uint32_t u32(size_t at) const { return field(at, 4); }

  private:
    std::span<const uint8_t> bytes_;
};

}  // namespace quarnel
