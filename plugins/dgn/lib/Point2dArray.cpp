#include "Point2dArray.h"

#include "Geometry.h"

namespace dgn {

Point2d* CPoint2dArray::SetAt(std::uint32_t i, double x, double y)
{
    Point2d* p = At(i);
    if (p) {
        p->x = x;
        p->y = y;
    }
    return p;
}

void CPoint2dArray::Transform(const double m[16])
{
    for (std::uint32_t i = 0; i < m_count; ++i)
        TransformPoint2d(m, m_data[i]);
}

} // namespace dgn
