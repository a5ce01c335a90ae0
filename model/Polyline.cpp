// The polyline shape: construction, its form, neighbours along the outline, widths and measures.
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/Geometry.h"
#include "model/PointRecord.h"
#include "model/ShapeStateMap.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <vector>

CPolyline::CPolyline(CShapeHost* control, int id, int type) : CGroup(id, control)
{
    m_selectsAsUnit = 0; // a polyline is picked by its outline
    m_shapeType = type;
    if (type == stRectangle)
        m_flags = pfRectangle;
}

CPolyline::CPolyline(int id, const CPolyline& source)
    : CGroup(id, source), m_firstArrowType(source.m_firstArrowType), m_secondArrowType(source.m_secondArrowType),
      m_defStartWidth(source.m_defStartWidth), m_defEndWidth(source.m_defEndWidth), m_flags(source.m_flags)
{
    m_shapeType = source.m_shapeType;
    // The points were copied by the shape base (each given a default record on the way): each
    // record takes the data of the source's record of the same index, re-pointed at this polyline
    // and its point, and not stored yet.
    m_vertices.clear();
    m_vertices.reserve(static_cast<size_t>(m_points.GetCount()));
    for (int i = 0; i < m_points.GetCount(); ++i) {
        // A copy of the source's record is a vertex of its own (a fresh ID).
        CVertexRecord vertex = static_cast<size_t>(i) < source.m_vertices.size()
                                   ? CVertexRecord(source.m_vertices[static_cast<size_t>(i)])
                                   : CVertexRecord();
        vertex.SetPoint(m_points.GetAt(i));
        vertex.SetOwner(this);
        vertex.databaseId = 0;
        vertex.shapePointId = 0;
        m_vertices.push_back(std::move(vertex));
    }
}

CPolyline::~CPolyline()
{
    // The records first, then the points (the base destructors release what is left).
    m_vertices.clear();
    CGroup::RemoveAllPoints();
}

void CPolyline::SetDefaultWidths(float start, float end)
{
    if (start != m_defStartWidth)
        NoteGeometryChange();
    m_defStartWidth = start;
    m_defEndWidth = end;
}

bool CPolyline::IsClosed() { return (m_flags & pfClosed) != 0; }

bool CPolyline::IsOrtho() { return (m_flags & pfOrtho) != 0 && !IsBezier(); }

bool CPolyline::IsBezier() { return (m_flags & pfBezier) != 0 && m_shapeType == stPolyline; }

int CPolyline::GetClassShapeType() { return stPolyline; }

void CPolyline::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_PolylineShape;
}

void CPolyline::SetPenWeight(float weight)
{
    if (weight != m_penWeight)
        NoteGeometryChange();
    m_penWeight = weight;
    m_defStartWidth = weight;
    m_defEndWidth = weight;
}

float CPolyline::GetLineWidth()
{
    if (m_shapeType != stPolyline)
        return GetPenWeight();
    float width = std::max(m_defStartWidth, m_defEndWidth);
    const size_t count = m_vertices.size();
    // The records that start a segment: all of a closed outline, all but the last of an open one;
    // in Bezier form only the anchors.
    const size_t starts = IsClosed() ? count : (count > 0 ? count - 1 : 0);
    const size_t step = IsBezier() ? 3 : 1;
    for (size_t i = 0; i < starts; i += step)
        width = std::max({width, m_vertices[i].startWidth, m_vertices[i].endWidth});
    return width;
}

BOOL CPolyline::HasHatchFill()
{
    if (!CGroup::HasHatchFill() || !IsClosed())
        return FALSE;
    if (m_vertices.size() > 2)
        return TRUE;
    // Two vertices enclose an area only when a segment is an arc.
    if (m_vertices.size() == 2)
        return std::fabs(m_vertices[0].bulge) >= 1e-5f || std::fabs(m_vertices[1].bulge) >= 1e-5f;
    return FALSE;
}

bool CPolyline::IsEditActive(bool closedTest) { return m_points.GetCount() >= (closedTest ? 3 : 2); }

int CPolyline::ClearDatabaseId()
{
    for (CVertexRecord& vertex : m_vertices) {
        vertex.databaseId = 0;
        vertex.shapePointId = 0;
    }
    return CGroup::ClearDatabaseId();
}

int CPolyline::OnShapePointStored(CPointRecord* record, int shapePointId)
{
    if (!record)
        return 0;
    CVertexRecord* vertex = FindVertexOfPoint(record->GetPointId());
    if (!vertex)
        return 0;
    vertex->shapePointId = shapePointId;
    return 1;
}

int CPolyline::GetHandlePoints(CRealPoint* points, int capacity)
{
    const int count = m_points.GetCount();
    if (!points)
        return count;
    int copied = 0;
    for (; copied < count && copied < capacity; ++copied)
        points[copied] = *m_points.GetAt(copied);
    return copied;
}

int CPolyline::CountStats(CShapeStats& stats)
{
    const int counted = CGroup::CountStats(stats);
    if (counted > 0 && (m_state & stPersistent))
        for (const CVertexRecord& vertex : m_vertices)
            if (!vertex.IsDefault())
                ++stats.vertices;
    return counted;
}

// --- Neighbours --------------------------------------------------------------------------------

CPointRecord* CPolyline::GetNextPoint(int index, int* outIndex)
{
    const int count = m_points.GetCount();
    int next = -1;
    if (index >= 0 && index + 1 < count)
        next = index + 1;
    else if (index == count - 1 && IsClosed() && count > 2)
        next = 0;
    if (outIndex)
        *outIndex = next;
    return next >= 0 ? m_points.GetAt(next) : nullptr;
}

CPointRecord* CPolyline::GetPreviousPoint(int index, int* outIndex)
{
    const int count = m_points.GetCount();
    int previous = -1;
    if (index > 0 && index < count)
        previous = index - 1;
    else if (index == 0 && IsClosed() && count >= 2)
        previous = count - 1;
    if (outIndex)
        *outIndex = previous;
    return previous >= 0 ? m_points.GetAt(previous) : nullptr;
}

void CPolyline::GetNeighbourIndices(int index, int* previous, int* next)
{
    const int count = m_points.GetCount();
    int p = index - 1, n = index + 1;
    if (p == -1 && IsClosed())
        p = count - 1;
    if (n >= count)
        n = IsClosed() && !IsBezier() ? 0 : -1;
    if (previous)
        *previous = p;
    if (next)
        *next = n;
}

CPointRecord* CPolyline::GetAdjacentPoint(int index, bool forward, int* outIndex)
{
    const int count = m_points.GetCount();
    int at = -1;
    if (forward) {
        if (index + 1 < count)
            at = index + 1;
    } else if (index > 0) {
        at = index - 1;
    } else if (index == 0 && IsClosed() && (count - 1) % 3 != 0) {
        // Before the start of a closed curve lies its last control point, unless the last point
        // is an anchor of its own.
        at = count - 1;
    }
    if (outIndex)
        *outIndex = at;
    return at >= 0 && at < count ? m_points.GetAt(at) : nullptr;
}

int CPolyline::GetSegmentCount()
{
    if (m_shapeType == stRectangle)
        return 4;
    const int count = m_points.GetCount();
    const int closed = IsClosed() ? 1 : 0;
    if (IsBezier())
        return (count - (2 - closed)) / 3 + 1;
    return count + closed;
}

int CPolyline::FindNearestSegment(const CRealPoint& point, CRealPoint* nearest, int* segment)
{
    std::vector<CRealPoint> points;
    points.reserve(static_cast<size_t>(m_points.GetCount()));
    for (CPointRecord* p : m_points)
        points.push_back(*p);
    const int found =
        NearestPointOnPolyline(points.data(), static_cast<int>(points.size()), point, nearest, IsClosed());
    if (segment)
        *segment = found;
    return 1;
}

int CPolyline::IsOrthoAt(int index)
{
    const int count = m_points.GetCount();
    if (index < 0 || index >= count)
        return 1;
    const CPointRecord* point = m_points.GetAt(index);
    int previous = index - 1;
    if (index == 0 && IsClosed())
        previous = count - 1;
    if (previous >= 0 && !PointsAxisAligned(point, m_points.GetAt(previous)))
        return 0;
    int next = index + 1;
    if (next >= count)
        next = IsClosed() ? 0 : -1;
    if (next >= 0)
        return PointsAxisAligned(point, m_points.GetAt(next));
    return 1;
}

// --- Measures ----------------------------------------------------------------------------------

double CPolyline::GetLength()
{
    const int count = m_points.GetCount();
    double length = 0.0;
    auto bulgeAt = [this](int i) {
        return static_cast<size_t>(i) < m_vertices.size() ? static_cast<double>(m_vertices[static_cast<size_t>(i)].bulge)
                                                           : 0.0;
    };
    for (int i = 0; i + 1 < count; ++i)
        length += BulgedSegmentLength(*m_points.GetAt(i), *m_points.GetAt(i + 1), bulgeAt(i));
    if (IsClosed() && count > 1)
        length += BulgedSegmentLength(*m_points.GetAt(count - 1), *m_points.GetAt(0), bulgeAt(count - 1));
    return length;
}

int CPolyline::IsClockwise()
{
    const int count = m_points.GetCount();
    if (count < 3)
        return -1;
    // The lowest point (the rightmost of equals) is a convex corner of the outline.
    int b = 0;
    for (int i = 1; i < count; ++i) {
        const CPointRecord* p = m_points.GetAt(i);
        const CPointRecord* best = m_points.GetAt(b);
        if (p->y < best->y || (p->y == best->y && p->x > best->x))
            b = i;
    }
    const CPointRecord* base = m_points.GetAt(b);
    const CPointRecord* previous = m_points.GetAt((b + count - 1) % count);
    const CPointRecord* next = m_points.GetAt((b + 1) % count);
    const double cross = (static_cast<double>(next->y) - base->y) * (static_cast<double>(previous->x) - base->x) -
                         (static_cast<double>(next->x) - base->x) * (static_cast<double>(previous->y) - base->y);
    return cross > 0 ? 1 : 0;
}

double CPolyline::GetArea()
{
    const int count = m_points.GetCount();
    if (count < 2)
        return -1.0;
    double area = 0.0;
    if (count > 2) {
        double sum = 0.0;
        for (int i = 0; i < count; ++i) {
            const CPointRecord* p = m_points.GetAt(i);
            const CPointRecord* n = m_points.GetAt((i + 1) % count);
            sum += (static_cast<double>(p->y) - n->y) * (static_cast<double>(n->x) + p->x);
        }
        area = std::fabs(sum) * 0.5;
    }
    // A bulge that turns outwards from the outline adds its circular segment, one that turns
    // inwards takes it away.
    const bool clockwise = IsClockwise() != 0;
    for (int i = 0; i < count && static_cast<size_t>(i) < m_vertices.size(); ++i) {
        const float bulge = m_vertices[static_cast<size_t>(i)].bulge;
        if (bulge == 0.0f)
            continue;
        const double segment = BulgedSegmentArea(m_points.GetAt(i), m_points.GetAt((i + 1) % count), bulge);
        area += ((bulge < 0) == clockwise) ? segment : -segment;
    }
    return std::fabs(area);
}

bool CPolyline::CanDrawFirstArrow()
{
    if (IsClosed() || m_points.GetCount() < 2 || m_firstArrowType == 0 || IsBezier())
        return false;
    // The heads are drawn at the arrow scale of the current setting: at 0 there is no head.
    if (GetArrowScale() == 0.0)
        return false;
    return m_vertices.empty() || m_vertices.front().bulge == 0.0f;
}

bool CPolyline::CanDrawLastArrow()
{
    const int count = m_points.GetCount();
    if (IsClosed() || count < 2 || m_secondArrowType == 0 || IsBezier())
        return false;
    if (GetArrowScale() == 0.0)
        return false;
    return m_vertices.size() < 2 || m_vertices[m_vertices.size() - 2].bulge == 0.0f;
}

bool CPolyline::CanEditOrthoAt(int index)
{
    const int count = m_points.GetCount();
    if (index == -1) {
        if (IsBezier() || count < 3 || !IsOrtho())
            return false;
        return !(m_control && (m_control->GetEditState().editStepFlags & 0x2));
    }
    if (!IsOrtho())
        return false;
    if (index == count - 1 && index > 0)
        return true;
    return count >= 3 && IsClosed();
}

// --- Edit state of the control ---------------------------------------------------------------

int CPolyline::GetPickedIndex() const
{
    return m_control ? m_control->GetShapeStateMap().GetValue(m_id) : -1;
}

void CPolyline::SetPickedIndex(int index)
{
    if (m_control)
        m_control->GetShapeStateMap().SetValue(m_id, index);
}

bool CPolyline::IsEditedByControl() const
{
    return m_control && m_control->GetEditState().editedShape == this;
}

void CPolyline::RecordPointForUndo(int kind, CPointRecord* point)
{
    CShapeRecorder* recorder = m_control ? m_control->GetUndoRecorder() : nullptr;
    if (recorder && point && recorder->ShouldRecordPoint(point))
        recorder->RecordPoint(kind, point, false);
}

void CPolyline::RecordShapeForUndo(int kind)
{
    CShapeRecorder* recorder = m_control ? m_control->GetUndoRecorder() : nullptr;
    if (recorder && recorder->ShouldRecordShape(this))
        recorder->RecordShape(kind, this, false);
}
