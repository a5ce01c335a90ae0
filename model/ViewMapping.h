#pragma once
#include <windows.h>
#include "model/RealPoint.h"
#include "model/RealRect.h"

// The mapping between the window's pixels, a logical plane in tenths of a millimetre of the
// screen (y up), and world coordinates: what a shape needs of a view to draw and to hit-test.
// The control's views (CViewportRecord) derive from it and add what moves the mapping.
class CViewMapping
{
public:
    // Reads the screen's metrics; a screen that reports nothing is taken as 96 dpi.
    CViewMapping();
    virtual ~CViewMapping() = default;

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
    // A size in hundredths of a millimetre in whole pixels of the view's screen, rounded as GDI
    // rounds it in MM_HIMETRIC on the same screen (without asking the screen again).
    SIZE HimetricToPixels(SIZE himetric) const;
    // A world length on each axis in device pixels, and back.
    double WorldToPixelsX(double length) const { return length * GetScaleFactor() / LogicalPerPixelX(); }
    double WorldToPixelsY(double length) const { return length * GetScaleFactor() / LogicalPerPixelY(); }
    double PixelsToWorldX(double pixels) const;
    double PixelsToWorldY(double pixels) const;
    // World points to logical units, rounded: multiplied by the scale and zoom, moved by the
    // view's origin (the form the ellipse draws its samples in).
    void WorldToViewPoints(const CRealPoint* points, POINT* out, int count) const;
    void WorldToViewPoints(const CRealPointD* points, POINT* out, int count) const;
    POINT WorldToViewPoint(const CRealPoint& point) const;
    POINT WorldToViewPointD(const CRealPointD& point) const;
    // A size in device pixels as a world size on each axis: the pixels in logical units (whole
    // units, as MulDiv gives them), divided by the scale and zoom. (0, 0) while the view has no
    // scale.
    CRealPointD PixelsToWorldSize(SIZE pixels) const;
    // Turns points counter-clockwise about a centre by an angle in radians.
    static void RotatePointsAbout(double angle, const CRealPointD& centre, CRealPointD* points, int count);
    // A world rectangle in device pixels (left <= right, top <= bottom).
    RECT WorldToDeviceRect(const CRealRect& world) const;
    // A world rectangle in logical units (left <= right, bottom <= top, y up).
    RECT WorldToLogicalRect(const CRealRect& world) const;

    // Logical position of world (0, 0).
    POINT origin{0, 0};
    float scale = 1.0f;
    double zoom = 1.0;
    // Screen metrics, read once: HORZSIZE x 10, VERTSIZE x 10 (0.1 mm), HORZRES, VERTRES.
    int horzSize10 = 0;
    int vertSize10 = 0;
    int horzRes = 0;
    int vertRes = 0;
};

// Device pixels to and from HIMETRIC units through MM_HIMETRIC on the given context, or on a
// screen context when none is given (the screen's answers are kept while it reports the same
// size). The results are absolute values.
SIZE DeviceToHimetric(SIZE pixels, HDC dc = nullptr);
SIZE HimetricToDevice(SIZE himetric, HDC dc = nullptr);
