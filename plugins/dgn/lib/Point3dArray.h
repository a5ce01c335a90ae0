#pragma once
// An array of 3-D points (24 bytes each): vertex lists of elements and stroked curves.
#include "GeometryTypes.h"
#include "PointArray.h"

namespace dgn {

class CPoint3dArray : public TPointArray<Point3d, CPoint3dArray> {
public:
    // Writes point i when i is below the count; its address, or null.
    virtual Point3d* SetAt(std::uint32_t i, double x, double y, double z);
    // Every point through the matrix (TransformPoint3d).
    virtual void Transform(const double m[16]);

private:
    friend class TPointArray<Point3d, CPoint3dArray>;
    CPoint3dArray() = default;
};

} // namespace dgn
