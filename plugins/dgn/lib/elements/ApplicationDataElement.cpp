#include "ApplicationDataElement.h"


#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType66 = 66;

} // namespace

CApplicationDataElement::CApplicationDataElement(CDesignFile* file) : IElement(file)
{
    m_type = kType66;
    m_list = kControlList;
}

CApplicationDataElement::~CApplicationDataElement() = default;

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
    if (!copy || !copy->m_payload.CopyFrom(m_payload)) {
        delete copy;
        return nullptr;
    }
    CopyTo(target, copy, removeSource);
    return copy;
}

bool CApplicationDataElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!m_payload.Ok() || !IElement::ReadV8(cursor, length))
        return false;
    // 2 x attrOffsetWords - 32 bytes: the body up to the linkages.
    return EndBodyRead(cursor, record, m_payload.Assign(record + kV8HeaderBytes, AttributesIn(record)));
}

bool CApplicationDataElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length) { return IElement::ReadV7(cursor, length); }

void CApplicationDataElement::Touch()
{
    IElement::Touch();
    m_payload.PadToWord();
    SetSizesForBody(kV8HeaderBytes + static_cast<std::uint64_t>(m_payload.Size()));
}

std::uint32_t CApplicationDataElement::WriteV8(std::uint8_t** cursor)
{
    return WriteBodyRecord(cursor, m_payload.Data(), m_payload.Size());
}

void CApplicationDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "MicroStation Application Data - level %i %s", m_level, LevelName(m_level));
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
