#pragma once
// The COM error convention: a member that fails installs an error-info object for the calling
// thread (source, the reporting class or interface, a description) and returns its HRESULT;
// clients read it through GetErrorInfo (and ISupportErrorInfo).
#include <windows.h>
#include <oaidl.h>

namespace ycom {

// Installs an error-info object for the calling thread with the source name, the class or
// interface identifier and the description (taken over and freed; may be null). When the object
// cannot be made the thread's error info is left alone.
void InstallErrorInfo(const wchar_t* source, const GUID& guid, BSTR description);

// InstallErrorInfo with a copy of an ANSI (CP_ACP) or a UTF-16 description (null: none);
// answers `result`.
HRESULT ReportErrorA(const wchar_t* source, const GUID& guid, const char* description,
                     HRESULT result = DISP_E_EXCEPTION);
HRESULT ReportErrorW(const wchar_t* source, const GUID& guid, const wchar_t* description,
                     HRESULT result = DISP_E_EXCEPTION);

} // namespace ycom
