// The vertex records of a polyline, kept in step with its points: record i belongs to point i.
// Points come in and go out only through the operations here, which move the records along.
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/Geometry.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cstddef>

namespace {
// The room a polyline's vertex list takes with its first vertex.
const size_t kFirstVertexCapacity = 4;
} // namespace

CVertexRecord* CPolyline::GetVertexAt(int index)
{
    return index >= 0 && static_cast<size_t>(index) < m_vertices.size() ? &m_vertices[static_cast<size_t>(index)]
                                                                       : nullptr;
}

CVertexRecord* CPolyline::FindVertexOfPoint(int pointId)
{
    for (CVertexRecord& vertex : m_vertices)
        if (vertex.GetPoint() && vertex.GetPoint()->GetPointId() == pointId)
            return &vertex;
    return nullptr;
}

int CPolyline::FindVertexIndex(const CVertexRecord& vertex) const
{
    for (size_t i = 0; i < m_vertices.size(); ++i)
        if (m_vertices[i].vertexId == vertex.vertexId)
            return static_cast<int>(i);
    return -1;
}

int CPolyline::RemoveVerticesOfPoint(int pointId)
{
    const size_t before = m_vertices.size();
    for (auto it = m_vertices.begin(); it != m_vertices.end();) {
        if (it->GetPoint() && it->GetPoint()->GetPointId() == pointId)
            it = m_vertices.erase(it);
        else
            ++it;
    }
    return m_vertices.size() != before ? 1 : 0;
}

int CPolyline::HasPoints(int pointId, int* index) const { return m_points.FindById(pointId, index); }

HRESULT CPolyline::InsertPoint(CPointRecord* record, int index, bool force)
{
    const int count = m_points.GetCount();
    if (index < 0 || index > count)
        index = count;
    const HRESULT hr = CGroup::InsertPoint(record, index, force);
    if (hr != S_OK)
        return hr;
    CVertexRecord vertex;
    vertex.SetPoint(record);
    PlaceVertex(vertex, index);
    return S_OK;
}

void CPolyline::PlaceVertex(const CVertexRecord& vertex, int index)
{
    // The record placed is that vertex (its ID with it).
    CVertexRecord copy;
    copy.Assign(vertex);
    // A record that comes from another polyline is not stored as this one's yet.
    if (copy.GetOwner() && copy.GetOwner() != this)
        copy.databaseId = 0;
    copy.SetOwner(this);
    const size_t at = static_cast<size_t>(index) < m_vertices.size() ? static_cast<size_t>(index) : m_vertices.size();
    // Room for a few vertices at once spares the first regrowths of a polyline being read.
    if (m_vertices.capacity() == 0)
        m_vertices.reserve(kFirstVertexCapacity);
    m_vertices.insert(m_vertices.begin() + static_cast<std::ptrdiff_t>(at), std::move(copy));
}

HRESULT CPolyline::AddPointById(int pointId, int index, bool force)
{
    // The vertex record comes with the point (InsertPoint).
    return CGroup::AddPointById(pointId, index, force);
}

HRESULT CPolyline::InsertVertexRecord(const CVertexRecord& record, int index)
{
    CPointRecord* point = record.GetPoint();
    if (!point)
        return E_FAIL;
    const int count = m_points.GetCount();
    if (index < 0 || index > count)
        index = count;
    // The shape base's insertion: the record goes in below as it is, not a default one.
    const HRESULT hr = CShape::InsertPoint(point, index, true);
    if (hr != S_OK)
        return hr;
    PlaceVertex(record, index);
    return S_OK;
}

CVertexRecord* CPolyline::AddVertex(int indexBefore, int pointId, float bulge, DWORD penColor, int linePatternId,
                                    const char* name, float startWidth, float endWidth, int flags, int tag,
                                    int databaseId)
{
    CPointRecord* point = m_control ? m_control->GetPointPool().Find(pointId) : nullptr;
    if (!point)
        return nullptr;
    // Points and vertex records stay one to one: a point the polyline has already gets no second
    // vertex (removing it would take two records with one point).
    if (m_points.IndexOf(pointId) >= 0)
        return nullptr;
    const int count = m_points.GetCount();
    if (indexBefore < 0 || indexBefore > count)
        indexBefore = count;
    CVertexRecord vertex;
    vertex.SetPoint(point);
    vertex.SetOwner(this);
    vertex.bulge = bulge;
    vertex.color = penColor;
    vertex.lineType = linePatternId;
    vertex.name = name ? name : "";
    vertex.startWidth = startWidth;
    vertex.endWidth = endWidth;
    vertex.flags = flags;
    vertex.tag = tag;
    vertex.databaseId = databaseId;
    if (FAILED(InsertVertexRecord(vertex, indexBefore)))
        return nullptr;
    return &m_vertices[static_cast<size_t>(indexBefore)];
}

CVertexRecord* CPolyline::AddNewVertex(int indexBefore, float x, float y, float bulge, DWORD penColor,
                                       int linePatternId, const char* name, float startWidth, float endWidth,
                                       int flags, int tag, int databaseId)
{
    if (!m_control)
        return nullptr;
    const int pointId = m_control->CreatePoint(x, y);
    if (pointId <= 0)
        return nullptr;
    CVertexRecord* vertex =
        AddVertex(indexBefore, pointId, bulge, penColor, linePatternId, name, startWidth, endWidth, flags, tag, databaseId);
    if (!vertex)
        m_control->GetPointPool().DeletePoint(pointId, -100);
    return vertex;
}

void CPolyline::RemoveAllPoints()
{
    m_vertices.clear();
    CGroup::RemoveAllPoints();
}

int CPolyline::MovePointWithin(int pointId, int index)
{
    const int from = m_points.IndexOf(pointId);
    if (!CGroup::MovePointWithin(pointId, index))
        return 0;
    const int to = m_points.IndexOf(pointId);
    if (from >= 0 && static_cast<size_t>(from) < m_vertices.size() && static_cast<size_t>(to) < m_vertices.size()) {
        // The same vertex in another place: moved, not copied (it keeps its ID).
        CVertexRecord vertex = std::move(m_vertices[static_cast<size_t>(from)]);
        m_vertices.erase(m_vertices.begin() + from);
        m_vertices.insert(m_vertices.begin() + to, std::move(vertex));
    }
    return 1;
}

void CPolyline::ErasePointAt(int index)
{
    CPointRecord* point = m_points.GetAt(index);
    if (!point)
        return;
    const int pointId = point->GetPointId();
    RemoveVerticesOfPoint(pointId);
    m_points.RemoveAt(index);
    if (m_control)
        m_control->GetPointPool().ReleasePoint(pointId, m_id);
    SetExtentCached(false);
}

int CPolyline::RemovePointById(int pointId, bool recordUndo, int keepShape)
{
    int index = -1;
    if (!m_points.FindById(pointId, &index))
        return 0;
    // A rectangle keeps its four corners.
    if (m_shapeType == stRectangle && m_points.GetCount() < 5)
        return 1;
    const bool edited = IsEditedByControl();
    if (edited) {
        const int mode = m_control->GetEditState().editMode;
        const int picked = GetPickedIndex();
        if ((mode == EDSH_POINT || mode == EDSH_NEWPOINT) && index < picked)
            SetPickedIndex(picked - 1);
    }
    const bool ortho = IsOrtho();
    CShapeRecorder* recorder = recordUndo && m_control ? m_control->GetUndoRecorder() : nullptr;
    if (recorder) {
        recorder->OpenOperation(kUndoPointRemoved);
        if (ortho && m_points.GetCount() >= 3) {
            if (CPointRecord* next = GetNextPoint(index))
                recorder->RecordPoint(kUndoPointChanged, next, false);
            if (CPointRecord* previous = GetPreviousPoint(index))
                recorder->RecordPoint(kUndoPointChanged, previous, false);
        }
        recorder->RecordPoint(kUndoPointRemoved, m_points.GetAt(index), false);
    }
    ErasePointAt(index);

    if (!keepShape && ortho) {
        const int count = m_points.GetCount();
        if (count == 2) {
            if (recorder)
                recorder->RecordShape(kUndoShapeChanged, this, false);
            if (!PointsAxisAligned(m_points.GetAt(0), m_points.GetAt(1)))
                m_flags &= ~static_cast<DWORD>(pfOrtho);
        }
        if (count < 4 && IsClosed()) {
            // Fewer than four corners make no orthogonal outline: it opens.
            if (recorder && count != 2)
                recorder->RecordShape(kUndoShapeChanged, this, false);
            m_flags &= ~static_cast<DWORD>(pfClosed);
        } else if (count > 2) {
            RealignOrthoAt(index, recordUndo);
        }
    }
    if (recorder)
        recorder->CloseOperation(true);
    if (edited)
        m_dragRedrawCount = 0;
    return 1;
}

int CPolyline::RemoveBezierPoint(int pointId, bool recordUndo, int keepShape)
{
    const int n = m_points.GetCount();
    if (!IsBezier() || n < 5)
        return RemovePointById(pointId, recordUndo, keepShape);
    int i = -1;
    if (!m_points.FindById(pointId, &i))
        return 0;
    const bool closed = IsClosed();
    const int s = (n - 1) / 3 + ((n - 1) % 3 ? 1 : 0);
    if (s == 1 && i != 0)
        return RemovePointById(pointId, recordUndo, keepShape);
    if (closed && 3 * s < n && i == 3 * s)
        return RemovePointById(pointId, recordUndo, keepShape);

    // The anchor goes with the control point before and the one after it; the group of three
    // wraps over the start of a closed curve.
    int k = (i + 1) / 3;
    const bool wraps = (closed && k == 0) || (i == n - 1 && i % 3 != 0);
    if (wraps)
        k = 0;
    int b = 3 * k;
    if (b > 0 || wraps)
        b -= 1;
    if (!closed && i > 3 * s - 3)
        b -= 1;
    auto resolve = [this](int index) { return index < 0 ? m_points.GetCount() - 1 : index; };

    CShapeRecorder* recorder = recordUndo && m_control ? m_control->GetUndoRecorder() : nullptr;
    if (recorder) {
        if (wraps)
            recorder->RecordPoint(kUndoSharedPoint, m_points.GetAt(resolve(b + 3 < n ? b + 3 : -1)), false);
        for (int at : {b + 2, b + 1, b}) {
            CPointRecord* point = m_points.GetAt(resolve(at));
            if (point)
                recorder->RecordPoint(point->GetUseCount() > 1 ? kUndoSharedPoint : kUndoPointRemoved, point, false);
        }
    }
    for (int at : {b + 2, b + 1, b}) {
        const int index = resolve(at);
        if (index < 0 || index >= m_points.GetCount())
            continue;
        const int picked = GetPickedIndex();
        if (IsEditedByControl() && index < picked)
            SetPickedIndex(picked - 1);
        ErasePointAt(index);
    }
    if (wraps && m_points.GetCount() > 1) {
        // The closed outline starts at the next anchor.
        CPointRecord* first = m_points.GetAt(0);
        m_points.RemoveAt(0);
        m_points.Insert(m_points.GetCount(), first);
        if (!m_vertices.empty()) {
            std::rotate(m_vertices.begin(), m_vertices.begin() + 1, m_vertices.end());
        }
        const int picked = GetPickedIndex();
        if (IsEditedByControl() && picked > 0)
            SetPickedIndex(picked - 1);
    }
    if (!keepShape && IsOrtho()) {
        if (m_points.GetCount() == 2) {
            if (recorder)
                recorder->RecordShape(kUndoShapeChanged, this, false);
            if (!PointsAxisAligned(m_points.GetAt(0), m_points.GetAt(1)))
                m_flags &= ~static_cast<DWORD>(pfOrtho);
        } else {
            RealignOrthoAt(b < 0 ? 0 : b, recordUndo);
        }
    }
    if (IsEditedByControl())
        m_dragRedrawCount = 0;
    return 1;
}
