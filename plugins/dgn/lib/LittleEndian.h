#pragma once
// Fixed-width little-endian values at unaligned addresses: how V8 records and attribute
// linkages store every field, read and written byte by byte so that the x64 and i686 builds
// (and the native one) produce the same bytes.
#include <cstdint>
#include <cstring>

namespace dgn {

inline std::uint16_t LoadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

inline std::uint32_t LoadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t LoadU64(const std::uint8_t* p) { return LoadU32(p) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32); }

inline double LoadF64(const std::uint8_t* p)
{
    const std::uint64_t bits = LoadU64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void StoreU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void StoreU64(std::uint8_t* p, std::uint64_t v)
{
    StoreU32(p, static_cast<std::uint32_t>(v));
    StoreU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline void StoreF64(std::uint8_t* p, double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    StoreU64(p, bits);
}

// Writers that move a cursor on.
inline void PutU8(std::uint8_t** c, std::uint8_t v) { *(*c)++ = v; }
inline void PutU16(std::uint8_t** c, std::uint16_t v)
{
    StoreU16(*c, v);
    *c += 2;
}
inline void PutU32(std::uint8_t** c, std::uint32_t v)
{
    StoreU32(*c, v);
    *c += 4;
}
inline void PutU64(std::uint8_t** c, std::uint64_t v)
{
    StoreU64(*c, v);
    *c += 8;
}
inline void PutF64(std::uint8_t** c, double d)
{
    StoreF64(*c, d);
    *c += 8;
}
inline void PutBytes(std::uint8_t** c, const void* p, std::uint32_t n)
{
    if (n)
        std::memcpy(*c, p, n);
    *c += n;
}
inline void PutZeros(std::uint8_t** c, std::uint32_t n)
{
    if (n)
        std::memset(*c, 0, n);
    *c += n;
}

} // namespace dgn
