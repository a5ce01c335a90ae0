#pragma once
// The printer set-up that all controls of the process share: one global-memory DEVMODE and
// one DEVNAMES handle, or none. A stored handle is kept locked once for as long as it is
// stored. The print set-up dialogs read and replace them; unloading the module frees them.
#include <windows.h>

// Replaces the stored DEVMODE handle. With `freeOld` set, a stored handle that differs from
// the new one is unlocked as often as it is locked and freed. A non-null new handle is locked
// once (also when it is the handle already stored).
void SetSharedDevMode(HGLOBAL handle, BOOL freeOld);
// The same for the DEVNAMES handle.
void SetSharedDevNames(HGLOBAL handle, BOOL freeOld);

HGLOBAL GetSharedDevMode();
HGLOBAL GetSharedDevNames();
