#include "BodyGraphicElement.h"

#include "DesignFile.h"
#include "ValueEncodings.h"

namespace dgn {

const std::uint8_t* CV7BodyReader::Take(std::uint32_t n)
{
    if (m_short || n > m_left) {
        m_short = true;
        return nullptr;
    }
    const std::uint8_t* p = m_at;
    m_at += n;
    m_left -= n;
    return p;
}

std::uint8_t CV7BodyReader::U8()
{
    const std::uint8_t* p = Take(1);
    return p ? *p : 0;
}

std::uint16_t CV7BodyReader::U16()
{
    const std::uint8_t* p = Take(2);
    return p ? ReadV7UInt16(&p) : 0;
}

std::int32_t CV7BodyReader::I32()
{
    const std::uint8_t* p = Take(4);
    return p ? ReadV7Int32(&p) : 0;
}

double CV7BodyReader::Angle()
{
    const std::uint8_t* p = Take(4);
    return p ? ReadV7Angle(&p) : 0.0;
}

double CV7BodyReader::SignMagnitudeAngle()
{
    const std::uint8_t* p = Take(4);
    return p ? ReadV7SignMagnitudeAngle(&p) : 0.0;
}

double CV7BodyReader::VaxDouble()
{
    const std::uint8_t* p = Take(8);
    return p ? ReadVaxDouble(&p) : 0.0;
}

void CV7BodyReader::Quaternion(double out[4])
{
    const std::uint8_t* p = Take(16);
    if (p) {
        ReadV7Quaternion(&p, out);
    } else {
        for (int i = 0; i < 4; ++i)
            out[i] = 0.0;
    }
}

const std::uint8_t* CV7BodyReader::Span(std::uint32_t n) { return Take(n); }

std::uint32_t CV7BodyReader::Bound(std::uint32_t count, std::uint32_t itemBytes) const
{
    const std::uint32_t room = m_short || !itemBytes ? 0 : m_left / itemBytes;
    return count < room ? count : room;
}

IBodyGraphicElement::IBodyGraphicElement(CDesignFile* file, int type, std::uint16_t properties) : IGraphicElement(file)
{
    m_type = static_cast<std::uint16_t>(type);
    m_flags |= kElementGraphic;
    m_properties |= properties;
}

int IBodyGraphicElement::GetType() const { return m_type; }

bool IBodyGraphicElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!IGraphicElement::ReadV8(cursor, length))
        return false;
    const std::uint8_t* body = record + kV8GraphicHeaderBytes;
    const std::uint8_t* attributes = AttributesIn(record);
    CBoundedReader reader(body, attributes > body ? static_cast<std::uint32_t>(attributes - body) : 0);
    const bool ok = ReadBodyV8(reader) && !reader.IsShort();
    if (ok)
        AfterRead();
    return EndBodyRead(cursor, record, ok);
}

bool IBodyGraphicElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7GraphicHeaderBytes);
    if (!n || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return false;
    CV7BodyReader reader(record + kV7GraphicHeaderBytes, n - kV7GraphicHeaderBytes);
    if (!ReadBodyV7(reader) || reader.IsShort()) {
        *cursor = record;
        return false;
    }
    AfterRead();
    SetBodySizes();
    *cursor = record + n;
    return true;
}

void IBodyGraphicElement::SetBodySizes() { SetSizesForBody(kV8GraphicHeaderBytes + BodyBytes()); }

void IBodyGraphicElement::Touch()
{
    SetBodySizes();
    IGraphicElement::Touch();
}

std::uint32_t IBodyGraphicElement::WriteV8(std::uint8_t** cursor)
{
    std::uint8_t* record = *cursor;
    const std::uint32_t size = PlanLinkedRecord(kV8GraphicHeaderBytes + BodyBytes());
    if (!size)
        return 0;
    IGraphicElement::WriteV8(cursor);
    PutBody(cursor);
    WriteLinkages(cursor, record);
    return size;
}

IElement* PlaceNewElement(IElement* element, CDesignFile* file, std::int32_t model)
{
    if (element && file) {
        element->SetModel(model);
        element->SetElementId(file->NewElementId());
        element->IndexElementId();
    }
    return element;
}

} // namespace dgn
