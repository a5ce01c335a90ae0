// Drawing a hatch pattern into a device context that the caller has clipped to the shape: the
// families of parallel dashed lines of a line pattern, the tiles of an image pattern, and one
// solid fill where the pattern would be too dense to show. Positions are world coordinates
// mapped through the view into the logical units of the context (0.1 mm, y up); densities are
// judged in device pixels.
#include "model/HatchPattern.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/BrushCache.h"
#include "model/Geometry.h"
#include "model/HatchPatternMap.h"
#include "model/PenCache.h"
#include "model/ShapeHost.h"
#include "model/ViewMapping.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Below this size (device pixels) in either direction an area, or an image tile, is filled solid.
const double kSmallestArea = 20.0;
// The shortest step between the lines of a family (device pixels), and with `fine`.
const double kDensityLimit = 5.0;
const double kFineDensityLimit = 1.0;
// Lines closer than this across their direction (device pixels) cover the area anyway.
const double kClosestLines = 1.0;
// The most lines of one family one area is drawn with.
const double kMostLines = 1e6;
// The most image tiles one area is drawn with.
const double kMostTiles = 500.0;
// Offsets below this (drawing units) count as none.
const double kNoOffset = 1e-6;
// The placeholder image resource of a reference that cannot be resolved.
const int kPlaceholderImage = -1;
// The size of the picture the mean image colour is taken from.
const int kAverageSide = 20;

// The rectangle with top at or above bottom and left at or left of right.
CRealRect Normalized(const CRealRect& r)
{
    CRealRect n;
    n.left = std::min(r.left, r.right);
    n.right = std::max(r.left, r.right);
    n.bottom = std::min(r.top, r.bottom);
    n.top = std::max(r.top, r.bottom);
    return n;
}

POINT ToLogical(const CViewMapping& view, double x, double y)
{
    const CRealPointD p = view.WorldToLogical(x, y);
    return POINT{DoubleToIntClamped(p.x), DoubleToIntClamped(p.y)};
}

// The part [t1, t2] of the line p + t * u inside the rectangle; false when it misses it.
bool ClipLine(const CRealRect& r, double px, double py, double ux, double uy, double* t1, double* t2)
{
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    auto clipAxis = [&](double p, double u, double min, double max) {
        if (std::fabs(u) < 1e-12)
            return p >= min && p <= max;
        double a = (min - p) / u;
        double b = (max - p) / u;
        if (a > b)
            std::swap(a, b);
        lo = std::max(lo, a);
        hi = std::min(hi, b);
        return lo <= hi;
    };
    if (!clipAxis(px, ux, r.left, r.right) || !clipAxis(py, uy, r.bottom, r.top))
        return false;
    *t1 = lo;
    *t2 = hi;
    return std::isfinite(lo) && std::isfinite(hi);
}

// Device pixels per world unit on each axis.
double PixelsPerWorldX(const CViewMapping& view) { return view.WorldToPixelsX(1.0); }
double PixelsPerWorldY(const CViewMapping& view) { return view.WorldToPixelsY(1.0); }
} // namespace

CImageResource* CHatchPattern::FindImage(CShapeHost* control) const
{
    if (!control)
        return nullptr;
    CImageResourceMap& images = control->GetImageResourceMap();
    CImageResource* image = images.Lookup(m_imageResourceId);
    return image ? image : images.Lookup(kPlaceholderImage);
}

int CHatchPattern::FillArea(HDC dc, CShapeHost* control, COLORREF colour, const CRealRect& worldRect,
                            const CViewMapping* view)
{
    if (!dc || !control)
        return 0;
    const CViewMapping& v = view ? *view : control->GetCurrentViewport();
    CCachedBrush brush(&control->GetBrushCache(), colour);
    ycom::SelectGuard selected(dc, brush.Get());
    const RECT r = v.WorldToLogicalRect(Normalized(worldRect));
    const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    if (BeginPath(dc)) {
        Polygon(dc, corners, 4);
        EndPath(dc);
        FillPath(dc);
    }
    return 1;
}

int CHatchPattern::Draw(HDC dc, const CRealRect& anchorRect, const CRealRect& limitRect, float scale,
                        COLORREF colour, CShapeHost* control, BOOL penSelected, BOOL fine, const CViewMapping* view)
{
    if (!control)
        return 0;
    if (!IsImagePattern())
        return DrawPattern(dc, anchorRect, limitRect, scale, colour, control, penSelected, fine, view);
    // Tiles are clipped to the anchor rectangle, traced with no pen.
    const CViewMapping& v = view ? *view : control->GetCurrentViewport();
    const RECT r = v.WorldToLogicalRect(Normalized(anchorRect));
    {
        ycom::SelectGuard pen(dc, control->GetPenCache().GetPen(-1, 0, 0, 1.0, false));
        const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
        if (BeginPath(dc)) {
            Polygon(dc, corners, 4);
            EndPath(dc);
            SelectClipPath(dc, RGN_COPY);
        }
    }
    const int result = DrawPattern(dc, anchorRect, limitRect, scale, colour, control, penSelected, fine, view);
    SelectClipRgn(dc, nullptr);
    return result;
}

int CHatchPattern::DrawPattern(HDC dc, const CRealRect& anchorRect, const CRealRect& limitRect, float scale,
                               COLORREF colour, CShapeHost* control, BOOL penSelected, BOOL fine,
                               const CViewMapping* view)
{
    if (!control || !dc)
        return 0;
    const CViewMapping& v = view ? *view : control->GetCurrentViewport();
    const CRealRect anchor = Normalized(anchorRect);
    const CRealRect limit = Normalized(limitRect);
    CRealRect area;
    area.left = std::max(anchor.left, limit.left);
    area.right = std::min(anchor.right, limit.right);
    area.bottom = std::max(anchor.bottom, limit.bottom);
    area.top = std::min(anchor.top, limit.top);
    if (area.left > area.right || area.bottom > area.top)
        return 1; // nothing of the shape is in view
    const double areaWidth = v.WorldToPixelsX(area.right - area.left);
    const double areaHeight = v.WorldToPixelsY(area.top - area.bottom);
    if (m_id == hpSolid ||
        (!IsImagePattern() && (areaWidth < kSmallestArea || areaHeight < kSmallestArea) && !fine))
        return FillArea(dc, control, colour, area, &v);
    if (IsImagePattern())
        return DrawTiles(dc, anchor, limit, area, scale, control, v);
    return DrawLines(dc, anchor, area, scale, colour, control, penSelected, fine, v);
}

int CHatchPattern::DrawLines(HDC dc, const CRealRect& anchor, const CRealRect& area, float scale, COLORREF colour,
                             CShapeHost* control, BOOL penSelected, BOOL fine, const CViewMapping& v)
{
    float f = control->GetHatchUnitFactor();
    if (f == 0.0f || !std::isfinite(f))
        f = 1.0f;
    const float s = scale == 0.0f ? 1.0f / f : std::fabs(scale);
    const double limit = fine ? kFineDensityLimit : kDensityLimit;
    const double centreX = (static_cast<double>(anchor.left) + anchor.right) / 2;
    const double centreY = (static_cast<double>(anchor.top) + anchor.bottom) / 2;
    const double pxX = PixelsPerWorldX(v);
    const double pxY = PixelsPerWorldY(v);
    CPenCache& pens = control->GetPenCache();
    // The pens' dashes: pattern units through the view into logical units (the pen cache applies
    // its own zoom factor to what it is given).
    const double penScale = v.GetScaleFactor() * f * s / pens.GetZoomFactor();

    for (CHatchPatternLine& line : m_lines) {
        const float ox = f * static_cast<float>(line.m_offsetX) * s;
        const float oy = f * static_cast<float>(line.m_offsetY) * s;
        const float gx = f * static_cast<float>(line.m_originX) * s;
        const float gy = f * static_cast<float>(line.m_originY) * s;
        // A mirrored pattern turns its lines about the vertical.
        const double a = (scale < 0 ? 180.0 - line.m_angle : line.m_angle) * kDegreesToRadians;
        if (std::fabs(oy) < kNoOffset && std::fabs(ox) < kNoOffset)
            continue;
        const double cosA = std::cos(a), sinA = std::sin(a);
        const double dx = cosA * ox - sinA * oy;
        const double dy = sinA * ox + cosA * oy;
        // Too dense to show: the whole hatch becomes one solid fill.
        const double across = std::fabs(oy) * std::min(pxX, pxY);
        if ((std::fabs(dx) * pxX < limit && std::fabs(dy) * pxY < limit) ||
            (std::fabs(oy) >= kNoOffset && across < kClosestLines))
            return FillArea(dc, control, colour, area, &v);

        HGDIOBJ previous = nullptr;
        if (!penSelected) {
            HPEN pen = pens.GetPen(line.GetLineTypeId(control->GetLineTypeMap()), colour, 0, penScale, false);
            if (pen)
                previous = SelectObject(dc, pen);
        }
        const double period = line.GetDashPeriod() * f * s;
        const double p0x = centreX + gx;
        const double p0y = centreY + gy;
        // The lines of the family are p0 + k * step. Their distance across the direction grows by
        // oy per step, so the ones that cross the area form one range of k. A step along the line
        // itself (oy 0) repeats the same line: it is drawn once.
        long long kFirst = 0, kLast = 0;
        if (std::fabs(oy) >= kNoOffset) {
            const double nx = -sinA, ny = cosA;
            const double stepAcross = nx * dx + ny * dy;
            double lo = std::numeric_limits<double>::infinity();
            double hi = -lo;
            for (double cx : {static_cast<double>(area.left), static_cast<double>(area.right)})
                for (double cy : {static_cast<double>(area.bottom), static_cast<double>(area.top)}) {
                    const double d = (nx * (cx - p0x) + ny * (cy - p0y)) / stepAcross;
                    lo = std::min(lo, d);
                    hi = std::max(hi, d);
                }
            // More lines than any device has pixels across them cover the area anyway.
            if (!std::isfinite(lo) || !std::isfinite(hi) || hi - lo > kMostLines) {
                if (previous)
                    SelectObject(dc, previous);
                return FillArea(dc, control, colour, area, &v);
            }
            kFirst = static_cast<long long>(std::ceil(lo));
            kLast = static_cast<long long>(std::floor(hi));
        }
        for (long long k = kFirst; k <= kLast; ++k) {
            const double px = p0x + static_cast<double>(k) * dx;
            const double py = p0y + static_cast<double>(k) * dy;
            double t1, t2;
            if (!ClipLine(area, px, py, cosA, sinA, &t1, &t2) || t2 <= t1)
                continue; // past the area, or touching it at a corner
            // The dashes keep their phase at the line's own point p: the segment starts at a whole
            // number of periods from it and always runs the same way.
            if (period > 0)
                t1 = std::floor(t1 / period) * period;
            const POINT e1 = ToLogical(v, px + t1 * cosA, py + t1 * sinA);
            const POINT e2 = ToLogical(v, px + t2 * cosA, py + t2 * sinA);
            MoveToEx(dc, e1.x, e1.y, nullptr);
            LineTo(dc, e2.x, e2.y);
        }
        if (previous)
            SelectObject(dc, previous);
    }
    return 1;
}

int CHatchPattern::DrawTiles(HDC dc, const CRealRect& anchor, const CRealRect& limit, const CRealRect& area,
                             float scale, CShapeHost* control, const CViewMapping& v)
{
    CImageResource* image = FindImage(control);
    if (!image)
        return 1;
    const double areaWidth = v.WorldToPixelsX(area.right - area.left);
    const double areaHeight = v.WorldToPixelsY(area.top - area.bottom);
    // The tile in device pixels: the area without a picture size, the picture's pixels at scale
    // 0, else the picture at `scale` drawing units per pixel.
    double tileWidth, tileHeight;
    if (image->GetWidth() == 0 || image->GetHeight() == 0) {
        tileWidth = areaWidth;
        tileHeight = areaHeight;
    } else if (scale == 0.0f) {
        tileWidth = image->GetWidth();
        tileHeight = image->GetHeight();
    } else {
        const double s = std::fabs(scale);
        tileWidth = DoubleToIntClamped(v.WorldToPixelsX(image->GetWidth() * s));
        tileHeight = DoubleToIntClamped(v.WorldToPixelsY(image->GetHeight() * s));
    }
    if (tileWidth <= 0 || tileHeight <= 0)
        return 1;
    HGDIOBJ handle = image->GetDrawHandle();
    if (!handle || handle == reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(-1)))
        return 1;
    if (tileWidth < kSmallestArea || tileHeight < kSmallestArea ||
        (areaWidth / tileWidth) * areaHeight / tileHeight > kMostTiles)
        return FillArea(dc, control, GetAverageImageColour(control), area, &v);

    // Tiles in logical units, the grid through the anchor's top-left corner.
    const double tw = tileWidth * v.LogicalPerPixelX();
    const double th = tileHeight * v.LogicalPerPixelY();
    const CRealPointD anchorCorner = v.WorldToLogical(anchor.left, anchor.top);
    const CRealPointD areaMin = v.WorldToLogical(area.left, area.bottom);
    const CRealPointD areaMax = v.WorldToLogical(area.right, area.top);
    const RECT visible = v.WorldToLogicalRect(limit);
    const double x0 = anchorCorner.x + std::floor((areaMin.x - anchorCorner.x) / tw) * tw;
    const double y0 = anchorCorner.y - std::floor((anchorCorner.y - areaMax.y) / th) * th;

    const bool metafile = GetObjectType(handle) == OBJ_ENHMETAFILE;
    ycom::OwnedDC memory(metafile ? nullptr : CreateCompatibleDC(dc));
    BITMAP bitmap{};
    if (!metafile && (!memory || !GetObject(handle, sizeof bitmap, &bitmap)))
        return 1;
    ycom::SelectGuard picture(memory.Get(), handle);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin{};
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    for (double x = x0; x < areaMax.x; x += tw) {
        for (double y = y0; y > areaMin.y; y -= th) {
            const RECT tile{DoubleToIntClamped(x), DoubleToIntClamped(y), DoubleToIntClamped(x + tw),
                            DoubleToIntClamped(y - th)};
            if (tile.right < visible.left || tile.left > visible.right || tile.top < visible.bottom ||
                tile.bottom > visible.top)
                continue;
            if (metafile)
                PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(handle), &tile);
            else
                StretchBlt(dc, tile.left, tile.top, tile.right - tile.left, tile.bottom - tile.top, memory.Get(), 0,
                           0, bitmap.bmWidth, bitmap.bmHeight, SRCCOPY);
        }
    }
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
    return 1;
}

COLORREF CHatchPattern::GetAverageImageColour(CShapeHost* control) const
{
    CImageResource* image = FindImage(control);
    HGDIOBJ handle = image ? image->GetDrawHandle() : nullptr;
    if (!handle || handle == reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(-1)))
        return 0;
    ycom::WindowDC screen(GetDC(nullptr));
    ycom::OwnedDC target(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kAverageSide;
    info.bmiHeader.biHeight = -kAverageSide;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ycom::Bitmap canvas(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target || !canvas || !bits)
        return 0;
    ycom::SelectGuard selected(target.Get(), canvas.Get());
    const RECT all{0, 0, kAverageSide, kAverageSide};
    if (GetObjectType(handle) == OBJ_ENHMETAFILE) {
        PlayEnhMetaFile(target.Get(), static_cast<HENHMETAFILE>(handle), &all);
    } else {
        BITMAP bitmap{};
        ycom::OwnedDC source(CreateCompatibleDC(screen.Get()));
        if (!source || !GetObject(handle, sizeof bitmap, &bitmap))
            return 0;
        ycom::SelectGuard picture(source.Get(), handle);
        SetStretchBltMode(target.Get(), HALFTONE);
        StretchBlt(target.Get(), 0, 0, kAverageSide, kAverageSide, source.Get(), 0, 0, bitmap.bmWidth,
                   bitmap.bmHeight, SRCCOPY);
    }
    GdiFlush();
    unsigned long red = 0, green = 0, blue = 0;
    const BYTE* p = static_cast<const BYTE*>(bits);
    for (int i = 0; i < kAverageSide * kAverageSide; ++i, p += 4) {
        blue += p[0];
        green += p[1];
        red += p[2];
    }
    const unsigned long n = kAverageSide * kAverageSide;
    return RGB(red / n, green / n, blue / n);
}

int CHatchPattern::GetTileRect(CRealRect* rect, float width, float height, CShapeHost* control) const
{
    if (!rect)
        return 0;
    if (IsImagePattern()) {
        if (!control)
            return 0;
        CImageResource* image = FindImage(control);
        if (!image || image->GetWidth() == 0 || image->GetHeight() == 0)
            return 0;
        *rect = CRealRect(0.0f, 0.0f, static_cast<float>(image->GetWidth()), static_cast<float>(image->GetHeight()));
        return 1;
    }
    if (width < 1 || height < 2)
        return 0;
    for (const CHatchPatternLine& line : m_lines)
        if (line.m_offsetY == 0)
            return 0;
    // The previews measure angles with this factor.
    const double kPreviewRadians = 0.01745327777777778;
    double boxWidth = 0, boxHeight = 0;
    for (const CHatchPatternLine& line : m_lines) {
        const double a = line.m_angle * kPreviewRadians;
        const double across = a + 90 * kPreviewRadians;
        const double period = line.GetDashPeriod();
        double w, h;
        if (period != 0) {
            // The box of the origin, one step across (times height), one dash period and shift
            // along (times width), and both together.
            const double ox = line.m_originX, oy = line.m_originY;
            const double p1x = ox + height * line.m_offsetY * std::cos(across);
            const double p1y = oy + height * line.m_offsetY * std::sin(across);
            const double p2x = width * (period + line.m_offsetX) * std::cos(a);
            const double p2y = width * (period + line.m_offsetX) * std::sin(a);
            const double xs[4] = {ox, p1x, p2x, p1x + p2x};
            const double ys[4] = {oy, p1y, p2y, p1y + p2y};
            w = *std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4);
            h = *std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4);
        } else {
            double x = std::cos(line.m_angle * kDegreesToRadians + 90 * kDegreesToRadians) * line.m_offsetY * height;
            double y = std::sin(line.m_angle * kDegreesToRadians + 90 * kDegreesToRadians) * line.m_offsetY * height;
            if (x == 0)
                x = std::fabs(y);
            if (y == 0)
                y = std::fabs(x);
            const double larger = std::max(std::fabs(x), std::fabs(y));
            x = std::copysign(larger, x);
            y = std::copysign(larger, y);
            w = std::fabs(x);
            h = std::fabs(y);
        }
        boxWidth = std::max(boxWidth, w);
        boxHeight = std::max(boxHeight, h);
    }
    *rect = CRealRect(0.0f, static_cast<float>(boxHeight), static_cast<float>(boxWidth), 0.0f);
    return 1;
}
