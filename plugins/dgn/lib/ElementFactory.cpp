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
#include "elements/CellHeaderElement.h"
#include "elements/ComplexElements.h"
#include "elements/ConeElements.h"
#include "elements/DgnStoreComponent.h"
#include "elements/DgnStoreHeader.h"
#include "elements/EllipseElements.h"
#include "elements/FileHeaderElement.h"
#include "elements/FontTableEntry.h"
#include "elements/FontTableHeader.h"
#include "elements/GroupDataElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/LevelTableHeader.h"
#include "elements/LineStyleDefEntry.h"
#include "elements/LinearElements.h"
#include "elements/LineStyleNameEntry.h"
#include "elements/LineStyleNameTableHeader.h"
#include "elements/MatrixElements.h"
#include "elements/MeshHeaderElement.h"
#include "elements/DimensionElement.h"
#include "elements/MultilineElement.h"
#include "elements/RasterHeaderElement.h"
#include "elements/RasterReferenceElement.h"
#include "elements/SharedCellElements.h"
#include "elements/ReferenceAttachment.h"
#include "elements/TableEntryElement.h"
#include "elements/TableHeaderElement.h"
#include "elements/TagElements.h"
#include "elements/TextElement.h"
#include "elements/TextNodeElement2d.h"
#include "elements/TextNodeElement3d.h"
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
// A V7 type-66 record on this level is a tag set definition.
constexpr std::int32_t kV7TagSetLevel = 24;

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

using Maker = IElement* (*)(CDesignFile*);

// The class table, one row a type in type order: the 2-D class, the 3-D class (the same maker
// where one class serves both), and whether the V7 reader makes the class. A 2-D maker of null
// marks a type that exists only as 3-D records: a V8 record of it that is 2-D stays unknown,
// while the V7 reader makes the 3-D class whatever the file says. Types without a row are
// unknown elements; types 39, 66, 95 and 96 are chosen by more than their type (below).
struct ClassRow {
    int type;
    Maker twoD;
    Maker threeD;
    bool v7;
};

const ClassRow kClassTable[] = {
    {2, Make<CCellHeaderElement2d>, Make<CCellHeaderElement3d>, true},
    {3, Make<CLineElement2d>, Make<CLineElement3d>, true},
    {4, Make<CLineStringElement2d>, Make<CLineStringElement3d>, true},
    {5, Make<CGroupDataElement>, Make<CGroupDataElement>, true},
    {6, Make<CShapeElement2d>, Make<CShapeElement3d>, true},
    {7, Make<CTextNodeElement2d>, Make<CTextNodeElement3d>, false},
    {9, Make<CFileHeaderElement>, Make<CFileHeaderElement>, true},
    {11, Make<CCurveElement2d>, Make<CCurveElement3d>, true},
    {12, Make<CComplexChainElement>, Make<CComplexChainElement>, true},
    // A V7 conic would be read without its body: it stays an unknown element, kept whole.
    {13, Make<CConicElement>, Make<CConicElement>, false},
    {14, Make<CComplexShapeElement>, Make<CComplexShapeElement>, true},
    {15, Make<CEllipseElement2d>, Make<CEllipseElement3d>, true},
    {16, Make<CArcElement2d>, Make<CArcElement3d>, true},
    {17, Make<CTextElement2d>, Make<CTextElement3d>, true},
    {18, nullptr, Make<CComplexSurfaceHeaderElement>, true},
    {19, nullptr, Make<CComplexSolidHeaderElement>, true},
    {21, Make<CBSplinePoleElement2d>, Make<CBSplinePoleElement3d>, true},
    {22, Make<CPointStringElement2d>, Make<CPointStringElement3d>, true},
    {23, nullptr, Make<CConeElement>, true},
    {24, Make<CBSplineSurfaceHeaderElement>, Make<CBSplineSurfaceHeaderElement>, true},
    {25, Make<CBSplineSurfaceBoundaryElement>, Make<CBSplineSurfaceBoundaryElement>, true},
    {26, Make<CBSplineKnotElement>, Make<CBSplineKnotElement>, true},
    {27, Make<CBSplineCurveHeaderElement>, Make<CBSplineCurveHeaderElement>, true},
    {28, Make<CBSplineWeightElement>, Make<CBSplineWeightElement>, true},
    {33, Make<CDimensionElement2d>, Make<CDimensionElement3d>, true},
    {34, Make<CSharedCellDefinitionElement>, Make<CSharedCellDefinitionElement>, true},
    {35, Make<ISymRef>, Make<ISymRef>, true},
    {36, Make<CMultilineElement>, Make<CMultilineElement>, true},
    {37, Make<CAttributeTagElement2d>, Make<CAttributeTagElement3d>, true},
    {38, Make<CDgnStoreComponent>, Make<CDgnStoreComponent>, false},
    {56, Make<CType56ApplicationElement>, Make<CType56ApplicationElement>, true},
    {57, Make<CType57ApplicationElement>, Make<CType57ApplicationElement>, true},
    {87, Make<CRasterHeaderElement>, Make<CRasterHeaderElement>, false},
    {88, Make<CRasterDataElement>, Make<CRasterDataElement>, false},
    {90, Make<CRasterReferenceElement>, Make<CRasterReferenceElement>, false},
    {91, Make<CRasterReferenceComponentElement>, Make<CRasterReferenceComponentElement>, false},
    {97, Make<CViewGroupElement>, Make<CViewGroupElement>, false},
    {98, Make<CViewElement>, Make<CViewElement>, false},
    {99, Make<CLevelMaskElement>, Make<CLevelMaskElement>, true},
    {100, Make<CReferenceAttachment>, Make<CReferenceAttachment>, false},
    {101, Make<CMatrixHeaderElement>, Make<CMatrixHeaderElement>, false},
    {102, Make<CMatrixIntegerDataElement>, Make<CMatrixIntegerDataElement>, false},
    {103, Make<CMatrixDoubleDataElement>, Make<CMatrixDoubleDataElement>, false},
    {105, Make<CMeshHeaderElement>, Make<CMeshHeaderElement>, false},
};

const ClassRow* FindRow(int type)
{
    for (const ClassRow& row : kClassTable) {
        if (row.type == type)
            return &row;
    }
    return nullptr;
}

// The class of a type by the table; an unknown element without a row (or a 2-D record of a
// 3-D-only type).
IElement* NewByType(CDesignFile* file, int type, bool threeD)
{
    const ClassRow* row = FindRow(type);
    const Maker make = !row ? nullptr : threeD ? row->threeD : row->twoD;
    return make ? make(file) : Make<CUnknownElement>(file);
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

IElement* NewElementV8(CDesignFile* file, const std::uint8_t* record, std::uint32_t length, bool threeD)
{
    const int type = LoadU16(record + 4);
    const std::int32_t level = static_cast<std::int32_t>(LoadU32(record + 16));
    // A record without the graphic flag has no graphic header, which the classes of graphic
    // types would refuse: it is kept as an unknown element.
    if (!(LoadU16(record + 6) & kElementGraphic) && IsGraphicClassType(type))
        return Make<CUnknownElement>(file);
    switch (type) {
    case 39:
        if (length >= 48 && LoadU32(record + 44) == kTagSetSignature)
            return Make<CTagSetDefinitionElement>(file);
        return Make<CDgnStoreHeader>(file);
    case 66:
        return level == kModelHeaderLevel ? Make<CApplicationElement>(file) : Make<CApplicationDataElement>(file);
    case 95:
        return NewTableEntry(file, level);
    case 96:
        return NewTableHeader(file, level);
    default:
        return NewByType(file, type, threeD);
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
    case 66:
        // Level 5 attaches a reference, level 24 is a tag set; level 6 (level names) makes no
        // element (the reader); the rest are kept as they are.
        if (level == kV7TagSetLevel)
            return Make<CTagSetDefinitionElement>(file);
        return level == 5 ? Make<CReferenceAttachment>(file) : Make<CUnknownElement>(file);
    default: {
        // Type 10 (level symbology) is kept as an unknown element, and its levels made (the
        // reader). The 3-D-only types take their class whatever the file says.
        const ClassRow* row = FindRow(type);
        if (!row || !row->v7)
            return Make<CUnknownElement>(file);
        const Maker make = threeD || !row->twoD ? row->threeD : row->twoD;
        return make(file);
    }
    }
}

} // namespace dgn
