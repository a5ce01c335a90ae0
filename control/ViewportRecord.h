#pragma once
#include <windows.h>
#include <string>
#include "model/RealPoint.h"
#include "model/RealRect.h"
#include "model/ViewMapping.h"

class CControlCore;
class CDrawingSettingRecord;
class CDxfFile;

// A world rectangle in double precision (y up: top is the larger y).
struct CWorldRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// A view of the drawing: a centre, width and height in world units, the DXF view parameters that
// travel with it, and the mapping (its base) between the window's pixels, a logical plane in
// tenths of a millimetre of the screen (y up), and world coordinates. The control's current view
// has ID 1 and the name "CURRENT".
class CViewportRecord : public CViewMapping
{
public:
    explicit CViewportRecord(CControlCore* control = nullptr);
    // Takes the view of another record (name, centre, size, mapping, screen metrics, drawing
    // setting); its own ID and database ID are 0, the DXF parameters their defaults.
    CViewportRecord(const CViewportRecord& other);
    CViewportRecord& operator=(const CViewportRecord&) = delete;
    ~CViewportRecord() override = default;

    // Device pixels to world coordinates in place (either pointer may be null): y is turned
    // upwards. A view without a scale gives 0.
    using CViewMapping::DeviceToWorld;
    void DeviceToWorld(float* x, float* y) const;
    // Both corners of a rectangle (left, top, right, bottom) in place.
    void DeviceToWorldRect(CRealRect* rect) const;

    // The world area the view shows: the client area's top-left corner in world units, then the
    // view's world width and height (y up, so bottom = top - height).
    CRealRect GetVisibleWorldRect() const;
    // The same in double precision.
    CWorldRect GetWorldRect() const;

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
    // are ignored; negative values are taken.
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

    // Takes another record's view as the copy constructor does (the name included), then
    // recomputes the scale from the height.
    void Assign(const CViewportRecord& other);
    // Takes another view port's view (centre, size, drawing setting) and keeps its own name, as a
    // copy of one view port onto another does.
    void TakeView(const CViewportRecord& source);

    // Scroll positions in logical units counted from the edge of the draft limits: the origin and
    // centre of that axis follow.
    void SetScrollPositionX(int position, const CRealRect& limits);
    void SetScrollPositionY(int position, const CRealRect& limits);

    // Where a world rectangle stands against the drawing's limits (the draft limits of the control,
    // an extent of 0 counting as 2000): 3 too small (below a millionth of the limits), 2 too large
    // (more than ten times in both directions), 0 inside ten times the limits around their
    // lower-left corner, 1 otherwise.
    int CheckZoomRect(double left, double top, double right, double bottom) const;
    static int CheckZoomRect(const CWorldRect& rect, const CRealRect& limits);
    // CheckZoomRect of the view's own world rectangle.
    int IsViewInLimits() const;

    // One VPORT entry of a DXF file. Writing takes the drawing setting whose grid and snap go
    // with the view (none: those groups are left out). Reading starts after the entry's group
    // 0 and stops before the next one; grid and snap groups, when present, give a new drawing
    // setting entered in the control's map and kept as the record's.
    // `name` replaces the record's own name in the entry when given.
    bool WriteDxf(CDxfFile& dxf, const CDrawingSettingRecord* setting, const char* name = nullptr) const;
    bool ReadDxf(CDxfFile& dxf);

    int databaseID = 0;
    int ID = 0;
    int flags = 0;  // DXF 70
    CRealPoint lowerLeft{0.0f, 0.0f};
    CRealPoint upperRight{1.0f, 1.0f};
    float viewDirection[3] = {0.0f, 0.0f, 1.0f};
    float target[3] = {0.0f, 0.0f, 0.0f};
    float lensLength = 50.0f;
    float frontClip = 0.0f;
    float backClip = 0.0f;
    float snapRotation = 0.0f;
    float viewTwist = 0.0f;
    int viewMode = 0;
    int circleZoom = 100;
    int fastZoom = 1;
    int ucsIcon = 3;
    int snapStyle = 0;
    int snapIsoPair = 0;
    CRealPoint center{50.0f, 50.0f};
    float height = 0.0f;
    float width = 0.0f;
    CControlCore* control;
    POINT clientOffset{0, 0};
    SIZE clientSize{-1, -1};
    std::string name = "*Active";
    // The setting that carries the view's grid and snap (owned by the drawing-setting map), or
    // null.
    CDrawingSettingRecord* drawingSetting = nullptr;

private:
    void CopyView(const CViewportRecord& other);
};
