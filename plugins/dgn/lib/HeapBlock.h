#pragma once
// The arrays' C-heap blocks: resizing with every size checked, and source bytes that a caller
// passes from inside the very block that is about to grow.
#include <cstddef>
#include <cstdint>

namespace dgn {

// The block resized to count items of unit bytes (at least one item), contents kept. Null, with
// the old block untouched, when count needs more than 32 bits, the bytes do not fit the address
// space or memory runs out.
void* ResizeHeapBlock(void* block, std::uint64_t count, std::size_t unit);

// The source of an insertion, copied out first when it lies inside the block that the insertion
// may move.
class CSourceCopy {
public:
    CSourceCopy(const void* source, std::size_t bytes, const void* block, std::size_t blockBytes);
    ~CSourceCopy();
    // The bytes to copy from: the caller's, or the copy.
    const void* Get() const { return m_source; }
    // The copy was needed and memory ran out.
    bool Failed() const { return m_failed; }
    CSourceCopy(const CSourceCopy&) = delete;
    CSourceCopy& operator=(const CSourceCopy&) = delete;

private:
    const void* m_source;
    void* m_copy = nullptr;
    bool m_failed = false;
};

} // namespace dgn
