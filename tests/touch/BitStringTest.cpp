#include <gtest/gtest.h>

#include "touch/BitString.h"

TEST(BitString, ByteToBitsGivesEightCharactersMostSignificantFirst) {
    EXPECT_EQ(ByteToBits(0xC5), "11000101");
    EXPECT_EQ(ByteToBits(0x00), "00000000");
    EXPECT_EQ(ByteToBits(0xFF), "11111111");
    EXPECT_EQ(ByteToBits(0x01), "00000001");
}

TEST(BitString, BitsToIntReadsBaseTwo) {
    EXPECT_EQ(BitsToInt(""), 0);
    EXPECT_EQ(BitsToInt("1"), 1);
    EXPECT_EQ(BitsToInt("1111111111"), 1023);
    EXPECT_EQ(BitsToInt("0000010010"), 18);
    EXPECT_EQ(BitsToInt("1010110100"), 692);
}

TEST(BitString, EveryByteRoundTrips) {
    for (unsigned nByte = 0; nByte < 256; ++nByte) {
        ASSERT_EQ(BitsToInt(ByteToBits(nByte)), static_cast<int>(nByte));
    }
}
