#include "persistence/sql/SiteDeleteSql.h"

namespace SiteDeleteSql {

const SqlStatement DeleteDrawingSettings{"SiteDeleteSql.DeleteDrawingSettings",
    "delete from drawingSettings where siteID = %d",
    nullptr, nullptr};

// Vertices of the site's points, then of its shapes.
static const char kDeleteVertexesOfPointsElsewhere[] =
    "delete from vertexes                    where exists                    (select *   "
    "                 from                    shapepoints, "
    "                   Points                    where                   "
    " vertexes.shapepointid=ShapePoints.ShapePointID and                   "
    " ShapePoints.PointID=Points.PointID and                    Points.SiteID=%d         "
    "           )";
const SqlStatement DeleteVertexesOfPoints{"SiteDeleteSql.DeleteVertexesOfPoints",
    "delete vertexes                    from vertexes                    where exists    "
    "                (select *                    from                    shapepoints, "
    "                   Points                    where                   "
    " vertexes.shapepointid=ShapePoints.ShapePointID and                   "
    " ShapePoints.PointID=Points.PointID and                    Points.SiteID=%d         "
    "           )",
    kDeleteVertexesOfPointsElsewhere, kDeleteVertexesOfPointsElsewhere};

static const char kDeleteVertexesOfShapesElsewhere[] =
    "delete from vertexes                    where exists                    (select *   "
    "                 from                    shapepoints, "
    "                   Shapes                    where                   "
    " vertexes.shapepointid=ShapePoints.shapepointid and                   "
    " ShapePoints.ShapeID=Shapes.ShapeID and                    Shapes.SiteID=%d         "
    "           )";
const SqlStatement DeleteVertexesOfShapes{"SiteDeleteSql.DeleteVertexesOfShapes",
    "delete vertexes                    from vertexes                    where exists    "
    "                (select *                    from                    shapepoints, "
    "                   Shapes                    where                   "
    " vertexes.shapepointid=ShapePoints.shapepointid and                   "
    " ShapePoints.ShapeID=Shapes.ShapeID and                    Shapes.SiteID=%d         "
    "           )",
    kDeleteVertexesOfShapesElsewhere, kDeleteVertexesOfShapesElsewhere};

static const char kDeleteShapePointsOfPointsElsewhere[] =
    "\tdelete from ShapePoints \twhere exists \t\t(select * \t\t from \t\t\tPoints \t\t"
    " where \t\t\tShapePoints.PointID=Points.PointID and \t\t\tPoints.SiteID=%d \t\t )";
const SqlStatement DeleteShapePointsOfPoints{"SiteDeleteSql.DeleteShapePointsOfPoints",
    "\tdelete ShapePoints \tfrom ShapePoints \twhere exists \t\t(select * \t\t from"
    " \t\t\tPoints \t\t where \t\t\tShapePoints.PointID=Points.PointID and"
    " \t\t\tPoints.SiteID=%d \t\t )",
    kDeleteShapePointsOfPointsElsewhere, kDeleteShapePointsOfPointsElsewhere};

static const char kDeleteShapePointsOfShapesElsewhere[] =
    "\tdelete from ShapePoints \twhere exists \t\t(select * \t\t from \t\t\tShapes \t\t"
    " where \t\t\tShapePoints.ShapeID=Shapes.ShapeID and \t\t\tShapes.SiteID=%d \t\t )";
const SqlStatement DeleteShapePointsOfShapes{"SiteDeleteSql.DeleteShapePointsOfShapes",
    "\tdelete ShapePoints \tfrom ShapePoints \twhere exists \t\t(select * \t\t from"
    " \t\t\tShapes \t\t where \t\t\tShapePoints.ShapeID=Shapes.ShapeID and"
    " \t\t\tShapes.SiteID=%d \t\t )",
    kDeleteShapePointsOfShapesElsewhere, kDeleteShapePointsOfShapesElsewhere};

static const char kDeleteLinkedPointsOfPointsElsewhere[] =
    "\tdelete from LinkedPoints \twhere exists \t\t(select * \t\t from \t\t\tPoints \t\t"
    " where \t\t\tLinkedPoints.PointID=Points.PointID and \t\t\tPoints.SiteID=%d \t\t )";
const SqlStatement DeleteLinkedPointsOfPoints{"SiteDeleteSql.DeleteLinkedPointsOfPoints",
    "\tdelete LinkedPoints \tfrom LinkedPoints \twhere exists \t\t(select * \t\t from"
    " \t\t\tPoints \t\t where \t\t\tLinkedPoints.PointID=Points.PointID and"
    " \t\t\tPoints.SiteID=%d \t\t )",
    kDeleteLinkedPointsOfPointsElsewhere, kDeleteLinkedPointsOfPointsElsewhere};

static const char kDeleteLinkedPointsOfShapesElsewhere[] =
    "\tdelete from LinkedPoints \twhere exists \t\t(select * \t\t from \t\t\tShapes \t\t"
    " where \t\t\tLinkedPoints.ShapeID=Shapes.ShapeID and \t\t\tShapes.SiteID=%d \t\t )";
const SqlStatement DeleteLinkedPointsOfShapes{"SiteDeleteSql.DeleteLinkedPointsOfShapes",
    "\tdelete LinkedPoints \tfrom LinkedPoints \twhere exists \t\t(select * \t\t from"
    " \t\t\tShapes \t\t where \t\t\tLinkedPoints.ShapeID=Shapes.ShapeID and"
    " \t\t\tShapes.SiteID=%d \t\t )",
    kDeleteLinkedPointsOfShapesElsewhere, kDeleteLinkedPointsOfShapesElsewhere};

// The shapes' links to attribute values and attribute groups: left behind, they would name shape
// IDs that later rows take.
const SqlStatement DeleteShapeAttributesOfShapes{"SiteDeleteSql.DeleteShapeAttributesOfShapes",
    "delete from ShapeAttributes where exists (select * from Shapes where"
    " ShapeAttributes.ShapeID=Shapes.ShapeID and Shapes.SiteID=%d)",
    nullptr, nullptr};

const SqlStatement DeleteShapeAttributeGroupsOfShapes{"SiteDeleteSql.DeleteShapeAttributeGroupsOfShapes",
    "delete from ShapeAttributeGroups where exists (select * from Shapes where"
    " ShapeAttributeGroups.ShapeID=Shapes.ShapeID and Shapes.SiteID=%d)",
    nullptr, nullptr};

const SqlStatement DeletePoints{"SiteDeleteSql.DeletePoints",
    "delete from points where siteID = %d",
    nullptr, nullptr};

// The kind rows of the site's shapes, through their views.
static const char kDeleteCircleShapesElsewhere[] =
    "delete from CircleShapes where exists ( select * from v_CircleShapes vtbl where"
    " vtbl.ShapeID = CircleShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteCircleShapes{"SiteDeleteSql.DeleteCircleShapes",
    "delete CircleShapes from CircleShapes tbl\twhere exists ( select * from"
    " v_CircleShapes vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteCircleShapesElsewhere, kDeleteCircleShapesElsewhere};

static const char kDeletePolylineShapesElsewhere[] =
    "delete from PolylineShapes where exists ( select * from v_PolylineShapes vtbl where"
    " vtbl.ShapeID = PolylineShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeletePolylineShapes{"SiteDeleteSql.DeletePolylineShapes",
    "delete PolylineShapes from PolylineShapes tbl\twhere exists ( select * from"
    " v_PolylineShapes vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeletePolylineShapesElsewhere, kDeletePolylineShapesElsewhere};

static const char kDeleteArcShapesElsewhere[] =
    "delete from ArcShapes where exists ( select * from v_ArcShapes vtbl where"
    " vtbl.ShapeID = ArcShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteArcShapes{"SiteDeleteSql.DeleteArcShapes",
    "delete ArcShapes from ArcShapes tbl\twhere exists ( select * from v_ArcShapes vtbl"
    " where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteArcShapesElsewhere, kDeleteArcShapesElsewhere};

static const char kDeleteEllipseShapesElsewhere[] =
    "delete from EllipseShapes where exists ( select * from v_EllipseShapes vtbl where"
    " vtbl.ShapeID = EllipseShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteEllipseShapes{"SiteDeleteSql.DeleteEllipseShapes",
    "delete EllipseShapes from EllipseShapes tbl\twhere exists ( select * from"
    " v_EllipseShapes vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteEllipseShapesElsewhere, kDeleteEllipseShapesElsewhere};

static const char kDeleteImageShapesElsewhere[] =
    "delete from ImageShapes where exists ( select * from v_ImageShapes vtbl where"
    " vtbl.ShapeID = ImageShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteImageShapes{"SiteDeleteSql.DeleteImageShapes",
    "delete ImageShapes from ImageShapes tbl\twhere exists ( select * from v_ImageShapes"
    " vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteImageShapesElsewhere, kDeleteImageShapesElsewhere};

static const char kDeleteTextShapesElsewhere[] =
    "delete from TextShapes where exists ( select * from v_TextShapes vtbl where"
    " vtbl.ShapeID = TextShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteTextShapes{"SiteDeleteSql.DeleteTextShapes",
    "delete TextShapes from TextShapes tbl\twhere exists ( select * from v_TextShapes"
    " vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteTextShapesElsewhere, kDeleteTextShapesElsewhere};

static const char kDeleteReferenceShapesElsewhere[] =
    "delete from ReferenceShapes where exists ( select * from v_ReferenceShapes vtbl"
    " where vtbl.ShapeID = ReferenceShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteReferenceShapes{"SiteDeleteSql.DeleteReferenceShapes",
    "delete ReferenceShapes from ReferenceShapes tbl\twhere exists ( select * from"
    " v_ReferenceShapes vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteReferenceShapesElsewhere, kDeleteReferenceShapesElsewhere};

// Line rows go too: a new shape that takes the ID of a deleted line would
// find its row still there.
static const char kDeleteLineShapesElsewhere[] =
    "delete from LineShapes where exists ( select * from v_LineShapes vtbl where"
    " vtbl.ShapeID = LineShapes.ShapeID And [SiteID]=%d)";
const SqlStatement DeleteLineShapes{"SiteDeleteSql.DeleteLineShapes",
    "delete LineShapes from LineShapes tbl\twhere exists ( select * from v_LineShapes"
    " vtbl where vtbl.ShapeID = tbl.ShapeID And [SiteID]=%d)",
    kDeleteLineShapesElsewhere, kDeleteLineShapesElsewhere};

// Group rows of groups without children that no block reference uses.
static const char kDeleteGroupRowsElsewhere[] =
    "delete from GroupShapes \twhere exists \t\t(select * \t\t from \t\t\tShapes \t\t"
    " where \t\t\tGroupShapes.ShapeID=Shapes.ShapeID and \t\t\tShapes.SiteID=%d and"
    " \t\t\tnot exists(select * from shapes kids where kids.groupShapeID ="
    " shapes.shapeID) and \t\t\tnot exists(select * from referenceShapes kids where"
    " kids.blockGroupShapeID = shapes.shapeID) \t\t)";
const SqlStatement DeleteGroupRows{"SiteDeleteSql.DeleteGroupRows",
    "delete GroupShapes \tfrom GroupShapes \twhere exists \t\t(select * \t\t from"
    " \t\t\tShapes \t\t where \t\t\tGroupShapes.ShapeID=Shapes.ShapeID and"
    " \t\t\tShapes.SiteID=%d and \t\t\tnot exists(select * from shapes kids where"
    " kids.groupShapeID = shapes.shapeID) and \t\t\tnot exists(select * from"
    " referenceShapes kids where kids.blockGroupShapeID = shapes.shapeID) \t\t)",
    kDeleteGroupRowsElsewhere, kDeleteGroupRowsElsewhere};

// Settings and rows of layers without shapes.
static const char kDeleteLayerSettingsElsewhere[] =
    "delete from\n"
    "    [layerSettings]\n"
    "    where exists\n"
    "        (select * from [shapes], [layershapes]\n"
    "         where\n"
    "            [shapes].[shapeID] = [layerShapes].[shapeID] and\n"
    "            [shapes].[shapeID] = [layerSettings].[LayerShapeID] and\n"
    "            [shapes].[siteID] = %d and\n"
    "            not exists(select * from shapes kids where [kids].[layerShapeID] ="
    " [shapes].[shapeID])\n"
    "        )\n";
const SqlStatement DeleteLayerSettings{"SiteDeleteSql.DeleteLayerSettings",
    "delete layerSettings \n"
    "    from\n"
    "    [layerSettings]\n"
    "    where exists\n"
    "        (select * from [shapes], [layershapes]\n"
    "         where\n"
    "            [shapes].[shapeID] = [layerShapes].[shapeID] and\n"
    "            [shapes].[shapeID] = [layerSettings].[LayerShapeID] and\n"
    "            [shapes].[siteID] = %d and\n"
    "            not exists(select * from shapes kids where [kids].[layerShapeID] ="
    " [shapes].[shapeID])\n"
    "        )\n",
    kDeleteLayerSettingsElsewhere, kDeleteLayerSettingsElsewhere};

static const char kDeleteLayerRowsElsewhere[] =
    "delete from LayerShapes \twhere exists \t\t(select * \t\t from \t\t\tShapes \t\t"
    " where \t\t\tLayerShapes.ShapeID=Shapes.ShapeID and \t\t\tShapes.SiteID=%d and"
    " \t\t\tnot exists(select * from shapes kids where kids.layerShapeID ="
    " shapes.shapeID) \t\t)";
const SqlStatement DeleteLayerRows{"SiteDeleteSql.DeleteLayerRows",
    "delete LayerShapes \tfrom LayerShapes \twhere exists \t\t(select * \t\t from"
    " \t\t\tShapes \t\t where \t\t\tLayerShapes.ShapeID=Shapes.ShapeID and"
    " \t\t\tShapes.SiteID=%d and \t\t\tnot exists(select * from shapes kids where"
    " kids.layerShapeID = shapes.shapeID) \t\t)",
    kDeleteLayerRowsElsewhere, kDeleteLayerRowsElsewhere};

// Shapes that are nobody's group, block or layer.
static const char kDeleteShapesElsewhere[] =
    "delete from shapes \n"
    "\twhere \n"
    "\t\tsiteID = %d and\n"
    "\t\tnot exists(select * from shapes kids where kids.groupShapeID = shapes.shapeID)"
    " and \n"
    "\t\tnot exists(select * from referenceShapes kids where kids.blockGroupShapeID ="
    " shapes.shapeID) and \n"
    "\t\tnot exists(select * from shapes kids where kids.layerShapeID = shapes.shapeID) \n"
    "\t\t";
const SqlStatement DeleteShapes{"SiteDeleteSql.DeleteShapes",
    "delete shapes \n"
    "\tfrom shapes \n"
    "\twhere \n"
    "\t\tsiteID = %d and\n"
    "\t\tnot exists(select * from shapes kids where kids.groupShapeID = shapes.shapeID)"
    " and \n"
    "\t\tnot exists(select * from referenceShapes kids where kids.blockGroupShapeID ="
    " shapes.shapeID) and \n"
    "\t\tnot exists(select * from shapes kids where kids.layerShapeID = shapes.shapeID) \n"
    "\t\t",
    kDeleteShapesElsewhere, kDeleteShapesElsewhere};

// After the last pass.
const SqlStatement DeleteViewports{"SiteDeleteSql.DeleteViewports",
    "delete from viewPorts where siteID = %d",
    nullptr, nullptr};

// Only when the site itself goes.
const SqlStatement DeleteIncludedSites{"SiteDeleteSql.DeleteIncludedSites",
    "delete from includedsites where siteID = %d",
    nullptr, nullptr};

// The attribute groups given to the site, which a later site of the same ID would inherit.
const SqlStatement DeleteSiteAttributes{"SiteDeleteSql.DeleteSiteAttributes",
    "delete from SiteAttributes where SiteID = %d",
    nullptr, nullptr};

const SqlStatement DeleteSite{"SiteDeleteSql.DeleteSite",
    "delete from sites where siteID = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &DeleteDrawingSettings,
    &DeleteVertexesOfPoints,
    &DeleteVertexesOfShapes,
    &DeleteShapePointsOfPoints,
    &DeleteShapePointsOfShapes,
    &DeleteLinkedPointsOfPoints,
    &DeleteLinkedPointsOfShapes,
    &DeleteShapeAttributesOfShapes,
    &DeleteShapeAttributeGroupsOfShapes,
    &DeletePoints,
    &DeleteCircleShapes,
    &DeletePolylineShapes,
    &DeleteArcShapes,
    &DeleteEllipseShapes,
    &DeleteImageShapes,
    &DeleteTextShapes,
    &DeleteReferenceShapes,
    &DeleteLineShapes,
    &DeleteGroupRows,
    &DeleteLayerSettings,
    &DeleteLayerRows,
    &DeleteShapes,
    &DeleteViewports,
    &DeleteIncludedSites,
    &DeleteSiteAttributes,
    &DeleteSite};

SqlStatementList All()
{
    return {"Site deletion", kAll, sizeof kAll / sizeof kAll[0]};
}

const SqlStatement* const KindRowDeletes[] = {&DeleteCircleShapes, &DeletePolylineShapes,
    &DeleteArcShapes, &DeleteEllipseShapes, &DeleteImageShapes, &DeleteTextShapes,
    &DeleteReferenceShapes, &DeleteLineShapes};
const size_t KindRowDeleteCount = sizeof KindRowDeletes / sizeof KindRowDeletes[0];

} // namespace SiteDeleteSql
