#include "persistence/sql/DrawingSettingSql.h"

namespace DrawingSettingSql {

const SqlStatement MaxDrawingSettingId{"DrawingSettingSql.MaxDrawingSettingId",
    "select max(drawingSettingID) from drawingSettings",
    nullptr, nullptr};

// Name and font name are bound, in that order.
const SqlStatement InsertDrawingSetting{"DrawingSettingSql.InsertDrawingSetting",
    "insert into drawingSettings (\n"
    "\t\tdrawingSettingID,\n"
    "        [ScenarioID],\n"
    "\t\tName,\n"
    "\t\tPenWeight,\n"
    "\t\tPenColor,\n"
    "\t\tShowGrid,\n"
    "\t\tSnapToGrid,\n"
    "\t\tOrthoMode,\n"
    "\t\tGridXSpace,\n"
    "\t\tGridYSpace,\n"
    "\t\tSnapXSpace,\n"
    "\t\tSnapYSpace,\n"
    "\t\tSnapBaseX,\n"
    "\t\tSnapBaseY,\n"
    "\t\tLinePatternScale,\n"
    "\t\tImageScale,\n"
    "\t\tEditNewText,\n"
    "\t\tShowRulers, \n"
    "\t\tHatchColor, \n"
    "\t\tsiteID,\n"
    "\t\tlinePatternID,\n"
    "\t\tlayerShapeID,\n"
    "\t\tHatchPatternID, \n"
    "        ArrowScale,\n"
    "        FontName,\n"
    "        FontCharset,\n"
    "        FontSize,\n"
    "        FontAlignment,\n"
    "        ShapeFlags\n"
    "\t\t)\n"
    "\tvalues\n"
    "\t\t(\n"
    "\t\t%d,\n"
    "        %d,\n"
    "\t\t?,\n"
    "\t\t%f,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%d,\n"
    "\t\t%s,\n"
    "\t\t%s,\n"
    "        %f,\n"
    "        ?,\n"
    "        %d,\n"
    "        %f,\n"
    "        %d,\n"
    "        %d\n"
    "\t\t)",
    nullptr, nullptr};

// 27 columns in this order.
const SqlStatement LoadDrawingSettings{"DrawingSettingSql.LoadDrawingSettings",
    "select \n"
    "\t\tdrawingSettingID,\n"
    "\t\tName,\n"
    "\t\tPenColor,\n"
    "\t\tPenWeight,\n"
    "\t\tShowGrid,\n"
    "\t\tSnapToGrid,\n"
    "\t\tOrthoMode,\n"
    "\t\tGridXSpace,\n"
    "\t\tGridYSpace,\n"
    "\t\tSnapXSpace,\n"
    "\t\tSnapYSpace,\n"
    "\t\tSnapBaseX,\n"
    "\t\tSnapBaseY,\n"
    "\t\tLinePatternScale,\n"
    "\t\tImageScale,\n"
    "\t\tEditNewText,\n"
    "\t\tShowRulers,\n"
    "\t\tHatchColor,\n"
    "\t\tlinePatternID,\n"
    "\t\tlayerShapeID,\n"
    "\t\thatchPatternID,\n"
    "        ArrowScale,\n"
    "        FontName,\n"
    "        FontCharset,\n"
    "        FontSize,\n"
    "        FontAlignment,\n"
    "        ShapeFlags\n"
    "    from \n"
    "\t\tv_drawingSettings \n"
    "\twhere \n"
    "\t\tsiteID = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &MaxDrawingSettingId,
    &InsertDrawingSetting,
    &LoadDrawingSettings};

SqlStatementList All()
{
    return {"Drawing settings", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace DrawingSettingSql
