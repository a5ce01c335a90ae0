#pragma once
// The control's error convention for its COM members (source "YVEXControl", through
// com/ErrorInfo.h), and the short-text conversions between the ANSI code page that the model keeps
// and the UTF-16 of the COM boundary.
#include <windows.h>
#include <oaidl.h>

// Installs a COM error-info object for the calling thread: source "YVEXControl", the given class
// identifier, and the description (taken over and freed; may be null). Callers then return
// DISP_E_EXCEPTION. When the error object cannot be made the thread's error info is left alone.
void ReportComError(const GUID& guid, BSTR description);

// ReportComError with a copy of an ANSI description; answers DISP_E_EXCEPTION.
HRESULT ReportComErrorText(const GUID& guid, const char* description);

// ReportComError with a copy of a UTF-16 description; answers `result` (DISP_E_EXCEPTION unless a
// member documents a more precise code).
HRESULT ReportComErrorW(const GUID& guid, const wchar_t* description, HRESULT result = DISP_E_EXCEPTION);

// Size, in characters, of each direction's conversion buffer.
constexpr int kConversionBufferChars = 4096;

// ANSI (CP_ACP) to UTF-16 into a module-wide buffer that the next call overwrites. A null text
// gives an empty string; so does a text that does not fit the buffer (never a cut-off character).
const wchar_t* AnsiToWide(const char* text);

// UTF-16 to ANSI (CP_ACP, no default character) into a module-wide buffer that the next call
// overwrites. A null text, a text that does not fit, or one that cannot be converted gives an
// empty string.
const char* WideToAnsi(const wchar_t* text);
