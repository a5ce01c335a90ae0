#pragma once
// A growable table of pointers by index: the element-ID index of a design file, which finds
// an element by the low 20 bits of its element ID. Slots are pointer-sized and start null.
#include <cstdint>

namespace dgn {

class CPointerTable {
public:
    // A table of capacity null slots that grows in units of growStep slots (0 is taken as 1);
    // null when memory runs out.
    static CPointerTable* Create(std::uint32_t capacity, std::uint32_t growStep);
    virtual ~CPointerTable();

    // An independent copy, or null when memory runs out.
    virtual CPointerTable* Clone() const;
    // The slot, or null beyond the capacity (which does not grow).
    virtual void* Get(std::uint32_t index) const;
    // Grows the table to hold index and stores the pointer; false (nothing stored) when it
    // cannot grow.
    virtual bool Set(std::uint32_t index, void* pointer);
    // Makes room for index: the capacity becomes the next multiple of the grow step above it,
    // the new slots null. False when memory runs out (the table is unchanged).
    virtual bool Reserve(std::uint32_t index);

    std::uint32_t Capacity() const { return m_capacity; }

    CPointerTable(const CPointerTable&) = delete;
    CPointerTable& operator=(const CPointerTable&) = delete;

private:
    CPointerTable(std::uint32_t growStep) : m_growStep(growStep ? growStep : 1) {}

    void** m_slots = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_growStep;
};

} // namespace dgn
