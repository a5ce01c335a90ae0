// The property grid's rows: the kind a property's type gives (and so its editor), the rows'
// order by name, and the rows built from one or more shape objects of a control, read through
// their type information and IDispatch as any container's property browser reads them.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <vector>
#include "com/Owners.h"
#include "tests/support/ControlTestSupport.h"
#include "ui/propertygrid/PropertyRow.h"
#include "YVEX_h.h"

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new controltest::ModuleEnvironment);

// The type named `name` in the OLE standard type library, which names OLE_COLOR, the font and
// picture interfaces and a few enumerations as containers know them.
ycom::ComPtr<ITypeInfo> StdOleType(const wchar_t* name)
{
    ycom::ComPtr<ITypeLib> lib;
    ycom::ComPtr<ITypeInfo> found;
    if (FAILED(LoadTypeLib(L"stdole2.tlb", lib.Put())))
        return found;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        BSTR typeName = nullptr;
        if (SUCCEEDED(lib->GetDocumentation(static_cast<INT>(i), &typeName, nullptr, nullptr, nullptr)) && typeName &&
            wcscmp(typeName, name) == 0 && found.Get() == nullptr)
            lib->GetTypeInfo(i, found.Put());
        SysFreeString(typeName);
    }
    return found;
}

const CPropertyRow* RowNamed(const CPropertyRowList& rows, const wchar_t* name)
{
    for (int i = 0; i < rows.GetCount(); ++i)
        if (rows.GetAt(i)->name && wcscmp(rows.GetAt(i)->name, name) == 0)
            return rows.GetAt(i);
    return nullptr;
}
} // namespace

TEST(PropertyRowKind, OfPlainTypes)
{
    TYPEDESC r8 = {};
    r8.vt = VT_R8;
    TYPEDESC ui1 = {};
    ui1.vt = VT_UI1;
    TYPEDESC variant = {};
    variant.vt = VT_VARIANT;
    const struct {
        VARTYPE vt;
        TYPEDESC* inner;
        PropertyRowKind kind;
    } cases[] = {
        {VT_I2, nullptr, prkText},     {VT_I4, nullptr, prkText},     {VT_R4, nullptr, prkText},
        {VT_R8, nullptr, prkText},     {VT_CY, nullptr, prkText},     {VT_DATE, nullptr, prkText},
        {VT_BSTR, nullptr, prkText},   {VT_I1, nullptr, prkText},     {VT_UINT, nullptr, prkText},
        {VT_BOOL, nullptr, prkBool},   {VT_EMPTY, nullptr, prkNone},  {VT_NULL, nullptr, prkNone},
        {VT_ERROR, nullptr, prkNone},  {VT_VARIANT, nullptr, prkNone}, {VT_UNKNOWN, nullptr, prkNone},
        {VT_DISPATCH, nullptr, prkNone}, {VT_DECIMAL, nullptr, prkNone},
        {VT_PTR, &r8, prkText},        {VT_PTR, &variant, prkNone},   {VT_PTR, nullptr, prkNone},
        {VT_SAFEARRAY, &ui1, prkLongText}, {VT_SAFEARRAY, &r8, prkNone},
        {VT_USERDEFINED, nullptr, prkNone},   // no owner to resolve it in
    };
    for (const auto& c : cases) {
        TYPEDESC desc = {};
        desc.vt = c.vt;
        if (c.vt == VT_PTR || c.vt == VT_SAFEARRAY)
            desc.lptdesc = c.inner;
        EXPECT_EQ(PropertyRowKindOfType(nullptr, desc), c.kind) << "vt " << c.vt;
    }
}

// The user types as the standard type library describes them: OLE_COLOR is an alias that keeps
// its GUID, the font and picture are dispatch interfaces, OLE_TRISTATE an enumeration, and
// OLE_HANDLE an alias of a plain integer.
TEST(PropertyRowKind, OfStandardUserTypes)
{
    const struct {
        const wchar_t* name;
        PropertyRowKind kind;
    } cases[] = {
        {L"OLE_COLOR", prkColor}, {L"Font", prkFont}, {L"Picture", prkPicture},
        {L"OLE_TRISTATE", prkEnum}, {L"OLE_HANDLE", prkText},
    };
    for (const auto& c : cases) {
        ycom::ComPtr<ITypeInfo> type = StdOleType(c.name);
        ASSERT_NE(type.Get(), nullptr) << std::string(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(PropertyRowKindOfUserType(type.Get()), c.kind) << std::string(c.name, c.name + wcslen(c.name));
    }
    EXPECT_EQ(PropertyRowKindOfUserType(nullptr), prkNone);
}

// Rows stay sorted by name without regard to case; a name equal to one present goes before it.
TEST(PropertyRowList, InsertsByNameIgnoringCase)
{
    CPropertyRowList list;
    for (const wchar_t* name : {L"b", L"A", L"c", L"a", L"B2"}) {
        auto* row = new CPropertyRow;
        row->name = SysAllocString(name);
        list.InsertSorted(row);
    }
    std::vector<std::wstring> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.emplace_back(list.GetAt(i)->name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a", L"A", L"b", L"B2", L"c"}));
    EXPECT_EQ(list.enableDispid, -1);
    EXPECT_EQ(list.enableValue, 1);
    EXPECT_EQ(list.defaultDecimals, 2);
}

// Two lines of a control seen through their shape objects: the properties they share, the first
// line's values where both agree and an empty value where they differ, get-only properties as
// read-only rows, indexed properties left out, and the Enabled value enabling every row.
TEST(PropertyRowList, BuildsRowsOfShapes)
{
    ycom::ComPtr<IYVEXControl> control;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, control.PutVoid()), S_OK);
    ycom::ComPtr<ISite> site;
    ycom::ComPtr<IShapeCollection> shapes;
    ASSERT_EQ(control->get_Site(site.Put()), S_OK);
    ASSERT_EQ(site->get_Shapes(shapes.Put()), S_OK);
    LONG first = 0, second = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &first), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 15, &second), S_OK);
    ycom::ComPtr<IShape> a, b;
    ASSERT_EQ(shapes->get_ItemByID(first, a.Put()), S_OK);
    ASSERT_EQ(shapes->get_ItemByID(second, b.Put()), S_OK);
    ASSERT_EQ(a->put_PenWeight(1.0f), S_OK);
    ASSERT_EQ(b->put_PenWeight(3.0f), S_OK);

    CPropertyRowList rows;
    rows.enableDispid = PROPERTY_DISPID_ENABLED;
    IDispatch* both[] = {a.Get(), b.Get()};
    ASSERT_EQ(rows.BuildRows(both, 2), S_OK);
    ASSERT_GT(rows.GetCount(), 10);
    for (int i = 1; i < rows.GetCount(); ++i)
        EXPECT_LE(_wcsicmp(rows.GetAt(i - 1)->name, rows.GetAt(i)->name), 0);
    for (int i = 0; i < rows.GetCount(); ++i) {
        EXPECT_NE(rows.GetAt(i)->kind, prkNone);
        EXPECT_NE(rows.GetAt(i)->dispid, 64) << "the indexed ProtectionFlag";
        EXPECT_EQ(rows.GetAt(i)->enabled, 1);
        EXPECT_EQ(rows.FindByDispid(rows.GetAt(i)->dispid), rows.GetAt(i)) << "one row a property";
    }
    const CPropertyRow* weight = RowNamed(rows, L"PenWeight");
    ASSERT_NE(weight, nullptr);
    EXPECT_EQ(V_VT(&weight->value), VT_EMPTY) << "the lines' weights differ";
    EXPECT_TRUE(weight->IsEditable());
    const CPropertyRow* type = RowNamed(rows, L"ShapeType");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->invokeKind, INVOKE_PROPERTYGET);
    EXPECT_FALSE(type->IsEditable());
    EXPECT_EQ(V_VT(&type->value), VT_I4) << "both are lines";
    const CPropertyRow* visible = RowNamed(rows, L"Visible");
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(visible->kind, prkBool);
    EXPECT_EQ(V_VT(&visible->value), VT_BOOL);
    EXPECT_EQ(RowNamed(rows, L"Points"), nullptr) << "collections have no row";

    // The same lines one at a time: the first line's own weight, and a disabled shape greys its rows.
    ASSERT_EQ(a->put_Enabled(VARIANT_FALSE), S_OK);
    IDispatch* one[] = {a.Get()};
    ASSERT_EQ(rows.BuildRows(one, 1), S_OK);
    weight = RowNamed(rows, L"PenWeight");
    ASSERT_NE(weight, nullptr);
    ASSERT_EQ(V_VT(&weight->value), VT_R4);
    EXPECT_FLOAT_EQ(V_R4(&weight->value), 1.0f);
    EXPECT_EQ(weight->valueType, VT_R4);
    EXPECT_EQ(weight->enabled, 0);
    EXPECT_EQ(rows.BuildRows(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(rows.GetCount(), 0);
}
