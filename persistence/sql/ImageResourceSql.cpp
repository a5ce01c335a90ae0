#include "persistence/sql/ImageResourceSql.h"

namespace ImageResourceSql {

// A row with the same name (matched as SQL Server matches it, without regard
// to case), format and content hash.
const SqlStatement FindIdentical{"ImageResourceSql.FindIdentical",
    "select imageResourceID from \n"
    "\timageResources where name like ? and ImageFormatID=%d and Hash=%d",
    nullptr,
    "select imageResourceID from \n"
    "\timageResources where name ilike ? and ImageFormatID=%d and Hash=%d"};

// Content (long binary) and name, in that order.
const SqlStatement InsertImageResource{"ImageResourceSql.InsertImageResource",
    "insert into imageResources (\t\t\t\t\tcontent, \t\t\t\t\timageResourceID, "
    "\t\t\t\t\tscenarioID, \t\t\t\t\tname, \t\t\t\t\twidth, \t\t\t\t\theight, "
    "                    Hash, \t\t\t\t\tImageFormatID)\n"
    "\t\tvalues (?, %d, %d, ?, %d, %d, %d, %d)",
    nullptr, nullptr};

// Content (long binary) and name, in that order.
const SqlStatement UpdateImageResource{"ImageResourceSql.UpdateImageResource",
    "update imageResources\n"
    "\tset\n"
    "\t\tcontent = ?,\n"
    "\t\t[name] = ?,\n"
    "        [Hash] = %d,\n"
    "        width = %d,\n"
    "        height = %d,\n"
    "        ImageFormatID = %d \n"
    "        where\n"
    "\t\timageResourceID = %d",
    nullptr, nullptr};

const SqlStatement LoadImageResource{"ImageResourceSql.LoadImageResource",
    "select imageResources.* \n"
    "\tfrom\n"
    "\t\timageResources\n"
    "\twhere\n"
    "\t\timageResourceID = %d",
    nullptr, nullptr};

const SqlStatement MaxImageResourceId{"ImageResourceSql.MaxImageResourceId",
    "select max(imageResourceID) from imageResources",
    nullptr, nullptr};

// The format IDs of the pictures the map reads: EMF, JPEG, BMP, GIF, TIFF and PNG, every
// format the control stores.
#define YVEX_READ_IMAGE_FORMATS "imageResources.imageFormatID in (1, 2, 3, 5, 7, 8)"

// Every stored picture of a kind the map reads (site ID below 1).
const SqlStatement LoadAllImageResources{"ImageResourceSql.LoadAllImageResources",
    "select imageResources.*\n"
    "\tfrom imageResources\n"
    "    where  not imageResources.Content is NULL and\n"
    "    " YVEX_READ_IMAGE_FORMATS,
    nullptr, nullptr};

// The pictures of a site's image shapes and hatch patterns (the site ID twice).
const SqlStatement LoadSiteImageResources{"ImageResourceSql.LoadSiteImageResources",
    "select imageResources.*\n"
    "\tfrom\n"
    "\t\timageResources\n"
    "\twhere\n"
    "\t\t(exists( \n"
    "            select * from v_ImageShapes im\n"
    "            where \n"
    "\t\t    im.imageResourceID = imageResources.imageResourceID and\n"
    "\t\t    im.siteID = %d) or \n"
    "         exists( \n"
    "            select * from shapes s, hatchpatterns h \n"
    "            where s.siteID = %d and s.hatchpatternid=h.hatchpatternid and \n"
    "            h.imageresourceid=imageResources.imageResourceID) \n"
    "         )and \n"
    "        not imageResources.Content is NULL and\n"
    "        " YVEX_READ_IMAGE_FORMATS,
    nullptr, nullptr};

#undef YVEX_READ_IMAGE_FORMATS

const SqlStatement SelectHashAndName{"ImageResourceSql.SelectHashAndName",
    "select hash,name \n"
    "     from\n"
    "        imageResources\n"
    "     where\n"
    "        imageResourceID = %d",
    nullptr, nullptr};

// Image shapes and hatch patterns that use a resource (the ID twice). Counted
// apart: a count over both tables joined would be 0 whenever either table is empty.
const SqlStatement CountUses{"ImageResourceSql.CountUses",
    "select (select count(*) from imageShapes i where i.ImageResourceID=%d) + (select"
    " count(*) from hatchpatterns h where h.ImageResourceID = %d)",
    nullptr, nullptr};

const SqlStatement DeleteImageResource{"ImageResourceSql.DeleteImageResource",
    "delete FROM imageResources where imageResourceID = %d",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &FindIdentical,
    &InsertImageResource,
    &UpdateImageResource,
    &LoadImageResource,
    &MaxImageResourceId,
    &LoadAllImageResources,
    &LoadSiteImageResources,
    &SelectHashAndName,
    &CountUses,
    &DeleteImageResource};

SqlStatementList All()
{
    return {"Image resources", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace ImageResourceSql
