#pragma once
// Start and end of the DGN library, and its global lock.
//
// The library is started once per user and ended as often as it was started. The first start
// creates the root container, the head of the process-wide chain of entities (design files,
// elements, child lists, iterator cursors); the last end deletes it with whatever is still
// linked under it. The option byte of every start is ORed into the library flags: while they
// are non-zero, every chain edit runs under one recursive lock, so that users on several
// threads may share the library. With flags 0 (a single-threaded user) no locking happens.
#include <cstdint>

namespace dgn {

class CRootContainer;

// The only version that a caller may start the library with.
constexpr int kLibraryVersion = 9964;

// Counts a start and ORs the flags in; the first start creates the root container. True only
// for kLibraryVersion (and when the root container exists); a refused start still counts and
// must still be ended.
bool InitializeLibrary(int version, unsigned char flags);
// Ends one start; the last end deletes the root container (and everything under it), the lock
// and the flags.
void ShutdownLibrary();
int GetLibraryVersion();

// Enter and leave the global lock, when the library flags are non-zero. Library code uses
// CLibraryLockGuard, which leaves exactly what it entered.
void LockLibrary();
void UnlockLibrary();

// The root container between the first start and the last end, else null.
CRootContainer* GetRootContainer();
// The root container's current mark, 0 without a root container.
int CurrentLibraryMark();

// The identity quaternion (1, 0, 0, 0).
void InitUnitQuad(double q[4]);

// Holds the global lock for a scope when locking is on at its start.
class CLibraryLockGuard {
public:
    CLibraryLockGuard();
    ~CLibraryLockGuard();
    CLibraryLockGuard(const CLibraryLockGuard&) = delete;
    CLibraryLockGuard& operator=(const CLibraryLockGuard&) = delete;

private:
    void* m_entered;
};

} // namespace dgn
