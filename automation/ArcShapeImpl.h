#pragma once
// The members of IArcShape shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/CircleShapeImpl.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IArcShapeImpl : public ICircleShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_StartAngle(double *) override { return E_NOTIMPL; }
    STDMETHODIMP get_EndAngle(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_StartAngle(double) override { return E_NOTIMPL; }
    STDMETHODIMP put_EndAngle(double) override { return E_NOTIMPL; }
};
