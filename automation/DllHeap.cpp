// The module's operator new and delete: small blocks from the module's own heap, the rest from
// the C runtime's. Only this module's code allocates with them: what crosses to the host or the
// plug-ins goes through COM's allocators.
#include "memory/SmallBlockHeap.h"

#include <cstdlib>
#include <new>

namespace {

void* AllocateOrNull(std::size_t bytes) noexcept
{
    if (void* block = CSmallBlockHeap::Module().Allocate(bytes))
        return block;
    return std::malloc(bytes ? bytes : 1);
}

void* AllocateOrThrow(std::size_t bytes)
{
    for (;;) {
        if (void* block = AllocateOrNull(bytes))
            return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void Release(void* block) noexcept
{
    CSmallBlockHeap& heap = CSmallBlockHeap::Module();
    if (heap.Owns(block))
        heap.Free(block);
    else
        std::free(block);
}

} // namespace

void* operator new(std::size_t bytes) { return AllocateOrThrow(bytes); }
void* operator new[](std::size_t bytes) { return AllocateOrThrow(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return AllocateOrNull(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return AllocateOrNull(bytes); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
