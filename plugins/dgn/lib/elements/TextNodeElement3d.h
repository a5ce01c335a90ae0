#pragma once
// The 3-D text node (type 7 in 3-D files): the placement is an orientation quaternion and a
// 3-D origin (TextNodeElement2d.h has what both nodes share).
#include "elements/TextNodeElement2d.h"

namespace dgn {

class CTextNodeElement3d : public CTextNodeElement {
public:
    explicit CTextNodeElement3d(CDesignFile* file);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    // The origin, and every graphic component (transformed and touched); the orientation stays.
    bool Transform(const double matrix[16]) override;

    // Scalar first.
    double quaternion[4] = {1.0, 0.0, 0.0, 0.0};
    Point3d origin = {0.0, 0.0, 0.0};

protected:
    void ReadPlacement(CBoundedReader& body) override;
    void PutPlacement(std::uint8_t** cursor) const override;
    void GetOrigin(double out[3]) const override;
    std::uint64_t BodyBytes() const override { return 96; }
};

} // namespace dgn
