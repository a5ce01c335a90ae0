#include "control/ErrorInfo.h"
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"

namespace {

// Shared by every caller and thread without a lock: callers copy a result before the next call
// of the same direction.
wchar_t g_wideBuffer[kConversionBufferChars];
char g_ansiBuffer[kConversionBufferChars];

} // namespace

void ReportComError(const GUID& guid, BSTR description) { ycom::InstallErrorInfo(kErrorSource, guid, description); }

HRESULT ReportComErrorText(const GUID& guid, const char* description)
{
    return ycom::ReportErrorA(kErrorSource, guid, description);
}

HRESULT ReportComErrorW(const GUID& guid, const wchar_t* description, HRESULT result)
{
    return ycom::ReportErrorW(kErrorSource, guid, description, result);
}

const wchar_t* AnsiToWide(const char* text)
{
    g_wideBuffer[0] = 0;
    if (text && MultiByteToWideChar(CP_ACP, 0, text, -1, g_wideBuffer, kConversionBufferChars) == 0)
        g_wideBuffer[0] = 0;
    return g_wideBuffer;
}

const char* WideToAnsi(const wchar_t* text)
{
    g_ansiBuffer[0] = 0;
    if (text && WideCharToMultiByte(CP_ACP, 0, text, -1, g_ansiBuffer, kConversionBufferChars, nullptr, nullptr) == 0)
        g_ansiBuffer[0] = 0;
    return g_ansiBuffer;
}
