#pragma once
#include "persistence/SqlStatement.h"

// The Sites row and the lists of sites: choosing a site, creating, loading and updating its
// row, counting its shapes. The site name is bound.

namespace SiteSql {

extern const SqlStatement ListSites;
extern const SqlStatement ListSitesByName;
extern const SqlStatement ListSiteRows;
extern const SqlStatement MaxSiteId;
extern const SqlStatement InsertSite;
extern const SqlStatement LoadSite;
extern const SqlStatement UpdateSite;
extern const SqlStatement CountShapes;
extern const SqlStatement CountSite;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace SiteSql
