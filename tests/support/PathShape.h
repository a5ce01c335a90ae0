#pragma once
// A shape that draws its points the way the drawable kinds do, and a view in which one world unit
// is about one pixel: for the drawing tests (DrawingTestSupport.h) and the style sample program,
// which has no test framework.
#include <windows.h>
#include <vector>
#include "control/ControlCore.h"
#include "control/ViewportRecord.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/PointRecord.h"
#include "model/Shape.h"

namespace drawtest {

// A view in which world (x, y) lands near pixel (x, height - y) of a canvas of that height: one
// world unit is one pixel on the x axis (the y axis differs by the screen's aspect of its
// millimetre sizes, a fraction of a percent).
inline void SetPixelView(CControlCore& control, int height)
{
    CViewportRecord& view = control.GetCurrentViewport();
    view.zoom = 1.0;
    view.scale = static_cast<float>(view.LogicalPerPixelX());
    view.clientSize = SIZE{1000, 1000};
    view.clientOffset = POINT{0, 0};
    view.origin.x = 0;
    view.origin.y = DoubleToIntClamped(-height * view.LogicalPerPixelY());
}

inline POINT Logical(CShapeHost& control, const CRealPoint& p)
{
    const CRealPointD l = control.GetCurrentViewport().WorldToLogical(p.x, p.y);
    return POINT{DoubleToIntClamped(l.x), DoubleToIntClamped(l.y)};
}

// A shape of some kind that draws its points as an open line (or, when closed, as a polygon)
// with its own pen, shows its points as handles, and counts its Draw calls.
class PathShape : public CShape
{
public:
    PathShape(int id, CControlCore* control, int type, bool closed = false) : CShape(id, control), m_closed(closed)
    {
        SetShapeType(type);
    }
    int Draw(CDrawContext& context) override
    {
        ++draws;
        const int n = GetPointCount();
        if (n < 2 || !context.dc)
            return 1;
        HPEN previous = nullptr;
        SelectDrawPen(context, &previous, nullptr);
        std::vector<POINT> points;
        for (CPointRecord* p : GetPoints())
            points.push_back(Logical(*GetControl(), *p));
        if (m_closed) {
            // The outline only: the fill is the hatch pass's.
            HGDIOBJ brush = SelectObject(context.dc, GetStockObject(NULL_BRUSH));
            Polygon(context.dc, points.data(), n);
            SelectObject(context.dc, brush);
        } else {
            // The end arrow stops the line where its head begins.
            CRealPoint end = *GetPoints().GetAt(n - 1);
            const CRealPoint before = *GetPoints().GetAt(n - 2);
            if (arrow)
                DrawArrowHead(context, arrow, &end, &before);
            points.back() = Logical(*GetControl(), end);
            Polyline(context.dc, points.data(), n);
        }
        if (previous)
            SelectObject(context.dc, previous);
        return 1;
    }
    int GetHandlePoints(CRealPoint* out, int capacity) override
    {
        const int n = GetPointCount();
        if (!out)
            return n;
        for (int i = 0; i < n && i < capacity; ++i)
            out[i] = *GetPoints().GetAt(i);
        return n < capacity ? n : capacity;
    }
    bool IsAttributeOrLabel() override { return attribute; }

    int draws = 0;
    int arrow = 0;
    bool attribute = false;

private:
    bool m_closed;
};

} // namespace drawtest
