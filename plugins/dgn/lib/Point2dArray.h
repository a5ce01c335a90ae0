#pragma once
// An array of 2-D points (16 bytes each): vertex lists of elements and stroked curves.
#include "GeometryTypes.h"
#include "PointArray.h"

namespace dgn {

class CPoint2dArray : public TPointArray<Point2d, CPoint2dArray> {
public:
    // Writes point i when i is below the count; its address, or null.
    virtual Point2d* SetAt(std::uint32_t i, double x, double y);
    // Every point through the matrix (TransformPoint2d).
    virtual void Transform(const double m[16]);
    // The converters' name for it.
    void TransformAll(const double m[16]) { Transform(m); }

private:
    friend class TPointArray<Point2d, CPoint2dArray>;
    CPoint2dArray() = default;
};

// The converters' name for the vertex array of 2-D elements.
using CByteBuffer = CPoint2dArray;

} // namespace dgn
