// The bounded little-endian reader and writer: values of every width and sign, and fields that do
// not fit, which are neither read nor written and are remembered by the offset where they began.
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>
#include "bytes/LittleEndian.h"

TEST(LittleEndian, ValuesOfEveryWidthRoundTripLeastSignificantByteFirst)
{
    struct Case {
        uint64_t value;
        int width;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0xAB, 1, {0xAB}},
        {0x1234, 2, {0x34, 0x12}},
        {0x123456, 3, {0x56, 0x34, 0x12}},
        {0x89ABCDEF, 4, {0xEF, 0xCD, 0xAB, 0x89}},
        {0x0102030405060708ull, 8, {8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        uint8_t at[8] = {};
        ybytes::Store(at, c.value, c.width);
        EXPECT_EQ(std::vector<uint8_t>(at, at + c.width), c.bytes) << c.width;
        EXPECT_EQ(ybytes::Load(c.bytes.data(), c.width), c.value) << c.width;
        std::string appended;
        ybytes::Append(appended, c.value, c.width);
        EXPECT_EQ(std::vector<uint8_t>(appended.begin(), appended.end()), c.bytes) << c.width;
    }

    // Signed and floating-point fields through a writer and a reader.
    uint8_t buffer[2 + 4 + 4 + 8 + 1];
    ybytes::Writer writer(buffer, sizeof buffer);
    EXPECT_TRUE(writer.Write<int16_t>(-2));
    EXPECT_TRUE(writer.Write<int32_t>(-100000));
    EXPECT_TRUE(writer.Write<float>(1.5f));
    EXPECT_TRUE(writer.Write<double>(-0.25));
    EXPECT_TRUE(writer.Write<uint8_t>(200));
    EXPECT_TRUE(writer.AtEnd());
    EXPECT_EQ(buffer[0], 0xFE);
    EXPECT_EQ(buffer[1], 0xFF);
    ybytes::Reader reader(buffer, sizeof buffer);
    int16_t i16 = 0;
    int32_t i32 = 0;
    float f = 0;
    double d = 0;
    uint8_t u8 = 0;
    EXPECT_TRUE(reader.Read(i16) && reader.Read(i32) && reader.Read(f) && reader.Read(d) && reader.Read(u8));
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(i32, -100000);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -0.25);
    EXPECT_EQ(u8, 200);
    EXPECT_FALSE(reader.Failed());
}

TEST(LittleEndian, AFieldThatDoesNotFitIsRememberedWhereItBegan)
{
    const uint8_t bytes[] = {1, 0, 2, 0, 0};
    // The range stands at offset 100 of a file.
    ybytes::Reader reader(bytes, sizeof bytes, 100);
    int16_t first = 0;
    ASSERT_TRUE(reader.Read(first));
    EXPECT_EQ(first, 1);
    int32_t cut = 7;
    EXPECT_FALSE(reader.Read(cut));
    EXPECT_EQ(cut, 0) << "a field that does not fit reads as 0";
    EXPECT_EQ(reader.Position(), 2u) << "and consumes nothing";
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.FailedAt(), 102u);
    // What fits still reads; the first failure stays the one remembered.
    int16_t second = 0;
    ASSERT_TRUE(reader.Read(second));
    EXPECT_EQ(second, 2);
    EXPECT_EQ(reader.Take(2), nullptr);
    EXPECT_EQ(reader.FailedAt(), 102u);
    EXPECT_NE(reader.Take(1), nullptr);
    EXPECT_TRUE(reader.AtEnd());

    // No data at all: every field fails at the start.
    ybytes::Reader empty(nullptr, 16, 40);
    uint8_t byte = 9;
    EXPECT_FALSE(empty.Read(byte));
    EXPECT_EQ(empty.FailedAt(), 40u);

    // The writer is bounded the same way: nothing is written past the range.
    uint8_t out[6] = {0, 0, 0, 0, 0xEE, 0xEE};
    ybytes::Writer writer(out, 4, 8);
    EXPECT_TRUE(writer.Write<uint16_t>(0x0102));
    EXPECT_FALSE(writer.Write<uint32_t>(0xFFFFFFFF));
    EXPECT_TRUE(writer.Failed());
    EXPECT_EQ(writer.FailedAt(), 10u);
    EXPECT_FALSE(writer.WriteBytes("abc", 3));
    EXPECT_TRUE(writer.WriteBytes("ab", 2));
    EXPECT_EQ(out[4], 0xEE);
    EXPECT_EQ(out[5], 0xEE);
}
