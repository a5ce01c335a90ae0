#pragma once
// A block array of fixed-size items: each item occupies its size rounded up to the alignment
// (the stride), and the capacity grows by whole blocks of items.
#include <cstdint>

namespace dgn {

class CItemArray {
public:
    // Items of itemSize bytes, growing by block items (0: 256), aligned to alignment bytes
    // (0: 1); the first allocation holds one block. Null when memory runs out.
    static CItemArray* Create(std::uint32_t itemSize, std::uint32_t block, std::uint32_t alignment);
    virtual ~CItemArray();

    virtual CItemArray* Clone() const;
    // Count 0.
    virtual void Reset();
    virtual std::uint32_t Count() const;
    // Adds n items (zeroed) after making room; false when memory runs out.
    virtual bool Grow(std::uint32_t n);
    virtual std::uint8_t* Data() const;
    // The address of item i, or null at or beyond the count.
    virtual std::uint8_t* ItemAt(std::uint32_t i) const;
    // Storage cut to the count (one item's room when empty).
    virtual bool Compact();
    // Appends n items from p: n strides of bytes, or just the item size for one item (a null p
    // adds zeroed items). The first new item, or null when memory runs out.
    virtual std::uint8_t* AppendItems(const void* p, std::uint32_t n);
    // Inserts n items at pos (not beyond the count), copied as AppendItems does.
    virtual std::uint8_t* InsertItems(const void* p, std::uint32_t n, std::uint32_t pos);
    // False when pos + n exceeds the count.
    virtual bool RemoveItems(std::uint32_t n, std::uint32_t pos);
    // Room for n items: below n the capacity becomes ((n + block) / block) * block items.
    virtual bool Reserve(std::uint32_t n);
    virtual bool ReserveMore(std::uint32_t n);

    std::uint32_t Stride() const { return m_stride; }
    std::uint32_t Capacity() const { return m_capacity; }

    CItemArray(const CItemArray&) = delete;
    CItemArray& operator=(const CItemArray&) = delete;

private:
    CItemArray(std::uint32_t itemSize, std::uint32_t block, std::uint32_t alignment);
    bool Reallocate(std::uint64_t items);

    std::uint8_t* m_data = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_count = 0;
    std::uint32_t m_itemSize;
    std::uint32_t m_block;
    std::uint32_t m_alignment;
    std::uint32_t m_stride;
};

} // namespace dgn
