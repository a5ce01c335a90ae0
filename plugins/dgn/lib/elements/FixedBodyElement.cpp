#include "FixedBodyElement.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace dgn {

CFixedBodyElement::CFixedBodyElement(CDesignFile* file) : IElement(file) {}

CFixedBodyElement::~CFixedBodyElement() = default;

bool CFixedBodyElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_rawBody.Ok() || !IElement::ReadV8(cursor, length))
        return false;
    const std::uint8_t* body = record + kV8HeaderBytes;
    const std::uint8_t* attributes = AttributesIn(record);
    const std::uint32_t available = attributes > body ? static_cast<std::uint32_t>(attributes - body) : 0;
    bool ok = ReadFixed(body, available) && FixedBytes() <= available;
    ok = ok && m_rawBody.Assign(body + FixedBytes(), attributes);
    return EndBodyRead(cursor, record, ok);
}

void CFixedBodyElement::Touch()
{
    IElement::Touch();
    m_rawBody.PadToWord();
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(FixedBytes()) + m_rawBody.Size());
}

std::uint32_t CFixedBodyElement::WriteV8(std::uint8_t** cursor)
{
    const std::uint64_t n = static_cast<std::uint64_t>(FixedBytes()) + m_rawBody.Size();
    if (n > 0x7FFFFFF0u)
        return 0;
    std::uint8_t* body = static_cast<std::uint8_t*>(std::malloc(n ? static_cast<std::size_t>(n) : 1));
    if (!body)
        return 0;
    WriteFixed(body);
    if (m_rawBody.Size())
        std::copy(m_rawBody.Data(), m_rawBody.Data() + m_rawBody.Size(), body + FixedBytes());
    const std::uint32_t written = WriteBodyRecord(cursor, body, static_cast<std::uint32_t>(n));
    std::free(body);
    return written;
}

IElement* CFixedBodyElement::FinishClone(CFixedBodyElement* copy, CDesignFile* target, bool removeSource)
{
    if (!copy || !copy->m_rawBody.CopyFrom(m_rawBody)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

} // namespace dgn
