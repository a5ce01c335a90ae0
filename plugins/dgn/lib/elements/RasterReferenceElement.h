#pragma once
// A raster file attached by reference: the raster reference (type 90) and its components
// (type 91), typed blocks of reference data (the first signed 16-bit word of a component is its
// type). The reference draws as a rotated box placed by its type-7 component, or by its own
// fields without one.
#include "elements/BodyGraphicElement.h"
#include "elements/ElementPayload.h"

namespace dgn {

class CRasterReferenceComponentElement : public CPlainBodyElement {
public:
    // List 2, no payload.
    explicit CRasterReferenceComponentElement(CDesignFile* file);
    ~CRasterReferenceComponentElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // Everything after the 28-byte element header.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;

    // The first signed 16-bit word of the payload (0 without one).
    std::int32_t GetComponentType() const;
    CElementPayload& GetPayload() { return m_payload; }

private:
    CElementPayload m_payload;
};

class CRasterReferenceElement : public CPlainBodyElement {
public:
    // List 2, the fields at their defaults.
    explicit CRasterReferenceElement(CDesignFile* file);
    ~CRasterReferenceElement() override;

    int GetType() const override;
    IElement* Clone(CDesignFile* target, bool removeSource) override;
    // The 88-byte body.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    void Touch() override;
    std::uint32_t WriteV8(std::uint8_t** cursor) override;
    void Describe(LineCallback callback) override;
    // AddRotatedOffset3d with the placement of the type-7 component (its point at byte 8, its
    // extents and angle at bytes 32, 40, 48) or, without a whole one, of the reference's own
    // fields.
    void EmitGeometry(CEntityIterator* context, IGeometrySink* sink) override;

    // The payload of the first component of type 7, 8 or 10 (another type too), or null.
    CElementPayload* FindComponent(std::int32_t type);
    double GetDouble(int i) const { return m_doubles[i]; }
    void SetDouble(int i, double v) { m_doubles[i] = v; }
    std::uint32_t GetWord(int i) const { return m_words[i]; }
    void SetWord(int i, std::uint32_t v) { m_words[i] = v; }
    CElementPayload& GetFirstBlock() { return m_firstBlock; }

private:
    std::uint16_t m_shorts[2] = {};
    std::uint32_t m_words[6] = {1, 0, 0, 0, 0, 0};
    // Two doubles, the third (not in V8 records), then four (the last two 1.0 by default).
    double m_doubles[7] = {0, 0, 0, 0, 0, 1.0, 1.0};
    std::uint32_t m_colorWord = 0xFFF00000u;
    std::uint32_t m_lastWord = 0;
    CElementPayload m_firstBlock;
    CElementPayload m_secondBlock;
};

} // namespace dgn
