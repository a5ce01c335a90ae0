#include "control/DialogLists.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include <cmath>
#include <cstring>

HRESULT GetTypeLibEnumMembers(IDispatch* object, const char* enumName, std::vector<long>* values,
                              std::vector<std::string>* names)
{
    if (!object || !enumName || !values || !names)
        return E_INVALIDARG;
    ycom::ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()));
    ycom::ComPtr<ITypeLib> library;
    UINT index = 0;
    RETURN_IF_FAILED(info->GetContainingTypeLib(library.Put(), &index));
    const ycom::Bstr wanted = ycom::Bstr::FromAnsi(enumName);
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_ENUM)
            continue;
        ycom::Bstr name;
        if (FAILED(library->GetDocumentation(static_cast<INT>(i), name.Put(), nullptr, nullptr, nullptr)) ||
            lstrcmpW(name.CStr(), wanted.CStr()) != 0)
            continue;
        ycom::ComPtr<ITypeInfo> enumInfo;
        RETURN_IF_FAILED(library->GetTypeInfo(i, enumInfo.Put()));
        TYPEATTR* attr = nullptr;
        RETURN_IF_FAILED(enumInfo->GetTypeAttr(&attr));
        for (WORD v = 0; v < attr->cVars; ++v) {
            VARDESC* var = nullptr;
            if (FAILED(enumInfo->GetVarDesc(v, &var)))
                continue;
            ycom::Bstr member;
            if (var->varkind == VAR_CONST && var->lpvarValue &&
                SUCCEEDED(enumInfo->GetDocumentation(var->memid, member.Put(), nullptr, nullptr, nullptr))) {
                VARIANT number;
                VariantInit(&number);
                if (SUCCEEDED(VariantChangeType(&number, var->lpvarValue, 0, VT_I4))) {
                    values->push_back(number.lVal);
                    const int n = WideCharToMultiByte(CP_ACP, 0, member.CStr(), -1, nullptr, 0, nullptr, nullptr);
                    std::string text(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
                    if (n > 1)
                        WideCharToMultiByte(CP_ACP, 0, member.CStr(), -1, &text[0], n, nullptr, nullptr);
                    names->push_back(text);
                }
            }
            enumInfo->ReleaseVarDesc(var);
        }
        enumInfo->ReleaseTypeAttr(attr);
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

namespace {

int CALLBACK AddFontFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM param)
{
    HWND combo = reinterpret_cast<HWND>(param);
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font->lfFaceName)) ==
        CB_ERR)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

} // namespace

void FillFontNameCombo(HWND combo, const char* name)
{
    if (!combo)
        return;
    if (HDC dc = GetDC(combo)) {
        LOGFONTA wanted = {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(dc, &wanted, AddFontFamily, reinterpret_cast<LPARAM>(combo), 0);
        ReleaseDC(combo, dc);
    }
    if (name) {
        SetWindowLongPtrA(combo, GWL_STYLE, GetWindowLongPtrA(combo, GWL_STYLE) & ~static_cast<LONG_PTR>(CBS_SORT));
        const LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
        if (at != CB_ERR)
            SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
        SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

int GetDisplayDecimals(const VARIANT& value, int base)
{
    double v;
    if (value.vt == VT_R4)
        v = value.fltVal;
    else if (value.vt == VT_R8)
        v = value.dblVal;
    else
        return 0;
    v = std::fabs(v);
    if (v == 0.0 || std::isnan(v))
        return 0;
    int decimals = base;
    if (v >= 10.0) {
        for (double limit = 10.0; v >= limit && decimals > 0; limit *= 10.0)
            --decimals;
    } else {
        for (double limit = 1.0; v < limit && limit > 1e-300; limit /= 10.0)
            ++decimals;
    }
    return decimals;
}
