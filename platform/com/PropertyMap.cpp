#include "com/PropertyMap.h"
#include "bytes/LittleEndian.h"
#include "com/HResult.h"
#include "com/Owners.h"

namespace ycom {

HRESULT WriteBytes(IStream* stream, const void* data, ULONG size)
{
    ULONG done = 0;
    RETURN_IF_FAILED(stream->Write(data, size, &done));
    return done == size ? S_OK : STG_E_WRITEFAULT;
}

HRESULT ReadBytes(IStream* stream, void* data, ULONG size)
{
    ULONG done = 0;
    RETURN_IF_FAILED(stream->Read(data, size, &done));
    return done == size ? S_OK : STG_E_READFAULT;
}

namespace {

HRESULT WriteLE(IStream* stream, ULONGLONG value, int width)
{
    uint8_t bytes[8];
    ybytes::Store(bytes, value, width);
    return WriteBytes(stream, bytes, static_cast<ULONG>(width));
}

HRESULT ReadLE(IStream* stream, ULONGLONG* value, int width)
{
    uint8_t bytes[8] = {};
    RETURN_IF_FAILED(ReadBytes(stream, bytes, static_cast<ULONG>(width)));
    *value = ybytes::Load(bytes, width);
    return S_OK;
}

// Width in bytes of a scalar VARTYPE; 0 for none, -1 for a type not stored.
int ScalarWidth(VARTYPE vt)
{
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        return 0;
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    default:
        return -1;
    }
}

// The bits of a scalar VARIANT value (all scalar members start at the union's start).
ULONGLONG ScalarBits(const VARIANT& v, int width)
{
    ULONGLONG bits = 0;
    memcpy(&bits, &v.llVal, static_cast<size_t>(width));
    return bits;
}

HRESULT WriteVariant(IStream* stream, const VARIANT& v)
{
    if (v.vt == VT_BSTR) {
        const UINT n = SysStringLen(v.bstrVal);
        RETURN_IF_FAILED(WriteU16(stream, VT_BSTR));
        RETURN_IF_FAILED(WriteU32(stream, n));
        for (UINT i = 0; i < n; ++i)
            RETURN_IF_FAILED(WriteU16(stream, v.bstrVal[i]));
        return S_OK;
    }
    const int width = ScalarWidth(v.vt);
    if (width < 0)
        return WriteU16(stream, VT_EMPTY);
    RETURN_IF_FAILED(WriteU16(stream, v.vt));
    return width ? WriteLE(stream, ScalarBits(v, width), width) : S_OK;
}

HRESULT ReadVariant(IStream* stream, VARIANT* v)
{
    VariantInit(v);
    WORD vt = 0;
    RETURN_IF_FAILED(ReadU16(stream, &vt));
    if (vt == VT_BSTR) {
        DWORD n = 0;
        RETURN_IF_FAILED(ReadU32(stream, &n));
        // The count must fit in what the stream still holds.
        if (static_cast<ULONGLONG>(n) * 2 > StreamRemaining(stream))
            return STG_E_READFAULT;
        Bstr s(nullptr, n);
        RETURN_IF_NULL_ALLOC(s.Get());
        for (DWORD i = 0; i < n; ++i) {
            WORD unit = 0;
            RETURN_IF_FAILED(ReadU16(stream, &unit));
            s.Get()[i] = static_cast<wchar_t>(unit);
        }
        v->vt = VT_BSTR;
        v->bstrVal = s.Detach();
        return S_OK;
    }
    const int width = ScalarWidth(vt);
    if (width < 0)
        return STG_E_READFAULT;
    ULONGLONG bits = 0;
    if (width)
        RETURN_IF_FAILED(ReadLE(stream, &bits, width));
    v->vt = vt;
    memcpy(&v->llVal, &bits, static_cast<size_t>(width));
    return S_OK;
}

HRESULT GetDispatchFor(IUnknown* unk, const PropertyEntry& e, ComPtr<IDispatch>& disp)
{
    return unk->QueryInterface(*e.iid, disp.PutVoid());
}

} // namespace

HRESULT WriteU16(IStream* stream, WORD value) { return WriteLE(stream, value, 2); }
HRESULT WriteU32(IStream* stream, DWORD value) { return WriteLE(stream, value, 4); }
HRESULT WriteU64(IStream* stream, ULONGLONG value) { return WriteLE(stream, value, 8); }

HRESULT ReadU16(IStream* stream, WORD* value)
{
    ULONGLONG v = 0;
    RETURN_IF_FAILED(ReadLE(stream, &v, 2));
    *value = static_cast<WORD>(v);
    return S_OK;
}

HRESULT ReadU32(IStream* stream, DWORD* value)
{
    ULONGLONG v = 0;
    RETURN_IF_FAILED(ReadLE(stream, &v, 4));
    *value = static_cast<DWORD>(v);
    return S_OK;
}

HRESULT ReadU64(IStream* stream, ULONGLONG* value) { return ReadLE(stream, value, 8); }

ULONGLONG StreamRemaining(IStream* stream)
{
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return 0;
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &pos)))
        return 0;
    return stat.cbSize.QuadPart > pos.QuadPart ? stat.cbSize.QuadPart - pos.QuadPart : 0;
}

HRESULT SavePropertyMap(IStream* stream, const PropertyEntry* map, void* self, IUnknown* unk)
{
    RETURN_IF_NULL_POINTER(stream);
    RETURN_IF_FAILED(WriteU32(stream, kPropertyStreamFormat));
    for (const PropertyEntry* e = map; e->kind != PropertyEntry::End; ++e) {
        if (e->kind == PropertyEntry::Data) {
            const int width = ScalarWidth(e->vt);
            ULONGLONG bits = 0;
            memcpy(&bits, e->address(self), static_cast<size_t>(width));
            RETURN_IF_FAILED(WriteLE(stream, bits, width));
        } else if (e->kind == PropertyEntry::Dispatch) {
            Variant value;
            ComPtr<IDispatch> disp;
            if (SUCCEEDED(GetDispatchFor(unk, *e, disp))) {
                DISPPARAMS none = {nullptr, nullptr, 0, 0};
                if (FAILED(disp->Invoke(e->dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                        value.Put(), nullptr, nullptr)))
                    value.Reset();
            }
            RETURN_IF_FAILED(WriteVariant(stream, value.Ref()));
        }
    }
    return S_OK;
}

HRESULT LoadPropertyMap(IStream* stream, const PropertyEntry* map, void* self, IUnknown* unk)
{
    RETURN_IF_NULL_POINTER(stream);
    DWORD format = 0;
    RETURN_IF_FAILED(ReadU32(stream, &format));
    if (format != kPropertyStreamFormat)
        return STG_E_OLDFORMAT;
    for (const PropertyEntry* e = map; e->kind != PropertyEntry::End; ++e) {
        if (e->kind == PropertyEntry::Data) {
            const int width = ScalarWidth(e->vt);
            ULONGLONG bits = 0;
            RETURN_IF_FAILED(ReadLE(stream, &bits, width));
            memcpy(e->address(self), &bits, static_cast<size_t>(width));
        } else if (e->kind == PropertyEntry::Dispatch) {
            Variant value;
            RETURN_IF_FAILED(ReadVariant(stream, value.Put()));
            if (value.Type() == VT_EMPTY)
                continue;
            ComPtr<IDispatch> disp;
            if (FAILED(GetDispatchFor(unk, *e, disp)))
                continue;
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS params = {value.Get(), &named, 1, 1};
            disp->Invoke(e->dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                         nullptr);
        }
    }
    return S_OK;
}

} // namespace ycom
