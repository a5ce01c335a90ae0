#include "control/ViewportRecord.h"
#include "control/ControlCore.h"
#include "interchange/DxfFile.h"
#include "model/Geometry.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

CViewportRecord::CViewportRecord(CControlCore* owner) : control(owner) {}

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

CViewportRecord::CViewportRecord(const CViewportRecord& other) : CViewMapping(other), control(other.control)
{
    CopyView(other);
}

void CViewportRecord::CopyView(const CViewportRecord& other)
{
    name = other.name;
    center = other.center;
    target[1] = other.target[1];
    target[2] = other.target[2];
    height = other.height;
    width = other.width;
    upperRight = other.upperRight;
    lowerLeft = other.lowerLeft;
    clientSize = other.clientSize;
    control = other.control;
    scale = other.scale;
    zoom = other.zoom;
    origin = other.origin;
    horzSize10 = other.horzSize10;
    vertSize10 = other.vertSize10;
    horzRes = other.horzRes;
    vertRes = other.vertRes;
    drawingSetting = other.drawingSetting;
    clientOffset = other.clientOffset;
}

void CViewportRecord::Assign(const CViewportRecord& other)
{
    if (this == &other)
        return;
    CopyView(other);
    RecomputeScale(true);
}

CWorldRect CViewportRecord::GetWorldRect() const
{
    const double s = GetScaleFactor();
    CWorldRect r;
    if (s == 0.0)
        return r;
    r.left = (clientOffset.x - origin.x) / s;
    r.top = -(clientOffset.y + origin.y) / s;
    r.right = r.left + width;
    r.bottom = r.top - height;
    return r;
}

void CViewportRecord::SetScrollPositionX(int position, const CRealRect& limits)
{
    const double s = GetScaleFactor();
    if (s == 0.0)
        return;
    const double span = (static_cast<double>(limits.right) - limits.left) * s;
    double raw;
    if (span < clientSize.cx)
        raw = clientSize.cx - span - position - limits.left * s;
    else
        raw = -(limits.left * s + position);
    const int rounded = DoubleToIntClamped(raw);
    center.x = static_cast<float>((clientSize.cx / 2 - static_cast<double>(rounded)) / s);
    origin.x = clientOffset.x + rounded;
}

void CViewportRecord::SetScrollPositionY(int position, const CRealRect& limits)
{
    const double s = GetScaleFactor();
    if (s == 0.0)
        return;
    const double span = (static_cast<double>(limits.top) - limits.bottom) * s;
    double raw;
    if (span < clientSize.cy)
        raw = -(clientSize.cy - span - position + limits.top * s);
    else
        raw = -(limits.top * s - position);
    const int rounded = DoubleToIntClamped(raw);
    origin.y = rounded - clientOffset.y;
    center.y = static_cast<float>((-static_cast<double>(rounded) - clientSize.cy / 2) / s);
}

int CViewportRecord::CheckZoomRect(const CWorldRect& rect, const CRealRect& limits)
{
    double limitWidth = std::fabs(static_cast<double>(limits.right) - limits.left);
    double limitHeight = std::fabs(static_cast<double>(limits.top) - limits.bottom);
    if (limitWidth == 0.0)
        limitWidth = 2000.0;
    if (limitHeight == 0.0)
        limitHeight = 2000.0;
    const double width = std::fabs(rect.right - rect.left);
    const double height = std::fabs(rect.top - rect.bottom);
    if (width < limitWidth * 1e-6 || height < limitHeight * 1e-6)
        return 3;
    if (width > limitWidth * 10.0 && height > limitHeight * 10.0)
        return 2;
    const double x0 = std::min(limits.left, limits.right);
    const double y0 = std::min(limits.top, limits.bottom);
    auto inX = [&](double x) { return x >= x0 - 10.0 * limitWidth && x <= x0 + 10.0 * limitWidth; };
    auto inY = [&](double y) { return y >= y0 - 10.0 * limitHeight && y <= y0 + 10.0 * limitHeight; };
    if (inX(rect.left) && inX(rect.right) && inY(rect.top) && inY(rect.bottom))
        return 0;
    return 1;
}

int CViewportRecord::CheckZoomRect(double left, double top, double right, double bottom) const
{
    const CRealRect limits = control ? control->GetSiteRecord().GetDraftLimits() : CRealRect();
    return CheckZoomRect(CWorldRect{left, top, right, bottom}, limits);
}

int CViewportRecord::IsViewInLimits() const
{
    // A view without a scale (a zoom of 0) shows nothing: no view at all.
    const double s = GetScaleFactor();
    if (s == 0.0 || !std::isfinite(s))
        return 1;
    const CWorldRect r = GetWorldRect();
    return CheckZoomRect(r.left, r.top, r.right, r.bottom);
}

bool CViewportRecord::WriteDxf(CDxfFile& dxf, const CDrawingSettingRecord* setting, const char* entryName) const
{
    bool ok = dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwVport));
    ok = ok && dxf.WriteTableHandle();
    ok = ok && dxf.WriteStringGroup(2, entryName ? entryName : name.c_str());
    ok = ok && dxf.WriteIntGroup(70, flags);
    ok = ok && dxf.WriteRealGroup(10, lowerLeft.x) && dxf.WriteRealGroup(20, lowerLeft.y);
    ok = ok && dxf.WriteRealGroup(11, upperRight.x) && dxf.WriteRealGroup(21, upperRight.y);
    // The view centre is stored relative to the target.
    ok = ok && dxf.WriteRealGroup(12, static_cast<double>(center.x) - target[0]);
    ok = ok && dxf.WriteRealGroup(22, static_cast<double>(center.y) - target[1]);
    if (setting) {
        ok = ok && dxf.WriteRealGroup(13, setting->SnapBaseX) && dxf.WriteRealGroup(23, setting->SnapBaseY);
        ok = ok && dxf.WriteRealGroup(14, setting->SnapXSpace) && dxf.WriteRealGroup(24, setting->SnapYSpace);
        ok = ok && dxf.WriteRealGroup(15, setting->GridXSpace) && dxf.WriteRealGroup(25, setting->GridYSpace);
    }
    ok = ok && dxf.WriteRealGroup(16, viewDirection[0]) && dxf.WriteRealGroup(26, viewDirection[1]) &&
         dxf.WriteRealGroup(36, viewDirection[2]);
    ok = ok && dxf.WriteRealGroup(17, target[0]) && dxf.WriteRealGroup(27, target[1]) &&
         dxf.WriteRealGroup(37, target[2]);
    ok = ok && dxf.WriteRealGroup(40, height);
    // A view without height has no aspect ratio: 0 rather than a division by zero in the file.
    ok = ok && dxf.WriteRealGroup(41, height != 0.0f ? static_cast<double>(width) / height : 0.0);
    ok = ok && dxf.WriteRealGroup(42, lensLength) && dxf.WriteRealGroup(43, frontClip) &&
         dxf.WriteRealGroup(44, backClip);
    ok = ok && dxf.WriteRealGroup(50, snapRotation) && dxf.WriteRealGroup(51, viewTwist);
    ok = ok && dxf.WriteIntGroup(71, viewMode) && dxf.WriteIntGroup(72, circleZoom) &&
         dxf.WriteIntGroup(73, fastZoom) && dxf.WriteIntGroup(74, ucsIcon);
    if (setting)
        ok = ok && dxf.WriteIntGroup(75, setting->SnapToGrid ? 1 : 0) && dxf.WriteIntGroup(76, setting->ShowGrid ? 1 : 0);
    ok = ok && dxf.WriteIntGroup(77, snapStyle) && dxf.WriteIntGroup(78, snapIsoPair);
    return ok;
}

bool CViewportRecord::ReadDxf(CDxfFile& dxf)
{
    // Grid and snap of the entry, with their defaults when only some of them are given.
    bool hasSetting = false;
    float snapBase[2] = {0.0f, 0.0f};
    float snapSpace[2] = {10.0f, 10.0f};
    float gridSpace[2] = {10.0f, 10.0f};
    int snapOn = 0;
    int gridOn = 1;
    // The width follows the height by the aspect ratio, whichever of the two comes first.
    double aspect = 0.0;
    bool hasAspect = false;
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            dxf.UngetGroup();
            break;
        }
        const float real = CDxfFile::ClassOf(code) == CDxfFile::vcReal ? static_cast<float>(dxf.GetReal()) : 0.0f;
        const int integer = CDxfFile::ClassOf(code) == CDxfFile::vcInteger ? dxf.GetInt() : 0;
        switch (code) {
        case 2: name = dxf.GetText(); break;
        case 70: flags = integer; break;
        case 10: lowerLeft.x = real; break;
        case 20: lowerLeft.y = real; break;
        case 11: upperRight.x = real; break;
        case 21: upperRight.y = real; break;
        case 12: center.x = real; break;
        case 22: center.y = real; break;
        case 13: snapBase[0] = real; hasSetting = true; break;
        case 23: snapBase[1] = real; hasSetting = true; break;
        case 14: snapSpace[0] = real; hasSetting = true; break;
        case 24: snapSpace[1] = real; hasSetting = true; break;
        case 15: gridSpace[0] = real; hasSetting = true; break;
        case 25: gridSpace[1] = real; hasSetting = true; break;
        case 16: viewDirection[0] = real; break;
        case 26: viewDirection[1] = real; break;
        case 36: viewDirection[2] = real; break;
        case 17: target[0] = real; break;
        case 27: target[1] = real; break;
        case 37: target[2] = real; break;
        case 40: height = real; break;
        case 41: aspect = dxf.GetReal(); hasAspect = true; break;
        case 42: lensLength = real; break;
        case 43: frontClip = real; break;
        case 44: backClip = real; break;
        case 50: snapRotation = real; break;
        case 51: viewTwist = real; break;
        case 71: viewMode = integer; break;
        case 72: circleZoom = integer; break;
        case 73: fastZoom = integer; break;
        case 74: ucsIcon = integer; break;
        case 75: snapOn = integer; hasSetting = true; break;
        case 76: gridOn = integer; hasSetting = true; break;
        case 77: snapStyle = integer; break;
        case 78: snapIsoPair = integer; break;
        default: break;
        }
    }
    if (dxf.HasError())
        return false;
    if (hasAspect)
        width = static_cast<float>(height * aspect);
    center.x += target[0];
    center.y += target[1];
    if (hasSetting && control) {
        auto setting = std::make_unique<CDrawingSettingRecord>();
        setting->SnapBaseX = snapBase[0];
        setting->SnapBaseY = snapBase[1];
        setting->SnapXSpace = snapSpace[0];
        setting->SnapYSpace = snapSpace[1];
        setting->GridXSpace = gridSpace[0];
        setting->GridYSpace = gridSpace[1];
        setting->SnapToGrid = snapOn ? 1 : 0;
        setting->ShowGrid = gridOn ? 1 : 0;
        CDrawingSettingRecord* raw = setting.get();
        if (control->GetDrawingSettingMap().Insert(std::move(setting), true))
            drawingSetting = raw;
    }
    return true;
}

void CViewportRecord::DeviceToWorld(float* x, float* y) const
{
    const CRealPointD world = DeviceToWorld(x ? static_cast<double>(*x) : 0.0, y ? static_cast<double>(*y) : 0.0);
    if (x)
        *x = static_cast<float>(world.x);
    if (y)
        *y = static_cast<float>(world.y);
}

void CViewportRecord::DeviceToWorldRect(CRealRect* rect) const
{
    if (!rect)
        return;
    DeviceToWorld(&rect->left, &rect->top);
    DeviceToWorld(&rect->right, &rect->bottom);
}

void CViewportRecord::TakeView(const CViewportRecord& source)
{
    if (&source == this)
        return;
    drawingSetting = source.drawingSetting;
    SetCenter(source.center.x, source.center.y);
    SetWidth(source.width);
    SetHeight(source.height);
}
