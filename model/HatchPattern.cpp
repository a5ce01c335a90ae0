// A hatch pattern's definition text and its record: the header "*NAME, description" and one line
// per line family, as the built-in patterns are written; the HatchPatterns record of the record
// tables. Drawing: HatchPatternDrawing.cpp.
#include "model/HatchPattern.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Past one line end: a carriage return, a line feed, or both in that order.
const char* SkipLineEnd(const char* p, const char* end)
{
    if (p < end && *p == '\r')
        ++p;
    if (p < end && *p == '\n')
        ++p;
    return p;
}
} // namespace

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
    if (!text || length == 0 || text[0] != '*')
        return 0;
    const char* end = text + length;
    const char* p = text + 1;
    while (p < end && IsBlank(*p))
        ++p;
    const char* headerEnd = p;
    while (headerEnd < end && *headerEnd != ',' && !IsLineEnd(*headerEnd))
        ++headerEnd;
    if (headerEnd >= end)
        return 0; // the text ends inside the header, before the name was complete
    if (*headerEnd == ',') {
        SetName(std::string(p, headerEnd).c_str());
        const char* description = headerEnd + 1;
        while (description < end && IsBlank(*description))
            ++description;
        headerEnd = description;
        while (headerEnd < end && !IsLineEnd(*headerEnd))
            ++headerEnd;
        m_description.assign(description, headerEnd);
    }
    // Each further line is one line family. Line feeds alone end lines too; blank lines and
    // comment lines (";;") are passed over.
    p = SkipLineEnd(headerEnd, end);
    while (p < end) {
        while (p < end && IsBlank(*p))
            ++p;
        const char* lineEnd = p;
        while (lineEnd < end && !IsLineEnd(*lineEnd))
            ++lineEnd;
        const bool comment = lineEnd - p >= 2 && p[0] == ';' && p[1] == ';';
        if (lineEnd > p && !comment) {
            CHatchPatternLine line;
            line.Parse(p, static_cast<size_t>(lineEnd - p), toMillimetres);
            m_lines.push_back(line);
        }
        p = SkipLineEnd(lineEnd, end);
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
