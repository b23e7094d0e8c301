#include <gtest/gtest.h>

#include "analysers/bit_reader.h"
#include "analysers_test_support.h"

namespace quarnel {
namespace {

using test::BitWriter;
using test::Bytes;

TEST(BitReader, ReadsFieldsMostSignificantBitFirstAcrossBytes) {
    const Bytes b = {0x00, 0xA5, 0x3C, 0xF0, 0x0F, 0x81, 0x7E};
    BitReader r(b, 1);
    EXPECT_EQ(r.getbits(8), 0xA5u);
    EXPECT_EQ(r.getbits(8), 0x3Cu);
    EXPECT_EQ(r.getbits(3), 0b111u);
    EXPECT_EQ(r.getbits(7), 0b1000000u);  // crosses into 0x0F
    EXPECT_EQ(r.position(), 4u);
    r.skipbits(20);  // from bit 2 of 0x0F to bit 6 of 0x7E
    EXPECT_EQ(r.position(), 6u);
    EXPECT_EQ(r.getbits(2), 0b10u);
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, ReadsAll32BitsAtAnUnalignedPosition) {
    const Bytes b = {0xFD, 0xEA, 0xDB, 0xEE, 0xF0};
    BitReader r(b);
    r.skipbits(4);
    EXPECT_EQ(r.getbits(32), 0xDEADBEEFu);
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, YieldsZeroBitsPastTheEndAndRemembersItRanOut) {
    const Bytes b = {0xFF, 0xFF};
    BitReader r{std::span<const uint8_t>(b).first(1)};  // the second byte is not handed over
    EXPECT_EQ(r.getbits(4), 0xFu);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.getbits(8), 0xF0u);
    EXPECT_TRUE(r.ranOut());
    EXPECT_FALSE(r.ok());
}

TEST(BitReader, ReadsExpGolombCodes) {
    // 1, 010, 011, 00111, 011, 00100, 00101
    const Bytes b = BitWriter().bits(0b1010011, 7).bits(0b00111011, 8).bits(0b0010000101, 10).done();
    BitReader r(b);
    EXPECT_EQ(r.readue(), 0u);
    EXPECT_EQ(r.readue(), 1u);
    EXPECT_EQ(r.readue(), 2u);
    EXPECT_EQ(r.readue(), 6u);
    EXPECT_EQ(r.readse(), -1);
    EXPECT_EQ(r.readse(), 2);
    EXPECT_EQ(r.readse(), -2);
    EXPECT_TRUE(r.ok());
}

TEST(BitReader, ExpGolombCodeOf31ZerosIsTheLargestValid) {
    const Bytes largest = BitWriter().ue(0xFFFFFFFE).done();
    BitReader r(largest);
    EXPECT_EQ(r.readue(), 0xFFFFFFFEu);
    EXPECT_TRUE(r.ok());

    const Bytes zeros(5, 0x00);  // 32 zeros and more: no valid code
    BitReader z(zeros);
    EXPECT_EQ(z.readue(), 0u);
    EXPECT_TRUE(z.invalid());
    EXPECT_FALSE(z.ranOut());

    BitReader empty(std::span<const uint8_t>{});  // zeros past the end end the count too
    empty.readue();
    EXPECT_TRUE(empty.invalid());
}

}  // namespace
}  // namespace quarnel
