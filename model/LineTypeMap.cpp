#include "model/LineTypeMap.h"
#include "interchange/DxfFile.h"
#include <cstring>
#include <string.h>

CLineType* CLineTypeMap::Find(int id)
{
    auto it = m_types.find(id);
    return it == m_types.end() ? nullptr : &it->second;
}

const CLineType* CLineTypeMap::Find(int id) const
{
    auto it = m_types.find(id);
    return it == m_types.end() ? nullptr : &it->second;
}

int CLineTypeMap::IdFromName(const char* name) const
{
    if (!name)
        return 0;
    if (_strnicmp(name, "BYLAYER", 7) == 0)
        return 0x4000;
    if (_strnicmp(name, "BYBLOCK", 7) == 0)
        return 0x8000;
    for (const auto& entry : m_types) {
        const char* n = entry.second.GetName();
        if (n && std::strcmp(n, name) == 0)
            return entry.first;
    }
    return 0;
}

int CLineTypeMap::CountNamed() const
{
    int n = 0;
    for (const auto& entry : m_types)
        if (entry.second.GetName())
            ++n;
    return n;
}

int CLineTypeMap::Add(const CLineType& lineType, int* outId)
{
    const char* name = lineType.GetName();
    for (const auto& entry : m_types) {
        const CLineType& existing = entry.second;
        const char* existingName = existing.GetName();
        if (name && existingName) {
            if (std::strcmp(name, existingName) == 0) {
                // A name clash with another pattern is refused.
                if (outId)
                    *outId = existing.IsSamePattern(lineType) ? entry.first : 0;
                return 0;
            }
        } else if (!name && !existingName) {
            if (existing.IsSamePattern(lineType)) {
                if (outId)
                    *outId = entry.first;
                return 0;
            }
            if (outId)
                *outId = 0;
        }
    }
    const int id = m_nextId++;
    CLineType& stored = m_types.emplace(id, lineType).first->second;
    stored.m_id = id;
    if (outId)
        *outId = id;
    return 1;
}

int CLineTypeMap::LoadDefinitions(const char* text, size_t length)
{
    if (!text || length == 0)
        return -1;
    // An entry starts at a '*' at the start of the text or right behind a line feed and reaches
    // to the next such '*'.
    auto isEntryStart = [&](size_t i) { return text[i] == '*' && (i == 0 || text[i - 1] == '\n'); };
    size_t i = 0;
    while (i < length && !isEntryStart(i))
        ++i;
    while (i < length) {
        size_t next = i + 1;
        while (next < length && !isEntryStart(next))
            ++next;
        CLineType lineType;
        lineType.ParseDefinition(text + i, next - i);
        Add(lineType);
        i = next;
    }
    return static_cast<int>(m_types.size());
}

int CLineTypeMap::ToMetric()
{
    if (m_units != 0)
        return 0;
    for (auto& entry : m_types)
        entry.second.ToMillimetres();
    m_units = 1;
    return 1;
}

int CLineTypeMap::ToEnglish()
{
    if (m_units != 1)
        return 0;
    for (auto& entry : m_types)
        entry.second.ToInches();
    m_units = 0;
    return 1;
}

int CLineTypeMap::ReadDxfTable(CDxfFile& dxf)
{
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != 0)
            continue;
        const char* keyword = dxf.GetText();
        if (std::strcmp(keyword, "ENDTAB") == 0)
            break;
        if (std::strcmp(keyword, "LTYPE") != 0)
            continue;
        CLineType lineType;
        lineType.ReadDxf(dxf);
        // A type the drawing already knows by name keeps its present definition.
        if (IdFromName(lineType.GetName()) < 1)
            Add(lineType);
    }
    return 1;
}

int CLineTypeMap::WriteDxfTable(CDxfFile& dxf)
{
    dxf.WriteStringGroup(0, "TABLE");
    dxf.WriteStringGroup(2, "LTYPE");
    dxf.WriteTableHandle();
    for (auto& entry : m_types)
        entry.second.WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDTAB");
    return 1;
}
