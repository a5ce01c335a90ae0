#pragma once
// The members of ICircleShape shared by the ellipse, arc and circle objects: the radius and the
// centre of the internal ellipse (the shape's first point).
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include <cmath>
#include "YVEX_h.h"
#include "automation/ShapeImpl.h"
#include "model/Ellipse.h"

template <class T, class Itf, const IID* piid>
class ICircleShapeImpl : public IShapeImpl<T, Itf, piid> {
public:
    STDMETHODIMP get_Radius(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT {
            return ReadEllipse(pVal, [&](CEllipse* e) { *pVal = e->GetMajorRadius(); });
        });
    }
    STDMETHODIMP put_Radius(double newVal) override
    {
        // An axis of no length takes the radius along x; any other keeps its direction.
        return this->Guarded([&]() -> HRESULT {
            return ChangeEllipse([&](CEllipse* e) {
                if (e->GetMajorRadius() == static_cast<float>(newVal))
                    return;
                this->RecordChange(e, kUndoProperties);
                if (e->GetMajorX() == 0 && e->GetMajorY() == 0)
                    e->SetMajorAxis(static_cast<float>(newVal), 0);
                else
                    e->SetMajorRadius(static_cast<float>(newVal));
            });
        });
    }
    STDMETHODIMP get_CenterX(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return ReadCenter(true, pVal); });
    }
    STDMETHODIMP get_CenterY(double* pVal) override
    {
        return this->Guarded([&]() -> HRESULT { return ReadCenter(false, pVal); });
    }
    STDMETHODIMP put_CenterX(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return WriteCenter(true, newVal); });
    }
    STDMETHODIMP put_CenterY(double newVal) override
    {
        return this->Guarded([&]() -> HRESULT { return WriteCenter(false, newVal); });
    }

protected:
    // A getter of the ellipse: the value stays without a shape or for a shape of another class.
    template <class P, class F>
    HRESULT ReadEllipse(P* out, F&& read)
    {
        return this->Read(out, [&](CShape* s) {
            if (CEllipse* e = dynamic_cast<CEllipse*>(s))
                read(e);
        });
    }
    template <class F>
    HRESULT ChangeEllipse(F&& change)
    {
        return this->Change([&](CShape* s) -> HRESULT {
            if (CEllipse* e = dynamic_cast<CEllipse*>(s))
                change(e);
            return S_OK;
        });
    }
    HRESULT ReadCenter(bool horizontal, double* pVal)
    {
        return this->Read(pVal, [&](CShape* s) {
            if (s->GetPointCount() > 0) {
                const CPointRecord* center = s->GetPoints().GetAt(0);
                *pVal = horizontal ? center->x : center->y;
            }
        });
    }
    HRESULT WriteCenter(bool horizontal, double value)
    {
        return this->Change([&](CShape* s) -> HRESULT {
            if (s->GetPointCount() == 0)
                return S_OK;
            const CPointRecord* center = s->GetPoints().GetAt(0);
            const float wanted = static_cast<float>(value);
            if ((horizontal ? center->x : center->y) != wanted)
                this->RecordChange(s, kUndoProperties, center->GetPointId());
            s->SetPointCoords(horizontal ? 1 : 2, horizontal ? wanted : 0.0f, horizontal ? 0.0f : wanted, 0);
            return S_OK;
        });
    }
};
