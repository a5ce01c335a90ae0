#pragma once
#include "persistence/SqlStatement.h"

// The attribute loaders' queries: one select and one count per loader and scope. The
// attribute-group and attribute-type queries are site-wide whatever the scope; AttributeQuery
// answers the statement of a loader, scope and purpose.

namespace AttributeSql {

extern const SqlStatement GroupsSelect;
extern const SqlStatement GroupsCount;
extern const SqlStatement TypesSelect;
extern const SqlStatement TypesCount;
extern const SqlStatement AttributesSiteSelect;
extern const SqlStatement AttributesSiteCount;
extern const SqlStatement AttributesShapeSelect;
extern const SqlStatement AttributesShapeCount;
extern const SqlStatement AttributesTreeSelect;
extern const SqlStatement AttributesTreeCount;
extern const SqlStatement ShapeGroupsSiteSelect;
extern const SqlStatement ShapeGroupsSiteCount;
extern const SqlStatement ShapeGroupsShapeSelect;
extern const SqlStatement ShapeGroupsShapeCount;
extern const SqlStatement ShapeGroupsTreeSelect;
extern const SqlStatement ShapeGroupsTreeCount;

// Every statement above, for callers and checks that walk them all.
SqlStatementList All();

enum AttributeLoader { LoadGroups, LoadTypes, LoadAttributes, LoadShapeGroups };
// Scope: 2 one shape, 3 a shape and the shapes whose group it is, anything else the site.
const SqlStatement& AttributeQuery(AttributeLoader loader, int scope, bool count);

} // namespace AttributeSql
