#include "persistence/sql/ViewportSql.h"

namespace ViewportSql {

const SqlStatement LoadViewports{"ViewportSql.LoadViewports",
    "select \n"
    "\t\tviewPortID,\n"
    "\t\tName,\n"
    "\t\tcenterX,\n"
    "\t\tcenterY,\n"
    "\t\twidth,\n"
    "\t\theight\n"
    "\tfrom \n"
    "\t\tv_viewPorts \n"
    "\twhere \n"
    "\t\tsiteID = %d",
    nullptr, nullptr};

const SqlStatement MaxViewportId{"ViewportSql.MaxViewportId",
    "select max(viewPortID) from viewPorts",
    nullptr, nullptr};

const SqlStatement InsertViewport{"ViewportSql.InsertViewport",
    "insert into viewports (\n"
    "\t\tviewPortID,\n"
    "        [ScenarioID],\n"
    "\t\tName,\n"
    "\t\tcenterX,\n"
    "\t\tcenterY,\n"
    "\t\twidth,\n"
    "\t\tHeight,\n"
    "\t\tsiteID\n"
    "\t\t)\n"
    "\tvalues\n"
    "\t\t(\n"
    "\t\t%d,\n"
    "        %d,\n"
    "\t\t?,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%f,\n"
    "\t\t%d\n"
    "\t\t)",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &LoadViewports,
    &MaxViewportId,
    &InsertViewport};

SqlStatementList All()
{
    return {"Viewports", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace ViewportSql
