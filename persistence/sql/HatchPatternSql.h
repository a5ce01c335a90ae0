#pragma once
#include "persistence/SqlStatement.h"

// The HatchPatterns table: user image patterns (IDs 28 and above). The loaders read the first
// four columns by position. Names and descriptions are bound.

namespace HatchPatternSql {

extern const SqlStatement MaxHatchPatternId;
extern const SqlStatement LoadSitePatterns;
extern const SqlStatement LoadAllPatterns;
extern const SqlStatement FindByImage;
extern const SqlStatement InsertPattern;
extern const SqlStatement UpdatePattern;
extern const SqlStatement CountPatternUses;
extern const SqlStatement DeletePattern;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace HatchPatternSql
