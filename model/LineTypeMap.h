#pragma once
#include <map>
#include "model/LineType.h"

class CDxfFile;

// Every line type of a drawing, by ID. The control fills it with "__SELECTED" (1) and
// "CONTINUOUS" (2), then the built-in definitions (3 to 40); DXF import adds more. The IDs 0x4000
// (by layer) and 0x8000 (by block) are marks, never entries.
class CLineTypeMap
{
public:
    CLineTypeMap() = default;
    virtual ~CLineTypeMap() = default;

    CLineType* Find(int id);
    const CLineType* Find(int id) const;
    // 0x4000 for a name beginning with "BYLAYER", 0x8000 for "BYBLOCK" (case ignored); else the
    // ID of the first entry of exactly that name; else 0.
    int IdFromName(const char* name) const;
    int CountNamed() const;
    // Stores a copy unless an equal type exists. 1 when added, 0 otherwise; *outId (optional)
    // receives the ID under which the type can be used, or 0 when a type of that name exists
    // with another pattern.
    int Add(const CLineType& lineType, int* outId = nullptr);
    // Parses a definitions text and adds every entry; -1 for no text, else the number of entries.
    int LoadDefinitions(const char* text, size_t length);

    // The LTYPE table: reading adds the types whose names are new.
    int ReadDxfTable(CDxfFile& dxf);
    int WriteDxfTable(CDxfFile& dxf);

    // Dash lengths between inches and millimetres; each direction acts once.
    int ToMetric();
    int ToEnglish();
    bool IsMetric() const { return m_units != 0; }

    const std::map<int, CLineType>& Entries() const { return m_types; }
    int GetNextId() const { return m_nextId; }

private:
    std::map<int, CLineType> m_types;
    int m_nextId = 1;
    int m_units = 0; // 0 inches, 1 millimetres
};
