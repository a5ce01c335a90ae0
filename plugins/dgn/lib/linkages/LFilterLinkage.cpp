#include "LFilterLinkage.h"

#include "BoundedReader.h"
#include "DgnString.h"
#include "LinkageText.h"

#include <new>

namespace dgn {

namespace {

std::uint32_t ContentLength(CDgnString& s)
{
    std::uint32_t n;
    ContentBytes(s, &n);
    return n;
}

} // namespace

CLFilterLinkage* CLFilterLinkage::Make(CElementLinkages* list, std::uint8_t flags)
{
    CLFilterLinkage* l = new (std::nothrow) CLFilterLinkage(list, flags);
    if (l) {
        l->m_name = CDgnString::Create();
        l->m_expression = CDgnString::Create();
        if (!l->m_name || !l->m_expression) {
            delete l;
            return nullptr;
        }
    }
    return l;
}

CLFilterLinkage* CLFilterLinkage::Create(CElementLinkages* list, std::uint32_t id, std::uint16_t type, const char* name, std::uint32_t length)
{
    CLFilterLinkage* l = Make(list, kLinkageUserData);
    if (!l)
        return nullptr;
    l->m_id = id;
    l->m_type = type;
    if (!l->SetNameText(name, length)) {
        delete l;
        return nullptr;
    }
    return l;
}

CLFilterLinkage* CLFilterLinkage::CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length)
{
    CLFilterLinkage* l = Make(list, flags);
    if (!l)
        return nullptr;
    CBoundedReader r(data, length);
    l->m_id = r.U32();
    l->m_type = r.U16();
    l->m_word6 = r.U16();
    std::uint32_t nameBytes = r.U32();
    std::uint32_t expressionBytes = r.U32();
    l->m_stringsPresent = r.U32();
    bool ok = true;
    if (l->m_stringsPresent) {
        if (nameBytes > r.Left())
            nameBytes = r.Left();
        ok = AssignContentBytes(*l->m_name, r.Span(nameBytes), nameBytes);
        if (expressionBytes > r.Left())
            expressionBytes = r.Left();
        ok = ok && AssignContentBytes(*l->m_expression, r.Span(expressionBytes), expressionBytes);
    }
    if (!ok) {
        delete l;
        return nullptr;
    }
    l->PackSizeHeader();
    return l;
}

CLFilterLinkage::~CLFilterLinkage()
{
    delete m_name;
    delete m_expression;
}

std::uint32_t CLFilterLinkage::GetDataSize() const { return 20 + ContentLength(*m_name) + ContentLength(*m_expression); }

void CLFilterLinkage::WriteData(std::uint8_t* p) const
{
    std::uint32_t nameBytes, expressionBytes;
    const std::uint8_t* name = ContentBytes(*m_name, &nameBytes);
    const std::uint8_t* expression = ContentBytes(*m_expression, &expressionBytes);
    PutU32(&p, m_id);
    PutU16(&p, m_type);
    PutU16(&p, m_word6);
    PutU32(&p, nameBytes);
    PutU32(&p, expressionBytes);
    PutU32(&p, m_stringsPresent);
    PutBytes(&p, name, nameBytes);
    PutBytes(&p, expression, expressionBytes);
}

void CLFilterLinkage::Describe(LineCallback callback) const
{
    const std::uint32_t expressionLength = ContentLength(*m_expression);
    if (m_name->IsWide()) {
        std::u16string line = FormatWide("LFilter attribute type: 0x%04X, size: 0x%02X, flags: 0x%02X, type: 0x%04X; exprLen: 0x%04X; id: %i = ",
                                         m_userId, m_sizeByte, m_flags, m_type, static_cast<unsigned>(expressionLength), static_cast<int>(m_id));
        line += WideText(*m_name);
        EmitWideLine(callback, kLongLineBuffer, line);
        return;
    }
    const std::string name = NarrowText(*m_name);
    EmitLine(callback, kLongLineBuffer, "LFilter attribute type: 0x%04x, size: 0x%02X, flags: 0x%02x, type: 0x%04X; exprLen: 0x%04X; id: %i = %.*s",
             m_userId, m_sizeByte, m_flags, m_type, static_cast<unsigned>(expressionLength), static_cast<int>(m_id),
             static_cast<int>(name.size()), name.data());
}

CLinkage* CLFilterLinkage::Clone(CElementLinkages* list) const
{
    CLFilterLinkage* l = Make(list, m_flags);
    if (!l)
        return nullptr;
    l->m_id = m_id;
    l->m_type = m_type;
    l->m_word6 = m_word6;
    l->m_stringsPresent = m_stringsPresent;
    if (!l->m_name->Assign(*m_name) || !l->m_expression->Assign(*m_expression)) {
        delete l;
        return nullptr;
    }
    l->m_sizeByte = m_sizeByte;
    return l;
}

bool CLFilterLinkage::Replace(CDgnString** slot, const CDgnString& value)
{
    CDgnString* fresh = CDgnString::Create();
    if (!fresh || !fresh->Assign(value)) {
        delete fresh;
        return false;
    }
    if (static_cast<std::uint64_t>(GetDataSize()) - ContentLength(**slot) + ContentLength(*fresh) > kMaxLinkageData) {
        delete fresh;
        return false;
    }
    delete *slot;
    *slot = fresh;
    // Strings are read back only when this word says they are there.
    if (!m_stringsPresent && (ContentLength(*m_name) || ContentLength(*m_expression)))
        m_stringsPresent = 1;
    PackSizeHeader();
    return true;
}

bool CLFilterLinkage::SetNameText(const char* text, std::uint32_t length)
{
    CDgnString* value = CDgnString::Create();
    if (!value)
        return false;
    if (text && length == 0)
        length = OwnContentLength(text);
    const bool ok = AssignContentBytes(*value, reinterpret_cast<const std::uint8_t*>(text), text ? length : 0) && Replace(&m_name, *value);
    delete value;
    return ok;
}

std::uint32_t CLFilterLinkage::GetId() const { return m_id; }
void CLFilterLinkage::SetId(std::uint32_t id) { m_id = id; }
CDgnString* CLFilterLinkage::GetName() const { return m_name; }
CDgnString* CLFilterLinkage::GetExpression() const { return m_expression; }
bool CLFilterLinkage::SetName(const CDgnString& name) { return Replace(&m_name, name); }
bool CLFilterLinkage::SetExpression(const CDgnString& expression) { return Replace(&m_expression, expression); }
std::uint16_t CLFilterLinkage::GetType() const { return m_type; }
void CLFilterLinkage::SetType(std::uint16_t type) { m_type = type; }

} // namespace dgn
