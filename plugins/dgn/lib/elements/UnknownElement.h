#pragma once
// An element of a type without a class of its own. It keeps its whole record after the header
// (and, for a complex header, the component count word) as raw bytes, so that a V8 file keeps
// it byte for byte through a read and a write. It acts as a graphic element only when its
// graphic flag (0x1000) is set: then the graphic header is read and written too.
#include "GraphicElement.h"
#include "elements/ElementPayload.h"

namespace dgn {

class CUnknownElement : public IGraphicElement {
public:
    explicit CUnknownElement(CDesignFile* file);
    ~CUnknownElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The element header (with the graphic header when the record is flagged graphic), the
    // component count word of a complex header, then every byte to the end of the record.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The whole V7 record as the payload, then the V7 graphic header.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // The graphic Touch, then sizes that state the header, count word and payload.
    void Touch() override;
    // Only into a V8 design file: the header (graphic by flag 0x1000), the count word of a
    // complex header, the payload; 0 when the sizes do not state that record.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    bool IsGraphic() const override;
    bool IsHidden() const override;

    CElementPayload& GetPayload() { return m_payload; }

private:
    // Header and count word.
    std::uint32_t HeaderBytes() const;
    // The smallest attribute offset that a reader takes for this element's header.
    std::uint32_t MinimumAttrOffsetWords() const;

    CElementPayload m_payload;
};

} // namespace dgn
