#pragma once
#include <windows.h>
#include <ole2.h>
#include "YVEX_h.h"

// The drawing control. For now the object and its automation interface; the window, the site
// and the editing machinery grow into it.
class CYVEXControl : public IYVEXControl
{
public:
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    CYVEXControl();
    virtual ~CYVEXControl();
    LONG m_refs = 1;
    ITypeInfo* m_typeInfo = nullptr;
};
