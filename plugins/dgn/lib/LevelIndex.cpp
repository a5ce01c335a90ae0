#include "LevelIndex.h"

#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

CLevelIndex::~CLevelIndex() { std::free(m_slots); }

void CLevelIndex::Clear() { m_count = 0; }

std::uint32_t CLevelIndex::LowerBound(std::int32_t index) const
{
    std::uint32_t low = 0, high = m_count;
    while (low < high) {
        const std::uint32_t mid = low + (high - low) / 2;
        if (m_slots[mid].index < index)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

bool CLevelIndex::Set(std::int32_t index, CLevelEntryElement* entry)
{
    if (index < 0)
        return false;
    const std::uint32_t at = LowerBound(index);
    const bool present = at < m_count && m_slots[at].index == index;
    if (present) {
        if (entry) {
            m_slots[at].entry = entry;
        } else {
            std::memmove(m_slots + at, m_slots + at + 1, (m_count - at - 1) * sizeof(Slot));
            --m_count;
        }
        return true;
    }
    if (!entry)
        return true;
    if (m_count == m_capacity) {
        const std::uint64_t capacity = m_capacity ? 2 * static_cast<std::uint64_t>(m_capacity) : 64;
        Slot* grown = static_cast<Slot*>(ResizeHeapBlock(m_slots, capacity, sizeof(Slot)));
        if (!grown)
            return false;
        m_slots = grown;
        m_capacity = static_cast<std::uint32_t>(capacity);
    }
    std::memmove(m_slots + at + 1, m_slots + at, (m_count - at) * sizeof(Slot));
    m_slots[at] = {index, entry};
    ++m_count;
    return true;
}

CLevelEntryElement* CLevelIndex::Get(std::int32_t index) const
{
    const std::uint32_t at = LowerBound(index);
    return at < m_count && m_slots[at].index == index ? m_slots[at].entry : nullptr;
}

CLevelEntryElement* CLevelIndex::Next(std::int32_t* cursor) const
{
    if (!cursor || *cursor < 0)
        return nullptr;
    const std::uint32_t at = LowerBound(*cursor);
    if (at >= m_count)
        return nullptr;
    // Past the highest index there is nothing: the cursor goes negative, which ends the walk.
    *cursor = m_slots[at].index == 0x7FFFFFFF ? -1 : m_slots[at].index + 1;
    return m_slots[at].entry;
}

std::int32_t CLevelIndex::FirstFree() const
{
    std::int32_t wanted = 1;
    for (std::uint32_t i = LowerBound(1); i < m_count && m_slots[i].index == wanted; ++i) {
        if (wanted == 0x7FFFFFFF)
            return -1;
        ++wanted;
    }
    return wanted;
}

} // namespace dgn
