#pragma once
// The record bodies of the element classes that hold their fields in memory (B-spline, mesh and
// matrix elements): a body is read through a bounded reader over the bytes between the header
// and the attribute offset, and written from a buffer that the class fills field by field.
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

} // namespace dgn
