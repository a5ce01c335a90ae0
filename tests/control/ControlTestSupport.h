#pragma once
// What the tests of the control object share: the module of the test program standing in for
// yvex.dll (its type library and resources are compiled in), a control object made and released
// as the class factory would, and an event sink that records what it hears and answers the
// proceed flags.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <string>
#include <vector>
#include "com/ComObject.h"
#include "com/Module.h"
#include "control/YVEXControl.h"
#include "YVEX_h.h"

namespace controltest {

// OLE, Rich Edit (which yvex.dll loads when it is attached) and the test program as the module.
class ModuleEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        m_richEdit = LoadLibraryW(L"riched32.dll");
        ycom::TheModule().Init(nullptr, 0, GetModuleHandleW(nullptr), LIBID_YVEXLib);
    }
    void TearDown() override
    {
        OleUninitialize();
    }

private:
    HMODULE m_richEdit = nullptr;
};

// A control object as the class factory makes it, without the inner objects of the final
// construction (those live in the registered DLL).
class ControlRef
{
public:
    ControlRef() : m_control(new ycom::ComObject<CYVEXControl>())
    {
        m_control->InternalAddRef();
    }
    ~ControlRef() { Reset(); }
    ControlRef(const ControlRef&) = delete;
    ControlRef& operator=(const ControlRef&) = delete;
    CYVEXControl* operator->() const { return m_control; }
    CYVEXControl& operator*() const { return *m_control; }
    CYVEXControl* Get() const { return m_control; }
    void Reset()
    {
        if (m_control)
            m_control->Release();
        m_control = nullptr;
    }

private:
    ycom::ComObject<CYVEXControl>* m_control;
};

// An event sink: every event with the types of its arguments (in declaration order) and its
// integer arguments; proceed flags get `answer`, by-reference floats get `floatAnswer` when set.
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
                *v.pboolVal = answer;
                break;
            case VT_R4 | VT_BYREF:
                call.floats.push_back(*v.pfltVal);
                if (setFloats)
                    *v.pfltVal = floatAnswer;
                break;
            default: break;
            }
        }
        calls.push_back(call);
        return S_OK;
    }

    std::vector<DISPID> Ids() const
    {
        std::vector<DISPID> ids;
        for (const Call& c : calls)
            ids.push_back(c.id);
        return ids;
    }

    std::vector<Call> calls;
    VARIANT_BOOL answer;
    bool setFloats = false;
    float floatAnswer = 0.0f;
    ULONG m_refs = 1;
};

// Connects a sink to an object's event point for the life of the connection.
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
            m_point->Unadvise(m_cookie);
            m_point->Release();
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    bool Connected() const { return m_cookie != 0; }

private:
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
};

} // namespace controltest
