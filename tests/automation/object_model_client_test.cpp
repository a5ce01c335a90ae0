// The object model from a C++ client of the registered control: the members scripts cannot call
// (typed out parameters), the hidden _Init members given numbers that name nothing, and hit lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <ole2.h>
#include <oleauto.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "YVEX_h.h"
#include "tests/support/PictureFiles.h"

namespace {

template <class T>
struct Ptr {
    T* p = nullptr;
    ~Ptr() { if (p) p->Release(); }
    T* operator->() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
    T** Put() { return &p; }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
};

std::wstring ErrorDescription()
{
    Ptr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info.p)
        return L"";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring out = text ? text : L"";
    SysFreeString(text);
    return out;
}

class ObjectModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, control.Out()), S_OK);
        ASSERT_EQ(control->get_Site(site.Put()), S_OK);
        ASSERT_EQ(site->get_Shapes(shapes.Put()), S_OK);
    }
    void TearDown() override
    {
        shapes.Reset();
        site.Reset();
        control.Reset();
        CoUninitialize();
    }
    Ptr<IYVEXControl> control;
    Ptr<ISite> site;
    Ptr<IShapeCollection> shapes;
};

TEST_F(ObjectModel, BoundingRectangleThroughTypedOutParameters)
{
    LONG id = 0;
    ASSERT_EQ(shapes->AddLine(2, 1, 8, 9, &id), S_OK);
    Ptr<IShape> line;
    ASSERT_EQ(shapes->get_ItemByID(id, line.Put()), S_OK);
    ASSERT_NE(line.p, nullptr);
    float left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(line->GetBoundingRect(&left, &top, &right, &bottom), S_OK);
    EXPECT_NEAR(left, 2, 1e-4);
    EXPECT_NEAR(right, 8, 1e-4);
    EXPECT_NEAR(std::min(top, bottom), 1, 1e-4);
    EXPECT_NEAR(std::max(top, bottom), 9, 1e-4);

    // Gone: the wrapper reports it instead of reaching the shape.
    ASSERT_EQ(shapes->DeleteByID(id), S_OK);
    EXPECT_EQ(line->GetBoundingRect(&left, &top, &right, &bottom), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorDescription(), L"Shape not found.");
}

TEST_F(ObjectModel, HiddenInitRefusesNumbersThatNameNothing)
{
    struct Case {
        const CLSID* clsid;
        const IID* iid;
    };
    for (const Case& c : {Case{&CLSID_LineShape, &IID_IShape}, Case{&CLSID_GroupShape, &IID_IShape}}) {
        Ptr<IShape> shape;
        ASSERT_EQ(CoCreateInstance(*c.clsid, nullptr, CLSCTX_INPROC_SERVER, *c.iid, shape.Out()), S_OK);
        EXPECT_EQ(shape->_Init(12345, 0), E_INVALIDARG);
        EXPECT_EQ(ErrorDescription(), L"Wrong identifier.");
        EXPECT_EQ(shape->_Init(0, 0x10000), E_INVALIDARG) << "a shape without a control";
        LONG value = 42;
        EXPECT_EQ(shape->get_Tag(&value), S_OK) << "still unattached: the value stays";
        EXPECT_EQ(value, 42);
    }
    for (const CLSID* clsid : {&CLSID_ShapeCollection, &CLSID_GlobalShapeCollection, &CLSID_ReadOnlyShapeCollection}) {
        Ptr<IReadOnlyShapeCollection> collection;
        ASSERT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IReadOnlyShapeCollection, collection.Out()),
                  S_OK);
        EXPECT_EQ(collection->_Init(12345, 0, 0), E_INVALIDARG);
        EXPECT_EQ(ErrorDescription(), L"Wrong identifier.");
        LONG count = 0;
        EXPECT_EQ(collection->get_Count(&count), E_FAIL) << "never attached";
        EXPECT_EQ(count, -1);
    }
}

TEST_F(ObjectModel, SiteWithoutControlAndSiteOfControl)
{
    Ptr<ISite> lone;
    ASSERT_EQ(CoCreateInstance(CLSID_Site, nullptr, CLSCTX_INPROC_SERVER, IID_ISite, lone.Out()), S_OK);
    double value = 0;
    EXPECT_EQ(lone->get_DraftLeft(&value), E_ACCESSDENIED);
    EXPECT_EQ(lone->put_LinePatternScale(2), E_ACCESSDENIED);
    BSTR name = nullptr, description = nullptr;
    EXPECT_EQ(lone->get_LineTypeName(1, &description, &name), E_POINTER);

    EXPECT_EQ(site->put_LinePatternScale(0.0000005), E_INVALIDARG);
    EXPECT_EQ(site->put_LinePatternScale(-2), S_OK);
    EXPECT_EQ(site->get_LinePatternScale(&value), S_OK);
    EXPECT_EQ(value, -2);
    LONG shapeId = 7;
    EXPECT_EQ(site->GetLinkedPointShape(424242, &shapeId), S_FALSE);
    EXPECT_EQ(shapeId, 0);
    EXPECT_EQ(site->get_UserEditingShapeID(&shapeId), S_FALSE);
    Ptr<IShapeCollection> other;
    ASSERT_EQ(site->get_Shapes(other.Put()), S_OK);
    EXPECT_NE(other.p, shapes.p) << "a new collection on every call";
    EXPECT_EQ(site->GetPointShape(1, other.Put()), E_NOTIMPL);
}

TEST_F(ObjectModel, HitListOnEmptyGroundIsEmpty)
{
    LONG id = 0;
    ASSERT_EQ(shapes->AddRectangle(0, 10, 20, 0, &id), S_OK);
    Ptr<IReadOnlyShapeCollection> hits;
    ASSERT_EQ(shapes->get_HitShapeCollection(-30000, -30000, hits.Put()), S_OK);
    LONG count = -1;
    ASSERT_EQ(hits->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    Ptr<IShape> none;
    EXPECT_EQ(hits->get_Item(1, none.Put()), S_FALSE);
    EXPECT_EQ(none.p, nullptr);
}

TEST_F(ObjectModel, PolylineAreaAndSegments)
{
    LONG openId = 0, rectId = 0;
    ASSERT_EQ(shapes->AddPolyline(0, 0, 10, 0, &openId), S_OK);
    // Large enough to span many pixels of the control's default view.
    ASSERT_EQ(shapes->AddRectangle(0, 1000, 2000, 0, &rectId), S_OK);
    struct Case {
        LONG id;
        HRESULT result;
        float area;
    };
    for (const Case& c : {Case{openId, S_FALSE, 0.0f}, Case{rectId, S_OK, 2000000.0f}}) {
        Ptr<IShape> shape;
        ASSERT_EQ(shapes->get_ItemByID(c.id, shape.Put()), S_OK);
        Ptr<IPolylineShape> polyline;
        ASSERT_EQ(shape->QueryInterface(IID_IPolylineShape, polyline.Out()), S_OK);
        float area = -5;
        EXPECT_EQ(polyline->get_Area(&area), c.result) << c.id;
        EXPECT_NEAR(area, c.area, 1e-2) << c.id;
    }

    // The closing edge of the rectangle (from its last point back to its first) is its point count.
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(rectId, shape.Put()), S_OK);
    Ptr<IPolylineShape> rect;
    ASSERT_EQ(shape->QueryInterface(IID_IPolylineShape, rect.Out()), S_OK);
    LONG segment = -1;
    EXPECT_EQ(rect->HitSegmentTest(0, 500, &segment), S_OK);
    EXPECT_EQ(segment, 4);
    EXPECT_EQ(rect->HitSegmentTest(1000, 1000, &segment), S_OK);
    EXPECT_EQ(segment, 1) << "the top edge, from the first point";
    EXPECT_EQ(rect->HitSegmentTest(5000, 5000, &segment), S_FALSE);
    EXPECT_EQ(segment, 0);
    VARIANT_BOOL hit = VARIANT_TRUE;
    EXPECT_EQ(shape->HitTest(5000, 5000, &hit), S_OK);
    EXPECT_EQ(hit, VARIANT_FALSE);
}

TEST_F(ObjectModel, PropertyGridNamesAndLists)
{
    LONG id = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 1, 1, &id), S_OK);
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
    Ptr<IPerPropertyBrowsing> browsing;
    ASSERT_EQ(shape->QueryInterface(IID_IPerPropertyBrowsing, browsing.Out()), S_OK);

    struct NameCase {
        DISPID dispid;
        HRESULT result;
        const wchar_t* name;
    };
    for (const NameCase& c : {NameCase{0, S_OK, L"ID"}, NameCase{107, S_OK, L"Length"}, NameCase{103, S_OK, L""},
                              NameCase{111, S_OK, L"Arrow Start"}, NameCase{117, E_NOTIMPL, nullptr}}) {
        BSTR text = nullptr;
        EXPECT_EQ(browsing->GetDisplayString(c.dispid, &text), c.result) << c.dispid;
        if (c.name) {
            EXPECT_EQ(std::wstring(text ? text : L""), c.name) << c.dispid;
        }
        SysFreeString(text);
    }

    CALPOLESTR strings = {};
    CADWORD cookies = {};
    ASSERT_EQ(browsing->GetPredefinedStrings(63, &strings, &cookies), S_OK);
    const std::vector<std::pair<std::wstring, DWORD>> expected = {
        {L"None", 0}, {L"Width", 32}, {L"Height", 64}, {L"Aspect", 128},
        {L"Xpos", 0x100}, {L"Ypos", 0x200}, {L"Rotation", 0x400}, {L"Deletion", 0x800}};
    std::vector<std::pair<std::wstring, DWORD>> got;
    for (ULONG i = 0; i < strings.cElems; ++i) {
        got.emplace_back(strings.pElems[i], cookies.pElems[i]);
        CoTaskMemFree(strings.pElems[i]);
    }
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    EXPECT_EQ(got, expected);

    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(browsing->GetPredefinedValue(63, 0x400, &value), S_OK);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 0x400);
    EXPECT_EQ(browsing->GetPredefinedStrings(100, &strings, &cookies), E_NOTIMPL) << "a group's list on a line";
}

// The units on the manager's undo stack.
int UndoDepth(IOleUndoManager* manager)
{
    Ptr<IEnumOleUndoUnits> units;
    if (manager->EnumUndoable(units.Put()) != S_OK || !units.p)
        return -1;
    int n = 0;
    IOleUndoUnit* unit = nullptr;
    while (units->Next(1, &unit, nullptr) == S_OK) {
        unit->Release();
        ++n;
    }
    return n;
}

TEST_F(ObjectModel, SettersOfOneShapeInARowMakeOneUndoUnit)
{
    Ptr<IYVEXUndo> undo;
    ASSERT_EQ(control->QueryInterface(IID_IYVEXUndo, undo.Out()), S_OK);
    ASSERT_TRUE(SUCCEEDED(undo->put_UndoEnabled(VARIANT_TRUE)));
    Ptr<IUnknown> unknown;
    ASSERT_EQ(undo->get_OleUndoManager(unknown.Put()), S_OK);
    ASSERT_NE(unknown.p, nullptr);
    Ptr<IOleUndoManager> manager;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleUndoManager, manager.Out()), S_OK);

    LONG a = 0, b = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    Ptr<IShape> first, second;
    ASSERT_EQ(shapes->get_ItemByID(a, first.Put()), S_OK);
    ASSERT_EQ(shapes->get_ItemByID(b, second.Put()), S_OK);
    const int start = UndoDepth(manager.p);
    ASSERT_GE(start, 0);

    EXPECT_EQ(first->put_PenColor(0x0000FF), S_OK);
    EXPECT_EQ(first->put_Tag(3), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), start + 1) << "two setters of one shape: one unit";
    EXPECT_EQ(first->put_Tag(3), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), start + 1) << "the value it has: nothing recorded";
    EXPECT_EQ(second->put_Tag(4), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), start + 2) << "another shape: a unit of its own";

    Ptr<ILineShape> line;
    ASSERT_EQ(first->QueryInterface(IID_ILineShape, line.Out()), S_OK);
    EXPECT_EQ(line->put_EndX(4), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), start + 3);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    double endX = 0;
    EXPECT_EQ(line->get_EndX(&endX), S_OK);
    EXPECT_DOUBLE_EQ(endX, 10) << "the unit holds the end point";
    LONG tag = 0;
    EXPECT_EQ(second->get_Tag(&tag), S_OK);
    EXPECT_EQ(tag, 4) << "only the last unit undone";
}

TEST_F(ObjectModel, AttributeGroupParentsNeverFormALoop)
{
    Ptr<IAttributeGroupCollection> groups;
    ASSERT_EQ(site->get_AttributeGroups(groups.Put()), S_OK);
    Ptr<IAttributeGroup> a, b, c;
    BSTR name = SysAllocString(L"g");
    ASSERT_EQ(groups->CreateAttributeGroup(0, 0, name, a.Put()), S_OK);
    ASSERT_EQ(groups->CreateAttributeGroup(0, 0, name, b.Put()), S_OK);
    ASSERT_EQ(groups->CreateAttributeGroup(0, 0, name, c.Put()), S_OK);
    SysFreeString(name);
    EXPECT_EQ(a->put_ParentGroup(a.p), E_INVALIDARG) << "itself";
    EXPECT_EQ(a->put_ParentGroup(b.p), S_OK);
    EXPECT_EQ(b->put_ParentGroup(c.p), S_OK);
    EXPECT_EQ(b->put_ParentGroup(a.p), E_INVALIDARG) << "A -> B -> A";
    EXPECT_EQ(c->put_ParentGroup(a.p), E_INVALIDARG) << "A -> B -> C -> A";
    EXPECT_EQ(a->put_ParentGroup(nullptr), E_INVALIDARG);
    Ptr<IAttributeGroup> parent;
    ASSERT_EQ(b->get_ParentGroup(parent.Put()), S_OK);
    LONG cId = 0, parentId = 0;
    ASSERT_EQ(c->get_ID(&cId), S_OK);
    ASSERT_EQ(parent->get_ID(&parentId), S_OK);
    EXPECT_EQ(parentId, cId) << "the refused links changed nothing";

    // An object that holds nothing clears the parent.
    Ptr<IAttributeGroup> none;
    ASSERT_EQ(c->get_ParentGroup(none.Put()), S_OK);
    EXPECT_EQ(b->put_ParentGroup(none.p), S_OK);
    parent.Reset();
    ASSERT_EQ(b->get_ParentGroup(parent.Put()), S_OK);
    EXPECT_EQ(parent->get_ID(&parentId), E_POINTER);
}

TEST_F(ObjectModel, PolylinePointsAddANewPointAtAnIndex)
{
    LONG id = 0;
    ASSERT_EQ(shapes->AddPolyline(0, 0, 10, 0, &id), S_OK);
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
    Ptr<IPolylineShape> polyline;
    ASSERT_EQ(shape->QueryInterface(IID_IPolylineShape, polyline.Out()), S_OK);
    Ptr<IPolylinePointCollection> points;
    ASSERT_EQ(polyline->get_PolylinePoints(points.Put()), S_OK);
    LONG pointId = 0;
    ASSERT_EQ(points->AddNewPoint(2, &pointId, 5, 5), S_OK);
    EXPECT_GT(pointId, 0);
    LONG count = 0;
    ASSERT_EQ(points->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2) << "the snapshot waits for Refresh";
    ASSERT_EQ(points->Refresh(), S_OK);
    ASSERT_EQ(points->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    Ptr<IPoint> middle;
    ASSERT_EQ(points->get_Item(2, middle.Put()), S_OK);
    LONG middleId = 0;
    ASSERT_EQ(middle->get_ID(&middleId), S_OK);
    EXPECT_EQ(middleId, pointId) << "inserted before the second point";
    EXPECT_EQ(points->AddNewPoint(1, nullptr, 0, 0), E_POINTER);

    // A point no listed item has: S_FALSE and a null item.
    Ptr<IPoint> absent;
    EXPECT_EQ(points->get_ItemByID(987654, absent.Put()), S_FALSE);
    EXPECT_EQ(absent.p, nullptr);
    float dy = 1;
    EXPECT_EQ(middle->Shift(0, nullptr, &dy), E_POINTER);
}

TEST_F(ObjectModel, DrawingSettingOrthoModeOnlyForTrue)
{
    Ptr<IDrawingSettingCollection> settings;
    ASSERT_EQ(site->get_DrawingSettings(settings.Put()), S_OK);
    LONG before = 0;
    ASSERT_EQ(settings->get_Count(&before), S_OK);
    BSTR name = SysAllocString(L"Ortho");
    for (VARIANT_BOOL ortho : {static_cast<VARIANT_BOOL>(1), VARIANT_TRUE})
        ASSERT_EQ(settings->CreateDrawingSetting(name, 1, static_cast<Colors>(0), static_cast<Colors>(0), 0, 0,
                                                 VARIANT_TRUE, 10, 10, VARIANT_FALSE, 5, 5, 0, 0, 1, 1, 1, ortho),
                  S_OK);
    SysFreeString(name);
    Ptr<IDrawingSetting> one, minusOne;
    ASSERT_EQ(settings->get_Item(before + 1, one.Put()), S_OK);
    ASSERT_EQ(settings->get_Item(before + 2, minusOne.Put()), S_OK);
    VARIANT_BOOL mode = VARIANT_TRUE;
    ASSERT_EQ(one->get_OrthoMode(&mode), S_OK);
    EXPECT_EQ(mode, VARIANT_FALSE) << "1 is not VARIANT_TRUE";
    ASSERT_EQ(minusOne->get_OrthoMode(&mode), S_OK);
    EXPECT_EQ(mode, VARIANT_TRUE);
    EXPECT_EQ(minusOne->put_ShowGrid(VARIANT_TRUE), S_FALSE) << "unchanged";
    EXPECT_EQ(minusOne->put_ShowGrid(VARIANT_FALSE), S_OK);
}

TEST_F(ObjectModel, PrintSettingsOfTheControl)
{
    Ptr<IYVEXPrint> print;
    ASSERT_EQ(control->QueryInterface(IID_IYVEXPrint, print.Out()), S_OK);
    ASSERT_EQ(print->put_PrintCentered(VARIANT_TRUE), S_OK);
    VARIANT_BOOL centered = VARIANT_FALSE;
    ASSERT_EQ(print->get_PrintCentered(&centered), S_OK);
    EXPECT_EQ(centered, VARIANT_TRUE) << "True, not 1";
    ASSERT_EQ(print->put_PrintType(3), S_OK);
    LONG type = 0;
    ASSERT_EQ(print->get_PrintType(&type), S_OK);
    EXPECT_EQ(type, 3);
    ASSERT_EQ(print->PutPrintRect(1, 20, 30, 2), S_OK);
    float l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(print->GetPrintRect(&l, &t, &r, &b), S_OK);
    EXPECT_FLOAT_EQ(t, 20.0f);
    EXPECT_FLOAT_EQ(r, 30.0f);
    EXPECT_EQ(print->GetPrintRect(nullptr, &t, &r, &b), E_INVALIDARG);

    // A print object of no control.
    Ptr<IYVEXPrint> own;
    ASSERT_EQ(CoCreateInstance(CLSID_YVEXPrint, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXPrint, own.Out()), S_OK);
    EXPECT_EQ(own->get_PrintType(&type), E_POINTER);
    EXPECT_EQ(own->put_PrintScale(2), E_POINTER);
}

// A printer's set-up in the form a print dialog hands out: names and a mode on A4.
void MakePrinterHandles(const char* device, HGLOBAL* mode, HGLOBAL* names)
{
    *mode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
    auto* m = static_cast<DEVMODEA*>(GlobalLock(*mode));
    strcpy(reinterpret_cast<char*>(m->dmDeviceName), device);
    m->dmSize = sizeof(DEVMODEA);
    m->dmFields = DM_PAPERSIZE;
    m->dmPaperSize = DMPAPER_A4;
    GlobalUnlock(*mode);
    const size_t length = strlen(device);
    *names = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + length + 3);
    auto* n = static_cast<DEVNAMES*>(GlobalLock(*names));
    n->wDriverOffset = n->wOutputOffset = static_cast<WORD>(sizeof(DEVNAMES) + length + 1);
    n->wDeviceOffset = sizeof(DEVNAMES);
    strcpy(reinterpret_cast<char*>(n) + sizeof(DEVNAMES), device);
    GlobalUnlock(*names);
}

std::string DeviceNameOf(HGLOBAL names)
{
    auto* n = static_cast<DEVNAMES*>(GlobalLock(names));
    if (!n)
        return "";
    std::string device = reinterpret_cast<const char*>(n) + n->wDeviceOffset;
    GlobalUnlock(names);
    return device;
}

// The host stores a printer set-up and gets copies of it back in either dialog structure; a
// structure of another size is not written to; quiet printing to a printer that does not exist
// fails.
TEST_F(ObjectModel, PrinterSettingsRoundTrip)
{
    Ptr<IYVEXPrint> print;
    ASSERT_EQ(control->get_YVEXPrint(print.Put()), S_OK);
    PRINTDLGA stored = {};
    stored.lStructSize = sizeof(stored);
    MakePrinterHandles("Missing Plotter", &stored.hDevMode, &stored.hDevNames);
    ASSERT_EQ(print->StorePrinterSettings(reinterpret_cast<LONG_PTR>(&stored)), S_OK);
    GlobalFree(stored.hDevMode);
    GlobalFree(stored.hDevNames);

    PRINTDLGA restored = {};
    restored.lStructSize = sizeof(restored);
    ASSERT_EQ(print->RestorePrinterSettings(reinterpret_cast<LONG_PTR>(&restored)), S_OK);
    EXPECT_EQ(DeviceNameOf(restored.hDevNames), "Missing Plotter");
    EXPECT_NE(restored.lCustData, 0) << "the dialog is given the print settings";
    PAGESETUPDLGA page = {};
    page.lStructSize = sizeof(page);
    ASSERT_EQ(print->RestorePrinterSettings(reinterpret_cast<LONG_PTR>(&page)), S_OK);
    EXPECT_EQ(DeviceNameOf(page.hDevNames), "Missing Plotter");
    EXPECT_NE(page.hDevNames, restored.hDevNames) << "each dialog gets its own copy";
    for (HGLOBAL h : {restored.hDevMode, restored.hDevNames, page.hDevMode, page.hDevNames})
        GlobalFree(h);

    BYTE other[48] = {};
    *reinterpret_cast<DWORD*>(other) = sizeof(other);
    EXPECT_EQ(print->RestorePrinterSettings(reinterpret_cast<LONG_PTR>(other)), E_INVALIDARG);
    EXPECT_EQ(print->StorePrinterSettings(reinterpret_cast<LONG_PTR>(other)), E_INVALIDARG);
    EXPECT_EQ(print->RestorePrinterSettings(0), E_INVALIDARG);

    EXPECT_EQ(print->PrintSite(VARIANT_TRUE), E_FAIL) << "the stored printer cannot be opened";
}

// The site's metafile played onto a metafile page through the print object: nothing for an empty
// site or without a target, the drawing otherwise.
TEST_F(ObjectModel, SiteMetafilePlayedOntoAPage)
{
    Ptr<IYVEXPrint> print;
    ASSERT_EQ(control->get_YVEXPrint(print.Put()), S_OK);
    HDC reference = CreateCompatibleDC(nullptr);
    HDC page = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
    EXPECT_EQ(print->PrintSiteMetafile(0, reinterpret_cast<LONG_PTR>(page), 0), S_FALSE) << "no drawing";

    LONG id = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 50, 20, &id), S_OK);
    LONG_PTR metafile = 0;
    ASSERT_EQ(print->DrawSiteMetafile(nullptr, &metafile), S_OK);
    ASSERT_NE(metafile, 0);
    EXPECT_EQ(print->PrintSiteMetafile(metafile, 0, 0), E_INVALIDARG);
    EXPECT_EQ(print->PrintSiteMetafile(metafile, reinterpret_cast<LONG_PTR>(page), reinterpret_cast<LONG_PTR>(reference)),
              S_OK);
    DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(metafile));
    HENHMETAFILE played = CloseEnhMetaFile(page);
    ENHMETAHEADER header = {};
    ASSERT_NE(GetEnhMetaFileHeader(played, sizeof(header), &header), 0u);
    EXPECT_GT(header.nRecords, 10u) << "the page holds the drawing";
    EXPECT_GT(header.rclBounds.right, header.rclBounds.left);
    DeleteEnhMetaFile(played);
    DeleteDC(reference);
}

// A 2 x 3 picture in a BMP file of the temporary folder.
std::wstring WriteSmallBmp()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"yvex_resource_test.bmp";
    const int width = 2, height = 3, row = 8;
    std::vector<BYTE> bytes(54 + row * height, 0x80);
    auto put32 = [&](size_t at, DWORD v) { memcpy(&bytes[at], &v, 4); };
    auto put16 = [&](size_t at, WORD v) { memcpy(&bytes[at], &v, 2); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<DWORD>(bytes.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put16(26, 1);
    put16(28, 24);
    put32(30, 0);
    put32(34, static_cast<DWORD>(row * height));
    put32(38, 2835);
    put32(42, 2835);
    put32(46, 0);
    put32(50, 0);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

// A metafile handle becomes a resource object of an enhanced metafile; the same picture again
// answers S_OK without an object; a bitmap handle is refused.
TEST_F(ObjectModel, ImageResourcesFromHandles)
{
    Ptr<IImageResourceCollection> resources;
    ASSERT_EQ(site->get_ImageResources(resources.Put()), S_OK);
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 50, 25);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    Ptr<IImageResource> resource;
    ASSERT_EQ(resources->LoadResourceFromHandle(reinterpret_cast<LONG_PTR>(emf), resource.Put()), S_OK);
    ASSERT_TRUE(resource.p);
    ImageResourceTypes type = irtUnknown;
    ASSERT_EQ(resource->get_ResourceType(&type), S_OK);
    EXPECT_EQ(type, irtExtMetafile);
    Ptr<IImageResource> again;
    EXPECT_EQ(resources->LoadResourceFromHandle(reinterpret_cast<LONG_PTR>(emf), again.Put()), S_OK);
    EXPECT_FALSE(again.p) << "the picture is there already";
    DeleteEnhMetaFile(emf);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    Ptr<IImageResource> refused;
    EXPECT_EQ(resources->LoadResourceFromHandle(reinterpret_cast<LONG_PTR>(bitmap), refused.Put()), E_ACCESSDENIED);
    DeleteObject(bitmap);
    EXPECT_EQ(resources->LoadResourceFromHandle(0, nullptr), E_INVALIDARG);
}

TEST_F(ObjectModel, AnImageResourceInUseGoesOnlyWithWhatUsesIt)
{
    Ptr<IImageResourceCollection> resources;
    ASSERT_EQ(site->get_ImageResources(resources.Put()), S_OK);
    BSTR path = SysAllocString(WriteSmallBmp().c_str());
    Ptr<IImageResource> resource;
    ASSERT_EQ(resources->LoadResourceFromFile(path, resource.Put()), S_OK);
    SysFreeString(path);
    LONG id = 0, width = 0, height = 0;
    ASSERT_EQ(resource->get_ID(&id), S_OK);
    ASSERT_EQ(resource->get_Width(&width), S_OK);
    ASSERT_EQ(resource->get_Height(&height), S_OK);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 3);
    BSTR extension = nullptr;
    ASSERT_EQ(resource->get_Extension(&extension), S_OK);
    EXPECT_STREQ(extension, L"bmp");
    SysFreeString(extension);

    // A hatch pattern shows the resource.
    Ptr<IHatchPatternCollection> patterns;
    ASSERT_EQ(site->get_HatchPatterns(patterns.Put()), S_OK);
    BSTR name = SysAllocString(L"Tiles");
    LONG patternId = 0;
    ASSERT_EQ(patterns->AddItem(name, name, 0, id, &patternId), S_OK);
    SysFreeString(name);
    ASSERT_GT(patternId, 27);

    EXPECT_EQ(resources->DeleteByIDExt(id, VARIANT_FALSE), E_FAIL) << "in use";
    Ptr<IImageResource> still;
    EXPECT_EQ(resources->get_ItemByID(id, still.Put()), S_OK) << "nothing changed";
    ASSERT_EQ(patterns->Refresh(), S_OK);
    Ptr<IHatchPattern> pattern;
    EXPECT_EQ(patterns->get_ItemByID(patternId, pattern.Put()), S_OK);

    EXPECT_EQ(resources->DeleteByIDExt(id, VARIANT_TRUE), S_OK);
    Ptr<IImageResource> gone;
    EXPECT_EQ(resources->get_ItemByID(id, gone.Put()), S_FALSE);
    EXPECT_EQ(resource->get_ID(&id), E_POINTER) << "a kept object of a deleted resource";
    ASSERT_EQ(patterns->Refresh(), S_OK);
    Ptr<IHatchPattern> patternGone;
    EXPECT_EQ(patterns->get_ItemByID(patternId, patternGone.Put()), S_FALSE) << "its pattern went with it";
}

// The control's undo manager, with recording switched on, as a host takes it from IYVEXUndo.
void TakeUndoManager(IYVEXControl* control, Ptr<IOleUndoManager>& manager)
{
    Ptr<IYVEXUndo> undo;
    ASSERT_EQ(control->QueryInterface(IID_IYVEXUndo, undo.Out()), S_OK);
    ASSERT_TRUE(SUCCEEDED(undo->put_UndoEnabled(VARIANT_TRUE)));
    Ptr<IUnknown> unknown;
    ASSERT_EQ(undo->get_OleUndoManager(unknown.Put()), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IOleUndoManager, manager.Out()), S_OK);
}

// A setter of a named drawing setting is one step that undo takes back and redo makes again;
// a picture deleted with the pattern that shows it comes back with its size and its pattern.
TEST_F(ObjectModel, UndoBringsBackADrawingSettingAndADeletedPicture)
{
    Ptr<IOleUndoManager> manager;
    TakeUndoManager(control.p, manager);
    Ptr<IDrawingSettingCollection> settings;
    ASSERT_EQ(site->get_DrawingSettings(settings.Put()), S_OK);
    LONG count = 0;
    ASSERT_EQ(settings->get_Count(&count), S_OK);
    BSTR name = SysAllocString(L"Plan");
    ASSERT_EQ(settings->CreateDrawingSetting(name, 1, static_cast<Colors>(0), static_cast<Colors>(0), 0, 0,
                                             VARIANT_TRUE, 10, 10, VARIANT_FALSE, 5, 5, 0, 0, 1, 1, 1, VARIANT_FALSE),
              S_OK);
    SysFreeString(name);
    Ptr<IDrawingSetting> setting;
    ASSERT_EQ(settings->get_Item(count + 1, setting.Put()), S_OK);
    const int depth = UndoDepth(manager.p);
    ASSERT_EQ(setting->put_GridXSpace(25), S_OK);
    ASSERT_EQ(setting->put_ShowGrid(VARIANT_FALSE), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), depth + 1) << "changes of one setting in a row are one step";
    double grid = 0;
    VARIANT_BOOL shown = VARIANT_FALSE;
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    ASSERT_EQ(setting->get_GridXSpace(&grid), S_OK);
    ASSERT_EQ(setting->get_ShowGrid(&shown), S_OK);
    EXPECT_DOUBLE_EQ(grid, 10);
    EXPECT_EQ(shown, VARIANT_TRUE);
    ASSERT_EQ(manager->RedoTo(nullptr), S_OK);
    ASSERT_EQ(setting->get_GridXSpace(&grid), S_OK);
    ASSERT_EQ(setting->get_ShowGrid(&shown), S_OK);
    EXPECT_DOUBLE_EQ(grid, 25);
    EXPECT_EQ(shown, VARIANT_FALSE);

    Ptr<IImageResourceCollection> resources;
    ASSERT_EQ(site->get_ImageResources(resources.Put()), S_OK);
    BSTR path = SysAllocString(WriteSmallBmp().c_str());
    Ptr<IImageResource> resource;
    ASSERT_EQ(resources->LoadResourceFromFile(path, resource.Put()), S_OK);
    SysFreeString(path);
    LONG id = 0;
    ASSERT_EQ(resource->get_ID(&id), S_OK);
    Ptr<IHatchPatternCollection> patterns;
    ASSERT_EQ(site->get_HatchPatterns(patterns.Put()), S_OK);
    BSTR tiles = SysAllocString(L"Tiles");
    LONG patternId = 0;
    ASSERT_EQ(patterns->AddItem(tiles, tiles, 0, id, &patternId), S_OK);
    SysFreeString(tiles);
    ASSERT_EQ(resources->DeleteByIDExt(id, VARIANT_TRUE), S_OK);
    Ptr<IImageResource> gone;
    ASSERT_EQ(resources->get_ItemByID(id, gone.Put()), S_FALSE);

    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    ASSERT_EQ(resources->Refresh(), S_OK);
    Ptr<IImageResource> back;
    ASSERT_EQ(resources->get_ItemByID(id, back.Put()), S_OK);
    ASSERT_NE(back.p, nullptr);
    LONG width = 0, height = 0;
    ASSERT_EQ(back->get_Width(&width), S_OK);
    ASSERT_EQ(back->get_Height(&height), S_OK);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 3);
    ASSERT_EQ(patterns->Refresh(), S_OK);
    Ptr<IHatchPattern> pattern;
    EXPECT_EQ(patterns->get_ItemByID(patternId, pattern.Put()), S_OK) << "its pattern came back too";

    ASSERT_EQ(manager->RedoTo(nullptr), S_OK);
    ASSERT_EQ(resources->Refresh(), S_OK);
    Ptr<IImageResource> again;
    EXPECT_EQ(resources->get_ItemByID(id, again.Put()), S_FALSE) << "redone: deleted again";
}

// A new point of a polyline's point collection comes through the control's own operation: the
// draft limits take it in, and it is one step of the history.
TEST_F(ObjectModel, ANewPolylinePointComesThroughTheControl)
{
    Ptr<IOleUndoManager> manager;
    TakeUndoManager(control.p, manager);
    LONG id = 0;
    ASSERT_EQ(shapes->AddPolyline(0, 0, 10, 0, &id), S_OK);
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
    Ptr<IPolylineShape> polyline;
    ASSERT_EQ(shape->QueryInterface(IID_IPolylineShape, polyline.Out()), S_OK);
    Ptr<IPolylinePointCollection> points;
    ASSERT_EQ(polyline->get_PolylinePoints(points.Put()), S_OK);
    const int depth = UndoDepth(manager.p);
    LONG pointId = 0;
    ASSERT_EQ(points->AddNewPoint(2, &pointId, 50000, 40000), S_OK);
    double right = 0, top = 0, bottom = 0;
    ASSERT_EQ(site->get_DraftRight(&right), S_OK);
    ASSERT_EQ(site->get_DraftTop(&top), S_OK);
    ASSERT_EQ(site->get_DraftBottom(&bottom), S_OK);
    EXPECT_GE(right, 50000);
    EXPECT_GE(std::max(top, bottom), 40000);
    EXPECT_EQ(UndoDepth(manager.p), depth + 1);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    LONG count = 0;
    ASSERT_EQ(points->Refresh(), S_OK);
    ASSERT_EQ(points->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
}

} // namespace

// The site's table goes on after ISite with the one operation the type library leaves out.
// (Outside the unnamed namespace: a type the compiler sees whole with no implementation would
// let it treat a call through it as unreachable.)
struct ISiteWithExport : public ISite {
    virtual HRESULT STDMETHODCALLTYPE ExportMetafile(LONG ShapeID, BSTR FileName) = 0;
};

namespace {

using picturefiles::TempPath;

} // namespace

// An image from a picture file keeps its aspect in the box; its rotation is kept in [0, 360) and
// Angle reads it in degrees.
TEST_F(ObjectModel, ImagesFromFiles)
{
    const std::wstring path = TempPath(L"yvex_client_200x100.bmp");
    ASSERT_TRUE(picturefiles::WriteWhiteBmp(path, 200, 100));
    BSTR name = SysAllocString(path.c_str());
    LONG id = 0;
    ASSERT_EQ(shapes->AddImage(name, 0, 0, 50, 50, VARIANT_TRUE, &id), S_OK);
    SysFreeString(name);
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
    Ptr<IImageShape> image;
    ASSERT_EQ(shape->QueryInterface(IID_IImageShape, image.Out()), S_OK);
    double value = 0;
    EXPECT_EQ(image->get_Width(&value), S_OK);
    EXPECT_DOUBLE_EQ(value, 50);
    EXPECT_EQ(image->get_Height(&value), S_OK);
    EXPECT_DOUBLE_EQ(value, 25);
    for (const auto& c : {std::pair<double, double>{-90, 270}, {720, 0}, {45, 45}}) {
        ASSERT_EQ(image->put_RotationAngle(c.first), S_OK);
        EXPECT_EQ(image->get_RotationAngle(&value), S_OK);
        EXPECT_DOUBLE_EQ(value, c.second) << c.first;
    }
    ASSERT_EQ(image->put_Angle(30), S_OK);
    EXPECT_EQ(image->get_Angle(&value), S_OK);
    EXPECT_NEAR(value, 30, 1e-4);
    LONG resource = 0;
    EXPECT_EQ(image->get_ImageResourceID(&resource), S_OK);
    EXPECT_GT(resource, 0);
    DeleteFileW(path.c_str());
}

// References through the typed out parameter scripts cannot pass: by block ID and by name, the
// block's own subtree refused, rotation and scale along its own axis.
TEST_F(ObjectModel, BlockReferences)
{
    LONG blockId = 0, inner = 0;
    Ptr<IShape> library;
    ASSERT_EQ(shapes->get_ItemByID(-3, library.Put()), S_OK);
    Ptr<IShapeCollection> blocks;
    ASSERT_EQ(library->get_Shapes(blocks.Put()), S_OK);
    ASSERT_EQ(blocks->AddGroup(8, &blockId), S_OK);
    Ptr<IShape> blockShape;
    ASSERT_EQ(shapes->get_ItemByID(blockId, blockShape.Put()), S_OK);
    Ptr<IGroupShape> block;
    ASSERT_EQ(blockShape->QueryInterface(IID_IGroupShape, block.Out()), S_OK);
    BSTR door = SysAllocString(L"Door");
    ASSERT_EQ(block->put_Name(door), S_OK);
    Ptr<IShapeCollection> content;
    ASSERT_EQ(block->get_Shapes(content.Put()), S_OK);
    ASSERT_EQ(content->AddLine(0, 0, 2, 0, &inner), S_OK);

    LONG refId = 0;
    ASSERT_EQ(shapes->AddReference(blockId, &refId, VARIANT_FALSE, 10, 5), S_OK);
    ASSERT_NE(refId, 0);
    Ptr<IShape> refShape;
    ASSERT_EQ(shapes->get_ItemByID(refId, refShape.Put()), S_OK);
    Ptr<IReferenceShape> reference;
    ASSERT_EQ(refShape->QueryInterface(IID_IReferenceShape, reference.Out()), S_OK);
    LONG linked = 0;
    EXPECT_EQ(reference->get_BlockGroupShapeID(&linked), S_OK);
    EXPECT_EQ(linked, blockId);
    double x = 0;
    EXPECT_EQ(reference->get_PositionX(&x), S_OK);
    EXPECT_DOUBLE_EQ(x, 10);

    ASSERT_EQ(reference->put_Angle(30), S_OK);
    double angle = 0;
    EXPECT_EQ(reference->get_Angle(&angle), S_OK);
    EXPECT_NEAR(angle, 30, 1e-3);
    EXPECT_EQ(reference->get_RotationAngle(&angle), S_OK);
    EXPECT_NEAR(angle, 30, 1e-3);
    // Twice as long along its own axis: the copy of the 2-unit line reaches 4 units out at 30 degrees.
    ASSERT_EQ(reference->put_XScale(2), S_OK);
    double scale = 0;
    EXPECT_EQ(reference->get_XScale(&scale), S_OK);
    EXPECT_NEAR(scale, 2, 1e-4);
    EXPECT_EQ(reference->get_Angle(&angle), S_OK);
    EXPECT_NEAR(angle, 30, 1e-3) << "the angle stays";
    float left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(refShape->GetBoundingRect(&left, &top, &right, &bottom), S_OK);
    EXPECT_NEAR(right - left, 4 * std::cos(3.14159265 / 6), 0.05);
    EXPECT_NEAR(std::fabs(top - bottom), 4 * std::sin(3.14159265 / 6), 0.05);

    // Into the block itself: refused, nothing left behind.
    LONG count = 0, after = 0;
    ASSERT_EQ(shapes->get_Count(&count), S_OK);
    LONG refused = 0;
    EXPECT_EQ(content->AddReference(blockId, &refused, VARIANT_FALSE, 0, 0), E_ACCESSDENIED);
    EXPECT_EQ(refused, 0);
    ASSERT_EQ(shapes->get_Count(&after), S_OK);
    EXPECT_EQ(after, count);

    LONG byName = 0;
    EXPECT_EQ(shapes->AddReferenceByName(door, &byName, VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_NE(byName, 0);
    BSTR nothing = SysAllocString(L"Window");
    EXPECT_EQ(shapes->AddReferenceByName(nothing, &byName, VARIANT_FALSE, 0, 0), S_OK);
    EXPECT_EQ(byName, 0) << "no block of that name";
    SysFreeString(nothing);
    SysFreeString(door);

    // The drop-down list of the block ID names the linked block.
    Ptr<IPerPropertyBrowsing> browsing;
    ASSERT_EQ(refShape->QueryInterface(IID_IPerPropertyBrowsing, browsing.Out()), S_OK);
    CALPOLESTR strings = {};
    CADWORD cookies = {};
    ASSERT_EQ(browsing->GetPredefinedStrings(103, &strings, &cookies), S_OK);
    ASSERT_EQ(strings.cElems, 1u);
    EXPECT_STREQ(strings.pElems[0], L"Door");
    EXPECT_EQ(static_cast<LONG>(cookies.pElems[0]), blockId);
    CoTaskMemFree(strings.pElems[0]);
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
}

namespace {
// The ID of a new shape of the collection's through a member with a typed out parameter.
BSTR Text(const wchar_t* text) { return SysAllocString(text); }

// The attribute texts (type 2) among a group's children, in order.
std::vector<std::wstring> AttributeTexts(IShape* group)
{
    std::vector<std::wstring> texts;
    Ptr<IShapeCollection> children;
    if (group->get_Shapes(children.Put()) != S_OK)
        return texts;
    LONG count = 0;
    children->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        Ptr<IShape> child;
        if (children->get_Item(i, child.Put()) != S_OK || !child.p)
            continue;
        Ptr<ITextShape> text;
        if (child->QueryInterface(IID_ITextShape, text.Out()) != S_OK)
            continue;
        TextTypes type = ttANSI;
        text->get_Type(&type);
        if (type != ttAttrib)
            continue;
        BSTR value = nullptr;
        text->get_Text(&value);
        texts.push_back(value ? value : L"");
        SysFreeString(value);
    }
    return texts;
}
} // namespace

// A block with two attribute definitions, referenced through the object model: the reference gets
// two attributes of its own, one given its value directly and one showing the attribute value
// its definition names ("[Area]"); they keep their values when the block is edited and the
// references renewed, and the saved INSERT carries both as ATTRIB (check_block_attributes.py
// reads them with ezdxf).
TEST_F(ObjectModel, BlockAttributesReachTheReferencesAndTheirInserts)
{
    // An attribute group with the type the second definition names.
    Ptr<IAttributeGroupCollection> groups;
    ASSERT_EQ(site->get_AttributeGroups(groups.Put()), S_OK);
    Ptr<IAttributeGroup> rooms;
    BSTR roomsName = Text(L"Rooms");
    ASSERT_EQ(groups->CreateAttributeGroup(0, 0, roomsName, rooms.Put()), S_OK);
    Ptr<IAttributeTypeCollection> types;
    ASSERT_EQ(rooms->get_AttributeTypes(types.Put()), S_OK);
    Ptr<IAttributeType> area;
    BSTR areaName = Text(L"Area"), empty = Text(L"");
    ASSERT_EQ(types->CreateAttributeType(-1, 0, areaName, empty, empty, area.Put()), S_OK);
    LONG areaId = 0;
    ASSERT_EQ(area->get_ID(&areaId), S_OK);

    // The block "Room": an outline and two attribute definitions.
    Ptr<IShape> library;
    ASSERT_EQ(shapes->get_ItemByID(-3, library.Put()), S_OK);
    Ptr<IShapeCollection> blocks;
    ASSERT_EQ(library->get_Shapes(blocks.Put()), S_OK);
    LONG blockId = 0, id = 0;
    ASSERT_EQ(blocks->AddGroup(8, &blockId), S_OK);
    Ptr<IShape> blockShape;
    ASSERT_EQ(shapes->get_ItemByID(blockId, blockShape.Put()), S_OK);
    Ptr<IGroupShape> block;
    ASSERT_EQ(blockShape->QueryInterface(IID_IGroupShape, block.Out()), S_OK);
    BSTR roomName = Text(L"Room");
    ASSERT_EQ(block->put_Name(roomName), S_OK);
    Ptr<IShapeAttributeGroupCollection> blockGroups;
    ASSERT_EQ(blockShape->get_AttributeGroups(blockGroups.Put()), S_OK);
    ASSERT_EQ(blockGroups->AddAttributeGroup(rooms.p), S_OK);
    Ptr<IShapeCollection> content;
    ASSERT_EQ(block->get_Shapes(content.Put()), S_OK);
    ASSERT_EQ(content->AddLine(0, 0, 4, 0, &id), S_OK);
    const wchar_t* definitions[2] = {L"Name", L"[Area]"};
    for (int i = 0; i < 2; ++i) {
        BSTR words = Text(definitions[i]);
        ASSERT_EQ(content->AddPlainText(words, 1, 1.0f + 2 * i, 0, 1, static_cast<Alignments>(0), 0, &id), S_OK);
        SysFreeString(words);
        Ptr<IShape> shape;
        ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
        Ptr<ITextShape> definition;
        ASSERT_EQ(shape->QueryInterface(IID_ITextShape, definition.Out()), S_OK);
        ASSERT_EQ(definition->put_Type(ttAttDef), S_OK);
    }

    // A reference by ID: two attributes of its own.
    LONG refId = 0;
    ASSERT_EQ(shapes->AddReference(blockId, &refId, VARIANT_FALSE, 10, 5), S_OK);
    Ptr<IShape> refShape;
    ASSERT_EQ(shapes->get_ItemByID(refId, refShape.Put()), S_OK);
    std::vector<std::wstring> texts = AttributeTexts(refShape.p);
    ASSERT_EQ(texts.size(), 2u) << "the definitions become the reference's attributes";
    EXPECT_EQ(texts[0], L"Name");

    // The values: the first attribute's text, the second through the attribute it names.
    {
        Ptr<IShapeCollection> children;
        ASSERT_EQ(refShape->get_Shapes(children.Put()), S_OK);
        LONG count = 0;
        children->get_Count(&count);
        for (LONG i = 1; i <= count; ++i) {
            Ptr<IShape> child;
            ASSERT_EQ(children->get_Item(i, child.Put()), S_OK);
            Ptr<ITextShape> text;
            if (child->QueryInterface(IID_ITextShape, text.Out()) != S_OK)
                continue;
            BSTR value = nullptr;
            text->get_Text(&value);
            const bool first = value && std::wstring(value) == L"Name";
            SysFreeString(value);
            if (first) {
                BSTR kitchen = Text(L"Kitchen");
                ASSERT_EQ(text->put_Text(kitchen), S_OK);
                SysFreeString(kitchen);
            }
        }
    }
    Ptr<IAttributeCollection> values;
    ASSERT_EQ(refShape->get_Attributes(values.Put()), S_OK);
    VARIANT twelve;
    VariantInit(&twelve);
    twelve.vt = VT_BSTR;
    twelve.bstrVal = Text(L"12 m2");
    Ptr<IAttribute> value;
    ASSERT_EQ(values->CreateAttribute(areaId, 0, twelve, value.Put()), S_OK) << "the block's group reaches the reference";
    VariantClear(&twelve);

    // The block edited, its references renewed: the values stay, the second shows its attribute.
    ASSERT_EQ(content->AddLine(4, 0, 4, 3, &id), S_OK);
    ASSERT_EQ(block->UpdateReferences(urUpdateAttributes), S_OK);
    texts = AttributeTexts(refShape.p);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Kitchen");
    EXPECT_EQ(texts[1], L"12 m2");
    ASSERT_EQ(block->UpdateReferences(static_cast<updateRefType>(0)), S_OK);
    texts = AttributeTexts(refShape.p);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], L"Kitchen");
    EXPECT_EQ(texts[1], L"12 m2");

    // A reference by name gets its attributes too.
    LONG byName = 0;
    ASSERT_EQ(shapes->AddReferenceByName(roomName, &byName, VARIANT_FALSE, 30, 5), S_OK);
    Ptr<IShape> secondShape;
    ASSERT_EQ(shapes->get_ItemByID(byName, secondShape.Put()), S_OK);
    EXPECT_EQ(AttributeTexts(secondShape.p).size(), 2u);

    // Saved as DXF for ezdxf.
    const char* root = std::getenv("YVEX_BINARY_DIR");
    std::string dir = std::string(root ? root : ".") + "/tests/automation/dxf_out";
    std::string path = "Z:" + dir + "/block_attributes.dxf";
    for (std::string* p : {&dir, &path})
        std::replace(p->begin(), p->end(), '/', '\\');
    CreateDirectoryA(("Z:" + dir).c_str(), nullptr);
    Ptr<IDXFOperations> dxf;
    ASSERT_EQ(control->QueryInterface(IID_IDXFOperations, dxf.Out()), S_OK);
    const std::wstring widePath(path.begin(), path.end());
    BSTR file = SysAllocString(widePath.c_str());
    EXPECT_EQ(dxf->SaveDXF(file, VARIANT_FALSE), S_OK);
    SysFreeString(file);
    for (BSTR b : {roomsName, areaName, empty, roomName})
        SysFreeString(b);
}

// A clone copies a shape; clones of a group's children land in the collection's group.
TEST_F(ObjectModel, Clones)
{
    LONG lineId = 0, cloneId = 0, groupId = 0, child = 0;
    ASSERT_EQ(shapes->AddLine(1, 2, 3, 4, &lineId), S_OK);
    EXPECT_EQ(shapes->AddClone(lineId, nullptr), E_POINTER);
    ASSERT_EQ(shapes->AddClone(lineId, &cloneId), S_OK);
    EXPECT_NE(cloneId, lineId);
    Ptr<IShape> clone;
    ASSERT_EQ(shapes->get_ItemByID(cloneId, clone.Put()), S_OK);
    Ptr<ILineShape> line;
    ASSERT_EQ(clone->QueryInterface(IID_ILineShape, line.Out()), S_OK);
    double value = 0;
    EXPECT_EQ(line->get_EndY(&value), S_OK);
    EXPECT_DOUBLE_EQ(value, 4);

    ASSERT_EQ(shapes->AddGroup(8, &groupId), S_OK);
    Ptr<IShape> group;
    ASSERT_EQ(shapes->get_ItemByID(groupId, group.Put()), S_OK);
    Ptr<IShapeCollection> children;
    ASSERT_EQ(group->get_Shapes(children.Put()), S_OK);
    ASSERT_EQ(children->AddLine(0, 0, 1, 1, &child), S_OK);
    ASSERT_EQ(children->AddCircle(0, 0, 1, &child), S_OK);
    LONG before = 0, after = 0;
    ASSERT_EQ(children->get_Count(&before), S_OK);
    ASSERT_EQ(children->AddChildrenClones(groupId, VARIANT_FALSE), S_OK);
    ASSERT_EQ(children->get_Count(&after), S_OK);
    EXPECT_EQ(after, before + 2);
}

// The site drawn into a metafile of the host's, and one shape exported through the operation
// the type library does not list.
TEST_F(ObjectModel, DrawingAndExport)
{
    LONG id = 0;
    ASSERT_EQ(shapes->AddRectangle(0, 20, 40, 0, &id), S_OK);
    const RECT frame = {0, 0, 8000, 4000};
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_TRUE(SUCCEEDED(site->DrawEx(reinterpret_cast<LONG_PTR>(dc), 0, 0, 8000, -4000, 16, 0)));
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    ENHMETAHEADER header = {};
    GetEnhMetaFileHeader(metafile, sizeof header, &header);
    EXPECT_GT(header.nRecords, 5u) << "the rectangle was drawn";
    EXPECT_GT(header.rclBounds.right - header.rclBounds.left, 0);
    DeleteEnhMetaFile(metafile);
    EXPECT_EQ(site->DrawEx(12345, 0, 0, 100, -100, 0, 0), E_INVALIDARG) << "a number that is no device context";

    const std::wstring path = TempPath(L"yvex_client_export.emf");
    DeleteFileW(path.c_str());
    BSTR name = SysAllocString(path.c_str());
    auto* exporting = static_cast<ISiteWithExport*>(site.p);
    EXPECT_EQ(exporting->ExportMetafile(id, name), S_OK);
    SysFreeString(name);
    HENHMETAFILE written = GetEnhMetaFileW(path.c_str());
    EXPECT_NE(written, nullptr);
    if (written)
        DeleteEnhMetaFile(written);
    DeleteFileW(path.c_str());

    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(site->IsZoomingByWindow(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    flag = VARIANT_TRUE;
    EXPECT_EQ(site->IsEditingBlock(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(site->IsEditingBlock(nullptr), E_POINTER);
    LONG state = -1;
    EXPECT_EQ(site->get_ShapePropertyWindowState(&state), S_OK);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(site->get_ShapePropertyWindowState(nullptr), E_ACCESSDENIED);
    EXPECT_EQ(site->ResetAttributeProperties(999999, 0), E_INVALIDARG);
    EXPECT_EQ(site->ResetAttributeProperties(id, 0), E_FAIL) << "a rectangle has no attributes to reset";

    // A shape is written under the control's own site only.
    Ptr<IShape> shape;
    ASSERT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
    LONG siteId = 0;
    EXPECT_EQ(shape->SaveToDB(siteId + 12345, 0), E_INVALIDARG);
}

// Linking, inserting and moving points through the collections and the point object: each change
// that went through is one step to undo, and a change the control refuses leaves the history
// before it as it was.
TEST_F(ObjectModel, PointChangesUndoInOneStepAndRefusalsKeepTheHistory)
{
    Ptr<IYVEXUndo> undo;
    ASSERT_EQ(control->QueryInterface(IID_IYVEXUndo, undo.Out()), S_OK);
    ASSERT_TRUE(SUCCEEDED(undo->put_UndoEnabled(VARIANT_TRUE)));
    Ptr<IUnknown> unknown;
    ASSERT_EQ(undo->get_OleUndoManager(unknown.Put()), S_OK);
    Ptr<IOleUndoManager> manager;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleUndoManager, manager.Out()), S_OK);

    LONG a = 0, b = 0, poly = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    ASSERT_EQ(shapes->AddPolyline(0, 9, 10, 9, &poly), S_OK);
    Ptr<IShape> first, second, polyline;
    ASSERT_EQ(shapes->get_ItemByID(a, first.Put()), S_OK);
    ASSERT_EQ(shapes->get_ItemByID(b, second.Put()), S_OK);
    ASSERT_EQ(shapes->get_ItemByID(poly, polyline.Put()), S_OK);
    Ptr<IPointCollection> secondPoints;
    ASSERT_EQ(second->get_Points(secondPoints.Put()), S_OK);
    Ptr<IPoint> shared;
    ASSERT_EQ(secondPoints->get_Item(1, shared.Put()), S_OK);
    LONG sharedId = 0;
    ASSERT_EQ(shared->get_ID(&sharedId), S_OK);
    EXPECT_EQ(first->put_Tag(7), S_OK);
    const int start = UndoDepth(manager.p);
    ASSERT_GE(start, 1);
    auto count = [](auto* collection) {
        LONG n = -1;
        collection->Refresh();
        collection->get_Count(&n);
        return n;
    };

    Ptr<ILinkedPointCollection> linked;
    ASSERT_EQ(first->get_LinkedPoints(linked.Put()), S_OK);
    ASSERT_EQ(linked->AddPoint(sharedId), S_OK);
    EXPECT_EQ(UndoDepth(manager.p), start + 1) << "a link is one step";
    EXPECT_EQ(linked->AddPoint(sharedId), S_FALSE) << "linked already";
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(linked->AddPoint(987654), DISP_E_EXCEPTION) << "a refused link is reported";
    EXPECT_EQ(ErrorDescription(), L"Point not found.");
    EXPECT_EQ(UndoDepth(manager.p), start + 1) << "refusals record nothing and keep the history";
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    EXPECT_EQ(count(linked.p), 0) << "undone: unlinked";
    ASSERT_EQ(manager->RedoTo(nullptr), S_OK);
    EXPECT_EQ(count(linked.p), 1) << "redone: linked";
    ASSERT_EQ(linked->DeleteByID(sharedId), S_OK);
    EXPECT_EQ(count(linked.p), 0);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    EXPECT_EQ(count(linked.p), 1) << "an unlink undone links again";
    const int linkedDepth = UndoDepth(manager.p);

    Ptr<IPolylineShape> asPolyline;
    ASSERT_EQ(polyline->QueryInterface(IID_IPolylineShape, asPolyline.Out()), S_OK);
    Ptr<IPolylinePointCollection> points;
    ASSERT_EQ(asPolyline->get_PolylinePoints(points.Put()), S_OK);
    ASSERT_EQ(points->AddPoint(2, sharedId), S_OK);
    EXPECT_EQ(count(points.p), 3);
    EXPECT_EQ(UndoDepth(manager.p), linkedDepth + 1) << "an inserted point is one step";
    EXPECT_EQ(points->AddPoint(1, sharedId), S_FALSE) << "held already";
    EXPECT_EQ(points->AddPoint(1, 987654), DISP_E_EXCEPTION);
    EXPECT_EQ(UndoDepth(manager.p), linkedDepth + 1);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    EXPECT_EQ(count(points.p), 2) << "undone: the polyline gives the point up";
    double startY = 0;
    Ptr<ILineShape> secondLine;
    ASSERT_EQ(second->QueryInterface(IID_ILineShape, secondLine.Out()), S_OK);
    ASSERT_EQ(secondLine->get_StartY(&startY), S_OK);
    EXPECT_DOUBLE_EQ(startY, 5) << "the line keeps it";

    float dx = 3, dy = 4;
    ASSERT_EQ(shared->Shift(0, &dx, &dy), S_OK);
    ASSERT_EQ(secondLine->get_StartY(&startY), S_OK);
    EXPECT_DOUBLE_EQ(startY, 9);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    ASSERT_EQ(secondLine->get_StartY(&startY), S_OK);
    EXPECT_DOUBLE_EQ(startY, 5) << "a shifted point undone";

    // Undoing on reaches the change made before any of these.
    while (UndoDepth(manager.p) > start - 1)
        ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    LONG tag = -1;
    EXPECT_EQ(first->get_Tag(&tag), S_OK);
    EXPECT_EQ(tag, 0);
}
