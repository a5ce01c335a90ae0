#include "control/SharedPrintSetup.h"

namespace {

// Touched only by the print set-up on the apartment thread of the control showing a dialog,
// and at unload.
HGLOBAL g_devMode = nullptr;
HGLOBAL g_devNames = nullptr;

void Replace(HGLOBAL& stored, HGLOBAL handle, BOOL freeOld)
{
    if (freeOld && stored && stored != handle) {
        // The low byte of the flags is the lock count.
        for (UINT locks = GlobalFlags(stored) & GMEM_LOCKCOUNT; locks > 0; --locks)
            GlobalUnlock(stored);
        GlobalFree(stored);
    }
    stored = handle;
    if (handle)
        GlobalLock(handle);
}

} // namespace

void SetSharedDevMode(HGLOBAL handle, BOOL freeOld) { Replace(g_devMode, handle, freeOld); }
void SetSharedDevNames(HGLOBAL handle, BOOL freeOld) { Replace(g_devNames, handle, freeOld); }
HGLOBAL GetSharedDevMode() { return g_devMode; }
HGLOBAL GetSharedDevNames() { return g_devNames; }
