#pragma once
// The design file's level index: level entries by index (level number + 1). Kept sparse, as
// sorted (index, entry) pairs: a level number read from a file may be anything up to
// 0x7FFFFFFF, and a table of slots up to it would take gigabytes for one such level.
#include <cstdint>

namespace dgn {

class CLevelEntryElement;

class CLevelIndex {
public:
    CLevelIndex() = default;
    ~CLevelIndex();

    // Stores entry under index (a null entry takes the index out); false when memory runs out
    // (nothing changed). Negative indexes are refused.
    bool Set(std::int32_t index, CLevelEntryElement* entry);
    // The entry of index, null for none.
    CLevelEntryElement* Get(std::int32_t index) const;
    // The first entry at or after *cursor, with *cursor moved past its index (negative after
    // the highest index); null at the end and for a negative cursor.
    CLevelEntryElement* Next(std::int32_t* cursor) const;
    // The lowest index from 1 up that holds no entry (-1 when every one does).
    std::int32_t FirstFree() const;
    std::uint32_t Count() const { return m_count; }
    void Clear();

    CLevelIndex(const CLevelIndex&) = delete;
    CLevelIndex& operator=(const CLevelIndex&) = delete;

private:
    struct Slot {
        std::int32_t index;
        CLevelEntryElement* entry;
    };
    // The position of the first slot whose index is not below index.
    std::uint32_t LowerBound(std::int32_t index) const;

    Slot* m_slots = nullptr;
    std::uint32_t m_count = 0;
    std::uint32_t m_capacity = 0;
};

} // namespace dgn
