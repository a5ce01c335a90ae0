#pragma once
// What a host brings to the control: a sink of its events, and an undo manager of its own.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <string>
#include <vector>
#include "com/ComObject.h"
#include "YVEX_h.h"

namespace hosttest {

// A sink that notes every event and answers those with a shape ID and a proceed flag with the
// flag it is given.
class ProceedSink : public IDispatch
{
public:
    explicit ProceedSink(VARIANT_BOOL answer) : m_answer(answer) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IYVEXControlEvents) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        events.push_back(id);
        if (p->cArgs == 2 && p->rgvarg[1].vt == VT_I4 && p->rgvarg[0].vt == (VT_BOOL | VT_BYREF)) {
            shapeIds.push_back(p->rgvarg[1].lVal);
            *p->rgvarg[0].pboolVal = m_answer;
        }
        return S_OK;
    }
    std::vector<DISPID> events;
    std::vector<LONG> shapeIds;

private:
    VARIANT_BOOL m_answer;
};

// A host's undo manager: it notes the calls it receives and keeps the units it is given, or, with
// a failing `refusal`, refuses them all. Undoing is the host's own business: those members are
// not used here.
class HostUndoManager : public ycom::ObjectRoot, public IOleUndoManager
{
public:
    BEGIN_INTERFACE_MAP(HostUndoManager)
        INTERFACE_ENTRY(IOleUndoManager)
    END_INTERFACE_MAP()

    STDMETHODIMP Open(IOleParentUndoUnit* unit) override { return Take("Open", unit); }
    STDMETHODIMP Close(IOleParentUndoUnit*, BOOL commit) override
    {
        calls.push_back(commit ? "Close commit" : "Close");
        return FAILED(refusal) ? refusal : S_OK;
    }
    STDMETHODIMP Add(IOleUndoUnit* unit) override
    {
        YVEXOperation kind = opChange;
        ycom::ComPtr<IYVEXUndoUnit> own;
        if (unit && SUCCEEDED(unit->QueryInterface(IID_IYVEXUndoUnit, own.PutVoid())))
            own->get_Operation(&kind);
        return Take("Add " + std::to_string(kind), unit);
    }
    STDMETHODIMP GetOpenParentState(DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DiscardFrom(IOleUndoUnit*) override { return E_NOTIMPL; }
    STDMETHODIMP UndoTo(IOleUndoUnit*) override { return E_NOTIMPL; }
    STDMETHODIMP RedoTo(IOleUndoUnit*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumUndoable(IEnumOleUndoUnits**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumRedoable(IEnumOleUndoUnits**) override { return E_NOTIMPL; }
    STDMETHODIMP GetLastUndoDescription(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetLastRedoDescription(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Enable(BOOL) override { return E_NOTIMPL; }

    HRESULT refusal = S_OK;
    std::vector<std::string> calls;
    std::vector<ycom::ComPtr<IUnknown>> kept;

private:
    HRESULT Take(const std::string& call, IUnknown* unit)
    {
        calls.push_back(call);
        if (FAILED(refusal))
            return refusal;
        kept.emplace_back(unit);
        return S_OK;
    }
};

} // namespace hosttest
