#include "Point3dArray.h"

#include "Geometry.h"

namespace dgn {

CPoint3dArray* CPoint3dArray::Create() { return Make(16, 0, nullptr); }
CPoint3dArray* CPoint3dArray::CreateSized(std::uint32_t n) { return Make(n, n, nullptr); }
CPoint3dArray* CPoint3dArray::CreateFrom(std::uint32_t n, const Point3d* points) { return Make(n, n, points); }

Point3d* CPoint3dArray::SetAt(std::uint32_t i, double x, double y, double z)
{
    Point3d* p = At(i);
    if (p) {
        p->x = x;
        p->y = y;
        p->z = z;
    }
    return p;
}

void CPoint3dArray::Transform(const double m[16])
{
    for (std::uint32_t i = 0; i < m_count; ++i)
        TransformPoint3d(m, m_data[i]);
}

} // namespace dgn
