#pragma once
#include <map>
#include <set>
#include <vector>
#include "control/SiteAttributeRows.h"
#include "interchange/ImageResourceMap.h"
#include "model/ShapeHost.h"

class CControlCore;
class CShape;

// The database IDs that the drawing holds (shapes with their polyline vertices, points, drawing
// settings, viewports, image resources, hatch patterns, the attribute model, the tables that tie them to rows and sites, and the
// counters of new IDs), taken before a save writes the site anew and put back when the save is rolled back: the
// drawing then still names the rows that stayed stored.
class CDatabaseIdSnapshot
{
public:
    explicit CDatabaseIdSnapshot(CControlCore& control);
    void Restore();

private:
    struct ShapeIds
    {
        int databaseId;
        std::vector<std::pair<int, int>> vertices;  // databaseId, shapePointId
    };

    CControlCore& m_control;
    int m_siteId;
    std::map<CShape*, ShapeIds> m_shapes;
    std::map<int, int> m_shapeDbIds;
    std::map<int, int> m_sourceSites;
    int m_nextDbShapeId;
    std::map<int, int> m_points;  // point ID -> database ID
    std::map<int, int> m_pointIndex;
    int m_nextPointDbId;
    CDbIdCounters m_counters;
    std::map<int, int> m_settings;  // setting ID -> database ID
    std::map<int, int> m_settingOrigins;
    std::vector<int> m_viewports;   // database ID by position
    std::map<int, int> m_viewportSites;
    CImageResourceMap::DatabaseIds m_images;
    std::map<int, int> m_hatchPatterns;  // pattern ID -> database ID
    std::set<int> m_insertedPatternRows;
    CSiteAttributeRows::Snapshot m_attributes;
};
