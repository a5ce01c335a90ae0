#pragma once
// A growable array of bytes on the C heap: attribute data, application data and raw element
// bodies. Capacity grows in whole steps (1024 bytes unless the creator says otherwise).
#include <cstdint>

namespace dgn {

// The first position at or after start where the n-byte pattern lies entirely within
// base[0, length), or -1.
std::int32_t FindBytes(std::uint32_t n, std::uint32_t start, const void* pattern, const void* base, std::uint32_t length);

class CByteArray {
public:
    // An empty array growing in steps of step bytes (0: 1024); the first block holds one
    // step. Null when memory runs out.
    static CByteArray* NewWithCapacity(std::uint32_t step);
    static CByteArray* NewDefault();
    virtual ~CByteArray();

    // Same step and capacity, a copy of the used bytes; null when memory runs out.
    virtual CByteArray* Clone() const;
    // The byte at i, 0 at or beyond the used size.
    virtual std::uint8_t ByteAt(std::uint32_t i) const;
    // Makes room for n bytes: below n the capacity becomes ((n + step) / step) * step.
    virtual bool Reserve(std::uint32_t n);
    virtual bool ReserveMore(std::uint32_t n);
    virtual std::uint32_t Size() const;
    virtual std::uint8_t* Data() const;
    // Used size 0, storage kept.
    virtual void Reset();
    // Storage cut to the used size (16 bytes when empty).
    virtual bool Compact();
    // Adds n bytes (left as they are) at the end; the new size (unchanged when memory runs
    // out).
    virtual std::uint32_t Grow(std::uint32_t n);
    virtual bool Append(const void* p, std::uint32_t n);
    // Inserts n bytes at pos (not beyond the used size).
    virtual bool Insert(const void* p, std::uint32_t n, std::uint32_t pos);
    // Removes n bytes at pos. When nothing lies behind them only the size drops (never below
    // pos) and the result is false.
    virtual bool Remove(std::uint32_t n, std::uint32_t pos);
    virtual std::int32_t Find(std::uint32_t n, std::uint32_t start, const void* pattern) const;
    // Compacts this array, appends other's bytes, and makes out a copy of the result.
    virtual bool AppendCopy(const CByteArray& other, CByteArray& out);

    std::uint32_t Capacity() const { return m_capacity; }

    CByteArray(const CByteArray&) = delete;
    CByteArray& operator=(const CByteArray&) = delete;

private:
    explicit CByteArray(std::uint32_t step) : m_step(step ? step : 1024) {}
    bool Reallocate(std::uint64_t capacity);

    std::uint8_t* m_data = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_step;
    std::uint32_t m_used = 0;
};

} // namespace dgn
