#pragma once
// Type-57 application data: a 12-byte block, a subtype, for subtype 2 a 6-byte block, then a
// payload kept as raw bytes, then the attribute linkages. Only subtypes 1, 2 and 3 are written
// (a new element's subtype, 65535, is not); their records have fixed sizes that the payload is
// padded to, and a longer payload keeps the size it was read with.
#include "Element.h"
#include "elements/ElementPayload.h"

namespace dgn {

class CType57ApplicationElement : public IElement {
public:
    // Level 5, subtype 65535.
    explicit CType57ApplicationElement(CDesignFile* file);
    ~CType57ApplicationElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element header, the subtype at 40 and the payload from 42 (48 for subtype 2).
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    virtual std::uint16_t GetSubtype() const;
    virtual void SetSubtype(std::uint16_t subtype);

    CElementPayload& GetPayload() { return m_payload; }

private:
    // Header, block, subtype and, for subtype 2, the second block.
    std::uint32_t FixedBytes() const;

    CElementPayload m_payload;
    std::uint16_t m_subtype = 0xFFFF;
    std::uint8_t m_block12[12] = {};
    std::uint32_t m_block6Word = 0;
    std::uint16_t m_block6Short = 0;
};

} // namespace dgn
