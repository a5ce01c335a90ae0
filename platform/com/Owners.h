#pragma once
// Small RAII owners for what COM and Win32 hand out: interface pointers, BSTRs, VARIANTs,
// global memory, GDI objects, device contexts, kernel handles and registry keys.
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

// An owned global-memory block (GlobalFree); Release hands it on (clipboard, IDTCio buffers).
class GlobalMem {
public:
    GlobalMem() = default;
    explicit GlobalMem(HGLOBAL h) : m_h(h) {}
    GlobalMem(const GlobalMem&) = delete;
    GlobalMem& operator=(const GlobalMem&) = delete;
    GlobalMem(GlobalMem&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    GlobalMem& operator=(GlobalMem&& o) noexcept { std::swap(m_h, o.m_h); return *this; }
    ~GlobalMem() { Reset(); }
    static GlobalMem Alloc(SIZE_T size, UINT flags = GMEM_MOVEABLE) { return GlobalMem(GlobalAlloc(flags, size)); }
    HGLOBAL Get() const { return m_h; }
    HGLOBAL Release() { HGLOBAL h = m_h; m_h = nullptr; return h; }
    void Reset(HGLOBAL h = nullptr) { if (m_h) GlobalFree(m_h); m_h = h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HGLOBAL m_h = nullptr;
};

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

// An owned GDI object (DeleteObject): pens, brushes, fonts, bitmaps, regions, palettes.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H h) : m_h(h) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    GdiObject& operator=(GdiObject&& o) noexcept { std::swap(m_h, o.m_h); return *this; }
    ~GdiObject() { Reset(); }
    H Get() const { return m_h; }
    H Release() { H h = m_h; m_h = nullptr; return h; }
    void Reset(H h = nullptr) { if (m_h) DeleteObject(m_h); m_h = h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    H m_h = nullptr;
};
using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

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

// A memory or information DC made with CreateCompatibleDC/CreateDC (DeleteDC).
class OwnedDC {
public:
    OwnedDC() = default;
    explicit OwnedDC(HDC dc) : m_dc(dc) {}
    OwnedDC(const OwnedDC&) = delete;
    OwnedDC& operator=(const OwnedDC&) = delete;
    ~OwnedDC() { if (m_dc) DeleteDC(m_dc); }
    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HDC m_dc = nullptr;
};

// A window's DC from GetDC (ReleaseDC).
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : m_wnd(wnd), m_dc(GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { if (m_dc) ReleaseDC(m_wnd, m_dc); }
    HDC Get() const { return m_dc; }

private:
    HWND m_wnd;
    HDC m_dc;
};

// A kernel handle (CloseHandle); both null and INVALID_HANDLE_VALUE count as empty.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : m_h(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    ~Handle() { Reset(); }
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h = nullptr)
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
        m_h = h;
    }
    explicit operator bool() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h = nullptr;
};

// An open registry key (RegCloseKey).
class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Reset(); }
    HKEY Get() const { return m_h; }
    HKEY* Put() { Reset(); return &m_h; }
    void Reset() { if (m_h) RegCloseKey(m_h); m_h = nullptr; }

private:
    HKEY m_h = nullptr;
};

} // namespace ycom
