#include "HeapBlock.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

void* ResizeHeapBlock(void* block, std::uint64_t count, std::size_t unit)
{
    if (count == 0)
        count = 1;
    if (count > 0xFFFFFFFFull || unit == 0 || count > SIZE_MAX / unit)
        return nullptr;
    return std::realloc(block, static_cast<std::size_t>(count) * unit);
}

CSourceCopy::CSourceCopy(const void* source, std::size_t bytes, const void* block, std::size_t blockBytes) : m_source(source)
{
    const std::uintptr_t s = reinterpret_cast<std::uintptr_t>(source);
    const std::uintptr_t b = reinterpret_cast<std::uintptr_t>(block);
    if (!source || !block || bytes == 0 || s < b || s - b >= blockBytes)
        return;
    m_copy = std::malloc(bytes);
    if (!m_copy) {
        m_failed = true;
        return;
    }
    // What lies beyond the block is not the block's to copy.
    const std::size_t inside = blockBytes - (s - b);
    std::memcpy(m_copy, source, bytes < inside ? bytes : inside);
    m_source = m_copy;
}

CSourceCopy::~CSourceCopy() { std::free(m_copy); }

} // namespace dgn
