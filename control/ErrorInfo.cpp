#include "control/ErrorInfo.h"

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
