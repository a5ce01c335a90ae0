#pragma once
// The system's ActiveX hosting window class "AtlAxWin" of atl.dll, in which the control hosts its
// rulers: the library is loaded on first use and kept.
#include <windows.h>
#include <unknwn.h>

// Loads atl.dll and registers its hosting window class (AtlAxWinInit); false when the library
// or the entry is missing.
bool InitControlHosting();
// The control hosted in an "AtlAxWin" window (AtlAxGetControl); E_FAIL without the library.
HRESULT GetHostedControl(HWND host, IUnknown** control);
