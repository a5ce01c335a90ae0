#include "TextNodeElement3d.h"

#include "Geometry.h"
#include "LittleEndian.h"

#include <cstdio>
#include <new>

namespace dgn {

CTextNodeElement3d::CTextNodeElement3d(CDesignFile* file) : CTextNodeElement(file, kPropertyScreen | kProperty3d) {}

void CTextNodeElement3d::ReadPlacement(CBoundedReader& body)
{
    for (double& q : quaternion)
        q = body.F64();
    origin.x = body.F64();
    origin.y = body.F64();
    origin.z = body.F64();
}

void CTextNodeElement3d::PutPlacement(std::uint8_t** cursor) const
{
    for (double q : quaternion)
        PutF64(cursor, q);
    PutF64(cursor, origin.x);
    PutF64(cursor, origin.y);
    PutF64(cursor, origin.z);
}

void CTextNodeElement3d::GetOrigin(double out[3]) const
{
    out[0] = origin.x;
    out[1] = origin.y;
    out[2] = origin.z;
}

IElement* CTextNodeElement3d::Clone(CDesignFile* target, bool removeSource)
{
    CTextNodeElement3d* copy = new (std::nothrow) CTextNodeElement3d(target);
    if (copy) {
        for (int i = 0; i < 4; ++i)
            copy->quaternion[i] = quaternion[i];
        copy->origin = origin;
    }
    return FinishClone(copy, target, removeSource);
}

bool CTextNodeElement3d::Transform(const double matrix[16])
{
    TransformPoint3d(matrix, origin);
    UpdateFlaggedComponents(matrix);
    return true;
}

void CTextNodeElement3d::Describe(LineCallback callback)
{
    char at[kLineBuffer];
    char placement[kLineBuffer];
    FormatPoint3d(origin, "at: ", at);
    std::snprintf(placement, sizeof placement, "rotation: %g, %g, %g, %g", quaternion[0], quaternion[1], quaternion[2], quaternion[3]);
    DescribeNode(callback, "3d Text Node", at, placement);
}

} // namespace dgn
