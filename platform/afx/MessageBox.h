#pragma once
// Message boxes of the plug-ins. They all go through the platform's replaceable message-box
// handler (com/MessageBoxHook.h), which shows MessageBoxA unless a test or an embedding
// application installed another: plug-in code that would call MessageBoxA calls
// ycom::ShowMessageBox, and AfxMessageBox ends there too.
#include <windows.h>
#include "afx/String.h"

// The text in a box owned by the main window (AfxGetMainWnd, none unless the host names one),
// captioned with the application name of the current module state.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// The text of a string resource of the current resource module.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

// The caption of the class library's message boxes: the current state's application name, else
// the base name of its module's file.
CString AfxGetAppName();
