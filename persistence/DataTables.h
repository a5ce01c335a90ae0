// The 29 tables of a record-table set, in table order. Each is the record table of its record
// type (DataRecords.h) under the name that archives print; those with secondary indexes say
// which fields they index.
#pragma once

#include "persistence/DataRecords.h"
#include "persistence/IndexedDataTable.h"
#include "persistence/RecordTable.h"

// Position of each table in a set, in table order (also the order of writing and reading).
enum DataTableIndex {
    dtArc = 0,
    dtAttributes,
    dtAttributeGroups,
    dtAttributeTypes,
    dtCircle,
    dtDrawingSettings,
    dtEllipses,
    dtGroups,
    dtHatchPatterns,
    dtImageResources,
    dtImages,
    dtIncludedSites,
    dtLayers,
    dtLayerSettings,
    dtLines,
    dtLinkedPoints,
    dtPoints,
    dtPolylines,
    dtReferences,
    dtShapeAttributes,
    dtShapeAttributeGroups,
    dtShapes,
    dtShapePoints,
    dtSiteAttributes,
    dtSites,
    dtTexts,
    dtVertexes,
    dtViewports,
    dtUnits,
    DATA_TABLE_COUNT
};

// Arc and Circle are only read, from sets that carry them; ellipse kinds write Ellipses.
class CArcTable : public CRecordTable<CArcRecord>
{
public:
    const char* GetName() const override { return "Arc"; }
};

class CAttributesTable : public CRecordTable<CAttributesRecord>
{
public:
    const char* GetName() const override { return "Attributes"; }
};

class CAttributeGroupsTable : public CRecordTable<CAttributeGroupsRecord>
{
public:
    const char* GetName() const override { return "AttributeGroups"; }
};

class CAttributeTypesTable : public CRecordTable<CAttributeTypesRecord>
{
public:
    const char* GetName() const override { return "AttributeTypes"; }
};

class CCircleTable : public CRecordTable<CCircleRecord>
{
public:
    const char* GetName() const override { return "Circle"; }
};

class CDrawingSettingsTable : public CRecordTable<CDrawingSettingsRecord>
{
public:
    const char* GetName() const override { return "DrawingSettings"; }
};

class CEllipsesTable : public CRecordTable<CEllipsesRecord>
{
public:
    const char* GetName() const override { return "Ellipses"; }
};

class CGroupsTable : public CRecordTable<CGroupsRecord>
{
public:
    const char* GetName() const override { return "Groups"; }
};

class CHatchPatternsTable : public CRecordTable<CHatchPatternsRecord>
{
public:
    const char* GetName() const override { return "HatchPatterns"; }
};

class CImageResourcesTable : public CRecordTable<CImageResourcesRecord>
{
public:
    const char* GetName() const override { return "ImageResources"; }
};

class CImagesTable : public CRecordTable<CImagesRecord>
{
public:
    const char* GetName() const override { return "Images"; }
};

class CIncludedSitesTable : public CRecordTable<CIncludedSitesRecord>
{
public:
    const char* GetName() const override { return "IncludedSites"; }
};

class CLayersTable : public CRecordTable<CLayersRecord>
{
public:
    const char* GetName() const override { return "Layers"; }
};

// Indexed by LayerShapeID.
class CLayerSettingsTable : public CIndexedDataTable<CLayerSettingsRecord, 1>
{
public:
    const char* GetName() const override { return "LayerSettings"; }
};

class CLinesTable : public CRecordTable<CLinesRecord>
{
public:
    const char* GetName() const override { return "Lines"; }
};

// Indexed by ShapeID (index 0) and PointID (index 1).
class CLinkedPointsTable : public CIndexedDataTable<CLinkedPointsRecord, 2>
{
public:
    const char* GetName() const override { return "LinkedPoints"; }
    // Adds the record linking the point to the shape, unless a record of the shape names the
    // point already.
    void AddLinkOnce(int32_t shapeKey, int32_t pointKey);
};

class CPointsTable : public CRecordTable<CPointsRecord>
{
public:
    const char* GetName() const override { return "Points"; }
};

class CPolylinesTable : public CRecordTable<CPolylinesRecord>
{
public:
    const char* GetName() const override { return "Polylines"; }
};

// Block references, in the layout of image shapes.
class CReferencesTable : public CRecordTable<CReferencesRecord>
{
public:
    const char* GetName() const override { return "References"; }
};

// Indexed by ShapeID.
class CShapeAttributesTable : public CIndexedDataTable<CShapeAttributesRecord, 1>
{
public:
    const char* GetName() const override { return "ShapeAttributes"; }
};

// Indexed by ShapeID.
class CShapeAttributeGroupsTable : public CIndexedDataTable<CShapeAttributeGroupsRecord, 1>
{
public:
    const char* GetName() const override { return "ShapeAttributeGroups"; }
};

class CShapesTable : public CRecordTable<CShapesRecord>
{
public:
    const char* GetName() const override { return "Shapes"; }
};

// Indexed by ShapeID (index 0) and PointID (index 1).
class CShapePointsTable : public CIndexedDataTable<CShapePointsRecord, 2>
{
public:
    const char* GetName() const override { return "ShapePoints"; }
    // Adds the record placing the point at the position in the shape's own points, unless a
    // record of the shape names the point already.
    void AddLinkOnce(int32_t shapeKey, int32_t number, int32_t pointKey);
};

class CSiteAttributesTable : public CRecordTable<CSiteAttributesRecord>
{
public:
    const char* GetName() const override { return "SiteAttributes"; }
};

class CSitesTable : public CRecordTable<CSitesRecord>
{
public:
    const char* GetName() const override { return "Sites"; }
};

class CTextsTable : public CRecordTable<CTextsRecord>
{
public:
    const char* GetName() const override { return "Texts"; }
};

// Indexed by the ShapePoints record each vertex hangs on.
class CVertexesTable : public CIndexedDataTable<CVertexesRecord, 1>
{
public:
    const char* GetName() const override { return "Vertexes"; }
};

class CViewportsTable : public CRecordTable<CViewportsRecord>
{
public:
    const char* GetName() const override { return "Viewports"; }
};

class CUnitsTable : public CRecordTable<CUnitsRecord>
{
public:
    const char* GetName() const override { return "Units"; }
};

// The name of the table at a position of the set, or null.
const char* DataTableName(int index);
