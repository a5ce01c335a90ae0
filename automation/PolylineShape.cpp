#include "automation/PolylineShape.h"
#include <cmath>
#include "model/Polyline.h"
#include "model/VertexRecord.h"

namespace {

// Undo kinds (YVEXOperation) of a vertex's point.
constexpr int kUndoCreate = 4;
constexpr int kUndoShapePoint = 7;
// Polyline flags: orthogonal form.
constexpr DWORD kOrthoFlag = 0x1000;

} // namespace

CPolyline* CPolylineShape::AsPolyline(CShape* shape) { return dynamic_cast<CPolyline*>(shape); }

// The polyline the wrapper names: S_OK with it (null when the shape is of another class); S_FALSE
// without a shape; "Shape not found." when gone.
HRESULT CPolylineShape::FindPolyline(CPolyline** polyline)
{
    *polyline = nullptr;
    CShape* shape = nullptr;
    const HRESULT hr = FindShape(&shape);
    if (hr == S_OK)
        *polyline = AsPolyline(shape);
    return hr;
}

// After a vertex moved: an orthogonal polyline whose vertex no longer meets its neighbours at a
// right angle stops being orthogonal.
void CPolylineShape::KeepOrthogonality(CPolyline* polyline, int index)
{
    if (polyline->IsOrtho() && !polyline->IsOrthoAt(index)) {
        RecordChange(polyline, kUndoProperties);
        polyline->SetFlags(polyline->GetFlags() & ~kOrthoFlag);
    }
}

HRESULT CPolylineShape::ReadVertex(bool horizontal, double* pVal)
{
    RETURN_IF_NULL_POINTER(pVal);
    return Change([&](CShape* s) -> HRESULT {
        if (m_vertex < 1 || m_vertex > s->GetPointCount()) {
            *pVal = 0.0;
            m_vertex = 1;
            return S_FALSE;
        }
        const CPointRecord* point = s->GetPoints().GetAt(m_vertex - 1);
        *pVal = horizontal ? point->x : point->y;
        return S_OK;
    });
}

HRESULT CPolylineShape::WriteVertex(bool horizontal, double value)
{
    return Change([&](CShape* s) -> HRESULT {
        if (m_vertex < 1 || m_vertex > s->GetPointCount()) {
            m_vertex = 1;
            return S_FALSE;
        }
        const CPointRecord* point = s->GetPoints().GetAt(m_vertex - 1);
        const float wanted = static_cast<float>(value);
        if ((horizontal ? point->x : point->y) != wanted)
            RecordChange(s, kUndoProperties, point->GetPointId());
        s->SetPointCoords(horizontal ? 1 : 2, horizontal ? wanted : 0.0f, horizontal ? 0.0f : wanted, m_vertex - 1);
        if (CPolyline* polyline = AsPolyline(s))
            KeepOrthogonality(polyline, m_vertex - 1);
        return S_OK;
    });
}

// IPolylineShape
STDMETHODIMP CPolylineShape::get_DefStartWidth(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadPolyline(pVal, [&](CPolyline* p) { *pVal = p->GetDefStartWidth(); }); });
}
STDMETHODIMP CPolylineShape::get_DefEndWidth(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadPolyline(pVal, [&](CPolyline* p) { *pVal = p->GetDefEndWidth(); }); });
}
STDMETHODIMP CPolylineShape::get_Flags(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadPolyline(pVal, [&](CPolyline* p) { *pVal = static_cast<LONG>(p->GetFlags()); }); });
}
STDMETHODIMP CPolylineShape::put_DefStartWidth(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            CPolyline* p = AsPolyline(s);
            if (!p)
                return S_OK;
            if (p->GetDefStartWidth() != static_cast<float>(newVal))
                RecordChange(s, kUndoProperties);
            p->SetDefaultWidths(static_cast<float>(newVal), p->GetDefEndWidth());
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::put_DefEndWidth(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            CPolyline* p = AsPolyline(s);
            if (!p)
                return S_OK;
            if (p->GetDefEndWidth() != static_cast<float>(newVal))
                RecordChange(s, kUndoProperties);
            p->SetDefaultWidths(p->GetDefStartWidth(), static_cast<float>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::put_Flags(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            CPolyline* p = AsPolyline(s);
            if (!p)
                return S_OK;
            if (p->GetFlags() != static_cast<DWORD>(newVal))
                RecordChange(s, kUndoProperties);
            p->SetFlags(static_cast<DWORD>(newVal));
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::get_PolylinePoints(IPolylinePointCollection** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        return Change([&](CShape* s) -> HRESULT { return NewShapeCollection(CLSID_PolylinePointCollection, IID_IPolylinePointCollection, s, pVal); });
    });
}
STDMETHODIMP CPolylineShape::get_Vertex(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = m_vertex;
        return S_OK;
    });
}
STDMETHODIMP CPolylineShape::put_Vertex(LONG newVal)
{
    // The cursor wraps: past the last point to the first, before the first to the last.
    return Guarded([&]() -> HRESULT {
        m_vertex = newVal;
        return Change([&](CShape* s) -> HRESULT {
            const int count = s->GetPointCount();
            if (m_vertex > count)
                m_vertex = 1;
            else if (m_vertex < 1)
                m_vertex = count;
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::get_VertexX(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadVertex(true, pVal); });
}
STDMETHODIMP CPolylineShape::put_VertexX(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteVertex(true, newVal); });
}
STDMETHODIMP CPolylineShape::get_VertexY(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadVertex(false, pVal); });
}
STDMETHODIMP CPolylineShape::put_VertexY(double newVal)
{
    return Guarded([&]() -> HRESULT { return WriteVertex(false, newVal); });
}
STDMETHODIMP CPolylineShape::get_PenWidth(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadPolyline(pVal, [&](CPolyline* p) { *pVal = p->GetDefStartWidth(); }); });
}
STDMETHODIMP CPolylineShape::put_PenWidth(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return Change([&](CShape* s) -> HRESULT {
            CPolyline* p = AsPolyline(s);
            if (!p)
                return S_OK;
            const float width = static_cast<float>(newVal);
            if (p->GetDefStartWidth() != width)
                RecordChange(s, kUndoProperties);
            p->SetPenWeight(width);
            p->SetDefaultWidths(width, width);
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::get_Length(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadPolyline(pVal, [&](CPolyline* p) { *pVal = p->GetLength(); }); });
}
STDMETHODIMP CPolylineShape::HitSegmentTest(double X, double Y, LONG* SegmentNumber)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(SegmentNumber);
        CPolyline* p = nullptr;
        const HRESULT hr = FindPolyline(&p);
        if (hr != S_OK)
            return hr == S_FALSE ? S_OK : hr;
        if (!p)
            return E_FAIL;
        // Hit tests work in device pixels.
        const POINT device = m_control->GetCurrentViewport().WorldToDevice(
            CRealPoint(static_cast<float>(X), static_cast<float>(Y)));
        int segment = 0;
        *SegmentNumber = 0;
        if (!p->HitSegmentTest(static_cast<float>(device.x), static_cast<float>(device.y), &segment))
            return S_FALSE;
        if (segment == 0 && (p->IsClosed() || p->GetShapeType() == stPolygon))
            segment = p->GetPointCount(); // the closing segment
        *SegmentNumber = segment;
        return S_OK;
    });
}
STDMETHODIMP CPolylineShape::get_FirstArrowTypeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadArrowType(true, pVal); });
}
STDMETHODIMP CPolylineShape::put_FirstArrowTypeID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WriteArrowType(true, newVal); });
}
STDMETHODIMP CPolylineShape::get_SecondArrowTypeID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadArrowType(false, pVal); });
}
STDMETHODIMP CPolylineShape::put_SecondArrowTypeID(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WriteArrowType(false, newVal); });
}
STDMETHODIMP CPolylineShape::get_Vertexes(IVertexCollection** pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        return Change([&](CShape* s) -> HRESULT { return NewShapeCollection(CLSID_VertexCollection, IID_IVertexCollection, s, pVal); });
    });
}
STDMETHODIMP CPolylineShape::AddVertex(LONG indexBefore, LONG PointID, float Bulge, LONG PenColor, LONG LinePatternID,
                                       BSTR Name, float StartWidth, float EndWidth, LONG Flags, LONG Tag,
                                       LONG DatabaseID, LONG* ID)
{
    return Guarded([&]() -> HRESULT {
        if (ID)
            *ID = 0;
        CPolyline* p = nullptr;
        const HRESULT hr = FindPolyline(&p);
        if (hr == S_FALSE || (hr == S_OK && !p))
            return E_UNEXPECTED;
        RETURN_IF_FAILED(hr);
        // A point the polyline holds already is refused before anything changes: points and
        // vertices stay one to one.
        if (p->GetPoints().IndexOf(PointID) >= 0)
            return E_INVALIDARG;
        RecordChange(p, kUndoShapePoint, PointID);
        const std::string name = Name ? WideToAnsi(Name) : "";
        CVertexRecord* vertex = p->AddVertex(indexBefore - 1, PointID, Bulge, static_cast<DWORD>(PenColor), LinePatternID,
                                             name.c_str(), StartWidth, EndWidth, Flags, Tag, DatabaseID);
        if (!vertex)
            return E_FAIL;
        KeepOrthogonality(p, m_vertex - 1);
        if (ID)
            *ID = vertex->vertexId;
        return S_OK;
    });
}
STDMETHODIMP CPolylineShape::AddNewVertex(LONG indexBefore, float X, float Y, float Bulge, LONG PenColor,
                                          LONG LinePatternID, BSTR Name, float StartWidth, float EndWidth, LONG Flags,
                                          LONG Tag, LONG DatabaseID, LONG* ID)
{
    return Guarded([&]() -> HRESULT {
        if (ID)
            *ID = 0;
        CPolyline* p = nullptr;
        const HRESULT hr = FindPolyline(&p);
        if (hr == S_FALSE || (hr == S_OK && !p))
            return E_UNEXPECTED;
        RETURN_IF_FAILED(hr);
        const std::string name = Name ? WideToAnsi(Name) : "";
        CVertexRecord* vertex = p->AddNewVertex(indexBefore - 1, X, Y, Bulge, static_cast<DWORD>(PenColor),
                                                LinePatternID, name.c_str(), StartWidth, EndWidth, Flags, Tag,
                                                DatabaseID);
        if (!vertex)
            return E_FAIL;
        RecordChange(p, kUndoCreate, vertex->GetPoint() ? vertex->GetPoint()->GetPointId() : 0);
        KeepOrthogonality(p, m_vertex - 1);
        if (ID)
            *ID = vertex->vertexId;
        return S_OK;
    });
}
STDMETHODIMP CPolylineShape::Fillet(float Radius, LONG VertexIndex)
{
    return Guarded([&]() -> HRESULT {
        return ReshapeWith(E_POINTER, [&](CPolyline* p) -> HRESULT {
            if (p->Fillet(Radius, VertexIndex - 1) <= 0)
                return S_FALSE;
            p->SetFlags(p->GetFlags() & ~kOrthoFlag);
            return S_OK;
        });
    });
}
STDMETHODIMP CPolylineShape::get_Vertices(IVertexCollection** pVal)
{
    return Guarded([&]() -> HRESULT { return get_Vertexes(pVal); });
}
STDMETHODIMP CPolylineShape::get_Area(float* pVal)
{
    // S_FALSE for an area that is none: 0, negative or not a number.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = -1.0f;
        return Change([&](CShape* s) -> HRESULT {
            const double area = s->GetArea();
            *pVal = static_cast<float>(area);
            return area > 0 ? S_OK : S_FALSE;
        });
    });
}
STDMETHODIMP CPolylineShape::Simplify(float Tolerance)
{
    return Guarded([&]() -> HRESULT {
        return ReshapeWith(E_POINTER, [&](CPolyline* p) -> HRESULT { return p->Simplify(Tolerance) > 0 ? S_OK : E_FAIL; });
    });
}
STDMETHODIMP CPolylineShape::ToBezier()
{
    return Guarded([&]() -> HRESULT {
        return ReshapeWith(E_POINTER, [&](CPolyline* p) -> HRESULT { return p->ToBezier() > 0 ? S_OK : E_FAIL; });
    });
}
STDMETHODIMP CPolylineShape::ToStraight()
{
    return Guarded([&]() -> HRESULT {
        return ReshapeWith(E_POINTER, [&](CPolyline* p) -> HRESULT { return p->ToStraight() > 0 ? S_OK : E_FAIL; });
    });
}
