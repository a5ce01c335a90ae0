#include "persistence/sql/AttributeLinkSql.h"

namespace AttributeLinkSql {

// The values held by the site's shapes, unless a shape of another site holds them as well. Run
// before the links go: they are what names a value's site.
const SqlStatement DeleteAttributesOfSite{"AttributeLinkSql.DeleteAttributesOfSite",
    "delete from Attributes where"
    " exists (select * from ShapeAttributes sa, Shapes s where sa.AttributeID = Attributes.AttributeID"
    " and s.ShapeID = sa.ShapeID and s.SiteID = %d) and"
    " not exists (select * from ShapeAttributes sa, Shapes s where sa.AttributeID = Attributes.AttributeID"
    " and s.ShapeID = sa.ShapeID and s.SiteID <> %d)",
    nullptr, nullptr};

// The types of the groups given to the site alone. Run before the SiteAttributes rows go.
const SqlStatement DeleteAttributeTypesOfSite{"AttributeLinkSql.DeleteAttributeTypesOfSite",
    "delete from AttributeTypes where"
    " exists (select * from SiteAttributes sa where sa.AttributeGroupID = AttributeTypes.AttributeGroupID"
    " and sa.SiteID = %d) and"
    " not exists (select * from SiteAttributes sa where sa.AttributeGroupID = AttributeTypes.AttributeGroupID"
    " and sa.SiteID <> %d)",
    nullptr, nullptr};

// The groups given to the site alone.
const SqlStatement DeleteAttributeGroupsOfSite{"AttributeLinkSql.DeleteAttributeGroupsOfSite",
    "delete from AttributeGroups where"
    " exists (select * from SiteAttributes sa where sa.AttributeGroupID = AttributeGroups.AttributeGroupID"
    " and sa.SiteID = %d) and"
    " not exists (select * from SiteAttributes sa where sa.AttributeGroupID = AttributeGroups.AttributeGroupID"
    " and sa.SiteID <> %d)",
    nullptr, nullptr};

// (group ID, scenario ID, parent group ID or NULL); the name bound.
const SqlStatement InsertAttributeGroup{"AttributeLinkSql.InsertAttributeGroup",
    "insert into AttributeGroups (AttributeGroupID, ScenarioID, Name, ParentGroupID) values (%d, %d, ?, %s)",
    nullptr, nullptr};

// (site ID, attribute group ID, scenario ID)
const SqlStatement InsertSiteAttribute{"AttributeLinkSql.InsertSiteAttribute",
    "insert into SiteAttributes (SiteID, AttributeGroupID, ScenarioID) values (%d, %d, %d)",
    nullptr, nullptr};

// (type ID, value type, group ID, scenario ID); name, format and prompt bound, in that order.
const SqlStatement InsertAttributeType{"AttributeLinkSql.InsertAttributeType",
    "insert into AttributeTypes (AttributeTypeID, Name, Format, Prompt, ValueType, AttributeGroupID, ScenarioID)"
    " values (%d, ?, ?, ?, %d, %d, %d)",
    nullptr, nullptr};

// (attribute ID, scenario ID, integer, date as a quoted 'YYYY-MM-DD' or NULL, real, bit, type
// ID); the text value bound.
const SqlStatement InsertAttribute{"AttributeLinkSql.InsertAttribute",
    "insert into Attributes (AttributeID, ScenarioID, IntField, DateTimeField, RealField, BitField, VarCharField,"
    " AttributeTypeID) values (%d, %d, %d, %s, %f, %d, ?, %d)",
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
    &DeleteAttributesOfSite,
    &DeleteAttributeTypesOfSite,
    &DeleteAttributeGroupsOfSite,
    &InsertAttributeGroup,
    &InsertSiteAttribute,
    &InsertAttributeType,
    &InsertAttribute,
    &InsertShapeAttribute,
    &InsertShapeAttributeGroup};

SqlStatementList All()
{
    return {"Attribute rows", kAll, sizeof kAll / sizeof kAll[0]};
}

} // namespace AttributeLinkSql
