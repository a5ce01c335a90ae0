// A hatch pattern's definition text and its record: the header "*NAME, description" and one line
// per line family, as the built-in patterns are written; the HatchPatterns record of the record
// tables. Drawing: HatchPatternDrawing.cpp.
#include "model/HatchPattern.h"
#include "model/DefinitionText.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

CHatchPattern::CHatchPattern(const char* name) { SetName(name); }

void CHatchPattern::SetName(const char* name)
{
    if (name)
        m_name = name;
    else
        m_name.reset();
}

int CHatchPattern::ParseDefinition(const char* text, size_t length, bool toMillimetres)
{
    const char* end = text ? text + length : nullptr;
    CDefinitionHeader header;
    if (!ReadDefinitionHeader(text, end, &header))
        return 0;
    if (!header.comma && header.lineEnd >= end)
        return 0; // the text ends inside the header, before the name was complete
    if (header.comma) {
        SetName(std::string(header.name, header.comma).c_str());
        m_description.assign(header.description, header.lineEnd);
    }
    // Each further line is one line family. Blank lines and comment lines (";;") are passed over.
    const char* p = SkipDefinitionLineEnd(header.lineEnd, end);
    while (p < end) {
        p = SkipDefinitionBlanks(p, end);
        const char* lineEnd = FindDefinitionLineEnd(p, end);
        const bool comment = lineEnd - p >= 2 && p[0] == ';' && p[1] == ';';
        if (lineEnd > p && !comment) {
            CHatchPatternLine line;
            line.Parse(p, static_cast<size_t>(lineEnd - p), toMillimetres);
            m_lines.push_back(line);
        }
        p = lineEnd < end && *lineEnd == '\0' ? end : SkipDefinitionLineEnd(lineEnd, end);
    }
    return 1;
}

HRESULT CHatchPattern::ExchangeTables(CDataTableSet* tables, DWORD mode)
{
    if (!tables)
        return E_INVALIDARG;
    CHatchPatternsTable* table = tables->HatchPatterns();
    if (!table)
        return S_FALSE;
    if (!(mode & DXFMODE_LOAD)) {
        table->Insert(CHatchPatternsRecord(m_id, GetName() ? GetName() : "", m_description, m_imageResourceId));
        return S_OK;
    }
    const CHatchPatternsRecord* record = table->GetCurrent();
    if (!record)
        return E_ACCESSDENIED;
    SetName(record->name.c_str());
    m_description = record->description;
    m_imageResourceId = record->ImageResourceID;
    return S_OK;
}
