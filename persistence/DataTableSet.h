// CDataTableSet: the drawing's neutral interchange form. A header record, 29 record tables in
// a fixed order (any of which may be absent) and, per ID kind, the pair of maps that carries the
// renumbering of identifiers while a set is restored. Archives, drawing buffers and snapshot
// undo units all travel as table sets.
#pragma once

#include "YVEX_h.h"
#include "automation/ResultCodes.h"
#include "persistence/DataTables.h"
#include "persistence/FileHeaderRecord.h"

#include <cstdint>
#include <map>

class CDataArchive;

class CDataTableSet
{
public:
    // ID kinds of the ID maps: 0 shapes, 1 points, 2 attributes, 3 attribute types, 4 attribute
    // groups, 7 image resources.
    static const int kIdKinds = 8;
    // Answer of the ID translations when no pair is known, or for a kind of 8 or more.
    static constexpr int32_t kNoIdMapping = kStoredNoIdMap;
    // Mode bit: table keys are the objects' own IDs, so no translation takes place.
    static const int kKeepIdentifiers = DXFMODE_USE_YVEX_IDENTIFIERS;

    // full non-zero: all 29 tables, each counted in the header; zero: no tables, count 0.
    explicit CDataTableSet(int full);
    CDataTableSet(const CDataTableSet&) = delete;
    CDataTableSet& operator=(const CDataTableSet&) = delete;
    ~CDataTableSet();

    // Deletes the header, every table and the ID maps' contents.
    void FreeTables();
    // Empties every existing table (keys continue above the old ones) and the ID maps.
    void ClearAll();

    CFileHeaderRecord* GetHeader() const { return m_header; }
    CDataTable* GetTable(int index) const;
    // Creates one table on demand (the snapshot undo unit does) without counting it in the
    // header; returns the table, existing or new, or null for a bad index.
    CDataTable* CreateTable(int index);

    CArcTable* Arc() const { return static_cast<CArcTable*>(m_tables[dtArc]); }
    CAttributesTable* Attributes() const { return static_cast<CAttributesTable*>(m_tables[dtAttributes]); }
    CAttributeGroupsTable* AttributeGroups() const { return static_cast<CAttributeGroupsTable*>(m_tables[dtAttributeGroups]); }
    CAttributeTypesTable* AttributeTypes() const { return static_cast<CAttributeTypesTable*>(m_tables[dtAttributeTypes]); }
    CCircleTable* Circle() const { return static_cast<CCircleTable*>(m_tables[dtCircle]); }
    CDrawingSettingsTable* DrawingSettings() const { return static_cast<CDrawingSettingsTable*>(m_tables[dtDrawingSettings]); }
    CEllipsesTable* Ellipses() const { return static_cast<CEllipsesTable*>(m_tables[dtEllipses]); }
    CGroupsTable* Groups() const { return static_cast<CGroupsTable*>(m_tables[dtGroups]); }
    CHatchPatternsTable* HatchPatterns() const { return static_cast<CHatchPatternsTable*>(m_tables[dtHatchPatterns]); }
    CImageResourcesTable* ImageResources() const { return static_cast<CImageResourcesTable*>(m_tables[dtImageResources]); }
    CImagesTable* Images() const { return static_cast<CImagesTable*>(m_tables[dtImages]); }
    CIncludedSitesTable* IncludedSites() const { return static_cast<CIncludedSitesTable*>(m_tables[dtIncludedSites]); }
    CLayersTable* Layers() const { return static_cast<CLayersTable*>(m_tables[dtLayers]); }
    CLayerSettingsTable* LayerSettings() const { return static_cast<CLayerSettingsTable*>(m_tables[dtLayerSettings]); }
    CLinesTable* Lines() const { return static_cast<CLinesTable*>(m_tables[dtLines]); }
    CLinkedPointsTable* LinkedPoints() const { return static_cast<CLinkedPointsTable*>(m_tables[dtLinkedPoints]); }
    CPointsTable* Points() const { return static_cast<CPointsTable*>(m_tables[dtPoints]); }
    CPolylinesTable* Polylines() const { return static_cast<CPolylinesTable*>(m_tables[dtPolylines]); }
    CReferencesTable* References() const { return static_cast<CReferencesTable*>(m_tables[dtReferences]); }
    CShapeAttributesTable* ShapeAttributes() const { return static_cast<CShapeAttributesTable*>(m_tables[dtShapeAttributes]); }
    CShapeAttributeGroupsTable* ShapeAttributeGroups() const { return static_cast<CShapeAttributeGroupsTable*>(m_tables[dtShapeAttributeGroups]); }
    CShapesTable* Shapes() const { return static_cast<CShapesTable*>(m_tables[dtShapes]); }
    CShapePointsTable* ShapePoints() const { return static_cast<CShapePointsTable*>(m_tables[dtShapePoints]); }
    CSiteAttributesTable* SiteAttributes() const { return static_cast<CSiteAttributesTable*>(m_tables[dtSiteAttributes]); }
    CSitesTable* Sites() const { return static_cast<CSitesTable*>(m_tables[dtSites]); }
    CTextsTable* Texts() const { return static_cast<CTextsTable*>(m_tables[dtTexts]); }
    CVertexesTable* Vertexes() const { return static_cast<CVertexesTable*>(m_tables[dtVertexes]); }
    CViewportsTable* Viewports() const { return static_cast<CViewportsTable*>(m_tables[dtViewports]); }
    CUnitsTable* Units() const { return static_cast<CUnitsTable*>(m_tables[dtUnits]); }

    // The top group of a shape subtree exchanged on its own (a block): it is stored under key 0,
    // and a restore puts the current group in its place. kNoFirstStoredShape when there is none.
    static constexpr int32_t kNoFirstStoredShape = INT32_MIN;
    int32_t GetFirstStoredShapeId() const { return m_firstStoredShapeId; }
    void SetFirstStoredShapeId(int32_t id) { m_firstStoredShapeId = id; }

    // ID maps. AddIdMapping stores the pair in both maps of the kind (0, or kNoIdMapping for a bad
    // kind); RemoveIdMapping removes it from each map where the entry has that partner.
    int AddIdMapping(int32_t currentId, int32_t storedId, int kind);
    int RemoveIdMapping(int32_t currentId, int32_t storedId, int kind);
    // Translations; the ID unchanged when the mode keeps identifiers, kNoIdMapping when unknown.
    int32_t StoredToCurrentId(int32_t storedId, int kind, int mode) const;
    int32_t CurrentToStoredId(int32_t currentId, int kind, int mode) const;

    // The whole set as one archive: the header block, then one block per existing table.
    // Write: 1 when the archive could be opened. Read: 1 when the archive opened, its header
    // passed the version check and its data was whole; a refused header leaves the tables as
    // they were, damaged data leaves them empty (and the header as it was).
    int WriteToArchive(CDataArchive* archive);
    int ReadFromArchive(CDataArchive* archive);

private:
    static CDataTable* NewTable(int index);

    CFileHeaderRecord* m_header = nullptr;
    CDataTable* m_tables[DATA_TABLE_COUNT] = {};
    std::map<int32_t, int32_t> m_storedToCurrent[kIdKinds];
    std::map<int32_t, int32_t> m_currentToStored[kIdKinds];
    int32_t m_firstStoredShapeId = kNoFirstStoredShape;
};
