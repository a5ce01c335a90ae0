#include "BodyRecords.h"

#include "LittleEndian.h"
#include "ValueEncodings.h"

namespace dgn {

std::uint32_t CGraphicBodyElement::WriteGraphicBodyRecord(std::uint8_t** cursor, const std::uint8_t* body, std::uint32_t n)
{
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(kV8GraphicHeaderBytes + static_cast<std::uint64_t>(n));
    if (!size)
        return 0;
    IGraphicElement::WriteV8(cursor);
    PutBytes(cursor, body, n);
    WriteLinkages(cursor, record);
    return size;
}

std::uint32_t CGraphicBodyElement::ReadV7ComplexHeader(const std::uint8_t** cursor, std::uint32_t length, std::uint32_t minBytes)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, minBytes < kV7GraphicHeaderBytes + 4 ? kV7GraphicHeaderBytes + 4 : minBytes);
    if (!n || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return 0;
    m_flags |= kElementComplexHeader;
    const std::uint8_t* p = record + kV7GraphicHeaderBytes;
    SetChildCount(static_cast<std::int32_t>(CountComplexComponents32(record, &p)));
    return n;
}

} // namespace dgn
