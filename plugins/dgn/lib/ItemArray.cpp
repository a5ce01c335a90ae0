#include "ItemArray.h"

#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

CItemArray::CItemArray(std::uint32_t itemSize, std::uint32_t block, std::uint32_t alignment)
    : m_itemSize(itemSize), m_block(block ? block : 256), m_alignment(alignment ? alignment : 1)
{
    m_stride = static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_alignment) + itemSize - 1) / m_alignment * m_alignment);
}

CItemArray* CItemArray::Create(std::uint32_t itemSize, std::uint32_t block, std::uint32_t alignment)
{
    CItemArray* a = new (std::nothrow) CItemArray(itemSize, block, alignment);
    if (a && (a->m_stride == 0 || !a->Reallocate(a->m_block))) {
        delete a;
        return nullptr;
    }
    return a;
}

CItemArray::~CItemArray() { std::free(m_data); }

bool CItemArray::Reallocate(std::uint64_t items)
{
    std::uint8_t* data = static_cast<std::uint8_t*>(ResizeHeapBlock(m_data, items, m_stride));
    if (!data)
        return false;
    m_data = data;
    m_capacity = static_cast<std::uint32_t>(items);
    return true;
}

CItemArray* CItemArray::Clone() const
{
    CItemArray* a = new (std::nothrow) CItemArray(m_itemSize, m_block, m_alignment);
    if (!a)
        return nullptr;
    if (!a->Reallocate(m_capacity ? m_capacity : m_block)) {
        delete a;
        return nullptr;
    }
    if (m_count)
        std::memcpy(a->m_data, m_data, static_cast<std::size_t>(m_count) * m_stride);
    a->m_count = m_count;
    return a;
}

void CItemArray::Reset() { m_count = 0; }
std::uint32_t CItemArray::Count() const { return m_count; }

bool CItemArray::Grow(std::uint32_t n) { return InsertItems(nullptr, n, m_count) != nullptr || n == 0; }

std::uint8_t* CItemArray::Data() const { return m_data; }

std::uint8_t* CItemArray::ItemAt(std::uint32_t i) const
{
    return i < m_count ? m_data + static_cast<std::size_t>(i) * m_stride : nullptr;
}

bool CItemArray::Compact() { return Reallocate(m_count ? m_count : 1); }

std::uint8_t* CItemArray::AppendItems(const void* p, std::uint32_t n) { return InsertItems(p, n, m_count); }

std::uint8_t* CItemArray::InsertItems(const void* p, std::uint32_t n, std::uint32_t pos)
{
    if (pos > m_count || n == 0)
        return nullptr;
    // Items taken from this array itself are copied out first: growing may move the block.
    const std::size_t bytes = static_cast<std::size_t>(n) * m_stride;
    const CSourceCopy src(p, bytes, m_data, static_cast<std::size_t>(m_capacity) * m_stride);
    if (src.Failed() || !ReserveMore(n))
        return nullptr;
    std::uint8_t* at = m_data + static_cast<std::size_t>(pos) * m_stride;
    std::memmove(at + bytes, at, static_cast<std::size_t>(m_count - pos) * m_stride);
    std::memset(at, 0, bytes);
    // One item is copied by its own size: the caller's single item need not be padded.
    if (src.Get())
        std::memcpy(at, src.Get(), n == 1 ? m_itemSize : bytes);
    m_count += n;
    return at;
}

bool CItemArray::RemoveItems(std::uint32_t n, std::uint32_t pos)
{
    if (static_cast<std::uint64_t>(pos) + n > m_count)
        return false;
    std::uint8_t* at = m_data + static_cast<std::size_t>(pos) * m_stride;
    std::memmove(at, at + static_cast<std::size_t>(n) * m_stride, static_cast<std::size_t>(m_count - pos - n) * m_stride);
    m_count -= n;
    return true;
}

bool CItemArray::Reserve(std::uint32_t n)
{
    if (m_capacity >= n)
        return true;
    return Reallocate((static_cast<std::uint64_t>(n) + m_block) / m_block * m_block);
}

bool CItemArray::ReserveMore(std::uint32_t n)
{
    const std::uint64_t need = static_cast<std::uint64_t>(m_count) + n;
    return need <= 0xFFFFFFFFull && Reserve(static_cast<std::uint32_t>(need));
}

} // namespace dgn
