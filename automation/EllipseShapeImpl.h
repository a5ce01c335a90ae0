#pragma once
// The members of IEllipseShape shared by every class whose interface derives from it. Each answers
// E_NOTIMPL until its behaviour is built.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ArcShapeImpl.h"
#include "com/Dispatch.h"

template <class T, class Itf, const IID* piid>
class IEllipseShapeImpl : public IArcShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_MinorRatio(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MinorRatio(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_ZExtrusion(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ZExtrusion(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_MajorX(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MajorX(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_MajorY(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MajorY(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_MajorRadius(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MajorRadius(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_MinorRadius(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MinorRadius(double) override { return E_NOTIMPL; }
    STDMETHODIMP get_MajorRAngle(double *) override { return E_NOTIMPL; }
    STDMETHODIMP put_MajorRAngle(double) override { return E_NOTIMPL; }
};
