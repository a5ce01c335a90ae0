#pragma once
#include "persistence/SqlStatement.h"

// The further statements of loading a site: the unit table, the work counts, the ID counters
// and the included sites.

namespace SiteLoadSql {

extern const SqlStatement LoadUnits;
extern const SqlStatement CountShapePoints;
extern const SqlStatement MaxVertexId;
extern const SqlStatement MaxShapePointIdOfOtherSites;
extern const SqlStatement MaxLinkedPointIdOfOtherSites;
extern const SqlStatement LoadIncludedSites;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace SiteLoadSql
