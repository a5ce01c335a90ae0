#include "UnknownElement.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

CUnknownElement::CUnknownElement(CDesignFile* file) : IGraphicElement(file) {}

CUnknownElement::~CUnknownElement() = default;

int CUnknownElement::GetType() const { return m_type; }
bool CUnknownElement::IsGraphic() const { return (m_flags & kElementGraphic) != 0; }
bool CUnknownElement::IsHidden() const { return IsGraphic() ? IGraphicElement::IsHidden() : true; }

std::uint32_t CUnknownElement::HeaderBytes() const
{
    return ((m_flags & kElementGraphic) ? kV8GraphicHeaderBytes : kV8HeaderBytes) + ((m_flags & kElementComplexHeader) ? 4 : 0);
}

std::uint32_t CUnknownElement::MinimumAttrOffsetWords() const
{
    return (m_flags & kElementGraphic) ? kMinGraphicAttrOffsetWords : kMinAttrOffsetWords;
}

IElement* CUnknownElement::Clone(CDesignFile* target, bool removeSource)
{
    CUnknownElement* copy = new (std::nothrow) CUnknownElement(target);
    if (!copy || !copy->m_payload.CopyFrom(m_payload)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CUnknownElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload.Ok() || !record || length < kV8HeaderBytes)
        return false;
    // A record flagged graphic is read with its graphic header (and must have room for it).
    const std::uint16_t flags = LoadU16(record + 6);
    if (!((flags & kElementGraphic) ? IGraphicElement::ReadV8(cursor, length) : IElement::ReadV8(cursor, length)))
        return false;
    const std::uint8_t* end = record + GetRecordSize();
    const std::uint8_t* at = *cursor;
    if (m_flags & kElementComplexHeader) {
        if (end - at < 4) {
            *cursor = record;
            return false;
        }
        SetChildCount(static_cast<std::int32_t>(LoadU32(at)));
        at += 4;
    }
    if (!m_payload.Assign(at, end)) {
        *cursor = record;
        return false;
    }
    *cursor = end;
    return true;
}

bool CUnknownElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7GraphicHeaderBytes);
    if (!n || !m_payload.Assign(record, record + n) || !IGraphicElement::ReadV7(cursor, length))
        return false;
    *cursor = record + n;
    return true;
}

void CUnknownElement::Touch()
{
    IGraphicElement::Touch();
    m_payload.PadToWord();
    const std::uint32_t minimum = MinimumAttrOffsetWords();
    const std::uint32_t keptOffset = m_attrOffsetWords;
    m_sizeWords = static_cast<std::uint32_t>((HeaderBytes() + static_cast<std::uint64_t>(m_payload.Size()) - 4) / 2);
    // The linkages lie in the payload's tail where the record said; a new element has none.
    m_attrOffsetWords = keptOffset >= minimum && keptOffset <= m_sizeWords ? keptOffset : m_sizeWords;
}

std::uint32_t CUnknownElement::WriteV8(std::uint8_t** cursor)
{
    if (!m_designFile || !m_designFile->IsV8() || !m_payload.Ok())
        return 0;
    const std::uint64_t record = static_cast<std::uint64_t>(HeaderBytes()) + m_payload.Size();
    const std::uint32_t minimum = MinimumAttrOffsetWords();
    if (record != GetRecordSize() || m_attrOffsetWords < minimum || m_attrOffsetWords > m_sizeWords)
        return 0;
    if (m_flags & kElementGraphic)
        IGraphicElement::WriteV8(cursor);
    else
        IElement::WriteV8(cursor);
    if (m_flags & kElementComplexHeader)
        PutU32(cursor, static_cast<std::uint32_t>(ChildCount()));
    m_payload.Write(cursor);
    return static_cast<std::uint32_t>(record);
}

void CUnknownElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Unknown element type %i", static_cast<int>(m_type));
    if (m_flags & kElementGraphic)
        IGraphicElement::Describe(callback);
    else
        IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
