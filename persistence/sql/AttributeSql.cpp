#include "persistence/sql/AttributeSql.h"

namespace AttributeSql {

// Attribute groups of a site; v_AttributeGroups read by position.
const SqlStatement GroupsSelect{"AttributeSql.GroupsSelect",
    "select vAttrGroup.* from [v_AttributeGroups] vAttrGroup, [v_SiteAttributes] vSAttr \n"
    "  where \n"
    "      vSAttr.[SiteID]=%d and \n"
    "      vAttrGroup.[AttributeGroupID]=vSAttr.[AttributeGroupID]",
    nullptr, nullptr};

const SqlStatement GroupsCount{"AttributeSql.GroupsCount",
    "select count(*) from [v_AttributeGroups] vAttrGroup \n"
    "    where \n"
    "        exists(select * from [v_SiteAttributes] vSAttr \n"
    "            where \n"
    "                vSAttr.[SiteID]=%d and \n"
    "                vAttrGroup.[AttributeGroupID]=vSAttr.[AttributeGroupID])",
    nullptr, nullptr};

// Attribute types of a site; v_AttributeTypes read by position.
const SqlStatement TypesSelect{"AttributeSql.TypesSelect",
    "select vAttrType.* from [v_AttributeTypes] vAttrType, "
    "[v_AttributeGroups] vAttrGroup, [v_SiteAttributes] vSAttr \n"
    "where \n"
    "    vSAttr.[SiteID]=%d and \n"
    "    vAttrGroup.[AttributeGroupID]=vSAttr.[AttributeGroupID] and \n"
    "    vAttrType.[AttributeGroupID]=vAttrGroup.[AttributeGroupID]",
    nullptr, nullptr};

const SqlStatement TypesCount{"AttributeSql.TypesCount",
    "select count(*) from [v_AttributeTypes] vAttrType \n"
    "where \n"
    "    exists(select * from [v_AttributeGroups] vAttrGroup, [v_SiteAttributes] vSAttr \n"
    "        where \n"
    "            vSAttr.[SiteID]=%d and \n"
    "            vAttrGroup.[AttributeGroupID]=vSAttr.[AttributeGroupID] and \n"
    "            vAttrType.[AttributeGroupID]=vAttrGroup.[AttributeGroupID])",
    nullptr, nullptr};

// Attribute values of a site's shapes.
const SqlStatement AttributesSiteSelect{"AttributeSql.AttributesSiteSelect",
    "select vAttr.[AttributeID], vAttr.[IntField], vAttr.[DateTimeField], "
    "vAttr.[RealField], vAttr.[BitField], vAttr.[VarCharField], vAttr.[AttributeTypeID], "
    "vShAttr.[ShapeID] \n"
    "from [v_Attributes] vAttr, [v_ShapeAttributes] vShAttr, [v_Shapes] vShapes \n"
    "  where \n"
    "    vShapes.[SiteID]=%d and \n"
    "    vShapes.[ShapeID]=vShAttr.[ShapeID] and \n"
    "    vAttr.[AttributeID]=vShAttr.[AttributeID]\n"
    "  order by vShAttr.[ShapeID]",
    nullptr, nullptr};

const SqlStatement AttributesSiteCount{"AttributeSql.AttributesSiteCount",
    "select count(*) from [v_Attributes] vAttr \n"
    "where \n"
    "exists(select * from [v_ShapeAttributes] vShAttr, [v_Shapes] vShapes \n"
    "    where \n"
    "        vShapes.[SiteID]=%d and \n"
    "        vShapes.[ShapeID]=vShAttr.[ShapeID] and \n"
    "        vAttr.[AttributeID]=vShAttr.[AttributeID])",
    nullptr, nullptr};

// Of one shape.
const SqlStatement AttributesShapeSelect{"AttributeSql.AttributesShapeSelect",
    "select vAttr.[AttributeID], vAttr.[IntField], vAttr.[DateTimeField], "
    "vAttr.[RealField], vAttr.[BitField], vAttr.[VarCharField], vAttr.[AttributeTypeID], "
    "vShAttr.[ShapeID] \n"
    " from [v_Attributes] vAttr, [v_ShapeAttributes] vShAttr \n"
    "where \n"
    "    vAttr.[AttributeID]=vShAttr.[AttributeID] and \n"
    "    vShAttr.[ShapeID]=%d",
    nullptr, nullptr};

const SqlStatement AttributesShapeCount{"AttributeSql.AttributesShapeCount",
    "select count(*) \n"
    " from [v_Attributes] vAttr \n"
    "where \n"
    "    exists(select * from [v_ShapeAttributes] vShAttr \n"
    "        where \n"
    "            vAttr.[AttributeID]=vShAttr.[AttributeID] and \n"
    "            vShAttr.[ShapeID]=%d)",
    nullptr, nullptr};

// Of a shape and the shapes whose group it is (the ID twice).
const SqlStatement AttributesTreeSelect{"AttributeSql.AttributesTreeSelect",
    "select vAttr.[AttributeID], vAttr.[IntField], vAttr.[DateTimeField], "
    "vAttr.[RealField], vAttr.[BitField], vAttr.[VarCharField], vAttr.[AttributeTypeID], "
    "vShAttr.[ShapeID] \n"
    " from [v_Attributes] vAttr, [v_ShapeAttributes] vShAttr \n"
    "where \n"
    "    vAttr.[AttributeID]=vShAttr.[AttributeID] and \n"
    "    exists(select * from [v_Shapes] vShapes \n"
    "    where \n"
    "        (vShapes.[ShapeID]=%d or vShapes.[GroupShapeID]=%d) and \n"
    "        vShapes.[ShapeID]=vShAttr.[ShapeID])",
    nullptr, nullptr};

const SqlStatement AttributesTreeCount{"AttributeSql.AttributesTreeCount",
    "select count(*) \n"
    " from [v_Attributes] vAttr \n"
    "where \n"
    "    exists(select * from [v_Shapes] vShapes, [v_ShapeAttributes] vShAttr \n"
    "    where \n"
    "        vAttr.[AttributeID]=vShAttr.[AttributeID] and \n"
    "        (vShapes.[ShapeID]=%d or vShapes.[GroupShapeID]=%d) and \n"
    "        vShapes.[ShapeID]=vShAttr.[ShapeID])",
    nullptr, nullptr};

// Attribute groups given to a site's shapes.
const SqlStatement ShapeGroupsSiteSelect{"AttributeSql.ShapeGroupsSiteSelect",
    "select vSGroup.[ShapeID], vSGroup.[AttributeGroupID] \n"
    "from [v_ShapeAttributeGroups] vSGroup, [v_Shapes] vShape \n"
    "where \n"
    "    vShape.[SiteID]=%d and \n"
    "    vSGroup.[ShapeID]=vShape.[ShapeID]",
    nullptr, nullptr};

const SqlStatement ShapeGroupsSiteCount{"AttributeSql.ShapeGroupsSiteCount",
    "select count(*) \n"
    "from [v_ShapeAttributeGroups] vSGroup \n"
    "    where \n"
    "        exists(select * from  [v_Shapes] vShape \n"
    "            where \n"
    "                vShape.[SiteID]=%d and \n"
    "                vSGroup.[ShapeID]=vShape.[ShapeID])",
    nullptr, nullptr};

// Of one shape.
const SqlStatement ShapeGroupsShapeSelect{"AttributeSql.ShapeGroupsShapeSelect",
    "select vSGroup.[ShapeID], vSGroup.[AttributeGroupID]  \n"
    "from [v_ShapeAttributeGroups] vSGroup \n"
    "    where \n"
    "        vSGroup.[ShapeID]=%d",
    nullptr, nullptr};

const SqlStatement ShapeGroupsShapeCount{"AttributeSql.ShapeGroupsShapeCount",
    "select count(*)  \n"
    "from [v_ShapeAttributeGroups] vSGroup \n"
    "    where \n"
    "        vSGroup.[ShapeID]=%d",
    nullptr, nullptr};

// Of a shape and the shapes whose group it is (the ID twice).
const SqlStatement ShapeGroupsTreeSelect{"AttributeSql.ShapeGroupsTreeSelect",
    "select vSGroup.[ShapeID], vSGroup.[AttributeGroupID]  \n"
    "from [v_ShapeAttributeGroups] vSGroup \n"
    "    where \n"
    "        exists(select * from  [v_Shapes] vShape \n"
    "            where \n"
    "                (vShape.[ShapeID]=%d or vShape.[GroupShapeID]=%d) and \n"
    "                vSGroup.[ShapeID]=vShape.[ShapeID])",
    nullptr, nullptr};

const SqlStatement ShapeGroupsTreeCount{"AttributeSql.ShapeGroupsTreeCount",
    "select count(*)  \n"
    "from [v_ShapeAttributeGroups] vSGroup \n"
    "    where \n"
    "        exists(select * from  [v_Shapes] vShape \n"
    "            where \n"
    "                (vShape.[ShapeID]=%d or vShape.[GroupShapeID]=%d) and \n"
    "                vSGroup.[ShapeID]=vShape.[ShapeID])",
    nullptr, nullptr};

static const SqlStatement* const kAll[] = {
    &GroupsSelect,
    &GroupsCount,
    &TypesSelect,
    &TypesCount,
    &AttributesSiteSelect,
    &AttributesSiteCount,
    &AttributesShapeSelect,
    &AttributesShapeCount,
    &AttributesTreeSelect,
    &AttributesTreeCount,
    &ShapeGroupsSiteSelect,
    &ShapeGroupsSiteCount,
    &ShapeGroupsShapeSelect,
    &ShapeGroupsShapeCount,
    &ShapeGroupsTreeSelect,
    &ShapeGroupsTreeCount};

SqlStatementList All()
{
    return {"Attributes", kAll, sizeof kAll / sizeof kAll[0]};
}

const SqlStatement& AttributeQuery(AttributeLoader loader, int scope, bool count)
{
    switch (loader) {
    case LoadGroups: return count ? GroupsCount : GroupsSelect;
    case LoadTypes: return count ? TypesCount : TypesSelect;
    case LoadAttributes:
        if (scope == 2)
            return count ? AttributesShapeCount : AttributesShapeSelect;
        if (scope == 3)
            return count ? AttributesTreeCount : AttributesTreeSelect;
        return count ? AttributesSiteCount : AttributesSiteSelect;
    case LoadShapeGroups:
        if (scope == 2)
            return count ? ShapeGroupsShapeCount : ShapeGroupsShapeSelect;
        if (scope == 3)
            return count ? ShapeGroupsTreeCount : ShapeGroupsTreeSelect;
        return count ? ShapeGroupsSiteCount : ShapeGroupsSiteSelect;
    }
    return count ? GroupsCount : GroupsSelect;
}

} // namespace AttributeSql
