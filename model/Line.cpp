// The line shape: two points, arrow heads at either end, drawn and hit-tested as one segment,
// created by two presses and edited by dragging an end; the LINE entity, the LineShapes row and
// the Lines record.
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Line.h"
#include "model/PenCache.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/sql/ShapeKindSql.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include "persistence/OdbcSession.h"
#include "com/HResult.h"
#include <cmath>
#include <cstdlib>

namespace {

POINT ToLogical(const CViewMapping& view, const CRealPoint& p)
{
    const CRealPointD l = view.WorldToLogical(p.x, p.y);
    return POINT{static_cast<LONG>(std::trunc(l.x)), static_cast<LONG>(std::trunc(l.y))};
}

} // namespace

CLine::CLine(CShapeHost* control, int id) : CGroup(id, control) { m_shapeType = stLine; }

CLine::CLine(int id, const CLine& source)
    : CGroup(id, source), m_firstArrowType(source.m_firstArrowType), m_secondArrowType(source.m_secondArrowType)
{
    m_shapeType = stLine;
}

double CLine::GetLength() const
{
    if (m_points.GetCount() < 2)
        return 0.0;
    return BulgedSegmentLength(*m_points.GetAt(0), *m_points.GetAt(1), 0.0);
}

int CLine::GetHandlePoints(CRealPoint* points, int capacity)
{
    if (!points)
        return 3;
    if (capacity <= 2 || m_points.GetCount() < 2)
        return 0;
    const CPointRecord* a = m_points.GetAt(0);
    const CPointRecord* b = m_points.GetAt(1);
    points[0] = *a;
    points[1] = *b;
    points[2] = CRealPoint((b->x - a->x) * 0.5f + a->x, (b->y - a->y) * 0.5f + a->y);
    return 3;
}

int CLine::GetNearestPoint(const CRealPoint& point, CRealPoint* nearest)
{
    if (m_points.GetCount() < 2)
        return 0;
    CRealPoint foot;
    ProjectPointOnLine(point, *m_points.GetAt(0), *m_points.GetAt(1), true, &foot);
    if (nearest)
        *nearest = foot;
    return 1;
}

int CLine::AlignPointTo(float x, float y, int* index, CRealPoint* point)
{
    const int result = CGroup::AlignPointTo(x, y, index, point);
    if (result && index && *index == 2)
        *index = -1;
    return result;
}

int CLine::GetClassShapeType() { return CShape::GetClassShapeType(); }

void CLine::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_LineShape;
}

// --- Drawing and hit testing -----------------------------------------------------------------

int CLine::Draw(CDrawContext& context)
{
    if ((context.flags & CDrawContext::dcMarks) || !context.dc || !m_control || m_points.GetCount() < 2)
        return 1;
    HDC dc = context.dc;
    HPEN previous = nullptr;
    SelectDrawPen(context, &previous, nullptr);
    // The closed heads replace their end by their base: the line stops there.
    CRealPoint first = *m_points.GetAt(0);
    CRealPoint second = *m_points.GetAt(1);
    const CRealPoint firstEnd = first, secondEnd = second;
    if (m_firstArrowType)
        DrawArrowHead(context, m_firstArrowType, &first, &secondEnd);
    if (m_secondArrowType)
        DrawArrowHead(context, m_secondArrowType, &second, &firstEnd);
    const CViewMapping& view = ViewOf(context);
    const POINT a = ToLogical(view, first);
    const POINT b = ToLogical(view, second);
    if (IsEditTarget() == 1) {
        const CEditState& edit = m_control->GetEditState();
        const CShape* copy = edit.tracker;
        const int picked = m_control->GetShapeStateMap().GetValue(m_id);
        if (edit.editMode == EDSH_POINT && copy && copy->GetShapeType() == m_shapeType && picked >= 0 &&
            picked < copy->GetPointCount() && picked < 2) {
            // A guide from where the end was to where it is.
            ycom::SelectGuard guide(dc, m_control->GetPenCache().GetPen(1, 0x000000, 0, 1.0, false));
            const POINT from = ToLogical(view, *copy->GetPoints().GetAt(picked));
            const POINT to = ToLogical(view, *m_points.GetAt(picked));
            MoveToEx(dc, from.x, from.y, nullptr);
            LineTo(dc, to.x, to.y);
        }
        MoveToEx(dc, a.x, a.y, nullptr);
        LineTo(dc, b.x, b.y);
    } else if (m_firstArrowType || m_secondArrowType) {
        MoveToEx(dc, a.x, a.y, nullptr);
        LineTo(dc, b.x, b.y);
        DrawMarksIfSelected(context);
    } else {
        // A plain line is one call (no arrow head goes on from where it ends).
        const POINT ends[2] = {a, b};
        Polyline(dc, ends, 2);
        DrawMarksIfSelected(context);
    }
    if (previous)
        SelectObject(dc, previous);
    return 1;
}

BOOL CLine::HitTest(float x, float y)
{
    if (!CShape::HitTest(x, y))
        return FALSE;
    if (SelectsAsUnit() && CGroup::HitTest(x, y))
        return TRUE;
    if (m_points.GetCount() < 2 || !m_control)
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    long t = DoubleToIntClamped(GetDevicePenWidth() * 0.2 / view.LogicalPerPixelX());
    const CRealPoint p1 = *m_points.GetAt(0), p2 = *m_points.GetAt(1);
    if (m_firstArrowType && HitTestArrowHead(x, y, m_firstArrowType, p1, &p2))
        return TRUE;
    if (m_secondArrowType && HitTestArrowHead(x, y, m_secondArrowType, p2, &p1))
        return TRUE;
    const POINT d1 = view.WorldToDevice(p1), d2 = view.WorldToDevice(p2);
    const long x1 = static_cast<long>(d1.x - x), y1 = static_cast<long>(d1.y - y);
    const long x2 = static_cast<long>(d2.x - x), y2 = static_cast<long>(d2.y - y);
    t += 3;
    auto inside = [t](long px, long py) { return -t < px && px < t && -t < py && py < t; };
    if (inside(x1, y1) || inside(x2, y2))
        return TRUE;
    if ((x1 < -t && x2 < -t) || (x1 > t && x2 > t) || (y1 < -t && y2 < -t) || (y1 > t && y2 > t))
        return FALSE;
    const double dx = static_cast<double>(x1) - x2, dy = static_cast<double>(y1) - y2;
    const double length2 = dx * dx + dy * dy;
    // Both ends on one pixel: the line is a point, and the point test above has answered.
    if (length2 == 0.0)
        return FALSE;
    const double cross = static_cast<double>(x1) * y2 - static_cast<double>(x2) * y1;
    return cross * cross / length2 < static_cast<double>(t) * t;
}

// --- Editing ---------------------------------------------------------------------------------

int CLine::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (const int result = CShape::OnEditMouseDown(x, y, selection))
        return result;
    if (!m_control || IsEditTarget() != 1)
        return 0;
    CEditState& edit = m_control->GetEditState();
    if (edit.editMode == EDSH_POINT) {
        EndEdit(true);
        return 1;
    }
    if (edit.editMode != EDSH_NEWPOINT)
        return 1;
    if (m_points.IsEmpty()) {
        const int first = m_control->CreatePoint(x, y);
        if (first <= 0 || AddPointById(first, kAppend, true) != S_OK)
            return 0;
        if (m_control->EventsEnabled()) {
            const int id = m_id;
            const bool proceed = m_control->FireAddPoint(first);
            if (m_control->FindShape(id) != this)
                return 0;
            if (!proceed) {
                RemovePointById(first, false, 0);
                return 1;
            }
        }
        // The second end follows the cursor.
        const int second = m_control->CreatePoint(x, y);
        if (second <= 0 || AddPointById(second, kAppend, true) != S_OK)
            return 0;
    }
    StartEdit(EDSH_POINT, 1, nullptr);
    if (m_control->IsDefaultShapeEnabledFor(stLine))
        EndEdit(true);
    return 1;
}

int CLine::OnEditDrag(float x, float y)
{
    if (!m_control || (IsEditTarget() != 1 && !IsPickedInEditedSelection()))
        return 1;
    CShape::OnEditDrag(x, y);
    const int mode = m_control->GetEditState().editMode;
    if (mode == EDSH_NEWPOINT)
        return 1;
    if (m_points.GetCount() != 2)
        return 0;
    if (mode != EDSH_POINT)
        return 1;
    const DWORD f = GetProtectionFlagsMasked(kProtectionMask);
    const bool width = (f & sdbfWidth) != 0, height = (f & sdbfHeight) != 0;
    const bool aspect = (f & sdbfAspect) != 0, rotation = (f & sdbfRotation) != 0;
    if (((width || height) && aspect) || (width && height) || (width && rotation) || (height && rotation))
        return 1;
    const int picked = m_control->GetShapeStateMap().GetValue(m_id);
    if (picked < 0 || picked > 1)
        return 1;
    CPointRecord* point = m_points.GetAt(picked);
    const CPointRecord* other = m_points.GetAt(1 - picked);
    double dx = static_cast<double>(x) - point->x, dy = static_cast<double>(y) - point->y;
    if (width) {
        dx = 0;
    } else if (height) {
        dy = 0;
    } else if (aspect || rotation) {
        // The end moves along the line: the larger of the two factors holds for both axes.
        const double fx = static_cast<double>(point->x) - other->x, fy = static_cast<double>(point->y) - other->y;
        if (fx == 0.0) {
            dx = 0;
        } else if (fy == 0.0) {
            dy = 0;
        } else {
            const double kx = (point->x + dx - other->x) / fx, ky = (point->y + dy - other->y) / fy;
            const double k = std::fabs(kx) >= std::fabs(ky) ? kx : ky;
            dx = other->x + fx * k - point->x;
            dy = other->y + fy * k - point->y;
        }
    }
    if (dx == 0.0 && dy == 0.0)
        return 1;
    const float ox = point->x, oy = point->y;
    point->x = static_cast<float>(ox + dx);
    point->y = static_cast<float>(oy + dy);
    if (!PropagatePointMove(m_control, nullptr, m_id, point)) {
        point->x = ox;
        point->y = oy;
    }
    SetExtentCached(false);
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}

int CLine::EndEdit(bool commit)
{
    if (commit && m_control && m_control->GetEditState().editMode == EDSH_POINT && m_control->EventsEnabled() &&
        !m_control->IsDefaultShapeEnabledFor(stLine)) {
        // The end just placed is announced; a refusal keeps the edit open.
        const int picked = m_control->GetShapeStateMap().GetValue(m_id);
        if (picked >= 0 && picked < m_points.GetCount() && !m_control->FireAddPoint(m_points.GetAt(picked)->GetPointId()))
            return 0;
    }
    return CShape::EndEdit(commit);
}

// --- DXF -------------------------------------------------------------------------------------

HRESULT CLine::ReadDxf(CDxfFile& dxf)
{
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 10: x1 = static_cast<float>(dxf.GetReal()); break;
        case 20: y1 = static_cast<float>(dxf.GetReal()); break;
        case 11: x2 = static_cast<float>(dxf.GetReal()); break;
        case 21: y2 = static_cast<float>(dxf.GetReal()); break;
        default: break;
        }
    });
    // A drawing whose y grows downwards is turned over, as the polylines are.
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        y1 = -y1;
        y2 = -y2;
    }
    if (m_control) {
        for (const CRealPoint& p : {CRealPoint(x1, y1), CRealPoint(x2, y2)}) {
            const int pointId = m_control->CreatePoint(p.x, p.y);
            if (pointId > 0)
                AddPointById(pointId, kAppend, true);
        }
    }
    return ended;
}

HRESULT CLine::WriteDxf(CDxfFile& dxf)
{
    if (m_points.GetCount() < 2)
        return 0;
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwLine));
    CShape::WriteDxf(dxf);
    const CPointRecord* a = m_points.GetAt(0);
    const CPointRecord* b = m_points.GetAt(1);
    dxf.WriteRealGroup(10, a->x);
    dxf.WriteRealGroup(20, a->y);
    dxf.WriteRealGroup(30, 0.0);
    dxf.WriteRealGroup(11, b->x);
    dxf.WriteRealGroup(21, b->y);
    dxf.WriteRealGroup(31, 0.0);
    WriteXData(dxf);
    for (CShape* child : std::vector<CShape*>(m_children))
        child->WriteDxf(dxf);
    return 1;
}

// --- Database and record tables ------------------------------------------------------------------

HRESULT CLine::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    const int before = m_databaseId;
    // The Shapes row and the points (a line has no GroupShapes row).
    HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK || m_databaseId < 1)
        return hr;
    const bool arrows = m_firstArrowType != 0 || m_secondArrowType != 0;
    const SqlRaw first = SqlOptionalId(m_firstArrowType);
    const SqlRaw second = SqlOptionalId(m_secondArrowType);
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    // Arrows taken away are stored too (both NULL).
    return SaveKindRow(session, before >= 1, arrows, ShapeKindSql::UpdateLine, {first, second, m_databaseId},
                       ShapeKindSql::InsertLine, {m_databaseId, scenario, first, second});
}

HRESULT CLine::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CLinesTable* lines = tables->Lines();
    if (!lines)
        return S_FALSE;
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (mode & DXFMODE_LOAD) {
        if (const CLinesRecord* record = lines->FindRecord(key)) {
            SetFirstArrowType(record->FirstArrowTypeID);
            SetSecondArrowType(record->SecondArrowTypeID);
        }
        return hr;
    }
    if (m_firstArrowType == 0 && m_secondArrowType == 0 && !(mode & DXFMODE_PROCESS_TREE_ONLY))
        return hr;
    if (!(m_state & stPersistent))
        return S_FALSE;
    CLinesRecord record;
    record.ShapeID = key;
    record.DatabaseID = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) ? m_databaseId : 0;
    record.FirstArrowTypeID = m_firstArrowType;
    record.SecondArrowTypeID = m_secondArrowType;
    lines->Put(record);
    return hr;
}
