#pragma once
// The 3-D poles of a B-spline curve or of one row of a B-spline surface (type 21 with the 3-D
// property): a vertex list stored as a 3-D line string is, drawn as the open control polygon.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CPoint3dArray;

class CBSplinePoleElement3d : public CGraphicBodyElement {
public:
    // Graphic, properties 0x1800, no poles.
    explicit CBSplinePoleElement3d(CDesignFile* file);
    ~CBSplinePoleElement3d() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // Body: pole count (signed 32-bit), second header word, the poles (three doubles each). A
    // count beyond the body takes the poles the body holds; a negative one none.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // Body: pole count (16-bit), three V7 int32 a pole, bounded by the record.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;
    bool Transform(const double matrix[16]) override;

    virtual CPoint3dArray* GetPoints() const;
    std::uint32_t GetSecondWord() const { return m_secondWord; }

private:
    std::uint32_t m_secondWord = 0;
    CPoint3dArray* m_points;
};

} // namespace dgn
