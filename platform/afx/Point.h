#pragma once
// CPoint: a POINT with constructors and comparison.
#include <windows.h>

class CPoint : public POINT
{
public:
    CPoint() noexcept { x = y = 0; }
    CPoint(int px, int py) noexcept
    {
        x = px;
        y = py;
    }
    CPoint(POINT p) noexcept : POINT(p) {}

    void Offset(int dx, int dy) noexcept
    {
        x += dx;
        y += dy;
    }
    bool operator==(POINT p) const noexcept { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const noexcept { return !(*this == p); }
};
