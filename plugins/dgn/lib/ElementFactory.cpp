#include "ElementFactory.h"

#include "DesignFile.h"
#include "LittleEndian.h"
#include "elements/ApplicationDataElement.h"
#include "elements/ApplicationElement.h"
#include "elements/Type56ApplicationElement.h"
#include "elements/Type57ApplicationElement.h"
#include "elements/UnknownElement.h"

#include <new>

namespace dgn {

namespace {

constexpr std::int32_t kModelHeaderLevel = 32;

// The classes that serve V7 and V8 alike.
IElement* NewByType(CDesignFile* file, int type, std::int32_t level)
{
    switch (type) {
    case 56:
        return new (std::nothrow) CType56ApplicationElement(file);
    case 57:
        return new (std::nothrow) CType57ApplicationElement(file);
    case 66:
        if (level == kModelHeaderLevel)
            return new (std::nothrow) CApplicationElement(file);
        return new (std::nothrow) CApplicationDataElement(file);
    default:
        return new (std::nothrow) CUnknownElement(file);
    }
}

} // namespace

IElement* NewElementV8(CDesignFile* file, const std::uint8_t* record, bool)
{
    const int type = LoadU16(record + 4);
    const std::int32_t level = static_cast<std::int32_t>(LoadU32(record + 16));
    return NewByType(file, type, level);
}

IElement* NewElementV7(CDesignFile* file, const std::uint8_t* record, bool)
{
    const int type = record[1] & 0x7F;
    const std::int32_t level = record[0] & 0x3F;
    switch (type) {
    case 56:
    case 57:
        return NewByType(file, type, level);
    default:
        // V7 type-66 data (reference attachments, level names and tag sets aside, which the
        // reader and their classes take) is kept as it is, like every type without a class.
        return new (std::nothrow) CUnknownElement(file);
    }
}

} // namespace dgn
