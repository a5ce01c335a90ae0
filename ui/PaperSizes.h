#pragma once
// The predefined paper sizes that the General page offers as draft limits: groups of sizes
// ("standards"), each in one unit, read from the text resource 343 of type HATCH_PATTERN.
//
// The text: a line starting with ';' is a comment; a line starting with '*' opens a standard
// ("*name; unit", the unit a Units number from 1 to 20 or a unit's name, millimetres when missing
// or unknown); every other line until the next '*' line is a size "name; x; y; paper numbers...".
// A size's name made of digits alone is a string of the module (when it has 1 to 19 characters);
// x and y are taken when above 0 and swapped so that x is the long side.
#include <map>
#include <string>
#include <vector>
#include "model/RealPoint.h"

struct CUnitRecord;

// One size: x the long side, y the short side.
class CPaperSize : public CRealPoint
{
public:
    std::string name;
    // The platform's DMPAPER_ numbers the size stands for.
    std::vector<int> paperIds;
};

class CPaperStandard
{
public:
    std::string name;
    std::vector<CPaperSize> sizes;
    int unit = 4;  // millimetres
};

// Parses the definitions; units named in the text are looked up by name in `units`.
std::vector<CPaperStandard> ParsePaperStandards(const char* text, size_t length, const std::map<int, CUnitRecord>& units);

// The process-wide table: filled from the module's resource on the first call that finds it
// empty, kept until the module unloads.
const std::vector<CPaperStandard>& GetPaperStandards(const std::map<int, CUnitRecord>& units);

class CYVEXControl;
// The paper that a printer paper code stands for in the table of the control's units: its two
// dimensions (long side first) and its standard's unit; false for a code no paper lists. The
// control's lookup of printer papers (SetPaperCodeLookup).
bool LookUpPaperCode(CYVEXControl* control, int paperCode, double* first, double* second, int* unit);
