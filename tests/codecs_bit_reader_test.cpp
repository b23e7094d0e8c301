// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "codecs/bit_reader.h"
#include "codecs_test_support.h"

namespace quarnel {
namespace {

TEST(BitReader, ReadsFieldsOfAnyWidthAcrossBytes) {
    const test::Bytes b = {0x00, 0xA5, 0xF0, 0x0F, 0x81, 0x7E, 0xFD, 0xEA, 0xDB, 0xEE, 0xF0};
    BitReader r(b, 1);
    EXPECT_EQ(r.getbits(8), 0xA5u);
    EXPECT_EQ(r.getbits(3), 0b111u);
    EXPECT_EQ(r.getbits(7), 0b1000000u);  // crosses into 0x0F
    EXPECT_EQ(r.position(), 3u);
    r.skipbits(20);  // to bit 6 of 0x7E
    EXPECT_EQ(r.position(), 5u);
    EXPECT_EQ(r.getbits(6), 0b101111u);
    EXPECT_EQ(r.getbits(32), 0xDEADBEEFu);
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, ReadsExpGolombCodes) {
    // 1, 010, 011, 00111 | 011, 00100, 00101 | 31 zeros and 32 bits
    const test::Bytes b =
        test::BitWriter().bits(0b101001100111, 12).bits(0b0110010000101, 13).ue(0xFFFFFFFE).done();
    BitReader r(b);
    for (uint32_t expected : {0u, 1u, 2u, 6u}) EXPECT_EQ(r.readue(), expected);
    for (int32_t expected : {-1, 2, -2}) EXPECT_EQ(r.readse(), expected);
    EXPECT_EQ(r.readue(), 0xFFFFFFFEu);
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, StaysInsideItsBytes) {
    const test::Bytes b = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00};
    BitReader past{std::span<const uint8_t>(b).first(1)};  // the bytes beyond are not handed over
    EXPECT_EQ(past.getbits(12), 0xFF0u);
    EXPECT_TRUE(past.ranOut());

    BitReader zeros{std::span<const uint8_t>(b).subspan(2)};  // 32 zeros: no valid code
    EXPECT_EQ(zeros.readue(), 0u);
    EXPECT_TRUE(zeros.invalid());
    EXPECT_FALSE(zeros.ranOut());

    BitReader empty(std::span<const uint8_t>{});  // the zeros past the end end the count too
    empty.readue();
    EXPECT_FALSE(empty.ok());
}

}  // namespace
}  // namespace quarnel
