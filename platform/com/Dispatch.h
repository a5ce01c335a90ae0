#pragma once
// Dual-interface dispatch through the module's type library, ISupportErrorInfo and
// IProvideClassInfo2.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <utility>
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Module.h"
#include "com/Owners.h"

namespace ycom {

// IDispatch of the dual interface Itf: names and calls go through the interface's type
// information (ITypeInfo::Invoke), which also coerces the arguments that script clients pass
// by reference and turns a failing HRESULT with error info into EXCEPINFO.
template <class Itf, const IID* piid>
class DispatchImpl : public Itf {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (!count)
                return E_POINTER;
            *count = 1;
            return S_OK;
        });
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (!info)
                return E_POINTER;
            *info = nullptr;
            if (index != 0)
                return DISP_E_BADINDEX;
            return TheModule().GetTypeInfo(*piid, info);
        });
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            ComPtr<ITypeInfo> info;
            RETURN_IF_FAILED(TheModule().GetTypeInfo(*piid, info.Put()));
            return info->GetIDsOfNames(names, count, ids);
        });
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override
    {
        return Guard(*piid, [&]() -> HRESULT {
            if (riid != IID_NULL)
                return DISP_E_UNKNOWNINTERFACE;
            ComPtr<ITypeInfo> info;
            RETURN_IF_FAILED(TheModule().GetTypeInfo(*piid, info.Put()));
            return info->Invoke(static_cast<Itf*>(this), id, flags, params, result, excep, argErr);
        });
    }

protected:
    // Runs a member's body under the guard, with this interface in its error info.
    template <class F>
    HRESULT Guarded(F&& body) noexcept
    {
        return Guard(*piid, std::forward<F>(body));
    }
};

// ISupportErrorInfo: S_OK for the listed interfaces, whose members report failures through
// the thread's error info.
template <const IID*... piids>
class SupportErrorInfoImpl : public ISupportErrorInfo {
public:
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return Guard(IID_ISupportErrorInfo, [&]() -> HRESULT {
            for (const IID* p : {piids...})
                if (*p == iid)
                    return S_OK;
            return S_FALSE;
        });
    }
};

// IProvideClassInfo2: the coclass's type information and its default source interface.
template <const CLSID* pclsid, const IID* psrcid>
class ProvideClassInfo2Impl : public IProvideClassInfo2 {
public:
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override
    {
        return Guard(IID_IProvideClassInfo2, [&]() -> HRESULT { return TheModule().GetTypeInfo(*pclsid, info); });
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override
    {
        return Guard(IID_IProvideClassInfo2, [&]() -> HRESULT {
            if (!guid)
                return E_POINTER;
            *guid = GUID_NULL;
            if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
                return E_INVALIDARG;
            *guid = *psrcid;
            return S_OK;
        });
    }
};

} // namespace ycom
