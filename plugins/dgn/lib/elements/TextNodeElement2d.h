#pragma once
// Text nodes (type 7): the header of a multi-line text, holding the placement that the text
// elements after it (its components) share. The 2-D node keeps an angle and a 2-D origin, the
// 3-D node an orientation quaternion and a 3-D origin; the fields before them are the same. A
// V7 text node reads only its display header and keeps the defaults.
#include "elements/BodyGraphicElement.h"

namespace dgn {

// What both nodes hold and do.
class CTextNodeElement : public IBodyGraphicElement {
public:
    // The range (the origin widened by 5 % of each coordinate without components, else the
    // components' range), the sizes, the graphic Touch.
    void Touch() override;
    // The components' geometry.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;

    std::uint32_t nodeNumber = 1;
    std::uint32_t font = 3;
    std::uint16_t maxLength = 255;
    std::uint16_t justification = 2;
    double lineSpacing = 5000.0;
    double lengthMultiplier = 416666.0;
    double heightMultiplier = 416666.0;
    // Low x, y, z, high x, y, z, as the last Touch computed it.
    double range[6] = {};

protected:
    CTextNodeElement(CDesignFile* file, std::uint16_t properties);
    bool ReadBodyV7(CV7BodyReader&) override { return true; }
    // The count and the shared fields (40 bytes), then the class's own.
    bool ReadBodyV8(CBoundedReader& body) override;
    void PutBody(std::uint8_t** cursor) const override;
    virtual void ReadPlacement(CBoundedReader& body) = 0;
    virtual void PutPlacement(std::uint8_t** cursor) const = 0;
    virtual void GetOrigin(double out[3]) const = 0;
    // Copies the shared fields and the element part into copy; copy (null when it is null).
    IElement* FinishClone(CTextNodeElement* copy, CDesignFile* target, bool removeSource);
    // The title, the graphic and count lines, the origin and spacing, the placement line, the
    // font line.
    void DescribeNode(LineCallback callback, const char* title, const char* origin, const char* placement);
};

class CTextNodeElement2d : public CTextNodeElement {
public:
    explicit CTextNodeElement2d(CDesignFile* file);

    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;
    // The origin, and every graphic component (transformed and touched).
    bool Transform(const double matrix[16]) override;

    double angle = 0.0;
    Point2d origin = {0.0, 0.0};

protected:
    void ReadPlacement(CBoundedReader& body) override;
    void PutPlacement(std::uint8_t** cursor) const override;
    void GetOrigin(double out[3]) const override;
    std::uint64_t BodyBytes() const override { return 64; }
};

} // namespace dgn
