#pragma once
// A growable array of doubles on the C heap: knot vectors, weights and value lists.
#include "ArrayBase.h"

#include <cstdint>

namespace dgn {

class CDoubleArray : public IArrayBase {
public:
    // Room for capacity values (0: 256), growing by that many; count 0. Null when memory runs
    // out.
    static CDoubleArray* Create(std::uint32_t capacity = 0);
    ~CDoubleArray() override;

    virtual CDoubleArray* Clone() const;
    // Value i; 0 at or beyond the count.
    virtual double GetAt(std::uint32_t i) const;
    // Ignored at or beyond the count.
    virtual void SetAt(std::uint32_t i, double value);
    // The address of value i (i may equal the count); null beyond the capacity.
    virtual double* ElementPointer(std::uint32_t i) const;
    virtual std::uint32_t GetCount() const;
    // Room for n values: below n the capacity becomes ((n + step) / step) * step. False (the
    // array unchanged) when memory runs out.
    virtual bool Reserve(std::uint32_t n);
    virtual bool Grow(std::uint32_t n);
    virtual void Clear();
    // Storage cut to the count (16 values when empty).
    virtual bool Compact();
    // Raises the count by n (the new values zeroed); false, with the count kept, when the room
    // cannot be made.
    virtual bool Extend(std::uint32_t n);
    virtual bool Append(const double* values, std::uint32_t n);
    virtual bool Insert(const double* values, std::uint32_t n, std::uint32_t at);
    // Removes n values at at when values lie behind them; otherwise false and nothing changes.
    virtual bool Remove(std::uint32_t n, std::uint32_t at);
    // Becomes a copy of source's values.
    virtual bool Assign(const CDoubleArray& source);

    std::uint32_t Capacity() const { return m_capacity; }

    CDoubleArray(const CDoubleArray&) = delete;
    CDoubleArray& operator=(const CDoubleArray&) = delete;

private:
    explicit CDoubleArray(std::uint32_t step) : m_step(step) {}
    bool Reallocate(std::uint64_t capacity);

    double* m_data = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_step;
    std::uint32_t m_count = 0;
};

} // namespace dgn
