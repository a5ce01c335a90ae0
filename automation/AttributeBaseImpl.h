#pragma once
// The members of IAttributeBase shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IAttributeBaseImpl : public ycom::DispatchImpl<Itf, piid> {
public:
    STDMETHODIMP _Init(LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_DatabaseID(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP put_DatabaseID(LONG) override { return E_NOTIMPL; }
};
