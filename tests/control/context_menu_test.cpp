// The right button's menus in a hosted control: which menu shows, how it is pruned, the host's
// say through OnContextMenuShow, and the command carried out. The modal popup is replaced by a
// recording handler, except in one test that drives the real one.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "com/Module.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Polyline.h"
#include "model/Text.h"
#include "ui/resource.h"
#include <functional>
#include <map>
#include <string>

using namespace controltest;

// The server's class table, for the test that needs this module to make the control's objects.
extern const ycom::ClassEntry g_yvexClasses[];
extern const size_t g_yvexClassCount;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// What the last shown menu held: its commands with their labels, where it was shown.
struct Shown {
    int count = 0;
    std::map<UINT, std::wstring> items;
    POINT at = {};
    UINT answer = 0;
} g_shown;

void Collect(HMENU menu)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            Collect(sub);
            continue;
        }
        wchar_t label[128] = {};
        GetMenuStringW(menu, i, label, 128, MF_BYPOSITION);
        const UINT id = GetMenuItemID(menu, i);
        if (id != 0)
            g_shown.items[id] = label;
    }
}

UINT Recording(HMENU menu, UINT flags, int x, int y, HWND)
{
    EXPECT_TRUE(flags & TPM_RETURNCMD);
    ++g_shown.count;
    g_shown.items.clear();
    Collect(menu);
    g_shown.at = POINT{x, y};
    return g_shown.answer;
}

class ContextMenu : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        PixelView(0.0f, 0.0f);
        g_shown = Shown();
        m_previous = SetPopupMenuHandler(&Recording);
    }
    void TearDown() override
    {
        SetPopupMenuHandler(m_previous);
        HostedControl::TearDown();
    }
    void RightClick(float x, float y)
    {
        const POINT p = control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
        SendMessageW(m_wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(m_wnd, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    POINT Screen(float x, float y)
    {
        POINT p = control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
        ClientToScreen(m_wnd, &p);
        return p;
    }
    PopupMenuHandler m_previous = nullptr;
};

} // namespace

// The canvas menu: shown at the pointer, or where the host moved it, or not at all when the
// host says no; without a data source its database items are gone; its command is reported and
// carried out.
TEST_F(ContextMenu, CanvasMenuShowPruneAndDispatch)
{
    int shown = 0;
    {
        hosttest::EventSink sink;
        Connection connection(control->GetControllingUnknown(), &sink);
        RightClick(10.0f, 20.0f);
        ASSERT_EQ(g_shown.count, 1);
        EXPECT_EQ(g_shown.at.x, Screen(10.0f, 20.0f).x);
        EXPECT_EQ(g_shown.at.y, Screen(10.0f, 20.0f).y);
        EXPECT_TRUE(g_shown.items.count(MI_ZOOM_ALL));
        EXPECT_TRUE(g_shown.items.count(MI_LOAD_FROM_DXF));
        EXPECT_FALSE(g_shown.items.count(MI_LOAD_FROM_DB)) << "no data source";
        EXPECT_FALSE(g_shown.items.count(MI_SAVE_TO_DB));
        EXPECT_FALSE(g_shown.items.count(MI_COMPLETE)) << "no block is edited";
        EXPECT_FALSE(g_shown.items.count(MI_PASTE)) << "nothing to paste";
        EXPECT_EQ(sink.Ids(), std::vector<DISPID>({25, 19, 22, 23}));
        EXPECT_EQ(sink.calls[3].ints, std::vector<LONG>({0})) << "nothing chosen";

        // Moved by the host.
        sink.calls.clear();
        sink.setFloats = true;
        sink.floatAnswer = 50.0f;
        RightClick(10.0f, 20.0f);
        EXPECT_EQ(g_shown.at.x, Screen(50.0f, 50.0f).x);
        EXPECT_EQ(g_shown.at.y, Screen(50.0f, 50.0f).y);
        sink.setFloats = false;

        // The chosen command is reported and carried out.
        g_shown.answer = MI_ZOOM_IN;
        const double zoom = control->GetCurrentViewport().zoom;
        sink.calls.clear();
        RightClick(10.0f, 20.0f);
        EXPECT_NEAR(control->GetCurrentViewport().zoom, zoom * 1.2, zoom * 1e-5);
        ASSERT_FALSE(sink.calls.empty());
        EXPECT_EQ(sink.calls.back().id, 23);
        EXPECT_EQ(sink.calls.back().ints, std::vector<LONG>({MI_ZOOM_IN}));

        // A right drag pans and shows no menu.
        shown = g_shown.count;
        const POINT p = control->GetCurrentViewport().WorldToDevice(CRealPoint(0.0f, 0.0f));
        SendMessageW(m_wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(m_wnd, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(p.x + 6, p.y));
        SendMessageW(m_wnd, WM_RBUTTONUP, 0, MAKELPARAM(p.x + 6, p.y));
        EXPECT_EQ(g_shown.count, shown);
    }

    // Refused by the host: nothing shows, nothing is carried out.
    hosttest::EventSink refusing(VARIANT_FALSE);
    Connection second(control->GetControllingUnknown(), &refusing);
    shown = g_shown.count;
    const double before = control->GetCurrentViewport().zoom;
    RightClick(10.0f, 20.0f);
    EXPECT_EQ(g_shown.count, shown);
    EXPECT_EQ(control->GetCurrentViewport().zoom, before);
    for (const auto& call : refusing.calls)
        EXPECT_NE(call.id, 23) << "no command event";

}

// The selection menu of one polyline names its close item after the shape's state, and keeps
// the point items that apply where the user clicked.
TEST_F(ContextMenu, SelectionMenuOfAPolyline)
{
    auto* polyline = static_cast<CPolyline*>(control->GetShapeMap().CreateShape(stPolyline, true, true));
    ASSERT_NE(polyline, nullptr);
    for (const CRealPoint& p : {CRealPoint(0, 0), CRealPoint(60, 0), CRealPoint(60, 40)})
        ASSERT_NE(polyline->AddNewVertex(-1, p.x, p.y, 0.0f, 0, 0, nullptr, 0.0f, 0.0f, 0, 0, 0), nullptr);
    control->GetRootGroup()->AddChild(polyline, nullptr, 1, false);
    control->GetSelectionGroup()->AddChild(polyline, nullptr, 0, false);

    const struct {
        bool closed;
        float x, y;  // where the right button is clicked
        const wchar_t* closeLabel;
        bool head, tail, insert;
    } cases[] = {
        {false, 30.0f, 0.0f, L"C&lose Shape", false, false, true},
        {true, 30.0f, 0.0f, L"&Open Shape", false, false, true},
        {false, 0.0f, 0.0f, L"C&lose Shape", true, false, false},
        {false, 60.0f, 40.0f, L"C&lose Shape", false, true, true},
    };
    for (const auto& c : cases) {
        polyline->SetClosed(c.closed, false);
        RightClick(c.x, c.y);
        ASSERT_TRUE(g_shown.items.count(MI_CLOSE_POLYLINE)) << c.x;
        EXPECT_EQ(g_shown.items[MI_CLOSE_POLYLINE], c.closeLabel) << c.x;
        EXPECT_EQ(g_shown.items.count(MI_ADD_HEAD_POINT) == 1, c.head) << c.x << "," << c.y;
        EXPECT_EQ(g_shown.items.count(MI_ADD_TAIL_POINT) == 1, c.tail) << c.x << "," << c.y;
        EXPECT_EQ(g_shown.items.count(MI_INSERT_POINT) == 1, c.insert) << c.x << "," << c.y;
        EXPECT_TRUE(g_shown.items.count(MI_BRING_TO_FRONT));
    }
}

namespace {
int g_realItems = -1;
void CALLBACK DismissMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup)
        return;
    KillTimer(nullptr, timer);
    HMENU shown = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    g_realItems = shown ? GetMenuItemCount(shown) : -2;
    EndMenu();
}
} // namespace

// The real popup: it shows the pruned canvas menu and closes without a command.
TEST_F(ContextMenu, RealPopup)
{
    SetPopupMenuHandler(nullptr);
    hosttest::EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    g_realItems = -1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &DismissMenu);
    RightClick(10.0f, 20.0f);
    KillTimer(nullptr, timer);
    EXPECT_GT(g_realItems, 3) << "the menu was on screen";
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.back().id, 23);
    EXPECT_EQ(sink.calls.back().ints, std::vector<LONG>({0}));
}

// The host adds its own command while it is told of the menu; the command it chose comes back in
// OnContextMenuCommand. A collection kept after the menu closed changes only itself.
TEST_F(ContextMenu, AnItemTheHostAddsComesBackAsItsCommand)
{
    constexpr LONG kHostCommand = 40001;
    // The control makes its menu collection with this module's class factory.
    ycom::TheModule().Init(g_yvexClasses, g_yvexClassCount, GetModuleHandleW(nullptr), LIBID_YVEXLib);
    struct Restore {
        ~Restore() { ycom::TheModule().Init(nullptr, 0, GetModuleHandleW(nullptr), LIBID_YVEXLib); }
    } restore;
    hosttest::EventSink sink;
    IMenuCollection* kept = nullptr;
    sink.onEvent = [&](const hosttest::EventSink::Call& call) {
        if (call.id != 22)
            return;
        ASSERT_EQ(control->get_ContextMenu(&kept), S_OK);
        ASSERT_NE(kept, nullptr);
        BSTR text = SysAllocString(L"Host command");
        EXPECT_EQ(kept->InsertItem(1, kHostCommand, MFT_STRING, MFS_ENABLED, text), S_OK);
        SysFreeString(text);
    };
    Connection connection(control->GetControllingUnknown(), &sink);
    g_shown.answer = kHostCommand;
    RightClick(10.0f, 20.0f);
    ASSERT_EQ(g_shown.count, 1);
    ASSERT_TRUE(g_shown.items.count(kHostCommand));
    EXPECT_EQ(g_shown.items[kHostCommand], L"Host command");
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.back().id, 23);
    EXPECT_EQ(sink.calls.back().ints, std::vector<LONG>({kHostCommand}));

    IMenuCollection* none = reinterpret_cast<IMenuCollection*>(1);
    EXPECT_EQ(control->get_ContextMenu(&none), S_FALSE) << "no menu is shown now";
    EXPECT_EQ(none, nullptr);
    ASSERT_NE(kept, nullptr);
    LONG count = 0;
    ASSERT_EQ(kept->get_Count(&count), S_OK);
    EXPECT_EQ(kept->InsertItem(-1, kHostCommand + 1, MFT_STRING, MFS_ENABLED, nullptr), S_OK)
        << "the closed menu is no longer mirrored";
    LONG after = 0;
    ASSERT_EQ(kept->get_Count(&after), S_OK);
    EXPECT_EQ(after, count + 1);
    EXPECT_EQ(kept->DeleteItem(1), S_OK);
    kept->Release();
}

// The Draw menu's commands start the user's creation of their kind of shape in the active group:
// a polygon as a closed polyline, texts of either type, Bezier and free-hand polylines by their style bits.
// Each start cancelled leaves nothing behind.
TEST_F(ContextMenu, DrawCommandsStartTheirShapes)
{
    struct Case {
        UINT command;
        LONG type;
        DWORD styleBits; // of a polyline
        int textType;    // of a text
    };
    const Case cases[] = {
        {MI_DRAW_LINE, stLine, 0, 0},
        {MI_DRAW_RECTANGLE, stRectangle, 0, 0},
        {MI_DRAW_ARC, stArc, 0, 0},
        {MI_DRAW_CIRCLE, stCircle, 0, 0},
        {MI_DRAW_ELLIPSE, stEllipse, 0, 0},
        {MI_DRAW_POLYLINE, stPolyline, 0, 0},
        {MI_DRAW_POLYGON, stPolyline, pfClosed, 0}, // a closed polyline
        {MI_DRAW_IMAGE, stImage, 0, 0},
        {MI_DRAW_TEXT, stText, 0, ttANSI},
        {MI_DRAW_RTF_TEXT, stText, 0, ttRTF},
        {MI_DRAW_BEZIER, stPolyline, pfBezier, 0},
        {MI_DRAW_FREE_HAND, stPolyline, pfFreeHand, 0},
    };
    LONG groupId = 0;
    ASSERT_EQ(control->AddGroup(control->GetRootGroup(), stGroup, &groupId), S_OK);
    auto* group = dynamic_cast<CGroup*>(control->FindShape(groupId));
    ASSERT_NE(group, nullptr);
    control->SetActiveGroup(group);
    const size_t shapes = control->GetShapeMap().Shapes().size();
    for (const Case& c : cases) {
        ASSERT_EQ(control->ExecuteMenuCommand(c.command, 0), S_OK) << c.command;
        CShape* shape = control->GetEditState().editedShape;
        ASSERT_NE(shape, nullptr) << c.command;
        EXPECT_EQ(shape->GetShapeType(), c.type) << c.command;
        EXPECT_EQ(shape->GetParent(), group) << c.command;
        EXPECT_NE(control->GetEditState().controlState & csUserCreate, 0u) << c.command;
        if (c.type == stPolyline) {
            auto* polyline = dynamic_cast<CPolyline*>(shape);
            ASSERT_NE(polyline, nullptr) << c.command;
            EXPECT_EQ(polyline->GetFlags() & (pfClosed | pfBezier | pfFreeHand), c.styleBits) << c.command;
        }
        if (c.type == stText) {
            auto* text = dynamic_cast<CText*>(shape);
            ASSERT_NE(text, nullptr) << c.command;
            EXPECT_EQ(text->GetTextType(), c.textType) << c.command;
        }
        control->EndInteractiveOperation(false);
        EXPECT_EQ(control->GetEditState().editedShape, nullptr) << c.command;
        EXPECT_EQ(group->GetShapeCount(), 0) << c.command;
        EXPECT_EQ(control->GetShapeMap().Shapes().size(), shapes) << c.command;
    }
}
