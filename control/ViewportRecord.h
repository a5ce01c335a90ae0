#pragma once
#include <windows.h>
#include <string>
#include "model/RealPoint.h"
#include "model/RealRect.h"

class CControlCore;

// A view of the drawing: a centre, width and height in world units, and the mapping between the
// window's pixels, a logical plane in tenths of a millimetre of the screen (y up), and world
// coordinates. The control's current view has ID 1 and the name "CURRENT".
class CViewportRecord
{
public:
    explicit CViewportRecord(CControlCore* control = nullptr);
    virtual ~CViewportRecord() = default;

    // World to logical units (0.1 mm, y up).
    CRealPointD WorldToLogical(double x, double y) const;
    // Pixels to logical units.
    POINT PixelsToLogical(POINT pixels) const;
    // World to pixels, in place on an array of points (pixels rounded, y down).
    void WorldToLogicalPoints(CRealPoint* points, int count) const;
    POINT WorldToDevice(const CRealPoint& world) const;
    // Pixels to world, in double precision.
    CRealPointD DeviceToWorld(double xPixels, double yPixels) const;
    // The product of the scale and the zoom: logical units per world unit.
    double GetScaleFactor() const { return static_cast<double>(scale) * zoom; }
    // Logical units (0.1 mm) per device pixel on each axis.
    double LogicalPerPixelX() const { return static_cast<double>(horzSize10) / horzRes; }
    double LogicalPerPixelY() const { return static_cast<double>(vertSize10) / vertRes; }
    // A world length on each axis in device pixels, and back.
    double WorldToPixelsX(double length) const { return length * GetScaleFactor() / LogicalPerPixelX(); }
    double WorldToPixelsY(double length) const { return length * GetScaleFactor() / LogicalPerPixelY(); }
    double PixelsToWorldX(double pixels) const;
    double PixelsToWorldY(double pixels) const;
    // A world rectangle in device pixels (left <= right, top <= bottom).
    RECT WorldToDeviceRect(const CRealRect& world) const;
    // A world rectangle in logical units (left <= right, bottom <= top, y up).
    RECT WorldToLogicalRect(const CRealRect& world) const;

    // The world area the view shows: the client area's top-left corner in world units, then the
    // view's world width and height (y up, so bottom = top - height).
    CRealRect GetVisibleWorldRect() const;

    // Stores the client size (and offset) in logical units and derives the world width and height.
    void SetClientArea(SIZE logicalSize, const POINT* logicalOffset);
    void SetCenter(float x, float y);
    void SetCenterX(float x);
    void SetCenterY(float y);
    // The window's size in pixels: stored in logical units; with fit (forced while the size was
    // unknown) the zoom makes the view's world rectangle fill the window, then the rectangle takes
    // the window's proportions about the same centre.
    void SetClientSize(SIZE pixels, bool fit);
    // The view's world height or width; the scale follows, driven by that dimension. 0 and NaN
    // are ignored.
    void SetHeight(float value);
    void SetWidth(float value);
    // The scale from the client size and the driving dimension, then the other dimension and the
    // origin.
    void RecomputeScale(bool heightDriven);
    // Shows the world rectangle (left, top, right, bottom; y up), widened about its centre by the
    // factor unless it is 1.
    void ZoomToRect(double left, double top, double right, double bottom, double factor);
    // The origin that puts the centre of the client area on `center`.
    void RecomputeOrigin();

    int databaseID = 0;
    int ID = 0;
    int flags = 0;
    CRealPoint center{50.0f, 50.0f};
    float height = 0.0f;
    float width = 0.0f;
    CControlCore* control;
    POINT origin{0, 0};
    POINT clientOffset{0, 0};
    SIZE clientSize{-1, -1};
    float scale = 1.0f;
    double zoom = 1.0;
    std::string name = "*Active";
    // Screen metrics, read once: HORZSIZE x 10, VERTSIZE x 10 (0.1 mm), HORZRES, VERTRES.
    int horzSize10 = 0;
    int vertSize10 = 0;
    int horzRes = 0;
    int vertRes = 0;
};

// Device pixels to and from HIMETRIC units through MM_HIMETRIC on the given context, or on a
// screen context when none is given. The results are absolute values.
SIZE DeviceToHimetric(SIZE pixels, HDC dc = nullptr);
SIZE HimetricToDevice(SIZE himetric, HDC dc = nullptr);
