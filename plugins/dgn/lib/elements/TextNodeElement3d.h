#pragma once
// The 3-D text node (type 7 in 3-D files): the header of a multi-line text, holding the placement
// (origin, orientation quaternion, font, spacing) that the text elements after it (its
// components) share. A V7 node reads only its display header and keeps the defaults.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CTextNodeElement3d : public IBodyGraphicElement {
public:
    explicit CTextNodeElement3d(CDesignFile* file);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The range (the origin widened by 5 % of each coordinate without components, else the
    // components' range), the sizes, the graphic Touch.
    void Touch() override;
    void Describe(LineCallback callback) override;
    // The components' geometry.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    // The origin, and every graphic component (transformed and touched); the orientation stays.
    bool Transform(const double matrix[16]) override;

    std::uint32_t nodeNumber = 1;
    std::uint32_t font = 3;
    std::uint16_t maxLength = 255;
    std::uint16_t justification = 2;
    double lineSpacing = 5000.0;
    double lengthMultiplier = 416666.0;
    double heightMultiplier = 416666.0;
    // Scalar first.
    double quaternion[4] = {1.0, 0.0, 0.0, 0.0};
    Point3d origin = {0.0, 0.0, 0.0};
    // Low x, y, z, high x, y, z, as the last Touch computed it.
    double range[6] = {};

protected:
    bool ReadBodyV8(CBoundedReader& body) override;
    bool ReadBodyV7(CV7BodyReader&) override { return true; }
    std::uint64_t BodyBytes() const override { return 96; }
    void PutBody(std::uint8_t** cursor) const override;
};

} // namespace dgn
