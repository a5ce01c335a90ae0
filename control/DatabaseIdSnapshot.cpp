#include "control/DatabaseIdSnapshot.h"
#include "control/ControlCore.h"
#include "control/ViewportList.h"
#include "model/HatchPatternMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingMap.h"

CDatabaseIdSnapshot::CDatabaseIdSnapshot(CControlCore& control) : m_control(control)
{
    m_siteId = control.GetSiteId();
    CShapeMap& map = control.GetShapeMap();
    for (const auto& entry : map.Shapes()) {
        CShape* shape = entry.second;
        ShapeIds ids{shape->GetDatabaseId(), {}};
        if (auto* polyline = dynamic_cast<CPolyline*>(shape))
            for (const CVertexRecord& vertex : polyline->GetVertices())
                ids.vertices.emplace_back(vertex.databaseId, vertex.shapePointId);
        m_shapes.emplace(shape, std::move(ids));
    }
    m_shapeDbIds = map.DbIdTable();
    m_sourceSites = map.SourceSiteTable();
    m_nextDbShapeId = map.GetNextDbShapeId();
    CPointPool& pool = control.GetPointPool();
    for (const auto& entry : pool.Points())
        m_points[entry.first] = entry.second.GetDatabaseId();
    m_pointIndex = pool.DatabaseIndex();
    m_nextPointDbId = pool.GetNextDatabaseId();
    m_counters = control.GetDbIdCounters();
    for (const auto& entry : control.GetDrawingSettingMap().Settings())
        m_settings[entry.first] = entry.second->DatabaseID;
    m_settingOrigins = control.GetDrawingSettingMap().Origins();
    CViewportList& views = control.GetViewportList();
    for (int i = 0; i < views.GetCount(); ++i)
        m_viewports.push_back(views.GetAt(i) ? views.GetAt(i)->databaseID : 0);
    m_viewportSites = views.SourceSites();
    m_images = control.GetImageResourceMap().GetDatabaseIds();
    const CHatchPatternMap& patterns = control.GetHatchPatternMap();
    for (const auto& entry : patterns.Patterns())
        m_hatchPatterns[entry.first] = entry.second->GetDatabaseId();
    m_insertedPatternRows = patterns.InsertedRows();
    m_attributes = CSiteAttributeRows::TakeSnapshot(control);
}

void CDatabaseIdSnapshot::Restore()
{
    m_control.SetSiteId(m_siteId);
    CShapeMap& map = m_control.GetShapeMap();
    // Only shapes still in the drawing are touched (a save adds and removes none).
    for (const auto& entry : map.Shapes()) {
        auto it = m_shapes.find(entry.second);
        if (it == m_shapes.end())
            continue;
        CShape* shape = entry.second;
        shape->SetDatabaseId(it->second.databaseId);
        if (auto* polyline = dynamic_cast<CPolyline*>(shape)) {
            const auto& vertices = it->second.vertices;
            for (size_t i = 0; i < vertices.size(); ++i) {
                if (CVertexRecord* vertex = polyline->GetVertexAt(static_cast<int>(i))) {
                    vertex->databaseId = vertices[i].first;
                    vertex->shapePointId = vertices[i].second;
                }
            }
        }
    }
    map.RestoreDbTables(m_shapeDbIds, m_sourceSites, m_nextDbShapeId);
    CPointPool& pool = m_control.GetPointPool();
    for (const auto& entry : m_points)
        if (CPointRecord* point = pool.Find(entry.first))
            point->SetDatabaseId(entry.second);
    pool.SetDatabaseIndex(m_pointIndex);
    pool.SetNextDatabaseId(m_nextPointDbId);
    m_control.GetDbIdCounters() = m_counters;
    for (const auto& entry : m_control.GetDrawingSettingMap().Settings()) {
        auto it = m_settings.find(entry.first);
        if (it != m_settings.end())
            entry.second->DatabaseID = it->second;
    }
    m_control.GetDrawingSettingMap().SetOrigins(m_settingOrigins);
    CViewportList& views = m_control.GetViewportList();
    for (int i = 0; i < views.GetCount() && i < static_cast<int>(m_viewports.size()); ++i)
        if (CViewportRecord* view = views.GetAt(i))
            view->databaseID = m_viewports[static_cast<size_t>(i)];
    views.SetSourceSites(m_viewportSites);
    m_control.GetImageResourceMap().RestoreDatabaseIds(m_images);
    // A pattern the rolled-back save inserted names a row nobody stores (or, later, another
    // session's): it is new again.
    CHatchPatternMap& patterns = m_control.GetHatchPatternMap();
    for (const auto& entry : patterns.Patterns()) {
        auto it = m_hatchPatterns.find(entry.first);
        entry.second->SetDatabaseId(it != m_hatchPatterns.end() ? it->second : 0);
    }
    patterns.SetInsertedRows(m_insertedPatternRows);
    CSiteAttributeRows::RestoreSnapshot(m_control, m_attributes);
}
