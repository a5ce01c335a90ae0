#pragma once
#include <windows.h>
#include "model/RealPoint.h"

// A world rectangle: left, top, right, bottom in 32-bit floats. World y points up, so top is
// normally the larger y.
class CRealRect
{
public:
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    CRealRect() = default;
    CRealRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    void Set(float l, float t, float r, float b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    CRealPoint TopLeft() const { return CRealPoint(left, top); }
    double Area() const;

    CRealRect operator+(const CRealPoint& p) const;
    CRealRect operator-(const CRealPoint& p) const;
    CRealRect& operator+=(const CRealPoint& p);
    CRealRect& operator*=(double s);
    // Each coordinate multiplied by the matching component of p.
    CRealRect ScaledBy(const CRealPoint& p) const;

    // Each coordinate truncated toward zero.
    RECT ToRECT() const;
    // Width over height; 0 for a rectangle without height.
    double AspectRatio() const;
    // Maps this rectangle from the frame `source` into the frame `target`. Mode 0 scales the
    // axes apart; a positive mode uses the larger factor on both, a negative one the smaller.
    CRealRect MapBetweenRects(const CRealRect& source, const CRealRect& target, int mode) const;
};
