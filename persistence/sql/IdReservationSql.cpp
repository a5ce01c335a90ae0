#include "persistence/sql/IdReservationSql.h"

namespace IdReservationSql {

// Taken by every save right after its transaction begins and held until it ends: the ranges
// above the largest IDs are read and filled by one session at a time. A session reading the
// largest IDs sees none of another's uncommitted rows, so without it any number of saves at once
// reserve the same range and all but one meet the others' keys, attempt after attempt. SQLite
// needs nothing: its transactions take the write lock when they begin.
const SqlStatement LockRanges{"IdReservationSql.LockRanges",
    "exec sp_getapplock @Resource = 'YVEX ID ranges', @LockMode = 'Exclusive', @LockOwner = 'Transaction'",
    SqlStatement::kNotRun,
    "select pg_advisory_xact_lock(597003)"};

// (shape ID, site ID)
const SqlStatement InsertShapePlaceholder{"IdReservationSql.InsertShapePlaceholder",
    "insert into Shapes (ShapeID, ScenarioID, ShapeTypeID, SiteID) values (%d, 0, 7, %d)",
    nullptr, nullptr};

// (table, ID column, ID): LayerShapes
const SqlStatement InsertPlaceholder{"IdReservationSql.InsertPlaceholder",
    "insert into %s (%s, ScenarioID) values (%d, 0)",
    nullptr, nullptr};

// (table, ID column, key column, ID, key): LayerSettings, Points
const SqlStatement InsertKeyedPlaceholder{"IdReservationSql.InsertKeyedPlaceholder",
    "insert into %s (%s, ScenarioID, %s) values (%d, 0, %d)",
    nullptr, nullptr};

// (table, ID column, ID, shape ID, point ID): ShapePoints, LinkedPoints
const SqlStatement InsertLinkPlaceholder{"IdReservationSql.InsertLinkPlaceholder",
    "insert into %s (%s, ScenarioID, ShapeID, PointID) values (%d, 0, %d, %d)",
    nullptr, nullptr};

// (vertex ID, shape point ID)
const SqlStatement InsertVertexPlaceholder{"IdReservationSql.InsertVertexPlaceholder",
    "insert into Vertexes (VertexID, ScenarioID, LinePatternID, ShapePointID) values (%d, "
    "0, 1, %d)",
    nullptr, nullptr};

// (table, ID column, ID)
const SqlStatement DeletePlaceholder{"IdReservationSql.DeletePlaceholder",
    "delete from %s where %s=%d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &LockRanges,
    &InsertShapePlaceholder,
    &InsertPlaceholder,
    &InsertKeyedPlaceholder,
    &InsertLinkPlaceholder,
    &InsertVertexPlaceholder,
    &DeletePlaceholder};

SqlStatementList All()
{
    return {"ID reservation", kAll, sizeof kAll / sizeof kAll[0]};
}

const SqlIdColumn ReleaseOrder[] = {
    {"Vertexes", "VertexID"},
    {"LayerSettings", "LayerSettingID"},
    {"LayerShapes", "ShapeID"},
    {"ShapePoints", "ShapePointID"},
    {"LinkedPoints", "LinkedPointID"},
    {"Shapes", "ShapeID"},
    {"Points", "PointID"},
};
const size_t ReleaseOrderCount = sizeof ReleaseOrder / sizeof ReleaseOrder[0];

} // namespace IdReservationSql
