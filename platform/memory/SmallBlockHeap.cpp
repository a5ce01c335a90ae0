#include "memory/SmallBlockHeap.h"

#include <winternl.h>

#include <cstdint>

namespace {

// Address space for the module's blocks: room for drawings of millions of shapes (it costs
// nothing until used), and on 32-bit a share that leaves room for the host's own large
// allocations. Beyond it, blocks come from the system heap.
constexpr std::size_t kModuleReserve = sizeof(void*) >= 8 ? (std::size_t(4) << 30) : (std::size_t(256) << 20);

__constinit CSmallBlockHeap g_moduleHeap(kModuleReserve);

// The first 64 thread-local slots sit in the thread's environment block. Reading them there
// leaves the thread's last error alone, which TlsGetValue clears: an allocation must not hide
// the error of the call before it.
void* ThreadSlot(DWORD index)
{
    if (index < 64) {
        // The compiler takes the segment read of the environment block for an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
        return NtCurrentTeb()->TlsSlots[index];
#pragma GCC diagnostic pop
    }
    const DWORD error = GetLastError();
    void* value = TlsGetValue(index);
    SetLastError(error);
    return value;
}

} // namespace

CSmallBlockHeap& CSmallBlockHeap::Module() noexcept { return g_moduleHeap; }

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

CSmallBlockHeap::~CSmallBlockHeap()
{
    char* base = m_base.load(std::memory_order_acquire);
    if (!base || LiveBlocks() != 0)
        return;
    while (ThreadBlocks* thread = m_threads) {
        m_threads = thread->next;
        HeapFree(GetProcessHeap(), 0, thread);
    }
    if (m_tlsIndex != TLS_OUT_OF_INDEXES)
        TlsFree(m_tlsIndex);
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
    // Without a slot of its own, every thread goes to the classes under their locks.
    m_tlsIndex = TlsAlloc();
    m_threads = nullptr;
    m_base.store(base, std::memory_order_release);
    return true;
}

char* CSmallBlockHeap::TakeRun(std::size_t index) noexcept
{
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

CSmallBlockHeap::ThreadBlocks* CSmallBlockHeap::ThisThread() noexcept
{
    if (m_tlsIndex == TLS_OUT_OF_INDEXES)
        return nullptr;
    if (auto* thread = static_cast<ThreadBlocks*>(ThreadSlot(m_tlsIndex)))
        return thread;
    const DWORD error = GetLastError();
    auto* thread = static_cast<ThreadBlocks*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ThreadBlocks)));
    if (thread && !TlsSetValue(m_tlsIndex, thread)) {
        HeapFree(GetProcessHeap(), 0, thread);
        thread = nullptr;
    }
    SetLastError(error);
    if (!thread)
        return nullptr;
    CExclusive hold(m_rangeLock);
    thread->next = m_threads;
    if (m_threads)
        m_threads->previous = thread;
    m_threads = thread;
    return thread;
}

namespace {

// One block off the class: the last given back, or the next of its run.
template <typename Class, typename TakeRun>
void* TakeFromClass(Class& sizeClass, std::size_t size, TakeRun takeRun)
{
    if (void* block = sizeClass.freeList) {
        sizeClass.freeList = *static_cast<void**>(block);
        return block;
    }
    if (static_cast<std::size_t>(sizeClass.end - sizeClass.next) < size) {
        char* run = takeRun();
        if (!run)
            return nullptr;
        sizeClass.next = run;
        sizeClass.end = run + CSmallBlockHeap::kRunSize;
    }
    void* block = sizeClass.next;
    sizeClass.next += size;
    return block;
}

} // namespace

bool CSmallBlockHeap::Refill(ThreadBlocks& thread, std::size_t index) noexcept
{
    const std::size_t size = SizeOfClass(index);
    SizeClass& sizeClass = m_classes[index];
    CExclusive hold(sizeClass.lock);
    unsigned taken = 0;
    if (sizeClass.freeList) {
        for (; taken < kThreadBatch && sizeClass.freeList; ++taken) {
            void* block = sizeClass.freeList;
            sizeClass.freeList = *static_cast<void**>(block);
            *static_cast<void**>(block) = thread.head[index];
            thread.head[index] = block;
        }
        thread.count[index] += taken;
    } else {
        if (static_cast<std::size_t>(sizeClass.end - sizeClass.next) < size) {
            char* run = TakeRun(index);
            if (!run)
                return false;
            sizeClass.next = run;
            sizeClass.end = run + kRunSize;
        }
        const std::size_t room = static_cast<std::size_t>(sizeClass.end - sizeClass.next) / size;
        taken = static_cast<unsigned>(room < kThreadBatch ? room : kThreadBatch);
        thread.carve[index] = sizeClass.next;
        thread.carveEnd[index] = sizeClass.next + taken * size;
        sizeClass.next += taken * size;
    }
    sizeClass.out += taken;
    return taken > 0;
}

void CSmallBlockHeap::GiveBack(ThreadBlocks& thread, std::size_t index, unsigned n) noexcept
{
    if (n == 0)
        return;
    // The first n of the thread's list, unhooked before the class is locked.
    void* first = thread.head[index];
    void* last = first;
    for (unsigned i = 1; i < n; ++i)
        last = *static_cast<void**>(last);
    thread.head[index] = *static_cast<void**>(last);
    thread.count[index] -= n;
    SizeClass& sizeClass = m_classes[index];
    CExclusive hold(sizeClass.lock);
    *static_cast<void**>(last) = sizeClass.freeList;
    sizeClass.freeList = first;
    sizeClass.out -= n;
}

void* CSmallBlockHeap::Allocate(std::size_t bytes) noexcept
{
    static_assert(ClassOf(kLargest) == kClasses - 1 && SizeOfClass(kClasses - 1) == kLargest, "size classes");
    static_assert(sizeof(void*) <= kFineGranule, "a free block holds the next one's address");
    if (bytes > kLargest)
        return nullptr;
    if (!m_base.load(std::memory_order_acquire) && !Reserve())
        return nullptr;
    const std::size_t index = ClassOf(bytes);
    if (ThreadBlocks* thread = ThisThread()) {
        const std::size_t size = SizeOfClass(index);
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (void* block = thread->head[index]) {
                thread->head[index] = *static_cast<void**>(block);
                --thread->count[index];
                return block;
            }
            if (static_cast<std::size_t>(thread->carveEnd[index] - thread->carve[index]) >= size) {
                void* block = thread->carve[index];
                thread->carve[index] += size;
                return block;
            }
            if (!Refill(*thread, index))
                return nullptr;
        }
        return nullptr;
    }
    SizeClass& sizeClass = m_classes[index];
    CExclusive hold(sizeClass.lock);
    void* block = TakeFromClass(sizeClass, SizeOfClass(index), [&] { return TakeRun(index); });
    if (block)
        ++sizeClass.out;
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
    // A thread that has no list yet (one that is ending, perhaps) gives straight to the class.
    auto* thread = m_tlsIndex == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadBlocks*>(ThreadSlot(m_tlsIndex));
    if (thread) {
        *static_cast<void**>(block) = thread->head[index - 1];
        thread->head[index - 1] = block;
        if (++thread->count[index - 1] > kThreadMost)
            GiveBack(*thread, index - 1, kThreadMost / 2);
        return;
    }
    SizeClass& sizeClass = m_classes[index - 1];
    CExclusive hold(sizeClass.lock);
    *static_cast<void**>(block) = sizeClass.freeList;
    sizeClass.freeList = block;
    --sizeClass.out;
}

void CSmallBlockHeap::ReleaseThreadBlocks() noexcept
{
    if (!m_base.load(std::memory_order_acquire) || m_tlsIndex == TLS_OUT_OF_INDEXES)
        return;
    auto* thread = static_cast<ThreadBlocks*>(ThreadSlot(m_tlsIndex));
    if (!thread)
        return;
    for (std::size_t index = 0; index < kClasses; ++index) {
        GiveBack(*thread, index, thread->count[index]);
        // The stretch not handed out goes back block by block.
        const std::size_t size = SizeOfClass(index);
        if (static_cast<std::size_t>(thread->carveEnd[index] - thread->carve[index]) < size)
            continue;
        SizeClass& sizeClass = m_classes[index];
        CExclusive hold(sizeClass.lock);
        for (; thread->carveEnd[index] - thread->carve[index] >= static_cast<std::ptrdiff_t>(size); thread->carve[index] += size) {
            *reinterpret_cast<void**>(thread->carve[index]) = sizeClass.freeList;
            sizeClass.freeList = thread->carve[index];
            --sizeClass.out;
        }
    }
    {
        CExclusive hold(m_rangeLock);
        if (thread->previous)
            thread->previous->next = thread->next;
        else
            m_threads = thread->next;
        if (thread->next)
            thread->next->previous = thread->previous;
    }
    const DWORD error = GetLastError();
    TlsSetValue(m_tlsIndex, nullptr);
    HeapFree(GetProcessHeap(), 0, thread);
    SetLastError(error);
}

std::size_t CSmallBlockHeap::LiveBlocks() const noexcept
{
    // What threads keep is out of the classes but not in use. Exact while no other thread
    // allocates or frees.
    std::size_t live = 0;
    for (const SizeClass& sizeClass : m_classes) {
        CExclusive hold(sizeClass.lock);
        live += sizeClass.out;
    }
    CExclusive hold(m_rangeLock);
    for (const ThreadBlocks* thread = m_threads; thread; thread = thread->next)
        for (std::size_t index = 0; index < kClasses; ++index)
            live -= thread->count[index] + static_cast<std::size_t>(thread->carveEnd[index] - thread->carve[index]) / SizeOfClass(index);
    return live;
}

std::size_t CSmallBlockHeap::CommittedBytes() const noexcept
{
    CExclusive hold(m_rangeLock);
    return m_committed;
}
