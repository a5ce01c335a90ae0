#pragma once
// The members of IArcShape shared by the ellipse, arc and circle objects: the start and end
// angles, as the caller gives them.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/CircleShapeImpl.h"
#include "model/Angles.h"

template <class T, class Itf, const IID* piid>
class IArcShapeImpl : public ICircleShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_StartAngle(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetStartAngle(); });
        });
    }
    STDMETHODIMP get_EndAngle(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetEndAngle(); });
        });
    }
    STDMETHODIMP put_StartAngle(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            if (!IsUsableAngle(newVal))
                return E_INVALIDARG;
            return this->ChangeEllipse([&](CEllipse* e) {
                if (e->GetStartAngle() != static_cast<float>(newVal))
                    this->RecordChange(e, kUndoProperties);
                e->SetAngles(static_cast<float>(newVal), e->GetEndAngle());
            });
        });
    }
    STDMETHODIMP put_EndAngle(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            if (!IsUsableAngle(newVal))
                return E_INVALIDARG;
            return this->ChangeEllipse([&](CEllipse* e) {
                if (e->GetEndAngle() != static_cast<float>(newVal))
                    this->RecordChange(e, kUndoProperties);
                e->SetAngles(e->GetStartAngle(), static_cast<float>(newVal));
            });
        });
    }
};
