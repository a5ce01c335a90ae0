#include "BodyRecords.h"

#include "LittleEndian.h"

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

} // namespace dgn
