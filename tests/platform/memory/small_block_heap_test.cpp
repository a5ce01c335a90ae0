// The heap of small blocks behind the control module's operator new: blocks that never overlap,
// reuse of what is freed, the end of the range, many threads at once, the blocks an ending thread
// kept, and a range given back only when nothing in it is still in use.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "memory/SmallBlockHeap.h"

namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

// Any object of `size` bytes can live in the block: 16-byte alignment for a size that is a
// multiple of 16, 8 otherwise (a larger alignment divides the size of every object that has it).
bool AlignedFor(const void* block, std::size_t size)
{
    const std::size_t need = size % 16 == 0 && size > 0 ? 16 : 8;
    return reinterpret_cast<std::uintptr_t>(block) % need == 0;
}

DWORD StateOf(const void* at)
{
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(at, &info, sizeof info) ? info.State : 0;
}

} // namespace

TEST(SmallBlockHeap, BlocksOfEverySizeAreAlignedOwnedAndApart)
{
    CSmallBlockHeap heap(16 * kMegabyte);
    // Sizes at and beside the class edges; each block is filled whole with its own byte.
    const std::size_t sizes[] = {0, 1, 8, 9, 15, 16, 17, 24, 31, 32, 40, 100, 120, 127, 128, 129, 144, 255, 256, 257, 512, 1000, 1023, 1024};
    std::vector<std::pair<unsigned char*, std::size_t>> blocks;
    for (int round = 0; round < 50; ++round) {
        for (std::size_t size : sizes) {
            auto* block = static_cast<unsigned char*>(heap.Allocate(size));
            ASSERT_NE(block, nullptr) << size;
            EXPECT_TRUE(AlignedFor(block, size)) << size;
            EXPECT_TRUE(heap.Owns(block)) << size;
            std::memset(block, static_cast<int>(blocks.size() & 0xFF), std::max<std::size_t>(size, 1));
            blocks.emplace_back(block, std::max<std::size_t>(size, 1));
        }
    }
    EXPECT_EQ(heap.LiveBlocks(), blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto& [block, size] = blocks[i];
        EXPECT_TRUE(std::all_of(block, block + size, [&](unsigned char b) { return b == (i & 0xFF); }))
            << "block " << i << " of " << size << " bytes was overwritten";
    }
    for (const auto& entry : blocks)
        heap.Free(entry.first);
    EXPECT_EQ(heap.LiveBlocks(), 0u);

    // Larger blocks are the system heap's; so is anything the heap did not give.
    EXPECT_EQ(heap.Allocate(CSmallBlockHeap::kLargest + 1), nullptr);
    int onStack = 0;
    void* fromMalloc = std::malloc(32);
    EXPECT_FALSE(heap.Owns(&onStack));
    EXPECT_FALSE(heap.Owns(fromMalloc));
    EXPECT_FALSE(heap.Owns(nullptr));
    std::free(fromMalloc);
    heap.Free(nullptr);
}

TEST(SmallBlockHeap, FreedBlocksServeTheirOwnSizeAgain)
{
    CSmallBlockHeap heap(4 * kMegabyte);
    void* first = heap.Allocate(40);
    void* other = heap.Allocate(200);
    heap.Free(first);
    // A block of the same class comes back; a block of another class does not take it.
    EXPECT_NE(heap.Allocate(100), first);
    EXPECT_EQ(heap.Allocate(33), first);
    heap.Free(other);
    EXPECT_EQ(heap.Allocate(193), other);
    EXPECT_EQ(heap.LiveBlocks(), 3u);
}

TEST(SmallBlockHeap, TheEndOfTheRangeAnswersNullUntilABlockIsFreed)
{
    // Two runs: 64 blocks of 1 kB each, then nothing more of any size.
    CSmallBlockHeap heap(2 * CSmallBlockHeap::kRunSize);
    std::vector<void*> blocks;
    while (void* block = heap.Allocate(1024))
        blocks.push_back(block);
    EXPECT_EQ(blocks.size(), 2 * CSmallBlockHeap::kRunSize / 1024);
    EXPECT_EQ(heap.Allocate(16), nullptr);
    EXPECT_LE(heap.CommittedBytes(), 2 * CSmallBlockHeap::kRunSize);
    heap.Free(blocks.back());
    EXPECT_EQ(heap.Allocate(1010), blocks.back());
    EXPECT_EQ(heap.Allocate(1010), nullptr);
}

TEST(SmallBlockHeap, ThreadsAllocateAndFreeEachOthersBlocks)
{
    CSmallBlockHeap heap(64 * kMegabyte);
    constexpr int kThreads = 4;
    constexpr int kSteps = 40000;
    // Each thread keeps a window of blocks stamped with its own mark; half of what it frees was
    // handed over by its neighbour, as a worker's shapes are freed by the window's thread.
    std::vector<std::vector<std::pair<unsigned*, unsigned>>> handed(kThreads);
    std::vector<CRITICAL_SECTION> locks(kThreads);
    for (auto& lock : locks)
        InitializeCriticalSection(&lock);
    std::vector<int> damaged(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(t + 1);
            std::vector<std::pair<unsigned*, unsigned>> window;
            for (int step = 0; step < kSteps; ++step) {
                const std::size_t bytes = 4 + random() % 1020;
                auto* block = static_cast<unsigned*>(heap.Allocate(bytes));
                if (!block) {
                    ++damaged[t];
                    continue;
                }
                const unsigned mark = (t << 24) | step;
                block[0] = mark;
                block[(bytes - 4) / 4] = mark;
                window.emplace_back(block, static_cast<unsigned>(bytes));
                if (window.size() > 64) {
                    auto [old, size] = window.front();
                    window.erase(window.begin());
                    if (old[0] != old[(size - 4) / 4])
                        ++damaged[t];
                    if (step % 2) {
                        heap.Free(old);
                    } else {
                        EnterCriticalSection(&locks[(t + 1) % kThreads]);
                        handed[(t + 1) % kThreads].emplace_back(old, size);
                        LeaveCriticalSection(&locks[(t + 1) % kThreads]);
                    }
                }
                if (step % 16 == 0) {
                    EnterCriticalSection(&locks[t]);
                    std::vector<std::pair<unsigned*, unsigned>> mine;
                    mine.swap(handed[t]);
                    LeaveCriticalSection(&locks[t]);
                    for (auto [old, size] : mine) {
                        if (old[0] != old[(size - 4) / 4])
                            ++damaged[t];
                        heap.Free(old);
                    }
                }
            }
            for (auto [old, size] : window)
                heap.Free(old);
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (auto [old, size] : handed[t])
            heap.Free(old);
        DeleteCriticalSection(&locks[t]);
        EXPECT_EQ(damaged[t], 0) << "thread " << t;
    }
    EXPECT_EQ(heap.LiveBlocks(), 0u);
}

TEST(SmallBlockHeap, AnEndingThreadGivesItsBlocksBack)
{
    // Two runs of 1 kB blocks: a thread that takes part of them and frees it keeps those blocks,
    // and the stretch of the run it was handed with them, until it gives them back; then another
    // thread can have both runs whole.
    CSmallBlockHeap heap(2 * CSmallBlockHeap::kRunSize);
    const std::size_t perRun = CSmallBlockHeap::kRunSize / 1024;
    std::thread worker([&] {
        std::vector<void*> blocks;
        for (std::size_t i = 0; i < CSmallBlockHeap::kThreadBatch + 1; ++i)
            blocks.push_back(heap.Allocate(1024));
        for (void* block : blocks)
            heap.Free(block);
        heap.ReleaseThreadBlocks();
    });
    worker.join();
    EXPECT_EQ(heap.LiveBlocks(), 0u);
    std::size_t got = 0;
    SetLastError(ERROR_FILE_NOT_FOUND);
    while (heap.Allocate(1024))
        ++got;
    EXPECT_EQ(got, 2 * perRun);
    // Allocating leaves the caller's last error as it was.
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(SmallBlockHeap, TheRangeGoesBackOnlyWhenNoBlockIsInUse)
{
    void* freed = nullptr;
    {
        CSmallBlockHeap heap(kMegabyte);
        freed = heap.Allocate(64);
        ASSERT_NE(freed, nullptr);
        heap.Free(freed);
    }
    EXPECT_EQ(StateOf(freed), static_cast<DWORD>(MEM_FREE));

    void* kept = nullptr;
    {
        CSmallBlockHeap heap(kMegabyte);
        kept = heap.Allocate(64);
        ASSERT_NE(kept, nullptr);
        std::memset(kept, 0x5A, 64);
    }
    // Still held: the memory stays, and what it holds with it.
    ASSERT_EQ(StateOf(kept), static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(static_cast<unsigned char*>(kept)[63], 0x5A);
}
