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
#include "tests/model/PathShape.h"

namespace drawtest {

// A white 32-bit top-down DIB section selected into a memory context with the control's modes:
// advanced graphics, clockwise arcs, MM_LOMETRIC.
class Canvas
{
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        Clear();
        SetGraphicsMode(m_dc, GM_ADVANCED);
        SetArcDirection(m_dc, AD_CLOCKWISE);
        SetMapMode(m_dc, MM_LOMETRIC);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Clear()
    {
        GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i)
            m_bits[i] = 0xFFFFFF;
    }
    // The pixel as a COLORREF (0x00BBGGRR).
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD v = m_bits[y * m_width + x] & 0xFFFFFF;
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // The bounding box of the pixels the predicate accepts; empty (right < left) when none.
    template <class Pred>
    RECT Extent(Pred accept) const
    {
        RECT r = {m_width, m_height, -1, -1};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
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
    int Count(COLORREF colour) const
    {
        int n = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                n += Pixel(x, y) == colour;
        return n;
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
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
