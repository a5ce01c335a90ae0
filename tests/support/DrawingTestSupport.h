#pragma once
// What the drawing tests share: a DIB-section canvas in the drawing modes of the control, a view
// in which one world unit is about one pixel, and small shapes that draw their points the way
// the drawable kinds do.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/ViewportRecord.h"
#include "model/DrawContext.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/Shape.h"
#include "YVEX_h.h"
#include "tests/support/Dib.h"
#include "tests/support/PathShape.h"

namespace drawtest {

// A white 32-bit top-down DIB section selected into a memory context with the control's modes:
// advanced graphics, clockwise arcs, MM_LOMETRIC.
class Canvas
{
public:
    Canvas(int width, int height) : m_dib(width, height, 0xFFFFFF)
    {
        SetGraphicsMode(m_dib.dc, GM_ADVANCED);
        SetArcDirection(m_dib.dc, AD_CLOCKWISE);
        SetMapMode(m_dib.dc, MM_LOMETRIC);
    }

    HDC Dc() const { return m_dib.dc; }
    int Width() const { return m_dib.width; }
    int Height() const { return m_dib.height; }
    void Clear() { m_dib.Fill(0xFFFFFF); }
    // The pixel as a COLORREF (0x00BBGGRR).
    COLORREF Pixel(int x, int y) const { return m_dib.Pixel(x, y); }
    // The bounding box of the pixels the predicate accepts; empty (right < left) when none.
    template <class Pred>
    RECT Extent(Pred accept) const
    {
        RECT r = {Width(), Height(), -1, -1};
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                if (accept(Pixel(x, y))) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x);
                    r.bottom = std::max<LONG>(r.bottom, y);
                }
        return r;
    }
    RECT InkExtent() const
    {
        return Extent([](COLORREF c) { return c != 0xFFFFFF; });
    }
    RECT ColourExtent(COLORREF colour) const
    {
        return Extent([colour](COLORREF c) { return c == colour; });
    }
    int Count(COLORREF colour) const { return m_dib.Count(colour, RECT{0, 0, Width(), Height()}); }

private:
    Dib m_dib;
};

// A control whose current view puts world (x, y) near pixel (x, height - y) of its own canvas.
struct PixelDrawing
{
    PixelDrawing(int width, int height) : canvas(width, height) { SetPixelView(control, height); }
    POINT Pixel(float x, float y) { return control.GetCurrentViewport().WorldToDevice(CRealPoint(x, y)); }
    CControlCore control;
    Canvas canvas;
};

inline CDrawContext Context(HDC dc, DWORD flags = 0)
{
    CDrawContext context;
    context.dc = dc;
    context.flags = flags;
    return context;
}

inline int AddPoint(CControlCore& control, CShape& shape, float x, float y)
{
    const int id = control.CreatePoint(x, y);
    EXPECT_EQ(shape.AddPointById(id, CShape::kAppend, true), S_OK);
    return id;
}

// A filled rectangle (the polyline family with a hatch pattern) from its first two points.
inline PathShape* MakeBox(CControlCore& control, int id, float l, float t, float r, float b, COLORREF fill)
{
    auto* box = new PathShape(id, &control, stRectangle, true);
    AddPoint(control, *box, l, t);
    AddPoint(control, *box, r, t);
    AddPoint(control, *box, r, b);
    AddPoint(control, *box, l, b);
    box->SetHatchPatternId(hpSolid);
    box->SetHatchColor(fill);
    box->SetPenColor(fill);
    control.GetShapeMap().Insert(box);
    return box;
}

} // namespace drawtest
