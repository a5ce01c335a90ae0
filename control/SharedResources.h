#pragma once
// What every control instance of the module shares: GDI+, started while any control needs it,
// and the hidden rich-edit window that text shapes measure and render rich text in, which lives
// while any control lives. Both are counted over the controls of the calling (apartment) thread's
// module and touched only on that thread.
#include <windows.h>

// Starts GDI+ for one more user (the first starts it); ReleaseGdiplus lets one go (the last
// stops it). Answers whether GDI+ runs.
bool AcquireGdiplus();
void ReleaseGdiplus();
int GetGdiplusUsers();

// A control instance comes and goes: the first creates the hidden "RICHEDIT" window (no parent,
// multi-line, not visible), the last destroys it. The count never falls below zero.
void RegisterControlInstance();
void UnregisterControlInstance();
int GetLiveControlCount();
// The shared rich-edit window, or null when no control lives (or Rich Edit is not loaded).
HWND GetSharedRichEditWindow();

// Removes and dispatches every message waiting in the calling thread's queue; TRUE. The two
// arguments are not used.
BOOL PumpPendingMessages(WPARAM unused1, LPARAM unused2);
