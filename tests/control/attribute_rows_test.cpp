// The attribute rows a database load hands the control, placed into the site's attribute model:
// groups with parents that come before or after them (never a loop), types of a group, the
// groups given to shapes and the values of shapes made of the field their type names.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/AttributeValue.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

namespace {

struct AttributeSite
{
    CShape* Shape(int databaseId)
    {
        CShape* shape = control.GetShapeMap().CreateShape(stLine, true, true);
        shape->SetDatabaseId(databaseId);
        control.GetShapeMap().SetDbId(databaseId, shape->GetId());
        return shape;
    }
    CAttributeGroupData* Group(int databaseId) { return control.GetAttributeGroupMap()->FindByDatabaseId(databaseId); }
    CControlCore control;
};

CDbLoadTarget::AttributeRow Row(int attributeId, int typeId, int shapeId)
{
    CDbLoadTarget::AttributeRow row;
    row.attributeId = attributeId;
    row.typeId = typeId;
    row.shapeDatabaseId = shapeId;
    row.intField = 42;
    row.realField = 2.5;
    row.dateField = 45000.0;
    row.bitField = 1;
    row.textField = "oak";
    return row;
}

} // namespace

TEST(AttributeRows, ParentsLinkWhicheverRowComesFirstAndNeverFormALoop)
{
    AttributeSite site;
    EXPECT_EQ(site.control.OnAttributeGroupRow(10, "Child", 11), S_OK);
    EXPECT_EQ(site.control.OnAttributeGroupRow(11, "Parent", 0), S_OK);
    ASSERT_NE(site.Group(10), nullptr);
    EXPECT_EQ(site.Group(10)->GetParent(), site.Group(11)) << "the parent row came after its child";
    EXPECT_EQ(site.Group(10)->GetName(), L"Child");

    // Two rows naming each other: B links to A as its row comes; A's pending link to B would then
    // close a loop and is left out.
    EXPECT_EQ(site.control.OnAttributeGroupRow(20, "A", 21), S_OK);
    EXPECT_EQ(site.control.OnAttributeGroupRow(21, "B", 20), S_OK);
    CAttributeGroupData* a = site.Group(20);
    CAttributeGroupData* b = site.Group(21);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->GetParent(), a);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->SetParentGroup(b), E_INVALIDARG) << "A -> B -> A";
    EXPECT_EQ(a->SetParentGroup(a), E_INVALIDARG) << "a group as its own parent";
}

TEST(AttributeRows, TypesGroupsAndValuesReachTheShapes)
{
    AttributeSite site;
    CShape* covered = site.Shape(500);
    CShape* bare = site.Shape(501);
    ASSERT_EQ(site.control.OnAttributeGroupRow(10, "Doors", 0), S_OK);
    const struct { int db; int kind; } types[] = {{100, VT_I4}, {101, VT_R8}, {102, VT_DATE}, {103, VT_BSTR},
                                                  {104, VT_BOOL}, {105, VT_R4}};
    for (const auto& t : types)
        ASSERT_EQ(site.control.OnAttributeTypeRow(t.db, "T" + std::to_string(t.db), "", "", t.kind, 10), S_OK);
    EXPECT_EQ(site.control.OnAttributeTypeRow(199, "orphan", "", "", VT_I4, 77), S_OK) << "no group: nothing";
    EXPECT_EQ(site.control.GetAttributeTypeMap()->GetCount(), 6);
    EXPECT_EQ(site.control.OnShapeAttributeGroupRow(500, 10), S_OK);
    EXPECT_EQ(site.control.OnShapeAttributeGroupRow(999, 10), E_FAIL) << "a shape not loaded";

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(site.control.OnAttributeRow(Row(900 + i, 100 + i, 500)), S_OK);
    CAttributeTypeMap* typeMap = site.control.GetAttributeTypeMap();
    auto valueOf = [&](int typeDb) -> const VARIANT& {
        CAttributeValue* value = covered->GetAttributes().FindValue(typeMap->FindByDatabaseId(typeDb)->GetId());
        EXPECT_NE(value, nullptr);
        return value->GetValue();
    };
    EXPECT_EQ(valueOf(100).vt, VT_I4);
    EXPECT_EQ(valueOf(100).lVal, 42);
    EXPECT_DOUBLE_EQ(valueOf(101).dblVal, 2.5);
    EXPECT_EQ(valueOf(102).vt, VT_DATE);
    EXPECT_DOUBLE_EQ(valueOf(102).date, 45000.0);
    EXPECT_STREQ(valueOf(103).bstrVal, L"oak");
    EXPECT_EQ(valueOf(104).boolVal, VARIANT_TRUE);
    EXPECT_EQ(valueOf(105).vt, VT_EMPTY) << "a value type the rows do not carry";
    EXPECT_EQ(site.control.GetAttributeMap()->FindByDatabaseId(900)->GetId(), typeMap->FindByDatabaseId(100)->GetId());

    // A shape whose groups do not cover the type keeps nothing, and the site keeps no stray value.
    const size_t before = site.control.GetAttributeMap()->Values().size();
    EXPECT_EQ(site.control.OnAttributeRow(Row(950, 100, 501)), E_ACCESSDENIED);
    EXPECT_EQ(bare->GetAttributes().GetCount(), 0);
    EXPECT_EQ(site.control.GetAttributeMap()->Values().size(), before);
    EXPECT_EQ(site.control.OnAttributeRow(Row(951, 777, 500)), E_FAIL) << "an unknown type";
}

TEST(AttributeModel, DeletingAGroupTakesItsOwnTypesOnly)
{
    AttributeSite site;
    CShape* shape = site.Shape(500);
    ASSERT_EQ(site.control.OnAttributeGroupRow(10, "Parent", 0), S_OK);
    ASSERT_EQ(site.control.OnAttributeGroupRow(11, "Child", 10), S_OK);
    ASSERT_EQ(site.control.OnAttributeTypeRow(100, "inherited", "", "", VT_I4, 10), S_OK);
    ASSERT_EQ(site.control.OnAttributeTypeRow(101, "own", "", "", VT_I4, 11), S_OK);
    ASSERT_EQ(site.control.OnShapeAttributeGroupRow(500, 11), S_OK);
    ASSERT_EQ(site.control.OnAttributeRow(Row(900, 100, 500)), S_OK) << "covered through the parent";
    ASSERT_EQ(site.control.OnAttributeRow(Row(901, 101, 500)), S_OK);
    ASSERT_EQ(shape->GetAttributes().GetCount(), 2);

    CAttributeGroupMap* groups = site.control.GetAttributeGroupMap();
    EXPECT_EQ(groups->Delete(site.Group(11)->GetId()), 0);
    EXPECT_EQ(site.control.GetAttributeTypeMap()->GetCount(), 1) << "the parent's type stays";
    EXPECT_NE(site.control.GetAttributeTypeMap()->FindByDatabaseId(100), nullptr);
    EXPECT_EQ(site.Group(10)->GetTypes().GetCount(), 1);
    EXPECT_EQ(shape->GetAttributeGroups().GetCount(), 0);
    EXPECT_EQ(shape->GetAttributes().GetCount(), 0) << "nothing covers the values any more";
    EXPECT_TRUE(site.control.GetAttributeMap()->Values().empty());
}

// The values and groups to and from the record tables.
TEST(AttributeTables, AValueTakesTheNextRecordOnceAndFillsTheFieldOfItsTypesKindToo)
{
    AttributeSite site;
    CShape* shape = site.Shape(500);
    ASSERT_EQ(site.control.OnAttributeGroupRow(10, "Doors", 0), S_OK);
    ASSERT_EQ(site.control.OnAttributeTypeRow(100, "Label", "", "", VT_BSTR, 10), S_OK);
    ASSERT_EQ(site.control.OnShapeAttributeGroupRow(500, 10), S_OK);
    CAttributeType* type = site.control.GetAttributeTypeMap()->FindByDatabaseId(100);
    VARIANT seven;
    VariantInit(&seven);
    seven.vt = VT_I4;
    seven.lVal = 7;
    CAttributeValue* value = shape->GetAttributes().Create(type->GetId(), 0, seven);
    ASSERT_NE(value, nullptr);

    CDataTableSet tables(1);
    ASSERT_EQ(value->ExchangeTables(&tables, 0), S_OK);
    const int key = value->GetDatabaseId();
    EXPECT_GT(key, 0) << "an unsaved value takes the next record ID";
    EXPECT_EQ(site.control.GetAttributeMap()->FindByDatabaseId(key), value) << "the index follows";
    ASSERT_EQ(value->ExchangeTables(&tables, 0), S_OK);
    EXPECT_EQ(value->GetDatabaseId(), key) << "a second save reuses the record";
    EXPECT_EQ(tables.Attributes()->GetCount(), 1u);
    const CAttributesRecord* record = tables.Attributes()->FindRecord(key);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->IntField, 7);
    EXPECT_EQ(record->VarCharField, "7") << "the string field of the type's kind as well";
    EXPECT_EQ(record->AttributeTypeID, 100) << "the type by its database ID";

    // Read back into a value of the same type: the type's kind decides.
    tables.AddIdMapping(type->GetId(), 100, 3);
    VARIANT empty;
    VariantInit(&empty);
    CAttributeValue* loaded = site.control.GetAttributeMap()->Create(0, 0, empty);
    ASSERT_TRUE(tables.Attributes()->FindRecord(key));
    ASSERT_EQ(loaded->ExchangeTables(&tables, DXFMODE_LOAD), S_OK);
    EXPECT_EQ(loaded->GetId(), type->GetId());
    EXPECT_EQ(loaded->GetValue().vt, VT_BSTR);
    EXPECT_STREQ(loaded->GetValue().bstrVal, L"7");
    loaded->Release(-100);

    // A value whose type the site lacks is refused both ways.
    CAttributeValue* stray = site.control.GetAttributeMap()->Create(4242, 0, seven);
    EXPECT_EQ(stray->ExchangeTables(&tables, 0), E_ACCESSDENIED);
    CAttributesRecord unknown;
    unknown.AttributeID = 777;
    unknown.AttributeTypeID = 999;
    tables.Attributes()->Insert(unknown);
    tables.Attributes()->FindRecord(777);
    EXPECT_EQ(stray->ExchangeTables(&tables, DXFMODE_LOAD), E_FAIL);
    stray->Release(-100);
}

TEST(AttributeTables, AnUnsavedParentGetsItsRecordFirstAndLoadsLinkWithoutLoops)
{
    AttributeSite site;
    CAttributeGroupMap* groups = site.control.GetAttributeGroupMap();
    CAttributeGroupData* parent = groups->Create(0, 0, L"Parent");
    CAttributeGroupData* child = groups->Create(0, 0, L"Child");
    ASSERT_EQ(child->SetParentGroup(parent), S_OK);
    CDataTableSet tables(1);
    ASSERT_EQ(groups->ExchangeTables(&tables, 0, child->GetId()), S_OK);
    EXPECT_GT(parent->GetDatabaseId(), 0) << "the parent was given a record";
    const CAttributeGroupsRecord* record = tables.AttributeGroups()->FindRecord(child->GetDatabaseId());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->ParentGroupID, parent->GetDatabaseId());
    EXPECT_EQ(record->Name, "Child");
    EXPECT_NE(tables.AttributeGroups()->FindRecord(parent->GetDatabaseId()), nullptr);

    // Records naming each other come back with one link only.
    CDataTableSet loop(1);
    CAttributeGroupsRecord a, b;
    a.AttributeGroupID = 1;
    a.Name = "A";
    a.ParentGroupID = 2;
    b.AttributeGroupID = 2;
    b.Name = "B";
    b.ParentGroupID = 1;
    loop.AttributeGroups()->Insert(a);
    loop.AttributeGroups()->Insert(b);
    AttributeSite other;
    ASSERT_EQ(other.control.GetAttributeGroupMap()->ExchangeTables(&loop, DXFMODE_LOAD, 0), S_OK);
    CAttributeGroupMap* loaded = other.control.GetAttributeGroupMap();
    ASSERT_EQ(loaded->GetCount(), 2);
    auto* first = static_cast<CAttributeGroupData*>(loaded->GetAt(0));
    auto* second = static_cast<CAttributeGroupData*>(loaded->GetAt(1));
    EXPECT_TRUE((first->GetParent() == nullptr) != (second->GetParent() == nullptr));
    EXPECT_FALSE(first->GetParent() && first->GetParent()->ChainHolds(first));
    EXPECT_EQ(loaded->ExchangeTables(&loop, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 99), E_ACCESSDENIED);
    CDataTableSet none(0);
    EXPECT_EQ(loaded->ExchangeTables(&none, DXFMODE_LOAD, 0), S_FALSE);
}

// Types go to the table with their groups (a type whose group has no record stays out) and come
// back under their groups; a record naming a type the site has by database ID updates it. A value
// of a subtree restored on its own loads the types of the set when its own is missing.
TEST(AttributeTables, TypesTravelWithTheirGroupsAndASubtreesValueLoadsItsType)
{
    AttributeSite site;
    CAttributeGroupMap* groups = site.control.GetAttributeGroupMap();
    CAttributeGroupData* doors = groups->Create(0, 0, L"Doors");
    CAttributeGroupData* unsaved = groups->Create(0, 0, L"Windows");
    CAttributeType* label = doors->GetTypes().Create(-1, 0, L"Label", L"%s", L"Label?");
    CAttributeType* width = unsaved->GetTypes().Create(-1, 0, L"Width", L"", L"");
    ASSERT_TRUE(label && width);
    CDataTableSet tables(1);
    ASSERT_EQ(groups->ExchangeTables(&tables, 0, doors->GetId()), S_OK);
    ASSERT_EQ(site.control.GetAttributeTypeMap()->ExchangeTables(&tables, 0, 0), S_OK);
    EXPECT_EQ(label->GetDatabaseId(), 1) << "the first key of an empty table";
    EXPECT_EQ(site.control.GetAttributeTypeMap()->FindByDatabaseId(1), label);
    ASSERT_EQ(tables.AttributeTypes()->GetCount(), 1u) << "a type whose group has no record stays out";
    const CAttributeTypesRecord* record = tables.AttributeTypes()->FindRecord(1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Name, "Label");
    EXPECT_EQ(record->Prompt, "Label?");
    EXPECT_EQ(record->AttributeGroupID, doors->GetDatabaseId());
    VARIANT oak;
    VariantInit(&oak);
    oak.vt = VT_BSTR;
    oak.bstrVal = SysAllocString(L"oak");
    CAttributeValue* value = site.control.GetAttributeMap()->Create(label->GetId(), 0, oak);
    VariantClear(&oak);
    ASSERT_EQ(value->ExchangeTables(&tables, 0), S_OK);
    const int valueKey = value->GetDatabaseId();
    value->Release(-100);

    // Another site has the groups but not the types. A whole-drawing load does not look for the
    // type; a subtree's does, once, and finds the value's type among the records.
    AttributeSite other;
    ASSERT_EQ(other.control.GetAttributeGroupMap()->ExchangeTables(&tables, DXFMODE_LOAD, 0), S_OK);
    CAttributeTypeMap* types = other.control.GetAttributeTypeMap();
    VARIANT empty;
    VariantInit(&empty);
    CAttributeValue* loaded = other.control.GetAttributeMap()->Create(0, 0, empty);
    ASSERT_TRUE(tables.Attributes()->FindRecord(valueKey));
    EXPECT_EQ(loaded->ExchangeTables(&tables, DXFMODE_LOAD), E_FAIL);
    EXPECT_EQ(types->GetCount(), 0) << "nothing made";
    ASSERT_EQ(loaded->ExchangeTables(&tables, DXFMODE_LOAD | DXFMODE_PROCESS_TREE_ONLY), S_OK);
    ASSERT_EQ(types->GetCount(), 1);
    CAttributeType* made = types->FindByName(L"Label");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(loaded->GetId(), made->GetId());
    EXPECT_EQ(made->GetDatabaseId(), 1);
    EXPECT_EQ(made->GetPrompt(), L"Label?");
    ASSERT_NE(made->GetOwnerGroup(), nullptr);
    EXPECT_EQ(made->GetOwnerGroup()->GetName(), L"Doors");
    EXPECT_EQ(loaded->GetValue().vt, VT_BSTR);
    EXPECT_STREQ(loaded->GetValue().bstrVal, L"oak");
    loaded->Release(-100);

    // Loaded again from a fresh set of the same rows: the type of that database ID takes the
    // record's texts instead of a second type appearing; a record whose group is not here is left
    // out; a single record that is absent is refused.
    CDataTableSet again(1);
    CAttributeTypesRecord renamed = *record;
    renamed.Name = "Caption";
    again.AttributeTypes()->Insert(renamed);
    CAttributeTypesRecord orphan;
    orphan.AttributeTypeID = 2;
    orphan.Name = "Orphan";
    orphan.AttributeGroupID = 999;
    again.AttributeTypes()->Insert(orphan);
    again.AddIdMapping(made->GetOwnerGroup()->GetId(), record->AttributeGroupID, 4);
    ASSERT_EQ(types->ExchangeTables(&again, DXFMODE_LOAD, 0), S_OK);
    EXPECT_EQ(types->GetCount(), 1);
    EXPECT_EQ(made->GetName(), L"Caption");
    EXPECT_EQ(types->FindByName(L"Caption"), made) << "the name index follows";
    EXPECT_EQ(types->ExchangeTables(&again, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 77), E_ACCESSDENIED);
    CDataTableSet none(0);
    EXPECT_EQ(types->ExchangeTables(&none, DXFMODE_LOAD, 0), S_FALSE);
    EXPECT_EQ(types->ExchangeTables(nullptr, DXFMODE_LOAD, 0), E_INVALIDARG);

    // Keeping identifiers, a type comes back under its own ID.
    CDataTableSet own(1);
    ASSERT_EQ(groups->ExchangeTables(&own, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    ASSERT_EQ(site.control.GetAttributeTypeMap()->ExchangeTables(&own, DXFMODE_USE_YVEX_IDENTIFIERS, 0), S_OK);
    EXPECT_EQ(own.AttributeTypes()->GetCount(), 2u) << "both groups have records now";
    AttributeSite third;
    const DWORD keep = DXFMODE_LOAD | DXFMODE_USE_YVEX_IDENTIFIERS;
    ASSERT_EQ(third.control.GetAttributeGroupMap()->ExchangeTables(&own, keep, 0), S_OK);
    ASSERT_EQ(third.control.GetAttributeTypeMap()->ExchangeTables(&own, keep, 0), S_OK);
    CAttributeType* same = third.control.GetAttributeTypeMap()->FindType(width->GetId());
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->GetName(), L"Width");
    EXPECT_EQ(same->GetOwnerGroup()->GetId(), unsaved->GetId());
}
