#pragma once
#include "persistence/SqlStatement.h"

// The placeholder rows with which a save reserves the range of new IDs it is about to use
// (other sessions take the largest ID plus one), and their removal afterwards. Table and
// column names are fragments.

namespace IdReservationSql {

extern const SqlStatement LockRanges;
extern const SqlStatement InsertShapePlaceholder;
extern const SqlStatement InsertPlaceholder;
extern const SqlStatement InsertKeyedPlaceholder;
extern const SqlStatement InsertLinkPlaceholder;
extern const SqlStatement InsertVertexPlaceholder;
extern const SqlStatement DeletePlaceholder;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

// A table and its ID column.
struct SqlIdColumn
{
    const char* table;
    const char* column;
};
// The placeholders are removed in this order.
extern const SqlIdColumn ReleaseOrder[];
extern const size_t ReleaseOrderCount;

} // namespace IdReservationSql
