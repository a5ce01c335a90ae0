// Transforms, protections, point alignment and the interactive editing hooks of CShape.
#include "model/Shape.h"
#include "automation/ResultCodes.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/PointPool.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }

struct ScaleArgs
{
    float xc, yc, kx, ky;
};
struct RotateArgs
{
    float xc, yc;
    double degrees;
};

void ApplyShift(CPointRecord& p, const void* arg)
{
    const float* d = static_cast<const float*>(arg);
    p.x += d[0];
    p.y += d[1];
}

void ApplyScale(CPointRecord& p, const void* arg)
{
    const ScaleArgs* a = static_cast<const ScaleArgs*>(arg);
    p.x = static_cast<float>((static_cast<double>(p.x) - a->xc) * a->kx + a->xc);
    p.y = static_cast<float>((static_cast<double>(p.y) - a->yc) * a->ky + a->yc);
}

void ApplyRotate(CPointRecord& p, const void* arg)
{
    const RotateArgs* a = static_cast<const RotateArgs*>(arg);
    p.RotateDegrees(a->xc, a->yc, a->degrees);
}

void ApplyMirrorX(CPointRecord& p, const void* arg) { p.MirrorX(*static_cast<const float*>(arg)); }

void ApplyMirrorY(CPointRecord& p, const void* arg) { p.MirrorY(*static_cast<const float*>(arg)); }
} // namespace

// --- Protection ---------------------------------------------------------------------------

int CShape::MovePointProtected(int index, float x, float y, DWORD* axisMask)
{
    const DWORD f = m_protectionFlags;
    if (!(f & 0x3E0) || m_points.IsEmpty())
        return 0;
    DWORD local = 3;
    DWORD& mask = axisMask ? *axisMask : local;
    if (f & sdbfXpos)
        mask &= ~static_cast<DWORD>(1);
    if (f & sdbfYpos)
        mask &= ~static_cast<DWORD>(2);
    if (!(mask & 3))
        return 1;
    if (!IsPolylineFamily(m_shapeType))
        return 0;
    CRealRect r0;
    if (FAILED(GetBoundingRectEx(&r0.left, &r0.top, &r0.right, &r0.bottom, nullptr, 0)))
        return 0;
    CRealRect r1 = r0;
    if (index < 0 || index >= m_points.GetCount()) {
        // A point behind the last (or any index the list does not hold) is judged as a new
        // point at (x, y).
        r1.left = std::fmin(r1.left, x);
        r1.right = std::fmax(r1.right, x);
        r1.top = std::fmax(r1.top, y);
        r1.bottom = std::fmin(r1.bottom, y);
    } else {
        CPointRecord* point = m_points.GetAt(index);
        const float ox = point->x, oy = point->y;
        if (mask & 1)
            point->x = x;
        if (mask & 2)
            point->y = y;
        GetBoundingRectEx(&r1.left, &r1.top, &r1.right, &r1.bottom, nullptr, 0);
        point->x = ox;
        point->y = oy;
    }
    const float w0 = r0.right - r0.left, h0 = r0.top - r0.bottom;
    const float w1 = r1.right - r1.left, h1 = r1.top - r1.bottom;
    if ((f & sdbfWidth) && w1 != w0)
        return 1;
    if ((f & sdbfHeight) && h1 != h0)
        return 1;
    if ((f & sdbfAspect) && r1.AspectRatio() != r0.AspectRatio())
        return 1;
    return 0;
}

int CShape::ApplyScaleProtection(float* kx, float* ky) const
{
    const DWORD f = m_protectionFlags;
    const bool w = (f & sdbfWidth) != 0, h = (f & sdbfHeight) != 0, a = (f & sdbfAspect) != 0;
    if (!w && !h && !a)
        return 0;
    if ((a && (w || h)) || (w && h))
        return 1;
    if (h)
        *ky = *ky < 0 ? -1.0f : 1.0f;
    if (w)
        *kx = *kx < 0 ? -1.0f : 1.0f;
    if ((h && *kx == 1.0f) || (w && *ky == 1.0f))
        return 1;
    if (a) {
        if ((std::fabs(*ky) < std::fabs(*kx) && *kx != 1.0f) || *ky == 1.0f)
            *ky = *kx;
        else
            *kx = *ky;
    }
    return (*kx == 1.0f && *ky == 1.0f) ? 1 : 0;
}

int CShape::ApplyMoveProtection(float* dx, float* dy) const
{
    const DWORD f = m_protectionFlags;
    if (!(f & (sdbfXpos | sdbfYpos)))
        return 0;
    // The control may move its edit target past the locks.
    if (m_control && m_control->GetEditState().editedShape == this && (m_control->GetEditState().editFlags & 1))
        return 0;
    if (f & sdbfXpos)
        *dx = 0;
    if (f & sdbfYpos)
        *dy = 0;
    return (*dx == 0 && *dy == 0) ? 1 : 0;
}

bool CShape::IsRotationProtected() const { return (m_protectionFlags & sdbfRotation) != 0; }

bool CShape::IsRotationRefused(double angle) const { return IsRotationProtected() && angle != 0.0; }

CShape* CShape::FindPrototype() const { return m_control ? m_control->GetDefaultShape(m_shapeType) : nullptr; }

// --- Transforms -------------------------------------------------------------------------

void CShape::TransformList(const CShapePointList& list, std::set<int>* visited, int, PointChange change,
                           const void* arg)
{
    const auto move = [&](CPointRecord* point) {
        const int pointId = point->GetPointId();
        if (visited && visited->count(pointId))
            return;
        const float ox = point->x, oy = point->y;
        change(*point, arg);
        // The other users of the point follow; when one refuses, the point stays where it was.
        if (!PropagatePointMove(m_control, nullptr, m_id, point)) {
            point->x = ox;
            point->y = oy;
        }
        if (visited)
            visited->insert(pointId);
    };
    // Another user of a point, told of its move, may change this list: the loop then walks a
    // copy. Points that only this shape uses tell no one, and move in place.
    const auto shared = [this](const CPointRecord* point) { return point->GetOwners().HasOtherThan(m_id); };
    if (std::none_of(list.begin(), list.end(), shared)) {
        for (CPointRecord* point : list)
            move(point);
        return;
    }
    const std::vector<CPointRecord*> points(list.begin(), list.end());
    for (CPointRecord* point : points)
        move(point);
}

void CShape::TransformPoints(std::set<int>* visited, int operation, PointChange change, const void* arg)
{
    TransformList(m_points, visited, operation, change, arg);
    TransformList(m_linkedPoints, visited, operation, change, arg);
    SetExtentCached(false);
}

int CShape::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    // Whole turns change nothing.
    const double turns = std::trunc(degrees * 0.0027777778f) * 360.0;
    if (degrees - turns == 0.0)
        return 1;
    if (!force && IsRotationRefused(degrees))
        return 0;
    const RotateArgs args = {xc, yc, degrees};
    TransformPoints(visited, 3, ApplyRotate, &args);
    return 1;
}

bool CShape::FlipAxis(const float* given, bool vertical, float* axis)
{
    if (given) {
        *axis = *given;
        return true;
    }
    float l, t, r, b;
    if (FAILED(GetBoundingRect(&l, &t, &r, &b)))
        return false;
    *axis = vertical ? (t + b) / 2 : (l + r) / 2;
    return true;
}

int CShape::FlipVertical(std::set<int>* visited, const float* axisY)
{
    float axis;
    if (!FlipAxis(axisY, true, &axis))
        return 0;
    if (IsRotationProtected())
        return 0;
    TransformPoints(visited, 0, ApplyMirrorY, &axis);
    return 1;
}

int CShape::FlipHorizontal(std::set<int>* visited, const float* axisX)
{
    float axis;
    if (!FlipAxis(axisX, false, &axis))
        return 0;
    if (IsRotationProtected())
        return 0;
    TransformPoints(visited, 0, ApplyMirrorX, &axis);
    return 1;
}

HRESULT CShape::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    float ax = kx, ay = ky;
    const int refused = force ? 0 : ApplyScaleProtection(&ax, &ay);
    // The points already moved by this operation before this shape; the compensating move below
    // (only where a lock held) must still move the ones scaled here.
    const bool compensate = refused || ax != kx || ay != ky;
    std::set<int> before;
    if (visited && compensate)
        before = *visited;

    // The reference point, taken before the points change.
    CRealPoint reference;
    bool haveReference = false;
    if (m_points.GetCount() == 1) {
        reference = *m_points.GetAt(0);
        haveReference = true;
    } else {
        float l, t, r, b;
        if (SUCCEEDED(GetBoundingRect(&l, &t, &r, &b))) {
            reference = CRealPoint((l + r) * 0.5f, (t + b) * 0.5f);
            haveReference = true;
        }
    }

    HRESULT result = E_ACCESSDENIED;
    if (!refused) {
        const ScaleArgs args = {xc, yc, ax, ay};
        TransformPoints(visited, 2, ApplyScale, &args);
        const float k = std::fmin(std::fabs(kx), std::fabs(ky));
        if (GetDevicePenWidth() != 0)
            SetPenWeight(GetPenWeight() * k);
        m_hatchPatternScale *= k;
        result = S_OK;
    }
    if (compensate) {
        // Where a locked axis could not scale, the shape still moves as scaling would have moved
        // its reference point.
        if (!haveReference)
            return result;
        float dx = static_cast<float>((static_cast<double>(reference.x) - xc) * kx + xc - reference.x);
        float dy = static_cast<float>((static_cast<double>(reference.y) - yc) * ky + yc - reference.y);
        if (!refused && ax == kx)
            dx = 0;
        if (!refused && ay == ky)
            dy = 0;
        std::set<int> shiftVisited = before;
        const HRESULT shifted = CShape::Shift(dx, dy, &shiftVisited, false);
        if (visited)
            visited->insert(shiftVisited.begin(), shiftVisited.end());
        result = (SUCCEEDED(shifted) || result == S_OK) ? S_OK : E_ACCESSDENIED;
    }
    return result;
}

HRESULT CShape::Shift(float dx, float dy, std::set<int>* visited, bool force)
{
    if (!force && ApplyMoveProtection(&dx, &dy))
        return E_ACCESSDENIED;
    const float d[2] = {dx, dy};
    TransformPoints(visited, 1, ApplyShift, d);
    return S_OK;
}

HRESULT CShape::GetAlignedPosition(float* x, float* y, int mode)
{
    if (!x || !y)
        return E_POINTER;
    switch (mode) {
    case kBaseAtPoint:
    case kBaseUndoShift:
    case kBaseAtPickPoint: break;
    case kBaseAtLeftTop:
    case kBaseAtLeftBottom:
    case kBaseAtRightTop:
    case kBaseAtRightBottom:
    case kBaseAtCentre:
    case kBaseAtDefaultCorner: {
        float left = 0, top = 0, right = 0, bottom = 0;
        const HRESULT hr = GetBoundingRect(&left, &top, &right, &bottom);
        if (FAILED(hr))
            return hr;
        const bool leftSide = mode == kBaseAtLeftTop || mode == kBaseAtLeftBottom || mode == kBaseAtDefaultCorner;
        const bool topSide = mode == kBaseAtLeftTop || mode == kBaseAtRightTop || mode == kBaseAtDefaultCorner;
        if (mode == kBaseAtCentre) {
            *x = (left + right) * 0.5f;
            *y = (top + bottom) * 0.5f;
        } else {
            *x = leftSide ? std::fmin(left, right) : std::fmax(left, right);
            *y = topSide ? std::fmax(top, bottom) : std::fmin(top, bottom);
        }
        break;
    }
    default: return E_INVALIDARG;
    }
    const float dx = -*x, dy = -*y;
    if (mode != kBaseUndoShift) {
        // The contents move as one, or not at all: a shape whose position is locked on either
        // axis keeps its base point (the undo of a move goes through).
        float tx = dx, ty = dy;
        if (ApplyMoveProtection(&tx, &ty) || tx != dx || ty != dy)
            return E_ACCESSDENIED;
    }
    // Every member moves, whatever its own locks: the drawing inside the block stays as it was,
    // only its origin changes.
    return Shift(dx, dy, nullptr, true);
}

// --- Point alignment ---------------------------------------------------------------------

HRESULT CShape::AlignPoint(int pointId, int pointShapeId, int alignment)
{
    if (alignment == paNone)
        return S_OK;
    if (!m_control)
        return E_FAIL;
    CPointRecord* point = m_control->GetPointPool().Find(pointId);
    if (!point)
        return m_control->ReportError("Wrong identifier.");
    const bool rectModes = alignment == paBoundingRectIntersection || alignment == paBoundingRectCorner ||
                           alignment == paBoundingRectLineCenter;
    CShape* other = nullptr;
    if (rectModes && pointShapeId >= 1) {
        other = m_control->FindShape(pointShapeId);
        if (!other || other->GetPoints().IndexOf(pointId) < 0)
            return m_control->ReportError("Wrong identifier.");
        if (other->GetShapeType() != stLine && !IsPolylineFamily(other->GetShapeType()))
            return m_control->ReportError("Wrong shape type.");
    }
    if (!rectModes)
        return 1; // the kinds align to their own outlines
    float l, t, r, b;
    if (FAILED(GetBoundingRect(&l, &t, &r, &b)))
        return E_FAIL;
    const CRealPoint corners[5] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
    CRealPoint target;
    if (alignment == paBoundingRectIntersection) {
        if (!other || other->GetPoints().IsEmpty())
            return 1;
        const CRealPoint start = *other->GetPoints().GetAt(0);
        if (!IntersectSegmentWithPolyline(corners, 5, start, *point, &target))
            return 1;
    } else {
        CRealPoint candidates[4];
        for (int i = 0; i < 4; ++i)
            candidates[i] = alignment == paBoundingRectCorner
                                ? corners[i]
                                : CRealPoint((corners[i].x + corners[i + 1].x) * 0.5f,
                                             (corners[i].y + corners[i + 1].y) * 0.5f);
        double best = -1;
        for (const CRealPoint& c : candidates) {
            const double dx = static_cast<double>(c.x) - point->x, dy = static_cast<double>(c.y) - point->y;
            const double d = dx * dx + dy * dy;
            if (best < 0 || d <= best) { // the later of equals wins
                best = d;
                target = c;
            }
        }
    }
    CShapeRecorder* recorder = m_control->GetUndoRecorder();
    if (recorder && recorder->ShouldRecordPoint(point))
        recorder->RecordPoint(opMove, point, false);
    const float ox = point->x, oy = point->y;
    point->x = target.x;
    point->y = target.y;
    if (!PropagatePointMove(m_control, nullptr, kNoOwnerId, point)) {
        point->x = ox;
        point->y = oy;
    }
    return S_OK;
}

int CShape::AlignPointTo(float x, float y, int* index, CRealPoint* out)
{
    if (!(m_state & stSelected) || !m_control)
        return 0;
    const int count = GetHandlePoints(nullptr, 0);
    if (count <= 0)
        return 0;
    std::vector<CRealPoint> handles(static_cast<size_t>(count));
    const int got = GetHandlePoints(handles.data(), count);
    const CViewMapping& view = m_control->GetCurrentViewport();
    const POINT at = view.WorldToDevice(CRealPoint(x, y));
    // 0.9 mm around the handle.
    // Asked of the view: a press tests every selected shape's handles, and a screen context for
    // each would cost more than all the rest of the press.
    const SIZE tolerance = view.HimetricToPixels(SIZE{90, 90});
    for (int i = 0; i < got && i < count; ++i) {
        const POINT h = view.WorldToDevice(handles[static_cast<size_t>(i)]);
        if (std::abs(at.x - h.x) <= tolerance.cx && std::abs(at.y - h.y) <= tolerance.cy) {
            if (index)
                *index = i;
            if (out)
                *out = handles[static_cast<size_t>(i)];
            return 1;
        }
    }
    return 0;
}

void CShape::MovePointSnapped(CRealPoint& point, int index, bool ortho)
{
    if (!m_control)
        return;
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    if (!setting || !setting->SnapToGrid)
        return;
    SnapDraggedPoint(point, index >= 0 && index < m_points.GetCount() ? m_points.GetAt(index) : nullptr, ortho);
}

void CShape::SnapDraggedPoint(CRealPoint& point, const CPointRecord* dragged, bool ortho)
{
    if (!dragged) {
        CRealPoint snapped;
        m_control->SnapPointToGrid(point, &snapped);
        point = snapped;
        return;
    }
    const CEditState& edit = m_control->GetEditState();
    CRealPoint offset(point.x - edit.dragStart.x, point.y - edit.dragStart.y);
    const bool lockX = ortho && edit.orthoDirection == 0;
    const bool lockY = ortho && edit.orthoDirection != 0;
    if (lockX)
        offset.x = 0;
    if (lockY)
        offset.y = 0;
    const CRealPoint moved(dragged->x + offset.x, dragged->y + offset.y);
    CRealPoint snapped;
    m_control->SnapPointToGrid(moved, &snapped);
    if (!lockX)
        point.x += snapped.x - moved.x;
    if (!lockY)
        point.y += snapped.y - moved.y;
}

// --- Interactive editing hooks -----------------------------------------------------------

int CShape::StartEdit(int mode, int pickedIndex, const CRealPoint* start)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    edit.dragActive = false;
    edit.editMode = mode;
    CShapeStateMap& states = m_control->GetShapeStateMap();
    if (mode != EDSH_MOVE || !start) {
        states.SetValue(m_id, pickedIndex);
        return 1;
    }
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    int picked = -1;
    if (setting && setting->SnapToGrid) {
        // The drag follows the first point that already lies on the grid.
        picked = 0;
        for (int i = 0; i < m_points.GetCount(); ++i) {
            const CPointRecord* p = m_points.GetAt(i);
            CRealPoint snapped;
            m_control->SnapPointToGrid(*p, &snapped);
            if (snapped.x == p->x && snapped.y == p->y) {
                picked = i;
                break;
            }
        }
    }
    states.SetValue(m_id, picked);
    edit.dragStart = *start;
    edit.dragActive = true;
    return 1;
}

int CShape::EndEdit(bool commit)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    if (m_control->IsDefaultShapeEnabledFor(m_shapeType) && edit.hideWhileDragging)
        SetVisible(true);
    m_control->EndInteractiveOperation(commit);
    edit.dragActive = false;
    return 1;
}

int CShape::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    const int target = IsEditTarget();
    int index = 0;
    CRealPoint handle;
    if (!target && AlignPointTo(x, y, &index, &handle)) {
        if (index >= -1) {
            for (CPointRecord* point : m_points) {
                if (point->x == handle.x && point->y == handle.y) {
                    edit.pickedPointId = point->GetPointId();
                    break;
                }
            }
        }
        if (index >= 0) {
            if (!selection)
                return m_control->StartEditShape(this, EDSH_POINT, index, 0) ? 1 : 0;
            (*selection)[m_id] = index;
            return 0;
        }
        if (index == -1) {
            if (!selection || selection->empty())
                m_control->StartEditShape(this, EDSH_MOVE, index, 0);
            return 1;
        }
    }
    if (target && (edit.editMode == EDSH_ROTATE || edit.editMode == EDSH_SCALE || edit.editMode == EDSH_MOVE)) {
        if (!edit.dragActive) {
            edit.dragStart = CRealPoint(x, y);
            edit.dragActive = true;
        } else {
            EndEdit(true);
        }
        return 1;
    }
    return 0;
}

int CShape::OnEditMouseUp(float, float)
{
    if (!IsEditTarget())
        return 0;
    EndEdit(false);
    return 1;
}

int CShape::OnEditDrag(float x, float y)
{
    if (!m_control)
        return 0;
    CEditState& edit = m_control->GetEditState();
    CShape* snapshot = edit.tracker;
    const bool isTarget = IsEditTarget() == 1;
    const bool prototypeDrag = edit.editMode == EDSH_NEWPOINT && m_control->IsDefaultShapeEnabledFor(m_shapeType) &&
                               m_control->GetDefaultShape(m_shapeType) == this;
    if (isTarget && (edit.dragActive || prototypeDrag)) {
        if (snapshot) {
            CopyPointCoordsFrom(*snapshot);
            CopyLinkedPointCoordsFrom(*snapshot);
            CopyPropertiesFrom(*snapshot, 0x20);
        }
        const CRealPoint start = edit.dragStart;
        switch (edit.editMode) {
        case EDSH_MOVE: {
            CRealPoint p(x, y);
            const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
            const bool ortho = setting && setting->OrthoMode != 0;
            MovePointSnapped(p, m_control->GetShapeStateMap().GetValue(m_id), ortho);
            Shift(p.x - start.x, p.y - start.y, nullptr, false);
            break;
        }
        case EDSH_ROTATE: {
            const double angle = std::atan2(static_cast<double>(y) - start.y, static_cast<double>(x) - start.x) *
                                 57.29577951308238;
            Rotate(start.x, start.y, angle, nullptr, false);
            break;
        }
        case EDSH_SCALE: {
            const double dx = static_cast<double>(x) - start.x, dy = static_cast<double>(y) - start.y;
            const double d = std::sqrt(dx * dx + dy * dy);
            float l, t, r, b;
            CShape* frame = snapshot ? snapshot : this;
            if (SUCCEEDED(frame->GetBoundingRect(&l, &t, &r, &b))) {
                const double w = std::fabs(static_cast<double>(r) - l), h = std::fabs(static_cast<double>(t) - b);
                if (w != 0 || h != 0) {
                    const float k = static_cast<float>(d / (w >= h ? w : h));
                    Scale(start.x, start.y, dx < 0 ? -k : k, dy < 0 ? -k : k, nullptr, false);
                }
            }
            break;
        }
        default: break;
        }
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
        return 1;
    }
    if (isTarget && prototypeDrag && !m_points.IsEmpty()) {
        if (snapshot)
            CopyPointCoordsFrom(*snapshot);
        Shift(x, y, nullptr, false);
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    }
    return 0;
}
