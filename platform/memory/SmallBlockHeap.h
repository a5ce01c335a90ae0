#pragma once
// A heap for the many small blocks a drawing is made of (shapes, points, map nodes, short lists).
//
// Blocks of up to kLargest bytes come from size classes 8 bytes apart up to kFineLargest and 16
// bytes apart above (a tree node of 40 or 120 bytes takes no more). Each class carves runs of
// kRunSize bytes out of one address range reserved at the first allocation, and keeps the blocks
// given back on a list of its own, with no header beside a block. Each thread also keeps a few
// blocks of each class for itself, taken from the class and given back to it a batch at a time:
// most allocations and releases are a few instructions without a lock. The system heap costs far
// more per block and, once hundreds of thousands of blocks have come and gone, more again for
// each new one.
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
    static constexpr std::size_t kFineGranule = 8;
    static constexpr std::size_t kFineLargest = 128;
    static constexpr std::size_t kLargest = 1024;
    static constexpr std::size_t kRunSize = 64 * 1024;
    // What is committed at once as the used part of the range grows.
    static constexpr std::size_t kCommitStep = 1024 * 1024;
    // A thread takes this many blocks of a class at once, and gives back as many when it holds
    // more than kThreadMost of the class.
    static constexpr unsigned kThreadBatch = 32;
    static constexpr unsigned kThreadMost = 128;

    // The range is reserved on the first allocation: `reserve` bytes, rounded up to whole runs.
    explicit constexpr CSmallBlockHeap(std::size_t reserve) : m_reserve(reserve) {}
    // Gives the range back to the system only when no block is in use: a block still held
    // elsewhere must never point into memory that is gone.
    ~CSmallBlockHeap();
    CSmallBlockHeap(const CSmallBlockHeap&) = delete;
    CSmallBlockHeap& operator=(const CSmallBlockHeap&) = delete;

    // A block of at least `bytes` bytes (8 for 0), aligned to kGranule, or to kFineGranule when
    // its class's size is an odd multiple of 8 (no object of such a size needs more); null when
    // the block is larger than kLargest, the range is used up or could not be reserved.
    void* Allocate(std::size_t bytes) noexcept;
    // Whether `block` lies in this heap's range (then Free takes it).
    bool Owns(const void* block) const noexcept;
    // Takes back a block Allocate gave, from any thread. Null is ignored.
    void Free(void* block) noexcept;
    // The blocks the calling thread keeps go back to their classes: for a thread that ends.
    void ReleaseThreadBlocks() noexcept;

    // The blocks handed out and not yet freed, and the bytes committed so far.
    std::size_t LiveBlocks() const noexcept;
    std::size_t CommittedBytes() const noexcept;

    // The module's own heap: what the module's operator new uses.
    static CSmallBlockHeap& Module() noexcept;

private:
    static constexpr std::size_t kFineClasses = kFineLargest / kFineGranule;
    static constexpr std::size_t kClasses = kFineClasses + (kLargest - kFineLargest) / kGranule;
    static constexpr std::size_t ClassOf(std::size_t bytes)
    {
        return bytes <= kFineLargest ? (bytes ? (bytes - 1) / kFineGranule : 0)
                                     : kFineClasses + (bytes - kFineLargest - 1) / kGranule;
    }
    static constexpr std::size_t SizeOfClass(std::size_t index)
    {
        return index < kFineClasses ? (index + 1) * kFineGranule : kFineLargest + (index + 1 - kFineClasses) * kGranule;
    }

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
        // Blocks out of the class: in use, or kept by a thread.
        std::size_t out = 0;
    };

    // The blocks one thread keeps for each class: a list of blocks given back, and a stretch of
    // a run not yet handed out (carved without writing to it). Known to the heap so that what a
    // thread keeps is not counted in use, and is freed with the heap.
    struct ThreadBlocks {
        void* head[kClasses];
        unsigned count[kClasses];
        char* carve[kClasses];
        char* carveEnd[kClasses];
        ThreadBlocks* next;
        ThreadBlocks* previous;
    };

    bool Reserve() noexcept;
    // A new run for the class at `index`: null when the range is used up.
    char* TakeRun(std::size_t index) noexcept;
    // The calling thread's blocks; made on first use (null when they cannot be).
    ThreadBlocks* ThisThread() noexcept;
    // Moves up to kThreadBatch blocks of the class at `index` to the thread, given-back ones to
    // its list or else a stretch of the class's run: false when the class has none and the range
    // is used up.
    bool Refill(ThreadBlocks& thread, std::size_t index) noexcept;
    // Gives `n` of the thread's blocks of the class at `index` back to the class.
    void GiveBack(ThreadBlocks& thread, std::size_t index, unsigned n) noexcept;

    std::size_t m_reserve;
    CSpinLock m_rangeLock;
    // Set once, under m_rangeLock, with m_runs, m_runClass and m_tlsIndex written before it.
    std::atomic<char*> m_base{nullptr};
    std::size_t m_runs = 0;
    bool m_reserveFailed = false;
    // The class of each run handed out (its index + 1; 0 for a run not handed out).
    unsigned char* m_runClass = nullptr;
    std::size_t m_runsTaken = 0;
    std::size_t m_committed = 0;
    DWORD m_tlsIndex = TLS_OUT_OF_INDEXES;
    // Every thread's blocks, under m_rangeLock.
    ThreadBlocks* m_threads = nullptr;
    SizeClass m_classes[kClasses];
};
