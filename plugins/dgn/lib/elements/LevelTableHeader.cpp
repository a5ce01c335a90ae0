#include "LevelTableHeader.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <cinttypes>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType96 = 96;
constexpr std::int32_t kLevelTable = 1;
constexpr std::uint32_t kBodyBytes = 32;

} // namespace

CLevelTableHeader::CLevelTableHeader(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType96;
    m_level = kLevelTable;
    m_flags |= kElementComplexHeader | kElementNonModel;
}

CLevelTableHeader::~CLevelTableHeader() = default;

CLevelTableHeader* CLevelTableHeader::Create(CDesignFile* file, std::int32_t model)
{
    CLevelTableHeader* h = file ? new (std::nothrow) CLevelTableHeader(file) : nullptr;
    if (h) {
        h->m_model = model;
        h->m_elementId = file->NewElementId();
        h->EnterIdIndex();
        h->Touch();
    }
    return h;
}

int CLevelTableHeader::GetType() const { return kType96; }
std::uint32_t CLevelTableHeader::FixedBytes() const { return kBodyBytes; }
std::uint16_t* CLevelTableHeader::GetTableData() { return &m_version; }

bool CLevelTableHeader::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kBodyBytes)
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    m_version = LoadU16(b + 4);
    m_tableFlags = LoadU16(b + 6);
    m_attachmentId = LoadU64(b + 8);
    m_reserved1 = LoadU64(b + 16);
    m_attachmentLastModified = LoadU64(b + 24);
    return true;
}

void CLevelTableHeader::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    StoreU16(out + 4, m_version);
    StoreU16(out + 6, m_tableFlags);
    StoreU64(out + 8, m_attachmentId);
    StoreU64(out + 16, m_reserved1);
    StoreU64(out + 24, m_attachmentLastModified);
}

IElement* CLevelTableHeader::Clone(CDesignFile* target, bool removeSource)
{
    CLevelTableHeader* copy = new (std::nothrow) CLevelTableHeader(target ? target : m_designFile);
    if (copy) {
        copy->m_version = m_version;
        copy->m_tableFlags = m_tableFlags;
        copy->m_attachmentId = m_attachmentId;
        copy->m_reserved1 = m_reserved1;
        copy->m_attachmentLastModified = m_attachmentLastModified;
    }
    return FinishClone(copy, target, removeSource);
}

void CLevelTableHeader::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Level Table Header - attachment id: %" PRId64 ", version: 0x%04x, flags: 0x%04x, attachmentLastModified: %d",
             static_cast<std::int64_t>(m_attachmentId), m_version, m_tableFlags, static_cast<int>(m_attachmentLastModified & 0xFFFFFFFF));
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
