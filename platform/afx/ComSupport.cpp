// What comdef.h's smart pointers, _bstr_t and _com_error need from a support library: the text
// conversions of _bstr_t, and the raising of a failed call's result with the called interface.
// Narrow text is Windows-1252, as everywhere in the plug-ins.
#include <comdef.h>
#include <new>

namespace {
const UINT kCodePage = 1252;
}

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* text)
{
    if (!text)
        return nullptr;
    const int n = MultiByteToWideChar(kCodePage, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
    if (!out)
        _com_issue_error(E_OUTOFMEMORY);
    MultiByteToWideChar(kCodePage, 0, text, -1, out, n);
    return out;
}

// The result belongs to the caller, who frees it with delete[] (as _bstr_t does).
char* WINAPI ConvertBSTRToString(BSTR text)
{
    if (!text)
        return nullptr;
    const int n = WideCharToMultiByte(kCodePage, 0, text, static_cast<int>(SysStringLen(text)) + 1, nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0)
        return nullptr;
    char* out = new (std::nothrow) char[static_cast<size_t>(n)];
    if (!out)
        _com_issue_error(E_OUTOFMEMORY);
    WideCharToMultiByte(kCodePage, 0, text, static_cast<int>(SysStringLen(text)) + 1, out, n, nullptr, nullptr);
    return out;
}

} // namespace _com_util

// Raises _com_error for a failed call on `object` through interface `iid`. The exception always
// carries the interface (`_com_error::GUID_`): its error object names `iid`, with the description
// and source that the callee left when it supports error information for that interface, else the
// system's text for the result.
void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid)
{
    IErrorInfo* left = nullptr;
    if (object) {
        ISupportErrorInfo* support = nullptr;
        if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) && support) {
            if (support->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &left) != S_OK)
                left = nullptr;
            support->Release();
        }
    }
    GUID named = GUID_NULL;
    if (left)
        left->GetGUID(&named);
    IErrorInfo* info = nullptr;
    if (left && named == iid) {
        info = left;
        left = nullptr;
    } else {
        ICreateErrorInfo* create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&create)) && create) {
            create->SetGUID(iid);
            BSTR description = nullptr, source = nullptr;
            if (left) {
                left->GetDescription(&description);
                left->GetSource(&source);
            }
            if (description && *description) {
                create->SetDescription(description);
            } else {
                LPWSTR text = nullptr;
                if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr) &&
                    text) {
                    create->SetDescription(text);
                    LocalFree(text);
                }
            }
            if (source)
                create->SetSource(source);
            SysFreeString(description);
            SysFreeString(source);
            create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
            create->Release();
        }
    }
    if (left)
        left->Release();
    // The handler throws _com_error, which takes over the reference to the error object.
    __mingw_com_error_handler(hr, info);
}
