#include "control/ViewportRecord.h"
#include "model/Geometry.h"
#include <cmath>
#include <cstdlib>

CViewportRecord::CViewportRecord(CControlCore* owner) : control(owner)
{
    HDC screen = GetDC(nullptr);
    if (screen) {
        horzSize10 = GetDeviceCaps(screen, HORZSIZE) * 10;
        vertSize10 = GetDeviceCaps(screen, VERTSIZE) * 10;
        horzRes = GetDeviceCaps(screen, HORZRES);
        vertRes = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
    }
    // A screen that reports nothing is taken as 96 dpi.
    if (horzSize10 <= 0 || horzRes <= 0) {
        horzRes = 1024;
        horzSize10 = 2709;
    }
    if (vertSize10 <= 0 || vertRes <= 0) {
        vertRes = 768;
        vertSize10 = 2032;
    }
}

CRealPointD CViewportRecord::WorldToLogical(double x, double y) const
{
    const double s = GetScaleFactor();
    return CRealPointD(origin.x + x * s, origin.y + y * s);
}

POINT CViewportRecord::PixelsToLogical(POINT pixels) const
{
    POINT p;
    p.x = MulDiv(pixels.x, horzSize10, horzRes);
    p.y = -MulDiv(pixels.y, vertSize10, vertRes);
    return p;
}

POINT CViewportRecord::WorldToDevice(const CRealPoint& world) const
{
    const double s = GetScaleFactor();
    POINT p;
    p.x = DoubleToIntClamped(horzRes * (world.x * s + origin.x) / horzSize10);
    p.y = -DoubleToIntClamped(vertRes * (world.y * s + origin.y) / vertSize10);
    return p;
}

void CViewportRecord::WorldToLogicalPoints(CRealPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        const POINT p = WorldToDevice(points[i]);
        points[i] = CRealPoint(static_cast<float>(p.x), static_cast<float>(p.y));
    }
}

CRealPointD CViewportRecord::DeviceToWorld(double xPixels, double yPixels) const
{
    const double s = GetScaleFactor();
    const double lx = xPixels * horzSize10 / horzRes;
    const double ly = -(yPixels * vertSize10 / vertRes);
    if (s == 0.0)
        return CRealPointD(0, 0);
    return CRealPointD((lx - origin.x) / s, (ly - origin.y) / s);
}

CRealRect CViewportRecord::GetVisibleWorldRect() const
{
    const double s = static_cast<double>(scale) * zoom;
    CRealRect r;
    if (s == 0.0)
        return r;
    r.left = static_cast<float>((clientOffset.x - origin.x) / s);
    r.top = static_cast<float>(-(clientOffset.y + origin.y) / s);
    r.right = r.left + width;
    r.bottom = r.top - height;
    return r;
}

void CViewportRecord::SetClientArea(SIZE logicalSize, const POINT* logicalOffset)
{
    clientSize = logicalSize;
    clientOffset = logicalOffset ? *logicalOffset : POINT{0, 0};
    const double s = GetScaleFactor();
    if (s != 0.0) {
        height = static_cast<float>(clientSize.cy / s);
        width = static_cast<float>(clientSize.cx / s);
    }
    RecomputeOrigin();
}

void CViewportRecord::SetCenter(float x, float y)
{
    center = CRealPoint(x, y);
    RecomputeOrigin();
}

void CViewportRecord::SetCenterX(float x)
{
    center.x = x;
    RecomputeOrigin();
}

void CViewportRecord::SetCenterY(float y)
{
    center.y = y;
    RecomputeOrigin();
}

double CViewportRecord::PixelsToWorldX(double pixels) const
{
    const double s = GetScaleFactor();
    return s == 0.0 ? 0.0 : pixels * LogicalPerPixelX() / s;
}

double CViewportRecord::PixelsToWorldY(double pixels) const
{
    const double s = GetScaleFactor();
    return s == 0.0 ? 0.0 : pixels * LogicalPerPixelY() / s;
}

RECT CViewportRecord::WorldToDeviceRect(const CRealRect& world) const
{
    const POINT a = WorldToDevice(CRealPoint(world.left, world.top));
    const POINT b = WorldToDevice(CRealPoint(world.right, world.bottom));
    RECT r;
    r.left = a.x < b.x ? a.x : b.x;
    r.right = a.x < b.x ? b.x : a.x;
    r.top = a.y < b.y ? a.y : b.y;
    r.bottom = a.y < b.y ? b.y : a.y;
    return r;
}

RECT CViewportRecord::WorldToLogicalRect(const CRealRect& world) const
{
    const CRealPointD a = WorldToLogical(world.left, world.top);
    const CRealPointD b = WorldToLogical(world.right, world.bottom);
    RECT r;
    r.left = DoubleToIntClamped(a.x < b.x ? a.x : b.x);
    r.right = DoubleToIntClamped(a.x < b.x ? b.x : a.x);
    r.bottom = DoubleToIntClamped(a.y < b.y ? a.y : b.y);
    r.top = DoubleToIntClamped(a.y < b.y ? b.y : a.y);
    return r;
}

void CViewportRecord::SetClientSize(SIZE pixels, bool fit)
{
    if (clientSize.cx < 0 || clientSize.cy < 0)
        fit = true;
    if (scale == 0.0f || std::isnan(scale))
        scale = 1.0f;
    const SIZE himetric = DeviceToHimetric(pixels);
    clientSize.cx = himetric.cx / 10;
    clientSize.cy = himetric.cy / 10;
    if (fit && height != 0.0f && width != 0.0f) {
        if (static_cast<double>(height) / width < static_cast<double>(clientSize.cy) / clientSize.cx)
            zoom = clientSize.cx / static_cast<double>(width) / scale;
        else
            zoom = clientSize.cy / static_cast<double>(height) / scale;
    }
    if (height == 0.0f || width == 0.0f)
        zoom = 1.0;
    const double s = GetScaleFactor();
    if (s != 0.0) {
        height = static_cast<float>(clientSize.cy / s);
        width = static_cast<float>(clientSize.cx / s);
    }
    RecomputeOrigin();
}

void CViewportRecord::SetHeight(float value)
{
    if (value == 0.0f || std::isnan(value))
        return;
    height = value;
    RecomputeScale(true);
}

void CViewportRecord::SetWidth(float value)
{
    if (value == 0.0f || std::isnan(value))
        return;
    width = value;
    RecomputeScale(false);
}

void CViewportRecord::RecomputeScale(bool heightDriven)
{
    if (clientSize.cx < 0 || clientSize.cy < 0)
        return;
    if (clientSize.cy == 0)
        clientSize.cy = 1;
    if (zoom == 0.0 || std::isnan(zoom))
        zoom = 1.0;
    if (scale == 0.0f || std::isnan(scale))
        scale = 1.0f;
    const float driving = heightDriven ? height : width;
    if (driving != 0.0f) {
        const double client = heightDriven ? clientSize.cy : clientSize.cx;
        scale = static_cast<float>(client / zoom / driving);
    }
    const double s = GetScaleFactor();
    if (s != 0.0) {
        if (heightDriven)
            width = static_cast<float>(clientSize.cx / s);
        else
            height = static_cast<float>(clientSize.cy / s);
    }
    RecomputeOrigin();
}

void CViewportRecord::ZoomToRect(double left, double top, double right, double bottom, double factor)
{
    center = CRealPoint(static_cast<float>((left + right) * 0.5), static_cast<float>((top + bottom) * 0.5));
    double xRange = std::fabs(right - left);
    double yRange = std::fabs(top - bottom);
    if (factor != 1.0) {
        xRange *= factor;
        yRange *= factor;
    }
    const bool xReal = xRange != 0.0;
    const bool yReal = yRange != 0.0;
    if (!xReal)
        xRange = height;
    if (!yReal)
        yRange = width;
    if (clientSize.cx < 0 || clientSize.cy < 0) {
        height = static_cast<float>(yRange);
        width = static_cast<float>(xRange);
        return;
    }
    if (clientSize.cy == 0)
        clientSize.cy = 1;
    if (zoom == 0.0 || std::isnan(zoom))
        zoom = 1.0;
    const double windowAspect = static_cast<double>(clientSize.cx) / clientSize.cy;
    if ((xReal && yReal && xRange / yRange <= windowAspect) || (yReal && !xReal))
        scale = static_cast<float>(clientSize.cy / (yRange * zoom));
    else if (xReal)
        scale = static_cast<float>(clientSize.cx / (xRange * zoom));
    const double s = GetScaleFactor();
    if (s != 0.0) {
        height = static_cast<float>(clientSize.cy / s);
        width = static_cast<float>(clientSize.cx / s);
    }
    RecomputeOrigin();
}

void CViewportRecord::RecomputeOrigin()
{
    const double s = GetScaleFactor();
    origin.x = DoubleToIntClamped(clientSize.cx * 0.5 + clientOffset.x - s * center.x);
    origin.y = DoubleToIntClamped(-clientSize.cy * 0.5 - clientOffset.y - s * center.y);
}

namespace {
SIZE Convert(SIZE in, HDC dc, bool toHimetric)
{
    HDC screen = nullptr;
    if (!dc)
        dc = screen = GetDC(nullptr);
    SIZE out = {0, 0};
    if (dc) {
        const int oldMode = SetMapMode(dc, MM_HIMETRIC);
        POINT pts[2] = {{0, 0}, {in.cx, in.cy}};
        if (toHimetric)
            DPtoLP(dc, pts, 2);
        else
            LPtoDP(dc, pts, 2);
        SetMapMode(dc, oldMode);
        out.cx = std::abs(pts[1].x - pts[0].x);
        out.cy = std::abs(pts[1].y - pts[0].y);
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    return out;
}
} // namespace

SIZE DeviceToHimetric(SIZE pixels, HDC dc) { return Convert(pixels, dc, true); }

SIZE HimetricToDevice(SIZE himetric, HDC dc) { return Convert(himetric, dc, false); }
