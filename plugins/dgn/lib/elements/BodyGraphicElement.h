#pragma once
// The base of the drawn element classes whose record is the graphic header, a body of the
// class's own and the attribute linkages. It reads, sizes and writes that record once for all:
// the class reads its body from a bounded reader, states its byte count and writes it.
//
// Sizes: attrOffsetWords counts the header and body in whole words ((108 + body - 3) / 2),
// sizeWords adds the linkages. A record is refused when its body's fixed part does not lie
// before the attribute offset (V8) or inside the record (V7); counts read from a record are
// bounded by the bytes that hold their items.
#include "BoundedReader.h"
#include "GraphicElement.h"

#include <cstdint>

namespace dgn {

// The V7 readers (ValueEncodings.h) over a span of a record: a field that is not wholly there
// reads as zero and marks the reader short, as CBoundedReader does.
class CV7BodyReader {
public:
    CV7BodyReader(const std::uint8_t* data, std::uint32_t size) : m_at(data), m_left(data ? size : 0) {}

    std::uint8_t U8();
    std::uint16_t U16();
    // High word first.
    std::int32_t I32();
    // Two's complement and sign-magnitude angles, in radians.
    double Angle();
    double SignMagnitudeAngle();
    double VaxDouble();
    void Quaternion(double out[4]);
    const std::uint8_t* Span(std::uint32_t n);
    void Skip(std::uint32_t n) { Span(n); }
    // A count of items of itemBytes each, cut to the items the rest of the span holds.
    std::uint32_t Bound(std::uint32_t count, std::uint32_t itemBytes) const;
    std::uint32_t Left() const { return m_left; }
    const std::uint8_t* Position() const { return m_at; }
    bool IsShort() const { return m_short; }

private:
    const std::uint8_t* Take(std::uint32_t n);

    const std::uint8_t* m_at;
    std::uint32_t m_left;
    bool m_short = false;
};

class IBodyGraphicElement : public IGraphicElement {
public:
    // The graphic base, the type, element flag 0x1000 and the properties bits given.
    IBodyGraphicElement(CDesignFile* file, int type, std::uint16_t properties);

    int GetType() const override;
    // The graphic header, then ReadBodyV8 over the bytes up to the attribute offset.
    bool ReadV8(const std::uint8_t** cursor, std::uint32_t length) override;
    // The V7 attribute data and display header, then ReadBodyV7 over the rest of the record;
    // the sizes then state the V8 record of what was read.
    bool ReadV7(const std::uint8_t** cursor, std::uint32_t length) override;
    // Sizes from the body, then the graphic Touch (range, time stamp).
    void Touch() override;
    // The graphic header, the body, the linkages: exactly the record the sizes state, or 0.
    std::uint32_t WriteV8(std::uint8_t** cursor) override;

protected:
    // False when the fixed part of the body is not there (the reader went short).
    virtual bool ReadBodyV8(CBoundedReader& body) = 0;
    virtual bool ReadBodyV7(CV7BodyReader& body) = 0;
    virtual std::uint64_t BodyBytes() const = 0;
    virtual void PutBody(std::uint8_t** cursor) const = 0;
    // After either reader (the shapes and ellipses build their fill description).
    virtual void AfterRead() {}
    // Sets attrOffsetWords and sizeWords for the body as it now is.
    void SetBodySizes();
};

// What the exporter's Create factories do with a new element: its model, and a fresh element
// ID from its design file. Returns element.
IElement* PlaceNewElement(IElement* element, CDesignFile* file, std::int32_t model);

} // namespace dgn
