#include "persistence/sql/HatchPatternSql.h"

namespace HatchPatternSql {

const SqlStatement MaxHatchPatternId{"HatchPatternSql.MaxHatchPatternId",
    "select max(hatchPatternID) from HatchPatterns",
    nullptr, nullptr};

// The patterns a site's shapes use.
const SqlStatement LoadSitePatterns{"HatchPatternSql.LoadSitePatterns",
    "select h.* from Shapes s, "
    "HatchPatterns h where h.HatchPatternID=s.HatchPatternID and s.SiteID=%d",
    nullptr, nullptr};

const SqlStatement LoadAllPatterns{"HatchPatternSql.LoadAllPatterns",
    "select * from HatchPatterns",
    nullptr, nullptr};

const SqlStatement FindByImage{"HatchPatternSql.FindByImage",
    "select * from HatchPatterns where ImageResourceID=%d",
    nullptr, nullptr};

// Name and description, in that order. SQL Server lets INTO out; the others
// need it.
static const char kInsertPatternElsewhere[] =
    "insert into hatchpatterns (hatchpatternid, [name], [description], "
    "ImageResourceID) values (%d, ?, ?, %d)";
const SqlStatement InsertPattern{"HatchPatternSql.InsertPattern",
    "insert hatchpatterns (hatchpatternid, [name], [description], "
    "ImageResourceID) values (%d, ?, ?, %d)",
    kInsertPatternElsewhere, kInsertPatternElsewhere};

// Name and description, in that order.
const SqlStatement UpdatePattern{"HatchPatternSql.UpdatePattern",
    "update hatchpatterns set [name]=?, [description]=?, "
    "ImageResourceID=%d where hatchpatternid=%d",
    nullptr, nullptr};

const SqlStatement CountPatternUses{"HatchPatternSql.CountPatternUses",
    "select count(*) from shapes s where s.hatchpatternid = %d",
    nullptr, nullptr};

const SqlStatement DeletePattern{"HatchPatternSql.DeletePattern",
    "delete from hatchpatterns where hatchpatternid=%d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &MaxHatchPatternId,
    &LoadSitePatterns,
    &LoadAllPatterns,
    &FindByImage,
    &InsertPattern,
    &UpdatePattern,
    &CountPatternUses,
    &DeletePattern};

SqlStatementList All()
{
    return {"Hatch patterns", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace HatchPatternSql
