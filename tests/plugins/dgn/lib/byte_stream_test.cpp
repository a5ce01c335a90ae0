// The memory byte stream: reading and writing a caller's block, and what it refuses.
#include "storage/MemoryByteStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace dgn;

TEST(MemoryByteStream, ReadsTheBlockToItsEnd)
{
    const std::uint8_t block[4] = {1, 2, 3, 4};
    CMemoryByteStream s(block, sizeof block);
    std::uint8_t out[10] = {};
    // Nothing asked, nothing read, not at the end.
    EXPECT_EQ(s.Read(out, 0), 0u);
    EXPECT_FALSE(s.AtEnd());
    EXPECT_EQ(s.Read(out, 3), 3u);
    EXPECT_EQ(s.Read(out + 3, 10), 1u);
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(std::memcmp(out, block, 4), 0);
    EXPECT_EQ(s.Read(out, 10), 0u);
    EXPECT_FALSE(s.HasFailed());
}

TEST(MemoryByteStream, WritesWhatFitsAndReportsTheRest)
{
    std::uint8_t block[4] = {};
    CMemoryByteStream s(block, sizeof block, true);
    const std::uint8_t six[6] = {9, 8, 7, 6, 5, 4};
    EXPECT_EQ(s.Write(six, 2), 1u);
    EXPECT_EQ(s.Write(six, 6), 0u);
    const std::uint8_t expected[4] = {9, 8, 9, 8};
    EXPECT_EQ(std::memcmp(block, expected, 4), 0);
    EXPECT_TRUE(s.HasFailed());
}

TEST(MemoryByteStream, AskedForWhatItWasNotOpenedForItFails)
{
    // A writing stream's read copies nothing, so it delivers nothing.
    std::uint8_t block[4] = {1, 2, 3, 4};
    CMemoryByteStream writer(block, sizeof block, true);
    std::uint8_t out[4] = {};
    EXPECT_EQ(writer.Read(out, 4), 0u);
    EXPECT_TRUE(writer.HasFailed());
    EXPECT_EQ(writer.Read(out, 4), 0u);

    // A reading stream may stand over read-only data: it never writes into it.
    static const std::uint8_t seed[4] = {5, 6, 7, 8};
    CMemoryByteStream reader(seed, sizeof seed);
    EXPECT_EQ(reader.Write(out, 4), 0u);
    EXPECT_TRUE(reader.HasFailed());
    EXPECT_EQ(reader.Read(out, 4), 0u);
}
