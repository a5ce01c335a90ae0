#include "ValueEncodings.h"

#include <cstring>

namespace dgn {

namespace {

const std::uint8_t* g_imageBegin = nullptr;
std::size_t g_imageSize = 0;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t V7Bits(const std::uint8_t* p) { return (static_cast<std::uint32_t>(Word(p)) << 16) | Word(p + 2); }

std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

// Offset of p in the loaded image, or -1 when p lies outside it.
std::int64_t ImageOffset(const std::uint8_t* p)
{
    if (!g_imageBegin || !p)
        return -1;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(g_imageBegin);
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
    if (at < begin || at - begin > g_imageSize)
        return -1;
    return static_cast<std::int64_t>(at - begin);
}

std::uint32_t CountComponents(const std::uint8_t* record, const std::uint8_t** cursor, bool wide)
{
    const std::uint8_t* field = *cursor;
    const std::int64_t size = static_cast<std::int64_t>(g_imageSize);
    const std::int64_t recordAt = ImageOffset(record);
    const std::int64_t fieldAt = ImageOffset(field);
    const std::int64_t fieldSize = wide ? 4 : 2;
    // Everything is measured in 64-bit offsets within the image, so no length read from the
    // file can wrap an address or point outside the loaded data.
    if (recordAt < 0 || fieldAt < 0 || recordAt + 4 > size || fieldAt + fieldSize > size) {
        if (field)
            *cursor = field + fieldSize;
        return 0;
    }
    std::int64_t lengthWords;
    if (wide) {
        const std::uint32_t v = V7Bits(field);
        // A length too large for a V7 file is the same field written natively.
        lengthWords = (v > 0x00FFFFFFu) ? LittleEndian32(field) : v;
    } else {
        lengthWords = Word(field);
    }
    *cursor = field + fieldSize;
    const std::int64_t cursorAt = fieldAt + fieldSize;
    const std::int64_t headerEnd = recordAt + 4 + 2 * static_cast<std::int64_t>(Word(record + 2));
    const std::int64_t wordsInHeader = (headerEnd - cursorAt) / 2;
    const std::int64_t complexEnd = headerEnd + 2 * (lengthWords - wordsInHeader);
    if (complexEnd > size)
        return 0;
    std::uint32_t count = 0;
    for (std::int64_t at = headerEnd; at < complexEnd;) {
        if (at + 4 > size)
            return 0;
        at += 4 + 2 * static_cast<std::int64_t>(Word(g_imageBegin + at + 2));
        ++count;
    }
    return count;
}

} // namespace

std::uint16_t ReadV7UInt16(const std::uint8_t** cursor)
{
    const std::uint16_t v = Word(*cursor);
    *cursor += 2;
    return v;
}

std::int32_t ReadV7Int32(const std::uint8_t** cursor)
{
    const std::uint32_t v = V7Bits(*cursor);
    *cursor += 4;
    return static_cast<std::int32_t>(v);
}

std::int64_t ReadV7Int32Extended(const std::uint8_t** cursor) { return ReadV7Int32(cursor); }

double ReadV7Angle(const std::uint8_t** cursor)
{
    const std::int32_t v = ReadV7Int32(cursor);
    return static_cast<double>(v) * kAngleUnitDegrees * kDegreesToRadians;
}

double ReadV7SignMagnitudeAngle(const std::uint8_t** cursor)
{
    const std::uint32_t v = V7Bits(*cursor);
    *cursor += 4;
    const double sign = (v & 0x80000000u) ? -1.0 : 1.0;
    const double magnitude = static_cast<double>(v & 0x7FFFFFFFu);
    return magnitude * sign * kAngleUnitDegrees * kDegreesToRadians;
}

double ReadVaxDouble(const std::uint8_t** cursor)
{
    const std::uint8_t* b = *cursor;
    *cursor += 8;
    // Words most significant first, bytes within a word little-endian.
    const std::uint32_t high = static_cast<std::uint32_t>(b[2]) | (static_cast<std::uint32_t>(b[3]) << 8) |
                               (static_cast<std::uint32_t>(b[0]) << 16) | (static_cast<std::uint32_t>(b[1]) << 24);
    const std::uint32_t low = static_cast<std::uint32_t>(b[6]) | (static_cast<std::uint32_t>(b[7]) << 8) |
                              (static_cast<std::uint32_t>(b[4]) << 16) | (static_cast<std::uint32_t>(b[5]) << 24);
    const std::uint32_t sign = high >> 31;
    const std::uint32_t exponent = (high >> 23) & 0xFF;
    // VAX: bias 128 with the hidden bit at 0.5; IEEE: bias 1023 with it at 1.0.
    const std::uint32_t ieeeExponent = exponent ? exponent + 894 : 0;
    std::uint32_t ieeeLow = (low >> 3) | (high << 29);
    // The three bits that do not fit leave a sticky bit, not a rounding.
    if (low & 7)
        ieeeLow |= 1;
    const std::uint32_t ieeeHigh = (sign << 31) | (ieeeExponent << 20) | ((high >> 3) & 0xFFFFF);
    const std::uint64_t bits = (static_cast<std::uint64_t>(ieeeHigh) << 32) | ieeeLow;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void ReadV7Quaternion(const std::uint8_t** cursor, double out[4])
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<double>(ReadV7Int32(cursor)) * kQuaternionScale;
}

void ReadV8Quaternion(const std::uint8_t** cursor, double out[4])
{
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<double>(static_cast<std::int32_t>(LittleEndian32(*cursor))) * kQuaternionScale;
        *cursor += 4;
    }
}

double DegreesToRadians(double degrees) { return degrees * kDegreesToRadians; }
double RadiansToDegrees(double radians) { return radians * kRadiansToDegrees; }

void SetLoadedFileImage(const std::uint8_t* data, std::size_t size)
{
    g_imageBegin = data;
    g_imageSize = data ? size : 0;
}

std::uint32_t CountComplexComponents32(const std::uint8_t* record, const std::uint8_t** cursor)
{
    return CountComponents(record, cursor, true);
}

std::uint32_t CountComplexComponents16(const std::uint8_t* record, const std::uint8_t** cursor)
{
    return CountComponents(record, cursor, false);
}

} // namespace dgn
