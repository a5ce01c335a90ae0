// CDrawingHeader: the drawing-wide values that a DXF file carries in its HEADER section (output
// version, extents and limits, unit, the "current" drawing properties and the values of our own
// kept in the spare user variables). The site record derives from it, so the control's one site
// record is also the header of every DXF transfer: the extents are the site's draft limits and
// the limits its grid limits.
#pragma once

#include <set>
#include <string>

class CDxfFile;

// A rectangle of the header: y up, so top is the larger y.
struct CHeaderRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class CDrawingHeader
{
public:
    // Index of the version text in the version table: none, "AC1009", "AC1012".
    enum VersionIndex { kVersionUnknown = 0, kVersionAC1009 = 1, kVersionAC1012 = 2 };

    CDrawingHeader() = default;
    // Copies every field but ortho mode, scale pen weight and the available units (a new header
    // starts without them; an assigned one keeps its own); the version text follows the index.
    CDrawingHeader(const CDrawingHeader& other);
    CDrawingHeader& operator=(const CDrawingHeader& other);
    virtual ~CDrawingHeader() = default;

    // The HEADER section: written whole, from "SECTION" to "ENDSEC"; read from the group after
    // its name up to the group of code 0 that ends it, which is pushed back. Variables that the
    // header does not keep are skipped.
    void Write(CDxfFile& dxf) const;
    void Read(CDxfFile& dxf);

    // The version text and its index in the version table (0 when it is not there).
    void SetVersionByName(const char* text);
    static const char* VersionText(int index);

    // The unit (Units). While a set of available units is known, a unit outside it is replaced
    // by the set's choice.
    void SetUnitId(int unit);
    int GetUnitId();
    // 0 with no available units; the unit itself when available; else inches, meters or
    // millimeters, the first available; else 0.
    int ChooseAvailableUnit(int unit) const;

    int measurement = 0;
    CHeaderRect extents;
    // Whether the last read found the drawing's extents: $EXTMIN and $EXTMAX both given, finite,
    // the minimum nowhere above the maximum. Writers mark a drawing without extents by a minimum
    // of 1e20 and a maximum of -1e20, which reads as no extents, not as the whole plane.
    bool extentsRead = false;
    CHeaderRect limits;
    std::string currentLayerName;
    std::string currentLineTypeName = "BYLAYER";
    int currentColour = 256;
    float currentLineTypeScale = 1.0f;
    float lineTypeScale = 50.0f;
    float secondScale = 5.0f;
    int unit = 4;  // millimetres
    int currentLineWeight = 0;
    float imageScale = 0.1f;
    int editNewText = 1;
    int showRulers = 0;
    float hatchPatternScale = 1.0f;
    int hatchColour = 256;
    int hatchPattern = 0;
    std::set<int> availableUnits;
    int unitAsRead = 0;
    int orthoMode = 0;
    int scalePenWeight = 0;
    std::string versionText = "AC1009";
    int versionIndex = kVersionAC1009;

private:
    void CopySharedFields(const CDrawingHeader& other);
};
