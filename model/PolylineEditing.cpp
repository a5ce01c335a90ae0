// A polyline in the control's interactive editing: created point by point (rectangles from one
// press), points inserted into an existing outline, points dragged (orthogonal outlines and
// rectangles keep their right angles, Bezier anchors carry their control points), and an open
// outline closed by dropping its end point onto its start.
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ViewMapping.h"
#include "model/Geometry.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// A control point this close to its anchor (device pixels, both directions) is the one a press
// on the anchor pulls out.
const int kControlPickPixels = 9;
// A free-hand stroke takes a new point once the cursor is this far (pixels) beyond the pen.
const double kStrokeStepPixels = 18.0;

} // namespace

// --- Helpers ---------------------------------------------------------------------------------

bool CPolyline::PassesClosingTest(int index)
{
    const int count = m_points.GetCount();
    if (!m_control || count < 2 || (index != 0 && index != count - 1))
        return false;
    const int opposite = index == 0 ? count - 1 : 0;
    double width = m_defEndWidth;
    if (static_cast<size_t>(opposite) < m_vertices.size() && m_vertices[static_cast<size_t>(opposite)].endWidth >= 0)
        width = m_vertices[static_cast<size_t>(opposite)].endWidth;
    const double limit = PenWidthToDevice(width) / m_control->GetCurrentViewport().LogicalPerPixelX() + 3.0;
    const CPointRecord* a = m_points.GetAt(index);
    const CPointRecord* b = m_points.GetAt(opposite);
    SIZE size;
    WorldToDeviceSize(&size, b->x - a->x, b->y - a->y);
    return size.cx <= limit && size.cy <= limit;
}

int CPolyline::AddPoolPoint(float x, float y, int index, int* pointId)
{
    if (!m_control)
        return -1;
    const int id = m_control->CreatePoint(x, y);
    if (id <= 0)
        return -1;
    const int count = m_points.GetCount();
    if (index < 0 || index > count)
        index = count;
    if (AddPointById(id, index, true) != S_OK) {
        m_control->GetPointPool().DeletePoint(id, -100);
        return -1;
    }
    if (pointId)
        *pointId = id;
    return index;
}

void CPolyline::AfterDragStep()
{
    if (!m_control)
        return;
    if (m_dragRedrawCount > 0) {
        --m_dragRedrawCount;
        m_control->RequestRedraw(rfRedrawShape, this);
    } else {
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, nullptr);
    }
}

void CPolyline::MovePointSnapped(CRealPoint& point, int index, bool ortho)
{
    // The polyline's own points, not the members of a group.
    CShape::MovePointSnapped(point, index, ortho);
}

// --- StartEdit -------------------------------------------------------------------------------

int CPolyline::StartEdit(int mode, int pickedIndex, const CRealPoint* start)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    edit.editStepFlags = 0;
    const bool events = m_control->EventsEnabled();
    const CShape* prototype = m_control->GetDefaultShape(m_shapeType);
    const bool prototypeRules =
        events && m_control->IsDefaultShapeEnabledFor(m_shapeType) && prototype && prototype->GetPointCount() > 0;
    int count = m_points.GetCount();

    if (mode == EDSH_NEWPOINT && count > 0 && !prototypeRules) {
        // A point is put in at the index; it follows the cursor until the next press.
        int index = std::max(0, std::min(pickedIndex, count));
        const CRealPoint at = *m_points.GetAt(index == count ? count - 1 : index);
        int id = 0;
        const int placed = AddPoolPoint(at.x, at.y, index, &id);
        if (placed >= 0) {
            RecordPointForUndo(kUndoPointAdded, m_points.GetAt(placed));
            pickedIndex = placed;
            if (IsBezier()) {
                // The new anchor comes with its two control points, in front of it.
                for (int k = 0; k < 2; ++k) {
                    CVertexRecord* vertex = AddNewVertex(placed, at.x, at.y, 0.0f, kByBlockColour, kByBlockLineType,
                                                         nullptr, -1.0f, -1.0f, 0, 0, 0);
                    if (vertex)
                        RecordPointForUndo(kUndoPointAdded, vertex->GetPoint());
                }
                pickedIndex = placed + 2;
            }
        }
    } else if (mode == EDSH_POINT && IsBezier() && pickedIndex % 3 == 0 && pickedIndex < count - 1 && count > 3 &&
               !events) {
        // A control point that sits on its anchor is pulled out by a press on the anchor.
        const CPointRecord* anchor = m_points.GetAt(pickedIndex);
        const int before = pickedIndex > 0 ? pickedIndex - 1 : (IsClosed() ? count - 1 : -1);
        for (int candidate : {before, pickedIndex + 1}) {
            if (candidate < 0 || candidate >= count)
                continue;
            const CPointRecord* control = m_points.GetAt(candidate);
            SIZE size;
            WorldToDeviceSize(&size, control->x - anchor->x, control->y - anchor->y);
            if (size.cx < kControlPickPixels && size.cy < kControlPickPixels) {
                pickedIndex = candidate;
                break;
            }
        }
    }
    count = m_points.GetCount();
    CShapeRecorder* recorder = m_control->GetUndoRecorder();
    // The points the drag may move are recorded whether or not the host hears each point: an
    // undo of the drag must bring them back either way.
    if (mode == EDSH_POINT && recorder && pickedIndex >= 0 && pickedIndex < count && m_id != WINDOW_ID) {
        if (m_shapeType == stRectangle && pickedIndex < 4) {
            for (int i = 0; i < count && i < 4; ++i)
                if (std::abs(i - pickedIndex) != 2)
                    RecordPointForUndo(kUndoPointChanged, m_points.GetAt(i));
        } else {
            RecordPointForUndo(kUndoPointChanged, m_points.GetAt(pickedIndex));
            if ((IsBezier() && pickedIndex % 3 == 0) || IsOrtho()) {
                int previous = -1, next = -1;
                GetNeighbourIndices(pickedIndex, &previous, &next);
                for (int i : {previous, next})
                    if (i >= 0 && i < count)
                        RecordPointForUndo(kUndoPointChanged, m_points.GetAt(i));
            }
        }
    }
    return CShape::StartEdit(mode, pickedIndex, start);
}

// --- Press -----------------------------------------------------------------------------------

int CPolyline::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (CShape::OnEditMouseDown(x, y, selection))
        return 1;
    if (!m_control || IsEditTarget() != 1)
        return 0;
    CEditState& edit = m_control->GetEditState();
    const bool events = m_control->EventsEnabled();
    const int id = m_id;
    auto stillThere = [this, id]() { return m_control->FindShape(id) == this; };
    // Fires OnAddPoint for a point now in the polyline: false when the press ends here (the
    // shape went away, or the host refused the point, which then goes again).
    auto announce = [&](int pointId, int* result) {
        if (!events)
            return true;
        const bool proceed = m_control->FireAddPoint(pointId);
        if (!stillThere()) {
            *result = 0;
            return false;
        }
        if (!proceed) {
            RemovePointById(pointId, false, 1);
            *result = 1;
            return false;
        }
        return true;
    };

    if (edit.editMode == EDSH_POINT) {
        const int picked = GetPickedIndex();
        if (!IsClosed() && m_points.GetCount() > 2 && PassesClosingTest(picked)) {
            // The end dropped onto the start closes the outline; the doubled point goes.
            if (!events)
                RecordShapeForUndo(kUndoShapeChanged);
            m_flags |= pfClosed;
            RemovePointById(m_points.GetAt(m_points.GetCount() - 1)->GetPointId(), false, 0);
            if (IsBezier())
                SmoothBezierKnot(0, 0);
            EndEdit(true);
            return 1;
        }
        EndEdit(true);
        return 1;
    }
    if (edit.editMode != EDSH_NEWPOINT)
        return 1;

    int result = 1;
    if (m_points.IsEmpty()) {
        int pointId = 0;
        if (AddPoolPoint(x, y, -1, &pointId) < 0)
            return 0;
        if (!announce(pointId, &result))
            return result;
        RecordPointForUndo(kUndoPointAdded, m_points.GetAt(0));
        if ((m_flags & pfRectangle) || (IsClosed() && IsOrtho())) {
            // Two more corners, to be dragged into place.
            for (int k = 1; k <= 2; ++k) {
                if (AddPoolPoint(x + 2 - k, y + 1 - k, -1, &pointId) < 0)
                    return 0;
                if (!announce(pointId, &result))
                    return result;
                RecordPointForUndo(kUndoPointAdded, m_points.GetAt(m_points.GetCount() - 1));
            }
            SetPickedIndex(2);
            if (m_flags & pfRectangle)
                edit.editMode = EDSH_POINT;
            return 1;
        }
        // The point that follows the cursor from now on (on a curve behind two control points).
        const int added = IsBezier() ? 3 : 1;
        for (int k = 0; k < added; ++k)
            if (AddPoolPoint(x, y, -1, &pointId) < 0)
                return 0;
        SetPickedIndex(added);
        return 1;
    }

    const int count = m_points.GetCount();
    int picked = std::max(0, std::min(GetPickedIndex(), count - 1));
    SetPickedIndex(picked);
    const CShape* prototype = m_control->GetDefaultShape(m_shapeType);
    const bool defaults = m_control->IsDefaultShapeEnabledFor(m_shapeType);
    if ((!defaults || prototype == this) && count > 2 && !IsClosed() && PassesClosingTest(picked)) {
        if (!events)
            RecordShapeForUndo(kUndoShapeChanged);
        m_flags |= pfClosed;
        if (IsBezier()) {
            CPointRecord* floating = m_points.GetAt(picked);
            const int floatingId = floating->GetPointId();
            RemovePointById(floatingId, false, 1);
            SmoothBezierKnot(0, 0);
            int id2 = floatingId;
            if (m_control->GetPointPool().AddPoint(0.0f, 0.0f, &id2))
                AddPointById(id2, kAppend, true);
        }
        EndEdit(true);
        return 1;
    }
    if (IsBezier()) {
        const int neighbours[2] = {picked == 0 ? 1 : picked - 1, picked == 0 ? 2 : (picked == count - 1 ? picked - 2 : picked + 1)};
        for (int n : neighbours)
            if (n >= 0 && n < m_points.GetCount() && !announce(m_points.GetAt(n)->GetPointId(), &result))
                return result;
    }
    if (CanEditOrthoAt(-1)) {
        // An orthogonal outline turns the corner with an extra point.
        int pointId = 0;
        if (AddPoolPoint(x, y, picked + 1, &pointId) >= 0 && picked != 0)
            SetPickedIndex(++picked);
    }
    if (!announce(m_points.GetAt(std::min(picked, m_points.GetCount() - 1))->GetPointId(), &result))
        return result;
    if (defaults && events && prototype && prototype->GetPointCount() > 0) {
        edit.editMode = EDSH_POINT;
        EndEdit(true);
        return 1;
    }
    // The next point that follows the cursor, from the press on.
    const int added = IsBezier() ? 3 : 1;
    int pointId = 0;
    for (int k = 0; k < added; ++k) {
        if (AddPoolPoint(x, y, picked + 1 + k, &pointId) < 0)
            break;
        if (!events)
            RecordPointForUndo(kUndoPointAdded, m_points.GetAt(picked + 1 + k));
    }
    SetPickedIndex(picked + added);
    if (m_points.GetCount() >= 3 && (edit.editStepFlags & 0x2))
        EndEdit(true);
    return 1;
}

int CPolyline::OnEditMouseUp(float, float) { return 0; }

// --- Drag ------------------------------------------------------------------------------------

int CPolyline::DragPickedPoint(int index, float x, float y)
{
    CPointRecord* point = m_points.GetAt(index);
    if (!point)
        return 0;
    CRealPoint target(x, y);
    CShape::MovePointSnapped(target, index, false);
    // The locks act on the bounding rectangle of the points in the outline's own frame.
    const double angle = (m_flags & pfRectangle) || IsOrtho() ? GetRectangleAngle(-1) : 0.0;
    const DWORD locks = GetProtectionFlagsMasked(0xFE0);
    if ((locks & (sdbfWidth | sdbfHeight | sdbfAspect)) && (!IsBezier() || index % 3 == 0)) {
        double l = 0, r = 0, b = 0, t = 0;
        bool any = false;
        for (CPointRecord* p : m_points) {
            const CRealPointD q = TurnVector(p->x, p->y, -angle);
            if (!any) {
                l = r = q.x;
                b = t = q.y;
                any = true;
            }
            l = std::min(l, q.x);
            r = std::max(r, q.x);
            b = std::min(b, q.y);
            t = std::max(t, q.y);
        }
        const CRealPointD at = TurnVector(point->x, point->y, -angle);
        CRealPointD to = TurnVector(target.x, target.y, -angle);
        const bool onVertical = at.x == l || at.x == r;
        const bool onHorizontal = at.y == b || at.y == t;
        const bool widthLocked = (locks & sdbfWidth) || ((locks & sdbfHeight) && (locks & sdbfAspect));
        const bool heightLocked = (locks & sdbfHeight) || ((locks & sdbfWidth) && (locks & sdbfAspect));
        if (widthLocked && onVertical)
            to.x = at.x;
        if (heightLocked && onHorizontal)
            to.y = at.y;
        if ((locks & sdbfAspect) && !(locks & (sdbfWidth | sdbfHeight)) && onVertical && onHorizontal && r > l &&
            t > b) {
            // A corner keeps the proportions: it moves along the diagonal.
            const double fx = at.x == l ? r : l, fy = at.y == b ? t : b;
            const double kx = (to.x - fx) / (at.x - fx), ky = (to.y - fy) / (at.y - fy);
            const double k = std::fabs(kx) > std::fabs(ky) ? kx : ky;
            to = CRealPointD(fx + (at.x - fx) * k, fy + (at.y - fy) * k);
        }
        const CRealPointD back = TurnVector(to.x, to.y, angle);
        target = CRealPoint(static_cast<float>(back.x), static_cast<float>(back.y));
    }
    const CRealPoint old = *point;
    const double dx = static_cast<double>(target.x) - old.x, dy = static_cast<double>(target.y) - old.y;
    if (dx == 0.0 && dy == 0.0)
        return 1;
    // The neighbours of an orthogonal outline, as they meet the point before it moves.
    std::vector<OrthoNeighbour> neighbours;
    if (IsOrtho() && !(m_flags & pfRectangle)) {
        for (bool backwards : {true, false}) {
            OrthoNeighbour info;
            if (GetOrthoNeighbour(index, backwards, angle, &info))
                neighbours.push_back(info);
        }
    }
    std::set<int> visited;
    if (!MovePoint(point, target.x, target.y, &visited))
        return 0;
    const int count = m_points.GetCount();
    if (m_flags & pfRectangle) {
        if (count == 3) {
            // A rectangle being drawn gets its fourth corner with the first drag.
            int id = 0;
            AddPoolPoint(old.x, old.y, -1, &id);
        }
        if (m_points.GetCount() == 4) {
            // The opposite corner stays; the two others take one coordinate each of the dragged
            // one, in the rectangle's frame.
            const int opposite = (index + 2) % 4;
            const CRealPointD o = TurnVector(m_points.GetAt(opposite)->x, m_points.GetAt(opposite)->y, -angle);
            const CRealPointD c = TurnVector(target.x, target.y, -angle);
            const int neighbours[2] = {(index + 1) % 4, (index + 3) % 4};
            const CRealPointD n1 = TurnVector(m_points.GetAt(neighbours[0])->x, m_points.GetAt(neighbours[0])->y, -angle);
            // The neighbour that shared the dragged corner's x before keeps sharing it.
            const CRealPointD d0 = TurnVector(old.x, old.y, -angle);
            const bool firstSharesX = std::fabs(n1.x - d0.x) <= std::fabs(n1.y - d0.y);
            const CRealPointD a = firstSharesX ? CRealPointD(c.x, o.y) : CRealPointD(o.x, c.y);
            const CRealPointD b = firstSharesX ? CRealPointD(o.x, c.y) : CRealPointD(c.x, o.y);
            const CRealPointD wa = TurnVector(a.x, a.y, angle), wb = TurnVector(b.x, b.y, angle);
            MovePoint(m_points.GetAt(neighbours[0]), static_cast<float>(wa.x), static_cast<float>(wa.y), &visited);
            MovePoint(m_points.GetAt(neighbours[1]), static_cast<float>(wb.x), static_cast<float>(wb.y), &visited);
        }
    } else if (!neighbours.empty()) {
        for (const OrthoNeighbour& info : neighbours)
            MoveOrthoNeighbour(target, &visited, info);
    } else if (IsBezier() && index % 3 == 0) {
        // An anchor carries its control points.
        for (int k : {index - 1, index + 1}) {
            int at = k;
            if (at < 0 && IsClosed())
                at = count - 1;
            if (at < 0 || at >= count || at == index)
                continue;
            CPointRecord* control = m_points.GetAt(at);
            MovePoint(control, static_cast<float>(control->x + dx), static_cast<float>(control->y + dy), &visited);
        }
    }
    SetExtentCached(false);
    return 1;
}

int CPolyline::OnEditDrag(float x, float y)
{
    CShape::OnEditDrag(x, y);
    if (!m_control || (IsEditTarget() != 1 && !IsPickedInEditedSelection()) || m_points.IsEmpty())
        return 0;
    CEditState& edit = m_control->GetEditState();
    const bool events = m_control->EventsEnabled();
    const CShape* prototype = m_control->GetDefaultShape(m_shapeType);
    if (events && m_control->IsDefaultShapeEnabledFor(m_shapeType) && prototype && prototype != this &&
        prototype->GetPointCount() > 0)
        return 0;
    int picked = GetPickedIndex();
    const int count = m_points.GetCount();
    if (picked < 0 || picked >= count || (edit.editMode != EDSH_POINT && edit.editMode != EDSH_NEWPOINT))
        return 0;

    if (edit.editMode == EDSH_NEWPOINT && (edit.editStepFlags & 0x2)) {
        // A free-hand stroke: a plain outline that takes a point every few pixels.
        m_flags &= 0xCFFE;
        const CViewMapping& view = m_control->GetCurrentViewport();
        const CPointRecord* before = m_points.GetAt(picked > 0 ? picked - 1 : 0);
        const double px = view.WorldToPixelsX(static_cast<double>(x) - before->x);
        const double py = view.WorldToPixelsY(static_cast<double>(y) - before->y);
        const double reach = GetDevicePenWidth() / view.LogicalPerPixelX() + kStrokeStepPixels;
        if (px * px + py * py > reach * reach) {
            if (m_points.GetCount() >= 4 && !IsClosed() && PassesClosingTest(picked)) {
                m_flags |= pfClosed;
                EndEdit(true);
                AfterDragStep();
                return 1;
            }
            if (events) {
                const int id = m_id;
                const bool proceed = m_control->FireAddPoint(m_points.GetAt(picked)->GetPointId());
                if (m_control->FindShape(id) != this)
                    return 0;
                if (!proceed) {
                    RemovePointById(m_points.GetAt(m_points.GetCount() - 1)->GetPointId(), false, 1);
                    return 1;
                }
            }
            int pointId = 0;
            if (AddPoolPoint(x, y, picked + 1, &pointId) >= 0)
                SetPickedIndex(picked + 1);
            AfterDragStep();
            return 1;
        }
    }

    const CPointRecord* point = m_points.GetAt(picked);
    float tx = x, ty = y;
    if (IsOrtho() && !IsClosed() && count == 3 && picked == 1 && !(m_flags & pfRectangle)) {
        // The corner of an L keeps the axis on which it strays less from the first point.
        const CPointRecord* first = m_points.GetAt(0);
        const double dx = static_cast<double>(x) - point->x, dy = static_cast<double>(y) - point->y;
        if (std::fabs(dx - (first->x - point->x)) < std::fabs(dy - (first->y - point->y)))
            tx = first->x;
        else
            ty = first->y;
        std::set<int> visited;
        MovePoint(m_points.GetAt(1), tx, ty, &visited);
        const CPointRecord* corner = m_points.GetAt(1);
        CPointRecord* last = m_points.GetAt(2);
        const bool sharesX = corner->x == first->x;
        MovePoint(last, sharesX ? x : corner->x, sharesX ? corner->y : y, &visited);
    } else {
        DragPickedPoint(picked, tx, ty);
    }
    AfterDragStep();
    return 1;
}

// --- End -------------------------------------------------------------------------------------

int CPolyline::EndEdit(bool commit)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    if (!commit)
        return CShape::EndEdit(false);
    if (edit.editMode == EDSH_NEWPOINT && IsEditedByControl()) {
        if (m_points.GetCount() < 2)
            return 0;
        const int removed = RemoveDuplicatePoints();
        int picked = std::max(0, std::min(GetPickedIndex(), m_points.GetCount() - 1));
        if (removed && (edit.editStepFlags & 0x1)) {
            if (IsBezier())
                SmoothBezierKnot(picked - picked % 3, 0);
        } else if (m_points.GetCount() > 1) {
            // The point that followed the cursor goes.
            const int count = m_points.GetCount();
            if (CanEditOrthoAt(picked) && ((picked > 0 && picked < count - 1) || IsClosed())) {
                const int neighbour = picked == 0 ? 1 : picked - 1;
                if (RemoveBezierPoint(m_points.GetAt(neighbour)->GetPointId(), false, 1) && neighbour < picked)
                    --picked;
            }
            picked = std::max(0, std::min(picked, m_points.GetCount() - 1));
            if (RemoveBezierPoint(m_points.GetAt(picked)->GetPointId(), false, 1)) {
                picked = std::max(0, std::min(picked, m_points.GetCount() - 1));
                if (IsBezier())
                    SmoothBezierKnot(picked - picked % 3, 0);
                else if (IsOrtho() && !m_points.IsEmpty())
                    DragPickedPoint(picked, m_points.GetAt(picked)->x, m_points.GetAt(picked)->y);
            }
        }
        if (edit.editStepFlags & 0x2) {
            Simplify(0.0);
            const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
            if (!setting || setting->SplineFreeHand)
                ToBezier();
        }
        // The outline is complete: the control may now commit the edit.
        edit.editMode = EDSH_POINT;
        SetPickedIndex(-1);
    }
    return CShape::EndEdit(true);
}
