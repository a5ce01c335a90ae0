#include "BodyGraphicElement.h"

#include "DesignFile.h"
#include "LittleEndian.h"
#include "ValueEncodings.h"

namespace dgn {

double CV7BodyReader::Angle()
{
    const std::uint8_t* p = Span(4);
    return p ? ReadV7Angle(&p) : 0.0;
}

double CV7BodyReader::SignMagnitudeAngle()
{
    const std::uint8_t* p = Span(4);
    return p ? ReadV7SignMagnitudeAngle(&p) : 0.0;
}

double CV7BodyReader::VaxDouble()
{
    const std::uint8_t* p = Span(8);
    return p ? ReadVaxDouble(&p) : 0.0;
}

void CV7BodyReader::Quaternion(double out[4])
{
    const std::uint8_t* p = Span(16);
    if (p) {
        ReadV7Quaternion(&p, out);
    } else {
        for (int i = 0; i < 4; ++i)
            out[i] = 0.0;
    }
}

std::uint32_t CV7BodyReader::Bound(std::uint32_t count, std::uint32_t itemBytes) const
{
    const std::uint32_t room = IsShort() || !itemBytes ? 0 : Left() / itemBytes;
    return count < room ? count : room;
}

std::uint32_t CGraphicBodyElement::WriteGraphicBodyRecord(std::uint8_t** cursor, const std::uint8_t* body, std::uint32_t n)
{
    return WriteGraphicBody(cursor, n, [&](std::uint8_t** at) { PutBytes(at, body, n); });
}

std::uint32_t CGraphicBodyElement::ReadV7ComplexHeader(const std::uint8_t** cursor, std::uint32_t length, std::uint32_t minBytes)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, minBytes < kV7GraphicHeaderBytes + 4 ? kV7GraphicHeaderBytes + 4 : minBytes);
    if (!n || !ReadV7Linkages(record, length) || !IGraphicElement::ReadV7(cursor, length))
        return 0;
    m_flags |= kElementComplexHeader;
    const std::uint8_t* p = record + kV7GraphicHeaderBytes;
    SetChildCount(static_cast<std::int32_t>(CountComplexComponents32(record, &p)));
    return n;
}

IBodyGraphicElement::IBodyGraphicElement(CDesignFile* file, int type, std::uint16_t properties) : CGraphicBodyElement(file)
{
    m_type = static_cast<std::uint16_t>(type);
    m_flags |= kElementGraphic;
    m_properties |= properties;
}

int IBodyGraphicElement::GetType() const { return m_type; }

bool IBodyGraphicElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    return ReadGraphicBody(cursor, length, [&](CBoundedReader& reader) {
        const bool ok = ReadBodyV8(reader) && !reader.IsShort();
        if (ok)
            AfterRead();
        return ok;
    });
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

void IBodyGraphicElement::SetBodySizes() { SetGraphicBodySizes(BodyBytes()); }

void IBodyGraphicElement::Touch()
{
    SetBodySizes();
    IGraphicElement::Touch();
}

std::uint32_t IBodyGraphicElement::WriteV8(std::uint8_t** cursor)
{
    return WriteGraphicBody(cursor, BodyBytes(), [this](std::uint8_t** at) { PutBody(at); });
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
