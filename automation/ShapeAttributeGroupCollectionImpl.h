#pragma once
// The members of IShapeAttributeGroupCollection shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IShapeAttributeGroupCollectionImpl : public IReadOnlyCollectionImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_Item(LONG, IAttributeGroup **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByID(LONG, IAttributeGroup **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByDatabaseID(LONG, IAttributeGroup **) override { return E_NOTIMPL; }
    STDMETHODIMP AddAttributeGroup(IAttributeGroup *) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteByID(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Delete(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteByDatabaseID(LONG) override { return E_NOTIMPL; }
};
