#include "Linkage.h"

#include "ByteArray.h"
#include "ElementLinkages.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

// Raw data arrays grow in steps of 16 bytes.
constexpr std::uint32_t kRawStep = 16;

} // namespace

CLinkage::CLinkage(CElementLinkages* list, std::uint16_t userId, std::uint8_t flags) : CLinkageList(false), m_userId(userId), m_flags(flags)
{
    if (list) {
        list->Append(this);
        m_ownerElement = list->GetElement();
    }
}

CLinkage::~CLinkage() { delete m_raw; }

CLinkage* CLinkage::CreateGeneric(CElementLinkages* list, std::uint32_t byteLength, std::uint8_t flags, std::uint16_t userId,
                                  const std::uint8_t* data)
{
    CLinkage* linkage = new (std::nothrow) CLinkage(list, userId, flags);
    if (!linkage)
        return nullptr;
    linkage->m_raw = CByteArray::NewWithCapacity(kRawStep);
    const std::uint32_t length = byteLength > 4 ? byteLength - 4 : 0;
    if (!linkage->m_raw || !linkage->SetData(data, length)) {
        delete linkage;
        return nullptr;
    }
    return linkage;
}

std::uint32_t CLinkage::HeaderWords(std::uint8_t sizeByte, std::uint8_t flags)
{
    const unsigned scale = flags & 0x0F;
    const std::uint32_t words = (scale == 0 || !(flags & kLinkageScaled)) ? sizeByte + 1u : static_cast<std::uint32_t>(sizeByte) << scale;
    return words < 4 ? 4 : words;
}

std::uint16_t CLinkage::GetUserId() const { return m_userId; }
std::uint8_t CLinkage::GetFlags() const { return m_flags; }
void CLinkage::SetUserId(std::uint16_t id) { m_userId = id; }
void CLinkage::SetFlags(std::uint8_t flags) { m_flags = flags; }
std::uint32_t CLinkage::GetDataSize() const { return m_raw ? m_raw->Size() : 0; }
CByteArray* CLinkage::GetRawData() const { return m_raw; }
IElement* CLinkage::GetOwnerElement() const { return m_ownerElement; }
bool CLinkage::IsDbLink() const { return false; }
bool CLinkage::IsDmrs() const { return false; }

std::uint32_t CLinkage::PackSizeHeader()
{
    if (IsDmrs())
        return 8;
    // The data and the 4 header bytes, rounded up to whole 8 bytes.
    std::uint64_t words = ((static_cast<std::uint64_t>(GetDataSize()) + 11) & ~std::uint64_t(7)) / 2;
    // A linkage without a user ID (kept generic by the raw-linkage option) keeps a header that
    // already states its length.
    if (!(m_flags & kLinkageUserData) && HeaderWords(m_sizeByte, m_flags) == words)
        return static_cast<std::uint32_t>(words * 2);
    unsigned exponent = 0;
    while (words > 255) {
        words = (words + 1) / 2;
        ++exponent;
    }
    if (exponent == 0) {
        m_sizeByte = static_cast<std::uint8_t>(words - 1);
        m_flags = static_cast<std::uint8_t>(m_flags & 0xF0);
        return static_cast<std::uint32_t>(words * 2);
    }
    m_sizeByte = static_cast<std::uint8_t>(words);
    m_flags = static_cast<std::uint8_t>((m_flags & 0xF0) | kLinkageScaled | exponent);
    return static_cast<std::uint32_t>((words << exponent) * 2);
}

bool CLinkage::SetData(const std::uint8_t* data, std::uint32_t length)
{
    if (!m_raw || length > kMaxLinkageData)
        return false;
    CByteArray* fresh = CByteArray::NewWithCapacity(kRawStep);
    if (!fresh || (length && !fresh->Append(data, length))) {
        delete fresh;
        return false;
    }
    delete m_raw;
    m_raw = fresh;
    PackSizeHeader();
    return true;
}

void CLinkage::WriteData(std::uint8_t* p) const
{
    if (m_raw && m_raw->Size())
        std::memcpy(p, m_raw->Data(), m_raw->Size());
}

std::uint32_t CLinkage::WriteTo(std::uint8_t* p)
{
    const std::uint32_t length = PackSizeHeader();
    p[0] = m_sizeByte;
    p[1] = m_flags;
    StoreU16(p + 2, m_userId);
    const std::uint32_t data = GetDataSize();
    WriteData(p + 4);
    // The rest of the last 8 bytes: zero, never whatever the buffer held.
    std::memset(p + 4 + data, 0, length - 4 - data);
    return length;
}

void CLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "Attribute type: 0x%04x, size: 0x%02x, flags: 0x%02x", m_userId, m_sizeByte, m_flags);
}

CLinkage* CLinkage::Clone(CElementLinkages* list) const
{
    CLinkage* copy = CreateGeneric(list, GetDataSize() + 4, m_flags, m_userId, m_raw ? m_raw->Data() : nullptr);
    if (copy) {
        copy->m_sizeByte = m_sizeByte;
        copy->m_flags = m_flags;
    }
    return copy;
}

} // namespace dgn
