#include "DbLinkLinkage.h"

#include "BoundedReader.h"

#include <new>

namespace dgn {

bool IsDbLinkUserId(std::uint16_t userId)
{
    switch (userId) {
    case 0x0020:
    case 0x0F81:
    case 0x1971:
    case 0x3948:
    case 0x3A77:
    case 0x4F58:
    case 0x5800:
    case 0x5E62:
    case 0x6091:
    case 0x71FB:
        return true;
    default:
        return false;
    }
}

CDbLinkLinkage* CDbLinkLinkage::Create(CElementLinkages* list, std::uint16_t userId, std::uint16_t entityId, std::uint32_t mslink,
                                       std::uint8_t linkType)
{
    CDbLinkLinkage* l = new (std::nothrow) CDbLinkLinkage(list, userId, kLinkageUserData);
    if (l) {
        l->m_f.subType = 0x0F81;
        l->m_f.entityId = entityId;
        l->m_f.mslink = mslink & 0xFFFFFF;
        l->m_f.linkType = linkType;
        l->PackSizeHeader();
    }
    return l;
}

CDbLinkLinkage* CDbLinkLinkage::CreateFromRaw(CElementLinkages* list, std::uint16_t userId, std::uint8_t flags, const std::uint8_t* data,
                                              std::uint32_t length)
{
    CDbLinkLinkage* l = new (std::nothrow) CDbLinkLinkage(list, userId, flags);
    if (l) {
        CBoundedReader r(data, length);
        l->m_f.subType = r.U16();
        l->m_f.entityId = r.U16();
        const std::uint32_t low = r.U16();
        l->m_f.mslink = low | (static_cast<std::uint32_t>(r.U8()) << 16);
        l->m_f.linkType = r.U8();
        l->m_f.word8 = r.U16();
        l->m_f.word10 = r.U16();
        l->PackSizeHeader();
    }
    return l;
}

std::uint32_t CDbLinkLinkage::GetDataSize() const { return 12; }

void CDbLinkLinkage::WriteData(std::uint8_t* p) const
{
    PutU16(&p, m_f.subType);
    PutU16(&p, m_f.entityId);
    PutU16(&p, static_cast<std::uint16_t>(m_f.mslink));
    PutU8(&p, static_cast<std::uint8_t>(m_f.mslink >> 16));
    PutU8(&p, m_f.linkType);
    PutU16(&p, m_f.word8);
    PutU16(&p, m_f.word10);
}

void CDbLinkLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "DBLink attribute: 0x%04x, size: 0x%02x, flags: 0x%02x", m_userId, m_sizeByte, m_flags);
    EmitLine(callback, kLineBuffer, "    id = %i, mslink = %i, ltype = %i", m_f.entityId, static_cast<int>(m_f.mslink), m_f.linkType);
}

CLinkage* CDbLinkLinkage::Clone(CElementLinkages* list) const
{
    CDbLinkLinkage* l = new (std::nothrow) CDbLinkLinkage(list, m_userId, m_flags);
    if (l) {
        l->m_f = m_f;
        l->m_sizeByte = m_sizeByte;
    }
    return l;
}

bool CDbLinkLinkage::IsDbLink() const { return true; }
std::uint16_t CDbLinkLinkage::GetEntityId() const { return m_f.entityId; }
std::uint32_t CDbLinkLinkage::GetMslink() const { return m_f.mslink; }
std::uint8_t CDbLinkLinkage::GetLinkType() const { return m_f.linkType; }
std::uint16_t CDbLinkLinkage::GetWord8() const { return m_f.word8; }
std::uint16_t CDbLinkLinkage::GetWord10() const { return m_f.word10; }
void CDbLinkLinkage::SetEntityId(std::uint16_t v) { m_f.entityId = v; }
void CDbLinkLinkage::SetMslink(std::uint32_t v) { m_f.mslink = v & 0xFFFFFF; }
void CDbLinkLinkage::SetLinkType(std::uint8_t v) { m_f.linkType = v; }
void CDbLinkLinkage::SetWord8(std::uint16_t v) { m_f.word8 = v; }
void CDbLinkLinkage::SetWord10(std::uint16_t v) { m_f.word10 = v; }

} // namespace dgn
