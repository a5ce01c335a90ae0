#pragma once
// The members of IEllipseShape shared by the ellipse, arc and circle objects: the major axis, the
// minor ratio and radius and the extrusion.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <cmath>
#include "YVEX_h.h"
#include "automation/ArcShapeImpl.h"

template <class T, class Itf, const IID* piid>
class IEllipseShapeImpl : public IArcShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_MinorRatio(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMinorRatio(); });
        });
    }
    STDMETHODIMP put_MinorRatio(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) {
                const float ratio = static_cast<float>(std::fabs(newVal));
                if (e->GetMinorRatio() != ratio)
                    this->RecordChange(e, kUndoProperties);
                e->SetMinorRatio(ratio);
            });
        });
    }
    STDMETHODIMP get_ZExtrusion(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetExtrusionZ(); });
        });
    }
    STDMETHODIMP put_ZExtrusion(double newVal) override
    {
        // Only the side counts: below 0 is -1, 0 is 1, above 0 as given.
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) {
                const float z = newVal < 0 ? -1.0f : newVal == 0 ? 1.0f : static_cast<float>(newVal);
                if (e->GetExtrusionZ() != z)
                    this->RecordChange(e, kUndoProperties);
                e->SetExtrusionZ(z);
            });
        });
    }
    STDMETHODIMP get_MajorX(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMajorX(); });
        });
    }
    STDMETHODIMP put_MajorX(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) { SetAxis(e, static_cast<float>(newVal), e->GetMajorY()); });
        });
    }
    STDMETHODIMP get_MajorY(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMajorY(); });
        });
    }
    STDMETHODIMP put_MajorY(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) { SetAxis(e, e->GetMajorX(), static_cast<float>(newVal)); });
        });
    }
    STDMETHODIMP get_MajorRadius(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMajorRadius(); });
        });
    }
    STDMETHODIMP put_MajorRadius(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) {
                if (static_cast<float>(e->GetMajorRadius()) != static_cast<float>(newVal))
                    this->RecordChange(e, kUndoProperties);
                e->SetMajorRadius(static_cast<float>(newVal));
            });
        });
    }
    STDMETHODIMP get_MinorRadius(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMajorRadius() * e->GetMinorRatio(); });
        });
    }
    STDMETHODIMP put_MinorRadius(double newVal) override
    {
        // A minor radius above the major one is ignored.
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) {
                const double major = e->GetMajorRadius();
                if (newVal > major || major == 0)
                    return;
                const float ratio = static_cast<float>(std::fabs(newVal / major));
                if (e->GetMinorRatio() != ratio)
                    this->RecordChange(e, kUndoProperties);
                e->SetMinorRatio(ratio);
            });
        });
    }
    STDMETHODIMP get_MajorRAngle(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ReadEllipse(pVal, [&](CEllipse* e) {
                *pVal = std::atan2(static_cast<double>(e->GetMajorY()), static_cast<double>(e->GetMajorX()));
            });
        });
    }
    STDMETHODIMP put_MajorRAngle(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return this->ChangeEllipse([&](CEllipse* e) {
                if (std::atan2(static_cast<double>(e->GetMajorY()), static_cast<double>(e->GetMajorX())) == newVal)
                    return;
                const double length = e->GetMajorRadius();
                SetAxis(e, static_cast<float>(length * std::cos(newVal)), static_cast<float>(length * std::sin(newVal)));
            });
        });
    }

private:
    void SetAxis(CEllipse* e, float x, float y)
    {
        if (e->GetMajorX() != x || e->GetMajorY() != y)
            this->RecordChange(e, kUndoProperties);
        e->SetMajorAxis(x, y);
    }
};
