#pragma once
// The members of IReadOnlyVertexCollection shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "com/Collections.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IReadOnlyVertexCollectionImpl : public ycom::PreparedCollectionImpl<T, Itf, piid> {
public:
    STDMETHODIMP _Init(LONG_PTR, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_Item(LONG, IVertex **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByID(LONG, IVertex **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByDatabaseID(LONG, IVertex **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByPointID(LONG, IVertex **) override { return E_NOTIMPL; }
};
