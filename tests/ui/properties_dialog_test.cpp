// The properties window of a control as a host has it: the registered control hosted in a window,
// shapes selected through the object model, the window opened with ShapeProperties or the
// "Properties" command, values typed into the grid's edit box or its buttons pressed, and the
// host's sink answering OnEndEditShape. The rows' own rules (value to text, text to value,
// predefined values, pictures) are checked on rows of this program's module.
#include <gtest/gtest.h>
#include <windows.h>
#include <olectl.h>
#include <cmath>
#include <functional>
#include <string>
#include <vector>
#include "com/Owners.h"
#include "control/DialogLists.h"
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/PictureFiles.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowCapture.h"
#include "ui/PropertiesDialog.h"
#include "control/PopupMenuHook.h"
#include "ui/ColorPopupMenu.h"
#include "ui/propertygrid/PropertyGrid.h"
#include "ui/propertygrid/PropertyRow.h"
#include "ui/resource.h"
#include "YVEX_h.h"

using namespace controltest;

namespace {

HWND FindPropertiesWindow()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            char caption[64] = "";
            GetWindowTextA(window, caption, sizeof caption);
            if (strcmp(caption, "Shape properties") == 0) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The rows as the grid lists them (the window's rows live in the control's module, laid out by
// the same header).
int GridIndex(HWND grid, const wchar_t* name)
{
    const int count = static_cast<int>(SendMessageA(grid, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        auto* row = reinterpret_cast<const CPropertyRow*>(SendMessageA(grid, LB_GETITEMDATA, i, 0));
        if (row && row->name && wcscmp(row->name, name) == 0)
            return i;
    }
    return -1;
}
const CPropertyRow* GridRow(HWND grid, const wchar_t* name)
{
    const int index = GridIndex(grid, name);
    return index < 0 ? nullptr : reinterpret_cast<const CPropertyRow*>(SendMessageA(grid, LB_GETITEMDATA, index, 0));
}
std::wstring Shown(HWND grid, const wchar_t* name)
{
    const CPropertyRow* row = GridRow(grid, name);
    return row && row->displayText ? row->displayText : L"<none>";
}

HWND VisibleChild(HWND parent, const char* className)
{
    for (HWND child = FindWindowExA(parent, nullptr, className, nullptr); child;
         child = FindWindowExA(parent, child, className, nullptr))
        if (IsWindowVisible(child))
            return child;
    return nullptr;
}

// A click in the value cell of the row, left of any button square.
void ClickValue(HWND grid, int index)
{
    SendMessageA(grid, LB_SETTOPINDEX, index, 0);
    RECT item = {};
    SendMessageA(grid, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const int h = item.bottom - item.top;
    const LPARAM at = MAKELPARAM(item.right - 2 * h - 2, (item.top + item.bottom) / 2);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(grid, WM_LBUTTONUP, 0, at);
    hosttest::PumpMessages();
}

// Types the text into the row's edit box and ends the edit with Enter; false when no box opened.
bool TypeInto(HWND grid, const wchar_t* name, const wchar_t* text)
{
    const int index = GridIndex(grid, name);
    if (index < 0)
        return false;
    ClickValue(grid, index);
    HWND box = VisibleChild(grid, "EDIT");
    if (!box)
        return false;
    SetWindowTextW(box, text);
    SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
    hosttest::PumpMessages();
    return true;
}

// Whether the grid shows the placeholder row alone (nothing to show).
bool IsPlaceholderOnly(HWND grid)
{
    if (SendMessageA(grid, LB_GETCOUNT, 0, 0) != 1)
        return false;
    char text[100] = "";
    SendMessageA(grid, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return strcmp(text, "Nothing Selected") == 0;
}

// The text of a message box (its static text).
std::string BoxText(HWND box)
{
    char text[256] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

// The registered control hosted in a window, with a sink on its events.
class PropertiesWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hosttest::Atl().attach);
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl, control.PutVoid()), S_OK);
        m_top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                                nullptr, nullptr);
        m_ax = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 10, 20, 320, 240, m_top, nullptr, nullptr, nullptr);
        ASSERT_EQ(hosttest::Atl().attach(control.Get(), m_ax, m_container.Put()), S_OK);
        hosttest::PumpMessages();
        m_connection = std::make_unique<hosttest::Connection>(control.Get(), &sink);
        ASSERT_TRUE(m_connection->Connected());
        ASSERT_EQ(control->get_Site(site.Put()), S_OK);
        ASSERT_EQ(site->get_Shapes(shapes.Put()), S_OK);
        ycom::ComPtr<IShape> selection;
        ASSERT_EQ(shapes->get_ItemByID(SELECTION_ID, selection.Put()), S_OK);
        ASSERT_EQ(selection->get_Shapes(selected.Put()), S_OK);
    }
    void TearDown() override
    {
        control->ShapeProperties(VARIANT_FALSE);
        m_connection.reset();
        if (m_top)
            DestroyWindow(m_top);
        hosttest::PumpMessages();
    }
    ycom::ComPtr<IShape> Shape(LONG id)
    {
        ycom::ComPtr<IShape> shape;
        EXPECT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
        return shape;
    }
    // Opens the window on the shapes; its grid.
    HWND Open(std::initializer_list<LONG> ids)
    {
        for (LONG id : ids)
            EXPECT_EQ(selected->AddShape(id), S_OK);
        EXPECT_EQ(control->ShapeProperties(VARIANT_TRUE), S_OK);
        hosttest::PumpMessages();
        m_window = FindPropertiesWindow();
        return m_window ? GetDlgItem(m_window, IDC_PROPERTY_GRID) : nullptr;
    }
    LONG Polyline()
    {
        LONG id = 0;
        EXPECT_EQ(shapes->AddPolyline(0, 0, 10, 0, &id), S_OK);
        ycom::ComPtr<IShape> shape = Shape(id);
        ycom::ComPtr<IPolylineShape> polyline;
        EXPECT_EQ(shape->QueryInterface(IID_IPolylineShape, polyline.PutVoid()), S_OK);
        LONG vertex = 0;
        EXPECT_EQ(polyline->AddNewVertex(0, 10, 10, 0, 0, 0, nullptr, 0, 0, 0, 0, 0, &vertex), S_OK);
        EXPECT_EQ(polyline->AddNewVertex(0, 0, 10, 0, 0, 0, nullptr, 0, 0, 0, 0, 0, &vertex), S_OK);
        return id;
    }
    // Types into the row, confirming every message box that comes up; their texts.
    std::vector<std::string> BoxesWhileTyping(HWND grid, const wchar_t* name, const wchar_t* text)
    {
        std::vector<std::string> boxes;
        {
            DialogCloser closer([&](HWND box, int) {
                if (box == m_window)
                    return;   // the properties window itself, activated by its edit box
                boxes.push_back(BoxText(box));
                DialogCloser::PostCommand(box, IDOK);
            });
            EXPECT_TRUE(TypeInto(grid, name, text));
            hosttest::PumpFor(200);
        }
        return boxes;
    }
    // Runs the action, answering each dialog it opens (other than the properties window) with
    // `command` after `fill` had its say; how many came up.
    int AnswerDialogs(int command, const std::function<void()>& action, const std::function<void(HWND)>& fill = {})
    {
        int dialogs = 0;
        DialogCloser closer([&](HWND dialog, int) {
            if (dialog == m_window)
                return;
            ++dialogs;
            if (fill)
                fill(dialog);
            DialogCloser::PostCommand(dialog, command);
        });
        action();
        hosttest::PumpFor(200);
        return dialogs;
    }
    LONG SiteState()
    {
        LONG state = -1;
        EXPECT_EQ(site->get_ShapePropertyWindowState(&state), S_OK);
        return state;
    }

    ycom::ComPtr<IYVEXControl> control;
    ycom::ComPtr<ISite> site;
    ycom::ComPtr<IShapeCollection> shapes;
    ycom::ComPtr<IShapeCollection> selected;
    hosttest::EventSink sink;
    std::unique_ptr<hosttest::Connection> m_connection;
    ycom::ComPtr<IUnknown> m_container;
    HWND m_top = nullptr;
    HWND m_ax = nullptr;
    HWND m_window = nullptr;
};

} // namespace

// A polyline and a text together are shown through the generic shape object: the shapes' common
// properties only. The window shows without taking the activation, the site reports it, and
// hiding it reports it hidden; Ctrl+Enter in the control shows it again.
TEST_F(PropertiesWindow, MixedShapesShowTheirCommonProperties)
{
    const LONG line = Polyline();
    LONG text = 0;
    ASSERT_EQ(shapes->AddPlainText(ycom::Bstr(L"abc").Get(), 0, 0, 20, 5, static_cast<Alignments>(0), 0, &text), S_OK);
    EXPECT_EQ(SiteState(), 0);
    HWND grid = Open({line, text});
    ASSERT_NE(grid, nullptr);
    char className[64] = "";
    GetClassNameA(grid, className, sizeof className);
    EXPECT_STREQ(className, "PropBrowseWnd_1_0");
    EXPECT_EQ(SiteState(), 1);
    EXPECT_NE(GetActiveWindow(), m_window) << "shown without activation";
    EXPECT_NE(GridRow(grid, L"PenColor"), nullptr);
    EXPECT_EQ(GridRow(grid, L"Vertex"), nullptr) << "a polyline's own property";
    EXPECT_EQ(GridRow(grid, L"Text"), nullptr) << "a text's own property";
    CaptureWindowToPng(m_window, ArtefactPath("properties_dialog"));

    EXPECT_EQ(control->ShapeProperties(VARIANT_FALSE), S_OK);
    EXPECT_EQ(SiteState(), 0);
    EXPECT_TRUE(IsWindow(m_window)) << "hidden, not destroyed";
    // Ctrl+Enter toggles the window (the key goes to the control's window).
    HWND controlWindow = GetWindow(m_ax, GW_CHILD);
    ASSERT_NE(controlWindow, nullptr);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(controlWindow, WM_KEYDOWN, VK_RETURN, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    hosttest::PumpMessages();
    EXPECT_EQ(SiteState(), 1) << "Ctrl+Enter shows the window";
}

// Two lines of different weight show the weight empty; a typed weight goes to both. A get-only
// row opens no edit box; typing "abc" into a number row is refused with the message and the
// value stays.
TEST_F(PropertiesWindow, TypedValuesGoToEveryShape)
{
    LONG a = 0, b = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    ASSERT_EQ(Shape(a)->put_PenWeight(1.0f), S_OK);
    ASSERT_EQ(Shape(b)->put_PenWeight(2.0f), S_OK);
    HWND grid = Open({a, b});
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"");
    ASSERT_TRUE(TypeInto(grid, L"PenWeight", L"3"));
    float weight = 0;
    EXPECT_EQ(Shape(a)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 3.0f);
    EXPECT_EQ(Shape(b)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 3.0f);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"3.000");
    EXPECT_EQ(GridRow(grid, L"PenWeight")->modified, 0);
    const auto* ended = sink.Find(cetOnEndEditShape);
    ASSERT_NE(ended, nullptr);
    EXPECT_EQ(ended->ints.at(0), -1) << "more than one shape";

    // A property without a put: greyed, no edit box.
    const CPropertyRow* type = GridRow(grid, L"ShapeType");
    ASSERT_NE(type, nullptr);
    EXPECT_FALSE(type->IsEditable());
    ClickValue(grid, GridIndex(grid, L"ShapeType"));
    EXPECT_EQ(VisibleChild(grid, "EDIT"), nullptr);

    EXPECT_EQ(BoxesWhileTyping(grid, L"PenWeight", L"abc"), std::vector<std::string>{"Invalid property value!"});
    EXPECT_EQ(Shape(a)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 3.0f);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"3.000");
}

// A host that refuses OnEndEditShape gets every shape back as it was, and the row shows the old
// value again, not the refused one.
TEST_F(PropertiesWindow, RefusedEditRestoresShapesAndRow)
{
    LONG a = 0, b = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    ASSERT_EQ(Shape(a)->put_PenWeight(2.0f), S_OK);
    ASSERT_EQ(Shape(b)->put_PenWeight(2.0f), S_OK);
    HWND grid = Open({a, b});
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"2.000");
    sink.answer = VARIANT_FALSE;
    ASSERT_TRUE(TypeInto(grid, L"PenWeight", L"7"));
    ASSERT_NE(sink.Find(cetOnEndEditShape), nullptr);
    float weight = 0;
    EXPECT_EQ(Shape(a)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 2.0f);
    EXPECT_EQ(Shape(b)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 2.0f);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"2.000");
}

// The vertex cursor of a polyline: "<" and ">" move it and the coordinate rows follow; the
// vertices dialog ("...") leaves a cursor that is still a vertex of the polyline where it was.
TEST_F(PropertiesWindow, VertexButtonsMoveTheCursor)
{
    const LONG line = Polyline();   // (0,0) (10,0) (10,10) (0,10)
    HWND grid = Open({line});
    ASSERT_NE(grid, nullptr);
    const int index = GridIndex(grid, L"Vertex");
    ASSERT_GE(index, 0);
    EXPECT_EQ(GridRow(grid, L"Vertex")->kind, prkVertex);
    ClickValue(grid, index);
    HWND next = GetDlgItem(grid, CPropertyButtonStrip::kNext);
    HWND more = GetDlgItem(grid, CPropertyButtonStrip::kMore);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(IsWindowVisible(next));
    for (int i = 0; i < 2; ++i) {
        SendMessageA(grid, WM_COMMAND, MAKEWPARAM(CPropertyButtonStrip::kNext, BN_CLICKED), reinterpret_cast<LPARAM>(next));
        hosttest::PumpMessages();
    }
    EXPECT_EQ(Shown(grid, L"Vertex"), L"3");
    // The coordinates of vertex 3 as another object of the polyline reads them.
    ycom::ComPtr<IPolylineShape> own;
    ASSERT_EQ(Shape(line)->QueryInterface(IID_IPolylineShape, own.PutVoid()), S_OK);
    ASSERT_EQ(own->put_Vertex(3), S_OK);
    double x = 0, y = 0;
    ASSERT_EQ(own->get_VertexX(&x), S_OK);
    ASSERT_EQ(own->get_VertexY(&y), S_OK);
    // Shown with the control's 3 decimals, one fewer per factor 10 from 10 up.
    auto text = [](double v) {
        VARIANT number;
        V_VT(&number) = VT_R8;
        V_R8(&number) = v;
        wchar_t out[32];
        swprintf(out, 32, L"%.*f", GetDisplayDecimals(number, 3), v);
        return std::wstring(out);
    };
    EXPECT_EQ(Shown(grid, L"VertexX"), text(x));
    EXPECT_EQ(Shown(grid, L"VertexY"), text(y));

    {
        DialogCloser closer([&](HWND dialog, int) {
            if (dialog != m_window)
                DialogCloser::PostCommand(dialog, IDOK);   // the vertices dialog, confirmed as it is
        });
        SendMessageA(grid, WM_COMMAND, MAKEWPARAM(CPropertyButtonStrip::kMore, BN_CLICKED), reinterpret_cast<LPARAM>(more));
        hosttest::PumpMessages();
    }
    EXPECT_EQ(Shown(grid, L"Vertex"), L"3") << "vertex 3 of 4 stays";
}

// The colour row of a shape that takes its layer's colour: "ByLayer", with the swatch resolved
// through the layer; a plain colour comes back as it is.
TEST_F(PropertiesWindow, LayerColourResolvesForTheSwatch)
{
    LONG a = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(Shape(a)->put_PenColor(0x20000000), S_OK);
    LONG layerId = 0;
    ASSERT_EQ(Shape(a)->get_LayerShapeID(&layerId), S_OK);
    ASSERT_EQ(Shape(layerId)->put_PenColor(RGB(0, 128, 255)), S_OK);
    HWND grid = Open({a});
    ASSERT_NE(grid, nullptr);
    const CPropertyRow* colour = GridRow(grid, L"PenColor");
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->kind, prkColor) << "OLE_COLOR as containers know it";
    EXPECT_EQ(Shown(grid, L"PenColor"), L"ByLayer");
    EXPECT_EQ(SendMessageA(m_window, PGM_RESOLVECOLOR, 0x20000000, MAKELPARAM(4, 1)), RGB(0, 128, 255));
    EXPECT_EQ(SendMessageA(m_window, PGM_RESOLVECOLOR, RGB(1, 2, 3), MAKELPARAM(4, 1)), RGB(1, 2, 3));
}

// The font row of a text opens the font dialog; cancelled, it changes neither the row nor the
// text, and the host hears of no edit.
TEST_F(PropertiesWindow, CancelledFontDialogChangesNothing)
{
    LONG text = 0;
    ASSERT_EQ(shapes->AddPlainText(ycom::Bstr(L"abc").Get(), 0, 0, 20, 5, static_cast<Alignments>(0), 0, &text), S_OK);
    HWND grid = Open({text});
    ASSERT_NE(grid, nullptr);
    const CPropertyRow* font = GridRow(grid, L"Font");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->kind, prkFont);
    const std::wstring before = Shown(grid, L"Font");
    EXPECT_NE(before, L"(None)");
    EXPECT_EQ(AnswerDialogs(IDCANCEL, [&] { SendMessageA(grid, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(font), 0); }), 1);
    EXPECT_EQ(Shown(grid, L"Font"), before);
    EXPECT_EQ(font->modified, 0);
    EXPECT_EQ(sink.Find(cetOnEndEditShape), nullptr);
}

// The protection flags row opens the flags dialog; a box ticked there reaches the shape.
TEST_F(PropertiesWindow, FlagsRowTakesTheFlagsDialog)
{
    LONG a = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    HWND grid = Open({a});
    ASSERT_NE(grid, nullptr);
    const CPropertyRow* flags = GridRow(grid, L"ProtectionFlags");
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(flags->kind, prkFlags);
    EXPECT_EQ(AnswerDialogs(
                  IDOK, [&] { SendMessageA(grid, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(flags), 0); },
                  [](HWND dialog) { CheckDlgButton(dialog, IDC_PROTECT_WIDTH, BST_CHECKED); }),
              1);
    LONG word = 0;
    EXPECT_EQ(Shape(a)->get_ProtectionFlags(&word), S_OK);
    EXPECT_EQ(word & 0x20, 0x20);
    EXPECT_NE(sink.Find(cetOnEndEditShape), nullptr);
}

// The window's border stops at 220 x 100 and 880 x 800 pixels.
TEST_F(PropertiesWindow, SizingIsClamped)
{
    LONG a = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_NE(Open({a}), nullptr);
    const struct { RECT in; LONG width, height; } cases[] = {
        {{10, 10, 50, 40}, 220, 100},
        {{0, 0, 2000, 2000}, 880, 800},
        {{5, 5, 305, 405}, 300, 400},
    };
    for (const auto& c : cases) {
        RECT r = c.in;
        SendMessageA(m_window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r.left, c.in.left);
        EXPECT_EQ(r.top, c.in.top);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
    }
}

// A shape deleted while it is shown: the window lets it go at once, with events off too (nothing
// else tells it), and shows the placeholder row alone; a late apply of a row it no longer has
// touches nothing; shown again, the window edits what is selected then.
TEST_F(PropertiesWindow, DeletedShapeLeavesTheWindow)
{
    LONG a = 0, b = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    HWND grid = Open({a});
    ASSERT_NE(grid, nullptr);
    control->put_FireEvents(VARIANT_FALSE);
    ASSERT_EQ(shapes->DeleteByID(a), S_OK);
    hosttest::PumpMessages();
    EXPECT_EQ(SiteState(), 1) << "still shown";
    EXPECT_TRUE(IsPlaceholderOnly(grid));
    EXPECT_EQ(AnswerDialogs(IDOK, [&] { SendMessageA(m_window, PGM_APPLYPROPERTY, 22, 0); }), 0)   // PenWeight
        << "no message box";

    // Shown again, it takes what is selected now.
    control->put_FireEvents(VARIANT_TRUE);
    EXPECT_EQ(selected->AddShape(b), S_OK);
    EXPECT_EQ(control->ShapeProperties(VARIANT_TRUE), S_OK);
    hosttest::PumpMessages();
    EXPECT_EQ(SendMessageA(m_window, PGM_GETSINGLESHAPEID, 0, 0), b);
    EXPECT_TRUE(BoxesWhileTyping(grid, L"PenWeight", L"4").empty());
    float weight = 0;
    EXPECT_EQ(Shape(b)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 4.0f);
}

// An edit of the Selection that finds it empty empties the window too, which still showed the
// shape the host took out of the selection.
TEST_F(PropertiesWindow, EditOfAnEmptySelectionEmptiesTheWindow)
{
    LONG a = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    HWND grid = Open({a});
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(selected->DeleteByID(a), S_OK);   // out of the selection, not out of the drawing
    EXPECT_NE(GridRow(grid, L"PenWeight"), nullptr);
    EXPECT_EQ(control->EditShape(SELECTION_ID, EDSH_MOVE, 0), S_OK);
    hosttest::PumpMessages();
    EXPECT_TRUE(IsPlaceholderOnly(grid));
    EXPECT_EQ(SiteState(), 1);
}

// Grouping and exploding hide a shown window while shapes change groups and show it again on the
// selection afterwards: the new group, then the members the group leaves selected. Without
// events nothing else would tell it. A hidden window stays hidden.
TEST_F(PropertiesWindow, GroupingShowsTheWindowAgainOnTheNewSelection)
{
    LONG a = 0, b = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(shapes->AddLine(0, 5, 10, 5, &b), S_OK);
    HWND grid = Open({a, b});
    ASSERT_NE(grid, nullptr);
    LONG group = 0;
    ASSERT_EQ(control->GroupShapes(SELECTION_ID, VARIANT_FALSE, &group), S_OK);
    hosttest::PumpMessages();
    ASSERT_NE(group, 0);
    EXPECT_EQ(SiteState(), 1);
    EXPECT_EQ(SendMessageA(m_window, PGM_GETSINGLESHAPEID, 0, 0), group);

    ASSERT_EQ(control->UnGroupShapes(SELECTION_ID, VARIANT_FALSE), S_OK);
    hosttest::PumpMessages();
    EXPECT_EQ(SiteState(), 1);
    EXPECT_FALSE(IsPlaceholderOnly(grid)) << "the members, not the deleted group's emptiness";
    EXPECT_EQ(SendMessageA(m_window, PGM_GETSINGLESHAPEID, 0, 0), -100) << "two shapes";
    EXPECT_NE(GridRow(grid, L"PenWeight"), nullptr);

    // With events the host hears the edit as before; the window ends on the group.
    ASSERT_EQ(control->GroupShapes(SELECTION_ID, VARIANT_TRUE, &group), S_OK);
    hosttest::PumpMessages();
    EXPECT_EQ(SiteState(), 1);
    EXPECT_EQ(SendMessageA(m_window, PGM_GETSINGLESHAPEID, 0, 0), group);
    EXPECT_NE(sink.Find(cetOnEndDraw), nullptr);

    EXPECT_EQ(control->ShapeProperties(VARIANT_FALSE), S_OK);
    ASSERT_EQ(control->UnGroupShapes(group, VARIANT_FALSE), S_OK);
    hosttest::PumpMessages();
    EXPECT_EQ(SiteState(), 0) << "hidden by the host, not shown by the explode";
}

// A cancelled edit of an image shows the window again on the image as the cancel left it: a
// weight the host set during the move is taken back, and so is the row that showed it.
TEST_F(PropertiesWindow, CancelledImageEditShowsTheRestoredValues)
{
    const std::wstring path = picturefiles::TempPath(L"yvex_properties_image.bmp");
    ASSERT_TRUE(picturefiles::WriteWhiteBmp(path, 20, 10));
    LONG image = 0;
    ASSERT_EQ(shapes->AddImage(ycom::Bstr(path.c_str()).Get(), 0, 0, 20, 10, VARIANT_TRUE, &image), S_OK);
    DeleteFileW(path.c_str());
    ASSERT_EQ(Shape(image)->put_PenWeight(1.0f), S_OK);
    HWND grid = Open({image});
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(control->EditShape(image, EDSH_MOVE, 0), S_OK);
    ASSERT_EQ(Shape(image)->put_PenWeight(5.0f), S_OK);
    ASSERT_EQ(control->ShapeProperties(VARIANT_TRUE), S_OK);
    ASSERT_EQ(Shown(grid, L"PenWeight"), L"5.000");
    VARIANT_BOOL ended = VARIANT_FALSE;
    ASSERT_EQ(control->EndDraw(VARIANT_FALSE, &ended), S_OK);
    ASSERT_EQ(ended, VARIANT_TRUE);
    hosttest::PumpMessages();
    float weight = 0;
    EXPECT_EQ(Shape(image)->get_PenWeight(&weight), S_OK);
    EXPECT_FLOAT_EQ(weight, 1.0f);
    EXPECT_EQ(SiteState(), 1);
    EXPECT_EQ(Shown(grid, L"PenWeight"), L"1.000");
}

namespace {

// The keys that choose `command` in the popup menu (and its submenus) as the menu window shows
// it: VK_DOWN to each item (the first press lands on the first item of the menu, a submenu opened
// with VK_RIGHT starts on its first), separators skipped. False when the menu lacks the command.
bool KeysTo(HMENU menu, UINT command, bool topLevel, std::vector<UINT>* keys)
{
    int index = 0;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info) || (info.fType & MFT_SEPARATOR))
            continue;
        std::vector<UINT> inner;
        const bool found = info.hSubMenu ? KeysTo(info.hSubMenu, command, false, &inner) : info.wID == command;
        if (found) {
            keys->insert(keys->end(), static_cast<size_t>(index + (topLevel ? 1 : 0)), VK_DOWN);
            if (info.hSubMenu)
                keys->push_back(VK_RIGHT);
            keys->insert(keys->end(), inner.begin(), inner.end());
            return true;
        }
        ++index;
    }
    return false;
}

} // namespace

// A right click on the control with a shape selected shows the selection's menu; its "Properties"
// item, chosen with the keyboard in the real popup, shows the window on the selection.
TEST_F(PropertiesWindow, ContextMenuItemShowsTheWindow)
{
    LONG a = 0;
    ASSERT_EQ(shapes->AddLine(0, 0, 10, 0, &a), S_OK);
    ASSERT_EQ(selected->AddShape(a), S_OK);
    HWND controlWindow = GetWindow(m_ax, GW_CHILD);
    ASSERT_NE(controlWindow, nullptr);
    EXPECT_EQ(SiteState(), 0);
    DialogDriver driver;
    driver.Then([] { return DialogDriver::FindPopupMenu() != nullptr; });
    driver.Do([&driver] {
        HWND popup = DialogDriver::FindPopupMenu();
        auto* menu = reinterpret_cast<HMENU>(SendMessageA(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
        std::vector<UINT> keys;
        EXPECT_TRUE(menu && KeysTo(menu, MI_PROPERTIES, true, &keys)) << "the menu offers Properties";
        keys.push_back(VK_RETURN);
        for (UINT key : keys)
            driver.Do([key] {
                if (HWND shown = DialogDriver::FindPopupMenu())
                    DialogDriver::PostKey(shown, key);
            });
    });
    driver.Run([&] {
        SendMessageA(controlWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
        SendMessageA(controlWindow, WM_RBUTTONUP, 0, MAKELPARAM(60, 60));
    });
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    hosttest::PumpMessages();
    EXPECT_EQ(DialogDriver::FindPopupMenu(), nullptr);
    EXPECT_EQ(SiteState(), 1);
    m_window = FindPropertiesWindow();
    ASSERT_NE(m_window, nullptr);
    EXPECT_EQ(SendMessageA(m_window, PGM_GETSINGLESHAPEID, 0, 0), a);
    EXPECT_NE(GridRow(GetDlgItem(m_window, IDC_PROPERTY_GRID), L"PenWeight"), nullptr);
}

// The text of a rich text is a long text: with an outside editor named it goes out to that
// program and comes back as the program left it (the stand-in writes it in capitals); without one
// the multi-line text dialog edits it. Either way the shape takes the result.
TEST_F(PropertiesWindow, LongTextGoesToTheEditor)
{
    LONG text = 0;
    ASSERT_EQ(shapes->AddRTFText(ycom::Bstr(L"{\\rtf1\\ansi abc}").Get(), 0, 0, 40, 10, static_cast<Alignments>(0), 0, &text),
              S_OK);
    ycom::ComPtr<ITextShape> shape;
    ASSERT_EQ(Shape(text)->QueryInterface(IID_ITextShape, shape.PutVoid()), S_OK);
    auto textNow = [&] {
        ycom::Bstr value;
        EXPECT_EQ(shape->get_Text(value.Put()), S_OK);
        return std::wstring(value.Get() ? value.Get() : L"");
    };
    const std::string program = WinPath("YVEX_BINARY_DIR", "tests/control/fake_editor.exe");
    const std::wstring quoted = L"\"" + std::wstring(program.begin(), program.end()) + L"\"";
    ASSERT_EQ(control->put_TextEditorName(ycom::Bstr(quoted.c_str()).Get()), S_OK);
    HWND grid = Open({text});
    ASSERT_NE(grid, nullptr);
    const CPropertyRow* row = GridRow(grid, L"Text");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->kind, prkLongText);
    auto edit = [&](const wchar_t* typed) {
        return AnswerDialogs(
            IDOK, [&] { SendMessageA(grid, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(GridRow(grid, L"Text")), 0); },
            [typed](HWND dialog) { SetDlgItemTextW(dialog, IDC_TEXT_EDIT, typed); });
    };
    EXPECT_EQ(edit(L"unused"), 0) << "the outside program, not the dialog";
    EXPECT_NE(textNow().find(L"ABC"), std::wstring::npos) << "as the program left it";
    EXPECT_NE(sink.Find(cetOnEndEditShape), nullptr);

    ASSERT_EQ(control->put_TextEditorName(nullptr), S_OK);
    EXPECT_EQ(edit(L"typed in the dialog"), 1);
    EXPECT_NE(textNow().find(L"typed in the dialog"), std::wstring::npos);
    EXPECT_NE(Shown(grid, L"Text").find(L"typed in the dialog"), std::wstring::npos);
}

// ---- the rows' rules, on rows of this program ----

TEST(PropertyRowText, ValueToTextByKind)
{
    struct Case {
        int kind;
        VARTYPE vt;
        double number;
        const wchar_t* text;
    };
    const Case cases[] = {
        {prkColor, VT_UI4, 0x20000000, L"ByLayer"},   {prkColor, VT_UI4, 0x40000000, L"ByBlock"},
        {prkColor, VT_UI4, 0x10000000, L"ByBrush"},   {prkColor, VT_UI4, 0x00FF00, L"H0000FF00"},
        {prkColor, VT_EMPTY, 0, L"(none)"},           {prkText, VT_R8, 12.345, L"12.3"},
        {prkText, VT_R8, 0.5, L"0.500"},              {prkText, VT_R8, 0, L"0"},
        {prkText, VT_I4, 42, L"42"},                  {prkBool, VT_EMPTY, 0, L"(none)"},
        {prkFont, VT_EMPTY, 0, L"(None)"},            {prkPicture, VT_EMPTY, 0, L"(None)"},
        {prkEnum, VT_EMPTY, 0, L"(none)"},
    };
    for (const Case& c : cases) {
        CPropertyRow row;
        row.kind = c.kind;
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = c.vt;
        if (c.vt == VT_UI4)
            V_UI4(&v) = static_cast<ULONG>(c.number);
        else if (c.vt == VT_R8)
            V_R8(&v) = c.number;
        else if (c.vt == VT_I4)
            V_I4(&v) = static_cast<LONG>(c.number);
        SetRowValue(&row, v);
        EXPECT_STREQ(row.displayText, c.text) << "kind " << c.kind << " value " << c.number;
    }
}

// Typed text: converted to the row's type, refused when it does not convert (row unchanged),
// accepted without change when it is what is shown.
TEST(PropertyRowText, TextToValue)
{
    CPropertyRow row;
    row.kind = prkText;
    VARIANT v;
    V_VT(&v) = VT_R4;
    V_R4(&v) = 2.0f;
    SetRowValue(&row, v);
    EXPECT_TRUE(SetRowText(&row, row.displayText));
    EXPECT_EQ(row.modified, 0);
    EXPECT_FALSE(SetRowText(&row, L"abc"));
    EXPECT_EQ(row.modified, 0);
    EXPECT_FLOAT_EQ(V_R4(&row.value), 2.0f);
    EXPECT_TRUE(SetRowText(&row, L"7.5"));
    EXPECT_EQ(V_VT(&row.value), VT_R4);
    EXPECT_FLOAT_EQ(V_R4(&row.value), 7.5f);
    EXPECT_STREQ(row.displayText, L"7.5");
    EXPECT_EQ(row.modified, 1);
}

// Flags: predefined values whose bits are all set are joined; names cycle with wrapping.
TEST(PropertyRowText, FlagsAndCycling)
{
    CPropertyRow row;
    row.kind = prkEnum;
    row.predefinedCount = 3;
    row.predefinedNames = static_cast<LPOLESTR*>(CoTaskMemAlloc(3 * sizeof(LPOLESTR)));
    row.predefinedValues = static_cast<VARIANT*>(CoTaskMemAlloc(3 * sizeof(VARIANT)));
    const wchar_t* names[3] = {L"None", L"Width", L"Height"};
    const LONG values[3] = {0, 0x20, 0x40};
    for (int i = 0; i < 3; ++i) {
        row.predefinedNames[i] = static_cast<LPOLESTR>(CoTaskMemAlloc((wcslen(names[i]) + 1) * sizeof(wchar_t)));
        wcscpy(row.predefinedNames[i], names[i]);
        V_VT(&row.predefinedValues[i]) = VT_I4;
        V_I4(&row.predefinedValues[i]) = values[i];
    }
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = 0x40;
    SetRowValue(&row, v);
    EXPECT_STREQ(row.displayText, L"Height");
    EXPECT_EQ(row.kind, prkEnum);
    V_I4(&v) = 0x60;
    SetRowValue(&row, v);
    EXPECT_STREQ(row.displayText, L"Width,Height");
    EXPECT_EQ(row.kind, prkFlags);
    EXPECT_STREQ(CyclePredefinedName(row, L"Height", true), L"None") << "wraps from the last";
    EXPECT_STREQ(CyclePredefinedName(row, L"None", false), L"Height") << "wraps from the first";
    EXPECT_STREQ(CyclePredefinedName(row, L"other", true), L"None");
    EXPECT_STREQ(CyclePredefinedName(row, L"other", false), L"Height");
}

// Picture files by extension: a bitmap, an icon and an enhanced metafile become picture objects
// that the row names by type; another extension changes nothing; a damaged bitmap is refused
// with its message.
TEST(PropertyRowText, PictureFiles)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    const std::string base = std::string(folder) + "yvex_grid_picture";
    // A 2 x 2 bitmap of 8 bits with a two-entry colour table.
    {
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof info;
        info.biWidth = 2;
        info.biHeight = 2;
        info.biPlanes = 1;
        info.biBitCount = 8;
        info.biClrUsed = 2;
        const RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        const BYTE bits[8] = {0, 1, 0, 0, 1, 0, 0, 0};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info + sizeof table;
        file.bfSize = file.bfOffBits + sizeof bits;
        FILE* f = fopen((base + ".bmp").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(&file, sizeof file, 1, f);
        fwrite(&info, sizeof info, 1, f);
        fwrite(table, sizeof table, 1, f);
        fwrite(bits, sizeof bits, 1, f);
        fclose(f);
        f = fopen((base + "_cut.bmp").c_str(), "wb");
        fwrite("BM", 2, 1, f);
        fclose(f);
    }
    {
        HDC emf = CreateEnhMetaFileA(nullptr, (base + ".emf").c_str(), nullptr, nullptr);
        ASSERT_NE(emf, nullptr);
        Rectangle(emf, 0, 0, 10, 10);
        DeleteEnhMetaFile(CloseEnhMetaFile(emf));
    }
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string exe = module;   // the icon of a program: its first icon, or the default one
    const struct {
        std::string path;
        HRESULT hr;
        const wchar_t* text;
    } cases[] = {
        {base + ".bmp", S_OK, L"(Bitmap)"},
        {base + ".emf", S_OK, L"(Metafile)"},
        {base + ".txt", S_FALSE, nullptr},
        {base + "_cut.bmp", E_FAIL, nullptr},
    };
    for (const auto& c : cases) {
        VARIANT picture;
        const char* error = nullptr;
        EXPECT_EQ(CPropertyGrid::LoadPictureFile(c.path.c_str(), &picture, &error), c.hr) << c.path;
        if (c.hr == S_OK) {
            CPropertyRow row;
            row.kind = prkPicture;
            SetRowValue(&row, picture);
            EXPECT_STREQ(row.displayText, c.text) << c.path;
        } else if (c.hr == E_FAIL) {
            EXPECT_STREQ(error, "Error reading picture file!");
        }
        VariantClear(&picture);
    }
    // An icon made here and saved as a file.
    {
        HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        ASSERT_NE(icon, nullptr);
        PICTDESC desc = {};
        desc.cbSizeofstruct = sizeof desc;
        desc.picType = PICTYPE_ICON;
        desc.icon.hicon = icon;
        ycom::ComPtr<IPicture> made;
        ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IPicture, FALSE, made.PutVoid()), S_OK);
        IStream* stream = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        LONG size = 0;
        if (SUCCEEDED(made->SaveAsFile(stream, TRUE, &size)) && size > 0) {
            HGLOBAL memory = nullptr;
            GetHGlobalFromStream(stream, &memory);
            FILE* f = fopen((base + ".ico").c_str(), "wb");
            fwrite(GlobalLock(memory), 1, static_cast<size_t>(size), f);
            GlobalUnlock(memory);
            fclose(f);
            VARIANT picture;
            const char* error = nullptr;
            EXPECT_EQ(CPropertyGrid::LoadPictureFile((base + ".ico").c_str(), &picture, &error), S_OK);
            CPropertyRow row;
            row.kind = prkPicture;
            SetRowValue(&row, picture);
            EXPECT_STREQ(row.displayText, L"(Icon)");
            VariantClear(&picture);
        }
        stream->Release();
    }
}

// ---- the grid window in this program, over a parent that records what the grid tells it ----

namespace {

std::vector<std::pair<UINT, WPARAM>>& ParentMessages()
{
    static std::vector<std::pair<UINT, WPARAM>> messages;
    return messages;
}
CPropertyGrid* g_drawnGrid = nullptr;
LRESULT CALLBACK RecordingParent(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= PGM_APPLYPROPERTY && msg <= PGM_SETPENCOLOR) {
        ParentMessages().emplace_back(msg, wParam);
        return msg == PGM_RESOLVECOLOR ? RGB(1, 2, 3) : msg == PGM_GETTEXTCOLOR ? -1 : 0;
    }
    if (msg == WM_DRAWITEM && g_drawnGrid) {
        g_drawnGrid->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

void FillPredefined(CPropertyRow& row, const std::vector<const wchar_t*>& names, const std::vector<VARIANT>& values)
{
    row.FreePredefined();
    const int count = static_cast<int>(names.size());
    row.predefinedNames = static_cast<LPOLESTR*>(CoTaskMemAlloc(count * sizeof(LPOLESTR)));
    row.predefinedValues = static_cast<VARIANT*>(CoTaskMemAlloc(count * sizeof(VARIANT)));
    for (int i = 0; i < count; ++i) {
        row.predefinedNames[i] = static_cast<LPOLESTR>(CoTaskMemAlloc((wcslen(names[i]) + 1) * sizeof(wchar_t)));
        wcscpy(row.predefinedNames[i], names[i]);
        VariantInit(&row.predefinedValues[i]);
        VariantCopy(&row.predefinedValues[i], const_cast<VARIANT*>(&values[i]));
    }
    row.predefinedCount = count;
}

VARIANT I4(LONG v)
{
    VARIANT out;
    V_VT(&out) = VT_I4;
    V_I4(&out) = v;
    return out;
}

void Name(CPropertyRow& row, const wchar_t* name, int kind, DISPID dispid, int invokeKind)
{
    row.name = SysAllocString(name);
    row.kind = kind;
    row.dispid = dispid;
    row.invokeKind = invokeKind;
}

UINT ChooseThirdSwatch(HMENU, UINT, int, int, HWND) { return 3; }

} // namespace

// The editors and keys of the grid: the colour popup's choice, a yes/no row cycled by a double
// click, the drop-down list wrapping from the last name to the first, a get-only row that opens
// nothing, and the placeholder row. Each change is posted to the parent as PGM_APPLYPROPERTY.
TEST(PropertyGridWindow, EditorsPostTheirChanges)
{
    WNDCLASSA info = {};
    info.lpfnWndProc = RecordingParent;
    info.hInstance = GetModuleHandleA(nullptr);
    info.lpszClassName = "PropertyGridTestParent";
    RegisterClassA(&info);
    HWND parent = CreateWindowExA(0, "PropertyGridTestParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ParentMessages().clear();

    CPropertyRow colour, flag, choice, fixed;
    Name(colour, L"PenColor", prkColor, 4, INVOKE_PROPERTYPUT);
    VARIANT byLayer;
    V_VT(&byLayer) = VT_UI4;
    V_UI4(&byLayer) = 0x20000000;
    SetRowValue(&colour, byLayer);
    Name(flag, L"Enabled", prkBool, 9, INVOKE_PROPERTYPUT);
    VARIANT no, yes;
    V_VT(&no) = VT_BOOL;
    V_BOOL(&no) = VARIANT_FALSE;
    V_VT(&yes) = VT_BOOL;
    V_BOOL(&yes) = VARIANT_TRUE;
    FillPredefined(flag, {L"False", L"True"}, {no, yes});
    SetRowValue(&flag, no);
    Name(choice, L"Style", prkEnum, 20, INVOKE_PROPERTYPUT);
    FillPredefined(choice, {L"One", L"Two", L"Three"}, {I4(1), I4(2), I4(3)});
    SetRowValue(&choice, I4(3));
    Name(fixed, L"Type", prkText, 2, INVOKE_PROPERTYGET);
    SetRowValue(&fixed, I4(6));
    {
        CPropertyGrid grid;
        g_drawnGrid = &grid;
        RECT area = {0, 0, 380, 200};
        HWND window = grid.Create(parent, area, 110);
        ASSERT_NE(window, nullptr);
        for (CPropertyRow* row : {&colour, &flag, &choice, &fixed})
            grid.AddRow(row);
        UpdateWindow(window);
        EXPECT_EQ(colour.displayText, std::wstring(L"ByLayer"));

        const PopupMenuHandler previous = SetPopupMenuHandler(&ChooseThirdSwatch);
        SendMessageA(window, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(&colour), 0);
        SetPopupMenuHandler(previous);
        hosttest::PumpMessages();
        EXPECT_EQ(V_VT(&colour.value), VT_UI4);
        EXPECT_EQ(V_UI4(&colour.value), CColorPopupMenu::SwatchColours()[2]);
        EXPECT_EQ(colour.modified, 1);

        const int flagIndex = grid.IndexOf(&flag);
        RECT item = {};
        SendMessageA(window, LB_GETITEMRECT, flagIndex, reinterpret_cast<LPARAM>(&item));
        SendMessageA(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(item.right - 40, (item.top + item.bottom) / 2));
        hosttest::PumpMessages();
        EXPECT_EQ(V_BOOL(&flag.value), VARIANT_TRUE);
        EXPECT_STREQ(flag.displayText, L"True");

        SendMessageA(window, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(&choice), 0);
        hosttest::PumpMessages();
        HWND box = grid.GetEditBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(grid.IsDropDownOpen());
        EXPECT_EQ(SendMessageA(grid.GetDropDownList(), LB_GETCURSEL, 0, 0), 2);
        SendMessageA(box, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(SendMessageA(grid.GetDropDownList(), LB_GETCURSEL, 0, 0), 0) << "Down on the last name wraps";
        char text[16] = "";
        GetWindowTextA(box, text, sizeof text);
        EXPECT_STREQ(text, "One");
        SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
        hosttest::PumpMessages();
        EXPECT_EQ(V_I4(&choice.value), 1);
        EXPECT_FALSE(grid.IsDropDownOpen());

        SendMessageA(window, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(&fixed), 0);
        hosttest::PumpMessages();
        EXPECT_EQ(grid.GetEditBox(), nullptr) << "a get-only row opens nothing";

        std::vector<std::pair<UINT, WPARAM>> applied;
        for (const auto& m : ParentMessages())
            if (m.first == PGM_APPLYPROPERTY)
                applied.push_back(m);
        EXPECT_EQ(applied, (std::vector<std::pair<UINT, WPARAM>>{
                               {PGM_APPLYPROPERTY, 4}, {PGM_APPLYPROPERTY, 9}, {PGM_APPLYPROPERTY, 20}}));
        bool resolved = false;
        for (const auto& m : ParentMessages())
            resolved = resolved || (m.first == PGM_RESOLVECOLOR && m.second == 0x20000000);
        EXPECT_TRUE(resolved) << "the by-layer swatch asks the parent";

        SendMessageA(window, PGM_CLEAR, 0, 0);
        ASSERT_EQ(SendMessageA(window, LB_GETCOUNT, 0, 0), 1);
        SendMessageA(window, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, "Nothing Selected");
        grid.Destroy();
        g_drawnGrid = nullptr;
    }
    DestroyWindow(parent);
}
