#include "Point2dArray.h"

#include "Geometry.h"

namespace dgn {

CPoint2dArray* CPoint2dArray::Create() { return Make(16, 0, nullptr); }
CPoint2dArray* CPoint2dArray::CreateSized(std::uint32_t n) { return Make(n, n, nullptr); }
CPoint2dArray* CPoint2dArray::CreateFrom(std::uint32_t n, const Point2d* points) { return Make(n, n, points); }

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
