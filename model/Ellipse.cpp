// The ellipse, arc and circle shape: its geometry, the curve it is drawn as (at most 37 points),
// the ring it is hit in, its handles and bounds, and its transforms.
#include "model/Ellipse.h"
#include "model/Angles.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include "com/HResult.h"
#include <algorithm>
#include <cmath>

namespace {
// The single-precision factor the curve's own angles go through.
const double kDegreesToRadiansSingle = 0.017453292;
const double kFullTurn = 6.28318530717958;
// How far beyond its ends an arc is still hit: pi/32.
const double kArcMargin = 0.09817477042468094;

// +1 for counter-clockwise, -1 for clockwise.
double Sign(float extrusionZ) { return extrusionZ > 0 ? 1.0 : -1.0; }

// A value above 0 stays, 0 becomes 1.0, any below -1.0.
float NormalizedExtrusion(float z) { return z > 0 ? z : (z == 0 ? 1.0f : -1.0f); }
} // namespace

CEllipse::CEllipse(CShapeHost* control, int id, int type) : CGroup(id, control)
{
    m_shapeType = type;
    m_state &= ~static_cast<DWORD>(stPropagateToChildren);
    SetDefaultGeometry();
}

CEllipse::CEllipse(int id, const CEllipse& source) : CGroup(id, source)
{
    m_shapeType = source.m_shapeType;
    SetDefaultGeometry();
    CopyPropertiesFrom(const_cast<CEllipse&>(source), 0xFFFFFFFF);
}

void CEllipse::SetDefaultGeometry()
{
    m_majorX = m_majorY = 0.0f;
    m_minorRatio = 1.0f;
    m_extrusionZ = 1.0f;
    m_startAngle = 0.0f;
    m_endAngle = 360.0f;
    m_handleCount = kHandleCount;
}

// --- Geometry --------------------------------------------------------------------------------

void CEllipse::SetMajorAxis(float x, float y)
{
    m_majorX = x;
    m_majorY = y;
    SetExtentCached(false);
}

void CEllipse::SetMinorRatio(float ratio)
{
    m_minorRatio = std::fabs(ratio);
    SetExtentCached(false);
}

void CEllipse::SetExtrusionZ(float z)
{
    m_extrusionZ = NormalizedExtrusion(z);
    SetExtentCached(false);
}

void CEllipse::SetAngles(float startDegrees, float endDegrees)
{
    // Both or neither: an angle that is no number leaves the arc as it was.
    if (!IsUsableAngle(startDegrees) || !IsUsableAngle(endDegrees))
        return;
    m_startAngle = startDegrees;
    m_endAngle = endDegrees;
    SetExtentCached(false);
}

double CEllipse::GetMajorRadius() const
{
    return std::sqrt(static_cast<double>(m_majorX) * m_majorX + static_cast<double>(m_majorY) * m_majorY);
}

void CEllipse::SetMajorRadius(double length)
{
    const double angle = std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX));
    m_majorX = static_cast<float>(std::cos(angle) * length);
    m_majorY = static_cast<float>(std::sin(angle) * length);
    SetExtentCached(false);
}

int CEllipse::GetPointCoords(int index, float* x, float* y)
{
    if (index < 0 || index >= m_points.GetCount()) {
        if (m_control)
            m_control->ReportError("Index out of range");
        return 0;
    }
    const CPointRecord* point = m_points.GetAt(index);
    if (x)
        *x = point->x;
    if (y)
        *y = point->y;
    return 1;
}

CRealPointD CEllipse::PointAtParameter(double t) const
{
    const double r = GetMajorRadius();
    const double st = Sign(m_extrusionZ) * t;
    return CRealPointD(r * std::cos(st), r * m_minorRatio * std::sin(st));
}

double CEllipse::GetAxisDegrees() const
{
    return std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX)) * kRadiansToDegrees;
}

const CPointRecord* CEllipse::Centre() const { return m_points.GetCount() == 1 ? m_points.GetAt(0) : nullptr; }

void CEllipse::Sweep(double* start, double* end) const
{
    *start = NormalizeAngleRadians(m_startAngle * kDegreesToRadiansSingle);
    *end = NormalizeAngleRadians(m_endAngle * kDegreesToRadiansSingle);
    while (*end <= *start)
        *end += kFullTurn;
}

int CEllipse::GetSamplePoints(CRealPointD* points) const { return GetSamplePoints(points, 1); }

int CEllipse::GetSamplePoints(CRealPointD* points, int stride) const
{
    const CPointRecord* centre = Centre();
    stride = std::max(stride, 1);
    if (!centre)
        return 0;
    double start, end;
    Sweep(&start, &end);
    // The sweep and a tenth of a radian more, in 36 steps: the first step beyond the end is put
    // back onto the end, so every arc ends exactly on its end angle.
    const double step = ((end - start) + 0.1) * 0.027777777777777776;
    const double axis = GetAxisDegrees() * kDegreesToRadians;
    const double c = std::cos(axis), s = std::sin(axis);
    int count = 0;
    // A stride that passes over the last step stops on it.
    for (int k = 0;; k = std::min(k + stride, kMaxSamples - 1)) {
        double t = start + k * step;
        if (t > end)
            t = end;
        const CRealPointD own = PointAtParameter(t);
        points[count++] = CRealPointD(centre->x + own.x * c - own.y * s, centre->y + own.x * s + own.y * c);
        if (t == end || k == kMaxSamples - 1)
            break;
    }
    return count;
}

double CEllipse::GetAngle() { return std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX)); }

int CEllipse::SetAngle(double angle)
{
    CShape::SetAngle(angle);
    return 1;
}

void CEllipse::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_EllipseShape;
}

int CEllipse::GetClassShapeType() { return stEllipse; }

// --- Handles and bounds ------------------------------------------------------------------------

int CEllipse::GetHandlePoints(CRealPoint* points, int capacity)
{
    if (!points)
        return m_handleCount;
    const CPointRecord* centre = Centre();
    if (capacity < m_handleCount || !centre)
        return 0;
    const double r = GetMajorRadius();
    const double b = r * m_minorRatio;
    const double cx = centre->x, cy = centre->y;
    CRealPointD h[kHandleCount] = {
        {cx, cy}, {cx - r, cy}, {cx, cy + b}, {cx + r, cy}, {cx, cy - b}, {}, {},
    };
    const CRealPointD startPoint = PointAtParameter(m_startAngle * kDegreesToRadiansSingle);
    const CRealPointD endPoint = PointAtParameter(m_endAngle * kDegreesToRadiansSingle);
    h[5] = CRealPointD(cx + startPoint.x, cy + startPoint.y);
    h[6] = CRealPointD(cx + endPoint.x, cy + endPoint.y);
    CViewMapping::RotatePointsAbout(GetAxisDegrees() * kDegreesToRadians, h[0], h + 1, kHandleCount - 1);
    for (int i = 0; i < kHandleCount; ++i)
        points[i] = CRealPoint(static_cast<float>(h[i].x), static_cast<float>(h[i].y));
    return m_handleCount;
}

HRESULT CEllipse::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                                    DWORD flags)
{
    CRealRect rect;
    bool have = false;
    const CEditState* edit = m_control ? &m_control->GetEditState() : nullptr;
    const bool threePoints = edit && IsEditTarget() == 1 && edit->editMode == EDSH_NEWPOINT &&
                             m_shapeType == stArc && !Centre();
    if (threePoints) {
        // Before the circle exists: the rectangle of the first click and the mouse (none before
        // the first click).
        const bool clicked = m_control->GetShapeStateMap().GetValue(m_id) > 0;
        if (clicked) {
            rect.left = std::min(m_clicks[0].x, m_lastMouse.x);
            rect.right = std::max(m_clicks[0].x, m_lastMouse.x);
            rect.top = std::max(m_clicks[0].y, m_lastMouse.y);
            rect.bottom = std::min(m_clicks[0].y, m_lastMouse.y);
        }
        have = true;
    } else {
        const HRESULT r = CGroup::GetBoundingRectEx(&rect.left, &rect.top, &rect.right, &rect.bottom, skip, flags);
        have = SUCCEEDED(r);
        CRealPointD samples[kMaxSamples];
        const int n = GetSamplePoints(samples);
        if (!have && n == 0)
            return r;
        for (int i = 0; i < n; ++i) {
            const float x = static_cast<float>(samples[i].x), y = static_cast<float>(samples[i].y);
            if (!have) {
                rect = CRealRect(x, y, x, y);
                have = true;
                continue;
            }
            rect.left = std::min(rect.left, x);
            rect.right = std::max(rect.right, x);
            rect.top = std::max(rect.top, y);
            rect.bottom = std::min(rect.bottom, y);
        }
        m_extent = rect;
        SetStateBits(stExtentCached, true);
    }
    if (left)
        *left = rect.left;
    if (top)
        *top = rect.top;
    if (right)
        *right = rect.right;
    if (bottom)
        *bottom = rect.bottom;
    return S_OK;
}

// --- Drawing and hit testing -----------------------------------------------------------------

namespace {
// How far a drawn chord may stray from the curve, in the target's pixels: the steps of a small
// arc are drawn in fewer, longer chords as long as they keep within it.
const double kMaxStrayPixels = 0.25;
// The most steps one chord takes (a full circle keeps three chords).
const int kMaxDrawingStride = 12;
} // namespace

int CEllipse::DrawingStride(HDC dc, const CViewMapping& view) const
{
    // A metafile being recorded may be played larger: it keeps every step.
    const DWORD type = GetObjectType(dc);
    if (type == OBJ_ENHMETADC || type == OBJ_METADC)
        return 1;
    POINT p[2] = {{0, 0}, {10000, 0}};
    if (!LPtoDP(dc, p, 2))
        return 1;
    // The major radius in the target's pixels, and the turn of one step.
    const double radius = GetMajorRadius() * view.GetScaleFactor() * std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) / 10000.0;
    double start, end;
    Sweep(&start, &end);
    const double step = ((end - start) + 0.1) / (kMaxSamples - 1);
    if (!(radius > 0.0) || !std::isfinite(radius) || !(step > 0.0))
        return 1;
    // A chord of n steps strays radius * (1 - cos(n * step / 2)) from the curve.
    const double halfTurn = kMaxStrayPixels >= radius ? kFullTurn / 2 : std::acos(1.0 - kMaxStrayPixels / radius);
    const int stride = static_cast<int>(2.0 * halfTurn / step);
    return std::max(1, std::min(stride, kMaxDrawingStride));
}

int CEllipse::Draw(CDrawContext& context)
{
    if ((context.flags & CDrawContext::dcMarks) || !context.dc)
        return 1;
    HDC dc = context.dc;
    HPEN previous = nullptr;
    SelectDrawPen(context, &previous, nullptr);
    const CViewMapping& view = ViewOf(context);
    const CEditState* edit = m_control ? &m_control->GetEditState() : nullptr;
    const bool creating = edit && IsEditTarget() == 1 && edit->editMode == EDSH_NEWPOINT;
    const int result = [&]() {
        if (creating && !Centre()) {
            // A three-point arc before its circle exists: a line from the first click to the
            // mouse.
            if (m_shapeType == stArc && m_control->GetShapeStateMap().GetValue(m_id) > 0) {
                const POINT a = view.WorldToViewPoint(m_clicks[0]);
                const POINT b = view.WorldToViewPoint(m_lastMouse);
                MoveToEx(dc, a.x, a.y, nullptr);
                LineTo(dc, b.x, b.y);
            }
            return 1;
        }
        CRealPointD samples[kMaxSamples];
        const int n = GetSamplePoints(samples, DrawingStride(dc, view));
        if (n == 0)
            return 0;
        POINT points[kMaxSamples];
        view.WorldToViewPoints(samples, points, n);
        Polyline(dc, points, n);
        if (IsEditTarget() == 1 && edit->editMode == EDSH_POINT) {
            // A guide from the centre to the mouse.
            ycom::SelectGuard guide(dc, m_control->GetPenCache().GetPen(1, 0x000000, 0, 1.0, false));
            const POINT from = view.WorldToViewPoint(*Centre());
            const POINT to = view.WorldToViewPoint(m_lastMouse);
            MoveToEx(dc, from.x, from.y, nullptr);
            LineTo(dc, to.x, to.y);
        } else if (IsEditTarget() != 1) {
            DrawMarksIfSelected(context);
        }
        return 1;
    }();
    if (previous)
        SelectObject(dc, previous);
    return result;
}

BOOL CEllipse::HitTest(float x, float y)
{
    if (!CShape::HitTest(x, y))
        return FALSE;
    if (SelectsAsUnit() && CGroup::HitTest(x, y))
        return TRUE;
    const CPointRecord* centre = Centre();
    if (!centre || !m_control)
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    const LONG pen = static_cast<LONG>(std::lround(GetDevicePenWidth() / view.LogicalPerPixelX()));
    const CRealPointD tolerance = view.PixelsToWorldSize(SIZE{pen + 3, pen + 3});
    const double tol = (tolerance.x + tolerance.y) * 0.5;
    CRealPointD p = view.DeviceToWorld(x, y);
    const CRealPointD c(centre->x, centre->y);
    CViewMapping::RotatePointsAbout(-GetAxisDegrees() * kDegreesToRadians, c, &p, 1);
    const double dx = p.x - c.x, dy = p.y - c.y;
    const double a = GetMajorRadius(), b = a * m_minorRatio;
    // The point's parameter on the ellipse (its angle on the circle the ellipse is squeezed
    // from), measured the way the arc runs.
    double angle = b > 0 ? std::atan2(dy * a / b, dx) : std::atan2(dy, dx);
    if (m_extrusionZ < 0)
        angle = -angle;
    double start, end;
    Sweep(&start, &end);
    while (angle + kArcMargin <= start)
        angle += kFullTurn;
    while (end < angle - kArcMargin)
        angle -= kFullTurn;
    if (!(start <= angle + kArcMargin && angle - kArcMargin <= end))
        return FALSE;
    const double outerA = a + tol, outerB = b + tol;
    if (dx * dx / (outerA * outerA) + dy * dy / (outerB * outerB) >= 1.0)
        return FALSE;
    const double innerA = a - tol, innerB = b - tol;
    // An ellipse smaller than the tolerance is hit anywhere inside.
    if (innerA > 0 && innerB > 0 && dx * dx / (innerA * innerA) + dy * dy / (innerB * innerB) <= 1.0)
        return FALSE;
    return TRUE;
}

// --- Transforms --------------------------------------------------------------------------------

void CEllipse::OffsetPoints(float dx, float dy)
{
    if (m_points.IsEmpty())
        return;
    CPointRecord* centre = m_points.GetAt(0);
    centre->x += dx;
    centre->y += dy;
    SetExtentCached(false);
}

int CEllipse::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    if (!CGroup::Rotate(xc, yc, degrees, visited, force))
        return 0;
    // Whole turns change nothing.
    if (degrees - std::trunc(degrees / 360.0) * 360.0 == 0.0)
        return 1;
    const double a = degrees * kDegreesToRadiansSingle;
    const double c = std::cos(a), s = std::sin(a);
    const double x = m_majorX, y = m_majorY;
    m_majorX = static_cast<float>(c * x - s * y);
    m_majorY = static_cast<float>(s * x + c * y);
    SetExtentCached(false);
    return 1;
}

int CEllipse::Flip(std::set<int>* visited, const float* axisGiven, bool vertical)
{
    float axis;
    if (axisGiven) {
        axis = *axisGiven;
    } else if (!FlipAxis(nullptr, vertical, &axis)) {
        const CPointRecord* centre = Centre();
        if (!centre)
            return 0;
        axis = vertical ? centre->y : centre->x;
    }
    if (!(vertical ? CGroup::FlipVertical(visited, &axis) : CGroup::FlipHorizontal(visited, &axis)))
        return 0;
    float& component = vertical ? m_majorY : m_majorX;
    component = -component;
    m_extrusionZ = NormalizedExtrusion(-m_extrusionZ);
    SetExtentCached(false);
    return 1;
}

int CEllipse::FlipVertical(std::set<int>* visited, const float* axisY) { return Flip(visited, axisY, true); }

int CEllipse::FlipHorizontal(std::set<int>* visited, const float* axisX) { return Flip(visited, axisX, false); }

HRESULT CEllipse::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    const HRESULT hr = CGroup::Scale(xc, yc, kx, ky, visited, force);
    RETURN_IF_FAILED(hr);
    float sx = kx, sy = ky;
    if (!force && ApplyScaleProtection(&sx, &sy))
        return E_ACCESSDENIED;
    const double r = GetMajorRadius();
    // A full circle scaled unevenly first lays its axis along x: the result's axes are then
    // the scale's axes.
    if (m_minorRatio == 1.0f && m_startAngle == 0.0f && m_endAngle == 360.0f && std::fabs(sx) != std::fabs(sy)) {
        m_majorX = static_cast<float>(r);
        m_majorY = 0.0f;
    }
    const double a = std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX));
    m_majorX *= sx;
    m_majorY *= sy;
    // The minor semi-axis, turned with the axis and scaled.
    CRealPointD v(0.0, -(r * m_minorRatio));
    v = CRealPointD(-std::sin(a) * v.y, std::cos(a) * v.y);
    v.x *= sx;
    v.y *= sy;
    const double a2 = std::atan2(static_cast<double>(m_majorY), static_cast<double>(m_majorX));
    const double b = std::atan2(v.y, v.x) - 1.570796326794895;
    const double r2 = GetMajorRadius();
    if (r2 != 0.0)
        m_minorRatio = static_cast<float>(std::fabs(std::sqrt(v.x * v.x + v.y * v.y) / r2 * std::cos(b - a2)));
    if ((sx < 0) != (sy < 0))
        m_extrusionZ = NormalizedExtrusion(-m_extrusionZ);
    SetExtentCached(false);
    return hr;
}

int CEllipse::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int result = CGroup::CopyPropertiesFrom(source, mask);
    if (!result)
        return 0;
    const auto* other = dynamic_cast<const CEllipse*>(&source);
    if (!other)
        return result + 1;
    if (mask & (speAngle | speXScale | speYScale)) {
        m_majorX = other->m_majorX;
        m_majorY = other->m_majorY;
        m_minorRatio = std::fabs(other->m_minorRatio);
    }
    m_extrusionZ = NormalizedExtrusion(other->m_extrusionZ);
    m_startAngle = other->m_startAngle;
    m_endAngle = other->m_endAngle;
    SetExtentCached(false);
    return result + 1;
}

int CEllipse::AlignPointTo(float x, float y, int* index, CRealPoint* point)
{
    const int result = CGroup::AlignPointTo(x, y, index, point);
    if (!result || !index || *index != 0)
        return result;
    if (std::fabs(m_majorX) < 1e-7f && std::fabs(m_majorY) < 1e-7f)
        *index = paBoundingRectIntersection;
    else if (std::fabs(m_minorRatio) < 1e-7f)
        *index = paBorder;
    else
        *index = -1;
    return result;
}
