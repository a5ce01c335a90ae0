#pragma once
// Type-56 application data: a payload kept as raw bytes (its first 1536 bytes also in a fixed
// block), then the attribute linkages.
#include "Element.h"
#include "elements/ElementPayload.h"

namespace dgn {

constexpr std::uint32_t kType56BlockBytes = 1536;

class CType56ApplicationElement : public IElement {
public:
    explicit CType56ApplicationElement(CDesignFile* file);
    ~CType56ApplicationElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 element header only.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // The element Touch, then sizes that state the payload and the linkages.
    void Touch() override;
    // Only into a V8 design file: header, payload, linkages.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    CElementPayload& GetPayload() { return m_payload; }
    const std::uint8_t* GetBlock() const { return m_block; }

private:
    CElementPayload m_payload;
    std::uint8_t m_block[kType56BlockBytes] = {};
};

} // namespace dgn
