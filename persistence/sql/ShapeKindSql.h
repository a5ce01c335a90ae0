#pragma once
#include "persistence/SqlStatement.h"

// The rows of each shape kind, keyed by the ShapeID of its Shapes row. Optional IDs (%s) are
// SqlIdOrNull fragments; names and texts are bound.

namespace ShapeKindSql {

extern const SqlStatement InsertPolyline;
extern const SqlStatement UpdatePolyline;
extern const SqlStatement InsertLine;
extern const SqlStatement UpdateLine;
extern const SqlStatement InsertReference;
extern const SqlStatement UpdateReference;
extern const SqlStatement InsertLayer;
extern const SqlStatement UpdateLayer;
extern const SqlStatement InsertLayerSetting;
extern const SqlStatement UpdateLayerSetting;
extern const SqlStatement InsertImage;
extern const SqlStatement UpdateImage;
extern const SqlStatement InsertTextWithText;
extern const SqlStatement InsertText;
extern const SqlStatement UpdateTextWithText;
extern const SqlStatement UpdateText;
extern const SqlStatement InsertEllipse;
extern const SqlStatement UpdateEllipse;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace ShapeKindSql
