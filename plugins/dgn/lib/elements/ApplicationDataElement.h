#pragma once
// Type-66 application data on levels other than the model header's: a payload kept as raw
// bytes, then the attribute linkages. The level tells what the data is for.
#include "Element.h"
#include "elements/ElementPayload.h"

namespace dgn {

class CApplicationDataElement : public IElement {
public:
    // Element list 2.
    explicit CApplicationDataElement(CDesignFile* file);
    ~CApplicationDataElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element header only.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // attrOffsetWords (payload bytes + 33) / 2, sizeWords adds the linkages.
    void Touch() override;
    // Header, payload, linkages.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    // The level and what it stands for, the element lines, the end.
    void Describe(LineCallback callback) override;

    CElementPayload& GetPayload() { return m_payload; }

    // What application data on a level is ("?" for a level without a name).
    static const char* LevelName(std::int32_t level);

private:
    CElementPayload m_payload;
};

} // namespace dgn
