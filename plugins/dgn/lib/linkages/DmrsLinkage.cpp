#include "DmrsLinkage.h"

#include "BoundedReader.h"

#include <new>

namespace dgn {

CDmrsLinkage* CDmrsLinkage::Create(CElementLinkages* list, std::uint16_t entityId, std::uint32_t mslink, std::uint8_t linkType)
{
    CDmrsLinkage* l = new (std::nothrow) CDmrsLinkage(list, 0);
    if (l) {
        l->m_entityId = entityId;
        l->m_mslink = mslink & 0xFFFFFF;
        l->m_linkType = linkType;
    }
    return l;
}

CDmrsLinkage* CDmrsLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* bytes, std::uint32_t length)
{
    CDmrsLinkage* l = new (std::nothrow) CDmrsLinkage(list, flags);
    if (l) {
        CBoundedReader r(bytes, length);
        l->m_entityId = r.U16();
        const std::uint32_t low = r.U16();
        l->m_mslink = low | (static_cast<std::uint32_t>(r.U8()) << 16);
        l->m_linkType = r.U8();
    }
    return l;
}

std::uint32_t CDmrsLinkage::GetDataSize() const { return 4; }

std::uint32_t CDmrsLinkage::WriteTo(std::uint8_t* p)
{
    // A size byte of 0 states the minimum length, 4 words, whatever the scale bits say.
    p[0] = 0;
    p[1] = m_flags;
    StoreU16(p + 2, m_entityId);
    StoreU16(p + 4, static_cast<std::uint16_t>(m_mslink));
    p[6] = static_cast<std::uint8_t>(m_mslink >> 16);
    p[7] = m_linkType;
    return 8;
}

void CDmrsLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "DMRS attribute: id = %i, mslink = %i, ltype = %i", m_entityId, static_cast<int>(m_mslink), m_linkType);
}

CLinkage* CDmrsLinkage::Clone(CElementLinkages* list) const
{
    CDmrsLinkage* l = new (std::nothrow) CDmrsLinkage(list, m_flags);
    if (l) {
        l->m_entityId = m_entityId;
        l->m_mslink = m_mslink;
        l->m_linkType = m_linkType;
    }
    return l;
}

bool CDmrsLinkage::IsDmrs() const { return true; }
std::uint16_t CDmrsLinkage::GetEntityId() const { return m_entityId; }
std::uint32_t CDmrsLinkage::GetMslink() const { return m_mslink; }
std::uint8_t CDmrsLinkage::GetLinkType() const { return m_linkType; }
void CDmrsLinkage::SetEntityId(std::uint16_t v) { m_entityId = v; }
void CDmrsLinkage::SetMslink(std::uint32_t v) { m_mslink = v & 0xFFFFFF; }
void CDmrsLinkage::SetLinkType(std::uint8_t v) { m_linkType = v; }

} // namespace dgn
