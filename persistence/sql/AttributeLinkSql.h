#pragma once
#include "persistence/SqlStatement.h"

// The links of a site's shapes to attribute values and attribute groups: read before a save
// removes the site's rows, and written again under the shapes' new IDs.

namespace AttributeLinkSql {

extern const SqlStatement SelectShapeAttributesOfSite;
extern const SqlStatement SelectShapeAttributeGroupsOfSite;
extern const SqlStatement InsertShapeAttribute;
extern const SqlStatement InsertShapeAttributeGroup;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

} // namespace AttributeLinkSql
