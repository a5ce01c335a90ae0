#include "ui/propertygrid/PropertyRow.h"
#include <oleauto.h>
#include <ocidl.h>
#include <algorithm>
#include <cstdio>
#include "com/Window.h"
#include "control/DialogLists.h"
#include "ui/resource.h"

namespace {

// OLE_COLOR's alias, and the font and picture dispatch interfaces, as containers know them.
const GUID kOleColorGuid = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID kFontDispGuid = {0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID kPictureDispGuid = {0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// Functions a browser must not show.
constexpr WORD kHiddenFlags = FUNCFLAG_FHIDDEN | FUNCFLAG_FNONBROWSABLE;

// Type information is handed out by pointers that must be released through their owner.
struct TypeAttrGuard {
    ITypeInfo* info;
    TYPEATTR* attr = nullptr;
    explicit TypeAttrGuard(ITypeInfo* i) : info(i) { if (FAILED(info->GetTypeAttr(&attr))) attr = nullptr; }
    ~TypeAttrGuard() { if (attr) info->ReleaseTypeAttr(attr); }
};
struct FuncDescGuard {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    FuncDescGuard(ITypeInfo* i, UINT index) : info(i) { if (FAILED(info->GetFuncDesc(index, &desc))) desc = nullptr; }
    ~FuncDescGuard() { if (desc) info->ReleaseFuncDesc(desc); }
};

bool SameValue(const VARIANT& a, const VARIANT& b)
{
    if (V_VT(&a) == VT_UI4 && V_VT(&b) == VT_UI4)
        return V_UI4(&a) == V_UI4(&b);
    // VarCmp compares neither objects nor arrays; such values count as different.
    return VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}


bool StartsWithRtf(const VARIANT& value)
{
    VARIANT text;
    VariantInit(&text);
    bool rtf = false;
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)) && V_BSTR(&text))
        rtf = wcsncmp(V_BSTR(&text), L"{\\rtf1", 6) == 0;
    VariantClear(&text);
    return rtf;
}

// Texts typed into and shown by the grid are read and written as a US English user would.
constexpr LCID kGridLocale = 1033;
// The colour bits of the shapes' colour words: from the layer, from the block, from the brush.
constexpr DWORD kColourByLayer = 0x20000000;
constexpr DWORD kColourByBlock = 0x40000000;
constexpr DWORD kColourByBrush = 0x10000000;

wchar_t* TaskString(const wchar_t* text)
{
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

void SetDisplay(CPropertyRow* row, const wchar_t* text)
{
    SysFreeString(row->displayText);
    row->displayText = SysAllocString(text ? text : L"");
}

bool IsEmptyValue(const VARIANT& v) { return V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL; }

bool AsLong(const VARIANT& v, LONG* out)
{
    switch (V_VT(&v)) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: {
        VARIANT n;
        VariantInit(&n);
        if (FAILED(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I4)) &&
            FAILED(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_UI4)))
            return false;
        *out = V_I4(&n);
        return true;
    }
    default:
        return false;
    }
}

// The default property (or another one without arguments) of an object value.
bool ReadObjectProperty(const VARIANT& object, DISPID dispid, VARIANT* out)
{
    VariantInit(out);
    if (V_VT(&object) != VT_DISPATCH || !V_DISPATCH(&object))
        return false;
    return SUCCEEDED(ReadPropertyValue(V_DISPATCH(&object), dispid, out));
}

int PredefinedIndexOf(const CPropertyRow& row, const VARIANT& value)
{
    for (int32_t i = 0; i < row.predefinedCount; ++i)
        if (PropertyValuesEqual(row.predefinedValues[i], value))
            return i;
    return -1;
}

int PredefinedIndexOfName(const CPropertyRow& row, const wchar_t* text)
{
    for (int32_t i = 0; text && i < row.predefinedCount; ++i)
        if (row.predefinedNames[i] && wcscmp(row.predefinedNames[i], text) == 0)
            return i;
    return -1;
}

bool AllocatePredefined(CPropertyRow* row, int count)
{
    row->FreePredefined();
    if (count <= 0)
        return false;
    row->predefinedNames = static_cast<LPOLESTR*>(CoTaskMemAlloc(sizeof(LPOLESTR) * static_cast<size_t>(count)));
    row->predefinedValues = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT) * static_cast<size_t>(count)));
    if (!row->predefinedNames || !row->predefinedValues) {
        CoTaskMemFree(row->predefinedNames);
        CoTaskMemFree(row->predefinedValues);
        row->predefinedNames = nullptr;
        row->predefinedValues = nullptr;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        row->predefinedNames[i] = nullptr;
        VariantInit(&row->predefinedValues[i]);
    }
    row->predefinedCount = count;
    return true;
}

// The enumeration a property's type names (through pointers and aliases), OLE_COLOR excepted;
// an AddRef'd type, or null.
ITypeInfo* EnumerationOf(ITypeInfo* owner, const TYPEDESC& desc, int depth = 0)
{
    if (!owner || depth > 8)
        return nullptr;
    if (desc.vt == VT_PTR)
        return desc.lptdesc ? EnumerationOf(owner, *desc.lptdesc, depth + 1) : nullptr;
    if (desc.vt != VT_USERDEFINED)
        return nullptr;
    ITypeInfo* type = nullptr;
    if (FAILED(owner->GetRefTypeInfo(desc.hreftype, &type)) || !type)
        return nullptr;
    ITypeInfo* result = nullptr;
    {
        TypeAttrGuard attr(type);
        if (attr.attr && !IsEqualGUID(attr.attr->guid, kOleColorGuid)) {
            if (attr.attr->typekind == TKIND_ENUM) {
                type->AddRef();
                result = type;
            } else if (attr.attr->typekind == TKIND_ALIAS) {
                result = EnumerationOf(type, attr.attr->tdescAlias, depth + 1);
            }
        }
    }
    type->Release();
    return result;
}

} // namespace

HRESULT ReadPropertyValue(IDispatch* object, DISPID dispid, VARIANT* value)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(value);
    if (!object)
        return E_POINTER;
    return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

void ReadSharedValue(IDispatch* const* objects, int count, DISPID dispid, VARIANT* value, VARTYPE* firstType)
{
    *firstType = VT_NULL;
    if (count <= 0 || FAILED(ReadPropertyValue(objects[0], dispid, value)))
        VariantInit(value);
    if (V_VT(value) != VT_EMPTY && V_VT(value) != VT_NULL)
        *firstType = V_VT(value);
    bool same = true;
    for (int i = 1; i < count && same; ++i) {
        VARIANT other;
        same = SUCCEEDED(ReadPropertyValue(objects[i], dispid, &other)) && SameValue(*value, other);
        VariantClear(&other);
    }
    if (!same)
        VariantClear(value);
}

bool PropertyValuesEqual(const VARIANT& a, const VARIANT& b)
{
    if (V_VT(&a) != V_VT(&b) || V_VT(&a) >= 20)
        return false;
    switch (V_VT(&a)) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_I2: case VT_BOOL: case VT_UI2: return V_UI2(&a) == V_UI2(&b);
    case VT_I4: case VT_ERROR: case VT_UI4: return V_UI4(&a) == V_UI4(&b);
    case VT_DISPATCH: return V_DISPATCH(&a) == V_DISPATCH(&b);
    case VT_UNKNOWN: return V_UNKNOWN(&a) == V_UNKNOWN(&b);
    case VT_R4: return V_R4(&a) == V_R4(&b);   // a NaN is unequal to everything
    case VT_R8: return V_R8(&a) == V_R8(&b);
    case VT_I1: case VT_UI1: return V_UI1(&a) == V_UI1(&b);
    case VT_BSTR: {
        const UINT la = SysStringByteLen(V_BSTR(&a)), lb = SysStringByteLen(V_BSTR(&b));
        return la == lb && (la == 0 || memcmp(V_BSTR(&a), V_BSTR(&b), la) == 0);
    }
    case VT_CY: return V_CY(&a).int64 == V_CY(&b).int64;
    case VT_DATE: return V_DATE(&a) == V_DATE(&b);
    default: return false;
    }
}

void SetRowValue(CPropertyRow* row, const VARIANT& value)
{
    if (!row)
        return;
    VariantClear(&row->value);
    if (FAILED(VariantCopy(&row->value, const_cast<VARIANT*>(&value)))) {
        V_VT(&row->value) = VT_ERROR;
        V_ERROR(&row->value) = DISP_E_TYPEMISMATCH;
    }
    const VARIANT& v = row->value;
    if (!IsEmptyValue(v))
        row->valueType = V_VT(&v);
    wchar_t text[64] = L"";
    switch (row->kind) {
    case prkColor:
        if (IsEmptyValue(v)) {
            SetDisplay(row, L"(none)");
        } else {
            LONG word = 0;
            AsLong(v, &word);
            const DWORD colour = static_cast<DWORD>(word);
            if (colour & kColourByLayer)
                SetDisplay(row, L"ByLayer");
            else if (colour & kColourByBlock)
                SetDisplay(row, L"ByBlock");
            else if (colour & kColourByBrush)
                SetDisplay(row, L"ByBrush");
            else {
                swprintf(text, 64, L"H%08X", static_cast<unsigned>(colour));
                SetDisplay(row, text);
            }
        }
        return;
    case prkFont: {
        VARIANT name;
        if (ReadObjectProperty(v, DISPID_VALUE, &name) && SUCCEEDED(VariantChangeType(&name, &name, 0, VT_BSTR)))
            SetDisplay(row, V_BSTR(&name));
        else
            SetDisplay(row, L"(None)");
        VariantClear(&name);
        return;
    }
    case prkPicture: {
        VARIANT type;
        LONG kind = 0;
        if (ReadObjectProperty(v, 3, &type))
            AsLong(type, &kind);
        VariantClear(&type);
        SetDisplay(row, kind == 1 ? L"(Bitmap)" : kind == 2 || kind == 4 ? L"(Metafile)" : kind == 3 ? L"(Icon)" : L"(None)");
        return;
    }
    case prkBool:
        if (IsEmptyValue(v) || row->predefinedCount < 2) {
            SetDisplay(row, IsEmptyValue(v) ? L"(none)" : (V_VT(&v) == VT_BOOL && V_BOOL(&v)) ? L"True" : L"False");
        } else {
            VARIANT b;
            VariantInit(&b);
            const bool on = SUCCEEDED(VariantChangeType(&b, const_cast<VARIANT*>(&v), 0, VT_BOOL)) && V_BOOL(&b);
            SetDisplay(row, row->predefinedNames[on ? 1 : 0]);
        }
        return;
    case prkEnum:
    case prkFlags: {
        if (IsEmptyValue(v)) {
            SetDisplay(row, L"(none)");
            return;
        }
        const int index = PredefinedIndexOf(*row, v);
        if (index >= 0) {
            SetDisplay(row, row->predefinedNames[index]);
            return;
        }
        LONG word = 0;
        std::wstring joined;
        if (AsLong(v, &word)) {
            int matched = 0;
            for (int32_t i = 0; i < row->predefinedCount; ++i) {
                LONG bits = 0;
                if (AsLong(row->predefinedValues[i], &bits) && bits != 0 && (word & bits) == bits) {
                    if (matched++)
                        joined += L",";
                    joined += row->predefinedNames[i] ? row->predefinedNames[i] : L"";
                }
            }
            if (matched)
                row->kind = prkFlags;
            else
                joined = std::to_wstring(word);
        }
        SetDisplay(row, joined.c_str());
        return;
    }
    default: {
        const int index = PredefinedIndexOf(*row, v);
        if (index >= 0) {
            SetDisplay(row, row->predefinedNames[index]);
            return;
        }
        if (V_VT(&v) == VT_R4 || V_VT(&v) == VT_R8) {
            const double number = V_VT(&v) == VT_R4 ? static_cast<double>(V_R4(&v)) : V_R8(&v);
            swprintf(text, 64, L"%.*f", GetDisplayDecimals(v, row->decimals), number);
            SetDisplay(row, text);
            return;
        }
        VARIANT converted;
        VariantInit(&converted);
        if (SUCCEEDED(VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&v), kGridLocale, 0, VT_BSTR)))
            SetDisplay(row, V_BSTR(&converted));
        else
            SetDisplay(row, L"");
        VariantClear(&converted);
        return;
    }
    }
}

bool SetRowText(CPropertyRow* row, const wchar_t* text)
{
    if (!row)
        return false;
    if (!text)
        text = L"";
    const wchar_t* shown = row->displayText ? row->displayText : L"";
    if (wcscmp(text, shown) == 0)
        return true;
    VARIANT value;
    VariantInit(&value);
    const int named = PredefinedIndexOfName(*row, text);
    if (named >= 0) {
        VariantCopy(&value, &row->predefinedValues[named]);
    } else {
        VARIANT typed;
        V_VT(&typed) = VT_BSTR;
        V_BSTR(&typed) = SysAllocString(text);
        const HRESULT hr = VariantChangeTypeEx(&value, &typed, kGridLocale, 0, row->valueType);
        VariantClear(&typed);
        if (FAILED(hr))
            return false;
    }
    VariantClear(&row->value);
    row->value = value;
    const int equal = PredefinedIndexOf(*row, row->value);
    SetDisplay(row, equal >= 0 ? row->predefinedNames[equal] : text);
    row->modified = 1;
    return true;
}

void RefreshRowText(CPropertyRow* row)
{
    if (!row)
        return;
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, &row->value);
    SetRowValue(row, copy);
    VariantClear(&copy);
}

const wchar_t* CyclePredefinedName(const CPropertyRow& row, const wchar_t* text, bool forward)
{
    const int count = row.predefinedCount;
    if (count <= 0)
        return nullptr;
    const int at = PredefinedIndexOfName(row, text);
    int next;
    if (at < 0)
        next = forward ? 0 : count - 1;
    else
        next = forward ? (at + 1) % count : (at + count - 1) % count;
    return row.predefinedNames[next];
}

CPropertyRow::CPropertyRow()
    : kind(prkNone), dispid(0), invokeKind(0), valueType(VT_NULL), name(nullptr), description(nullptr),
      helpFile(nullptr), helpContext(0), predefinedCount(0), predefinedNames(nullptr), predefinedValues(nullptr),
      displayText(nullptr), modified(0), enabled(1), decimals(2)
{
    VariantInit(&value);
}

CPropertyRow::~CPropertyRow()
{
    FreePredefined();
    SysFreeString(name);
    SysFreeString(description);
    SysFreeString(helpFile);
    SysFreeString(displayText);
    VariantClear(&value);
}

void CPropertyRow::FreePredefined()
{
    for (int32_t i = 0; i < predefinedCount; ++i) {
        if (predefinedNames)
            CoTaskMemFree(predefinedNames[i]);
        if (predefinedValues)
            VariantClear(&predefinedValues[i]);
    }
    CoTaskMemFree(predefinedNames);
    CoTaskMemFree(predefinedValues);
    predefinedNames = nullptr;
    predefinedValues = nullptr;
    predefinedCount = 0;
}

PropertyRowKind PropertyRowKindOfUserType(ITypeInfo* type)
{
    if (!type)
        return prkNone;
    TypeAttrGuard attr(type);
    if (!attr.attr)
        return prkNone;
    switch (attr.attr->typekind) {
    case TKIND_ENUM:
        return IsEqualGUID(attr.attr->guid, kOleColorGuid) ? prkColor : prkEnum;
    case TKIND_ALIAS:
        if (IsEqualGUID(attr.attr->guid, kOleColorGuid))
            return prkColor;
        return PropertyRowKindOfType(type, attr.attr->tdescAlias);
    case TKIND_DISPATCH:
    case TKIND_INTERFACE:
        if (IsEqualGUID(attr.attr->guid, kFontDispGuid))
            return prkFont;
        if (IsEqualGUID(attr.attr->guid, kPictureDispGuid))
            return prkPicture;
        return prkNone;
    default:
        return prkNone;
    }
}

PropertyRowKind PropertyRowKindOfType(ITypeInfo* owner, const TYPEDESC& desc)
{
    switch (desc.vt) {
    case VT_PTR:
        return desc.lptdesc ? PropertyRowKindOfType(owner, *desc.lptdesc) : prkNone;
    case VT_USERDEFINED: {
        ITypeInfo* type = nullptr;
        if (!owner || FAILED(owner->GetRefTypeInfo(desc.hreftype, &type)) || !type)
            return prkNone;
        const PropertyRowKind kind = PropertyRowKindOfUserType(type);
        type->Release();
        return kind;
    }
    case VT_BOOL:
        return prkBool;
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
        return prkText;
    case VT_SAFEARRAY:
        // Bytes or characters: a long text, edited in its own editor.
        if (desc.lptdesc && (desc.lptdesc->vt == VT_I1 || desc.lptdesc->vt == VT_UI1))
            return prkLongText;
        return prkNone;
    default:
        return prkNone;
    }
}

CPropertyRowList::CPropertyRowList() : enableDispid(-1), enableValue(1), defaultDecimals(2)
{
    rows_.reserve(32);
}

CPropertyRowList::~CPropertyRowList()
{
    DeleteRows();
}

void CPropertyRowList::DeleteRows()
{
    for (CPropertyRow* row : rows_)
        delete row;
    rows_.clear();
}

void CPropertyRowList::InsertSorted(CPropertyRow* row)
{
    const wchar_t* name = row->name ? row->name : L"";
    auto at = std::find_if(rows_.begin(), rows_.end(), [name](const CPropertyRow* r) {
        return _wcsicmp(r->name ? r->name : L"", name) >= 0;
    });
    const auto index = at - rows_.begin();
    if (rows_.size() == rows_.capacity())
        rows_.reserve(rows_.size() + 32);
    rows_.insert(rows_.begin() + index, row);
}

CPropertyRow* CPropertyRowList::FindByDispid(DISPID dispid) const
{
    for (CPropertyRow* row : rows_)
        if (row->dispid == dispid)
            return row;
    return nullptr;
}

void CPropertyRowList::AddRowsOf(ITypeInfo* info, IDispatch* first)
{
    TypeAttrGuard attr(info);
    const UINT funcs = attr.attr ? attr.attr->cFuncs : 0;
    for (UINT i = 0; i < funcs; ++i) {
        FuncDescGuard f(info, i);
        if (!f.desc)
            continue;
        const FUNCDESC& d = *f.desc;
        if ((d.invkind != INVOKE_PROPERTYGET && d.invkind != INVOKE_PROPERTYPUT && d.invkind != INVOKE_PROPERTYPUTREF)
            || d.cParams > 1)
            continue;
        const TYPEDESC* type = nullptr;
        if (d.invkind == INVOKE_PROPERTYGET && d.cParams == 0)
            type = &d.elemdescFunc.tdesc;
        else if (d.cParams == 1)
            type = &d.lprgelemdescParam[0].tdesc;
        else
            continue;
        // On an interface's side a get returns HRESULT with the value as its [out, retval] parameter.
        if (d.invkind == INVOKE_PROPERTYGET && d.cParams == 1) {
            if (!(d.lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
                continue;   // an indexed property
            if (type->vt == VT_PTR && type->lptdesc)
                type = type->lptdesc;
        }
        if (d.memid == enableDispid && type->vt == VT_BOOL && d.invkind == INVOKE_PROPERTYGET) {
            VARIANT enabled;
            if (SUCCEEDED(ReadPropertyValue(first, d.memid, &enabled)) && V_VT(&enabled) == VT_BOOL)
                enableValue = V_BOOL(&enabled) ? 1 : 0;
            VariantClear(&enabled);
        }
        if (d.wFuncFlags & kHiddenFlags)
            continue;
        const PropertyRowKind kind = PropertyRowKindOfType(info, *type);
        if (kind == prkNone)
            continue;
        if (CPropertyRow* known = FindByDispid(d.memid)) {
            if (known->invokeKind == INVOKE_PROPERTYGET && d.invkind != INVOKE_PROPERTYGET)
                known->invokeKind = d.invkind;
            continue;
        }
        auto* row = new CPropertyRow;
        row->kind = kind;
        row->dispid = d.memid;
        row->invokeKind = d.invkind;
        DWORD context = 0;
        info->GetDocumentation(d.memid, &row->name, &row->description, &context, &row->helpFile);
        row->helpContext = static_cast<int32_t>(context);
        if (row->kind == prkText && row->name && _wcsicmp(row->name, L"Vertex") == 0)
            row->kind = prkVertex;
        row->decimals = defaultDecimals;
        AddPredefined(row, info, *type, first);
        InsertSorted(row);
    }
}

void CPropertyRowList::AddPredefined(CPropertyRow* row, ITypeInfo* info, const TYPEDESC& type, IDispatch* first)
{
    if (row->kind == prkBool) {
        if (!AllocatePredefined(row, 2))
            return;
        const UINT ids[2] = {IDS_PROPERTY_FALSE, IDS_PROPERTY_TRUE};
        const wchar_t* fallback[2] = {L"False", L"True"};
        for (int i = 0; i < 2; ++i) {
            char name[51] = "";
            wchar_t wide[51] = L"";
            if (ycom::LoadResourceString(ids[i], name, sizeof name) > 0)
                MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 51);
            else
                wcscpy(wide, fallback[i]);
            row->predefinedNames[i] = TaskString(wide);
            V_VT(&row->predefinedValues[i]) = VT_BOOL;
            V_BOOL(&row->predefinedValues[i]) = i ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return;
    }
    IPerPropertyBrowsing* browsing = nullptr;
    if (first && SUCCEEDED(first->QueryInterface(IID_IPerPropertyBrowsing, reinterpret_cast<void**>(&browsing))) && browsing) {
        CALPOLESTR names = {};
        CADWORD cookies = {};
        if (browsing->GetPredefinedStrings(row->dispid, &names, &cookies) == S_OK && names.cElems > 0 &&
            AllocatePredefined(row, static_cast<int>(names.cElems))) {
            for (ULONG i = 0; i < names.cElems; ++i) {
                row->predefinedNames[i] = names.pElems[i];   // the row takes the task-memory string
                names.pElems[i] = nullptr;
                if (i < cookies.cElems)
                    browsing->GetPredefinedValue(row->dispid, cookies.pElems[i], &row->predefinedValues[i]);
            }
            row->kind = prkEnum;
        }
        if (names.pElems) {
            for (ULONG i = 0; i < names.cElems; ++i)
                CoTaskMemFree(names.pElems[i]);
            CoTaskMemFree(names.pElems);
        }
        CoTaskMemFree(cookies.pElems);
        browsing->Release();
        if (row->predefinedCount > 0)
            return;
    }
    ITypeInfo* enumeration = EnumerationOf(info, type);
    if (!enumeration)
        return;
    {
        TypeAttrGuard attr(enumeration);
        const int count = attr.attr ? attr.attr->cVars : 0;
        if (count > 0 && AllocatePredefined(row, count)) {
            int kept = 0;
            for (int i = 0; i < count; ++i) {
                VARDESC* var = nullptr;
                if (FAILED(enumeration->GetVarDesc(static_cast<UINT>(i), &var)) || !var)
                    continue;
                BSTR name = nullptr;
                UINT got = 0;
                if (SUCCEEDED(enumeration->GetNames(var->memid, &name, 1, &got)) && got == 1 && name &&
                    var->varkind == VAR_CONST && var->lpvarValue) {
                    row->predefinedNames[kept] = TaskString(name);
                    VariantCopy(&row->predefinedValues[kept], var->lpvarValue);
                    ++kept;
                }
                SysFreeString(name);
                enumeration->ReleaseVarDesc(var);
            }
            row->predefinedCount = kept;
        }
    }
    enumeration->Release();
}

HRESULT CPropertyRowList::BuildRows(IDispatch* const* objects, int count)
{
    DeleteRows();
    if (!objects || count <= 0 || !objects[0])
        return E_INVALIDARG;
    IDispatch* first = objects[0];
    ITypeInfo* info = nullptr;
    HRESULT hr = first->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
    if (FAILED(hr) || !info)
        return FAILED(hr) ? hr : E_FAIL;
    // A dual interface is read on its interface side and through its bases: the dispatch side
    // that this platform hands out lists only the interface's own members, not those it inherits
    // (a line's shape properties), which a browser of the object must show too.
    ITypeInfo* side = nullptr;
    {
        TypeAttrGuard attr(info);
        HREFTYPE ref = 0;
        if (attr.attr && attr.attr->typekind == TKIND_DISPATCH && (attr.attr->wTypeFlags & TYPEFLAG_FDUAL) &&
            SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) && FAILED(info->GetRefTypeInfo(ref, &side)))
            side = nullptr;
    }
    if (side) {
        info->Release();
        info = side;
    }
    for (int depth = 0; info && depth < 16; ++depth) {
        AddRowsOf(info, first);
        ITypeInfo* base = nullptr;
        {
            TypeAttrGuard attr(info);
            HREFTYPE ref = 0;
            if (attr.attr && attr.attr->typekind == TKIND_INTERFACE && attr.attr->cImplTypes > 0 &&
                SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) && SUCCEEDED(info->GetRefTypeInfo(ref, &base)) && base) {
                bool root = true;
                {
                    TypeAttrGuard baseAttr(base);
                    root = !baseAttr.attr || IsEqualGUID(baseAttr.attr->guid, IID_IDispatch) ||
                           IsEqualGUID(baseAttr.attr->guid, IID_IUnknown);
                }
                if (root) {
                    base->Release();
                    base = nullptr;
                }
            }
        }
        info->Release();
        info = base;
    }
    if (info)
        info->Release();

    for (CPropertyRow* row : rows_) {
        row->enabled = enableValue;
        VariantClear(&row->value);
        // The type is known from the first object even where the objects differ: typed text over
        // an empty value converts to it.
        VARTYPE firstType = VT_NULL;
        ReadSharedValue(objects, count, row->dispid, &row->value, &firstType);
        if (firstType != VT_NULL)
            row->valueType = firstType;
        if (row->kind == prkText && row->name && wcscmp(row->name, L"Text") == 0 && StartsWithRtf(row->value))
            row->kind = prkLongText;
        if (row->kind == prkEnum && row->dispid == PROPERTY_DISPID_PROTECTION)
            row->kind = prkFlags;
        RefreshRowText(row);
    }
    return S_OK;
}
