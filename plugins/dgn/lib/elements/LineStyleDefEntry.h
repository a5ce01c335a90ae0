#pragma once
// An entry of the line style definition table (type 95, table number 8): words the library
// keeps, a name (64 UTF-16 characters), then the definition's data bytes and its 8-byte
// components.
#include "elements/FixedBodyElement.h"

namespace dgn {

class CByteArray;

class CLineStyleDefEntry : public CFixedBodyElement {
public:
    explicit CLineStyleDefEntry(CDesignFile* file);
    ~CLineStyleDefEntry() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    void Describe(LineCallback callback) override;

    // Sets the data and components of the definition.
    bool SetDefinition(const std::uint8_t* data, std::uint32_t dataBytes, const std::uint8_t* components, std::uint32_t count);
    std::uint32_t GetDataBytes() const;
    std::uint32_t GetComponentCount() const;

protected:
    std::uint32_t FixedBytes() const override;
    // The counts of data bytes and components are cut to what the record holds.
    bool ReadFixed(const std::uint8_t* body, std::uint32_t available) override;
    void WriteFixed(std::uint8_t* out) const override;

private:
    // defWords, defShort0, defShort1, defName, as they stand in the body (164 bytes).
    std::uint8_t m_head[164] = {};
    std::uint16_t m_defShort2 = 0;
    CByteArray* m_data = nullptr;
    CByteArray* m_components = nullptr;
};

} // namespace dgn
