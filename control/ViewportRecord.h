#pragma once
#include <windows.h>
#include <string>
#include "model/RealPoint.h"
#include "model/RealRect.h"
#include "model/ViewMapping.h"

class CControlCore;

// A view of the drawing: a centre, width and height in world units, and the mapping (its base)
// between the window's pixels, a logical plane in tenths of a millimetre of the screen (y up), and
// world coordinates. The control's current view has ID 1 and the name "CURRENT".
class CViewportRecord : public CViewMapping
{
public:
    explicit CViewportRecord(CControlCore* control = nullptr);

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
    POINT clientOffset{0, 0};
    SIZE clientSize{-1, -1};
    std::string name = "*Active";
};
