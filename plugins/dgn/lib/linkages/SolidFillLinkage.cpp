#include "SolidFillLinkage.h"

#include "BoundedReader.h"

#include <new>

namespace dgn {

CSolidFillLinkage* CSolidFillLinkage::Create(CElementLinkages* list, std::uint32_t color)
{
    CSolidFillLinkage* l = new (std::nothrow) CSolidFillLinkage(list, kLinkageUserData);
    if (l) {
        l->m_options = 8;
        l->m_color = color;
        l->PackSizeHeader();
    }
    return l;
}

CSolidFillLinkage* CSolidFillLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    CSolidFillLinkage* l = new (std::nothrow) CSolidFillLinkage(list, flags);
    if (l) {
        CBoundedReader r(data, length);
        l->m_options = r.U32();
        l->m_color = r.U32();
        l->m_third = r.U32();
        l->PackSizeHeader();
    }
    return l;
}

std::uint32_t CSolidFillLinkage::GetDataSize() const { return 12; }

void CSolidFillLinkage::WriteData(std::uint8_t* p) const
{
    PutU32(&p, m_options);
    PutU32(&p, m_color);
    PutU32(&p, m_third);
}

void CSolidFillLinkage::Describe(LineCallback callback) const
{
    EmitLine(callback, kLineBuffer, "Solid fill attribute: 0x%04x, size: 0x%02x, flags: 0x%02x", m_userId, m_sizeByte, m_flags);
    EmitLine(callback, kLineBuffer, "    color: 0x%08x", m_color);
}

CLinkage* CSolidFillLinkage::Clone(CElementLinkages* list) const
{
    CSolidFillLinkage* l = new (std::nothrow) CSolidFillLinkage(list, m_flags);
    if (l) {
        l->m_options = m_options;
        l->m_color = m_color;
        l->m_third = m_third;
        l->m_sizeByte = m_sizeByte;
    }
    return l;
}

std::uint32_t CSolidFillLinkage::GetColor() const { return m_color; }
void CSolidFillLinkage::SetColor(std::uint32_t color) { m_color = color; }

} // namespace dgn
