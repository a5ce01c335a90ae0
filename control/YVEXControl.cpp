#include "control/YVEXControl.h"
#include "automation/Module.h"
#include <new>

CYVEXControl::CYVEXControl() { ModuleLock(); }

CYVEXControl::~CYVEXControl()
{
    if (m_typeInfo)
        m_typeInfo->Release();
    ModuleUnlock();
}

HRESULT CYVEXControl::CreateInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CYVEXControl* control = new (std::nothrow) CYVEXControl();
    if (!control)
        return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(riid, ppv);
    control->Release();
    return hr;
}

STDMETHODIMP CYVEXControl::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IYVEXControl) {
        *ppv = static_cast<IYVEXControl*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CYVEXControl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

STDMETHODIMP_(ULONG) CYVEXControl::Release()
{
    LONG n = InterlockedDecrement(&m_refs);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP CYVEXControl::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CYVEXControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    if (!m_typeInfo) {
        HRESULT hr = ModuleGetTypeInfo(IID_IYVEXControl, &m_typeInfo);
        if (FAILED(hr))
            return hr;
    }
    m_typeInfo->AddRef();
    *info = m_typeInfo;
    return S_OK;
}

STDMETHODIMP CYVEXControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfo(0, lcid, &info);
    if (FAILED(hr))
        return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

STDMETHODIMP CYVEXControl::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excep, UINT* argErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfo(0, lcid, &info);
    if (FAILED(hr))
        return hr;
    hr = info->Invoke(static_cast<IYVEXControl*>(this), id, flags, params, result, excep, argErr);
    info->Release();
    return hr;
}
