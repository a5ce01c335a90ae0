#pragma once
// A reader of little-endian fields inside a span of a record whose length came from the file.
// A field that does not lie wholly inside what is left reads as zero, takes nothing and marks
// the reader short; from then on every field reads as zero (what follows a missing field has
// no place), so a reader never looks past its span whatever the counts in the data say.
#include "LittleEndian.h"

#include <cstdint>
#include <cstring>

namespace dgn {

class CBoundedReader {
public:
    CBoundedReader(const std::uint8_t* data, std::uint32_t size) : m_at(data), m_left(data ? size : 0) {}

    std::uint8_t U8() { return Has(1) ? Take(1)[0] : 0; }
    std::uint16_t U16() { return Has(2) ? LoadU16(Take(2)) : 0; }
    std::uint32_t U32() { return Has(4) ? LoadU32(Take(4)) : 0; }
    std::uint64_t U64() { return Has(8) ? LoadU64(Take(8)) : 0; }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    double F64() { return Has(8) ? LoadF64(Take(8)) : 0.0; }
    // Copies n bytes, or zeroes the destination when they are not all there.
    void Bytes(void* out, std::uint32_t n)
    {
        if (Has(n))
            std::memcpy(out, Take(n), n);
        else if (n)
            std::memset(out, 0, n);
    }
    // The next n bytes in place (null, taking nothing, when they are not all there).
    const std::uint8_t* Span(std::uint32_t n) { return Has(n) ? Take(n) : nullptr; }
    void Skip(std::uint32_t n)
    {
        if (Has(n))
            Take(n);
    }

    const std::uint8_t* Position() const { return m_at; }
    std::uint32_t Left() const { return m_left; }
    // A field was asked for that was not there.
    bool IsShort() const { return m_short; }

private:
    bool Has(std::uint32_t n)
    {
        if (!m_short && n <= m_left)
            return true;
        m_short = true;
        return false;
    }
    const std::uint8_t* Take(std::uint32_t n)
    {
        const std::uint8_t* p = m_at;
        m_at += n;
        m_left -= n;
        return p;
    }

    const std::uint8_t* m_at;
    std::uint32_t m_left;
    bool m_short = false;
};

} // namespace dgn
