#pragma once
// CRealRect: a rectangle of world coordinates, y up: a normalised one has left <= right and
// bottom <= top (top is the larger y).
#include "common/RealPoint.h"

template <class T>
struct CRealRect {
    CRealRect() : left(0), top(0), right(0), bottom(0) {}
    // The sides as given, not normalised.
    CRealRect(T l, T t, T r, T b) : left(l), top(t), right(r), bottom(b) {}
    // The normalised rectangle spanned by two corners.
    CRealRect(const CRealPoint<T>& p1, const CRealPoint<T>& p2)
    {
        if (p1.x < p2.x) {
            left = p1.x;
            right = p2.x;
        } else {
            left = p2.x;
            right = p1.x;
        }
        if (p1.y < p2.y) {
            bottom = p1.y;
            top = p2.y;
        } else {
            bottom = p2.y;
            top = p1.y;
        }
    }

    bool IsPoint() const { return left == right && top == bottom; }

    T left;
    T top;
    T right;
    T bottom;
};
