// SPDX-License-Identifier: GPL-3.0-or-later
// Start codes (00 00 01 xx) of the video codings and the escaping of the units they begin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quarnel {

// Index of the byte after the first start code whose fourth byte `accept` takes.
template <typename Accept>
std::optional<size_t> findStartCode(std::span<const uint8_t> bytes, Accept accept) {
    for (size_t i = 3; i < bytes.size(); ++i) {
        if (bytes[i - 1] == 0x01 && bytes[i - 2] == 0 && bytes[i - 3] == 0 && accept(bytes[i])) return i + 1;
    }
    return std::nullopt;
}

// Copies a unit's bytes into `out` without its emulation prevention bytes (the 03 of every
// 00 00 03), up to the next start code, the end of the bytes or the end of `out`, and returns
// the part of `out` filled.
inline std::span<const uint8_t> unescapeUnit(std::span<const uint8_t> unit, std::span<uint8_t> out) {
    size_t n = 0;
    int zeros = 0;
    for (size_t i = 0; i < unit.size() && n < out.size(); ++i) {
        const uint8_t b = unit[i];
        if (zeros >= 2 && b <= 0x02) break;  // 00 00 00, 00 00 01, 00 00 02: the unit has ended
        if (zeros >= 2 && b == 0x03) {
            zeros = 0;
            continue;
        }
        zeros = b == 0 ? zeros + 1 : 0;
        out[n++] = b;
    }
    return out.first(n);
}

}  // namespace quarnel
