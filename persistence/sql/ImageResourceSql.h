#pragma once
#include "persistence/SqlStatement.h"

// The imageResources table: one row per picture, its content long binary data sent at
// execution. The loaders read imageResources.* by position. Names are bound.

namespace ImageResourceSql {

extern const SqlStatement FindIdentical;
extern const SqlStatement InsertImageResource;
extern const SqlStatement UpdateImageResource;
extern const SqlStatement LoadImageResource;
extern const SqlStatement MaxImageResourceId;
extern const SqlStatement LoadAllImageResources;
extern const SqlStatement LoadSiteImageResources;
extern const SqlStatement SelectHashAndName;
extern const SqlStatement CountUses;
extern const SqlStatement DeleteImageResource;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace ImageResourceSql
