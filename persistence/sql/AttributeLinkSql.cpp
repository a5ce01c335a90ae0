#include "persistence/sql/AttributeLinkSql.h"

namespace AttributeLinkSql {

// Rows (shape ID, attribute ID) of the site's shapes.
const SqlStatement SelectShapeAttributesOfSite{"AttributeLinkSql.SelectShapeAttributesOfSite",
    "select sa.ShapeID, sa.AttributeID from ShapeAttributes sa, Shapes s"
    " where s.ShapeID = sa.ShapeID and s.SiteID = %d",
    nullptr, nullptr};

// Rows (shape ID, attribute group ID) of the site's shapes.
const SqlStatement SelectShapeAttributeGroupsOfSite{"AttributeLinkSql.SelectShapeAttributeGroupsOfSite",
    "select sg.ShapeID, sg.AttributeGroupID from ShapeAttributeGroups sg, Shapes s"
    " where s.ShapeID = sg.ShapeID and s.SiteID = %d",
    nullptr, nullptr};

// (shape ID, attribute ID, scenario ID)
const SqlStatement InsertShapeAttribute{"AttributeLinkSql.InsertShapeAttribute",
    "insert into ShapeAttributes (ShapeID, AttributeID, ScenarioID) values (%d, %d, %d)",
    nullptr, nullptr};

// (shape ID, attribute group ID, scenario ID)
const SqlStatement InsertShapeAttributeGroup{"AttributeLinkSql.InsertShapeAttributeGroup",
    "insert into ShapeAttributeGroups (ShapeID, AttributeGroupID, ScenarioID) values (%d, %d, %d)",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &SelectShapeAttributesOfSite,
    &SelectShapeAttributeGroupsOfSite,
    &InsertShapeAttribute,
    &InsertShapeAttributeGroup};

SqlStatementList All()
{
    return {"Attribute links", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace AttributeLinkSql
