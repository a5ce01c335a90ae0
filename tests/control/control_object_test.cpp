// The control object on its own: what construction builds (fixed groups, base layer,
// prototypes, units, shared resources), its events with their types and the gate, and the
// members of IYVEXControl that read and set its state.
#include <functional>
#include <map>
#include "tests/support/ControlTestSupport.h"
#include "control/ClipboardFormatTable.h"
#include "control/SharedResources.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/HighlightGroup.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/SelectionGroup.h"
#include "persistence/DrawingSettingRecord.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// The RICHEDIT windows of this thread (the shared one has no parent).
int RichEditWindows() { return hosttest::ThreadWindowsOfClass(L"RICHEDIT"); }
} // namespace

TEST(ControlConstruction, FixedGroupsBaseLayerAndPrototypes)
{
    ControlRef control;
    CShapeMap& map = control->GetShapeMap();
    const struct {
        int id;
        const wchar_t* name;
        bool propagates;
    } groups[] = {
        {BASE_ID, L"RootShape", true},          {SELECTION_ID, L"Selection", true},
        {CLIPBOARD_ID, L"Clipboard", true},     {LIBRARY_ID, L"Library", false},
        {LAYERS_ID, L"Layers", false},          {DEFAULT_SHAPES_ID, L"DefaultShapes", false},
        {HIGHLIGHTS_ID, L"Highlights", true},
    };
    for (const auto& g : groups) {
        CGroup* group = control->FindGroup(g.id);
        ASSERT_NE(group, nullptr) << g.id;
        EXPECT_EQ(group->GetName(), g.name) << g.id;
        EXPECT_EQ((group->GetState() & CGroup::stPropagateToChildren) != 0, g.propagates) << g.id;
        EXPECT_EQ(group->GetParent(), nullptr) << g.id;
    }
    EXPECT_NE(dynamic_cast<CSelectionGroup*>(control->FindShape(SELECTION_ID)), nullptr);
    EXPECT_NE(control->GetHighlightGroup(), nullptr);
    CShape* window = control->FindShape(WINDOW_ID);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetShapeType(), stRectangle);
    EXPECT_EQ(window->GetHatchPatternId(), 0);

    auto* base = dynamic_cast<CLayer*>(control->FindShape(BASE_LAYER));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetName(), "0");
    EXPECT_EQ(base->GetParent(), control->GetLayersGroup());
    EXPECT_EQ(control->GetCurrentLayer(), base);
    EXPECT_EQ(control->FindLayerByName("0"), base);

    // The prototypes of the kinds the factory builds, in "DefaultShapes", points at the origin.
    const struct {
        int id;
        int points;
    } prototypes[] = {{DEFAULT_SHAPE_ID, 1}, {DEFAULT_RECTANGLE_ID, 4}, {DEFAULT_POLYLINE_ID, 2}, {DEFAULT_POLYGON_ID, 3}};
    for (const auto& p : prototypes) {
        CShape* shape = control->FindShape(p.id);
        ASSERT_NE(shape, nullptr) << p.id;
        EXPECT_EQ(shape->GetParent(), control->GetDefaultShapesGroup()) << p.id;
        ASSERT_EQ(shape->GetPoints().GetCount(), p.points) << p.id;
        CRealPoint point;
        int count = 0;
        shape->GetNthPoint(p.points - 1, &point, 0, &count);
        EXPECT_EQ(point.x, 0.0f);
        EXPECT_EQ(point.y, 0.0f);
    }
    EXPECT_EQ(control->GetDefaultShape(stPolygon), control->FindShape(DEFAULT_POLYGON_ID));
    // Rebuilding keeps what is right and puts back what went astray.
    CShape* rectangle = control->FindShape(DEFAULT_RECTANGLE_ID);
    control->GetDefaultShapesGroup()->RemoveChild(rectangle);
    control->GetRootGroup()->AddChild(rectangle, nullptr, 1, false);
    control->BuildDefaultShapes(false);
    ASSERT_NE(control->FindShape(DEFAULT_RECTANGLE_ID), nullptr);
    EXPECT_EQ(control->FindShape(DEFAULT_RECTANGLE_ID)->GetParent(), control->GetDefaultShapesGroup());
    EXPECT_EQ(control->GetRootGroup()->GetShapeCount(), 0);

    // Every ID from -7 to 11 is the system's: the next new shape is 12.
    for (int id = -7; id <= 1; ++id)
        EXPECT_NE(map.Lookup(id), nullptr) << id;
    CShape* first = map.CreateShape(stGroup, true, true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetId(), 12);

    EXPECT_EQ(control->GetRootGroup(), control->FindGroup(BASE_ID));
    EXPECT_EQ(control->GetActiveGroupID(), BASE_ID);
    EXPECT_EQ(control->GetControlFlags(), static_cast<DWORD>(controlSaveAsBinary));
    EXPECT_EQ(control->GetViewportList().GetCurrentView(), &control->GetCurrentViewport());
    const CRealRect limits = control->GetSiteRecord().GetDraftLimits();
    EXPECT_EQ(limits.left, -2000.0f);
    EXPECT_EQ(limits.top, 2000.0f);
}

TEST(ControlConstruction, UnitTableFromTheTypeLibrary)
{
    ControlRef control;
    ASSERT_EQ(control->LoadUnitTable(), S_OK);
    EXPECT_EQ(control->GetUnits().size(), 21u);
    const struct {
        int id;
        const char* name;
        float inches;
        float centimetres;
        int metric;
    } cases[] = {
        {unUnitless, "Unitless", 1.0f, 1.0f, 1},    {unInches, "Inches", 1.0f, 2.54f, 0},
        {unMiles, "Miles", 63360.0f, 160900.0f, 0}, {unNanometers, "Nanometers", 0.00000393701f, 0.000000001f, 1},
        {unAngstroms, "Angstroms", 1.0f, 1.0f, 1},  {unGigameters, "Gigameters", 39370100.0f, 100000000.0f, 1},
        {unParsecs, "Parsecs", 1.0f, 1.0f, 1},
    };
    for (const auto& c : cases) {
        const CUnitRecord* unit = control->FindUnit(c.id);
        ASSERT_NE(unit, nullptr) << c.name;
        EXPECT_EQ(unit->name, c.name);
        EXPECT_EQ(unit->inches, c.inches) << c.name;
        EXPECT_EQ(unit->centimetres, c.centimetres) << c.name;
        EXPECT_EQ(unit->metric, c.metric) << c.name;
    }
    // Reading again keeps the entries there are.
    ASSERT_EQ(control->LoadUnitTable(), S_OK);
    EXPECT_EQ(control->GetUnits().size(), 21u);
}

// The module's shared pieces are counted over the live controls: the rich-edit window lives
// from the first control to the last, GDI+ likewise.
TEST(ControlConstruction, SharedRichEditWindowAndGdiplusFollowTheLiveControls)
{
    const int gdiplusBefore = GetGdiplusUsers();
    ASSERT_EQ(RichEditWindows(), 0);
    auto first = std::make_unique<ControlRef>();
    EXPECT_EQ(RichEditWindows(), 1) << "text shapes of a single control need it too";
    HWND shared = GetSharedRichEditWindow();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(GetParent(shared), nullptr);
    EXPECT_FALSE(IsWindowVisible(shared));
    EXPECT_TRUE(GetWindowLongW(shared, GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ((*first)->GetRichEditWindow(), shared);
    EXPECT_EQ(GetGdiplusUsers(), gdiplusBefore + 1);
    {
        ControlRef second;
        EXPECT_EQ(RichEditWindows(), 1);
        EXPECT_EQ(GetSharedRichEditWindow(), shared);
        EXPECT_EQ(GetLiveControlCount(), 2);
    }
    EXPECT_EQ(RichEditWindows(), 1) << "the first control still lives";
    first.reset();
    EXPECT_EQ(RichEditWindows(), 0);
    EXPECT_EQ(GetLiveControlCount(), 0);
    EXPECT_EQ(GetGdiplusUsers(), gdiplusBefore);
}

TEST(ControlConstruction, ClipboardFormatsRegisteredByName)
{
    const UINT own = RegisterClipboardFormats();
    EXPECT_EQ(own, RegisterClipboardFormatA("YVEX Clipboard data"));
    const UINT* priority = GetClipboardPriorityList();
    const ClipboardFormatEntry* table = GetClipboardFormatTable();
    EXPECT_EQ(priority[0], own);
    EXPECT_EQ(priority[1], RegisterClipboardFormatA("JFIF"));
    EXPECT_EQ(priority[3], RegisterClipboardFormatA("Rich Text Format"));
    const UINT fixed[] = {CF_TEXT, CF_ENHMETAFILE, CF_DIB, CF_DSPENHMETAFILE, CF_METAFILEPICT, CF_DSPMETAFILEPICT,
                          CF_UNICODETEXT, CF_DSPTEXT};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(priority[4 + i], fixed[i]) << i;
    EXPECT_EQ(table[0].kind, ClipboardFormatEntry::kDrawing);
    EXPECT_EQ(table[5].kind, ClipboardFormatEntry::kEnhancedMetafile);
}

// ---- events ----

namespace {

struct EventCase {
    DISPID id;
    std::function<bool(CYVEXControl&)> fire;  // true when the event went through (or no flag)
    std::vector<VARTYPE> types;
    bool stage;
};

const VARTYPE I4 = VT_I4, R4 = VT_R4, BOOLV = VT_BOOL, STR = VT_BSTR;
const VARTYPE PROCEED = VT_BOOL | VT_BYREF, R4REF = VT_R4 | VT_BYREF;

std::vector<EventCase> AllEvents(BSTR name, float* values, BOOL* workerFlag)
{
    auto mouse = std::vector<VARTYPE>{I4, R4, R4};
    auto idProceed = std::vector<VARTYPE>{I4, PROCEED};
    auto twoProceed = std::vector<VARTYPE>{I4, I4, PROCEED};
    auto yes = [](auto f) { return [f](CYVEXControl& c) { f(c); return true; }; };
    return {
        {1, yes([](CYVEXControl& c) { c.FireMouseMove(1, 2.5f, 3.5f); }), mouse, false},
        {2, yes([](CYVEXControl& c) { c.FireLButtonDown(1, 2, 3); }), mouse, false},
        {3, yes([](CYVEXControl& c) { c.FireLButtonUp(1, 2, 3); }), mouse, false},
        {4, [](CYVEXControl& c) { return c.FireAddPoint(4); }, idProceed, false},
        {5, [](CYVEXControl& c) { return c.FireAddShape(5); }, idProceed, false},
        {6, [](CYVEXControl& c) { return c.FireDeleteShape(6); }, idProceed, false},
        {7, [](CYVEXControl& c) { return c.FireDeletePoint(7); }, idProceed, false},
        {8, [](CYVEXControl& c) { return c.FireShiftPoint(8); }, idProceed, false},
        {9, [values](CYVEXControl& c) { return c.FireScaleShape(9, &values[0], &values[1], &values[2], &values[3]); },
         {I4, R4REF, R4REF, R4REF, R4REF, PROCEED}, false},
        {10, [values](CYVEXControl& c) { return c.FireShiftShape(10, &values[0], &values[1]); },
         {I4, R4REF, R4REF, PROCEED}, false},
        {11, [](CYVEXControl& c) { return c.FireChangeParent(0, 11); }, twoProceed, false},
        {12, yes([](CYVEXControl& c) { c.FireChangeSelection(); }), {}, false},
        {13, [](CYVEXControl& c) { return c.FireLinkPoint(13, 1); }, twoProceed, false},
        {14, [](CYVEXControl& c) { return c.FireUnlinkPoint(14, 1); }, twoProceed, false},
        {15, [](CYVEXControl& c) { return c.FireBeginDraw(15); }, idProceed, false},
        {16, [](CYVEXControl& c) { return c.FireEndDraw(16); }, idProceed, false},
        {17, [](CYVEXControl& c) { return c.FireBeginEditShape(17, 3); }, twoProceed, false},
        {18, [](CYVEXControl& c) { return c.FireEndEditShape(18); }, idProceed, false},
        {19, yes([](CYVEXControl& c) { c.FireRButtonUp(1, 2, 3); }), mouse, false},
        {20, yes([](CYVEXControl& c) { c.FireProgress(20); }), {I4}, false},
        {21, yes([](CYVEXControl& c) { c.FireHitShape(21, 1, 2, 0); }), {I4, R4, R4, I4}, false},
        {22, [values](CYVEXControl& c) { return c.FireContextMenuShow(&values[0], &values[1]); }, {R4REF, R4REF, PROCEED},
         false},
        {23, yes([](CYVEXControl& c) { c.FireContextMenuCommand(23); }), {I4}, false},
        {24, [](CYVEXControl& c) { return c.FireCancel(); }, {PROCEED}, false},
        {25, yes([](CYVEXControl& c) { c.FireRButtonDown(1, 2, 3); }), mouse, false},
        {26, [](CYVEXControl& c) { return c.FireAddViewport(26, 1); }, twoProceed, false},
        {27, [](CYVEXControl& c) { return c.FireDeleteViewport(27); }, idProceed, false},
        {28, [](CYVEXControl& c) { return c.FireEditViewport(28); }, idProceed, false},
        {29, [](CYVEXControl& c) { return c.FireSetCurrentViewport(29); }, idProceed, false},
        {30, [](CYVEXControl& c) { return c.FireCopyViewport(30, 1); }, twoProceed, false},
        {31, [](CYVEXControl& c) { return c.FireSetCurrentLayer(31); }, idProceed, false},
        {32, [name, workerFlag](CYVEXControl& c) { c.FireBeginLoadSite(srDatabase, name, 32, workerFlag); return *workerFlag != FALSE; },
         {I4, STR, I4, PROCEED}, true},
        {33, yes([](CYVEXControl& c) { c.FireEndLoadSite(true); }), {BOOLV}, true},
        {34, [name, workerFlag](CYVEXControl& c) { c.FireBeginSaveSite(srDatabase, name, 34, workerFlag); return *workerFlag != FALSE; },
         {I4, STR, I4, PROCEED}, true},
        {35, yes([](CYVEXControl& c) { c.FireEndSaveSite(true); }), {BOOLV}, true},
        {36, [](CYVEXControl& c) { return c.FireAddDrawingSetting(36, 1); }, twoProceed, false},
        {37, [](CYVEXControl& c) { return c.FireDeleteDrawingSetting(37); }, idProceed, false},
        {38, [](CYVEXControl& c) { return c.FireEditDrawingSetting(38); }, idProceed, false},
        {39, [](CYVEXControl& c) { return c.FireSetCurrentDrawingSetting(39); }, idProceed, false},
        {40, [](CYVEXControl& c) { return c.FireCopyDrawingSetting(40, 1); }, twoProceed, false},
        {41, [](CYVEXControl& c) { return c.FireEditSite(41); }, idProceed, false},
        {42, [workerFlag](CYVEXControl& c) { c.FireBeginDeleteSite(42, workerFlag); return *workerFlag != FALSE; },
         idProceed, true},
        {43, yes([](CYVEXControl& c) { c.FireEndDeleteSite(false); }), {BOOLV}, true},
        {44, [](CYVEXControl& c) { return c.FireBringShapeToFront(44); }, idProceed, false},
        {45, [](CYVEXControl& c) { return c.FireSendShapeToBack(45); }, idProceed, false},
        {46, [](CYVEXControl& c) { return c.FireUpdateReferences(46, 1); }, twoProceed, false},
        {47, yes([](CYVEXControl& c) { c.FireLButtonDblClick(1, 2, 3); }), mouse, false},
        {48, [](CYVEXControl& c) { return c.FireSwitchRootID(48); }, idProceed, false},
        {49, [](CYVEXControl& c) { return c.FireDeleteImageResourceFromDB(49); }, idProceed, false},
        {50, yes([](CYVEXControl& c) { c.FireDeletedImageResourceFromDB(50); }), {I4}, false},
        {51, yes([](CYVEXControl& c) { c.FireInvalidateToolbar(0); }), {I4}, false},
        {52, [](CYVEXControl& c) { return c.FireDeleteImageResource(52); }, idProceed, false},
        {53, yes([name](CYVEXControl& c) { c.FireEndDeleteSiteWithID(53, true, srDatabase, name); }), {I4, BOOLV, I4, STR},
         true},
        {54, yes([name](CYVEXControl& c) { c.FireEndLoadSiteWithID(true, srDatabase, name, 54); }), {BOOLV, I4, STR, I4},
         true},
        {55, yes([name](CYVEXControl& c) { c.FireEndSaveSiteWithID(true, srDatabase, name, 55); }), {BOOLV, I4, STR, I4},
         true},
        {56, [](CYVEXControl& c) { return c.FireCopySuccessful(); }, {PROCEED}, false},
        {57, [](CYVEXControl& c) { return c.FirePasteSuccessful(); }, {PROCEED}, false},
        {58, [](CYVEXControl& c) { return c.FireResetAttributeProperties(58, 3); }, twoProceed, false},
        {59, yes([](CYVEXControl& c) { c.FireControlReady(0); }), {I4}, false},
    };
}

} // namespace

// Every event reaches a sink under its dispatch ID with the argument types of its declaration;
// a sink that vetoes is heard through the proceed flag (the worker's own flag for a stage).
TEST(ControlEvents, EachEventWithItsIdAndArgumentTypes)
{
    ControlRef control;
    EventSink sink(VARIANT_FALSE);
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    ycom::Bstr name(L"Site A");
    float values[4] = {1, 2, 3, 4};
    BOOL workerFlag = FALSE;
    const std::vector<EventCase> events = AllEvents(name.Get(), values, &workerFlag);
    ASSERT_EQ(events.size(), 59u);
    for (const EventCase& e : events) {
        sink.calls.clear();
        workerFlag = FALSE;
        const bool went = e.fire(*control);
        ASSERT_EQ(sink.calls.size(), 1u) << "event " << e.id;
        EXPECT_EQ(sink.calls[0].id, e.id);
        EXPECT_EQ(sink.calls[0].types, e.types) << "event " << e.id;
        const bool hasProceed = !e.types.empty() && e.types.back() == PROCEED;
        EXPECT_EQ(went, !hasProceed) << "event " << e.id << ": the veto counts";
        if (hasProceed) {
            EXPECT_EQ(sink.calls[0].proceedSeen, VARIANT_TRUE) << "event " << e.id << ": the flag starts true";
        }
    }
    // Names and integers arrive as given.
    sink.calls.clear();
    control->FireEndSaveSiteWithID(false, srFile, name.Get(), 77);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].texts, std::vector<std::wstring>{L"Site A"});
    EXPECT_EQ(sink.calls[0].ints, (std::vector<LONG>{srFile, 77}));
    EXPECT_EQ(sink.calls[0].bools, std::vector<bool>{false});
}

// With FireEvents off only the stage events of the long operations arrive; nothing is vetoed.
TEST(ControlEvents, TheGateStopsAllButTheStageEvents)
{
    ControlRef control;
    EventSink sink(VARIANT_FALSE);
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_EQ(control->put_FireEvents(VARIANT_FALSE), S_OK);
    ycom::Bstr name(L"n");
    float values[4] = {1, 2, 3, 4};
    BOOL workerFlag = TRUE;
    std::vector<DISPID> expected;
    for (const EventCase& e : AllEvents(name.Get(), values, &workerFlag)) {
        const bool went = e.fire(*control);
        if (e.stage)
            expected.push_back(e.id);
        else
            EXPECT_TRUE(went) << "event " << e.id << " is not fired, so nothing vetoes";
    }
    EXPECT_EQ(sink.Ids(), (std::vector<DISPID>{32, 33, 34, 35, 42, 43, 53, 54, 55}));
    EXPECT_EQ(sink.Ids(), expected);
}

// All sinks see the same by-reference values: the last sink's answer counts, and changed
// coordinates come back to the firing site.
TEST(ControlEvents, TheLastSinksAnswerCounts)
{
    ControlRef control;
    EventSink veto(VARIANT_FALSE), allow(VARIANT_TRUE);
    {
        Connection first(control->GetControllingUnknown(), &veto);
        Connection second(control->GetControllingUnknown(), &allow);
        EXPECT_TRUE(control->FireDeleteShape(12));
        EXPECT_EQ(allow.calls.back().proceedSeen, VARIANT_FALSE) << "one flag for all sinks";
    }
    {
        Connection first(control->GetControllingUnknown(), &allow);
        Connection second(control->GetControllingUnknown(), &veto);
        EXPECT_FALSE(control->FireDeleteShape(12));
        veto.setFloats = true;
        veto.floatAnswer = 7.0f;
        float dx = 5.0f, dy = 0.0f;
        EXPECT_FALSE(control->FireShiftShape(12, &dx, &dy));
        EXPECT_EQ(dx, 7.0f);
        EXPECT_EQ(allow.calls.back().floats, (std::vector<float>{5.0f, 0.0f})) << "the first sink saw the offset";
    }
    // No sink: the operation goes on.
    EXPECT_TRUE(control->FireDeleteShape(12));
}

// Taking the control down tells the host nothing.
TEST(ControlEvents, ReleaseFiresNothing)
{
    EventSink sink;
    {
        auto* control = new ycom::ComObject<CYVEXControl>();
        control->InternalAddRef();
        IConnectionPointContainer* container = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
        IConnectionPoint* point = nullptr;
        ASSERT_EQ(container->FindConnectionPoint(DIID__IYVEXControlEvents, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        CShape* shape = control->GetShapeMap().CreateShape(stPolyline, true, true);
        control->GetRootGroup()->AddChild(shape, nullptr, 1, false);
        control->GetSelectionGroup()->AddChild(shape, nullptr, 0, false);
        point->Release();
        container->Release();
        control->Release();
    }
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(sink.m_refs, 1u) << "the connection let the sink go";
}

// ---- IYVEXControl state members ----

TEST(ControlProperties, FlagsEditorAndErrors)
{
    ControlRef control;
    IYVEXControl* itf = control.Get();
    LONG root = -99;
    EXPECT_EQ(itf->get_RootID(nullptr), E_POINTER);
    EXPECT_EQ(itf->get_RootID(&root), S_OK);
    EXPECT_EQ(root, 0);

    VARIANT_BOOL on = VARIANT_FALSE;
    EXPECT_EQ(itf->get_Enabled(&on), S_OK);
    EXPECT_EQ(on, VARIANT_TRUE);
    // A read-only site is not editable, whatever Enabled was given.
    control->SetReadOnly(true);
    EXPECT_EQ(itf->get_Enabled(&on), S_OK);
    EXPECT_EQ(on, VARIANT_FALSE);
    control->SetReadOnly(false);
    EXPECT_EQ(itf->put_Enabled(VARIANT_FALSE), S_OK);
    itf->get_Enabled(&on);
    EXPECT_EQ(on, VARIANT_FALSE);

    // RedrawEnabled and LockDraftLimits are bits of the control-flags word.
    EXPECT_EQ(itf->get_RedrawEnabled(nullptr), E_INVALIDARG);
    EXPECT_EQ(itf->get_LockDraftLimits(nullptr), E_INVALIDARG);
    EXPECT_EQ(itf->put_RedrawEnabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(itf->put_LockDraftLimits(VARIANT_TRUE), S_OK);
    EXPECT_EQ(control->GetControlFlags(), static_cast<DWORD>(controlSaveAsBinary | controlDisableRedraw | controlLockLimits));
    control->SetControlFlags(controlSaveAsBinary);
    itf->get_RedrawEnabled(&on);
    EXPECT_EQ(on, VARIANT_TRUE);
    itf->get_LockDraftLimits(&on);
    EXPECT_EQ(on, VARIANT_FALSE);

    BSTR editor = nullptr;
    ASSERT_EQ(itf->get_TextEditorName(&editor), S_OK);
    std::wstring name = editor;
    SysFreeString(editor);
    EXPECT_EQ(name.front(), L'"');
    EXPECT_EQ(name.back(), L'"');
    EXPECT_NE(name.find(L"\\Windows NT\\Accessories\\wordpad.exe\""), std::wstring::npos);
    ycom::Bstr other(L"C:\\tools\\edit.exe");
    EXPECT_EQ(itf->put_TextEditorName(other.Get()), S_OK);
    EXPECT_STREQ(control->GetTextEditorName(), L"C:\\tools\\edit.exe");
    EXPECT_EQ(itf->put_TextEditorName(nullptr), S_OK);
    ASSERT_EQ(itf->get_TextEditorName(&editor), S_OK);
    EXPECT_EQ(editor, nullptr);

    LONG code = -1;
    BSTR message = nullptr;
    EXPECT_EQ(itf->get_LastError(&code), S_OK);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(itf->get_LastErrorMessage(&message), S_OK);
    EXPECT_EQ(message, nullptr);
    control->SetLastError(0x01000102, "Operation is in progress.");
    itf->get_LastError(&code);
    EXPECT_EQ(code, 0x01000102);
    ASSERT_EQ(itf->get_LastErrorMessage(&message), S_OK);
    EXPECT_STREQ(message, L"Operation is in progress.");
    SysFreeString(message);
}

// Device and world points through the current view, both ways; the device side stays fractional.
TEST(ControlProperties, DeviceAndWorldPointsThroughTheCurrentView)
{
    ControlRef control;
    CViewportRecord& view = control->GetCurrentViewport();
    view.SetClientSize(SIZE{400, 300}, true);
    view.SetHeight(300.0f);
    view.SetCenter(10.0f, 20.0f);
    float zoom = 0.0f;
    ASSERT_EQ(control->get_ZoomK(&zoom), S_OK);
    EXPECT_FLOAT_EQ(zoom, static_cast<float>(view.zoom));
    float x = 0.0f, y = 0.0f;
    ASSERT_EQ(control->WCStoDP(&x, &y), S_OK);
    const POINT rounded = view.WorldToDevice(CRealPoint(0.0f, 0.0f));
    EXPECT_NEAR(x, rounded.x, 0.5);
    EXPECT_NEAR(y, rounded.y, 0.5);
    ASSERT_EQ(control->DPtoWCS(&x, &y), S_OK);
    EXPECT_NEAR(x, 0.0f, 1e-3);
    EXPECT_NEAR(y, 0.0f, 1e-3);
    x = 200.0f;
    y = 150.0f;
    control->DPtoWCS(&x, &y);
    EXPECT_NEAR(x, 10.0f, 1.0f) << "the middle of the window is the view's centre";
    EXPECT_NEAR(y, 20.0f, 1.0f);
    EXPECT_EQ(control->DPtoWCS(nullptr, &y), E_POINTER);
}
