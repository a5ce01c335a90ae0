#include "StringLinkage.h"

#include "BoundedReader.h"
#include "DgnString.h"
#include "LinkageText.h"

#include <new>

namespace dgn {

CStringLinkage* CStringLinkage::Make(CElementLinkages* list, std::uint8_t flags)
{
    CStringLinkage* l = new (std::nothrow) CStringLinkage(list, flags);
    if (l) {
        l->m_text = CDgnString::Create();
        if (!l->m_text) {
            delete l;
            return nullptr;
        }
    }
    return l;
}

CStringLinkage* CStringLinkage::Create(CElementLinkages* list, std::uint32_t id, const char* text, std::uint32_t byteLength)
{
    CStringLinkage* l = Make(list, kLinkageUserData);
    if (!l)
        return nullptr;
    l->m_id = id;
    if (!l->SetText(text, byteLength)) {
        delete l;
        return nullptr;
    }
    return l;
}

CStringLinkage* CStringLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    CStringLinkage* l = Make(list, flags);
    if (!l)
        return nullptr;
    CBoundedReader r(data, length);
    l->m_id = r.U32();
    std::uint32_t bytes = r.U32();
    if (bytes > r.Left())
        bytes = r.Left();
    if (!AssignContentBytes(*l->m_text, r.Span(bytes), bytes)) {
        delete l;
        return nullptr;
    }
    l->PackSizeHeader();
    return l;
}

CStringLinkage::~CStringLinkage() { delete m_text; }

bool CStringLinkage::SetText(const char* text, std::uint32_t byteLength)
{
    if (byteLength > kMaxLinkageData - 8)
        return false;
    CDgnString* fresh = CDgnString::Create();
    if (!fresh || !AssignContentBytes(*fresh, reinterpret_cast<const std::uint8_t*>(text), text ? byteLength : 0)) {
        delete fresh;
        return false;
    }
    delete m_text;
    m_text = fresh;
    PackSizeHeader();
    return true;
}

std::uint32_t CStringLinkage::GetDataSize() const
{
    std::uint32_t n;
    ContentBytes(*m_text, &n);
    return n + 8;
}

void CStringLinkage::WriteData(std::uint8_t* p) const
{
    std::uint32_t n;
    const std::uint8_t* bytes = ContentBytes(*m_text, &n);
    PutU32(&p, m_id);
    PutU32(&p, n);
    PutBytes(&p, bytes, n);
}

void CStringLinkage::Describe(LineCallback callback) const
{
    if (m_text->IsWide()) {
        std::u16string line = FormatWide("String attribute type: 0x%04x, size: 0x%02x, flags: 0x%02x, id: %i = ", m_userId, m_sizeByte,
                                         m_flags, static_cast<int>(m_id));
        line += WideText(*m_text);
        EmitWideLine(callback, kLongLineBuffer, line);
        return;
    }
    // The text is printed by its length: it need not end in a zero byte.
    const std::string text = NarrowText(*m_text);
    EmitLine(callback, kLongLineBuffer, "String attribute type: 0x%04x, size: 0x%02x, flags: 0x%02x, id: %i = %.*s", m_userId, m_sizeByte,
             m_flags, static_cast<int>(m_id), static_cast<int>(text.size()), text.data());
}

CLinkage* CStringLinkage::Clone(CElementLinkages* list) const
{
    CStringLinkage* l = Make(list, m_flags);
    if (!l)
        return nullptr;
    l->m_id = m_id;
    if (!l->m_text->Assign(*m_text)) {
        delete l;
        return nullptr;
    }
    l->m_sizeByte = m_sizeByte;
    return l;
}

std::uint32_t CStringLinkage::GetId() const { return m_id; }
void CStringLinkage::SetId(std::uint32_t id) { m_id = id; }
CDgnString* CStringLinkage::GetString() const { return m_text; }

} // namespace dgn
