// SPDX-License-Identifier: GPL-3.0-or-later
// Reads fields of any width, most significant bit first, from the bytes it is handed.
// Past their end it yields zero bits and remembers that it ran out, so an analyser can stop
// cleanly instead of reading whatever lies beyond.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quarnel {

class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> bytes, size_t startByte = 0)
        : bytes_(bytes), bitPos_(startByte * 8) {}

    // The next n bits (0 to 32) as an unsigned number, first bit most significant.
    uint32_t getbits(int n) {
        uint64_t value = 0;
        while (n > 0) {
            const size_t byte = bitPos_ / 8;
            const int offset = int(bitPos_ % 8);
            const int take = n < 8 - offset ? n : 8 - offset;
            uint8_t b = 0;
            if (byte < bytes_.size()) {
                b = bytes_[byte];
            } else {
                ranOut_ = true;
            }
            value = value << take | (b >> (8 - offset - take) & ((1u << take) - 1));
            bitPos_ += size_t(take);
            n -= take;
        }
        return uint32_t(value);
    }

    void skipbits(size_t n) {
        bitPos_ += n;
        if (bitPos_ > bytes_.size() * 8) ranOut_ = true;
    }

    // Unsigned Exp-Golomb code. A code of 32 or more leading zeros cannot be held in 32 bits:
    // it marks the reader invalid and yields 0.
    uint32_t readue() {
        int zeros = 0;
        while (getbits(1) == 0) {
            if (++zeros == 32) {
                invalid_ = true;
                return 0;
            }
        }
        if (zeros == 0) return 0;
        return getbits(zeros) + ((uint32_t(1) << zeros) - 1);
    }

    // Signed Exp-Golomb code: 0, 1, -1, 2, -2, ...
    int32_t readse() {
        const uint32_t k = readue();
        const int32_t m = int32_t((uint64_t(k) + 1) / 2);
        return k % 2 == 1 ? m : -m;
    }

    // True while every bit read lay inside the bytes and every code was valid.
    bool ok() const { return !ranOut_ && !invalid_; }
    bool ranOut() const { return ranOut_; }
    bool invalid() const { return invalid_; }

    // Index of the byte that holds the next unread bit.
    size_t position() const { return bitPos_ / 8; }

  private:
    std::span<const uint8_t> bytes_;
    size_t bitPos_;
    bool ranOut_ = false;
    bool invalid_ = false;
};

}  // namespace quarnel
