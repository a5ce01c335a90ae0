#include "model/RealRect.h"
#include <algorithm>
#include <cmath>

double CRealRect::Area() const
{
    return std::fabs((static_cast<double>(top) - bottom) * (static_cast<double>(right) - left));
}

CRealRect CRealRect::operator+(const CRealPoint& p) const
{
    return CRealRect(left + p.x, top + p.y, right + p.x, bottom + p.y);
}

CRealRect CRealRect::operator-(const CRealPoint& p) const
{
    return CRealRect(left - p.x, top - p.y, right - p.x, bottom - p.y);
}

CRealRect& CRealRect::operator+=(const CRealPoint& p)
{
    left += p.x;
    top += p.y;
    right += p.x;
    bottom += p.y;
    return *this;
}

CRealRect& CRealRect::operator*=(double s)
{
    left = static_cast<float>(left * s);
    top = static_cast<float>(top * s);
    right = static_cast<float>(right * s);
    bottom = static_cast<float>(bottom * s);
    return *this;
}

CRealRect CRealRect::ScaledBy(const CRealPoint& p) const
{
    return CRealRect(left * p.x, top * p.y, right * p.x, bottom * p.y);
}

RECT CRealRect::ToRECT() const
{
    RECT r;
    r.left = static_cast<LONG>(std::trunc(left));
    r.top = static_cast<LONG>(std::trunc(top));
    r.right = static_cast<LONG>(std::trunc(right));
    r.bottom = static_cast<LONG>(std::trunc(bottom));
    return r;
}

double CRealRect::AspectRatio() const
{
    if (top == bottom)
        return 0.0;
    return (static_cast<double>(right) - left) / (static_cast<double>(top) - bottom);
}

CRealRect CRealRect::MapBetweenRects(const CRealRect& source, const CRealRect& target, int mode) const
{
    const CRealPoint cs(static_cast<float>((static_cast<double>(source.left) + source.right) / 2),
                        static_cast<float>((static_cast<double>(source.top) + source.bottom) / 2));
    const CRealPoint ct(static_cast<float>((static_cast<double>(target.left) + target.right) / 2),
                        static_cast<float>((static_cast<double>(target.top) + target.bottom) / 2));
    const CRealPoint ss(source.right - source.left, source.top - source.bottom);
    const CRealPoint st(target.right - target.left, target.top - target.bottom);
    CRealPoint f = st.DivideComponents(ss);
    if (mode != 0 && (f.x != 0 || f.y != 0)) {
        const float k = mode > 0 ? std::max(f.x, f.y) : std::min(f.x, f.y);
        f = CRealPoint(k, k);
    }
    return (*this - cs).ScaledBy(f) + ct;
}
