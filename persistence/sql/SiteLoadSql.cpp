#include "persistence/sql/SiteLoadSql.h"

namespace SiteLoadSql {

const SqlStatement LoadUnits{"SiteLoadSql.LoadUnits",
    "select [UnitID], [Name], [ScaleToEnglish], [ScaleToMetric], [system] from [Units]",
    nullptr, nullptr};

const SqlStatement CountShapePoints{"SiteLoadSql.CountShapePoints",
    "select count(*) from shapepoints sp,shapes sh where sh.shapeid=sp.shapeid and siteid"
    " = %d",
    nullptr, nullptr};

const SqlStatement MaxVertexId{"SiteLoadSql.MaxVertexId",
    "select max(vertexID) from vertexes",
    nullptr, nullptr};

// The rows of the site being loaded are rewritten when it is saved.
const SqlStatement MaxShapePointIdOfOtherSites{"SiteLoadSql.MaxShapePointIdOfOtherSites",
    "select max(shapePointID)\n"
    "\t\tfrom\n"
    "\t\t\tshapes,\n"
    "\t\t\tshapePoints\n"
    "\twhere\n"
    "\t\t\tshapes.shapeID = shapePoints.shapeID and\n"
    "\t\t\tshapes.siteID <> %d\n"
    "\t",
    nullptr, nullptr};

const SqlStatement MaxLinkedPointIdOfOtherSites{"SiteLoadSql.MaxLinkedPointIdOfOtherSites",
    "select max(linkedPointID)\n"
    "\t\tfrom\n"
    "\t\t\tshapes,\n"
    "\t\t\tlinkedPoints\n"
    "\twhere\n"
    "\t\t\tshapes.shapeID = linkedPoints.shapeID and\n"
    "\t\t\tshapes.siteID <> %d\n"
    "\t",
    nullptr, nullptr};

const SqlStatement LoadIncludedSites{"SiteLoadSql.LoadIncludedSites",
    "select \n"
    "\t\t[LayerOptions], \n"
    "\t\t[SettingOptions], \n"
    "\t\t[UnitOptions], \n"
    "\t\t[EnableOptions], \n"
    "\t\t[X], \n"
    "\t\t[Y], \n"
    "\t\t[SubSiteID], \n"
    "        [FILE] \n"
    "\t\tfrom [v_IncludedSites] where [SiteID] = %d \n"
    "\t\torder by [Order]",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &LoadUnits,
    &CountShapePoints,
    &MaxVertexId,
    &MaxShapePointIdOfOtherSites,
    &MaxLinkedPointIdOfOtherSites,
    &LoadIncludedSites};

SqlStatementList All()
{
    return {"Site loading", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace SiteLoadSql
