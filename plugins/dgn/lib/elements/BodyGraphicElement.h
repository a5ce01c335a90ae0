#pragma once
// The bases of the element classes whose record is a header, a body of the class's own and the
// attribute linkages. The body is read through a bounded reader over the bytes between the
// header and the attribute offset, and the record is sized and written here once for all.
// CGraphicBodyElement and CPlainBodyElement give the steps to classes that read and write their
// own records (B-spline, mesh, matrix, multiline and raster elements fill a body buffer field by
// field); IBodyGraphicElement runs the whole record for classes that only read, size and put
// their body.
//
// Sizes: attrOffsetWords counts the header and body in whole words ((108 + body - 3) / 2),
// sizeWords adds the linkages. A record is refused when its body's fixed part does not lie
// before the attribute offset (V8) or inside the record (V7); counts read from a record are
// bounded by the bytes that hold their items.
#include "BoundedReader.h"
#include "GeometrySink.h"
#include "GraphicElement.h"

#include <cstdint>
#include <cstdlib>

namespace dgn {

// A V7 32-bit integer (high word first) from a bounded reader.
inline std::int32_t ReadV7Int32(CBoundedReader& r)
{
    const std::uint32_t high = r.U16();
    return static_cast<std::int32_t>((high << 16) | r.U16());
}

// The bounded reader with the V7 encodings (ValueEncodings.h): a field that is not wholly there
// reads as zero and marks the reader short.
class CV7BodyReader : public CBoundedReader {
public:
    using CBoundedReader::CBoundedReader;

    // High word first.
    std::int32_t I32() { return ReadV7Int32(*this); }
    // Two's complement and sign-magnitude angles, in radians.
    double Angle();
    double SignMagnitudeAngle();
    double VaxDouble();
    void Quaternion(double out[4]);
    // A count of items of itemBytes each, cut to the items the rest of the span holds.
    std::uint32_t Bound(std::uint32_t count, std::uint32_t itemBytes) const;
};

// A body buffer of n bytes on the C heap (zeroed); Data() is null when memory ran out.
class CBodyBuffer {
public:
    explicit CBodyBuffer(std::uint64_t n)
        : m_data(n <= 0x7FFFFFF0u ? static_cast<std::uint8_t*>(std::calloc(n ? static_cast<std::size_t>(n) : 1, 1)) : nullptr),
          m_size(static_cast<std::uint32_t>(n))
    {
    }
    ~CBodyBuffer() { std::free(m_data); }
    std::uint8_t* Data() const { return m_data; }
    std::uint32_t Size() const { return m_size; }
    CBodyBuffer(const CBodyBuffer&) = delete;
    CBodyBuffer& operator=(const CBodyBuffer&) = delete;

private:
    std::uint8_t* m_data;
    std::uint32_t m_size;
};

// A graphic element whose body follows the graphic header.
class CGraphicBodyElement : public IGraphicElement {
protected:
    explicit CGraphicBodyElement(CDesignFile* file) : IGraphicElement(file) {}
    // The graphic header, the body (n bytes), zeros up to the attribute offset and the
    // linkages; nothing when the sizes do not state that record.
    std::uint32_t WriteGraphicBodyRecord(std::uint8_t** cursor, const std::uint8_t* body, std::uint32_t n);
    // The same record with the body put by put(cursor), which writes exactly n bytes.
    template <class Put>
    std::uint32_t WriteGraphicBody(std::uint8_t** cursor, std::uint64_t n, Put put)
    {
        std::uint8_t* record = *cursor;
        const std::uint32_t size = PlanLinkedRecord(kV8GraphicHeaderBytes + n);
        if (!size)
            return 0;
        IGraphicElement::WriteV8(cursor);
        put(cursor);
        WriteLinkages(cursor, record);
        return size;
    }
    // The V7 record of a complex header at *cursor (at least minBytes): its linkages, element
    // and display header, and the component count from the complex's length that follows the
    // display header. The record's length; 0 when refused (cursor unmoved).
    std::uint32_t ReadV7ComplexHeader(const std::uint8_t** cursor, std::uint32_t length, std::uint32_t minBytes);
    // Touch's sizes for a body of n bytes after the graphic header.
    void SetGraphicBodySizes(std::uint64_t n) { SetSizesForBody(kV8GraphicHeaderBytes + n); }
    // The graphic header of the record at *cursor, then read(reader) over the body's bytes; the
    // record refused (cursor unmoved) when either fails.
    template <class Read>
    bool ReadGraphicBody(const std::uint8_t** cursor, std::uint32_t length, Read read)
    {
        const std::uint8_t* record = *cursor;
        if (!IGraphicElement::ReadV8(cursor, length))
            return false;
        const std::uint8_t* body = record + kV8GraphicHeaderBytes;
        const std::uint8_t* attributes = AttributesIn(record);
        CBoundedReader reader(body, attributes > body ? static_cast<std::uint32_t>(attributes - body) : 0);
        return EndBodyRead(cursor, record, read(reader));
    }
};

// A plain (non-graphic) element whose body follows the 36-byte header.
class CPlainBodyElement : public IElement {
protected:
    explicit CPlainBodyElement(CDesignFile* file) : IElement(file) {}
    template <class Read>
    bool ReadPlainBody(const std::uint8_t** cursor, std::uint32_t length, Read read)
    {
        const std::uint8_t* record = *cursor;
        if (!IElement::ReadV8(cursor, length))
            return false;
        const std::uint8_t* body = record + kV8HeaderBytes;
        const std::uint8_t* attributes = AttributesIn(record);
        CBoundedReader reader(body, attributes > body ? static_cast<std::uint32_t>(attributes - body) : 0);
        return EndBodyRead(cursor, record, read(reader));
    }
    // The V7 element header, then read(reader) over the rest of the record.
    template <class Read>
    bool ReadPlainV7Body(const std::uint8_t** cursor, std::uint32_t length, Read read)
    {
        const std::uint8_t* record = *cursor;
        const std::uint32_t n = V7RecordLength(record, length, kV7HeaderBytes);
        if (!n || !IElement::ReadV7(cursor, length))
            return false;
        CBoundedReader reader(record + kV7HeaderBytes, n - kV7HeaderBytes);
        if (!read(reader)) {
            *cursor = record;
            return false;
        }
        *cursor = record + n;
        return true;
    }
};

class IBodyGraphicElement : public CGraphicBodyElement {
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
