#pragma once
// Property maps: which properties a control's container persists, under which names, and
// which property pages it offers. Persisted through IPersistStreamInit and IPersistStorage.
//
//     BEGIN_PROPERTY_MAP(CMyControl)
//         PROPERTY_DATA(L"_cx", m_sizeExtent.cx, VT_UI4)      // stored directly from a member
//         PROPERTY_PAGE(CLSID_MyPage)                         // offered by ISpecifyPropertyPages
//         PROPERTY_ENTRY(L"Enabled", 51, IID_IMyControl)      // get/put through IDispatch
//     END_PROPERTY_MAP()
//
// A dispatch entry queries the object's controlling unknown for the named dual interface, so
// it may name an interface answered by an aggregated inner object.
//
// Stream layout, little-endian, field by field: a 32-bit format word (kPropertyStreamFormat),
// then each data or dispatch entry in map order. A data entry is the member's value in the
// width of its type. A dispatch entry is a 16-bit VARTYPE and the value: nothing for
// VT_EMPTY, 1, 2, 4 or 8 bytes for the scalar types, and for VT_BSTR a 32-bit count of UTF-16
// units followed by the units. A property that cannot be read is stored as VT_EMPTY and left
// alone on load; a property that cannot be set on load is skipped.
#include <windows.h>
#include <ole2.h>

namespace ycom {

struct PropertyEntry {
    enum Kind { Data, Dispatch, Page, End };
    Kind kind;
    const wchar_t* name;
    DISPID dispid;
    const IID* iid;
    const CLSID* page;
    void* (*address)(void* self);
    VARTYPE vt;
};

constexpr DWORD kPropertyStreamFormat = 0x59500001;

// Writes and reads the entries of `map` for the object `self` (the class that declares the
// map) whose controlling unknown is `unk`.
HRESULT SavePropertyMap(IStream* stream, const PropertyEntry* map, void* self, IUnknown* unk);
HRESULT LoadPropertyMap(IStream* stream, const PropertyEntry* map, void* self, IUnknown* unk);

// Little-endian field I/O on streams (shared with the content that follows the properties).
HRESULT WriteBytes(IStream* stream, const void* data, ULONG size);
HRESULT ReadBytes(IStream* stream, void* data, ULONG size);
HRESULT WriteU16(IStream* stream, WORD value);
HRESULT WriteU32(IStream* stream, DWORD value);
HRESULT WriteU64(IStream* stream, ULONGLONG value);
HRESULT ReadU16(IStream* stream, WORD* value);
HRESULT ReadU32(IStream* stream, DWORD* value);
HRESULT ReadU64(IStream* stream, ULONGLONG* value);
// Bytes left between the stream's position and its end (0 when the stream cannot tell).
ULONGLONG StreamRemaining(IStream* stream);

} // namespace ycom

#define BEGIN_PROPERTY_MAP(Class)                                                                \
    using PropertyMapClass = Class;                                                              \
    static const ::ycom::PropertyEntry* PropertyMap()                                            \
    {                                                                                            \
        static const ::ycom::PropertyEntry entries_[] = {

#define PROPERTY_DATA(name, member, vt)                                                          \
    {::ycom::PropertyEntry::Data, name, 0, nullptr, nullptr,                                     \
     [](void* self_) -> void* { return &static_cast<PropertyMapClass*>(self_)->member; }, vt},

#define PROPERTY_ENTRY(name, dispid, iid)                                                        \
    {::ycom::PropertyEntry::Dispatch, name, dispid, &(iid), nullptr, nullptr, VT_EMPTY},

#define PROPERTY_PAGE(clsid) {::ycom::PropertyEntry::Page, nullptr, 0, nullptr, &(clsid), nullptr, VT_EMPTY},

#define END_PROPERTY_MAP()                                                                       \
    {::ycom::PropertyEntry::End, nullptr, 0, nullptr, nullptr, nullptr, VT_EMPTY}                \
    }                                                                                            \
    ;                                                                                            \
    return entries_;                                                                             \
    }
