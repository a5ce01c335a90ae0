#include "ElementPayload.h"

#include "ByteArray.h"
#include "LittleEndian.h"

#include <cstring>

namespace dgn {

namespace {

// Payload arrays start with room for 64 bytes.
constexpr std::uint32_t kPayloadStep = 64;

} // namespace

CElementPayload::CElementPayload() : m_bytes(CByteArray::NewWithCapacity(kPayloadStep)) {}
CElementPayload::~CElementPayload() { delete m_bytes; }

bool CElementPayload::Assign(const std::uint8_t* begin, const std::uint8_t* end)
{
    if (!m_bytes)
        return false;
    m_bytes->Reset();
    return Append(begin, end > begin ? static_cast<std::uint32_t>(end - begin) : 0);
}

bool CElementPayload::Append(const void* p, std::uint32_t n) { return m_bytes && (n == 0 || m_bytes->Append(p, n)); }

bool CElementPayload::PadTo(std::uint64_t size)
{
    if (!m_bytes)
        return false;
    const std::uint32_t have = m_bytes->Size();
    if (size <= have)
        return true;
    if (size > 0xFFFFFFF0u)
        return false;
    const std::uint32_t add = static_cast<std::uint32_t>(size) - have;
    if (m_bytes->Grow(add) != size)
        return false;
    std::memset(m_bytes->Data() + have, 0, add);
    return true;
}

bool CElementPayload::PadToWord() { return PadTo((static_cast<std::uint64_t>(Size()) + 1) & ~std::uint64_t(1)); }

bool CElementPayload::CopyFrom(const CElementPayload& other)
{
    if (!m_bytes || &other == this)
        return m_bytes != nullptr;
    CByteArray* copy = other.m_bytes ? other.m_bytes->Clone() : CByteArray::NewWithCapacity(kPayloadStep);
    if (!copy)
        return false;
    delete m_bytes;
    m_bytes = copy;
    return true;
}

std::uint32_t CElementPayload::Size() const { return m_bytes ? m_bytes->Size() : 0; }
const std::uint8_t* CElementPayload::Data() const { return m_bytes ? m_bytes->Data() : nullptr; }
void CElementPayload::Write(std::uint8_t** cursor) const { PutBytes(cursor, Data(), Size()); }

} // namespace dgn
