#pragma once
// Small RAII owners for what COM and Win32 hand out: interface pointers, BSTRs and VARIANTs with
// their own copy rules, and one owner template (UniqueAny) behind the handles, registry keys,
// device contexts, global memory, GDI objects and mapped views. Every owner gives ownership up
// with Detach.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <utility>

namespace ycom {

// An owned interface pointer. Construction from a raw pointer adds a reference; Attach takes
// over one that the caller already owns.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
    ComPtr(ComPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    ~ComPtr() { Reset(); }
    ComPtr& operator=(const ComPtr& o) { ComPtr(o).Swap(*this); return *this; }
    ComPtr& operator=(ComPtr&& o) noexcept { ComPtr(std::move(o)).Swap(*this); return *this; }
    ComPtr& operator=(T* p) { ComPtr(p).Swap(*this); return *this; }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Clears the pointer and hands out its address for an out parameter.
    T** Put() { Reset(); return &m_p; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Attach(T* p) { Reset(); m_p = p; }
    T* Detach() { T* p = m_p; m_p = nullptr; return p; }
    void Reset() { if (m_p) { T* p = m_p; m_p = nullptr; p->Release(); } }
    void Swap(ComPtr& o) noexcept { std::swap(m_p, o.m_p); }
    // Copies into an out parameter with its own reference.
    HRESULT CopyTo(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = m_p;
        if (m_p)
            m_p->AddRef();
        return S_OK;
    }
    // QueryInterface of this pointer into another owner.
    template <class U>
    HRESULT QueryTo(REFIID iid, ComPtr<U>& out) const
    {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(iid, out.PutVoid());
    }

private:
    T* m_p = nullptr;
};

// An owned BSTR (SysFreeString).
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : m_s(text ? SysAllocString(text) : nullptr) {}
    Bstr(const wchar_t* text, UINT length) : m_s(SysAllocStringLen(text, length)) {}
    Bstr(const Bstr& o) : m_s(o.m_s ? SysAllocStringLen(o.m_s, SysStringLen(o.m_s)) : nullptr) {}
    Bstr(Bstr&& o) noexcept : m_s(o.m_s) { o.m_s = nullptr; }
    ~Bstr() { SysFreeString(m_s); }
    Bstr& operator=(Bstr o) noexcept { std::swap(m_s, o.m_s); return *this; }
    // A copy of an ANSI (CP_ACP) text; null for null.
    static Bstr FromAnsi(const char* text)
    {
        Bstr b;
        if (!text)
            return b;
        const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (n <= 0)
            return b;
        b.m_s = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
        if (b.m_s)
            MultiByteToWideChar(CP_ACP, 0, text, -1, b.m_s, n);
        return b;
    }
    BSTR Get() const { return m_s; }
    const wchar_t* CStr() const { return m_s ? m_s : L""; }
    UINT Length() const { return SysStringLen(m_s); }
    BSTR* Put() { Reset(); return &m_s; }
    void Attach(BSTR s) { Reset(); m_s = s; }
    BSTR Detach() { BSTR s = m_s; m_s = nullptr; return s; }
    void Reset() { SysFreeString(m_s); m_s = nullptr; }
    explicit operator bool() const { return m_s != nullptr; }
    // Hands a copy to an out parameter.
    HRESULT CopyTo(BSTR* out) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!m_s)
            return S_OK;
        *out = SysAllocStringLen(m_s, SysStringLen(m_s));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    BSTR m_s = nullptr;
};

// An owned VARIANT (VariantClear).
class Variant {
public:
    Variant() { VariantInit(&m_v); }
    Variant(const Variant& o) { VariantInit(&m_v); VariantCopy(&m_v, const_cast<VARIANT*>(&o.m_v)); }
    Variant(Variant&& o) noexcept { m_v = o.m_v; VariantInit(&o.m_v); }
    explicit Variant(const VARIANT& v) { VariantInit(&m_v); VariantCopy(&m_v, const_cast<VARIANT*>(&v)); }
    explicit Variant(LONG value) { VariantInit(&m_v); m_v.vt = VT_I4; m_v.lVal = value; }
    explicit Variant(float value) { VariantInit(&m_v); m_v.vt = VT_R4; m_v.fltVal = value; }
    explicit Variant(double value) { VariantInit(&m_v); m_v.vt = VT_R8; m_v.dblVal = value; }
    explicit Variant(const wchar_t* text) { VariantInit(&m_v); m_v.vt = VT_BSTR; m_v.bstrVal = SysAllocString(text); }
    static Variant FromBool(bool value)
    {
        Variant v;
        v.m_v.vt = VT_BOOL;
        v.m_v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    // Takes over an IDispatch reference.
    static Variant AttachDispatch(IDispatch* disp)
    {
        Variant v;
        v.m_v.vt = VT_DISPATCH;
        v.m_v.pdispVal = disp;
        return v;
    }
    ~Variant() { VariantClear(&m_v); }
    Variant& operator=(Variant o) noexcept { std::swap(m_v, o.m_v); return *this; }

    VARIANT* Get() { return &m_v; }
    const VARIANT* Get() const { return &m_v; }
    const VARIANT& Ref() const { return m_v; }
    VARTYPE Type() const { return m_v.vt; }
    // Clears the value and hands out its address for an out parameter.
    VARIANT* Put() { VariantClear(&m_v); return &m_v; }
    void Reset() { VariantClear(&m_v); }
    // Moves the value into a caller's VARIANT (which must be cleared or fresh).
    void Detach(VARIANT* out) { *out = m_v; VariantInit(&m_v); }
    HRESULT ChangeType(VARTYPE vt) { return VariantChangeType(&m_v, &m_v, 0, vt); }

private:
    VARIANT m_v;
};

// The one owner of a resource that a single value stands for (a handle, a key, a DC, a block of
// global memory, a GDI object, a mapped view). Traits names the value's type, which values are
// empty and how the resource is closed. The owner closes it when it goes or takes another;
// Detach gives ownership up (the value goes to the caller, the owner is left empty).
template <class Traits>
class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() = default;
    explicit UniqueAny(Type value) : m_value(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& o) noexcept : m_value(o.Detach()) {}
    UniqueAny& operator=(UniqueAny&& o) noexcept
    {
        Reset(o.Detach());
        return *this;
    }
    ~UniqueAny() { Reset(); }

    Type Get() const { return m_value; }
    // Closes what is held and hands out the value's address for an out parameter.
    Type* Put()
    {
        Reset();
        return &m_value;
    }
    Type Detach()
    {
        const Type value = m_value;
        m_value = Type();
        return value;
    }
    void Reset(Type value = Type())
    {
        if (!Traits::IsEmpty(m_value))
            Traits::Close(m_value);
        m_value = value;
    }
    explicit operator bool() const { return !Traits::IsEmpty(m_value); }

private:
    Type m_value = Type();
};

// The traits of a resource whose empty value is the type's zero, closed by one function.
template <class T, auto close>
struct CloseWith {
    using Type = T;
    static bool IsEmpty(T value) { return value == T(); }
    static void Close(T value) { close(value); }
};

// A kernel handle: both null and INVALID_HANDLE_VALUE count as empty.
struct KernelHandleTraits {
    using Type = HANDLE;
    static bool IsEmpty(HANDLE h) { return !h || h == INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

// A window's DC from GetDC (ReleaseDC with the window the DC belongs to).
struct WindowDcTraits {
    using Type = HDC;
    static bool IsEmpty(HDC dc) { return !dc; }
    static void Close(HDC dc) { ReleaseDC(WindowFromDC(dc), dc); }
};

using Handle = UniqueAny<KernelHandleTraits>;
using RegKey = UniqueAny<CloseWith<HKEY, &RegCloseKey>>;
using GlobalMem = UniqueAny<CloseWith<HGLOBAL, &GlobalFree>>;
using MappedView = UniqueAny<CloseWith<LPVOID, &UnmapViewOfFile>>;
// A memory or information DC made with CreateCompatibleDC or CreateDC.
using OwnedDC = UniqueAny<CloseWith<HDC, &DeleteDC>>;
// A DC from GetDC(window): WindowDC dc(GetDC(window)).
using WindowDC = UniqueAny<WindowDcTraits>;
// GDI objects (DeleteObject): pens, brushes, fonts, bitmaps, regions, palettes.
template <class H>
using GdiObject = UniqueAny<CloseWith<H, &DeleteObject>>;
using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Locks a global-memory block for the guard's life.
template <class T = BYTE>
class GlobalLockView {
public:
    explicit GlobalLockView(HGLOBAL h) : m_h(h), m_p(h ? static_cast<T*>(GlobalLock(h)) : nullptr) {}
    GlobalLockView(const GlobalLockView&) = delete;
    GlobalLockView& operator=(const GlobalLockView&) = delete;
    ~GlobalLockView() { if (m_p) GlobalUnlock(m_h); }
    T* Get() const { return m_p; }
    SIZE_T Size() const { return m_h ? GlobalSize(m_h) : 0; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    HGLOBAL m_h;
    T* m_p;
};

// Selects a GDI object into a DC and restores the previous one at scope end.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { if (m_old) SelectObject(m_dc, m_old); }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace ycom
