#include "model/ViewMapping.h"
#include "model/Geometry.h"
#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// The screen's size in millimetres and pixels. Asking the screen costs far more than a view's
// other work (a load makes several views), so an answer serves for a second: long enough for one
// operation, short enough to follow a change of display settings.
struct ScreenMetrics {
    int horzSize10 = 0;
    int vertSize10 = 0;
    int horzRes = 0;
    int vertRes = 0;
};

ScreenMetrics CurrentScreen()
{
    constexpr ULONGLONG kKeptMilliseconds = 1000;
    static std::mutex lock;
    static ScreenMetrics known;
    static ULONGLONG askedAt = 0;
    static bool asked = false;
    const ULONGLONG now = GetTickCount64();
    std::lock_guard<std::mutex> hold(lock);
    if (!asked || now - askedAt >= kKeptMilliseconds) {
        ScreenMetrics fresh;
        if (HDC screen = GetDC(nullptr)) {
            fresh.horzSize10 = GetDeviceCaps(screen, HORZSIZE) * 10;
            fresh.vertSize10 = GetDeviceCaps(screen, VERTSIZE) * 10;
            fresh.horzRes = GetDeviceCaps(screen, HORZRES);
            fresh.vertRes = GetDeviceCaps(screen, VERTRES);
            ReleaseDC(nullptr, screen);
        }
        known = fresh;
        askedAt = now;
        asked = true;
    }
    return known;
}

} // namespace

CViewMapping::CViewMapping()
{
    const ScreenMetrics screen = CurrentScreen();
    horzSize10 = screen.horzSize10;
    vertSize10 = screen.vertSize10;
    horzRes = screen.horzRes;
    vertRes = screen.vertRes;
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

CRealPointD CViewMapping::WorldToLogical(double x, double y) const
{
    const double s = GetScaleFactor();
    return CRealPointD(origin.x + x * s, origin.y + y * s);
}

SIZE CViewMapping::HimetricToPixels(SIZE himetric) const
{
    auto pixels = [](LONG length, int res, int size10) {
        return size10 > 0 ? std::labs(DoubleToIntClamped(static_cast<double>(length) * res / (size10 * 10.0))) : 0L;
    };
    return SIZE{pixels(himetric.cx, horzRes, horzSize10), pixels(himetric.cy, vertRes, vertSize10)};
}

POINT CViewMapping::PixelsToLogical(POINT pixels) const
{
    POINT p;
    p.x = MulDiv(pixels.x, horzSize10, horzRes);
    p.y = -MulDiv(pixels.y, vertSize10, vertRes);
    return p;
}

POINT CViewMapping::WorldToDevice(const CRealPoint& world) const
{
    const double s = GetScaleFactor();
    POINT p;
    p.x = DoubleToIntClamped(horzRes * (world.x * s + origin.x) / horzSize10);
    p.y = -DoubleToIntClamped(vertRes * (world.y * s + origin.y) / vertSize10);
    return p;
}

void CViewMapping::WorldToLogicalPoints(CRealPoint* points, int count) const
{
    for (int i = 0; i < count; ++i) {
        const POINT p = WorldToDevice(points[i]);
        points[i] = CRealPoint(static_cast<float>(p.x), static_cast<float>(p.y));
    }
}

CRealPointD CViewMapping::DeviceToWorld(double xPixels, double yPixels) const
{
    const double s = GetScaleFactor();
    const double lx = xPixels * horzSize10 / horzRes;
    const double ly = -(yPixels * vertSize10 / vertRes);
    if (s == 0.0)
        return CRealPointD(0, 0);
    return CRealPointD((lx - origin.x) / s, (ly - origin.y) / s);
}

double CViewMapping::PixelsToWorldX(double pixels) const
{
    const double s = GetScaleFactor();
    return s == 0.0 ? 0.0 : pixels * LogicalPerPixelX() / s;
}

double CViewMapping::PixelsToWorldY(double pixels) const
{
    const double s = GetScaleFactor();
    return s == 0.0 ? 0.0 : pixels * LogicalPerPixelY() / s;
}

void CViewMapping::WorldToViewPoints(const CRealPoint* points, POINT* out, int count) const
{
    for (int i = 0; i < count; ++i)
        out[i] = WorldToViewPoint(points[i]);
}

void CViewMapping::WorldToViewPoints(const CRealPointD* points, POINT* out, int count) const
{
    for (int i = 0; i < count; ++i)
        out[i] = WorldToViewPointD(points[i]);
}

POINT CViewMapping::WorldToViewPoint(const CRealPoint& point) const
{
    return WorldToViewPointD(CRealPointD(point.x, point.y));
}

POINT CViewMapping::WorldToViewPointD(const CRealPointD& point) const
{
    const CRealPointD l = WorldToLogical(point.x, point.y);
    return POINT{DoubleToIntClamped(l.x), DoubleToIntClamped(l.y)};
}

CRealPointD CViewMapping::PixelsToWorldSize(SIZE pixels) const
{
    const double s = GetScaleFactor();
    if (s == 0.0)
        return CRealPointD(0, 0);
    return CRealPointD(MulDiv(pixels.cx, horzSize10, horzRes) / s, MulDiv(pixels.cy, vertSize10, vertRes) / s);
}

void CViewMapping::RotatePointsAbout(double angle, const CRealPointD& centre, CRealPointD* points, int count)
{
    const double c = std::cos(angle), s = std::sin(angle);
    for (int i = 0; i < count; ++i) {
        const double dx = points[i].x - centre.x, dy = points[i].y - centre.y;
        points[i].x = centre.x + dx * c - dy * s;
        points[i].y = centre.y + dx * s + dy * c;
    }
}

RECT CViewMapping::WorldToDeviceRect(const CRealRect& world) const
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

RECT CViewMapping::WorldToLogicalRect(const CRealRect& world) const
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

namespace {
SIZE ConvertOn(HDC dc, SIZE in, bool toHimetric)
{
    SIZE out = {0, 0};
    const int oldMode = SetMapMode(dc, MM_HIMETRIC);
    POINT pts[2] = {{0, 0}, {in.cx, in.cy}};
    if (toHimetric)
        DPtoLP(dc, pts, 2);
    else
        LPtoDP(dc, pts, 2);
    SetMapMode(dc, oldMode);
    out.cx = std::abs(pts[1].x - pts[0].x);
    out.cy = std::abs(pts[1].y - pts[0].y);
    return out;
}

// The screen's answers for the last sizes asked. The HIMETRIC mapping of a screen context follows
// the screen's size in millimetres and pixels, and setting it makes the graphics system ask the
// display for them each time (tens of microseconds); a view and its scroll bars convert the same
// few sizes (the client area, the rulers) several times an operation. An answer holds while the
// screen reports the same size.
SIZE ConvertOnScreen(SIZE in, bool toHimetric)
{
    struct Answer {
        SIZE in;
        bool toHimetric;
        SIZE out;
    };
    constexpr size_t kKept = 8;
    static std::mutex lock;
    static ScreenMetrics answeredFor;
    static Answer answers[kKept];
    static size_t count = 0, next = 0;
    const ScreenMetrics screen = CurrentScreen();
    std::lock_guard<std::mutex> hold(lock);
    if (screen.horzSize10 != answeredFor.horzSize10 || screen.vertSize10 != answeredFor.vertSize10 ||
        screen.horzRes != answeredFor.horzRes || screen.vertRes != answeredFor.vertRes) {
        count = next = 0;
        answeredFor = screen;
    }
    for (size_t i = 0; i < count; ++i)
        if (answers[i].in.cx == in.cx && answers[i].in.cy == in.cy && answers[i].toHimetric == toHimetric)
            return answers[i].out;
    SIZE out = {0, 0};
    HDC dc = GetDC(nullptr);
    if (!dc)
        return out;
    out = ConvertOn(dc, in, toHimetric);
    ReleaseDC(nullptr, dc);
    answers[next] = Answer{in, toHimetric, out};
    next = (next + 1) % kKept;
    if (count < kKept)
        ++count;
    return out;
}

SIZE Convert(SIZE in, HDC dc, bool toHimetric)
{
    return dc ? ConvertOn(dc, in, toHimetric) : ConvertOnScreen(in, toHimetric);
}
} // namespace

SIZE DeviceToHimetric(SIZE pixels, HDC dc) { return Convert(pixels, dc, true); }

SIZE HimetricToDevice(SIZE himetric, HDC dc) { return Convert(himetric, dc, false); }
