#include "automation/LineShape.h"
#include "model/Line.h"

// The coordinate of point 0 (start) or 1 (end): "Index out of range" when the line lacks it.
HRESULT CLineShape::ReadCoordinate(int index, bool horizontal, double* pVal)
{
    RETURN_IF_NULL_POINTER(pVal);
    return Change([&](CShape* s) -> HRESULT {
        if (index >= s->GetPointCount())
            return ReportComErrorW(CLSID_YVEXControl, L"Index out of range");
        const CPointRecord* point = s->GetPoints().GetAt(index);
        *pVal = horizontal ? point->x : point->y;
        return S_OK;
    });
}

HRESULT CLineShape::WriteCoordinate(int index, bool horizontal, double value)
{
    return Change([&](CShape* s) -> HRESULT {
        if (index >= s->GetPointCount())
            return ReportComErrorW(CLSID_YVEXControl, L"Index out of range");
        const CPointRecord* point = s->GetPoints().GetAt(index);
        const float wanted = static_cast<float>(value);
        if ((horizontal ? point->x : point->y) != wanted)
            RecordChange(s, kUndoProperties, point->GetPointId());
        s->SetPointCoords(horizontal ? 1 : 2, horizontal ? wanted : 0.0f, horizontal ? 0.0f : wanted, index);
        return S_OK;
    });
}

// ILineShape
STDMETHODIMP CLineShape::get_FirstArrowTypeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadArrowType(true, pVal); });
}
STDMETHODIMP CLineShape::get_SecondArrowTypeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadArrowType(false, pVal); });
}
STDMETHODIMP CLineShape::put_FirstArrowTypeID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WriteArrowType(true, newVal); });
}
STDMETHODIMP CLineShape::put_SecondArrowTypeID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WriteArrowType(false, newVal); });
}
STDMETHODIMP CLineShape::get_StartX(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadCoordinate(0, true, pVal); });
}
STDMETHODIMP CLineShape::put_StartX(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteCoordinate(0, true, newVal); });
}
STDMETHODIMP CLineShape::get_StartY(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadCoordinate(0, false, pVal); });
}
STDMETHODIMP CLineShape::put_StartY(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteCoordinate(0, false, newVal); });
}
STDMETHODIMP CLineShape::get_EndX(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadCoordinate(1, true, pVal); });
}
STDMETHODIMP CLineShape::put_EndX(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteCoordinate(1, true, newVal); });
}
STDMETHODIMP CLineShape::get_EndY(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadCoordinate(1, false, pVal); });
}
STDMETHODIMP CLineShape::put_EndY(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteCoordinate(1, false, newVal); });
}
STDMETHODIMP CLineShape::get_Length(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CShape* s) {
            const CLine* line = dynamic_cast<const CLine*>(s);
            *pVal = line ? line->GetLength() : 0.0;
        });
    });
}
