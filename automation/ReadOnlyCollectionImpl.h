#pragma once
// The members of _IReadOnlyCollection shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IReadOnlyCollectionImpl : public ycom::DispatchImpl<Itf, piid> {
public:
    STDMETHODIMP _Init(LONG_PTR, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP _Destroy() override { return E_NOTIMPL; }
    STDMETHODIMP get__NewEnum(IUnknown **) override { return E_NOTIMPL; }
    STDMETHODIMP get_Count(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP Refresh() override { return E_NOTIMPL; }
};
