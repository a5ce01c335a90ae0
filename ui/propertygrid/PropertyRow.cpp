#include "ui/propertygrid/PropertyRow.h"
#include <oleauto.h>
#include <algorithm>

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

HRESULT ReadProperty(IDispatch* object, DISPID dispid, VARIANT* value)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(value);
    return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
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

} // namespace

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
            if (SUCCEEDED(ReadProperty(first, d.memid, &enabled)) && V_VT(&enabled) == VT_BOOL)
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
        InsertSorted(row);
    }
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
        if (FAILED(ReadProperty(first, row->dispid, &row->value)))
            VariantInit(&row->value);
        bool same = true;
        for (int i = 1; i < count && same; ++i) {
            VARIANT other;
            if (!objects[i] || FAILED(ReadProperty(objects[i], row->dispid, &other)) || !SameValue(row->value, other))
                same = false;
            VariantClear(&other);
        }
        if (!same)
            VariantClear(&row->value);
        else if (V_VT(&row->value) != VT_EMPTY && V_VT(&row->value) != VT_NULL)
            row->valueType = V_VT(&row->value);
        if (row->kind == prkText && row->name && wcscmp(row->name, L"Text") == 0 && StartsWithRtf(row->value))
            row->kind = prkLongText;
        if (row->kind == prkEnum && row->dispid == PROPERTY_DISPID_PROTECTION)
            row->kind = prkFlags;
    }
    return S_OK;
}
