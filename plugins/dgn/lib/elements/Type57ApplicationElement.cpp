#include "Type57ApplicationElement.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType57 = 57;
constexpr std::uint16_t kSubtypeWithBlock = 2;

// The record sizes (in words) of the subtypes that are written: V8 sizes and attribute
// offsets, and the V7 sizes.
bool KnownSubtype(std::uint16_t subtype) { return subtype >= 1 && subtype <= 3; }
std::uint32_t V8Words(std::uint16_t subtype) { return subtype == 1 ? 67 : subtype == 2 ? 113 : 31; }
std::uint32_t V7Words(std::uint16_t subtype) { return subtype == 1 ? 59 : subtype == 2 ? 105 : 23; }

} // namespace

CType57ApplicationElement::CType57ApplicationElement(CDesignFile* file) : IElement(file)
{
    m_type = kType57;
    m_level = 5;
}

CType57ApplicationElement::~CType57ApplicationElement() = default;

int CType57ApplicationElement::GetType() const { return kType57; }
std::uint16_t CType57ApplicationElement::GetSubtype() const { return m_subtype; }
void CType57ApplicationElement::SetSubtype(std::uint16_t subtype) { m_subtype = subtype; }

std::uint32_t CType57ApplicationElement::FixedBytes() const { return kV8HeaderBytes + 14 + (m_subtype == kSubtypeWithBlock ? 6 : 0); }

IElement* CType57ApplicationElement::Clone(CDesignFile* target, bool removeSource)
{
    CType57ApplicationElement* copy = new (std::nothrow) CType57ApplicationElement(target);
    if (!copy || !copy->m_payload.CopyFrom(m_payload)) {
        delete copy;
        return nullptr;
    }
    copy->m_subtype = m_subtype;
    std::memcpy(copy->m_block12, m_block12, sizeof m_block12);
    copy->m_block6Word = m_block6Word;
    copy->m_block6Short = m_block6Short;
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CType57ApplicationElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload.Ok() || !IElement::ReadV8(cursor, length))
        return false;
    const std::uint8_t* attributes = AttributesIn(record);
    const std::uint8_t* body = record + kV8HeaderBytes;
    // The block and the subtype, and for subtype 2 the second block, must lie before the
    // attribute bytes.
    bool ok = attributes - body >= 14;
    if (ok) {
        std::memcpy(m_block12, body, sizeof m_block12);
        m_subtype = LoadU16(body + 12);
        if (m_subtype == kSubtypeWithBlock) {
            ok = attributes - body >= 20;
            if (ok) {
                m_block6Word = LoadU32(body + 14);
                m_block6Short = LoadU16(body + 18);
            }
        }
    }
    return EndBodyRead(cursor, record, ok && m_payload.Assign(record + FixedBytes(), attributes));
}

bool CType57ApplicationElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, 42);
    if (!n || !m_payload.Ok() || !IElement::ReadV7(cursor, length))
        return false;
    m_subtype = LoadU16(record + 40);
    const std::uint32_t start = m_subtype == kSubtypeWithBlock ? 48 : 42;
    if (n < start || !m_payload.Assign(record + start, record + n)) {
        *cursor = record;
        return false;
    }
    *cursor = record + n;
    return true;
}

void CType57ApplicationElement::Touch()
{
    IElement::Touch();
    if (!KnownSubtype(m_subtype))
        return;
    if (!m_designFile || !m_designFile->IsV8()) {
        m_sizeWords = V7Words(m_subtype);
        return;
    }
    // A payload shorter than the subtype's record is padded to it; a longer one keeps the
    // room it came with.
    m_payload.PadTo(4 + 2 * static_cast<std::uint64_t>(V8Words(m_subtype)) - FixedBytes());
    m_payload.PadToWord();
    SetSizesForBody(static_cast<std::uint64_t>(FixedBytes()) + m_payload.Size());
}

std::uint32_t CType57ApplicationElement::WriteV8(std::uint8_t** cursor)
{
    if (!KnownSubtype(m_subtype) || !m_designFile || !m_designFile->IsV8())
        return 0;
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(static_cast<std::uint64_t>(FixedBytes()) + m_payload.Size());
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    PutBytes(cursor, m_block12, sizeof m_block12);
    PutU16(cursor, m_subtype);
    if (m_subtype == kSubtypeWithBlock) {
        PutU32(cursor, m_block6Word);
        PutU16(cursor, m_block6Short);
    }
    m_payload.Write(cursor);
    WriteLinkages(cursor, record);
    return size;
}

void CType57ApplicationElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Intergraph Type 57 Application Data");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
