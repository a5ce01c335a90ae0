#pragma once
#include "persistence/SqlStatement.h"

// Deleting a site's rows, pass by pass from the leaves of the group, block and layer tree up.
// SQL Server's "delete T from T where exists" is "delete from T where exists" elsewhere.

namespace SiteDeleteSql {

extern const SqlStatement DeleteDrawingSettings;
extern const SqlStatement DeleteVertexesOfPoints;
extern const SqlStatement DeleteVertexesOfShapes;
extern const SqlStatement DeleteShapePointsOfPoints;
extern const SqlStatement DeleteShapePointsOfShapes;
extern const SqlStatement DeleteLinkedPointsOfPoints;
extern const SqlStatement DeleteLinkedPointsOfShapes;
extern const SqlStatement DeleteShapeAttributesOfShapes;
extern const SqlStatement DeleteShapeAttributeGroupsOfShapes;
extern const SqlStatement DeletePoints;
extern const SqlStatement DeleteCircleShapes;
extern const SqlStatement DeletePolylineShapes;
extern const SqlStatement DeleteArcShapes;
extern const SqlStatement DeleteEllipseShapes;
extern const SqlStatement DeleteImageShapes;
extern const SqlStatement DeleteTextShapes;
extern const SqlStatement DeleteReferenceShapes;
extern const SqlStatement DeleteLineShapes;
extern const SqlStatement DeleteGroupRows;
extern const SqlStatement DeleteLayerSettings;
extern const SqlStatement DeleteLayerRows;
extern const SqlStatement DeleteShapes;
extern const SqlStatement DeleteViewports;
extern const SqlStatement DeleteIncludedSites;
extern const SqlStatement DeleteSiteAttributes;
extern const SqlStatement DeleteSite;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

// The kind-table deletes, in the order in which a pass runs them.
extern const SqlStatement* const KindRowDeletes[];
extern const size_t KindRowDeleteCount;

} // namespace SiteDeleteSql
