#include "interchange/DrawingHeader.h"
#include "interchange/DxfFile.h"

#include <algorithm>
#include <cmath>

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
    extentsRead = other.extentsRead;
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

namespace {

const char* Keyword(int index) { return CDxfFile::KeywordFromIndex(index); }

void WriteVariable(CDxfFile& dxf, int keyword) { dxf.WriteStringGroup(9, Keyword(keyword)); }

void WritePoint(CDxfFile& dxf, int keyword, float x, float y, bool withZ)
{
    WriteVariable(dxf, keyword);
    dxf.WriteRealGroup(10, x);
    dxf.WriteRealGroup(20, y);
    if (withZ)
        dxf.WriteRealGroup(30, 0.0);
}

// The value of the group just read as a number, whatever its class; false for a text.
bool NumberOf(const CDxfFile& dxf, double* value)
{
    switch (CDxfFile::ClassOf(dxf.GetCode())) {
    case CDxfFile::vcReal:
        *value = dxf.GetReal();
        return true;
    case CDxfFile::vcInteger:
        *value = dxf.GetInt();
        return true;
    default:
        return false;
    }
}

struct HeaderPoint {
    float x = 0.0f;
    float y = 0.0f;
    bool read = false;
};

// Groups 10 and 20, in any order, until another code comes (pushed back).
void ReadPoint(CDxfFile& dxf, HeaderPoint* point)
{
    while (dxf.ReadGroup()) {
        double value = 0.0;
        const int code = dxf.GetCode();
        if ((code != 10 && code != 20) || !NumberOf(dxf, &value)) {
            dxf.UngetGroup();
            return;
        }
        (code == 10 ? point->x : point->y) = static_cast<float>(value);
        point->read = true;
    }
}

CHeaderRect Spanned(const HeaderPoint& a, const HeaderPoint& b)
{
    CHeaderRect r;
    r.left = std::min(a.x, b.x);
    r.right = std::max(a.x, b.x);
    r.bottom = std::min(a.y, b.y);
    r.top = std::max(a.y, b.y);
    return r;
}

} // namespace

void CDrawingHeader::Write(CDxfFile& dxf) const
{
    dxf.WriteStringGroup(0, Keyword(CDxfFile::kwSection));
    dxf.WriteStringGroup(2, Keyword(CDxfFile::kwHeader));
    WriteVariable(dxf, CDxfFile::kwAcadVer);
    dxf.WriteStringGroup(1, versionText.c_str());
    // The next free handle: readers that add objects of their own number them from here, so it
    // must lie above every handle of the file. Its value is filled in when the file is complete.
    dxf.WriteStringGroup(9, "$HANDSEED");
    dxf.WriteHandleSeed();
    WritePoint(dxf, CDxfFile::kwInsBase, 0.0f, 0.0f, true);
    WritePoint(dxf, CDxfFile::kwExtMin, extents.left, extents.bottom, true);
    WritePoint(dxf, CDxfFile::kwExtMax, extents.right, extents.top, true);
    WriteVariable(dxf, CDxfFile::kwInsUnits);
    dxf.WriteIntGroup(70, unit);
    WriteVariable(dxf, CDxfFile::kwLUnits);
    dxf.WriteIntGroup(70, 2); // decimal
    WritePoint(dxf, CDxfFile::kwLimMin, limits.left, limits.bottom, false);
    WritePoint(dxf, CDxfFile::kwLimMax, limits.right, limits.top, false);
    WriteVariable(dxf, CDxfFile::kwLtScale);
    dxf.WriteRealGroup(40, lineTypeScale);
    WriteVariable(dxf, CDxfFile::kwTextStyleVar);
    dxf.WriteStringGroup(7, "STANDARD");
    WriteVariable(dxf, CDxfFile::kwCLayer);
    dxf.WriteStringGroup(8, currentLayerName.c_str());
    WriteVariable(dxf, CDxfFile::kwCeLType);
    dxf.WriteStringGroup(6, currentLineTypeName.c_str());
    WriteVariable(dxf, CDxfFile::kwCeColor);
    dxf.WriteIntGroup(62, currentColour);
    WriteVariable(dxf, CDxfFile::kwCeLTScale);
    dxf.WriteRealGroup(40, currentLineTypeScale);
    WriteVariable(dxf, CDxfFile::kwCeLWeight);
    dxf.WriteIntGroup(370, currentLineWeight);
    WriteVariable(dxf, CDxfFile::kwOrthoMode);
    dxf.WriteIntGroup(70, orthoMode);
    WriteVariable(dxf, CDxfFile::kwUserR1);
    dxf.WriteRealGroup(40, imageScale);
    WriteVariable(dxf, CDxfFile::kwUserR2);
    dxf.WriteRealGroup(40, hatchPatternScale);
    WriteVariable(dxf, CDxfFile::kwUserI1);
    dxf.WriteIntGroup(70, (showRulers ? 1 : 0) + 2 * (scalePenWeight ? 1 : 0) + 4 * (editNewText ? 1 : 0));
    WriteVariable(dxf, CDxfFile::kwUserI3);
    dxf.WriteIntGroup(70, hatchColour);
    WriteVariable(dxf, CDxfFile::kwUserI4);
    dxf.WriteIntGroup(70, hatchPattern);
    dxf.WriteStringGroup(0, Keyword(CDxfFile::kwEndsec));
}

void CDrawingHeader::Read(CDxfFile& dxf)
{
    HeaderPoint extMin, extMax, limMin, limMax;
    // The group after a variable's name, when it has the code (0: any code but 0 and 9, which
    // start the next variable or end the section and so are pushed back, as any other code is).
    auto next = [&dxf](int code) {
        if (!dxf.ReadGroup())
            return false;
        const int got = dxf.GetCode();
        if (code ? got != code : (got == 0 || got == 9)) {
            dxf.UngetGroup();
            return false;
        }
        return true;
    };
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            dxf.UngetGroup();
            break;
        }
        if (code != 9)
            continue;
        double value = 0.0;
        switch (dxf.GetKeywordIndex()) {
        case CDxfFile::kwAcadVer:
            if (next(1))
                SetVersionByName(dxf.GetText());
            break;
        case CDxfFile::kwLtScale:
            if (next(0) && NumberOf(dxf, &value))
                lineTypeScale = std::fabs(value) < 1e-6 ? 50.0f : static_cast<float>(value);
            break;
        case CDxfFile::kwCeColor:
            if (next(62))
                currentColour = dxf.GetInt();
            break;
        case CDxfFile::kwCeLType:
            if (next(6))
                currentLineTypeName = dxf.GetText();
            break;
        case CDxfFile::kwCeLTScale:
            if (next(40))
                currentLineTypeScale = static_cast<float>(dxf.GetReal());
            break;
        case CDxfFile::kwCeLWeight:
            if (next(370))
                currentLineWeight = dxf.GetInt();
            break;
        case CDxfFile::kwCLayer:
            if (next(8))
                currentLayerName = dxf.GetText();
            break;
        case CDxfFile::kwExtMin:
            ReadPoint(dxf, &extMin);
            break;
        case CDxfFile::kwExtMax:
            ReadPoint(dxf, &extMax);
            break;
        case CDxfFile::kwLimMin:
            ReadPoint(dxf, &limMin);
            break;
        case CDxfFile::kwLimMax:
            ReadPoint(dxf, &limMax);
            break;
        case CDxfFile::kwInsUnits:
            if (next(70))
                SetUnitId(dxf.GetInt());
            break;
        case CDxfFile::kwLUnits:
            // Engineering and architectural units are in inches.
            if (next(70) && (dxf.GetInt() == 3 || dxf.GetInt() == 4))
                SetUnitId(1);
            break;
        case CDxfFile::kwMeasurement:
            if (next(70))
                measurement = dxf.GetInt();
            break;
        case CDxfFile::kwOrthoMode:
            if (next(70))
                orthoMode = dxf.GetInt();
            break;
        case CDxfFile::kwUserI1:
            if (next(70)) {
                const int bits = dxf.GetInt();
                showRulers = bits & 1;
                scalePenWeight = (bits >> 1) & 1;
                editNewText = (bits >> 2) & 1;
            }
            break;
        case CDxfFile::kwUserI3:
            if (next(70))
                hatchColour = dxf.GetInt();
            break;
        case CDxfFile::kwUserI4:
            if (next(70))
                hatchPattern = dxf.GetInt();
            break;
        case CDxfFile::kwUserR1:
            if (next(40) && dxf.GetReal() != 0.0)
                imageScale = static_cast<float>(dxf.GetReal());
            break;
        case CDxfFile::kwUserR2:
            if (next(40) && dxf.GetReal() != 0.0)
                hatchPatternScale = static_cast<float>(dxf.GetReal());
            break;
        default:
            break;
        }
    }
    unitAsRead = unit;
    extents = Spanned(extMin, extMax);
    extentsRead = extMin.read && extMax.read && std::isfinite(extMin.x) && std::isfinite(extMin.y) &&
                  std::isfinite(extMax.x) && std::isfinite(extMax.y) && extMin.x <= extMax.x && extMin.y <= extMax.y;
    limits = Spanned(limMin, limMax);
}
