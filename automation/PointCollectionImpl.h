#pragma once
// The members of IPointCollection shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "com/Collections.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IPointCollectionImpl : public ycom::PreparedCollectionImpl<T, Itf, piid> {
public:
    STDMETHODIMP _Init(LONG_PTR, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_Item(LONG, IPoint **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByID(LONG, IPoint **) override { return E_NOTIMPL; }
};
