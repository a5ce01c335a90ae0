#include "ByteArray.h"

#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

std::int32_t FindBytes(std::uint32_t n, std::uint32_t start, const void* pattern, const void* base, std::uint32_t length)
{
    if (n == 0 || !pattern || !base || n > length || start > length - n)
        return -1;
    const std::uint8_t* b = static_cast<const std::uint8_t*>(base);
    for (std::uint32_t at = start; at <= length - n; ++at) {
        if (std::memcmp(b + at, pattern, n) == 0)
            return static_cast<std::int32_t>(at);
    }
    return -1;
}

CByteArray* CByteArray::NewWithCapacity(std::uint32_t step)
{
    CByteArray* a = new (std::nothrow) CByteArray(step);
    if (a && !a->Reallocate(a->m_step)) {
        delete a;
        return nullptr;
    }
    return a;
}

CByteArray* CByteArray::NewDefault() { return NewWithCapacity(1024); }

CByteArray::~CByteArray() { std::free(m_data); }

bool CByteArray::Reallocate(std::uint64_t capacity)
{
    std::uint8_t* data = static_cast<std::uint8_t*>(ResizeHeapBlock(m_data, capacity, 1));
    if (!data)
        return false;
    m_data = data;
    m_capacity = static_cast<std::uint32_t>(capacity);
    return true;
}

CByteArray* CByteArray::Clone() const
{
    CByteArray* a = new (std::nothrow) CByteArray(m_step);
    if (!a)
        return nullptr;
    if (!a->Reallocate(m_capacity ? m_capacity : m_step)) {
        delete a;
        return nullptr;
    }
    if (m_used)
        std::memcpy(a->m_data, m_data, m_used);
    a->m_used = m_used;
    return a;
}

std::uint8_t CByteArray::ByteAt(std::uint32_t i) const { return i < m_used ? m_data[i] : 0; }

bool CByteArray::Reserve(std::uint32_t n)
{
    if (m_capacity >= n && m_data)
        return true;
    return Reallocate((static_cast<std::uint64_t>(n) + m_step) / m_step * m_step);
}

bool CByteArray::ReserveMore(std::uint32_t n)
{
    const std::uint64_t need = static_cast<std::uint64_t>(m_used) + n;
    return need <= 0xFFFFFFFFull && Reserve(static_cast<std::uint32_t>(need));
}

std::uint32_t CByteArray::Size() const { return m_used; }
std::uint8_t* CByteArray::Data() const { return m_data; }
void CByteArray::Reset() { m_used = 0; }

bool CByteArray::Compact() { return Reallocate(m_used ? m_used : 16); }

std::uint32_t CByteArray::Grow(std::uint32_t n)
{
    if (ReserveMore(n))
        m_used += n;
    return m_used;
}

bool CByteArray::Append(const void* p, std::uint32_t n) { return Insert(p, n, m_used); }

bool CByteArray::Insert(const void* p, std::uint32_t n, std::uint32_t pos)
{
    if (pos > m_used)
        return false;
    // Bytes taken from this array itself are copied out first: growing may move the block.
    const CSourceCopy src(p, n, m_data, m_capacity);
    if (src.Failed() || !ReserveMore(n))
        return false;
    std::memmove(m_data + pos + n, m_data + pos, m_used - pos);
    if (n && src.Get())
        std::memcpy(m_data + pos, src.Get(), n);
    m_used += n;
    return true;
}

bool CByteArray::Remove(std::uint32_t n, std::uint32_t pos)
{
    if (pos >= m_used || static_cast<std::uint64_t>(pos) + n >= m_used) {
        if (pos < m_used)
            m_used = pos;
        return false;
    }
    std::memmove(m_data + pos, m_data + pos + n, m_used - pos - n);
    m_used -= n;
    return true;
}

std::int32_t CByteArray::Find(std::uint32_t n, std::uint32_t start, const void* pattern) const
{
    return FindBytes(n, start, pattern, m_data, m_used);
}

bool CByteArray::AppendCopy(const CByteArray& other, CByteArray& out)
{
    if (&out == this)
        return false;
    Compact();
    if (!Append(other.m_data, other.m_used))
        return false;
    if (!out.Reallocate(m_capacity ? m_capacity : m_step))
        return false;
    if (m_used)
        std::memcpy(out.m_data, m_data, m_used);
    out.m_used = m_used;
    out.m_step = m_step;
    return true;
}

} // namespace dgn
