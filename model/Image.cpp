// The image shape: a picture of the site's image resources on a turned rectangle. Its geometry,
// drawing (the picture under a world transform turning about the corner point), hit testing,
// transforms and the editing by its eight handles.
#include "model/Image.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/PenCache.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeStateMap.h"
#include "model/ViewMapping.h"
#include "persistence/DrawingSettingRecord.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>

namespace {
// Drawing, hit testing, handles and bounds turn degrees into radians in single precision; the
// transforms and DXF in double.
const double kDegreesToRadiansSingle = 0.017453292;

// Into [0, 360).
float Normalized(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0.0)
        a += 360.0;
    return static_cast<float>(a >= 360.0 ? 0.0 : a);
}

// The handle opposite each handle, and the signs with which a drag of it sizes the width and
// the height.
struct HandleRule
{
    int opposite;
    int xSign;
    int ySign;
};
const HandleRule kHandleRules[CImage::kHandleCount] = {
    {6, 0, 1}, {3, 1, 1}, {4, -1, 1}, {1, -1, -1}, {2, 1, -1}, {7, -1, 0}, {0, 0, -1}, {5, 1, 0},
};

// An affine map as the device transform holds one.
CRealPointD Apply(const XFORM& m, double x, double y)
{
    return CRealPointD(m.eM11 * x + m.eM21 * y + m.eDx, m.eM12 * x + m.eM22 * y + m.eDy);
}

XFORM Inverse(const XFORM& m)
{
    const double det = static_cast<double>(m.eM11) * m.eM22 - static_cast<double>(m.eM12) * m.eM21;
    if (det == 0.0)
        return XFORM{1, 0, 0, 1, 0, 0};
    XFORM r;
    r.eM11 = static_cast<FLOAT>(m.eM22 / det);
    r.eM12 = static_cast<FLOAT>(-m.eM12 / det);
    r.eM21 = static_cast<FLOAT>(-m.eM21 / det);
    r.eM22 = static_cast<FLOAT>(m.eM11 / det);
    r.eDx = static_cast<FLOAT>(-(m.eDx * r.eM11 + m.eDy * r.eM21));
    r.eDy = static_cast<FLOAT>(-(m.eDx * r.eM12 + m.eDy * r.eM22));
    return r;
}

// The box of a rectangle's four corners through a map.
RECT MapRect(const XFORM& m, const RECT& r)
{
    double l = 1e300, t = 1e300, rr = -1e300, b = -1e300;
    for (const POINT& p : {POINT{r.left, r.top}, POINT{r.right, r.top}, POINT{r.right, r.bottom}, POINT{r.left, r.bottom}}) {
        const CRealPointD q = Apply(m, p.x, p.y);
        l = std::min(l, q.x), rr = std::max(rr, q.x), t = std::min(t, q.y), b = std::max(b, q.y);
    }
    return RECT{DoubleToIntClamped(std::floor(l)), DoubleToIntClamped(std::floor(t)), DoubleToIntClamped(std::ceil(rr)),
                DoubleToIntClamped(std::ceil(b))};
}

RECT Ordered(const RECT& r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
}

// Orientation of c against the line a-b: 1, -1, or 0 when on it.
int Orientation(const POINT& a, const POINT& b, const POINT& c)
{
    const long long v = static_cast<long long>(b.x - a.x) * (c.y - a.y) - static_cast<long long>(b.y - a.y) * (c.x - a.x);
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

bool OnSegment(const POINT& a, const POINT& b, const POINT& p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// 1 when the segments cross properly, -1 when an end of one touches the other, else 0.
int SegmentsMeet(const POINT& a, const POINT& b, const POINT& c, const POINT& d)
{
    const int o1 = Orientation(a, b, c), o2 = Orientation(a, b, d);
    const int o3 = Orientation(c, d, a), o4 = Orientation(c, d, b);
    if (o1 * o2 < 0 && o3 * o4 < 0)
        return 1;
    if ((o1 == 0 && OnSegment(a, b, c)) || (o2 == 0 && OnSegment(a, b, d)) || (o3 == 0 && OnSegment(c, d, a)) ||
        (o4 == 0 && OnSegment(c, d, b)))
        return -1;
    return 0;
}

bool InsidePolygon(const POINT* points, int count, long x, long y, long tx, long ty)
{
    long l = points[0].x, r = l, t = points[0].y, b = t;
    for (int i = 1; i < count; ++i) {
        l = std::min(l, points[i].x), r = std::max(r, points[i].x);
        t = std::min(t, points[i].y), b = std::max(b, points[i].y);
    }
    if (x < l - tx || x > r + tx || y < t - ty || y > b + ty)
        return false;
    const POINT from{x, y}, to{r + 50, y};
    int crossings = 0;
    for (int i = 0; i < count; ++i) {
        const int meet = SegmentsMeet(from, to, points[i], points[(i + 1) % count]);
        if (meet == 1 || (meet == -1 && crossings % 2 == 0))
            ++crossings;
    }
    return crossings % 2 == 1;
}
} // namespace

bool PointInPolygon(const POINT* points, int count, long x, long y, const SIZE* tolerance)
{
    if (!points || count < 1)
        return false;
    const long tx = tolerance ? tolerance->cx : 0, ty = tolerance ? tolerance->cy : 0;
    if (InsidePolygon(points, count, x, y, tx, ty))
        return true;
    if (!tolerance)
        return false;
    for (const POINT& d : {POINT{-tx, -ty}, POINT{tx, -ty}, POINT{-tx, ty}, POINT{tx, ty}})
        if (InsidePolygon(points, count, x + d.x, y + d.y, 0, 0))
            return true;
    return false;
}

// --- Construction and the resource ------------------------------------------------------------

CImage::CImage(CShapeHost* control, int id, int imageResourceId) : CGroup(id, control), m_imageResourceId(imageResourceId)
{
    m_shapeType = stImage;
    AddResourceRef();
}

CImage::CImage(int id, const CImage& source)
    : CGroup(id, source), m_imageResourceId(source.m_imageResourceId), m_rotation(Normalized(source.m_rotation)),
      m_width(source.m_width), m_height(source.m_height), m_hitMode(source.m_hitMode)
{
    m_shapeType = stImage;
    AddResourceRef();
}

CImage::~CImage() { ReleaseResourceRef(); }

CImageResource* CImage::GetImageResource() const
{
    return m_control ? m_control->GetImageResourceMap().Lookup(m_imageResourceId) : nullptr;
}

void CImage::AddResourceRef()
{
    m_holdsUse = false;
    if (m_imageResourceId == 0)
        return;
    if (CImageResource* resource = GetImageResource()) {
        resource->AddUse();
        m_holdsUse = true;
    }
}

void CImage::ReleaseResourceRef()
{
    // Every use taken is given back, the default picture's (a negative ID) too: a use left over
    // keeps a resource counted as drawn, and the DXF writer then writes its definition.
    if (m_holdsUse && m_control)
        if (CImageResource* resource = GetImageResource())
            resource->ReleaseUse();
    m_holdsUse = false;
}

void CImage::SetImageResourceId(int id)
{
    ReleaseResourceRef();
    m_imageResourceId = id;
    AddResourceRef();
    SetExtentCached(false);
}

void CImage::SetRotation(double degrees)
{
    m_rotation = Normalized(degrees);
    SetExtentCached(false);
}

void CImage::SetSize(float width, float height)
{
    m_width = width;
    m_height = height;
    SetExtentCached(false);
}

const CPointRecord* CImage::Corner() const { return m_points.IsEmpty() ? nullptr : m_points.GetAt(0); }

bool CImage::GetCorners(CRealPointD corners[4]) const
{
    const CPointRecord* p = Corner();
    if (!p)
        return false;
    const double t = m_rotation * kDegreesToRadiansSingle;
    const double c = std::cos(t), s = std::sin(t);
    corners[0] = CRealPointD(p->x, p->y);
    corners[1] = CRealPointD(p->x + m_width * c, p->y + m_width * s);
    corners[2] = CRealPointD(corners[1].x + m_height * s, corners[1].y - m_height * c);
    corners[3] = CRealPointD(p->x + m_height * s, p->y - m_height * c);
    return true;
}

int CImage::ResetSizeFromResource(int imageResourceId)
{
    if (!m_control)
        return 0;
    CImageResourceMap& map = m_control->GetImageResourceMap();
    const CImageResource* resource = map.Lookup(imageResourceId ? imageResourceId : m_imageResourceId);
    if (!resource || resource->GetWidth() == 0 || resource->GetHeight() == 0 || !GetImageResource())
        return 0;
    const CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting();
    const float s = setting ? setting->ImageScale : 1.0f;
    SetSize(resource->GetWidth() * s, resource->GetHeight() * s);
    return 1;
}

int CImage::ConvertToBlock(const std::vector<CShape*>* done)
{
    if (done && std::find(done->begin(), done->end(), this) != done->end())
        return 0;
    // A metafile picture becomes a library block of vector shapes (made once for the resource).
    return m_control ? m_control->MakeBlockOfImageResource(m_imageResourceId) : 0;
}

// --- Geometry -----------------------------------------------------------------------------------

int CImage::GetHandlePoints(CRealPoint* points, int capacity)
{
    if (!points)
        return kHandleCount;
    CRealPointD c[4];
    if (capacity < kHandleCount || !GetCorners(c))
        return 0;
    auto at = [](const CRealPointD& p) { return CRealPoint(static_cast<float>(p.x), static_cast<float>(p.y)); };
    auto middle = [&](const CRealPointD& a, const CRealPointD& b) { return at(CRealPointD((a.x + b.x) * 0.5, (a.y + b.y) * 0.5)); };
    points[0] = middle(c[0], c[1]);
    points[1] = at(c[0]);
    points[2] = at(c[1]);
    points[3] = at(c[2]);
    points[4] = at(c[3]);
    points[5] = middle(c[1], c[2]);
    points[6] = middle(c[3], c[2]);
    points[7] = middle(c[0], c[3]);
    return kHandleCount;
}

HRESULT CImage::GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                                  DWORD flags)
{
    if (m_points.GetCount() != 1)
        return E_FAIL;
    float l = 0, t = 0, r = 0, b = 0;
    const HRESULT hr = CGroup::GetBoundingRectEx(&l, &t, &r, &b, skip, flags);
    if (FAILED(hr))
        return hr;
    CRealPointD c[4];
    GetCorners(c);
    for (const CRealPointD& p : c) {
        l = std::min(l, static_cast<float>(p.x));
        r = std::max(r, static_cast<float>(p.x));
        t = std::max(t, static_cast<float>(p.y));
        b = std::min(b, static_cast<float>(p.y));
    }
    if (left)
        *left = l;
    if (top)
        *top = t;
    if (right)
        *right = r;
    if (bottom)
        *bottom = b;
    return hr;
}

int CImage::GetNearestPoint(const CRealPoint& point, CRealPoint* nearest)
{
    CRealPointD c[4];
    if (!GetCorners(c))
        return 0;
    CRealPoint outline[4];
    for (int i = 0; i < 4; ++i)
        outline[i] = CRealPoint(static_cast<float>(c[i].x), static_cast<float>(c[i].y));
    CRealPoint found;
    NearestPointOnPolyline(outline, 4, point, &found, true);
    if (nearest)
        *nearest = found;
    return 1;
}

double CImage::GetAngle() { return m_rotation; }

int CImage::GetClassShapeType() { return stImage; }

void CImage::GetCoClassId(CLSID* clsid)
{
    if (clsid)
        *clsid = CLSID_ImageShape;
}

bool CImage::IsEditActive(bool) { return !m_points.IsEmpty(); }

int CImage::CopyPropertiesFrom(CShape& source, DWORD mask)
{
    const int result = CGroup::CopyPropertiesFrom(source, mask);
    if (!result)
        return 0;
    if (const auto* other = dynamic_cast<const CImage*>(&source)) {
        if (mask & 0x2)
            m_rotation = Normalized(other->m_rotation);
        if (mask & 0x4)
            m_width = other->m_width;
        if (mask & 0x8)
            m_height = other->m_height;
        SetExtentCached(false);
    }
    return result + 1;
}

// --- Transforms ---------------------------------------------------------------------------------

int CImage::Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force)
{
    if (!CGroup::Rotate(xc, yc, degrees, visited, force))
        return 0;
    m_rotation = Normalized(m_rotation + degrees);
    SetExtentCached(false);
    return 1;
}

int CImage::FlipVertical(std::set<int>* visited, const float* axisY)
{
    float axis;
    if (!FlipAxis(axisY, true, &axis) || !CGroup::FlipVertical(visited, &axis))
        return 0;
    m_height = -m_height;
    m_rotation = Normalized(-m_rotation);
    SetExtentCached(false);
    return 1;
}

int CImage::FlipHorizontal(std::set<int>* visited, const float* axisX)
{
    float axis;
    if (!FlipAxis(axisX, false, &axis) || !CGroup::FlipHorizontal(visited, &axis))
        return 0;
    m_height = -m_height;
    m_rotation = Normalized(180.0 - m_rotation);
    SetExtentCached(false);
    return 1;
}

HRESULT CImage::Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force)
{
    const HRESULT hr = CGroup::Scale(xc, yc, kx, ky, visited, force);
    if (FAILED(hr))
        return hr;
    float sx = kx, sy = ky;
    if (!force && ApplyScaleProtection(&sx, &sy))
        return E_ACCESSDENIED;
    double width = m_width, height = m_height, angle = 0.0;
    if (!ScaleRotatedExtent(m_rotation * kDegreesToRadians, sx, sy, &width, &height, &angle))
        return S_FALSE;
    m_width = static_cast<float>(width);
    m_height = static_cast<float>(height);
    m_rotation = Normalized(angle * kRadiansToDegrees);
    SetExtentCached(false);
    return S_OK;
}

// --- Drawing and hit testing -----------------------------------------------------------------

int CImage::Draw(CDrawContext& context)
{
    if (context.flags & CDrawContext::dcMarks)
        return 1;
    const bool editTarget = IsEditTarget() == 1;
    if (m_imageResourceId == 0 && !editTarget)
        return 0;
    const CPointRecord* p = Corner();
    if (!p || !context.dc)
        return 0;
    HDC dc = context.dc;
    const CViewMapping& view = ViewOf(context);
    const POINT d0 = view.WorldToViewPoint(*p);
    const POINT d1 = view.WorldToViewPointD(CRealPointD(static_cast<double>(p->x) + m_width,
                                                        static_cast<double>(p->y) - m_height));
    // The rotation about the corner, counter-clockwise in the context's y-up units as in the world.
    const double phi = m_rotation * kDegreesToRadiansSingle;
    const double c = std::cos(phi), s = std::sin(phi);
    XFORM rotation;
    rotation.eM11 = static_cast<FLOAT>(c);
    rotation.eM12 = static_cast<FLOAT>(s);
    rotation.eM21 = static_cast<FLOAT>(-s);
    rotation.eM22 = static_cast<FLOAT>(c);
    rotation.eDx = static_cast<FLOAT>(d0.x - c * d0.x + s * d0.y);
    rotation.eDy = static_cast<FLOAT>(d0.y - c * d0.y - s * d0.x);
    POINT frame[5] = {d0, {d1.x, d0.y}, d1, {d0.x, d1.y}, d0};

    // The outline passes (and the outline recorded for the clip) draw the turned frame alone.
    if (context.flags & (CDrawContext::dcNoFill | CDrawContext::dcFilledOnly | CDrawContext::dcClipPass)) {
        POINT turned[5];
        for (int i = 0; i < 5; ++i) {
            const CRealPointD q = Apply(rotation, frame[i].x, frame[i].y);
            turned[i] = POINT{DoubleToIntClamped(q.x), DoubleToIntClamped(q.y)};
        }
        const bool ownPen = context.pen && context.pen != reinterpret_cast<HPEN>(-1);
        ycom::SelectGuard pen(dc, ownPen ? context.pen : nullptr);
        Polyline(dc, turned, 5);
        return 1;
    }

    // What the context shows of the image, in the image's own (unturned) units.
    const RECT rect{d0.x, d0.y, d1.x, d1.y};
    RECT clip = rect, box;
    bool visible = true;
    if (phi != 0.0 && GetClipBox(dc, &box) != ERROR) {
        const RECT inImage = MapRect(Inverse(rotation), Ordered(box));
        const RECT own = Ordered(rect);
        visible = IntersectRects(&inImage, &own, &clip) != 0;
    }

    XFORM previous;
    GetWorldTransform(dc, &previous);
    XFORM combined;
    CombineTransform(&combined, &rotation, &previous);
    SetWorldTransform(dc, &combined);
    int result = 1;
    const bool hidden = editTarget && m_control && (m_control->GetDxfOptions() & CShapeHost::kDxfHideEditedImage);
    if (!hidden && m_imageResourceId != 0) {
        HPEN previousPen = nullptr;
        SelectDrawPen(context, &previousPen, nullptr);
        CImageResource* resource = GetImageResource();
        if (resource && visible)
            resource->Draw(dc, rect, &clip);
        if (previousPen)
            SelectObject(dc, previousPen);
        if (!resource)
            result = 0;
    }
    if (result && editTarget && m_control) {
        ycom::SelectGuard pen(dc, m_control->GetPenCache().GetPen(1, 0, 0, 1.0, false));
        Polyline(dc, frame, 5);
    }
    SetWorldTransform(dc, &previous);
    // The marks stand on the world's handles, outside the image's turn.
    if (result)
        DrawMarksIfSelected(context);
    return result;
}

BOOL CImage::HitTest(float x, float y)
{
    if (!CShape::HitTest(x, y))
        return FALSE;
    if (SelectsAsUnit() && CGroup::HitTest(x, y))
        return TRUE;
    CRealPointD c[4];
    if (!m_control || !GetCorners(c))
        return FALSE;
    const CViewMapping& view = m_control->GetCurrentViewport();
    POINT d[4];
    for (int i = 0; i < 4; ++i)
        d[i] = view.WorldToDevice(CRealPoint(static_cast<float>(c[i].x), static_cast<float>(c[i].y)));
    const long px = static_cast<long>(x), py = static_cast<long>(y);
    if (m_hitMode == kHitArea)
        return PointInPolygon(d, 4, px, py, nullptr) ? TRUE : FALSE;
    if (m_hitMode != kHitOutline)
        return FALSE;
    const long t = DoubleToIntClamped(GetDevicePenWidth() * 0.2 / view.LogicalPerPixelX()) + 3;
    for (int i = 0; i < 4; ++i) {
        const long x1 = d[i].x - px, y1 = d[i].y - py;
        const long x2 = d[(i + 1) % 4].x - px, y2 = d[(i + 1) % 4].y - py;
        if (-t < x1 && x1 < t && -t < y1 && y1 < t)
            return TRUE;
        if ((x1 < -t && x2 < -t) || (x1 > t && x2 > t) || (y1 < -t && y2 < -t) || (y1 > t && y2 > t))
            continue;
        const double dx = static_cast<double>(x1) - x2, dy = static_cast<double>(y1) - y2;
        const double length2 = dx * dx + dy * dy;
        if (length2 == 0.0)
            continue;
        const double cross = static_cast<double>(x1) * y2 - static_cast<double>(x2) * y1;
        if (cross * cross / length2 < static_cast<double>(t) * t)
            return TRUE;
    }
    return FALSE;
}

// --- Editing ------------------------------------------------------------------------------------

int CImage::ResizeTo(float width, float height)
{
    const DWORD f = GetProtectionFlagsMasked(0xE0);
    const bool widthLocked = (f & sdbfWidth) != 0, heightLocked = (f & sdbfHeight) != 0;
    const bool aspect = (f & sdbfAspect) != 0;
    if ((widthLocked && heightLocked) || (aspect && (widthLocked || heightLocked)))
        return 0;
    if (aspect) {
        const double kx = m_width != 0.0f ? width / m_width : 1.0;
        const double ky = m_height != 0.0f ? height / m_height : 1.0;
        double k;
        if (std::fabs(kx) > std::fabs(ky))
            k = kx;
        else if (std::fabs(kx) < std::fabs(ky))
            k = ky;
        else
            k = kx != 1.0 ? kx : ky;
        m_width = static_cast<float>(m_width * k);
        m_height = static_cast<float>(m_height * k);
    } else {
        if (!heightLocked)
            m_height = height;
        if (!widthLocked)
            m_width = width;
    }
    SetExtentCached(false);
    return 1;
}

int CImage::OnEditMouseDown(float x, float y, std::map<int, int>* selection)
{
    if (const int result = CShape::OnEditMouseDown(x, y, selection))
        return result;
    if (!m_control || IsEditTarget() != 1)
        return 0;
    const int mode = m_control->GetEditState().editMode;
    if (mode == EDSH_POINT) {
        if (!GetImageResource()) {
            EndEdit(true);
            return 1;
        }
        const int picked = m_control->GetShapeStateMap().GetValue(m_id);
        StartEdit(EDSH_POINT, picked >= 0 && picked < kHandleCount ? picked : 3, nullptr);
        return 1;
    }
    if (mode != EDSH_NEWPOINT)
        return 1;
    CRealPoint at(x, y);
    SnapDraggedPoint(at, nullptr, false);
    if (m_points.IsEmpty()) {
        const int pointId = m_control->CreatePoint(at.x, at.y);
        if (pointId <= 0 || AddPointById(pointId, kAppend, true) != S_OK)
            return 0;
    } else {
        SetPointCoords(3, at.x, at.y, 0);
    }
    if (m_width == 0.0f || m_height == 0.0f || !GetImageResource()) {
        // The picture's rectangle is dragged out from the corner by the opposite corner.
        m_width = m_height = m_rotation = 0.0f;
        StartEdit(EDSH_POINT, 3, nullptr);
    } else {
        // The image is placed: it no longer collects points, so that the control can finish it.
        StartEdit(EDSH_POINT, 3, nullptr);
        // The end may put a block reference in its place: this image may be gone.
        EndEdit(true);
        return 1;
    }
    SetExtentCached(false);
    return 1;
}

int CImage::OnEditDrag(float x, float y)
{
    if (!m_control || IsEditTarget() != 1)
        return 1;
    CEditState& edit = m_control->GetEditState();
    if (edit.editMode == EDSH_NEWPOINT) {
        if (!m_points.IsEmpty())
            SetPointCoords(3, x, y, 0);
        SetExtentCached(false);
        m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
        return 1;
    }
    if (edit.editMode != EDSH_POINT)
        return CShape::OnEditDrag(x, y);
    const int handle = m_control->GetShapeStateMap().GetValue(m_id);
    if (handle < 0 || handle >= kHandleCount || m_points.IsEmpty())
        return 1;
    // The drag sizes the image as it stood when the edit began.
    auto* tracker = dynamic_cast<CImage*>(edit.tracker);
    CImage& before = tracker && !tracker->m_points.IsEmpty() ? *tracker : *this;
    CRealPoint handles[kHandleCount];
    CRealPointD corners[4];
    if (before.GetHandlePoints(handles, kHandleCount) != kHandleCount || !before.GetCorners(corners))
        return 1;
    const float oldWidth = before.m_width, oldHeight = before.m_height;
    const double t = before.m_rotation * kDegreesToRadiansSingle;
    const double c = std::cos(t), s = std::sin(t);
    const HandleRule& rule = kHandleRules[handle];
    const CRealPoint& opposite = handles[rule.opposite];
    const double dx = static_cast<double>(opposite.x) - x, dy = static_cast<double>(opposite.y) - y;
    // The sides' directions, pointing from the dragged handle's side towards the opposite one.
    const double uLength = oldWidth != 0.0f ? std::fabs(oldWidth) : 1.0;
    const double vLength = oldHeight != 0.0f ? std::fabs(oldHeight) : 1.0;
    const double ux = uLength * c * rule.xSign, uy = uLength * s * rule.xSign;
    const double vx = vLength * s * rule.ySign, vy = -vLength * c * rule.ySign;
    const float width = rule.xSign ? static_cast<float>((ux * dx + uy * dy) / uLength) : oldWidth;
    const float height = rule.ySign ? static_cast<float>((vx * dx + vy * dy) / vLength) : oldHeight;

    const DWORD f = GetProtectionFlagsMasked(0xE0);
    const bool widthLocked = (f & sdbfWidth) != 0, heightLocked = (f & sdbfHeight) != 0;
    const bool aspectLocked = (f & sdbfAspect) != 0;
    const bool corner = handle >= 1 && handle <= 4;
    m_width = oldWidth;
    m_height = oldHeight;
    if (corner) {
        ResizeTo(width, height);
    } else if (handle == 6) {
        if (!heightLocked && !aspectLocked)
            m_height = height;
    } else if (handle == 5 || handle == 7) {
        if (!widthLocked && !aspectLocked)
            m_width = width;
    }
    // A corner keeps the picture's proportions (an image dragged out of nothing has none yet).
    if (corner && !widthLocked && !heightLocked && oldWidth != 0.0f && oldHeight != 0.0f) {
        const double kx = m_width / oldWidth, ky = m_height / oldHeight;
        if (std::fabs(kx) <= std::fabs(ky))
            m_width = static_cast<float>(ky * oldWidth);
        else
            m_height = static_cast<float>(kx * oldHeight);
    }
    // The corner point moves so that the side opposite the handle stays.
    CRealPointD p = corners[0];
    const double w = m_width, h = m_height;
    if (handle == 1)
        p = CRealPointD(corners[2].x - h * s - w * c, corners[2].y + h * c - w * s);
    else if (handle == 2)
        p = CRealPointD(corners[3].x - h * s, corners[3].y + h * c);
    else if (handle == 4 || handle == 7)
        p = CRealPointD(corners[1].x - w * c, corners[1].y - w * s);
    CPointRecord* point = m_points.GetAt(0);
    if (point->x != static_cast<float>(p.x) || point->y != static_cast<float>(p.y)) {
        const float ox = point->x, oy = point->y;
        point->x = static_cast<float>(p.x);
        point->y = static_cast<float>(p.y);
        if (!PropagatePointMove(m_control, nullptr, m_id, point)) {
            point->x = ox;
            point->y = oy;
        }
    }
    SetExtentCached(false);
    m_control->RequestRedraw(rfCopyBuf | rfCopyMarkers, this);
    return 1;
}

int CImage::EndEdit(bool commit)
{
    if (!m_control)
        return 0;
    const int mode = m_control->GetEditState().editMode;
    if (mode == EDSH_ROTATE || mode == EDSH_SCALE || mode == EDSH_MOVE || !commit)
        return CShape::EndEdit(commit);
    if (!GetImageResource()) {
        // A new image takes the picture its creation was started for.
        const CShapeHost::CPendingImage pending = m_control->GetPendingImage();
        CImageResourceMap& map = m_control->GetImageResourceMap();
        CImageResource* resource = pending.resourceId ? map.Lookup(pending.resourceId) : nullptr;
        if (!resource && pending.resourceId > 0)
            resource = map.FindByObjectId(pending.resourceId);
        if (!resource)
            return CShape::EndEdit(false);
        SetImageResourceId(resource->GetId());
        // An image placed by a click, not dragged out, takes the picture's size.
        if (m_width == 0.0f || m_height == 0.0f) {
            ResetSizeFromResource(0);
            if (pending.width != 0.0f || pending.height != 0.0f)
                SetSize(pending.width, pending.height);
        }
    }
    if (m_control->PlaceImageAsReference(this))
        return 1;
    return CShape::EndEdit(true);
}
