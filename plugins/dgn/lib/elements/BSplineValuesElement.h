#pragma once
// The value lists of a B-spline: its knots (type 26) and its weights (type 28). Both are
// non-graphic components holding doubles: V8 bodies of plain doubles, V7 bodies of int32
// fractions of 2147483647.
#include "elements/BodyGraphicElement.h"

namespace dgn {

class CDoubleArray;

class CBSplineValuesElement : public CPlainBodyElement {
public:
    ~CBSplineValuesElement() override;

    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The element header, 8 bytes, then V7 int32 values to the record's end.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    virtual CDoubleArray* GetValues() const;

protected:
    // List 1, the type, no values; touched.
    CBSplineValuesElement(CDesignFile* file, std::uint16_t type);
    IElement* FinishClone(CBSplineValuesElement* copy, CDesignFile* target, bool removeSource);

private:
    CDoubleArray* m_values;
};

class CBSplineKnotElement : public CBSplineValuesElement {
public:
    explicit CBSplineKnotElement(CDesignFile* file);
    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

class CBSplineWeightElement : public CBSplineValuesElement {
public:
    explicit CBSplineWeightElement(CDesignFile* file);
    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
};

} // namespace dgn
