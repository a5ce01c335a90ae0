#include "interchange/DrawingHeader.h"

namespace {
const char* const kVersions[] = {"", "AC1009", "AC1012"};
const int kVersionCount = 3;
} // namespace

CDrawingHeader::CDrawingHeader(const CDrawingHeader& other) { CopySharedFields(other); }

CDrawingHeader& CDrawingHeader::operator=(const CDrawingHeader& other)
{
    if (this != &other)
        CopySharedFields(other);
    return *this;
}

void CDrawingHeader::CopySharedFields(const CDrawingHeader& other)
{
    measurement = other.measurement;
    extents = other.extents;
    limits = other.limits;
    currentLayerName = other.currentLayerName;
    currentLineTypeName = other.currentLineTypeName;
    currentColour = other.currentColour;
    currentLineTypeScale = other.currentLineTypeScale;
    lineTypeScale = other.lineTypeScale;
    secondScale = other.secondScale;
    unit = other.unit;
    currentLineWeight = other.currentLineWeight;
    imageScale = other.imageScale;
    editNewText = other.editNewText;
    showRulers = other.showRulers;
    hatchPatternScale = other.hatchPatternScale;
    hatchColour = other.hatchColour;
    hatchPattern = other.hatchPattern;
    unitAsRead = other.unitAsRead;
    versionIndex = other.versionIndex;
    versionText = VersionText(versionIndex);
}

const char* CDrawingHeader::VersionText(int index)
{
    return index >= 0 && index < kVersionCount ? kVersions[index] : kVersions[0];
}

void CDrawingHeader::SetVersionByName(const char* text)
{
    versionText = text ? text : "";
    versionIndex = kVersionUnknown;
    for (int i = 1; i < kVersionCount; ++i)
        if (versionText == kVersions[i])
            versionIndex = i;
}

int CDrawingHeader::ChooseAvailableUnit(int wanted) const
{
    if (availableUnits.empty())
        return 0;
    if (availableUnits.count(wanted))
        return wanted;
    for (int fallback : {1, 6, 4}) // inches, meters, millimeters
        if (availableUnits.count(fallback))
            return fallback;
    return 0;
}

void CDrawingHeader::SetUnitId(int value)
{
    unit = (!availableUnits.empty() && !availableUnits.count(value)) ? ChooseAvailableUnit(value) : value;
}

int CDrawingHeader::GetUnitId()
{
    if (!availableUnits.empty() && !availableUnits.count(unit))
        unit = ChooseAvailableUnit(unit);
    return unit;
}
