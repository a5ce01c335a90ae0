#include "Type56ApplicationElement.h"

#include "DesignFile.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType56 = 56;

} // namespace

CType56ApplicationElement::CType56ApplicationElement(CDesignFile* file) : IElement(file) { m_type = kType56; }

CType56ApplicationElement::~CType56ApplicationElement() = default;

int CType56ApplicationElement::GetType() const { return kType56; }

IElement* CType56ApplicationElement::Clone(CDesignFile* target, bool removeSource)
{
    CType56ApplicationElement* copy = new (std::nothrow) CType56ApplicationElement(target);
    if (!copy || !copy->m_payload.CopyFrom(m_payload)) {
        delete copy;
        return nullptr;
    }
    std::memcpy(copy->m_block, m_block, sizeof m_block);
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CType56ApplicationElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload.Ok() || !IElement::ReadV8(cursor, length))
        return false;
    if (!EndBodyRead(cursor, record, m_payload.Assign(record + kV8HeaderBytes, AttributesIn(record))))
        return false;
    // A longer payload stays whole in the payload; the block holds its beginning.
    const std::uint32_t n = m_payload.Size() < kType56BlockBytes ? m_payload.Size() : kType56BlockBytes;
    std::memset(m_block, 0, sizeof m_block);
    if (n)
        std::memcpy(m_block, m_payload.Data(), n);
    return true;
}

bool CType56ApplicationElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length) { return IElement::ReadV7(cursor, length); }

void CType56ApplicationElement::Touch()
{
    IElement::Touch();
    m_payload.PadToWord();
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(m_payload.Size()));
}

std::uint32_t CType56ApplicationElement::WriteV8(std::uint8_t** cursor)
{
    if (!m_designFile || !m_designFile->IsV8())
        return 0;
    return WriteBodyRecord(cursor, m_payload.Data(), m_payload.Size());
}

void CType56ApplicationElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Intergraph Type 56 Application Data");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
