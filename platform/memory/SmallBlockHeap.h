#pragma once
// A heap for the many small blocks a drawing is made of (shapes, points, map nodes, short lists).
//
// Blocks of up to kLargest bytes come from size classes 16 bytes apart. Each class carves runs of
// kRunSize bytes out of one address range reserved at the first allocation, and keeps the blocks
// given back on a list of its own: an allocation or a release is a few instructions under the
// class's lock, with no header beside the block. The system heap costs far more per block and,
// once hundreds of thousands of blocks have come and gone, more again for each new one.
//
// The heap does not give memory back to the system while the module lives: blocks freed by one
// drawing serve the next. Allocate answers null for a larger block, or when the range is used up,
// and the caller then asks the system heap; Owns tells the two kinds apart when they are freed.
// Every member is safe to call from any thread.
#include <windows.h>

#include <atomic>
#include <cstddef>

class CSmallBlockHeap {
public:
    static constexpr std::size_t kGranule = 16;
    static constexpr std::size_t kLargest = 1024;
    static constexpr std::size_t kRunSize = 64 * 1024;
    // What is committed at once as the used part of the range grows.
    static constexpr std::size_t kCommitStep = 1024 * 1024;

    // The range is reserved on the first allocation: `reserve` bytes, rounded up to whole runs.
    explicit constexpr CSmallBlockHeap(std::size_t reserve) : m_reserve(reserve) {}
    // Gives the range back to the system only when no block is in use: a block still held
    // elsewhere must never point into memory that is gone.
    ~CSmallBlockHeap();
    CSmallBlockHeap(const CSmallBlockHeap&) = delete;
    CSmallBlockHeap& operator=(const CSmallBlockHeap&) = delete;

    // A block of at least `bytes` bytes (one granule for 0), aligned to kGranule; null when the
    // block is larger than kLargest, the range is used up or could not be reserved.
    void* Allocate(std::size_t bytes) noexcept;
    // Whether `block` lies in this heap's range (then Free takes it).
    bool Owns(const void* block) const noexcept;
    // Takes back a block Allocate gave. Null is ignored.
    void Free(void* block) noexcept;

    // The blocks handed out and not yet freed, and the bytes committed so far.
    std::size_t LiveBlocks() const noexcept;
    std::size_t CommittedBytes() const noexcept;

    // The module's own heap: what the module's operator new uses.
    static CSmallBlockHeap& Module() noexcept;

private:
    static constexpr std::size_t kClasses = kLargest / kGranule;

    // A lock held for a few instructions: taken with one atomic exchange when free, which is
    // most of the time. The system's reader-writer lock costs several times the allocation.
    class CSpinLock {
    public:
        void Lock() const noexcept;
        void Unlock() const noexcept { m_held.store(false, std::memory_order_release); }

    private:
        mutable std::atomic<bool> m_held{false};
    };

    class CExclusive;

    struct alignas(64) SizeClass {
        CSpinLock lock;
        void* freeList = nullptr;
        char* next = nullptr;
        char* end = nullptr;
        std::size_t live = 0;
    };

    bool Reserve() noexcept;
    // A new run for the class at `index`: null when the range is used up.
    char* TakeRun(std::size_t index) noexcept;

    std::size_t m_reserve;
    CSpinLock m_rangeLock;
    // Set once, under m_rangeLock, with m_runs and m_runClass written before it.
    std::atomic<char*> m_base{nullptr};
    std::size_t m_runs = 0;
    bool m_reserveFailed = false;
    // The class of each run handed out (its index + 1; 0 for a run not handed out).
    unsigned char* m_runClass = nullptr;
    std::size_t m_runsTaken = 0;
    std::size_t m_committed = 0;
    SizeClass m_classes[kClasses];
};
