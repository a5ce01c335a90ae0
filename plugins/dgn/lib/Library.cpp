#include "Library.h"

#include "fonts/FontResources.h"

#include "RootContainer.h"
#include "platform/Platform.h"

#include <mutex>

namespace dgn {

namespace {

unsigned char g_libraryFlags = 0;
std::int32_t g_libraryUseCount = 0;
CPlatformLock* g_globalLock = nullptr;
CRootContainer* g_rootContainer = nullptr;

// Starts and ends may come from different threads (each converter starts the library on its
// own thread), so the count and the globals it creates change under a lock of their own.
std::mutex& StartLock()
{
    static std::mutex m;
    return m;
}

} // namespace

bool InitializeLibrary(int version, unsigned char flags)
{
    std::lock_guard<std::mutex> start(StartLock());
    g_libraryFlags |= flags;
    if (++g_libraryUseCount == 1) {
        g_globalLock = CPlatformLock::Create();
        g_rootContainer = CRootContainer::Create();
    }
    return version == kLibraryVersion && g_rootContainer && g_globalLock;
}

void ShutdownLibrary()
{
    std::lock_guard<std::mutex> start(StartLock());
    // An end without a start is ignored rather than driving the count negative.
    if (g_libraryUseCount <= 0)
        return;
    if (--g_libraryUseCount > 0)
        return;
    DestroyFontResources();
    delete g_rootContainer;
    g_rootContainer = nullptr;
    delete g_globalLock;
    g_globalLock = nullptr;
    g_libraryFlags = 0;
}

int GetLibraryVersion() { return kLibraryVersion; }

void LockLibrary()
{
    if (g_libraryFlags && g_globalLock)
        g_globalLock->Enter();
}

void UnlockLibrary()
{
    if (g_libraryFlags && g_globalLock)
        g_globalLock->Leave();
}

CLibraryLockGuard::CLibraryLockGuard() : m_entered(nullptr)
{
    if (g_libraryFlags && g_globalLock) {
        g_globalLock->Enter();
        m_entered = g_globalLock;
    }
}

CLibraryLockGuard::~CLibraryLockGuard()
{
    if (m_entered)
        static_cast<CPlatformLock*>(m_entered)->Leave();
}

CRootContainer* GetRootContainer() { return g_rootContainer; }

int CurrentLibraryMark() { return g_rootContainer ? g_rootContainer->GetCurrentMark() : 0; }

void InitUnitQuad(double q[4])
{
    q[0] = 1.0;
    q[1] = 0.0;
    q[2] = 0.0;
    q[3] = 0.0;
}

} // namespace dgn
