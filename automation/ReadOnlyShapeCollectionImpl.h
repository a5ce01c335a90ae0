#pragma once
// The members of IReadOnlyShapeCollection shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IReadOnlyShapeCollectionImpl : public IReadOnlyCollectionImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_Item(LONG, IShape **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByID(LONG, IShape **) override { return E_NOTIMPL; }
    STDMETHODIMP get_ItemByDatabaseID(LONG, IShape **) override { return E_NOTIMPL; }
    STDMETHODIMP get_HitShapeCollection(double, double, IReadOnlyShapeCollection **) override { return E_NOTIMPL; }
};
