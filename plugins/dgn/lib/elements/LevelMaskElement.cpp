#include "LevelMaskElement.h"

#include "DesignFile.h"
#include "EntityContainer.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::uint16_t kType99 = 99;
constexpr std::uint32_t kHeadBytes = 20;
constexpr std::uint32_t kV7HeadEnd = 48;

std::uint32_t BytesOf(std::uint32_t bitCount) { return static_cast<std::uint32_t>((static_cast<std::uint64_t>(bitCount) + 7) / 8); }

} // namespace

CLevelMaskElement::CLevelMaskElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType99;
    m_flags |= kElementNonModel;
}

CLevelMaskElement::~CLevelMaskElement() { std::free(m_bits); }

CLevelMaskElement* CLevelMaskElement::Create(CDesignFile* file, std::int32_t model, std::uint16_t viewNumber, std::uint32_t bitCount,
                                             const std::uint8_t* bits)
{
    CLevelMaskElement* m = new (std::nothrow) CLevelMaskElement(file);
    if (!m)
        return nullptr;
    m->m_model = model;
    m->m_viewNumber = viewNumber;
    if (bitCount >= 1 && bits && !m->SetBits(bitCount, bits)) {
        delete m;
        return nullptr;
    }
    if (file) {
        m->m_elementId = file->NewElementId();
        m->EnterIdIndex();
    }
    m->Touch();
    return m;
}

bool CLevelMaskElement::SetBits(std::uint32_t bitCount, const std::uint8_t* bits)
{
    const std::uint32_t n = BytesOf(bitCount);
    std::uint8_t* copy = n ? static_cast<std::uint8_t*>(std::malloc(n)) : nullptr;
    if (n && !copy)
        return false;
    if (n)
        std::memcpy(copy, bits, n);
    std::free(m_bits);
    m_bits = copy;
    m_bitCount = n ? bitCount : 0;
    return true;
}

bool CLevelMaskElement::SetMask(std::uint16_t viewNumber, std::uint32_t bitCount, const std::uint8_t* bits)
{
    m_viewNumber = viewNumber;
    return bits ? SetBits(bitCount, bits) : SetBits(0, nullptr);
}

int CLevelMaskElement::GetType() const { return kType99; }
std::uint32_t CLevelMaskElement::FixedBytes() const { return kHeadBytes + BytesOf(m_bitCount); }
std::uint16_t* CLevelMaskElement::GetMaskData() { return &m_maskVersion; }
std::uint16_t CLevelMaskElement::GetViewNumber() const { return m_viewNumber; }

LevelMaskHeader CLevelMaskElement::GetMaskHeader() const
{
    return {m_maskVersion, m_reserved2, m_reserved3, m_viewNumber, m_attachmentId, m_bitCount};
}

bool CLevelMaskElement::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kHeadBytes)
        return false;
    m_maskVersion = LoadU16(b);
    m_reserved2 = LoadU16(b + 2);
    m_reserved3 = LoadU16(b + 4);
    m_viewNumber = LoadU16(b + 6);
    m_attachmentId = LoadU64(b + 8);
    std::uint32_t bitCount = LoadU32(b + 16);
    const std::uint32_t room = available - kHeadBytes;
    if (BytesOf(bitCount) > room)
        bitCount = room * 8;
    return SetBits(bitCount, b + kHeadBytes);
}

void CLevelMaskElement::WriteFixed(std::uint8_t* out) const
{
    StoreU16(out, m_maskVersion);
    StoreU16(out + 2, m_reserved2);
    StoreU16(out + 4, m_reserved3);
    StoreU16(out + 6, m_viewNumber);
    StoreU64(out + 8, m_attachmentId);
    StoreU32(out + 16, m_bitCount);
    if (m_bitCount)
        std::memcpy(out + kHeadBytes, m_bits, BytesOf(m_bitCount));
}

bool CLevelMaskElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7HeadEnd);
    if (!n || !IElement::ReadV7(cursor, length))
        return false;
    const std::uint8_t* p = record + kV7HeaderBytes;
    m_maskVersion = ReadV7UInt16(&p);
    m_reserved2 = ReadV7UInt16(&p);
    m_reserved3 = ReadV7UInt16(&p);
    m_viewNumber = ReadV7UInt16(&p);
    const std::uint32_t high = static_cast<std::uint32_t>(ReadV7Int32(&p));
    const std::uint32_t low = static_cast<std::uint32_t>(ReadV7Int32(&p));
    m_attachmentId = (static_cast<std::uint64_t>(high) << 32) | low;
    std::uint32_t bitCount = static_cast<std::uint32_t>(ReadV7Int32(&p));
    if (BytesOf(bitCount) > n - kV7HeadEnd)
        bitCount = (n - kV7HeadEnd) * 8;
    if (!SetBits(bitCount, record + kV7HeadEnd)) {
        *cursor = record;
        return false;
    }
    *cursor = record + n;
    return true;
}

IElement* CLevelMaskElement::Clone(CDesignFile* target, bool removeSource)
{
    CLevelMaskElement* copy = new (std::nothrow) CLevelMaskElement(target ? target : m_designFile);
    if (copy) {
        copy->m_maskVersion = m_maskVersion;
        copy->m_reserved2 = m_reserved2;
        copy->m_reserved3 = m_reserved3;
        copy->m_viewNumber = m_viewNumber;
        copy->m_attachmentId = m_attachmentId;
        if (m_bitCount && !copy->SetBits(m_bitCount, m_bits)) {
            delete copy;
            return nullptr;
        }
    }
    return FinishClone(copy, target, removeSource);
}

std::uint32_t CLevelMaskElement::GetMaskCount() const
{
    const IEntity* owner = Owner();
    if (!owner || owner->GetKind() != kEntityElement)
        return 1;
    std::uint32_t count = 0;
    for (const IEntity* e = owner->Next(); e && e != owner->ChildList(); e = e->SubtreeEnd()->Next()) {
        if (e->Owner() == owner && e->GetType() == 99)
            ++count;
    }
    return count ? count : 1;
}

bool CLevelMaskElement::IsLevelOn(std::int32_t level) const
{
    if (level <= 0 || static_cast<std::uint32_t>(level) > m_bitCount || !m_bits)
        return true;
    const std::uint32_t bit = static_cast<std::uint32_t>(level) - 1;
    // Bit k of the little-endian word w is bit k % 8 of byte 2w + k / 8.
    return (m_bits[2 * (bit / 16) + (bit % 16) / 8] >> (bit % 8)) & 1;
}

void CLevelMaskElement::SetLevelOn(std::int32_t level, bool on)
{
    if (level <= 0 || m_bitCount == 0 || static_cast<std::uint32_t>(level) > m_bitCount || !m_bits)
        return;
    const std::uint32_t bit = static_cast<std::uint32_t>(level) - 1;
    std::uint8_t& byte = m_bits[2 * (bit / 16) + (bit % 16) / 8];
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << (bit % 8));
    byte = on ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

void CLevelMaskElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Level Mask Data for view %i", m_viewNumber);
    IElement::Describe(callback);
    EmitLine(callback, kLineBuffer, "%s %i, %s %i, %s %d", "Version:", m_maskVersion, "VNum:", m_viewNumber, "AttachmentId:",
             static_cast<int>(m_attachmentId & 0xFFFFFFFF));
    const std::uint32_t n = BytesOf(m_bitCount);
    std::string line;
    char part[8];
    for (std::uint32_t i = 0; i < n; ++i) {
        std::snprintf(part, sizeof part, "%02x ", m_bits[i]);
        line += part;
        if (i % 8 == 7 || i + 1 == n) {
            EmitLine(callback, kLineBuffer, "%s", line.c_str());
            line.clear();
        }
    }
    EmitEnd(callback);
}

} // namespace dgn
