#include "automation/ShapePropertyNames.h"
#include <oleauto.h>
#include <string>
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "automation/Module.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/Shape.h"

namespace {

// A property's name: a resource string, or kHidden.
struct NameEntry {
    DISPID dispid;
    int stringId;
};
constexpr int kHidden = -1;

struct NameGroup {
    std::vector<int> types; // empty: every type
    std::vector<NameEntry> names;
};

const std::vector<NameGroup>& NameGroups()
{
    static const std::vector<NameGroup> groups = {
        {{},
         {{0, 50482}, {2, 50483}, {3, 50484}, {4, 50485}, {5, 50486}, {7, 50487}, {8, 50488}, {9, 50489},
          {12, 50490}, {13, 50491}, {21, 50492}, {22, 50493}, {25, 50494}, {52, 50495}, {55, 50496},
          {56, 50497}, {57, 50498}, {58, 50499}, {63, 50500}, {68, 50502}, {69, 50539}, {70, 50540},
          {111, 50503}, {112, 50504}, {120, 50505}}},
        {{stArc, stCircle, stEllipse},
         {{100, 50501}, {101, kHidden}, {102, kHidden}, {103, 50506}, {104, 50507}, {105, 50510}, {106, 50511},
          {107, 50512}, {108, 50513}, {109, 50514}, {110, 50515}, {111, kHidden}}},
        {{stGroup}, {{100, 50517}}},
        {{stImage}, {{100, 50518}, {101, 50519}, {102, kHidden}, {103, 50520}}},
        {{stLine}, {{103, kHidden}, {104, kHidden}, {105, 50523}, {106, 50524}, {107, 50525}}},
        {{stPolygon}, {{100, 50526}, {101, 50527}, {102, 50528}, {103, 50529}}},
        {{stPolyline, stRectangle},
         {{101, 50530}, {102, 50531}, {103, 50532}, {104, 50526}, {105, 50527}, {106, 50528}, {107, 50529},
          {108, 50533}, {109, 50525}, {115, 50535}, {119, 50535}}},
        {{stReference}, {{100, 50536}, {101, 50537}, {102, kHidden}, {103, 50538}}},
        {{stText},
         {{4, 50553}, {5, kHidden}, {21, kHidden}, {55, kHidden}, {56, kHidden}, {57, kHidden}, {58, kHidden},
          {100, 50541}, {101, 50542}, {102, 50519}, {103, 50518}, {104, 50543}, {105, 50536}, {106, kHidden},
          {107, kHidden}, {108, kHidden}, {109, 50544}, {110, 50544}, {111, 50545}, {112, 50546}, {113, 50547},
          {114, 50548}, {115, 50549}, {116, 50550}, {117, 50560}}},
    };
    return groups;
}

// Rectangles, polylines and polygons: the kinds that draw as a polyline.
bool IsPolylineKind(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

bool IsLabelInReference(CShape* shape)
{
    return shape->IsAttributeOrLabel() && shape->GetParent() && shape->GetParent()->GetShapeType() == stReference;
}

// One entry of a drop-down list, in task memory.
struct ListEntry {
    std::wstring text;
    DWORD cookie;
};

HRESULT HandOutList(const std::vector<ListEntry>& entries, CALPOLESTR* strings, CADWORD* cookies)
{
    strings->cElems = 0;
    strings->pElems = nullptr;
    cookies->cElems = 0;
    cookies->pElems = nullptr;
    if (entries.empty())
        return S_OK;
    const size_t n = entries.size();
    auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(n * sizeof(LPOLESTR)));
    auto* values = static_cast<DWORD*>(CoTaskMemAlloc(n * sizeof(DWORD)));
    if (!texts || !values) {
        CoTaskMemFree(texts);
        CoTaskMemFree(values);
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t bytes = (entries[i].text.size() + 1) * sizeof(wchar_t);
        texts[i] = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!texts[i]) {
            for (size_t j = 0; j < i; ++j)
                CoTaskMemFree(texts[j]);
            CoTaskMemFree(texts);
            CoTaskMemFree(values);
            return E_OUTOFMEMORY;
        }
        memcpy(texts[i], entries[i].text.c_str(), bytes);
        values[i] = entries[i].cookie;
    }
    strings->cElems = static_cast<ULONG>(n);
    strings->pElems = texts;
    cookies->cElems = static_cast<ULONG>(n);
    cookies->pElems = values;
    return S_OK;
}

// The members of an enum of the type library, named without their prefix. `keep` filters by value.
template <class Keep>
HRESULT EnumEntries(ITypeInfo* typeInfo, const wchar_t* enumName, size_t prefix, Keep keep,
                    std::vector<ListEntry>& entries, bool* found)
{
    *found = false;
    ycom::ComPtr<ITypeLib> library;
    UINT index = 0;
    RETURN_IF_FAILED(typeInfo->GetContainingTypeLib(library.Put(), &index));
    std::wstring name = enumName;
    const ULONG hash = LHashValOfNameSys(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, LOCALE_USER_DEFAULT, name.c_str());
    ITypeInfo* info = nullptr;
    MEMBERID member = 0;
    USHORT count = 1;
    RETURN_IF_FAILED(library->FindName(&name[0], hash, &info, &member, &count));
    if (count == 0 || !info)
        return S_OK;
    ycom::ComPtr<ITypeInfo> enumInfo;
    enumInfo.Attach(info);
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(enumInfo->GetTypeAttr(&attr));
    const TYPEKIND kind = attr->typekind;
    const WORD vars = attr->cVars;
    enumInfo->ReleaseTypeAttr(attr);
    if (kind != TKIND_ENUM)
        return E_FAIL;
    *found = true;
    for (WORD i = 0; i < vars; ++i) {
        VARDESC* var = nullptr;
        RETURN_IF_FAILED(enumInfo->GetVarDesc(i, &var));
        ycom::Variant value;
        if (var->varkind == VAR_CONST && var->lpvarValue)
            VariantChangeType(value.Get(), var->lpvarValue, 0, VT_I4);
        const MEMBERID id = var->memid;
        enumInfo->ReleaseVarDesc(var);
        BSTR memberName = nullptr;
        RETURN_IF_FAILED(enumInfo->GetDocumentation(id, &memberName, nullptr, nullptr, nullptr));
        ycom::Bstr owned;
        owned.Attach(memberName);
        const LONG v = value.Get()->vt == VT_I4 ? value.Get()->lVal : 0;
        if (!keep(v))
            continue;
        std::wstring text = memberName ? memberName : L"";
        entries.push_back({text.size() > prefix ? text.substr(prefix) : std::wstring(), static_cast<DWORD>(v)});
    }
    return S_OK;
}

} // namespace

HRESULT CShapePropertyNames::DisplayString(CShape* shape, DISPID dispid, BSTR* out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    const int type = shape ? shape->GetShapeType() : 0;
    // The every-type group comes first; a hit in the kind's own group replaces its hit.
    int stringId = 0;
    for (const NameGroup& group : NameGroups()) {
        bool matches = group.types.empty();
        for (int t : group.types)
            matches = matches || (shape && t == type);
        if (!matches)
            continue;
        for (const NameEntry& entry : group.names)
            if (entry.dispid == dispid)
                stringId = entry.stringId;
    }
    if (stringId == 0)
        return E_NOTIMPL;
    bool hidden = stringId == kHidden;
    if ((dispid == 25 || dispid == 101) && shape && IsLabelInReference(shape))
        hidden = true;
    if ((dispid == 111 || dispid == 112) &&
        (!shape || (IsPolylineKind(type) && shape->HasProtectionFlag(sdbfClosed))))
        hidden = true;
    if (dispid == 117 && shape && type == stText && !shape->IsAttributeOrLabel())
        hidden = true;
    wchar_t text[101] = L"";
    if (!hidden)
        LoadStringW(ModuleResourceInstance(), stringId, text, 101);
    RETURN_IF_NULL_ALLOC(*out = SysAllocString(text));
    return S_OK;
}

HRESULT CShapePropertyNames::PredefinedStrings(CYVEXControl* control, CShape* shape, ITypeInfo* typeInfo,
                                               DISPID dispid, CALPOLESTR* strings, CADWORD* cookies)
{
    RETURN_IF_NULL_POINTER(strings);
    RETURN_IF_NULL_POINTER(cookies);
    strings->cElems = 0;
    strings->pElems = nullptr;
    cookies->cElems = 0;
    cookies->pElems = nullptr;
    const int type = shape ? shape->GetShapeType() : 0;
    std::vector<ListEntry> entries;
    const wchar_t* enumName = nullptr;
    size_t prefix = 2;
    bool protection = false;
    switch (dispid) {
    case 5:
        if (!control)
            return E_NOTIMPL;
        entries = {{L"ByLayer", 0x4000}, {L"ByBlock", 0x8000}};
        for (const auto& entry : control->GetLineTypeMap().Entries())
            if (entry.second.GetName() && *entry.second.GetName())
                entries.push_back({AnsiToWide(entry.second.GetName()), static_cast<DWORD>(entry.first)});
        return HandOutList(entries, strings, cookies);
    case 13:
        if (!control)
            return E_NOTIMPL;
        if (CGroup* layers = control->FindGroup(LAYERS_ID))
            for (CShape* child : layers->Children()) {
                const CLayer* layer = child->GetShapeType() == stLayer ? dynamic_cast<const CLayer*>(child) : nullptr;
                if (!layer)
                    break;
                entries.push_back({AnsiToWide(layer->GetName().c_str()), static_cast<DWORD>(child->GetId())});
            }
        return HandOutList(entries, strings, cookies);
    case 56:
        if (!control)
            return E_NOTIMPL;
        entries = {{L"NoPattern", 0}, {L"ByLayer", 0x4000}, {L"ByBlock", 0x8000}};
        for (const auto& entry : control->GetHatchPatternMap().Patterns())
            if (entry.second && entry.second->GetName() && *entry.second->GetName())
                entries.push_back({AnsiToWide(entry.second->GetName()), static_cast<DWORD>(entry.first)});
        return HandOutList(entries, strings, cookies);
    case 2:
        enumName = L"ShapeTypes";
        break;
    case 63:
        enumName = L"ShapeDBFlags";
        prefix = 4;
        protection = true;
        break;
    case 100:
        enumName = type == stGroup ? L"ShadeTypes" : nullptr;
        break;
    case 101:
        enumName = type == stText ? L"TextTypes" : nullptr;
        break;
    case 102:
        enumName = type == stGroup ? L"BlinkTypes" : nullptr;
        break;
    case 104:
        enumName = type == stText ? L"Alignments" : nullptr;
        break;
    case 109:
    case 110:
        if (type == stText)
            return S_OK;
        break;
    case 111:
    case 112:
        enumName = (type == stLine || IsPolylineKind(type)) ? L"ArrowTypeIDs" : nullptr;
        break;
    case 117:
        enumName = type == stText ? L"TextLeaderTypes" : nullptr;
        prefix = 3;
        break;
    default:
        break;
    }
    if (!enumName || !typeInfo)
        return E_NOTIMPL;
    bool found = false;
    RETURN_IF_FAILED(EnumEntries(typeInfo, enumName, prefix,
                                 [&](LONG v) { return !protection || v == 0 || (v & CShape::kProtectionMask) != 0; },
                                 entries, &found));
    return HandOutList(entries, strings, cookies);
}

HRESULT CShapePropertyNames::PredefinedValue(CShape* shape, DISPID dispid, DWORD cookie, VARIANT* value)
{
    RETURN_IF_NULL_POINTER(value);
    const int type = shape ? shape->GetShapeType() : 0;
    bool applies = false;
    switch (dispid) {
    case 2:
    case 5:
    case 13:
    case 56:
    case 63:
        applies = true;
        break;
    case 100:
    case 102:
        applies = type == stGroup;
        break;
    case 101:
    case 104:
    case 117:
        applies = type == stText;
        break;
    case 111:
    case 112:
        applies = type == stLine || IsPolylineKind(type);
        break;
    default:
        return E_NOTIMPL;
    }
    if (applies) {
        VariantClear(value);
        value->vt = VT_I4;
        value->lVal = static_cast<LONG>(cookie);
    }
    return S_OK;
}

HRESULT CShapePropertyNames::HandOut(const std::vector<std::pair<std::wstring, DWORD>>& entries, CALPOLESTR* strings,
                                     CADWORD* cookies)
{
    if (!strings || !cookies)
        return E_POINTER;
    std::vector<ListEntry> list;
    for (const auto& entry : entries)
        list.push_back(ListEntry{entry.first, entry.second});
    return HandOutList(list, strings, cookies);
}
