#include "control/ErrorInfo.h"

namespace {

// Shared by every caller and thread without a lock: callers copy a result before the next call
// of the same direction.
wchar_t g_wideBuffer[kConversionBufferChars];
char g_ansiBuffer[kConversionBufferChars];

} // namespace

void ReportComError(const GUID& guid, BSTR description)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create) {
        SysFreeString(description);
        return;
    }
    create->SetGUID(guid);
    create->SetSource(const_cast<LPOLESTR>(L"YVEXControl"));
    if (description)
        create->SetDescription(description);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
    SysFreeString(description);
}

HRESULT ReportComErrorText(const GUID& guid, const char* description)
{
    BSTR text = nullptr;
    if (description) {
        int n = MultiByteToWideChar(CP_ACP, 0, description, -1, nullptr, 0);
        if (n > 0) {
            text = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
            if (text)
                MultiByteToWideChar(CP_ACP, 0, description, -1, text, n);
        }
    }
    ReportComError(guid, text);
    return DISP_E_EXCEPTION;
}

HRESULT ReportComErrorW(const GUID& guid, const wchar_t* description, HRESULT result)
{
    ReportComError(guid, description ? SysAllocString(description) : nullptr);
    return result;
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
