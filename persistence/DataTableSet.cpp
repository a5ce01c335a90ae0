#include "persistence/DataTableSet.h"

#include "persistence/DataArchive.h"

#include <new>

CDataTableSet::CDataTableSet(int full)
{
    m_header = new CFileHeaderRecord;
    if (full) {
        for (int i = 0; i < DATA_TABLE_COUNT; ++i) {
            // A table that cannot be made stays null; it is counted all the same.
            m_tables[i] = NewTable(i);
            ++m_header->TableCount;
        }
    }
}

CDataTableSet::~CDataTableSet() { FreeTables(); }

CDataTable* CDataTableSet::NewTable(int index)
{
    switch (index) {
    case dtArc:
        return new (std::nothrow) CArcTable;
    case dtAttributes:
        return new (std::nothrow) CAttributesTable;
    case dtAttributeGroups:
        return new (std::nothrow) CAttributeGroupsTable;
    case dtAttributeTypes:
        return new (std::nothrow) CAttributeTypesTable;
    case dtCircle:
        return new (std::nothrow) CCircleTable;
    case dtDrawingSettings:
        return new (std::nothrow) CDrawingSettingsTable;
    case dtEllipses:
        return new (std::nothrow) CEllipsesTable;
    case dtGroups:
        return new (std::nothrow) CGroupsTable;
    case dtHatchPatterns:
        return new (std::nothrow) CHatchPatternsTable;
    case dtImageResources:
        return new (std::nothrow) CImageResourcesTable;
    case dtImages:
        return new (std::nothrow) CImagesTable;
    case dtIncludedSites:
        return new (std::nothrow) CIncludedSitesTable;
    case dtLayers:
        return new (std::nothrow) CLayersTable;
    case dtLayerSettings:
        return new (std::nothrow) CLayerSettingsTable;
    case dtLines:
        return new (std::nothrow) CLinesTable;
    case dtLinkedPoints:
        return new (std::nothrow) CLinkedPointsTable;
    case dtPoints:
        return new (std::nothrow) CPointsTable;
    case dtPolylines:
        return new (std::nothrow) CPolylinesTable;
    case dtReferences:
        return new (std::nothrow) CReferencesTable;
    case dtShapeAttributes:
        return new (std::nothrow) CShapeAttributesTable;
    case dtShapeAttributeGroups:
        return new (std::nothrow) CShapeAttributeGroupsTable;
    case dtShapes:
        return new (std::nothrow) CShapesTable;
    case dtShapePoints:
        return new (std::nothrow) CShapePointsTable;
    case dtSiteAttributes:
        return new (std::nothrow) CSiteAttributesTable;
    case dtSites:
        return new (std::nothrow) CSitesTable;
    case dtTexts:
        return new (std::nothrow) CTextsTable;
    case dtVertexes:
        return new (std::nothrow) CVertexesTable;
    case dtViewports:
        return new (std::nothrow) CViewportsTable;
    case dtUnits:
        return new (std::nothrow) CUnitsTable;
    default:
        return nullptr;
    }
}

void CDataTableSet::FreeTables()
{
    delete m_header;
    m_header = nullptr;
    for (CDataTable*& table : m_tables) {
        delete table;
        table = nullptr;
    }
    for (int k = 0; k < kIdKinds; ++k) {
        m_storedToCurrent[k].clear();
        m_currentToStored[k].clear();
    }
}

void CDataTableSet::ClearAll()
{
    for (CDataTable* table : m_tables) {
        if (table)
            table->Clear();
    }
    for (int k = 0; k < kIdKinds; ++k) {
        m_storedToCurrent[k].clear();
        m_currentToStored[k].clear();
    }
}

CDataTable* CDataTableSet::GetTable(int index) const
{
    return index >= 0 && index < DATA_TABLE_COUNT ? m_tables[index] : nullptr;
}

CDataTable* CDataTableSet::CreateTable(int index)
{
    if (index < 0 || index >= DATA_TABLE_COUNT)
        return nullptr;
    if (!m_tables[index])
        m_tables[index] = NewTable(index);
    return m_tables[index];
}

int CDataTableSet::AddIdMapping(int32_t currentId, int32_t storedId, int kind)
{
    if (kind < 0 || kind >= kIdKinds)
        return kNoIdMapping;
    m_storedToCurrent[kind][storedId] = currentId;
    m_currentToStored[kind][currentId] = storedId;
    return 0;
}

int CDataTableSet::RemoveIdMapping(int32_t currentId, int32_t storedId, int kind)
{
    if (kind < 0 || kind >= kIdKinds)
        return kNoIdMapping;
    auto s = m_storedToCurrent[kind].find(storedId);
    if (s != m_storedToCurrent[kind].end() && s->second == currentId)
        m_storedToCurrent[kind].erase(s);
    auto c = m_currentToStored[kind].find(currentId);
    if (c != m_currentToStored[kind].end() && c->second == storedId)
        m_currentToStored[kind].erase(c);
    return 0;
}

int32_t CDataTableSet::StoredToCurrentId(int32_t storedId, int kind, int mode) const
{
    if (mode & kKeepIdentifiers)
        return storedId;
    if (kind < 0 || kind >= kIdKinds)
        return kNoIdMapping;
    auto it = m_storedToCurrent[kind].find(storedId);
    return it != m_storedToCurrent[kind].end() ? it->second : kNoIdMapping;
}

int32_t CDataTableSet::CurrentToStoredId(int32_t currentId, int kind, int mode) const
{
    if (mode & kKeepIdentifiers)
        return currentId;
    if (kind < 0 || kind >= kIdKinds)
        return kNoIdMapping;
    auto it = m_currentToStored[kind].find(currentId);
    return it != m_currentToStored[kind].end() ? it->second : kNoIdMapping;
}

int CDataTableSet::WriteToArchive(CDataArchive* archive)
{
    if (!archive || !archive->BeginSave())
        return 0;
    if (m_header)
        m_header->WriteToArchive(archive);
    for (CDataTable* table : m_tables) {
        if (table)
            table->WriteToArchive(archive);
    }
    const bool closed = archive->Close() != 0;
    return closed && !archive->HasWriteFault() ? 1 : 0;
}

int CDataTableSet::ReadFromArchive(CDataArchive* archive)
{
    if (!archive || !archive->BeginLoad())
        return 0;
    const CFileHeaderRecord before = m_header ? *m_header : CFileHeaderRecord();
    if (m_header && m_header->ReadFromArchive(archive) == 0) {
        *m_header = before;  // a refused archive changes nothing
        archive->Close();
        return 0;
    }
    for (CDataTable* table : m_tables) {
        if (table)
            table->ReadFromArchive(archive);
    }
    // Data that ended early or held impossible lengths is not a drawing to restore: what was read
    // before the fault goes again, so that no caller can take part of a drawing for all of it.
    const bool whole = !archive->HasReadFault();
    archive->Close();
    if (whole)
        return 1;
    if (m_header)
        *m_header = before;
    for (CDataTable* table : m_tables) {
        if (table)
            table->Clear();
    }
    return 0;
}
