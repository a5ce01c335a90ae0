#pragma once
#include <windows.h>
#include <oaidl.h>

// Installs a COM error-info object for the calling thread: source "YVEXControl", the given class
// identifier, and the description (taken over and freed; may be null). Callers then return
// DISP_E_EXCEPTION. When the error object cannot be made the thread's error info is left alone.
void ReportComError(const GUID& guid, BSTR description);

// Convenience: ReportComError with a copy of an ANSI description; answers DISP_E_EXCEPTION.
HRESULT ReportComErrorText(const GUID& guid, const char* description);
