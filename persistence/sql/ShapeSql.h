#pragma once
#include "persistence/SqlStatement.h"

// The rows every shape writes: Shapes, its points and point links, the vertices of polylines
// and the name row of groups. Optional IDs (%s) are SqlIdOrNull fragments; names are bound.

namespace ShapeSql {

extern const SqlStatement InsertShape;
extern const SqlStatement UpdateShape;
extern const SqlStatement MaxShapeId;
extern const SqlStatement InsertPoint;
extern const SqlStatement UpdatePoint;
extern const SqlStatement MaxPointId;
extern const SqlStatement FindShapePoint;
extern const SqlStatement InsertShapePoint;
extern const SqlStatement FindLinkedPoint;
extern const SqlStatement InsertLinkedPoint;
extern const SqlStatement InsertVertex;
extern const SqlStatement UpdateVertex;
extern const SqlStatement InsertGroup;
extern const SqlStatement UpdateGroup;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace ShapeSql
