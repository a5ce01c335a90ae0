#include "ApplicationDataElement.h"

#include "ByteArray.h"
#include "ElementPayload.h"
#include "LittleEndian.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType66 = 66;

} // namespace

CApplicationDataElement::CApplicationDataElement(CDesignFile* file) : IElement(file), m_payload(CByteArray::NewWithCapacity(kPayloadStep))
{
    m_type = kType66;
    m_list = kControlList;
}

CApplicationDataElement::~CApplicationDataElement() { delete m_payload; }

int CApplicationDataElement::GetType() const { return kType66; }

const char* CApplicationDataElement::LevelName(std::int32_t level)
{
    switch (level) {
    case 10: return "Start Application";
    case 20: return "Application Information";
    case 21: return "Start MDL";
    case 24: return "Attribute Data";
    case 25: return "Extended TCB";
    case 26: return "Element Map";
    case 28: return "BREP Data";
    case 29: return "Project Bank";
    case 32: return "Model Header";
    case 33: return "Update Sequence";
    default: return "?";
    }
}

IElement* CApplicationDataElement::Clone(CDesignFile* target, bool removeSource)
{
    CApplicationDataElement* copy = new (std::nothrow) CApplicationDataElement(target);
    if (!copy)
        return nullptr;
    CByteArray* payload = ClonePayload(m_payload);
    if (!copy->m_payload || !payload) {
        delete payload;
        delete copy;
        return nullptr;
    }
    delete copy->m_payload;
    copy->m_payload = payload;
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CApplicationDataElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload || !IElement::ReadV8(cursor, length))
        return false;
    // 2 x attrOffsetWords - 32 bytes: the body up to the linkages.
    const std::uint8_t* attributes = record + 4 + 2 * static_cast<std::uint64_t>(m_attrOffsetWords);
    if (!AssignPayload(m_payload, record + kV8HeaderBytes, attributes)) {
        *cursor = record;
        return false;
    }
    FitSizeToLinkages();
    *cursor = attributes;
    return true;
}

bool CApplicationDataElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length) { return IElement::ReadV7(cursor, length); }

void CApplicationDataElement::Touch()
{
    IElement::Touch();
    PadPayloadToWord(m_payload);
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(PayloadSize(m_payload)));
}

std::uint32_t CApplicationDataElement::WriteV8(std::uint8_t** cursor)
{
    if (!m_payload)
        return 0;
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(kV8HeaderBytes + static_cast<std::uint64_t>(m_payload->Size()));
    if (!size)
        return 0;
    IElement::WriteV8(cursor);
    PutBytes(cursor, m_payload->Data(), m_payload->Size());
    WriteLinkages(cursor, record);
    return size;
}

void CApplicationDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "MicroStation Application Data - level %i %s", m_level, LevelName(m_level));
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
