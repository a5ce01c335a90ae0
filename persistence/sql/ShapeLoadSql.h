#pragma once
#include "persistence/SqlStatement.h"

// The queries that load shapes: one per query kind and scope (the whole site, a group with its
// direct children, one shape). Kinds without a text of their own for a scope use the one-shape
// text; ShapeQuery answers the statement of a kind and scope, or null.

namespace ShapeLoadSql {

extern const SqlStatement ShapesSite;
extern const SqlStatement ShapesGroup;
extern const SqlStatement ShapesOne;
extern const SqlStatement ShapePointsSite;
extern const SqlStatement ShapePointsOne;
extern const SqlStatement LinkedPointsSite;
extern const SqlStatement LinkedPointsOne;
extern const SqlStatement PointLinksOne;
extern const SqlStatement GroupsSite;
extern const SqlStatement GroupsGroup;
extern const SqlStatement GroupsOne;
extern const SqlStatement LayerSettingsSite;
extern const SqlStatement LayerSettingsOne;
extern const SqlStatement LayersSite;
extern const SqlStatement LayersOne;
extern const SqlStatement PolylinesSite;
extern const SqlStatement PolylinesGroup;
extern const SqlStatement PolylinesOne;
extern const SqlStatement ArcsSite;
extern const SqlStatement ArcsGroup;
extern const SqlStatement ArcsOne;
extern const SqlStatement EllipsesSite;
extern const SqlStatement EllipsesGroup;
extern const SqlStatement EllipsesOne;
extern const SqlStatement ImagesSite;
extern const SqlStatement ImagesGroup;
extern const SqlStatement ImagesOne;
extern const SqlStatement CirclesSite;
extern const SqlStatement CirclesGroup;
extern const SqlStatement CirclesOne;
extern const SqlStatement ReferencesSite;
extern const SqlStatement ReferencesGroup;
extern const SqlStatement ReferencesOne;
extern const SqlStatement TextsSite;
extern const SqlStatement TextsGroup;
extern const SqlStatement TextsOne;
extern const SqlStatement VertexesSite;
extern const SqlStatement VertexesGroup;
extern const SqlStatement VertexesOne;
extern const SqlStatement LinesSite;
extern const SqlStatement LinesGroup;
extern const SqlStatement LinesOne;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

// Query kinds and scopes of the shape loader.
enum ShapeQueryScope { ScopeSite = 0, ScopeGroup = 1, ScopeShape = 2 };
// The statement of a query kind (0 to 13, 16, 17) for a scope; null for kinds without a text
// (14, 15, above 17, kind 3 for the whole site).
const SqlStatement* ShapeQuery(int kind, int scope);

} // namespace ShapeLoadSql
