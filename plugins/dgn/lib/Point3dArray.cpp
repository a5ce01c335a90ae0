#include "Point3dArray.h"

#include "Geometry.h"

namespace dgn {

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
