#pragma once
// Where a drawing lands on a printed page. Worked out in millimetres with y pointing up, then
// mapped to the device's pixels (y up as well: the page is played under a transform that turns
// the device's y axis over).
#include <windows.h>
#include "model/RealPoint.h"
#include "model/RealRect.h"

class CPageLayout
{
public:
    // What the device tells: its printable area in pixels and in millimetres.
    struct Device {
        int horzRes = 0;
        int vertRes = 0;
        int horzSizeMm = 0;
        int vertSizeMm = 0;
    };
    // The print settings that place the drawing.
    struct Placement {
        float scale = 0.0f; // 0 or below: fit the page
        bool centered = false;
        CRealPoint offset{0.0f, 0.0f}; // millimetres from the page's top left corner
    };

    // The corner of the paper's unprintable border, in millimetres, before it is spread over the
    // page sides. Without a paper table this holds for every paper.
    static const CRealPoint kMarginPoint;

    // A world rectangle made ready for the layout: normalised (top above bottom), a side without
    // length widened by 0.005 of the other on each side, then times 4. False when it has neither
    // width nor height.
    static bool Prepare(const CRealRect& world, CRealRect* prepared);

    // The device pixels (y up) that the drawing's extents cover when the print source is placed
    // on the page. Both rectangles come from Prepare. `pageSize` (device pixels of a preview page)
    // may be null. False when the device gives no size.
    static bool Compute(const CRealRect& source, const CRealRect& extents, const Device& device,
                        const SIZE* pageSize, const Placement& placement, RECT* pixels);
};
