#pragma once
// The members of ICircleShape shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ShapeImpl.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class ICircleShapeImpl : public IShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_Radius(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_Radius(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_CenterX(double *) override { return E_NOTIMPL; }
    STDMETHODIMP get_CenterY(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_CenterX(double) override { return E_NOTIMPL; }
    STDMETHODIMP put_CenterY(double) override { return E_NOTIMPL; }
};
