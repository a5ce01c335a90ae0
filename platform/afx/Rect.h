#pragma once
// CRect: a RECT of device units (y down) with the class library's helpers. Width and height are
// right - left and bottom - top, negative for a rectangle that is not normalised.
#include <windows.h>
#include "afx/Point.h"
#include "afx/Size.h"

class CRect : public RECT
{
public:
    CRect() noexcept { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) noexcept { SetRect(l, t, r, b); }
    CRect(const RECT& r) noexcept : RECT(r) {}
    CRect(POINT topLeft, SIZE size) noexcept { SetRect(topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy); }
    CRect(POINT topLeft, POINT bottomRight) noexcept { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint TopLeft() const noexcept { return CPoint(left, top); }
    CPoint BottomRight() const noexcept { return CPoint(right, bottom); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    // Empty: no area (width or height 0 or less); null: all four sides 0.
    bool IsRectEmpty() const noexcept { return Width() <= 0 || Height() <= 0; }
    bool IsRectNull() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(POINT p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int l, int t, int r, int b) noexcept
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRectEmpty() noexcept { SetRect(0, 0, 0, 0); }
    void NormalizeRect() noexcept
    {
        if (left > right) {
            const LONG t = left;
            left = right;
            right = t;
        }
        if (top > bottom) {
            const LONG t = top;
            top = bottom;
            bottom = t;
        }
    }
    void OffsetRect(int dx, int dy) noexcept
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void InflateRect(int dx, int dy) noexcept
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    // The common part of two rectangles; false and empty when they do not meet.
    bool IntersectRect(const RECT& a, const RECT& b) noexcept { return ::IntersectRect(this, &a, &b) != FALSE; }
    bool UnionRect(const RECT& a, const RECT& b) noexcept { return ::UnionRect(this, &a, &b) != FALSE; }

    operator RECT*() noexcept { return this; }
    operator const RECT*() const noexcept { return this; }
    bool operator==(const RECT& r) const noexcept
    {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const noexcept { return !(*this == r); }
};
