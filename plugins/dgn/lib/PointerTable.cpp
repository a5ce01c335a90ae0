#include "PointerTable.h"

#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

void** AllocateSlots(std::uint64_t count)
{
    if (count > SIZE_MAX / sizeof(void*))
        return nullptr;
    return static_cast<void**>(std::calloc(count ? static_cast<std::size_t>(count) : 1, sizeof(void*)));
}

} // namespace

CPointerTable* CPointerTable::Create(std::uint32_t capacity, std::uint32_t growStep)
{
    CPointerTable* table = new (std::nothrow) CPointerTable(growStep);
    if (!table)
        return nullptr;
    table->m_slots = AllocateSlots(capacity);
    if (!table->m_slots) {
        delete table;
        return nullptr;
    }
    table->m_capacity = capacity;
    return table;
}

CPointerTable::~CPointerTable() { std::free(m_slots); }

CPointerTable* CPointerTable::Clone() const
{
    CPointerTable* copy = Create(m_capacity, m_growStep);
    if (copy && m_capacity)
        std::memcpy(copy->m_slots, m_slots, m_capacity * sizeof(void*));
    return copy;
}

void* CPointerTable::Get(std::uint32_t index) const { return index < m_capacity ? m_slots[index] : nullptr; }

bool CPointerTable::Set(std::uint32_t index, void* pointer)
{
    if (!Reserve(index))
        return false;
    m_slots[index] = pointer;
    return true;
}

bool CPointerTable::Reserve(std::uint32_t index)
{
    if (m_capacity > index)
        return true;
    const std::uint64_t capacity = (static_cast<std::uint64_t>(m_growStep) + index + 1) / m_growStep * m_growStep;
    void** slots = static_cast<void**>(ResizeHeapBlock(m_slots, capacity, sizeof(void*)));
    if (!slots)
        return false;
    std::memset(slots + m_capacity, 0, static_cast<std::size_t>(capacity - m_capacity) * sizeof(void*));
    m_slots = slots;
    m_capacity = static_cast<std::uint32_t>(capacity);
    return true;
}

} // namespace dgn
