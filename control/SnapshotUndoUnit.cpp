#include "control/SnapshotUndoUnit.h"
#include "com/HResult.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/ImageResource.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "model/VertexRecord.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

namespace {
// An element is written under its own ID, as a tree (the caller records relatives itself),
// quietly.
const DWORD kRecordMode = DXFMODE_QUIET | DXFMODE_PROCESS_TREE_ONLY | DXFMODE_USE_YVEX_IDENTIFIERS; // 0x2C00
const DWORD kPointMode = DXFMODE_QUIET | DXFMODE_USE_YVEX_IDENTIFIERS;                               // 0x2400
// The restore adds to the drawing and keeps the IDs.
const DWORD kRestoreMode = kRecordMode | DXFMODE_APPEND | DXFMODE_LOAD; // 0x2C14

// The kinds whose point records carry the point's place in its shapes.
bool KeepsPointLinks(int kind)
{
    return kind == opDelete || kind == opProperties || kind == opShapePoint || kind == opRelations;
}
} // namespace

CSnapshotUndoUnit::CSnapshotUndoUnit() = default;

CSnapshotUndoUnit::~CSnapshotUndoUnit()
{
    if (m_tables) {
        m_tables->ClearAll();
        m_tables->FreeTables();
    }
}

CDataTableSet* CSnapshotUndoUnit::Tables()
{
    if (!m_tables)
        m_tables = std::make_unique<CDataTableSet>(0);
    return m_tables.get();
}

void CSnapshotUndoUnit::CreateShapeTables()
{
    CDataTableSet* set = Tables();
    const int kind = GetKind();
    // A move keeps where the points are; the kinds that change more keep more of the shape.
    for (int t : {dtLinkedPoints, dtPoints, dtShapePoints, dtShapes, dtVertexes})
        set->CreateTable(t);
    if (kind == opMove || kind == opShapePoint)
        return;
    for (int t : {dtReferences, dtArc, dtCircle, dtEllipses, dtImages, dtTexts})
        set->CreateTable(t);
    if (kind == opScale || kind == opRotate)
        return;
    for (int t : {dtGroups, dtHatchPatterns, dtLayers, dtLines, dtPolylines, dtSiteAttributes, dtAttributes,
                  dtAttributeGroups, dtAttributeTypes, dtShapeAttributes, dtShapeAttributeGroups})
        set->CreateTable(t);
    if (kind == opRelations)
        return;
    for (int t : {dtImageResources, dtLayerSettings})
        set->CreateTable(t);
}

void CSnapshotUndoUnit::CreatePointTables()
{
    CDataTableSet* set = Tables();
    if (set->Points())
        return;
    set->CreateTable(dtPoints);
    if (KeepsPointLinks(GetKind()))
        for (int t : {dtVertexes, dtLinkedPoints, dtShapePoints})
            set->CreateTable(t);
}

HRESULT CSnapshotUndoUnit::TransferRecords(CUndoUnit* other)
{
    if (!other)
        return E_INVALIDARG;
    return CUndoUnit::TransferRecords(other);
}

HRESULT CSnapshotUndoUnit::ApplyUndo(IOleUndoManager*) { return Restore(); }

HRESULT CSnapshotUndoUnit::Restore()
{
    CControlCore* control = GetControl();
    if (!control)
        return E_POINTER;
    if (!m_tables)
        return S_FALSE;
    // No events reach the host while the drawing is put back, and the control counts as busy
    // (without touching the long operations' gate); both come back on every way out.
    struct EventsGuard
    {
        CControlCore* control;
        bool events;
        ~EventsGuard() { control->SetEventsEnabled(events); }
    } guard{control, control->EventsEnabled()};
    CControlCore::CBusySection busy(*control);
    control->SetEventsEnabled(false);
    return control->ExchangeDrawingTables(m_tables.get(), kRestoreMode, nullptr);
}

bool CSnapshotUndoUnit::IsShapeSaved(CShape* shape) const
{
    return shape && m_tables && m_tables->Shapes() && m_tables->Shapes()->FindRecord(shape->GetId());
}

bool CSnapshotUndoUnit::IsPointSaved(CPointRecord* point) const
{
    return point && m_tables && m_tables->Points() && m_tables->Points()->FindRecord(point->GetPointId());
}

HRESULT CSnapshotUndoUnit::RecordShape(CShape* shape)
{
    const HRESULT base = CUndoUnit::RecordShape(shape);
    if (base != S_OK)
        return base;
    if (!GetControl())
        return E_POINTER;
    CreateShapeTables();
    if (!m_tables->Shapes())
        return E_POINTER;
    if (IsShapeSaved(shape))
        return S_FALSE;
    if (shape->GetId() >= 2)
        return shape->SaveToTables(m_tables.get(), kRecordMode, 0);
    // The fixed groups are not copied themselves: their stored direct children stand for them.
    const int type = shape->GetShapeType();
    if (type != stGroup && type != stReference)
        return S_OK;
    HRESULT last = S_FALSE;
    const std::vector<CShape*> children = static_cast<CGroup*>(shape)->Children();
    for (CShape* child : children)
        if (child->HasState(CShape::stPersistent) && !IsShapeSaved(child))
            last = child->SaveToTables(m_tables.get(), kRecordMode, 0);
    return last;
}

HRESULT CSnapshotUndoUnit::RecordPoint(CPointRecord* point)
{
    const HRESULT base = CUndoUnit::RecordPoint(point);
    if (base != S_OK)
        return base;
    CControlCore* control = GetControl();
    if (!control)
        return E_POINTER;
    CreatePointTables();
    CPointsTable* points = m_tables->Points();
    if (!points)
        return E_FAIL;
    if (IsPointSaved(point))
        return S_FALSE;
    RETURN_IF_FAILED(point->SaveToTables(m_tables.get(), kPointMode, control->GetSiteId()));
    if (!KeepsPointLinks(GetKind()))
        return S_OK;

    // Where the point stands in each shape that uses it, so that the restore puts it back there.
    const int pointId = point->GetPointId();
    CShapePointsTable* shapePoints = m_tables->ShapePoints();
    CLinkedPointsTable* linkedPoints = m_tables->LinkedPoints();
    for (int ownerId : point->GetOwners()) {
        CShape* shape = control->FindShape(ownerId);
        if (!shape)
            continue;
        const int index = shape->GetPoints().IndexOf(pointId);
        if (index >= 0 && shapePoints) {
            CShapePointsRecord link;
            link.ShapePointID = shapePoints->NewKey();
            link.Number = index;
            link.ShapeID = ownerId;
            link.PointID = pointId;
            shapePoints->Insert(link);
            const int type = shape->GetShapeType();
            if (type == stPolyline || type == stPolygon) {
                // The vertex data standing on the point, keyed by the point's ID.
                if (CVertexRecord* vertex = static_cast<CPolyline*>(shape)->FindVertexOfPoint(pointId)) {
                    CVertexRecord copy(*vertex);
                    copy.SetPoint(point);
                    copy.SaveToTables(m_tables.get(), kPointMode, link.ShapePointID);
                }
            }
        } else if (index < 0 && linkedPoints && shape->GetLinkedPoints().IndexOf(pointId) >= 0) {
            CLinkedPointsRecord link;
            link.LinkedPointID = linkedPoints->NewKey();
            link.ShapeID = ownerId;
            link.PointID = pointId;
            linkedPoints->Insert(link);
        }
    }
    return S_OK;
}

template <class Write>
HRESULT CSnapshotUndoUnit::KeepInTable(HRESULT base, int table, int id, Write write)
{
    if (base != S_OK)
        return base;
    if (!GetControl())
        return E_POINTER;
    CDataTable* records = Tables()->CreateTable(table);
    if (!records)
        return E_POINTER;
    if (records->SeekKey(id))
        return S_FALSE;
    return write();
}

HRESULT CSnapshotUndoUnit::RecordDrawingSetting(CDrawingSettingRecord* setting)
{
    return KeepInTable(CUndoUnit::RecordDrawingSetting(setting), dtDrawingSettings, setting ? setting->ID : 0, [&] {
        // Under its own ID, with the layer by shape ID and the site it came from, so that the
        // restore finds the same setting and leaves its origin as it was.
        CControlCore* control = GetControl();
        const int origin = control->GetDrawingSettingMap().FindOriginSite(setting->ID);
        return setting->ExchangeTables(m_tables.get(), kRecordMode, origin, control);
    });
}

HRESULT CSnapshotUndoUnit::RecordHatchPattern(CHatchPattern* pattern)
{
    return KeepInTable(CUndoUnit::RecordHatchPattern(pattern), dtHatchPatterns, pattern ? pattern->GetId() : 0,
                       [&] { return pattern->ExchangeTables(m_tables.get(), kRecordMode); });
}

HRESULT CSnapshotUndoUnit::RecordImageResource(CImageResource* resource)
{
    // The resource with its picture, so that undoing its deletion brings the picture back.
    return KeepInTable(CUndoUnit::RecordImageResource(resource), dtImageResources, resource ? resource->GetId() : 0,
                       [&] { return resource->ExchangeTables(m_tables.get(), kRecordMode); });
}
