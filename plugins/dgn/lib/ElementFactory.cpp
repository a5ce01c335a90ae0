#include "ElementFactory.h"

#include "DesignFile.h"
#include "LittleEndian.h"
#include "elements/ApplicationDataElement.h"
#include "elements/ApplicationElement.h"
#include "elements/BSplineCurveHeaderElement.h"
#include "elements/BSplinePoleElement3d.h"
#include "elements/BSplineSurfaceBoundaryElement.h"
#include "elements/BSplineSurfaceHeaderElement.h"
#include "elements/BSplineValuesElement.h"
#include "elements/DgnStoreComponent.h"
#include "elements/DgnStoreHeader.h"
#include "elements/FileHeaderElement.h"
#include "elements/FontTableEntry.h"
#include "elements/FontTableHeader.h"
#include "elements/GroupDataElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/LevelTableHeader.h"
#include "elements/LineStyleDefEntry.h"
#include "elements/LineStyleNameEntry.h"
#include "elements/LineStyleNameTableHeader.h"
#include "elements/MatrixElements.h"
#include "elements/MeshHeaderElement.h"
#include "elements/MultilineElement.h"
#include "elements/RasterHeaderElement.h"
#include "elements/RasterReferenceElement.h"
#include "elements/ReferenceAttachment.h"
#include "elements/TableEntryElement.h"
#include "elements/TableHeaderElement.h"
#include "elements/Type56ApplicationElement.h"
#include "elements/Type57ApplicationElement.h"
#include "elements/UnknownElement.h"
#include "elements/ViewElement.h"
#include "elements/ViewGroupElement.h"

#include <new>

namespace dgn {

namespace {

constexpr std::int32_t kModelHeaderLevel = 32;
// A type-39 record is a tag set definition when these four bytes stand at record offset 44.
constexpr std::uint32_t kTagSetSignature = 0x74536574; // "teSt"

template <class T>
IElement* Make(CDesignFile* file)
{
    return new (std::nothrow) T(file);
}

IElement* NewTableHeader(CDesignFile* file, std::int32_t table)
{
    switch (table) {
    case 1: return Make<CLevelTableHeader>(file);
    case 2: return Make<CFontTableHeader>(file);
    case 7: return Make<CLineStyleNameTableHeader>(file);
    case 8: return Make<CLineStyleDefTableHeader>(file);
    default: return Make<CTableHeaderElement>(file);
    }
}

IElement* NewTableEntry(CDesignFile* file, std::int32_t table)
{
    switch (table) {
    case 1: return Make<CLevelEntryElement>(file);
    case 2: return Make<CFontTableEntry>(file);
    case 7: return Make<CLineStyleNameEntry>(file);
    case 8: return Make<CLineStyleDefEntry>(file);
    default: return Make<CTableEntryElement>(file);
    }
}

// The classes that serve V7 and V8 alike, by type.
IElement* NewByType(CDesignFile* file, int type)
{
    switch (type) {
    case 5: return Make<CGroupDataElement>(file);
    case 9: return Make<CFileHeaderElement>(file);
    case 24: return Make<CBSplineSurfaceHeaderElement>(file);
    case 25: return Make<CBSplineSurfaceBoundaryElement>(file);
    case 26: return Make<CBSplineKnotElement>(file);
    case 27: return Make<CBSplineCurveHeaderElement>(file);
    case 28: return Make<CBSplineWeightElement>(file);
    case 36: return Make<CMultilineElement>(file);
    case 38: return Make<CDgnStoreComponent>(file);
    case 56: return Make<CType56ApplicationElement>(file);
    case 57: return Make<CType57ApplicationElement>(file);
    case 87: return Make<CRasterHeaderElement>(file);
    case 88: return Make<CRasterDataElement>(file);
    case 90: return Make<CRasterReferenceElement>(file);
    case 91: return Make<CRasterReferenceComponentElement>(file);
    case 97: return Make<CViewGroupElement>(file);
    case 98: return Make<CViewElement>(file);
    case 99: return Make<CLevelMaskElement>(file);
    case 100: return Make<CReferenceAttachment>(file);
    case 101: return Make<CMatrixHeaderElement>(file);
    case 102: return Make<CMatrixIntegerDataElement>(file);
    case 103: return Make<CMatrixDoubleDataElement>(file);
    case 105: return Make<CMeshHeaderElement>(file);
    default: return Make<CUnknownElement>(file);
    }
}

// The types whose classes read a graphic header.
bool IsGraphicClassType(int type)
{
    switch (type) {
    case 21: case 24: case 27: case 36: case 87: case 88: case 105: return true;
    default: return false;
    }
}

} // namespace

IElement* NewElementV8(CDesignFile* file, const std::uint8_t* record, std::uint32_t length, bool)
{
    const int type = LoadU16(record + 4);
    const std::int32_t level = static_cast<std::int32_t>(LoadU32(record + 16));
    // The graphic properties word: bit 0x0800 marks a 3-D element.
    const bool threeD = length >= 46 && (LoadU16(record + 44) & 0x0800);
    // A record without the graphic flag has no graphic header, which the classes of graphic
    // types would refuse: it is kept as an unknown element.
    if (!(LoadU16(record + 6) & kElementGraphic) && IsGraphicClassType(type))
        return Make<CUnknownElement>(file);
    switch (type) {
    case 21:
        return threeD ? Make<CBSplinePoleElement3d>(file) : Make<CUnknownElement>(file);
    case 39:
        // Tag set definitions have no class of their own yet: kept as unknown elements.
        if (length >= 48 && LoadU32(record + 44) == kTagSetSignature)
            return Make<CUnknownElement>(file);
        return Make<CDgnStoreHeader>(file);
    case 66:
        return level == kModelHeaderLevel ? Make<CApplicationElement>(file) : Make<CApplicationDataElement>(file);
    case 95:
        return NewTableEntry(file, level);
    case 96:
        return NewTableHeader(file, level);
    default:
        return NewByType(file, type);
    }
}

IElement* NewElementV7(CDesignFile* file, const std::uint8_t* record, bool threeD)
{
    const int type = record[1] & 0x7F;
    const std::int32_t level = record[0] & 0x3F;
    switch (type) {
    case 5:
        // A group data block on level 9 is a reference file attachment.
        return level == 9 ? Make<CReferenceAttachment>(file) : Make<CGroupDataElement>(file);
    case 21:
        return threeD ? Make<CBSplinePoleElement3d>(file) : Make<CUnknownElement>(file);
    case 9:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 36:
    case 56:
    case 57:
    case 99:
        return NewByType(file, type);
    case 66:
        // Level 5 attaches a reference; level 6 (level names) makes no element (the reader);
        // tag sets (24) and the rest are kept as they are.
        return level == 5 ? Make<CReferenceAttachment>(file) : Make<CUnknownElement>(file);
    default:
        // Type 10 (level symbology) is kept too, and its levels made (the reader).
        return Make<CUnknownElement>(file);
    }
}

} // namespace dgn
