#include "V7EntityIdLinkage.h"

#include "BoundedReader.h"

#include <new>

namespace dgn {

CV7EntityIdLinkage* CV7EntityIdLinkage::Create(CElementLinkages* list, std::uint32_t id)
{
    CV7EntityIdLinkage* l = new (std::nothrow) CV7EntityIdLinkage(list, kLinkageUserData);
    if (l) {
        l->m_id = id;
        l->PackSizeHeader();
    }
    return l;
}

CV7EntityIdLinkage* CV7EntityIdLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data,
                                                      std::uint32_t length)
{
    CV7EntityIdLinkage* l = new (std::nothrow) CV7EntityIdLinkage(list, flags);
    if (l) {
        CBoundedReader r(data, length);
        l->m_id = r.U32();
        l->PackSizeHeader();
    }
    return l;
}

std::uint32_t CV7EntityIdLinkage::GetDataSize() const { return 4; }
void CV7EntityIdLinkage::WriteData(std::uint8_t* p) const { StoreU32(p, m_id); }

void CV7EntityIdLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "V7 entity id attribute: id = %i, type: 0x%04x, size: 0x%02x, flags: 0x%02x", static_cast<int>(m_id),
             m_userId, m_sizeByte, m_flags);
}

CLinkage* CV7EntityIdLinkage::Clone(CElementLinkages* list) const
{
    CV7EntityIdLinkage* l = new (std::nothrow) CV7EntityIdLinkage(list, m_flags);
    if (l) {
        l->m_id = m_id;
        l->m_sizeByte = m_sizeByte;
    }
    return l;
}

std::uint32_t CV7EntityIdLinkage::GetId() const { return m_id; }
void CV7EntityIdLinkage::SetId(std::uint32_t id) { m_id = id; }

} // namespace dgn
