#include "control/ViewportRecord.h"
#include "model/Geometry.h"
#include <cmath>
#include <cstdlib>

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
