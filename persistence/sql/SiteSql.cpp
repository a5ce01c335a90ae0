#include "persistence/sql/SiteSql.h"

namespace SiteSql {

// Rows (site ID, name) for the site list dialog.
const SqlStatement ListSites{"SiteSql.ListSites",
    "select siteID, Name from v_sites",
    nullptr, nullptr};

// A name given by the caller, matched as SQL Server matches it (without
// regard to case; PostgreSQL's LIKE would see case).
const SqlStatement ListSitesByName{"SiteSql.ListSitesByName",
    "select siteID, Name from v_sites where Name like ?",
    nullptr,
    "select siteID, Name from v_sites where Name ilike ?"};

// The table itself, when saving into a database file.
const SqlStatement ListSiteRows{"SiteSql.ListSiteRows",
    "select siteID, Name from sites",
    nullptr, nullptr};

const SqlStatement MaxSiteId{"SiteSql.MaxSiteId",
    "select max(SiteID) from Sites",
    nullptr, nullptr};

// A new site: its name is bound.
const SqlStatement InsertSite{"SiteSql.InsertSite",
    "insert into sites (siteID, ScenarioID,\n"
    "\t\tName, \n"
    "\t\tDraftLeft, \n"
    "\t\tDraftTop, \n"
    "\t\tDraftRight, \n"
    "\t\tDraftBottom, \n"
    "\t\tGridLeft, \n"
    "\t\tGridTop, \n"
    "\t\tGridRight, \n"
    "\t\tGridBottom, \n"
    "\t\tMeasurement, \n"
    "\t\tLinePatternScale, \n"
    "\t\tImageScale, \n"
    "\t\tUnitID ) \n"
    "\t\tvalues \t\t( %d, %d,\t\t?, \t\t%f, \t\t%f, \t\t%f, \t\t%f, \t\t%f, \t\t%f, "
    "\t\t%f, \t\t%f, \t\t%d, \t\t%f, \t\t%f, \t\t%d)",
    nullptr, nullptr};

const SqlStatement LoadSite{"SiteSql.LoadSite",
    "select \n"
    "\t\tName, \n"
    "\t\tDraftLeft, \n"
    "\t\tDraftTop, \n"
    "\t\tDraftRight, \n"
    "\t\tDraftBottom, \n"
    "\t\tGridLeft, \n"
    "\t\tGridTop, \n"
    "\t\tGridRight, \n"
    "\t\tGridBottom, \n"
    "\t\tMeasurement, \n"
    "\t\tLinePatternScale, \n"
    "\t\tImageScale, \n"
    "\t\tUnitID\n"
    "\t\tfrom v_Sites where siteID = %d",
    nullptr, nullptr};

// The name is written only by InsertSite.
const SqlStatement UpdateSite{"SiteSql.UpdateSite",
    "update Sites \n"
    "\t set\n"
    "        [ScenarioID] = %d, \n"
    "\t\tDraftLeft = %f, \n"
    "\t\tDraftTop = %f, \n"
    "\t\tDraftRight = %f, \n"
    "\t\tDraftBottom = %f, \n"
    "\t\tGridLeft = %f, \n"
    "\t\tGridTop = %f, \n"
    "\t\tGridRight = %f, \n"
    "\t\tGridBottom = %f, \n"
    "\t\tMeasurement = %d, \n"
    "\t\tLinePatternScale = %f, \n"
    "\t\tImageScale = %f, \n"
    "\t\tUnitID = %d \n"
    "\twhere\n"
    "\t\tsiteID = %d",
    nullptr, nullptr};

// The number of shapes of a site.
const SqlStatement CountShapes{"SiteSql.CountShapes",
    "select count(*) from v_shapes where siteID = %d",
    nullptr, nullptr};

// Whether the site has its Sites row (0 or 1).
const SqlStatement CountSite{"SiteSql.CountSite",
    "select count(*) from sites where siteID = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &CountSite,
    &ListSites,
    &ListSitesByName,
    &ListSiteRows,
    &MaxSiteId,
    &InsertSite,
    &LoadSite,
    &UpdateSite,
    &CountShapes};

SqlStatementList All()
{
    return {"Sites", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace SiteSql
