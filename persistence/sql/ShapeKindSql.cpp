#include "persistence/sql/ShapeKindSql.h"

namespace ShapeKindSql {

const SqlStatement InsertPolyline{"ShapeKindSql.InsertPolyline",
    "insert into PolylineShapes ( \t[ShapeID], \t[ScenarioID], \t[DefStartWidth], "
    "\t[DefEndWidth], \t[FirstArrowTypeID], \t[SecondArrowTypeID] ) values ( \t%d, \t%d, "
    "\t%f, \t%f, \t%s, \t%s)",
    nullptr, nullptr};

const SqlStatement UpdatePolyline{"ShapeKindSql.UpdatePolyline",
    "update PolylineShapes set\t[DefStartWidth] = %f, \t[DefEndWidth] = %f, "
    "\t[FirstArrowTypeID] = %s, \t[SecondArrowTypeID] = %s where [shapeID] = %d",
    nullptr, nullptr};

// Only lines with an arrow have a row.
const SqlStatement InsertLine{"ShapeKindSql.InsertLine",
    "insert into LineShapes ( \t[ShapeID], \t[ScenarioID], \t[FirstArrowTypeID], "
    "\t[SecondArrowTypeID] ) values ( \t%d, \t%d, \t%s, \t%s)",
    nullptr, nullptr};

const SqlStatement UpdateLine{"ShapeKindSql.UpdateLine",
    "update LineShapes set\t[FirstArrowTypeID] = %s, "
    "\t[SecondArrowTypeID] = %s where [shapeID] = %d",
    nullptr, nullptr};

const SqlStatement InsertReference{"ShapeKindSql.InsertReference",
    "insert into ReferenceShapes ( \t[ShapeID], \t[ScenarioID], \t[XScale], \t[YScale], "
    "\t[RotationAngle], \t[BlockGroupShapeID] ) values ( \t%d, \t%d, \t%f, \t%f, \t%f, "
    "\t%d)",
    nullptr, nullptr};

const SqlStatement UpdateReference{"ShapeKindSql.UpdateReference",
    "update ReferenceShapes set\t[XScale] = %f, \t[YScale] = %f, \t[RotationAngle] = %f, "
    "\t[BlockGroupShapeID] = %d where [shapeID] = %d",
    nullptr, nullptr};

// The layer name is bound.
const SqlStatement InsertLayer{"ShapeKindSql.InsertLayer",
    "insert into LayerShapes ( \t[ShapeID], \t[ScenarioID], \t[Name] ) values ( \t%d, "
    "\t%d, \t?)",
    nullptr, nullptr};

// The layer name is bound.
const SqlStatement UpdateLayer{"ShapeKindSql.UpdateLayer",
    "update LayerShapes set\t[Name] = ? where [shapeID] = %d",
    nullptr, nullptr};

const SqlStatement InsertLayerSetting{"ShapeKindSql.InsertLayerSetting",
    "insert into LayerSettings (                                [LayerSettingID], "
    "                               [ScenarioID],                                [On], "
    "                               [Enable],                                [Select], "
    "                               [LayerShapeID]                                )"
    " values (                                %d,                                %d, "
    "                               %d,                                %d, "
    "                               %d,                                %d)",
    nullptr, nullptr};

const SqlStatement UpdateLayerSetting{"ShapeKindSql.UpdateLayerSetting",
    "update [LayerSettings] set                               [On] = %d, "
    "                              [Enable] = %d, "
    "                              [Select] = %d                               where"
    " [LayerShapeID] = %d",
    nullptr, nullptr};

const SqlStatement InsertImage{"ShapeKindSql.InsertImage",
    "insert into ImageShapes ( \t[ShapeID], \t[ScenarioID], \t[Width], \t[Height], "
    "\t[RotationAngle], \t[ImageResourceID] ) values ( \t%d, \t%d, \t%f, \t%f, \t%f, \t%d)",
    nullptr, nullptr};

const SqlStatement UpdateImage{"ShapeKindSql.UpdateImage",
    "update ImageShapes set\t[Width] = %f, \t[Height] = %f, \t[RotationAngle] = %f, "
    "\t[ImageResourceID] = %d where [shapeID] = %d",
    nullptr, nullptr};

// The text goes at execution (long text), then the font name, both bound.
const SqlStatement InsertTextWithText{"ShapeKindSql.InsertTextWithText",
    "insert into textShapes (\n"
    "\t\t[Text],\n"
    "\t\t[Type],\n"
    "\t\t[AlignType],\n"
    "\t\t[Height], \n"
    "\t\t[Width], \n"
    "\t\t[XScale], \n"
    "        [RotationAngle], \n"
    "        [shapeID], \n"
    "        [scenarioID], \n"
    "        [FontName], \n"
    "        [Charset] \n"
    "        ) values ( \n"
    "\t\t?, \n"
    "\t\t%d, \n"
    "\t\t%d, \n"
    "\t\t%f, \n"
    "\t\t%f, \n"
    "\t\t%f, \n"
    "\t\t%f, \n"
    "\t\t%d, \n"
    "\t\t%d, \n"
    "        ?, \n"
    "        %d)",
    nullptr, nullptr};

// Without text: the font name is bound.
const SqlStatement InsertText{"ShapeKindSql.InsertText",
    "insert into textShapes (\n"
    "     [Type],\n"
    "     [AlignType],\n"
    "     [Height], \n"
    "     [Width], \n"
    "     [XScale], \n"
    "     [RotationAngle], \n"
    "     [shapeID], \n"
    "     [scenarioID], \n"
    "     [FontName], \n"
    "     [Charset] \n"
    "     ) values ( \n"
    "     %d, \n"
    "     %d, \n"
    "     %f, \n"
    "     %f, \n"
    "     %f, \n"
    "     %f, \n"
    "     %d, \n"
    "     %d, \n"
    "     ?, \n"
    "     %d)",
    nullptr, nullptr};

const SqlStatement UpdateTextWithText{"ShapeKindSql.UpdateTextWithText",
    "update textShapes\n"
    "    set\n"
    "    [Text] = ?,\n"
    "    [Type] = %d,\n"
    "    [AlignType] = %d,\n"
    "    [Height] = %f,\n"
    "    [Width] = %f,\n"
    "    [XScale] = %f, \n"
    "    [RotationAngle] = %f,\n"
    "    [FontName] = ?, \n"
    "    [Charset] = %d\n"
    "    where\n"
    "    shapeID = %d",
    nullptr, nullptr};

const SqlStatement UpdateText{"ShapeKindSql.UpdateText",
    "update textShapes\n"
    "    set\n"
    "    [Type] = %d,\n"
    "    [AlignType] = %d,\n"
    "    [Height] = %f,\n"
    "    [Width] = %f,\n"
    "    [XScale] = %f, \n"
    "    [RotationAngle] = %f,\n"
    "    [FontName] = ?, \n"
    "    [Charset] = %d\n"
    "    where\n"
    "    shapeID = %d",
    nullptr, nullptr};

// Ellipses, arcs and circles.
const SqlStatement InsertEllipse{"ShapeKindSql.InsertEllipse",
    "insert into EllipseShapes ( \t[ShapeID], \t[ScenarioID], \t[MinorRatio], "
    "\t[ZExtrusion], \t[StartAngle], \t[EndAngle], \t[MajorX], "
    "\t[MajorY] ) values ( \t%d, \t%d, \t%f, \t%f, \t%f, \t%f, \t%f, \t%f)",
    nullptr, nullptr};

const SqlStatement UpdateEllipse{"ShapeKindSql.UpdateEllipse",
    "update EllipseShapes set\t[MinorRatio] = %f, \t[ZExtrusion] = %f, "
    "\t[StartAngle] = %f, \t[EndAngle] = %f, \t[MajorX] = %f, "
    "\t[MajorY] = %f where [shapeID] = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &InsertPolyline,
    &UpdatePolyline,
    &InsertLine,
    &UpdateLine,
    &InsertReference,
    &UpdateReference,
    &InsertLayer,
    &UpdateLayer,
    &InsertLayerSetting,
    &UpdateLayerSetting,
    &InsertImage,
    &UpdateImage,
    &InsertTextWithText,
    &InsertText,
    &UpdateTextWithText,
    &UpdateText,
    &InsertEllipse,
    &UpdateEllipse};

SqlStatementList All()
{
    return {"Shape kind rows", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace ShapeKindSql
