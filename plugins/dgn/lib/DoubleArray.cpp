#include "DoubleArray.h"

#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

CDoubleArray* CDoubleArray::Create(std::uint32_t capacity)
{
    if (capacity == 0)
        capacity = 256;
    CDoubleArray* a = new (std::nothrow) CDoubleArray(capacity);
    if (a && !a->Reallocate(capacity)) {
        delete a;
        return nullptr;
    }
    return a;
}

CDoubleArray::~CDoubleArray() { std::free(m_data); }

bool CDoubleArray::Reallocate(std::uint64_t capacity)
{
    double* data = static_cast<double*>(ResizeHeapBlock(m_data, capacity, sizeof(double)));
    if (!data)
        return false;
    m_data = data;
    m_capacity = static_cast<std::uint32_t>(capacity);
    return true;
}

CDoubleArray* CDoubleArray::Clone() const
{
    CDoubleArray* a = new (std::nothrow) CDoubleArray(m_step);
    if (!a)
        return nullptr;
    if (!a->Reallocate(m_capacity)) {
        delete a;
        return nullptr;
    }
    if (m_count)
        std::memcpy(a->m_data, m_data, static_cast<std::size_t>(m_count) * sizeof(double));
    a->m_count = m_count;
    return a;
}

double CDoubleArray::GetAt(std::uint32_t i) const { return i < m_count ? m_data[i] : 0.0; }

void CDoubleArray::SetAt(std::uint32_t i, double value)
{
    if (i < m_count)
        m_data[i] = value;
}

double* CDoubleArray::ElementPointer(std::uint32_t i) const { return i <= m_capacity ? m_data + i : nullptr; }

std::uint32_t CDoubleArray::GetCount() const { return m_count; }

bool CDoubleArray::Reserve(std::uint32_t n)
{
    if (m_capacity >= n)
        return true;
    return Reallocate((static_cast<std::uint64_t>(n) + m_step) / m_step * m_step);
}

bool CDoubleArray::Grow(std::uint32_t n)
{
    const std::uint64_t need = static_cast<std::uint64_t>(m_count) + n;
    return need <= 0xFFFFFFFFull && Reserve(static_cast<std::uint32_t>(need));
}

void CDoubleArray::Clear() { m_count = 0; }

bool CDoubleArray::Compact() { return Reallocate(m_count ? m_count : 16); }

bool CDoubleArray::Extend(std::uint32_t n)
{
    // A count raised past a failed reservation would hand out values beyond the block.
    if (!Grow(n))
        return false;
    std::memset(m_data + m_count, 0, static_cast<std::size_t>(n) * sizeof(double));
    m_count += n;
    return true;
}

bool CDoubleArray::Append(const double* values, std::uint32_t n) { return Insert(values, n, m_count); }

bool CDoubleArray::Insert(const double* values, std::uint32_t n, std::uint32_t at)
{
    if (at > m_count || (n && !values))
        return false;
    // Values taken from this array itself are copied out first: growing may move the block.
    const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(double);
    const CSourceCopy src(values, bytes, m_data, static_cast<std::size_t>(m_capacity) * sizeof(double));
    if (src.Failed() || !Grow(n))
        return false;
    if (n) {
        std::memmove(m_data + at + n, m_data + at, static_cast<std::size_t>(m_count - at) * sizeof(double));
        std::memcpy(m_data + at, src.Get(), bytes);
        m_count += n;
    }
    return true;
}

bool CDoubleArray::Remove(std::uint32_t n, std::uint32_t at)
{
    const std::int64_t behind = static_cast<std::int64_t>(m_count) - n - at;
    if (behind < 1)
        return false;
    std::memmove(m_data + at, m_data + at + n, static_cast<std::size_t>(behind) * sizeof(double));
    m_count -= n;
    return true;
}

bool CDoubleArray::Assign(const CDoubleArray& source)
{
    if (&source == this)
        return true;
    Clear();
    return Append(source.m_data, source.m_count);
}

} // namespace dgn
