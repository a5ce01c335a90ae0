#include "com/ErrorInfo.h"

namespace ycom {

void InstallErrorInfo(const wchar_t* source, const GUID& guid, BSTR description)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create) {
        SysFreeString(description);
        return;
    }
    create->SetGUID(guid);
    create->SetSource(const_cast<LPOLESTR>(source));
    if (description)
        create->SetDescription(description);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        ::SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
    SysFreeString(description);
}

HRESULT ReportErrorA(const wchar_t* source, const GUID& guid, const char* description, HRESULT result)
{
    BSTR text = nullptr;
    if (description) {
        const int n = MultiByteToWideChar(CP_ACP, 0, description, -1, nullptr, 0);
        if (n > 0) {
            text = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
            if (text)
                MultiByteToWideChar(CP_ACP, 0, description, -1, text, n);
        }
    }
    InstallErrorInfo(source, guid, text);
    return result;
}

HRESULT ReportErrorW(const wchar_t* source, const GUID& guid, const wchar_t* description, HRESULT result)
{
    InstallErrorInfo(source, guid, description ? SysAllocString(description) : nullptr);
    return result;
}

} // namespace ycom
