#include "automation/Vertex.h"
#include <string>
#include <utility>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/VertexRecord.h"

namespace {
// Undo kinds (YVEXOperation) of a vertex's point.
constexpr int kUndoMove = 1;
constexpr int kUndoProperties = 6;
} // namespace

template <class F>
HRESULT CVertex::Guarded(F&& body)
{
    return ycom::Guard(IID_IVertex, std::forward<F>(body));
}

void CVertex::Attach(CYVEXControl* control, int polylineId, int vertexId)
{
    m_controlRef.Reset();
    m_control = control;
    m_polylineId = control ? polylineId : 0;
    m_vertexId = control ? vertexId : 0;
    if (control)
        m_controlRef = static_cast<IYVEXControl*>(control);
}

CVertexRecord* CVertex::Find() const
{
    if (!m_control)
        return nullptr;
    auto* polyline = dynamic_cast<CPolyline*>(m_control->FindShape(m_polylineId));
    if (!polyline)
        return nullptr;
    const auto& vertices = polyline->GetVertices();
    for (size_t i = 0; i < vertices.size(); ++i)
        if (vertices[i].vertexId == m_vertexId)
            return polyline->GetVertexAt(static_cast<int>(i));
    return nullptr;
}

template <class P, class F>
HRESULT CVertex::Read(P* out, F&& read)
{
    RETURN_IF_NULL_POINTER(out);
    *out = 0;
    CVertexRecord* vertex = Find();
    if (!vertex)
        return E_POINTER;
    read(*vertex);
    return S_OK;
}

template <class F>
HRESULT CVertex::Write(int kind, bool needsPoint, F&& write)
{
    // A load or save on its worker holds the shapes: not even looked at meanwhile.
    if (m_control && !m_control->IsIdle())
        return m_control->AnswerInProgress();
    CVertexRecord* vertex = Find();
    if (!vertex || (needsPoint && !vertex->GetPoint()))
        return E_POINTER;
    if (CPointRecord* point = vertex->GetPoint()) {
        CUndoRecorder* recorder = m_control->GetUndoRecorder();
        if (recorder && recorder->ShouldRecordPoint(point))
            recorder->RecordPoint(kind, point, false);
    }
    write(*vertex);
    return S_OK;
}

// IVertex
STDMETHODIMP CVertex::get_ID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.vertexId; }); });
}
STDMETHODIMP CVertex::get_DatabaseID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.databaseId; }); });
}
STDMETHODIMP CVertex::put_DatabaseID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.databaseId = newVal; });
    });
}
STDMETHODIMP CVertex::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        CVertexRecord* vertex = Find();
        if (!vertex)
            return E_POINTER;
        if (!vertex->name.empty()) {
            *pVal = SysAllocString(ycom::AnsiToWide(vertex->name).c_str());
            RETURN_IF_NULL_ALLOC(*pVal);
        }
        return S_OK;
    });
}
STDMETHODIMP CVertex::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        const std::string name = ycom::WideToAnsi(newVal);
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.name = name; });
    });
}
STDMETHODIMP CVertex::get_Flags(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.flags; }); });
}
STDMETHODIMP CVertex::put_Flags(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.flags = newVal; }); });
}
STDMETHODIMP CVertex::get_PenColor(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = static_cast<LONG>(v.color); });
    });
}
STDMETHODIMP CVertex::put_PenColor(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.color = static_cast<DWORD>(newVal); });
    });
}
STDMETHODIMP CVertex::get_LinePatternID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.lineType; }); });
}
STDMETHODIMP CVertex::put_LinePatternID(LONG newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.lineType = newVal; });
    });
}
STDMETHODIMP CVertex::get_StartWidth(float* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.startWidth; }); });
}
STDMETHODIMP CVertex::put_StartWidth(float newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.startWidth = newVal; });
    });
}
STDMETHODIMP CVertex::get_EndWidth(float* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.endWidth; }); });
}
STDMETHODIMP CVertex::put_EndWidth(float newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.endWidth = newVal; });
    });
}
STDMETHODIMP CVertex::get_Bulge(float* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.bulge; }); });
}
STDMETHODIMP CVertex::put_Bulge(float newVal)
{
    return Guarded([&]() -> HRESULT { return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.bulge = newVal; }); });
}
STDMETHODIMP CVertex::get_PointID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = v.GetPoint() ? v.GetPoint()->GetPointId() : 0; });
    });
}
STDMETHODIMP CVertex::get_Length(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = static_cast<float>(v.GetLength()); });
    });
}
STDMETHODIMP CVertex::_Init(LONG_PTR Vertex)
{
    // A client never holds a vertex record's address: only 0 (detach) is taken from outside; the
    // collections attach their items by ID.
    return Guarded([&]() -> HRESULT {
        if (Vertex)
            return E_INVALIDARG;
        Attach(nullptr, 0, 0);
        return S_OK;
    });
}
STDMETHODIMP CVertex::get_Radius(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = static_cast<float>(v.GetArcRadius()); });
    });
}
STDMETHODIMP CVertex::put_Radius(float newVal)
{
    return Guarded([&]() -> HRESULT {
        return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.SetArcRadius(newVal); });
    });
}
STDMETHODIMP CVertex::get_X(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = v.GetPoint() ? v.GetPoint()->x : 0.0f; });
    });
}
STDMETHODIMP CVertex::put_X(float newVal)
{
    return Guarded([&]() -> HRESULT { return Write(kUndoMove, true, [&](CVertexRecord& v) { v.GetPoint()->x = newVal; }); });
}
STDMETHODIMP CVertex::get_Y(float* pVal)
{
    return Guarded([&]() -> HRESULT {
        return Read(pVal, [&](CVertexRecord& v) { *pVal = v.GetPoint() ? v.GetPoint()->y : 0.0f; });
    });
}
STDMETHODIMP CVertex::put_Y(float newVal)
{
    return Guarded([&]() -> HRESULT { return Write(kUndoMove, true, [&](CVertexRecord& v) { v.GetPoint()->y = newVal; }); });
}
STDMETHODIMP CVertex::get_Tag(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return Read(pVal, [&](CVertexRecord& v) { *pVal = v.tag; }); });
}
STDMETHODIMP CVertex::put_Tag(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return Write(kUndoProperties, false, [&](CVertexRecord& v) { v.tag = newVal; }); });
}
