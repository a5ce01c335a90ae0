#pragma once
// The point arrays' shared body: capacity, count and a C-heap block of points.
#include "HeapBlock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

template <class Point, class Derived>
class TPointArray {
public:
    // Empty, with room for 16 points; null when memory runs out.
    static Derived* Create() { return Make(16, 0, nullptr); }
    // n points (zeroed).
    static Derived* CreateSized(std::uint32_t n) { return Make(n, n, nullptr); }
    // A copy of n points.
    static Derived* CreateFrom(std::uint32_t n, const Point* points) { return Make(n, n, points); }
    virtual ~TPointArray() { std::free(m_data); }

    // A copy with the same points, or null when memory runs out.
    virtual Derived* Clone() const { return Derived::CreateFrom(m_count, m_data); }
    virtual std::uint32_t Count() const { return m_count; }
    // n > 0: count and capacity become n (the first points kept); 0 only empties the array.
    // False when memory runs out (the array unchanged).
    virtual bool Resize(std::uint32_t n)
    {
        if (n == 0) {
            m_count = 0;
            return true;
        }
        if (!Reallocate(n))
            return false;
        m_count = n;
        return true;
    }
    // Opens n places at i (their contents left as they were); the address of point i, or null
    // when i lies beyond the count or memory runs out.
    virtual Point* InsertAt(std::uint32_t i, std::uint32_t n)
    {
        const std::uint32_t old = m_count;
        if (i > old || static_cast<std::uint64_t>(old) + n > 0xFFFFFFFFull || !Resize(old + n))
            return nullptr;
        if (n)
            std::memmove(m_data + i + n, m_data + i, static_cast<std::size_t>(old - i) * sizeof(Point));
        return m_data + i;
    }
    // Removes n points at i; when they run past the end the array is cut to i points. The new
    // count, or the old one in the cutting case. An i at or beyond the count changes nothing.
    virtual std::uint32_t RemoveAt(std::uint32_t i, std::uint32_t n)
    {
        const std::uint32_t old = m_count;
        if (i >= old)
            return old;
        if (static_cast<std::uint64_t>(i) + n > old) {
            m_count = i;
            return old;
        }
        std::memmove(m_data + i, m_data + i + n, static_cast<std::size_t>(old - i - n) * sizeof(Point));
        m_count = old - n;
        return m_count;
    }
    // The address of point i, or null at or beyond the count.
    virtual Point* At(std::uint32_t i) const { return i < m_count ? m_data + i : nullptr; }

    Point* Data() const { return m_data; }
    std::uint32_t Capacity() const { return m_capacity; }

    TPointArray(const TPointArray&) = delete;
    TPointArray& operator=(const TPointArray&) = delete;

protected:
    TPointArray() = default;

    bool Reallocate(std::uint32_t n)
    {
        Point* data = static_cast<Point*>(ResizeHeapBlock(m_data, n, sizeof(Point)));
        if (!data)
            return false;
        if (n > m_capacity)
            std::memset(static_cast<void*>(data + m_capacity), 0, static_cast<std::size_t>(n - m_capacity) * sizeof(Point));
        m_data = data;
        m_capacity = n;
        return true;
    }

    // Room for capacity points, count points copied from points (or zeroed without them).
    static Derived* Make(std::uint32_t capacity, std::uint32_t count, const Point* points)
    {
        Derived* a = new (std::nothrow) Derived;
        if (!a)
            return nullptr;
        if (!a->Reallocate(capacity ? capacity : 1)) {
            delete a;
            return nullptr;
        }
        if (points && count)
            std::memcpy(a->m_data, points, static_cast<std::size_t>(count) * sizeof(Point));
        a->m_count = count;
        return a;
    }

    std::uint32_t m_capacity = 0;
    std::uint32_t m_count = 0;
    Point* m_data = nullptr;
};

} // namespace dgn
