#include "persistence/sql/ShapeLoadSql.h"

namespace ShapeLoadSql {

// Kind 0, v_Shapes (read by position). Parents before children: top-level
// shapes (no group) first, as SQL Server and SQLite sort NULL first.
const SqlStatement ShapesSite{"ShapeLoadSql.ShapesSite",
    "select * from v_Shapes  where siteID = %d order by groupShapeID, zOrder",
    nullptr,
    "select * from v_Shapes  where siteID = %d order by groupShapeID nulls first, zOrder"};

const SqlStatement ShapesGroup{"ShapeLoadSql.ShapesGroup",
    "select * from v_Shapes where shapeID = %d union select * from v_Shapes where"
    " groupShapeID = %d",
    nullptr, nullptr};

const SqlStatement ShapesOne{"ShapeLoadSql.ShapesOne",
    "select * from v_Shapes where shapeID = %d",
    nullptr, nullptr};

// Kind 1: shape points in list order. Point rows (kinds 1 and 2) hold the shape, the point,
// its scenario, X and Y.
const SqlStatement ShapePointsSite{"ShapeLoadSql.ShapePointsSite",
    "select shapePoints.shapeID, points.pointID, points.scenarioID, points.x, points.y\n"
    "\t\tfrom\n"
    "\t\t\tv_shapes shapes,\n"
    "\t\t\tv_shapePoints shapePoints,\n"
    "\t\t\tv_points points\n"
    "\t\twhere\n"
    "\t\t\tshapes.shapeID = shapePoints.shapeID and\n"
    "\t\t\tpoints.pointID = shapePoints.pointID and\n"
    "\t\t\tshapes.siteID = %d\n"
    "\t\t\torder by shapes.shapeID, shapePoints.[number]",
    nullptr, nullptr};

const SqlStatement ShapePointsOne{"ShapeLoadSql.ShapePointsOne",
    "select shapePoints.shapeID, points.pointID, points.scenarioID, points.x, points.y\n"
    "\t\tfrom\n"
    "\t\t\tv_points points,\n"
    "\t\t\tv_shapePoints shapePoints\n"
    "\t\twhere\n"
    "\t\t\tpoints.pointID = shapePoints.pointID and\n"
    "\t\t\tshapePoints.shapeID = %d\n"
    "\t\torder by shapePoints.[number]",
    nullptr, nullptr};

// Kind 2: linked points.
const SqlStatement LinkedPointsSite{"ShapeLoadSql.LinkedPointsSite",
    "select linkedPoints.shapeID, points.pointID, points.scenarioID, points.x, points.y\n"
    "\t\tfrom\n"
    "\t\t\tv_shapes shapes,\n"
    "\t\t\tv_linkedPoints linkedPoints,\n"
    "\t\t\tv_points points\n"
    "\t\twhere\n"
    "\t\t\tshapes.shapeID = linkedPoints.shapeID and\n"
    "\t\t\tpoints.pointID = linkedPoints.pointID and\n"
    "\t\t\tshapes.siteID = %d\n"
    "\t\torder by shapes.shapeID",
    nullptr, nullptr};

const SqlStatement LinkedPointsOne{"ShapeLoadSql.LinkedPointsOne",
    "select linkedPoints.shapeID, points.pointID, points.scenarioID, points.x, points.y\n"
    "\t\tfrom\n"
    "\t\t\tv_points points,\n"
    "\t\t\tv_linkedPoints linkedPoints\n"
    "\t\twhere\n"
    "\t\t\tpoints.pointID = linkedPoints.pointID and\n"
    "\t\t\tlinkedPoints.shapeID = %d",
    nullptr, nullptr};

// Kind 3: the links of other shapes to the points of a shape.
const SqlStatement PointLinksOne{"ShapeLoadSql.PointLinksOne",
    "select linkedPoints.*\n"
    "\tfrom\n"
    "\t\tv_shapePoints shapePoints,\n"
    "\t\tv_linkedPoints linkedPoints\n"
    "\twhere\n"
    "\t\tshapePoints.shapeID  = %d and\n"
    "\t\tlinkedPoints.pointID = shapePoints.pointID",
    nullptr, nullptr};

// Kind 4: group names.
const SqlStatement GroupsSite{"ShapeLoadSql.GroupsSite",
    "select [ShapeID], [ScenarioID], [Name] from v_GroupShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement GroupsGroup{"ShapeLoadSql.GroupsGroup",
    "select [ShapeID], [ScenarioID], "
    "[Name] from v_GroupShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement GroupsOne{"ShapeLoadSql.GroupsOne",
    "select [ShapeID], [ScenarioID], [Name]  from v_GroupShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 5: layer settings.
const SqlStatement LayerSettingsSite{"ShapeLoadSql.LayerSettingsSite",
    "select [v_LayerShapes].[shapeID], [LayerSettings].[On], [LayerSettings].[Enable], "
    "[LayerSettings].[Select] from [LayerSettings], "
    "[v_LayerShapes] where [v_LayerShapes].[SiteID]  = %d and"
    " [LayerSettings].[LayerShapeID] = [v_LayerShapes].[ShapeID]",
    nullptr, nullptr};

const SqlStatement LayerSettingsOne{"ShapeLoadSql.LayerSettingsOne",
    "select [LayerShapeID], [On], [Enable], "
    "[Select] from [LayerSettings] where [LayerShapeID]  = %d",
    nullptr, nullptr};

// Kind 6: layer names.
const SqlStatement LayersSite{"ShapeLoadSql.LayersSite",
    "select [ShapeID], [ScenarioID], [Name] from v_LayerShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement LayersOne{"ShapeLoadSql.LayersOne",
    "select [ShapeID], [ScenarioID], [Name]  from v_LayerShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 7.
const SqlStatement PolylinesSite{"ShapeLoadSql.PolylinesSite",
    "select [ShapeID], [ScenarioID], [DefStartWidth], [DefEndWidth], [FirstArrowTypeID], "
    "[SecondArrowTypeID] from v_PolylineShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement PolylinesGroup{"ShapeLoadSql.PolylinesGroup",
    "select [ShapeID], [ScenarioID], [DefStartWidth], [DefEndWidth], [FirstArrowTypeID], "
    "[SecondArrowTypeID] from v_PolylineShapes where ( [groupShapeID] = %d or [shapeID] ="
    " %d)",
    nullptr, nullptr};

const SqlStatement PolylinesOne{"ShapeLoadSql.PolylinesOne",
    "select [ShapeID], [ScenarioID], [DefStartWidth], [DefEndWidth], [FirstArrowTypeID], "
    "[SecondArrowTypeID]  from v_PolylineShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 8.
const SqlStatement ArcsSite{"ShapeLoadSql.ArcsSite",
    "select [ShapeID], [ScenarioID], [Radius], [StartAngle], "
    "[EndAngle] from v_ArcShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement ArcsGroup{"ShapeLoadSql.ArcsGroup",
    "select [ShapeID], [ScenarioID], [Radius], [StartAngle], "
    "[EndAngle] from v_ArcShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement ArcsOne{"ShapeLoadSql.ArcsOne",
    "select [ShapeID], [ScenarioID], [Radius], [StartAngle], "
    "[EndAngle]  from v_ArcShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 9.
const SqlStatement EllipsesSite{"ShapeLoadSql.EllipsesSite",
    "select [ShapeID], [ScenarioID], [MinorRatio], [ZExtrusion], [StartAngle], "
    "[EndAngle], [MajorX], [MajorY] from v_EllipseShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement EllipsesGroup{"ShapeLoadSql.EllipsesGroup",
    "select [ShapeID], [ScenarioID], [MinorRatio], [ZExtrusion], [StartAngle], "
    "[EndAngle], [MajorX], [MajorY] from v_EllipseShapes where ( [groupShapeID] = %d or"
    " [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement EllipsesOne{"ShapeLoadSql.EllipsesOne",
    "select [ShapeID], [ScenarioID], [MinorRatio], [ZExtrusion], [StartAngle], "
    "[EndAngle], [MajorX], [MajorY]  from v_EllipseShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 10.
const SqlStatement ImagesSite{"ShapeLoadSql.ImagesSite",
    "select [ShapeID], [ScenarioID], [Width], [Height], [RotationAngle], "
    "[ImageResourceID] from v_ImageShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement ImagesGroup{"ShapeLoadSql.ImagesGroup",
    "select [ShapeID], [ScenarioID], [Width], [Height], [RotationAngle], "
    "[ImageResourceID] from v_ImageShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement ImagesOne{"ShapeLoadSql.ImagesOne",
    "select [ShapeID], [ScenarioID], [Width], [Height], [RotationAngle], "
    "[ImageResourceID]  from v_ImageShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 11.
const SqlStatement CirclesSite{"ShapeLoadSql.CirclesSite",
    "select [ShapeID], [ScenarioID], [Radius] from v_CircleShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement CirclesGroup{"ShapeLoadSql.CirclesGroup",
    "select [ShapeID], [ScenarioID], "
    "[Radius] from v_CircleShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement CirclesOne{"ShapeLoadSql.CirclesOne",
    "select [ShapeID], [ScenarioID], [Radius]  from v_CircleShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 12.
const SqlStatement ReferencesSite{"ShapeLoadSql.ReferencesSite",
    "select [ShapeID], [ScenarioID], [XScale], [YScale], [RotationAngle], "
    "[BlockGroupShapeID] from v_ReferenceShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement ReferencesGroup{"ShapeLoadSql.ReferencesGroup",
    "select [ShapeID], [ScenarioID], [XScale], [YScale], [RotationAngle], "
    "[BlockGroupShapeID] from v_ReferenceShapes where ( [groupShapeID] = %d or [shapeID]"
    " = %d)",
    nullptr, nullptr};

const SqlStatement ReferencesOne{"ShapeLoadSql.ReferencesOne",
    "select [ShapeID], [ScenarioID], [XScale], [YScale], [RotationAngle], "
    "[BlockGroupShapeID]  from v_ReferenceShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 13.
const SqlStatement TextsSite{"ShapeLoadSql.TextsSite",
    "select [ShapeID], [ScenarioID], [Text], [Type], [Height], [Width], [AlignType], "
    "[XScale], [RotationAngle], [FontName], [Charset] from v_TextShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement TextsGroup{"ShapeLoadSql.TextsGroup",
    "select [ShapeID], [ScenarioID], [Text], [Type], [Height], [Width], [AlignType], "
    "[XScale], [RotationAngle], [FontName], "
    "[Charset] from v_TextShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement TextsOne{"ShapeLoadSql.TextsOne",
    "select [ShapeID], [ScenarioID], [Text], [Type], [Height], [Width], [AlignType], "
    "[XScale], [RotationAngle], [FontName], "
    "[Charset]  from v_TextShapes where [shapeID] = %d",
    nullptr, nullptr};

// Kind 16: vertices (v_Vertexes read by position).
const SqlStatement VertexesSite{"ShapeLoadSql.VertexesSite",
    "select sp.ShapeID, sp.PointID, vert.* from v_Vertexes vert, v_shapepoints sp, "
    "v_shapes s    where           s.siteID=%d           and sp.shapeID=s.shapeID        "
    "  and sp.shapepointid=vert.shapepointid",
    nullptr, nullptr};

const SqlStatement VertexesGroup{"ShapeLoadSql.VertexesGroup",
    "select sp.ShapeID, sp.PointID, vert.* from v_Vertexes vert, v_shapepoints sp, "
    "v_shapes s    where         (s.ShapeID=%d or s.groupShapeID = %d)         and"
    " sp.shapeID=s.shapeID        and sp.shapepointid=vert.shapepointid",
    nullptr, nullptr};

const SqlStatement VertexesOne{"ShapeLoadSql.VertexesOne",
    "select sp.ShapeID, sp.PointID, vert.* from v_Vertexes vert, "
    "v_shapepoints sp    where         sp.shapeID=%d        and"
    " sp.shapepointid=vert.shapepointid",
    nullptr, nullptr};

// Kind 17.
const SqlStatement LinesSite{"ShapeLoadSql.LinesSite",
    "select [ShapeID], [ScenarioID], [FirstArrowTypeID], "
    "[SecondArrowTypeID] from v_LineShapes where [siteID] = %d",
    nullptr, nullptr};

const SqlStatement LinesGroup{"ShapeLoadSql.LinesGroup",
    "select [ShapeID], [ScenarioID], [FirstArrowTypeID], "
    "[SecondArrowTypeID] from v_LineShapes where ( [groupShapeID] = %d or [shapeID] = %d)",
    nullptr, nullptr};

const SqlStatement LinesOne{"ShapeLoadSql.LinesOne",
    "select [ShapeID], [ScenarioID], [FirstArrowTypeID], "
    "[SecondArrowTypeID]  from v_LineShapes where [shapeID] = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &ShapesSite,
    &ShapesGroup,
    &ShapesOne,
    &ShapePointsSite,
    &ShapePointsOne,
    &LinkedPointsSite,
    &LinkedPointsOne,
    &PointLinksOne,
    &GroupsSite,
    &GroupsGroup,
    &GroupsOne,
    &LayerSettingsSite,
    &LayerSettingsOne,
    &LayersSite,
    &LayersOne,
    &PolylinesSite,
    &PolylinesGroup,
    &PolylinesOne,
    &ArcsSite,
    &ArcsGroup,
    &ArcsOne,
    &EllipsesSite,
    &EllipsesGroup,
    &EllipsesOne,
    &ImagesSite,
    &ImagesGroup,
    &ImagesOne,
    &CirclesSite,
    &CirclesGroup,
    &CirclesOne,
    &ReferencesSite,
    &ReferencesGroup,
    &ReferencesOne,
    &TextsSite,
    &TextsGroup,
    &TextsOne,
    &VertexesSite,
    &VertexesGroup,
    &VertexesOne,
    &LinesSite,
    &LinesGroup,
    &LinesOne};

SqlStatementList All()
{
    return {"Shape loading", kAll, sizeof kAll / sizeof kAll[0]};
}

const SqlStatement* ShapeQuery(int kind, int scope)
{
    if (scope < ScopeSite || scope > ScopeShape)
        return nullptr;
    // {site, group, one shape}; a null group entry takes the one-shape text.
    static const SqlStatement* const kQueries[18][3] = {
        {&ShapesSite, &ShapesGroup, &ShapesOne},
        {&ShapePointsSite, nullptr, &ShapePointsOne},
        {&LinkedPointsSite, nullptr, &LinkedPointsOne},
        {nullptr, nullptr, &PointLinksOne},
        {&GroupsSite, &GroupsGroup, &GroupsOne},
        {&LayerSettingsSite, nullptr, &LayerSettingsOne},
        {&LayersSite, nullptr, &LayersOne},
        {&PolylinesSite, &PolylinesGroup, &PolylinesOne},
        {&ArcsSite, &ArcsGroup, &ArcsOne},
        {&EllipsesSite, &EllipsesGroup, &EllipsesOne},
        {&ImagesSite, &ImagesGroup, &ImagesOne},
        {&CirclesSite, &CirclesGroup, &CirclesOne},
        {&ReferencesSite, &ReferencesGroup, &ReferencesOne},
        {&TextsSite, &TextsGroup, &TextsOne},
        {nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr},
        {&VertexesSite, &VertexesGroup, &VertexesOne},
        {&LinesSite, &LinesGroup, &LinesOne},
    };
    if (kind < 0 || kind > 17)
        return nullptr;
    const SqlStatement* statement = kQueries[kind][scope];
    if (!statement && scope == ScopeGroup)
        statement = kQueries[kind][ScopeShape];
    return statement;
}

} // namespace ShapeLoadSql
