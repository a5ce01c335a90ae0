#include "Type56ApplicationElement.h"

#include "ByteArray.h"
#include "DesignFile.h"
#include "ElementPayload.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType56 = 56;

} // namespace

CType56ApplicationElement::CType56ApplicationElement(CDesignFile* file) : IElement(file), m_payload(CByteArray::NewWithCapacity(kPayloadStep))
{
    m_type = kType56;
}

CType56ApplicationElement::~CType56ApplicationElement() { delete m_payload; }

int CType56ApplicationElement::GetType() const { return kType56; }

IElement* CType56ApplicationElement::Clone(CDesignFile* target, bool removeSource)
{
    CType56ApplicationElement* copy = new (std::nothrow) CType56ApplicationElement(target);
    if (!copy)
        return nullptr;
    CByteArray* payload = ClonePayload(m_payload);
    if (!copy->m_payload || !payload) {
        delete payload;
        delete copy;
        return nullptr;
    }
    delete copy->m_payload;
    copy->m_payload = payload;
    std::memcpy(copy->m_block, m_block, sizeof m_block);
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CType56ApplicationElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload || !IElement::ReadV8(cursor, length))
        return false;
    const std::uint8_t* attributes = record + 4 + 2 * static_cast<std::uint64_t>(m_attrOffsetWords);
    if (!AssignPayload(m_payload, record + kV8HeaderBytes, attributes)) {
        *cursor = record;
        return false;
    }
    // A longer payload stays whole in the payload; the block holds its beginning.
    const std::uint32_t n = m_payload->Size() < kType56BlockBytes ? m_payload->Size() : kType56BlockBytes;
    std::memset(m_block, 0, sizeof m_block);
    if (n)
        std::memcpy(m_block, m_payload->Data(), n);
    FitSizeToLinkages();
    *cursor = attributes;
    return true;
}

bool CType56ApplicationElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length) { return IElement::ReadV7(cursor, length); }

void CType56ApplicationElement::Touch()
{
    IElement::Touch();
    PadPayloadToWord(m_payload);
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(PayloadSize(m_payload)));
}

std::uint32_t CType56ApplicationElement::WriteV8(std::uint8_t** cursor)
{
    if (!m_designFile || !m_designFile->IsV8() || !m_payload)
        return 0;
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(kV8HeaderBytes + static_cast<std::uint64_t>(m_payload->Size()));
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    PutBytes(cursor, m_payload->Data(), m_payload->Size());
    WriteLinkages(cursor, record);
    return size;
}

void CType56ApplicationElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Intergraph Type 56 Application Data");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
