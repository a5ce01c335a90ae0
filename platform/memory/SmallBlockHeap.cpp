#include "memory/SmallBlockHeap.h"

#include <cstdint>

namespace {

// Address space for the module's blocks: plenty on 64-bit, where it costs nothing until used; on
// 32-bit a share that leaves room for the host's own large allocations (beyond it, blocks come
// from the system heap).
constexpr std::size_t kModuleReserve = sizeof(void*) >= 8 ? (std::size_t(4) << 30) : (std::size_t(256) << 20);

__constinit CSmallBlockHeap g_moduleHeap(kModuleReserve);

} // namespace

void CSmallBlockHeap::CSpinLock::Lock() const noexcept
{
    for (unsigned spins = 0; m_held.exchange(true, std::memory_order_acquire); ++spins) {
        // Held by another thread: wait until it looks free, giving the processor away when the
        // holder does not let go soon (it may be waiting for this processor).
        while (m_held.load(std::memory_order_relaxed)) {
            if (++spins < 64)
                YieldProcessor();
            else
                SwitchToThread();
        }
    }
}

class CSmallBlockHeap::CExclusive {
public:
    explicit CExclusive(const CSpinLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CExclusive() { m_lock.Unlock(); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;

private:
    const CSpinLock& m_lock;
};

CSmallBlockHeap& CSmallBlockHeap::Module() noexcept { return g_moduleHeap; }

CSmallBlockHeap::~CSmallBlockHeap()
{
    char* base = m_base.load(std::memory_order_acquire);
    if (!base || LiveBlocks() != 0)
        return;
    VirtualFree(base, 0, MEM_RELEASE);
    VirtualFree(m_runClass, 0, MEM_RELEASE);
    m_base.store(nullptr, std::memory_order_release);
}

bool CSmallBlockHeap::Reserve() noexcept
{
    CExclusive hold(m_rangeLock);
    if (m_base.load(std::memory_order_relaxed))
        return true;
    if (m_reserveFailed)
        return false;
    const std::size_t runs = (m_reserve + kRunSize - 1) / kRunSize;
    auto* runClass = static_cast<unsigned char*>(VirtualAlloc(nullptr, runs, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    // Reserved ranges start on the allocation granularity (64 kB), so every run is aligned to
    // its size and a block's run follows from its address.
    auto* base = runs && runClass ? static_cast<char*>(VirtualAlloc(nullptr, runs * kRunSize, MEM_RESERVE, PAGE_NOACCESS))
                                  : nullptr;
    if (!base) {
        if (runClass)
            VirtualFree(runClass, 0, MEM_RELEASE);
        m_reserveFailed = true;
        return false;
    }
    m_runs = runs;
    m_runClass = runClass;
    m_runsTaken = 0;
    m_committed = 0;
    m_base.store(base, std::memory_order_release);
    return true;
}

char* CSmallBlockHeap::TakeRun(std::size_t index) noexcept
{
    if (!m_base.load(std::memory_order_acquire) && !Reserve())
        return nullptr;
    CExclusive hold(m_rangeLock);
    char* base = m_base.load(std::memory_order_relaxed);
    if (m_runsTaken == m_runs)
        return nullptr;
    const std::size_t end = (m_runsTaken + 1) * kRunSize;
    if (end > m_committed) {
        std::size_t commitEnd = (end + kCommitStep - 1) / kCommitStep * kCommitStep;
        if (commitEnd > m_runs * kRunSize)
            commitEnd = m_runs * kRunSize;
        if (!VirtualAlloc(base + m_committed, commitEnd - m_committed, MEM_COMMIT, PAGE_READWRITE))
            return nullptr;
        m_committed = commitEnd;
    }
    m_runClass[m_runsTaken] = static_cast<unsigned char>(index + 1);
    return base + kRunSize * m_runsTaken++;
}

void* CSmallBlockHeap::Allocate(std::size_t bytes) noexcept
{
    if (bytes > kLargest)
        return nullptr;
    const std::size_t index = bytes ? (bytes - 1) / kGranule : 0;
    const std::size_t size = (index + 1) * kGranule;
    SizeClass& sizeClass = m_classes[index];
    CExclusive hold(sizeClass.lock);
    void* block = sizeClass.freeList;
    if (block) {
        sizeClass.freeList = *static_cast<void**>(block);
    } else {
        if (static_cast<std::size_t>(sizeClass.end - sizeClass.next) < size) {
            char* run = TakeRun(index);
            if (!run)
                return nullptr;
            sizeClass.next = run;
            sizeClass.end = run + kRunSize;
        }
        block = sizeClass.next;
        sizeClass.next += size;
    }
    ++sizeClass.live;
    return block;
}

bool CSmallBlockHeap::Owns(const void* block) const noexcept
{
    const char* base = m_base.load(std::memory_order_acquire);
    if (!base)
        return false;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    const auto first = reinterpret_cast<std::uintptr_t>(base);
    return at >= first && at - first < m_runs * kRunSize;
}

void CSmallBlockHeap::Free(void* block) noexcept
{
    if (!block)
        return;
    const std::size_t run = static_cast<std::size_t>(static_cast<char*>(block) - m_base.load(std::memory_order_acquire)) / kRunSize;
    const unsigned index = m_runClass[run];
    if (index == 0)
        return; // not a block of a run handed out: nothing to take back
    SizeClass& sizeClass = m_classes[index - 1];
    CExclusive hold(sizeClass.lock);
    *static_cast<void**>(block) = sizeClass.freeList;
    sizeClass.freeList = block;
    --sizeClass.live;
}

std::size_t CSmallBlockHeap::LiveBlocks() const noexcept
{
    std::size_t live = 0;
    for (const SizeClass& sizeClass : m_classes) {
        CExclusive hold(sizeClass.lock);
        live += sizeClass.live;
    }
    return live;
}

std::size_t CSmallBlockHeap::CommittedBytes() const noexcept
{
    CExclusive hold(m_rangeLock);
    return m_committed;
}

