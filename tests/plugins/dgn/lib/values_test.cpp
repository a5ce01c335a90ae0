// V7 and V8 value readers, the complex component counters over a loaded file image, and the
// element-ID pointer table.
#include "PointerTable.h"
#include "ValueEncodings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace dgn;

namespace {

template <size_t N>
const std::uint8_t* Bytes(const std::uint8_t (&b)[N])
{
    return b;
}

// A loaded file image held in a block of exactly its size, so that the sanitizers see any read
// past its end.
class Image {
public:
    explicit Image(const std::vector<std::uint8_t>& bytes) : m_data(new std::uint8_t[bytes.size()]), m_size(bytes.size())
    {
        std::memcpy(m_data.get(), bytes.data(), bytes.size());
        SetLoadedFileImage(m_data.get(), m_size);
    }
    ~Image() { SetLoadedFileImage(nullptr, 0); }
    const std::uint8_t* At(size_t offset) const { return m_data.get() + offset; }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    size_t m_size;
};

void PutWord(std::vector<std::uint8_t>& b, size_t at, std::uint16_t w)
{
    b[at] = static_cast<std::uint8_t>(w & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(w >> 8);
}

// A complex header record of 40 bytes (words to follow 18) with a 16-bit length field at 36,
// followed by component records of the given sizes in words to follow.
std::vector<std::uint8_t> Complex16(std::uint16_t lengthWords, const std::vector<std::uint16_t>& components, size_t extra = 0)
{
    std::vector<std::uint8_t> b(40);
    PutWord(b, 2, 18);
    PutWord(b, 36, lengthWords);
    for (std::uint16_t w : components) {
        const size_t at = b.size();
        b.resize(at + 4 + 2 * w);
        PutWord(b, at + 2, w);
    }
    b.resize(b.size() + extra);
    return b;
}

} // namespace

TEST(V7Values, IntegersAndAngles)
{
    const std::uint8_t int32[] = {0x01, 0x00, 0x02, 0x00};
    const std::uint8_t minusTwo[] = {0xFF, 0xFF, 0xFE, 0xFF};
    const std::uint8_t* c = Bytes(int32);
    EXPECT_EQ(ReadV7Int32(&c), 65538);
    EXPECT_EQ(c, int32 + 4);
    c = Bytes(minusTwo);
    EXPECT_EQ(ReadV7Int32Extended(&c), -2);
    c = Bytes(int32);
    EXPECT_EQ(ReadV7UInt16(&c), 1);
    EXPECT_EQ(ReadV7UInt16(&c), 2);

    struct Angle {
        std::uint8_t bytes[4];
        bool signMagnitude;
        double degrees;
    };
    const Angle angles[] = {
        {{0x00, 0x80, 0x80, 0xBB}, true, -48000 / 360000.0},
        {{0x00, 0x00, 0x80, 0xBB}, true, 48000 / 360000.0},
        {{0x05, 0x00, 0x40, 0x7E}, false, 1.0},
        {{0xFF, 0xFF, 0x80, 0x44}, false, -48000 / 360000.0},
    };
    for (const Angle& a : angles) {
        c = a.bytes;
        const double radians = a.signMagnitude ? ReadV7SignMagnitudeAngle(&c) : ReadV7Angle(&c);
        EXPECT_NEAR(radians, a.degrees * 0.017453292519444445, 1e-15);
        EXPECT_EQ(c, a.bytes + 4);
    }
    // Bit 31 with magnitude 0 is negative zero.
    const std::uint8_t negativeZero[] = {0x00, 0x80, 0x00, 0x00};
    c = Bytes(negativeZero);
    const double z = ReadV7SignMagnitudeAngle(&c);
    EXPECT_EQ(z, 0.0);
    EXPECT_TRUE(std::signbit(z));
    EXPECT_DOUBLE_EQ(DegreesToRadians(180.0), 3.1415926535);
    EXPECT_DOUBLE_EQ(RadiansToDegrees(3.1415926535), 180.0);
}

TEST(V7Values, VaxDoubles)
{
    struct Case {
        std::uint8_t bytes[8];
        std::uint64_t ieeeBits;
    };
    const Case cases[] = {
        {{0x80, 0x40, 0, 0, 0, 0, 0, 0}, 0x3FF0000000000000ull}, // 1.0
        {{0x80, 0xC0, 0, 0, 0, 0, 0, 0}, 0xBFF0000000000000ull}, // -1.0
        {{0x00, 0x40, 0, 0, 0, 0, 0, 0}, 0x3FE0000000000000ull}, // 0.5
        {{0x40, 0x41, 0, 0, 0, 0, 0, 0}, 0x4008000000000000ull}, // 3.0
        {{0, 0, 0, 0, 0, 0, 0, 0}, 0x0000000000000000ull},       // true zero
        // The three mantissa bits that do not fit leave a sticky bit.
        {{0x80, 0x40, 0, 0, 0, 0, 0x01, 0x00}, 0x3FF0000000000001ull},
        // pi: exponent 130, the IEEE mantissa and three more zero bits.
        {{0x49, 0x41, 0xDA, 0x0F, 0x21, 0xA2, 0xC0, 0x68}, 0x400921FB54442D18ull},
    };
    for (const Case& k : cases) {
        const std::uint8_t* c = k.bytes;
        const double d = ReadVaxDouble(&c);
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        EXPECT_EQ(bits, k.ieeeBits) << d;
        EXPECT_EQ(c, k.bytes + 8);
    }
}

TEST(V7Values, Quaternions)
{
    // V7: 2147483647, -2147483647, 1073741824, 0, high word first.
    const std::uint8_t v7[] = {0xFF, 0x7F, 0xFF, 0xFF, 0x00, 0x80, 0x01, 0x00, 0x00, 0x40, 0x00, 0x00, 0, 0, 0, 0};
    // V8: the same values little-endian.
    const std::uint8_t v8[] = {0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x40, 0, 0, 0, 0};
    for (int version = 7; version <= 8; ++version) {
        const std::uint8_t* c = version == 7 ? v7 : v8;
        double q[4];
        if (version == 7)
            ReadV7Quaternion(&c, q);
        else
            ReadV8Quaternion(&c, q);
        EXPECT_EQ(q[0], 1.0) << version;
        EXPECT_EQ(q[1], -1.0) << version;
        EXPECT_EQ(q[2], 0.5000000002328306) << version;
        EXPECT_EQ(q[3], 0.0) << version;
        EXPECT_EQ(c, (version == 7 ? v7 : v8) + 16);
    }
}

TEST(ComplexComponents, CountsTheRecordsWithinTheLength)
{
    // Two components of 8 bytes: 1 word left in the header after the field, then 8 words.
    const Image image(Complex16(9, {2, 2}, 6));
    const std::uint8_t* cursor = image.At(36);
    EXPECT_EQ(CountComplexComponents16(image.At(0), &cursor), 2u);
    EXPECT_EQ(cursor, image.At(38));
    // A record that starts inside the length is counted even when it runs beyond it.
    const Image straddling(Complex16(6, {2, 2}));
    cursor = straddling.At(36);
    EXPECT_EQ(CountComplexComponents16(straddling.At(0), &cursor), 2u);
    // A length smaller than the header counts nothing.
    const Image shortLength(Complex16(0, {2}));
    cursor = shortLength.At(36);
    EXPECT_EQ(CountComplexComponents16(shortLength.At(0), &cursor), 0u);
}

TEST(ComplexComponents, NothingReachesPastTheLoadedData)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> cut = Complex16(9, {2, 2});
    cut.pop_back();
    const Case cases[] = {
        {"the complex runs past the end", cut},
        // The complex ends exactly at the end of the data, but its last record header would
        // begin 2 bytes before it.
        {"a record header straddles the end", Complex16(10, {2, 2}, 2)},
        {"the length field itself lies past the end", std::vector<std::uint8_t>(37, 0)},
    };
    for (const Case& k : cases) {
        const Image image(k.bytes);
        const std::uint8_t* cursor = image.At(36);
        EXPECT_EQ(CountComplexComponents16(image.At(0), &cursor), 0u) << k.name;
        EXPECT_EQ(cursor, image.At(38)) << k.name;
    }
    // Without a loaded image nothing can be counted.
    const std::vector<std::uint8_t> loose = Complex16(9, {2, 2});
    const std::uint8_t* cursor = loose.data() + 36;
    EXPECT_EQ(CountComplexComponents16(loose.data(), &cursor), 0u);
}

TEST(ComplexComponents, ThirtyTwoBitLengths)
{
    // A 32-bit length field at 36 (header of 40 bytes: nothing of it left after the field).
    auto complex32 = [](const std::uint8_t field[4], std::uint16_t componentWords) {
        std::vector<std::uint8_t> b(40);
        PutWord(b, 2, 18);
        std::memcpy(&b[36], field, 4);
        const size_t at = b.size();
        b.resize(at + 4 + 2 * componentWords);
        PutWord(b, at + 2, componentWords);
        return b;
    };
    // V7 form, high word first: 2 + 4 words.
    const std::uint8_t v7[4] = {0x00, 0x00, 0x06, 0x00};
    const Image small(complex32(v7, 4));
    const std::uint8_t* cursor = small.At(36);
    EXPECT_EQ(CountComplexComponents32(small.At(0), &cursor), 1u);
    EXPECT_EQ(cursor, small.At(40));
    // A V7 value over 0x00FFFFFF is the field written natively: 0x0109 words.
    const std::uint8_t native[4] = {0x09, 0x01, 0x00, 0x00};
    const Image large(complex32(native, 0x0109 - 2));
    cursor = large.At(36);
    EXPECT_EQ(CountComplexComponents32(large.At(0), &cursor), 1u);
    // Lengths near 2^32 words stay offsets, never wrapped addresses.
    const std::uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    const Image wrapped(complex32(huge, 2));
    cursor = wrapped.At(36);
    EXPECT_EQ(CountComplexComponents32(wrapped.At(0), &cursor), 0u);
}

TEST(PointerTable, GrowsByStepsAndClonesIndependently)
{
    std::unique_ptr<CPointerTable> table(CPointerTable::Create(0x10000, 4096));
    ASSERT_TRUE(table);
    int a = 0, b = 0;
    EXPECT_EQ(table->Get(0x20000), nullptr);
    EXPECT_EQ(table->Capacity(), 0x10000u) << "Get never grows";
    EXPECT_TRUE(table->Set(0x10000, &a));
    EXPECT_EQ(table->Capacity(), 0x11000u);
    EXPECT_EQ(table->Get(0x10000), &a);
    EXPECT_EQ(table->Get(0x10001), nullptr) << "new slots are null";
    EXPECT_TRUE(table->Set(5, &b));

    std::unique_ptr<CPointerTable> copy(table->Clone());
    ASSERT_TRUE(copy);
    copy->Set(5, &a);
    EXPECT_EQ(table->Get(5), &b);
    EXPECT_EQ(copy->Get(5), &a);
    EXPECT_EQ(copy->Get(0x10000), &a);

    // A slot beyond what 32 bits of capacity hold cannot be made.
    EXPECT_FALSE(table->Set(0xFFFFFFFFu, &a));
    EXPECT_EQ(table->Capacity(), 0x11000u);
}
