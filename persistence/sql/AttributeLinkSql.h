#pragma once
#include "persistence/SqlStatement.h"

// The rows of a site's attribute model as a site save writes them anew: its attribute groups
// (with the SiteAttributes rows that give them to the site), their types, the values of its
// shapes and the links of its shapes to values and groups; and their removal with the site's
// other rows. Names, formats, prompts and text values are bound.

namespace AttributeLinkSql {

// Each takes the site ID twice: rows of this site that no other site uses.
extern const SqlStatement DeleteAttributesOfSite;
extern const SqlStatement DeleteAttributeTypesOfSite;
extern const SqlStatement DeleteAttributeGroupsOfSite;
extern const SqlStatement InsertAttributeGroup;
extern const SqlStatement InsertSiteAttribute;
extern const SqlStatement InsertAttributeType;
extern const SqlStatement InsertAttribute;
extern const SqlStatement InsertShapeAttribute;
extern const SqlStatement InsertShapeAttributeGroup;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace AttributeLinkSql
