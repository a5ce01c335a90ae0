#include "persistence/sql/ShapeSql.h"

namespace ShapeSql {

const SqlStatement InsertShape{"ShapeSql.InsertShape",
    "insert into Shapes ( \t[ShapeID], \t[ScenarioID], \t[PenWeight], \t[PenColor], "
    "\t[Tag], \t[Number], \t[Flags], \t[LinePatternScale], \t[ZOrder], "
    "\t[HatchColor],\t[ShapeTypeID], \t[SiteID], \t[LinePatternID], \t[GroupShapeID], "
    "\t[HatchPatternID],\t[LayerShapeID]) values ( \t%d, \t%d, \t%f, \t%d, \t%d, \t%d, "
    "\t%d, \t%f, \t%f, \t%d, \t%d, \t%d, \t%s, \t%s, \t%s, \t%s)",
    nullptr, nullptr};

const SqlStatement UpdateShape{"ShapeSql.UpdateShape",
    "update Shapes set    [ScenarioID] = %d, \t[PenWeight] = %f, \t[PenColor] = %d, "
    "\t[Tag] = %d, \t[Number] = %d, \t[Flags] = %d, \t[LinePatternScale] = %f, "
    "\t[ZOrder] = %f, \t[HatchColor] = %d, \t[ShapeTypeID] = %d, \t[SiteID] = %d, "
    "\t[LinePatternID] = %s, \t[GroupShapeID] = %s, \t[HatchPatternID] = %s, "
    "\t[LayerShapeID] = %s where [shapeID] = %d",
    nullptr, nullptr};

// The shape map's next database ID.
const SqlStatement MaxShapeId{"ShapeSql.MaxShapeId",
    "select max(ShapeID) from Shapes",
    nullptr, nullptr};

const SqlStatement InsertPoint{"ShapeSql.InsertPoint",
    "insert into points \t\t\t(pointID, scenarioID, siteID, x, y) \t\tvalues \t\t\t(%d, "
    "%d, %d, %f, %f)",
    nullptr, nullptr};

const SqlStatement UpdatePoint{"ShapeSql.UpdatePoint",
    "update points\n"
    "\t\tset\n"
    "\t\t\tscenarioID = %d,\n"
    "\t\t\tsiteID = %d,\n"
    "\t\t\tx = %f,\n"
    "\t\t\ty = %f\n"
    "\t\twhere\n"
    "\t\t\tpointID = %d",
    nullptr, nullptr};

// The point pool's next database ID.
const SqlStatement MaxPointId{"ShapeSql.MaxPointId",
    "select max(pointID) from points",
    nullptr, nullptr};

// (point, shape): the existing shapePoints row, column 1 its ID.
const SqlStatement FindShapePoint{"ShapeSql.FindShapePoint",
    "select *\n"
    "        from\n"
    "            v_shapePoints shapePoints\n"
    "        where\n"
    "            shapePoints.pointID = %d \n"
    "            and shapePoints.ShapeID = %d",
    nullptr, nullptr};

const SqlStatement InsertShapePoint{"ShapeSql.InsertShapePoint",
    "\tinsert into shapePoints\t\t(\n"
    "\t\t[ShapePointID],\n"
    "\t\t[ScenarioID],\n"
    "\t\t[ShapeID],\n"
    "\t\t[PointID],\n"
    "\t\t[Number]\n"
    "\t\t)\n"
    "\tvalues\n"
    "\t\t(\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d\n"
    "\t\t)",
    nullptr, nullptr};

// (shape, point)
const SqlStatement FindLinkedPoint{"ShapeSql.FindLinkedPoint",
    "\tselect LinkedPointID from \n"
    "\t\tv_linkedPoints linkedPoints \n"
    "\twhere\n"
    "\t\tShapeID = %d and\n"
    "\t\tPointID = %d",
    nullptr, nullptr};

const SqlStatement InsertLinkedPoint{"ShapeSql.InsertLinkedPoint",
    "\tinsert into linkedPoints\t\t(\n"
    "\t\tLinkedPointID,\n"
    "\t\tScenarioID,\n"
    "\t\tShapeID,\n"
    "\t\tPointID\n"
    "\t\t)\n"
    "\tvalues\n"
    "\t\t(\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d\n"
    "\t\t)",
    nullptr, nullptr};

// The vertex name is bound.
const SqlStatement InsertVertex{"ShapeSql.InsertVertex",
    "insert into Vertexes (                           [VertexID], "
    "                          [ScenarioID],                           [Name], "
    "                          [PenColor],                           [StartWidth], "
    "                          [EndWidth],                           [Bulge], "
    "                          [Flags],                           [Tag], "
    "                          [LinePatternID], "
    "                          [ShapePointID]                           ) values (       "
    "                    %d,                           %d,                           ?, "
    "                          %d,                           %f, "
    "                          %f,                           %f, "
    "                          %d,                           %d, "
    "                          %d,                           %d)",
    nullptr, nullptr};

// The vertex name is bound.
const SqlStatement UpdateVertex{"ShapeSql.UpdateVertex",
    "update [Vertexes] set                               [ScenarioID]   =%d, "
    "                              [Name]         =?, "
    "                              [PenColor]     =%d, "
    "                              [StartWidth]   =%f, "
    "                              [EndWidth]     =%f, "
    "                              [Bulge]        =%f, "
    "                              [Flags]        =%d, "
    "                              [Tag]          =%d, "
    "                              [LinePatternID]=%d, "
    "                              [ShapePointID] =%d                               where"
    " [VertexID] = %d",
    nullptr, nullptr};

// The group name is bound.
const SqlStatement InsertGroup{"ShapeSql.InsertGroup",
    "insert into GroupShapes ( \t[ShapeID], \t[ScenarioID], \t[Name] ) values ( \t%d, "
    "\t%d, \t?)",
    nullptr, nullptr};

// The group name is bound.
const SqlStatement UpdateGroup{"ShapeSql.UpdateGroup",
    "update GroupShapes set\t[Name] = ? where [shapeID] = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &InsertShape,
    &UpdateShape,
    &MaxShapeId,
    &InsertPoint,
    &UpdatePoint,
    &MaxPointId,
    &FindShapePoint,
    &InsertShapePoint,
    &FindLinkedPoint,
    &InsertLinkedPoint,
    &InsertVertex,
    &UpdateVertex,
    &InsertGroup,
    &UpdateGroup};

SqlStatementList All()
{
    return {"Shape rows", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace ShapeSql
