#pragma once
// What the host tests of the control share, with no product code of their own: Wine's ActiveX
// container (atl.dll), the message pump, the windows of the calling thread, and an event sink that
// records what it hears and answers the proceed flags.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <string>
#include <functional>
#include <vector>
#include "YVEX_h.h"

namespace hosttest {

// The hosting entries of atl.dll; its window class is registered on first use.
struct AtlApi {
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
    HRESULT(WINAPI* attach)(IUnknown*, HWND, IUnknown**) = nullptr;
};

inline const AtlApi& Atl()
{
    static AtlApi api = [] {
        AtlApi a;
        if (HMODULE dll = LoadLibraryW(L"atl.dll")) {
            a.init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "AtlAxWinInit")));
            a.getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "AtlAxGetControl")));
            a.attach = reinterpret_cast<HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**)>(
                reinterpret_cast<void*>(GetProcAddress(dll, "AtlAxAttachControl")));
            if (a.init)
                a.init();
        }
        return a;
    }();
    return api;
}

inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps messages for the given time (timers fire meanwhile).
inline void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        PumpMessages();
        Sleep(5);
    }
}

// The top-level windows of the calling thread of a class (the hidden ones included).
inline int ThreadWindowsOfClass(const wchar_t* className)
{
    struct Search {
        const wchar_t* name;
        int count;
    } search = {className, 0};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpiW(name, s->name) == 0)
                ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// An event sink: every event with the types of its arguments (in declaration order) and their
// values; proceed flags get `answer`, by-reference floats `floatAnswer` when setFloats is on.
class EventSink : public IDispatch
{
public:
    struct Call {
        DISPID id;
        std::vector<VARTYPE> types;
        std::vector<LONG> ints;
        std::vector<float> floats;
        std::vector<std::wstring> texts;
        std::vector<bool> bools;
        VARIANT_BOOL proceedSeen = 0;  // the proceed flag as this sink found it
    };
    explicit EventSink(VARIANT_BOOL answer = VARIANT_TRUE) : answer(answer) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IYVEXControlEvents) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        Call call;
        call.id = id;
        VARIANT_BOOL* proceed = nullptr;
        for (UINT i = p->cArgs; i-- > 0;) {
            VARIANTARG& v = p->rgvarg[i];
            call.types.push_back(v.vt);
            switch (v.vt) {
            case VT_I4: call.ints.push_back(v.lVal); break;
            case VT_R4: call.floats.push_back(v.fltVal); break;
            case VT_BSTR: call.texts.push_back(v.bstrVal ? v.bstrVal : L""); break;
            case VT_BOOL: call.bools.push_back(v.boolVal != VARIANT_FALSE); break;
            case VT_BOOL | VT_BYREF:
                call.proceedSeen = *v.pboolVal;
                proceed = v.pboolVal;
                break;
            case VT_R4 | VT_BYREF:
                call.floats.push_back(*v.pfltVal);
                if (setFloats)
                    *v.pfltVal = floatAnswer;
                break;
            default: break;
            }
        }
        if (proceed)
            *proceed = decide ? decide(call) : answer;
        calls.push_back(call);
        if (onEvent)
            onEvent(call);
        return S_OK;
    }

    std::vector<DISPID> Ids() const
    {
        std::vector<DISPID> ids;
        for (const Call& c : calls)
            ids.push_back(c.id);
        return ids;
    }

    // The events that tell an operation's stages: progress, toolbar refreshes and the pointer's
    // events left out (a window on the shared desktop hears the pointer wherever it happens to be).
    std::vector<DISPID> StageIds() const
    {
        std::vector<DISPID> ids;
        for (const Call& c : calls)
            switch (c.id) {
            case cetOnProgress:
            case cetOnInvalidateToolbar:
            case cetOnMouseMove:
            case cetOnLButtonDown:
            case cetOnLButtonUp:
            case cetOnRButtonDown:
            case cetOnRButtonUp:
            case cetOnHitShape: break;
            default: ids.push_back(c.id);
            }
        return ids;
    }
    const Call* Find(DISPID id) const
    {
        for (const Call& c : calls)
            if (c.id == id)
                return &c;
        return nullptr;
    }
    // Pumps this thread's messages until the event has been heard or the time is out.
    bool WaitFor(DISPID id, DWORD milliseconds = 60000) const
    {
        const DWORD start = GetTickCount();
        for (;;) {
            PumpMessages();
            if (Find(id))
                return true;
            if (GetTickCount() - start > milliseconds)
                return false;
            Sleep(2);
        }
    }

    std::vector<Call> calls;
    VARIANT_BOOL answer;
    bool setFloats = false;
    float floatAnswer = 0.0f;
    // When set, gives each event's proceed answer in place of `answer` (a host refusing one
    // event or one shape).
    std::function<VARIANT_BOOL(const Call&)> decide;
    // Runs after each event is recorded (a host acting inside the event).
    std::function<void(const Call&)> onEvent;
    ULONG m_refs = 1;
};

// A sink connected to an object's events for the life of the connection.
class Connection
{
public:
    Connection(IUnknown* object, IDispatch* sink)
    {
        IConnectionPointContainer* container = nullptr;
        if (SUCCEEDED(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
            container->FindConnectionPoint(DIID__IYVEXControlEvents, &m_point);
            container->Release();
        }
        if (m_point)
            m_point->Advise(sink, &m_cookie);
    }
    ~Connection()
    {
        if (m_point) {
            if (m_cookie)
                m_point->Unadvise(m_cookie);
            m_point->Release();
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    bool Connected() const { return m_cookie != 0; }
    IConnectionPoint* Point() const { return m_point; }
    DWORD Cookie() const { return m_cookie; }
    // Lets the connection go early (the object may be about to go).
    void Disconnect()
    {
        if (m_point && m_cookie)
            m_point->Unadvise(m_cookie);
        m_cookie = 0;
    }

private:
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
};

} // namespace hosttest
