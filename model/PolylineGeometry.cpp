// Polyline geometry: transforms that keep bulges and the orthogonal flag right, the bounds of
// bulged outlines, fillets, simplification, the Bezier form, orthogonal outlines and closing,
// property copies and the protection flags of the polyline's form.
#include "model/Geometry.h"
#include "model/PointPool.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "model/ShapeRecorder.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include "com/HResult.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;
const double kTwoPi = 6.28318530717958647692;
const double kHalfPi = 1.570796326794895;

bool IsPolylineKind(const CShape& shape)
{
    const int type = shape.GetShapeType();
    return type == stRectangle || type == stPolyline || type == stPolygon;
}

bool PointsEqual(const CRealPoint& a, const CRealPoint& b) { return a.x == b.x && a.y == b.y; }

double Angle(const CRealPoint& from, const CRealPoint& to)
{
    return std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x);
}

double Length(const CRealPoint& a, const CRealPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Into (-pi, pi].
double Wrap(double a)
{
    while (a <= -kPi)
        a += kTwoPi;
    while (a > kPi)
        a -= kTwoPi;
    return a;
}

// The direction of the first side of non-zero length (skipping sides that touch skipIndex),
// brought into [0, 2*pi): an odd side is turned back by a quarter so that every rectangle of the
// same frame gives the same angle.
double FirstSideAngle(const CShapePointList& points, int skipIndex)
{
    const int count = points.GetCount();
    if (count < 3)
        return 0.0;
    for (int i = 0; i + 1 < count; ++i) {
        if (skipIndex >= 0 && (i == skipIndex || i + 1 == skipIndex))
            continue;
        const CPointRecord* a = points.GetAt(i);
        const CPointRecord* b = points.GetAt(i + 1);
        if (a->x == b->x && a->y == b->y)
            continue;
        double angle = Angle(*a, *b);
        if (angle < 0)
            angle += kTwoPi;
        if (i % 2) {
            angle += kHalfPi;
            if (angle >= kTwoPi)
                angle -= kTwoPi;
        }
        return angle;
    }
    return 0.0;
}

} // namespace

// --- Moving points ---------------------------------------------------------------------------

CRealPointD CPolyline::TurnVector(double x, double y, double angle)
{
    CRealPointD v(x, y);
    v.Rotate(0.0, 0.0, angle);
    return v;
}

bool CPolyline::MovePoint(CPointRecord* point, float x, float y, std::set<int>* visited)
{
    if (!point)
        return false;
    const float ox = point->x, oy = point->y;
    if (ox == x && oy == y)
        return true;
    point->x = x;
    point->y = y;
    SetExtentCached(false);
    std::set<int> local;
    std::set<int>* seen = visited ? visited : &local;
    if (!PropagatePointMove(m_control, seen, m_id, point)) {
        point->x = ox;
        point->y = oy;
        return false;
    }
    seen->insert(point->GetPointId());
    return true;
}

// --- Transforms ------------------------------------------------------------------------------

int CPolyline::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    // A turn keeps every arc as it is.
    return CGroup::Rotate(xc, yc, degrees, visited, force);
}

void CPolyline::MirrorArcs()
{
    for (CVertexRecord& vertex : m_vertices)
        vertex.bulge = -vertex.bulge;
}

int CPolyline::FlipVertical(std::set<int>* visited, const float* axisY)
{
    const int result = CGroup::FlipVertical(visited, axisY);
    if (result)
        MirrorArcs();
    return result;
}

int CPolyline::FlipHorizontal(std::set<int>* visited, const float* axisX)
{
    const int result = CGroup::FlipHorizontal(visited, axisX);
    if (result)
        MirrorArcs();
    return result;
}

HRESULT CPolyline::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    const HRESULT result = CGroup::Scale(xc, yc, kx, ky, visited, force);
    if (IsOrtho() && std::fabs(kx) != std::fabs(ky)) {
        // Scaled unevenly, an outline stays orthogonal only when its sides run along the axes.
        double a = GetRectangleAngle(-1);
        if (a < 0)
            a += 6.28318530717958;
        const bool alongAxes = std::fabs(a) <= 0.0001 || (a >= 1.570696326794895 && a <= 1.570896326794895) ||
                               (a >= 3.14149265358979 && a <= 3.14169265358979) ||
                               (a >= 4.7122889803846855 && a <= 4.712488980384685) || std::fabs(a - kTwoPi) <= 0.0001;
        if (!alongAxes)
            m_flags &= ~static_cast<DWORD>(pfOrtho);
    }
    RETURN_IF_FAILED(result);
    // A mirror turns every arc the other way.
    if ((kx < 0) != (ky < 0))
        MirrorArcs();
    return result;
}

double CPolyline::GetRectangleAngle(int skipIndex)
{
    if (m_points.GetCount() < 3)
        return 0.0;
    if (m_control) {
        const CEditState& edit = m_control->GetEditState();
        if (edit.tracker == this)
            return 0.0;
        if (edit.editedShape == this && edit.tracker) {
            // The copy holds the frame the outline had when the edit began.
            CShape* copy = edit.tracker;
            if (copy->IsGroup() && copy->GetShapeType() == stGroup) {
                const CGroup* tracker = static_cast<CGroup*>(copy);
                copy = tracker->GetShapeCount() == 1 ? tracker->GetChildAt(0) : nullptr;
            }
            if (copy && copy->GetShapeType() == m_shapeType)
                return FirstSideAngle(copy->GetPoints(), skipIndex);
        }
    }
    return FirstSideAngle(m_points, skipIndex);
}

// --- Bounds ----------------------------------------------------------------------------------

int CPolyline::ComputeBulgeExtent(CRealRect* rect, const std::set<int>* visited, double angle)
{
    if (m_vertices.empty() || IsBezier() || !rect)
        return 0;
    const int count = m_points.GetCount();
    const int segments = IsClosed() ? count : count - 1;
    bool any = false;
    for (int i = 0; i < segments && static_cast<size_t>(i) < m_vertices.size(); ++i) {
        const float bulge = m_vertices[static_cast<size_t>(i)].bulge;
        if (bulge == 0.0f)
            continue;
        CRealPoint p1 = *m_points.GetAt(i);
        CRealPoint p2 = *m_points.GetAt((i + 1) % count);
        if (visited && !visited->count(m_points.GetAt(i)->GetPointId()))
            continue;
        if (angle != 0.0) {
            p1.Rotate(0.0, 0.0, -angle);
            p2.Rotate(0.0, 0.0, -angle);
        }
        CRealRect arc;
        if (!BulgedSegmentBounds(&p1, &p2, bulge, &arc))
            continue;
        if (!any) {
            *rect = arc;
            any = true;
        } else {
            rect->left = std::fmin(rect->left, arc.left);
            rect->top = std::fmax(rect->top, arc.top);
            rect->right = std::fmax(rect->right, arc.right);
            rect->bottom = std::fmin(rect->bottom, arc.bottom);
        }
    }
    return any ? 1 : 0;
}

HRESULT CPolyline::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                                     DWORD flags)
{
    CRealRect base;
    const HRESULT result = CGroup::GetBoundingRectEx(&base.left, &base.top, &base.right, &base.bottom, skip, flags);
    RETURN_IF_FAILED(result);
    CRealRect arcs;
    if (ComputeBulgeExtent(&arcs, nullptr, 0.0)) {
        base.left = std::fmin(base.left, arcs.left);
        base.top = std::fmax(base.top, arcs.top);
        base.right = std::fmax(base.right, arcs.right);
        base.bottom = std::fmin(base.bottom, arcs.bottom);
        m_extent = base;
    }
    if (left)
        *left = base.left;
    if (top)
        *top = base.top;
    if (right)
        *right = base.right;
    if (bottom)
        *bottom = base.bottom;
    return result;
}

// --- Copies ----------------------------------------------------------------------------------

int CPolyline::CopyPointCoordsFrom(const CShape& source)
{
    const int result = CGroup::CopyPointCoordsFrom(source);
    if (!result || !IsPolylineKind(source))
        return result;
    const auto& other = static_cast<const CPolyline&>(source).m_vertices;
    for (size_t i = 0; i < m_vertices.size() && i < other.size(); ++i) {
        const int databaseId = m_vertices[i].databaseId;
        const int shapePointId = m_vertices[i].shapePointId;
        const int vertexId = m_vertices[i].vertexId;
        m_vertices[i].Data() = other[i].Data();
        m_vertices[i].databaseId = databaseId;
        m_vertices[i].shapePointId = shapePointId;
        m_vertices[i].vertexId = vertexId;
    }
    return 1;
}

int CPolyline::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int result = CGroup::CopyPropertiesFrom(source, mask);
    if (!result || source.GetShapeType() != m_shapeType)
        return 0;
    if (mask & 0x800)
        m_flags = static_cast<CPolyline&>(source).m_flags;
    return result;
}

int CPolyline::CopyStyleFrom(CShape& source, DWORD mask)
{
    if (!CShape::CopyStyleFrom(source, mask))
        return 0;
    if (!IsPolylineKind(source))
        return 1;
    CPolyline& other = static_cast<CPolyline&>(source);
    m_defStartWidth = other.m_defStartWidth;
    m_defEndWidth = other.m_defEndWidth;
    NoteGeometryChange();
    m_firstArrowType = other.m_firstArrowType;
    m_secondArrowType = other.m_secondArrowType;
    m_flags = other.m_flags;
    if (other.m_shapeType != stRectangle && &other != this) {
        // Both shapes then use the same points.
        RemoveAllPoints();
        const std::vector<CVertexRecord> vertices = other.m_vertices;
        for (const CVertexRecord& vertex : vertices)
            InsertVertexRecord(vertex, -1);
    }
    return 1;
}

// --- Protection flags of the form --------------------------------------------------------------

int CPolyline::SetProtectionFlagsMasked(DWORD value, DWORD mask)
{
    if (!CGroup::SetProtectionFlagsMasked(value, mask))
        return 0;
    // The form lives in the polyline's own flags, not among the protections.
    const DWORD form = sdbfClosed | sdbfOrtho | sdbfBezier;
    m_protectionFlags &= ~form;
    auto apply = [&](DWORD bit, DWORD flag) {
        if (mask & bit)
            m_flags = (value & bit) ? (m_flags | flag) : (m_flags & ~flag);
    };
    apply(sdbfClosed, pfClosed);
    apply(sdbfOrtho, pfOrtho);
    apply(sdbfBezier, pfBezier);
    return 1;
}

DWORD CPolyline::GetProtectionFlagsMasked(DWORD mask)
{
    DWORD flags = CGroup::GetProtectionFlagsMasked(mask);
    if ((mask & sdbfClosed) && IsClosed())
        flags |= sdbfClosed;
    if ((mask & sdbfOrtho) && IsOrtho())
        flags |= sdbfOrtho;
    if ((mask & sdbfBezier) && IsBezier())
        flags |= sdbfBezier;
    return flags;
}

// --- Fillets ---------------------------------------------------------------------------------

int CPolyline::Fillet(double radius, int vertexIndex)
{
    const int count = m_points.GetCount();
    if (vertexIndex > count - 1)
        return -1;
    if (count < 3)
        return 0;
    const bool closed = IsClosed();
    RecordShapeForUndo(kUndoPointChanged);
    m_flags &= ~static_cast<DWORD>(pfOrtho);
    auto wrap = [this](int i) {
        const int n = m_points.GetCount();
        return ((i % n) + n) % n;
    };
    auto bulgeAt = [this](int i) { return m_vertices[static_cast<size_t>(i)].bulge; };
    int changed = 0;

    if (radius == 0.0) {
        // Each fillet is a bulged vertex between two straight segments: the arc goes and the
        // corner comes back where the two straight lines meet.
        auto undoAt = [&](int d) -> bool {
            const int n = m_points.GetCount();
            if (n < 4 || (!closed && (d - 3 < 0 || d >= n)))
                return false;
            const int a = wrap(d - 3), b = wrap(d - 2), c = wrap(d - 1), dd = wrap(d);
            if (bulgeAt(a) != 0.0f || bulgeAt(c) != 0.0f || bulgeAt(b) == 0.0f)
                return false;
            CRealPoint corner;
            if (!IntersectLines(*m_points.GetAt(a), *m_points.GetAt(b), *m_points.GetAt(c), *m_points.GetAt(dd),
                                &corner, -1))
                return false;
            CPointRecord* arcStart = m_points.GetAt(b);
            RecordPointForUndo(arcStart->GetUseCount() > 1 ? kUndoSharedPoint : kUndoPointRemoved, arcStart);
            CPointRecord* moved = m_points.GetAt(c);
            RecordPointForUndo(kUndoPointChanged, moved);
            ErasePointAt(b);
            MovePoint(moved, corner.x, corner.y, nullptr);
            ++changed;
            return true;
        };
        if (vertexIndex >= 0) {
            undoAt(vertexIndex == count - 1 ? (closed ? 0 : count) : vertexIndex + 1);
        } else {
            int d = closed ? 0 : 3;
            int examined = 0;
            const int limit = count;
            while (examined < limit && d < m_points.GetCount()) {
                const int b = wrap(d - 2);
                if (undoAt(d)) {
                    // The positions behind the removed vertex moved down by one.
                    if (b < d)
                        --d;
                }
                ++d;
                ++examined;
            }
        }
        SetExtentCached(false);
        return changed;
    }

    auto filletAt = [&](int corner) -> bool {
        const int n = m_points.GetCount();
        if (!closed && (corner < 1 || corner > n - 2))
            return false;
        const int a = wrap(corner - 1), b = wrap(corner), c = wrap(corner + 1);
        if (bulgeAt(a) != 0.0f || bulgeAt(b) != 0.0f)
            return false;
        CPointRecord* pb = m_points.GetAt(b);
        const CRealPoint pa = *m_points.GetAt(a), pc = *m_points.GetAt(c), at = *pb;
        const double a1 = Angle(at, pa), a2 = Angle(at, pc);
        const double d = Wrap(a2 - a1);
        if (std::fabs(d) < 1e-5 || std::fabs(std::fabs(d) - kPi) < 1e-5)
            return false;
        const double t = std::fabs(radius / std::tan(d / 2.0));
        if (t > Length(pa, at) || t > Length(at, pc))
            return false;
        double bulge = std::tan((kPi - std::fabs(d)) / 4.0);
        if (d > 0)
            bulge = -bulge;
        RecordPointForUndo(kUndoPointChanged, pb);
        MovePoint(pb, static_cast<float>(at.x + t * std::cos(a2)), static_cast<float>(at.y + t * std::sin(a2)), nullptr);
        CVertexRecord* added =
            AddNewVertex(b, static_cast<float>(at.x + t * std::cos(a1)), static_cast<float>(at.y + t * std::sin(a1)),
                         static_cast<float>(bulge), kByBlockColour, kByBlockLineType, nullptr, -1.0f, -1.0f, 0, 0, 0);
        if (added)
            RecordPointForUndo(kUndoFilletPoint, added->GetPoint());
        ++changed;
        return true;
    };
    if (vertexIndex >= 0) {
        filletAt(vertexIndex);
    } else {
        // Every corner once, in order: a fillet puts a vertex in before its corner.
        int corner = closed ? 0 : 1;
        int examined = 0;
        const int corners = closed ? count : count - 2;
        while (examined < corners) {
            corner += filletAt(corner) ? 2 : 1;
            ++examined;
        }
    }
    SetExtentCached(false);
    return changed;
}

// --- Simplification --------------------------------------------------------------------------

int CPolyline::Simplify(double tolerance)
{
    const int count = m_points.GetCount();
    if (count < 3)
        return 1;
    if (tolerance == 0.0) {
        tolerance = 0.1;
        if (m_control) {
            const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
            if (setting && setting->SnapToGrid) {
                const double spacing = std::min(setting->SnapXSpace, setting->SnapYSpace);
                if (spacing > 0.1)
                    tolerance = spacing;
            }
            // What lies within 18 pixels of the screen is one stroke.
            const double screen = m_control->GetCurrentViewport().PixelsToWorldX(18.0);
            if (screen > tolerance)
                tolerance = screen;
        }
    }
    std::vector<CRealPoint> p;
    p.reserve(static_cast<size_t>(count));
    for (CPointRecord* point : m_points)
        p.push_back(*point);
    std::vector<char> keep(static_cast<size_t>(count), 0);
    keep.front() = keep.back() = 1;
    const double limit = tolerance * tolerance;
    std::vector<std::pair<int, int>> ranges = {{0, count - 1}};
    while (!ranges.empty()) {
        const auto range = ranges.back();
        ranges.pop_back();
        const int i = range.first, j = range.second;
        if (j - i < 2)
            continue;
        const double dx = static_cast<double>(p[j].x) - p[i].x, dy = static_cast<double>(p[j].y) - p[i].y;
        const double length2 = dx * dx + dy * dy;
        int best = -1;
        double bestDistance = -1.0;
        for (int k = i + 1; k < j; ++k) {
            const double px = static_cast<double>(p[k].x) - p[i].x, py = static_cast<double>(p[k].y) - p[i].y;
            const double t = px * dx + py * dy;
            double d2;
            if (t <= 0 || length2 == 0.0) {
                d2 = px * px + py * py;
            } else if (t >= length2) {
                const double qx = static_cast<double>(p[k].x) - p[j].x, qy = static_cast<double>(p[k].y) - p[j].y;
                d2 = qx * qx + qy * qy;
            } else {
                const double u = t / length2;
                const double ex = px - u * dx, ey = py - u * dy;
                d2 = ex * ex + ey * ey;
            }
            if (d2 > bestDistance) {
                bestDistance = d2;
                best = k;
            }
        }
        if (best > 0 && bestDistance > limit) {
            keep[static_cast<size_t>(best)] = 1;
            ranges.push_back({i, best});
            ranges.push_back({best, j});
        }
    }
    for (int k = count - 1; k >= 0; --k)
        if (!keep[static_cast<size_t>(k)] && k < m_points.GetCount())
            RemovePointById(m_points.GetAt(k)->GetPointId(), false, 1);
    return 1;
}

// --- Bezier form -----------------------------------------------------------------------------

int CPolyline::ToBezier()
{
    // Only an open or closed polyline has a Bezier form (rectangles and polygons keep theirs).
    if (IsBezier() || m_shapeType != stPolyline)
        return 1;
    const bool closed = IsClosed();
    for (int i = 0; i < m_points.GetCount(); i += 3) {
        if (!closed && i == m_points.GetCount() - 1)
            break;
        const CRealPoint at = *m_points.GetAt(i);
        for (int k = 0; k < 2; ++k)
            AddNewVertex(i + 1, at.x, at.y, 0.0f, kByBlockColour, kByBlockLineType, nullptr, -1.0f, -1.0f, 0, 0, 0);
    }
    // The segments keep no arcs of their own: the control points shape them.
    for (CVertexRecord& vertex : m_vertices)
        vertex.bulge = 0.0f;
    m_flags |= pfBezier;
    for (int i = 0; i < m_points.GetCount(); i += 3)
        SmoothBezierKnot(i, 0);
    SetExtentCached(false);
    return 1;
}

int CPolyline::ToStraight()
{
    if (!IsBezier())
        return 1;
    // The control points are those between the anchors 0, 3, 6, ...
    std::vector<int> controls;
    for (int i = 0; i < m_points.GetCount(); ++i)
        if (i % 3 != 0)
            controls.push_back(m_points.GetAt(i)->GetPointId());
    for (int pointId : controls)
        RemovePointById(pointId, false, 1);
    // The outline is straight now: it no longer reads its points as controls.
    m_flags &= ~static_cast<DWORD>(pfBezier);
    SetExtentCached(false);
    return 1;
}

int CPolyline::SmoothBezierKnot(int index, int)
{
    const int count = m_points.GetCount();
    if (!IsBezier() || index < 0 || index % 3 != 0 || index >= count || count < 6)
        return 0;
    const bool closed = IsClosed();
    const CRealPoint k = *m_points.GetAt(index);
    int previous = index - 3, next = index + 3;
    if (closed) {
        previous = (previous + count) % count;
        next = next % count;
    } else {
        if (previous < 0)
            previous = -1;
        if (next >= count)
            next = -1;
    }
    auto place = [&](int controlIndex, double x, double y) {
        if (controlIndex < 0 || controlIndex >= count)
            return;
        CPointRecord* control = m_points.GetAt(controlIndex);
        if (std::fabs(control->x - x) < 1e-5 && std::fabs(control->y - y) < 1e-5)
            return;
        MovePoint(control, static_cast<float>(x), static_cast<float>(y), nullptr);
    };
    const int before = index == 0 ? (closed ? count - 1 : -1) : index - 1;
    const int after = index + 1 < count ? index + 1 : -1;
    if (previous >= 0 && next >= 0) {
        const CRealPoint p = *m_points.GetAt(previous), n = *m_points.GetAt(next);
        const double a1 = Angle(k, n), a2 = Angle(k, p);
        const double theta = (a1 + a2 + kPi) * 0.5;
        const double s = a1 >= a2 ? 1.0 : -1.0;
        const double lp = 0.25 * Length(p, k), ln = 0.25 * Length(n, k);
        place(before, k.x + lp * -s * std::cos(theta), k.y + lp * -s * std::sin(theta));
        place(after, k.x + ln * s * std::cos(theta), k.y + ln * s * std::sin(theta));
        return 1;
    }
    // An end of an open curve: its one control point lies on the way to the neighbouring
    // control point, a quarter of the way to the next anchor.
    const int control = previous < 0 ? after : before;
    const int neighbourControl = previous < 0 ? index + 2 : index - 2;
    const int anchor = previous < 0 ? next : previous;
    if (control < 0 || anchor < 0 || neighbourControl < 0 || neighbourControl >= count)
        return 0;
    const CRealPoint a = *m_points.GetAt(anchor);
    CRealPoint toward = *m_points.GetAt(neighbourControl);
    if (PointsEqual(toward, k))
        toward = a;
    const double d = Length(k, toward);
    if (d == 0.0)
        return 0;
    const double l = 0.25 * Length(k, a);
    place(control, k.x + l * (toward.x - k.x) / d, k.y + l * (toward.y - k.y) / d);
    return 1;
}

int CPolyline::NormalizeBezierPointCount(bool recordUndo)
{
    if (!IsBezier())
        return 0;
    const bool closed = IsClosed();
    const int count = m_points.GetCount();
    if ((closed ? count : count - 1) % 3 == 0)
        return 1;
    const int segments = GetSegmentCount();
    if (!closed) {
        while (m_points.GetCount() > 3 * segments - 2 && m_points.GetCount() > 1) {
            CPointRecord* last = m_points.GetAt(m_points.GetCount() - 1);
            if (recordUndo)
                RecordPointForUndo(last->GetUseCount() > 1 ? kUndoSharedPoint : kUndoPointRemoved, last);
            ErasePointAt(m_points.GetCount() - 1);
        }
        return 1;
    }
    int added = 0;
    while (m_points.GetCount() < 3 * segments) {
        const CRealPoint at = *m_points.GetAt(m_points.GetCount() - 1);
        CVertexRecord* vertex =
            AddNewVertex(-1, at.x, at.y, 0.0f, kByBlockColour, kByBlockLineType, nullptr, -1.0f, -1.0f, 0, 0, 0);
        if (!vertex)
            break;
        if (recordUndo)
            RecordPointForUndo(kUndoPointAdded, vertex->GetPoint());
        ++added;
    }
    if (added > 1)
        SmoothBezierKnot(3 * segments - 3, 0);
    SmoothBezierKnot(0, 0);
    return 1;
}

// --- Duplicates --------------------------------------------------------------------------------

int CPolyline::RemoveDuplicatePoints()
{
    const int step = IsBezier() ? 3 : 1;
    int removed = 0;
    int i = 0;
    while (i + step < m_points.GetCount()) {
        CPointRecord* a = m_points.GetAt(i);
        CPointRecord* b = m_points.GetAt(i + step);
        bool equal = PointsEqual(*a, *b);
        if (equal && step == 3)
            equal = PointsEqual(*m_points.GetAt(i + 1), *a) && PointsEqual(*m_points.GetAt(i + 2), *b);
        if (!equal) {
            i += step;
            continue;
        }
        const int pointId = a->GetPointId();
        const bool events = m_control && m_control->EventsEnabled();
        if (events && !m_control->FireDeletePoint(pointId)) {
            i += step;
            continue;
        }
        const int before = m_points.GetCount();
        if (IsBezier())
            RemoveBezierPoint(pointId, false, 1);
        else
            RemovePointById(pointId, false, 1);
        if (m_points.GetCount() == before) {
            // Kept after all (a rectangle keeps its corners): the host hears of it again.
            if (events)
                m_control->FireAddPoint(pointId);
            i += step;
            continue;
        }
        ++removed;
        if (m_control) {
            CEditState& edit = m_control->GetEditState();
            if (edit.pickedPointId == pointId)
                edit.pickedPointId = b->GetPointId();
            if (IsEditedByControl() && edit.editMode == EDSH_NEWPOINT && i <= GetPickedIndex())
                edit.editStepFlags |= 0x1;
        }
        if (IsOrtho() && i > 0)
            --i;
    }
    return removed;
}

// --- Orthogonal outlines ---------------------------------------------------------------------

int CPolyline::GetOrthoSegmentKind(const CRealPoint& a, const CRealPoint& b, double angle)
{
    const CRealPointD d = TurnVector(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y, -angle);
    return std::fabs(d.x) >= std::fabs(d.y) ? 1 : 2;
}

bool CPolyline::GetOrthoNeighbour(int index, bool backwards, double angle, OrthoNeighbour* out)
{
    int n = -1, beyond = -1;
    if (backwards) {
        GetPreviousPoint(index, &n);
        if (n >= 0)
            GetPreviousPoint(n, &beyond);
    } else {
        GetNextPoint(index, &n);
        if (n >= 0)
            GetNextPoint(n, &beyond);
    }
    if (n < 0 || n == index)
        return false;
    out->neighbour = m_points.GetAt(n);
    out->beyond = beyond >= 0 && beyond != index ? m_points.GetAt(beyond) : nullptr;
    out->angle = angle;
    // The segment beyond the neighbour keeps its direction, so the one to the moved point takes
    // the other.
    out->horizontal = out->beyond ? GetOrthoSegmentKind(*out->neighbour, *out->beyond, angle) == 2
                                  : GetOrthoSegmentKind(*m_points.GetAt(index), *out->neighbour, angle) == 1;
    return true;
}

bool CPolyline::MoveOrthoNeighbour(const CRealPoint& moved, std::set<int>* visited, const OrthoNeighbour& info)
{
    if (!info.neighbour)
        return false;
    if (visited && visited->count(info.neighbour->GetPointId()))
        return true;
    // In the turned frame the neighbour N lands at (beyond.x, moved.y) under a horizontal segment
    // to the moved point, at (moved.x, beyond.y) under a vertical one. An end segment (no point
    // beyond) keeps its direction: N follows the moved point along one axis only.
    const CRealPoint& n = *info.neighbour;
    const CRealPoint& beyond = info.beyond ? *info.beyond : n;
    CRealPointD v1 = TurnVector(static_cast<double>(moved.x) - n.x, static_cast<double>(moved.y) - n.y, -info.angle);
    const CRealPointD v2 =
        TurnVector(static_cast<double>(beyond.x) - n.x, static_cast<double>(beyond.y) - n.y, -info.angle);
    if (info.horizontal)
        v1.x = v2.x;
    else
        v1.y = v2.y;
    const CRealPointD d = TurnVector(v1.x, v1.y, info.angle);
    MovePoint(info.neighbour, static_cast<float>(n.x + d.x), static_cast<float>(n.y + d.y), visited);
    if (visited)
        visited->insert(info.neighbour->GetPointId());
    return true;
}

int CPolyline::OnPointsChanged(CPointRecord* point, float x, float y)
{
    const int result = CGroup::OnPointsChanged(point, x, y);
    if (!point || !IsOrtho() || (m_control && m_control->GetEditState().tracker == this))
        return result;
    const int index = m_points.IndexOf(point->GetPointId());
    if (index < 0)
        return result;
    std::set<int> visited = {point->GetPointId()};
    const double angle = m_points.GetCount() >= 3 ? FirstSideAngle(m_points, index) : 0.0;
    if (m_points.GetCount() == 2) {
        CPointRecord* other = m_points.GetAt(1 - index);
        if (PointsAxisAligned(point, other))
            return result;
        // The segment would run askew: two corners at the middle keep it orthogonal.
        const bool horizontal = GetOrthoSegmentKind(*m_points.GetAt(0), *m_points.GetAt(1), 0.0) == 1;
        const CRealPoint a = *m_points.GetAt(0), b = *m_points.GetAt(1);
        const float mx = (a.x + b.x) * 0.5f, my = (a.y + b.y) * 0.5f;
        const CRealPoint corners[2] = {horizontal ? CRealPoint(mx, a.y) : CRealPoint(a.x, my),
                                       horizontal ? CRealPoint(mx, b.y) : CRealPoint(b.x, my)};
        for (int k = 0; k < 2; ++k) {
            CVertexRecord* vertex = AddNewVertex(1 + k, corners[k].x, corners[k].y, 0.0f, kByBlockColour,
                                                 kByBlockLineType, nullptr, -1.0f, -1.0f, 0, 0, 0);
            if (!vertex)
                continue;
            CPointRecord* added = vertex->GetPoint();
            const int addedId = added->GetPointId();
            if (m_control && m_control->EventsEnabled() && !m_control->FireAddPoint(addedId)) {
                RemovePointById(addedId, false, 1);
                continue;
            }
            RecordPointForUndo(kUndoFilletPoint, added);
        }
        return result;
    }
    for (bool backwards : {true, false}) {
        OrthoNeighbour info;
        if (GetOrthoNeighbour(index, backwards, angle, &info))
            MoveOrthoNeighbour(*point, &visited, info);
    }
    return result;
}

int CPolyline::RealignOrthoAt(int index, bool recordUndo)
{
    const int count = m_points.GetCount();
    const bool closed = IsClosed();
    if (count < 3 || (!closed && (index < 1 || index > count - 1)))
        return 0;
    auto move = [&](CPointRecord* point, const CRealPoint& to) {
        if (!point || PointsEqual(*point, to))
            return false;
        if (recordUndo)
            RecordPointForUndo(kUndoPointChanged, point);
        return MovePoint(point, to.x, to.y, nullptr);
    };
    if (count == 3 && !closed && (index == 1 || index == 2)) {
        // The middle point becomes the corner of an L between the ends.
        const CRealPoint p0 = *m_points.GetAt(0), p2 = *m_points.GetAt(2);
        CPointRecord* middle = m_points.GetAt(1);
        const double dx = static_cast<double>(p0.x) - middle->x, dy = static_cast<double>(p0.y) - middle->y;
        return move(middle, std::fabs(dx) <= std::fabs(dy) ? CRealPoint(p0.x, p2.y) : CRealPoint(p2.x, p0.y)) ? 1 : 0;
    }
    const int at = closed ? ((index % count) + count) % count : index;
    if (at >= count)
        return 0;
    int p = -1, pp = -1, qq = -1;
    CPointRecord* q = m_points.GetAt(at);
    CPointRecord* pPoint = GetPreviousPoint(at, &p);
    if (!pPoint)
        return 0;
    CPointRecord* ppPoint = GetPreviousPoint(p, &pp);
    CPointRecord* qqPoint = GetNextPoint(at, &qq);
    if (ppPoint && pp == at)
        ppPoint = nullptr;
    if (qqPoint && qq == p)
        qqPoint = nullptr;
    const double angle = FirstSideAngle(m_points, -1);
    if (!ppPoint && !qqPoint) {
        if (!PointsAxisAligned(pPoint, q))
            m_flags &= ~static_cast<DWORD>(pfOrtho);
        return 0;
    }
    // The point that joins the gap keeps the direction of its other segment and meets the point
    // across the gap at a right angle (in the outline's frame).
    auto corner = [&](const CRealPoint& keep, const CRealPoint& mover, const CRealPoint& across) {
        const CRealPointD m = TurnVector(static_cast<double>(mover.x) - keep.x, static_cast<double>(mover.y) - keep.y, -angle);
        const CRealPointD c = TurnVector(static_cast<double>(across.x) - keep.x, static_cast<double>(across.y) - keep.y, -angle);
        const bool horizontal = std::fabs(m.x) >= std::fabs(m.y);
        const CRealPointD target = horizontal ? CRealPointD(c.x, 0.0) : CRealPointD(0.0, c.y);
        const CRealPointD back = TurnVector(target.x, target.y, angle);
        return CRealPoint(static_cast<float>(keep.x + back.x), static_cast<float>(keep.y + back.y));
    };
    if (ppPoint && !qqPoint)
        return move(pPoint, corner(*ppPoint, *pPoint, *q)) ? 1 : 0;
    return move(q, corner(*qqPoint, *q, *pPoint)) ? 1 : 0;
}

// --- Closing ---------------------------------------------------------------------------------

int CPolyline::SetClosed(bool closed, bool recordUndo)
{
    if (IsClosed() == closed)
        return 0;
    CShapeRecorder* recorder = recordUndo && m_control ? m_control->GetUndoRecorder() : nullptr;
    const bool recording = recorder && recorder->ShouldRecordShape(this);
    if (recording) {
        recorder->OpenOperation(kUndoPointChanged);
        recorder->RecordShape(kUndoPointChanged, this, false);
    }
    m_flags = closed ? (m_flags | pfClosed) : (m_flags & ~static_cast<DWORD>(pfClosed));
    const int count = m_points.GetCount();
    if (closed && IsOrtho() && count >= 3) {
        // The closing side must run along the frame too: the end point moves to where it meets
        // the first point at a right angle, or to where the prolonged first and last sides meet.
        const double angle = GetRectangleAngle(-1);
        int first = 0, last = count - 1;
        if (m_control && IsEditedByControl()) {
            const int mode = m_control->GetEditState().editMode;
            if ((mode == EDSH_POINT || mode == EDSH_NEWPOINT) && GetPickedIndex() >= 0 && GetPickedIndex() < count / 2)
                std::swap(first, last);
        }
        const int firstNext = first == 0 ? 1 : count - 2;
        const int lastPrevious = last == count - 1 ? count - 2 : 1;
        const CRealPoint f = *m_points.GetAt(first), f1 = *m_points.GetAt(firstNext);
        CPointRecord* end = m_points.GetAt(last);
        const CRealPoint e0 = *m_points.GetAt(lastPrevious);
        const int firstKind = GetOrthoSegmentKind(f, f1, angle);
        const int lastKind = GetOrthoSegmentKind(e0, *end, angle);
        const CRealPointD fe = TurnVector(static_cast<double>(end->x) - f.x, static_cast<double>(end->y) - f.y, -angle);
        const CRealPointD fl = TurnVector(static_cast<double>(e0.x) - f.x, static_cast<double>(e0.y) - f.y, -angle);
        CRealPointD target;
        if (firstKind == lastKind) {
            // Parallel end sides: the closing side is the perpendicular from the end to the first.
            target = firstKind == 1 ? CRealPointD(0.0, fe.y) : CRealPointD(fe.x, 0.0);
        } else {
            // The prolonged sides meet at a corner: the first side's line and the last side's.
            target = firstKind == 1 ? CRealPointD(fl.x, 0.0) : CRealPointD(0.0, fl.y);
        }
        const CRealPointD back = TurnVector(target.x, target.y, angle);
        const CRealPoint to(static_cast<float>(f.x + back.x), static_cast<float>(f.y + back.y));
        if (!PointsEqual(*end, to)) {
            if (recording)
                recorder->RecordPoint(end->GetUseCount() > 1 ? kUndoSharedPoint : kUndoPointChanged, end, false);
            MovePoint(end, to.x, to.y, nullptr);
        }
    }
    if (IsBezier()) {
        if (!IsEditedByControl()) {
            NormalizeBezierPointCount(recordUndo);
        } else if (closed && m_control && count > 1) {
            // While the curve is drawn its last point follows the cursor: it becomes the closing
            // segment's control point.
            const int lastId = m_points.GetAt(count - 1)->GetPointId();
            RemovePointById(lastId, false, 1);
            SmoothBezierKnot(0, 0);
            const CRealPoint at = *m_points.GetAt(m_points.GetCount() - 1);
            AddNewVertex(-1, at.x, at.y, 0.0f, kByBlockColour, kByBlockLineType, nullptr, -1.0f, -1.0f, 0, 0, 0);
        }
    }
    if (recording)
        recorder->CloseOperation(true);
    SetExtentCached(false);
    return 1;
}
