#pragma once
// CSize: a SIZE with constructors, comparison and arithmetic.
#include <windows.h>

class CSize : public SIZE
{
public:
    CSize() noexcept { cx = cy = 0; }
    CSize(int width, int height) noexcept
    {
        cx = width;
        cy = height;
    }
    CSize(SIZE s) noexcept : SIZE(s) {}

    bool operator==(SIZE s) const noexcept { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const noexcept { return !(*this == s); }
    CSize& operator+=(SIZE s) noexcept
    {
        cx += s.cx;
        cy += s.cy;
        return *this;
    }
    CSize& operator-=(SIZE s) noexcept
    {
        cx -= s.cx;
        cy -= s.cy;
        return *this;
    }
    CSize operator+(SIZE s) const noexcept { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const noexcept { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
};
