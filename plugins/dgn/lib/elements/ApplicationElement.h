#pragma once
// The model header: type-66 application data on level 32 that describes one model of the design
// file: its units, origin, type and background colour in a 464-byte body kept as it is in the
// record, with the model's name, description and unit labels in string linkages 1, 2, 19 and
// 20.
#include "Element.h"

namespace dgn {

constexpr std::uint32_t kModelHeaderBodyBytes = 464;

class CApplicationElement : public IElement {
public:
    // Level 32, element list 3, a zero body.
    explicit CApplicationElement(CDesignFile* file);
    // Leaves its design file's model slot.
    ~CApplicationElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The element header and the body; false for a record whose body is shorter.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element header only.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // attrOffsetWords 248, sizeWords adds the linkages.
    void Touch() override;
    // Header, body, linkages.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    // The model's lines (the element lines are not printed), then the end.
    void Describe(LineCallback callback) override;

    std::uint8_t* GetBody() { return m_body; }
    const std::uint8_t* GetBody() const { return m_body; }

    // Fields of the body.
    std::uint16_t GetModelType() const;
    std::uint32_t GetFlags1() const;
    std::uint32_t GetFlags2() const;
    double GetMasterUnitsNumerator() const;
    double GetMasterUnitsDenominator() const;
    double GetSubUnitsNumerator() const;
    double GetSubUnitsDenominator() const;
    void GetModelOrigin(double out[3]) const;
    double GetUorScale() const;
    double GetStorageUnitsNumerator() const;
    double GetStorageUnitsDenominator() const;
    // The model's background: an RGB triple (red in the low byte) and a pad byte.
    std::uint32_t GetBackgroundColor() const;
    // The master and sub unit words: base in bits 0 to 2, system in bits 3 to 5.
    std::uint32_t GetMasterUnitsFlags() const;
    std::uint32_t GetSubUnitsFlags() const;
    void SetMasterUnitsFlags(std::uint32_t flags);
    void SetSubUnitsFlags(std::uint32_t flags);
    void SetFlags2(std::uint32_t flags);
    void SetMasterUnitsRatio(double numerator, double denominator);
    void SetSubUnitsRatio(double numerator, double denominator);
    void SetModelOrigin(const double origin[3]);
    void SetUorScale(double scale);
    void SetStorageUnitsRatio(double numerator, double denominator);
    void SetBackgroundColor(std::uint32_t rgb);

private:
    std::uint8_t m_body[kModelHeaderBodyBytes] = {};
};

} // namespace dgn
