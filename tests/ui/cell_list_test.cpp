// The owner-drawn cell list in a dialog of its own, driven by the messages a user's clicks and keys
// send: which cells ask the parent to edit, toggle or pop up, which rows refuse, and what the
// cells paint (read back from the window).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <string>
#include <vector>
#include "com/MessageMap.h"
#include "com/Module.h"
#include "com/Window.h"
#include "tests/support/ControlTestSupport.h"
#include "tests/support/WindowCapture.h"
#include "tests/ui/ui_test_resource.h"
#include "ui/CellListView.h"
#include "ui/resource.h"

namespace {

testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new controltest::ModuleEnvironment);

enum Column { kName = 0, kOn = 1, kColour = 2, kType = 3, kNote = 4 };

// The parent of the list: records what the list asks of it, toggles check cells as asked, and
// resolves flagged colours to `resolveTo`.
class CellDialog : public ycom::DialogWindow
{
public:
    struct Edit {
        int row, column;
        UINT mask;
        std::string text;
    };

    BEGIN_MSG_MAP(CellDialog)
        NOTIFY_ID_CODE_HANDLER(IDC_PAGE_LIST, LVN_BEGINLABELEDITA, OnBeginEdit)
        MESSAGE_HANDLER(CCellListView::kPopupRequest, OnPopup)
        MESSAGE_HANDLER(CCellListView::kResolveColour, OnResolve)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

    LRESULT OnBeginEdit(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
        edits.push_back({info->item.iItem, info->item.iSubItem, info->item.mask,
                         (info->item.mask & LVIF_TEXT) && info->item.pszText ? info->item.pszText : ""});
        if (info->item.mask & LVIF_PARAM)
            list.ToggleCheck(info->item.iItem, info->item.iSubItem);
        return FALSE;
    }
    LRESULT OnPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        popups.push_back({static_cast<int>(wParam), static_cast<int>(lParam)});
        return 0;
    }
    LRESULT OnResolve(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        resolves.push_back(static_cast<LONG>(lParam));
        return resolveTo;
    }

    CCellListView list;
    std::vector<Edit> edits;
    std::vector<std::pair<int, int>> popups;
    std::vector<LONG> resolves;
    COLORREF resolveTo = 0x0000FF;
};

class CellList : public testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        ASSERT_NE(dialog.Create(GetModuleHandleW(nullptr), IDD_TEST_CELLS, nullptr), nullptr);
        list = dialog.GetItem(IDC_PAGE_LIST);
        ASSERT_TRUE(dialog.list.Attach(list));
        dialog.list.SetReportStyle();
        const char* names[] = {"Name", "On", "Colour", "Type", "Note"};
        for (int c = 0; c < 5; ++c) {
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<char*>(names[c]);
            column.cx = c == kColour ? 110 : 80;
            SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        }
        dialog.list.SetColumnKind(kOn, CCellListView::kCheckColumn);
        dialog.list.SetColumnKind(kColour, CCellListView::kColourColumn);
        dialog.list.SetColumnKind(kType, CCellListView::kDropDownColumn);
        // Row 0 plain, row 1 neither on nor off, row 2 locked, row 3 by layer.
        for (int r = 0; r < 4; ++r) {
            auto data = std::make_unique<CListRowData>();
            data->SetColour(kColour, 0x00FF00);
            data->SetText(kColour, "Green");
            data->SetText(kType, "Solid");
            AddRow(r, std::move(data));
        }
        rows[1]->indeterminateBits = 1u << kOn;
        rows[2]->flags = CListRowData::kLockedRow;
        rows[3]->SetColour(kColour, 0x20000000);
        rows[3]->SetText(kColour, "By Layer");
        hosttest::PumpMessages();
    }
    void TearDown() override
    {
        if (dialog.GetHandle())
            DestroyWindow(dialog.GetHandle());
        hosttest::PumpMessages();
    }

    void AddRow(int r, std::unique_ptr<CListRowData> data)
    {
        const std::string name = "row " + std::to_string(r);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = r;
        item.pszText = const_cast<char*>(name.c_str());
        item.lParam = reinterpret_cast<LPARAM>(data.get());
        // The first row carries the current row's mark, the others no picture.
        item.iImage = r == 0 ? CCellListView::kImageCurrent : I_IMAGENONE;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const std::string note = "note " + std::to_string(r);
        LVITEMA sub = {};
        sub.iSubItem = kNote;
        sub.pszText = const_cast<char*>(note.c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&sub));
        rows.push_back(std::move(data));
    }

    RECT Cell(int row, int column)
    {
        RECT r = {};
        r.top = column;
        r.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
        SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // A press and release of the left button at the cell's middle (or near its right end).
    void Click(int row, int column, bool atRightEnd = false)
    {
        const RECT r = Cell(row, column);
        const int x = atRightEnd ? r.right - 3 : (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        hosttest::PumpMessages();
    }
    void Key(UINT key) { SendMessageA(list, WM_KEYDOWN, key, 0); }
    int Selected() { return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }
    void Paint() { RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN); }
    // The pixels of a cell's inner part that have the colour.
    int CountInCell(int row, int column, COLORREF colour)
    {
        const RECT r = Cell(row, column);
        HDC dc = GetDC(list);
        int n = 0;
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x)
                n += GetPixel(dc, x, y) == colour;
        ReleaseDC(list, dc);
        return n;
    }

    CellDialog dialog;
    HWND list = nullptr;
    std::vector<std::unique_ptr<CListRowData>> rows;
};

} // namespace

// A check cell shows picture (state + 1): an indeterminate one the grey box of picture 0, and
// neither Space nor a click asks the parent to toggle it.
TEST_F(CellList, IndeterminateCellDrawsPictureZeroAndIgnoresSpaceAndClicks)
{
    EXPECT_EQ(dialog.list.GetCheck(1, kOn), -1);
    EXPECT_EQ(dialog.list.GetCheck(0, kOn), 0);
    EXPECT_EQ(dialog.list.GetCheck(0, kNote), -2) << "not a check column";
    EXPECT_EQ(dialog.list.GetCheck(9, kOn), -2) << "no such row";
    EXPECT_EQ(dialog.list.ToggleCheck(1, kOn), -1);
    Paint();
    const COLORREF grey = RGB(128, 128, 128);
    EXPECT_GE(CountInCell(1, kOn, grey), 30) << "picture 0's grey middle";
    EXPECT_EQ(CountInCell(0, kOn, grey), 0);

    Click(1, kOn);
    EXPECT_TRUE(dialog.edits.empty());
    Key(VK_SPACE);
    EXPECT_TRUE(dialog.edits.empty());
    EXPECT_EQ(dialog.list.GetCheck(1, kOn), -1);
}

// A click in a check cell, and Space on the focused one, ask the parent to toggle it (the
// label-edit notification with LVIF_PARAM); checked and unchecked cells paint differently.
TEST_F(CellList, ClickAndSpaceToggleThroughTheParent)
{
    Paint();
    const int blackUnchecked = CountInCell(0, kOn, RGB(0, 0, 0));
    Click(0, kOn);
    ASSERT_EQ(dialog.edits.size(), 1u);
    EXPECT_EQ(dialog.edits[0].row, 0);
    EXPECT_EQ(dialog.edits[0].column, kOn);
    EXPECT_EQ(dialog.edits[0].mask, static_cast<UINT>(LVIF_PARAM));
    EXPECT_EQ(dialog.list.GetCheck(0, kOn), 1);
    Paint();
    EXPECT_GT(CountInCell(0, kOn, RGB(0, 0, 0)), blackUnchecked + 10) << "the check mark";
    EXPECT_EQ(dialog.list.GetFocusedColumn(), kOn);
    Key(VK_SPACE);
    ASSERT_EQ(dialog.edits.size(), 2u);
    EXPECT_EQ(dialog.list.GetCheck(0, kOn), 0);
    dialog.list.SetCheck(0, kOn, -1);
    EXPECT_EQ(dialog.list.GetCheck(0, kOn), 0) << "-1 leaves the state";
}

// The first click on a text cell only focuses it; the second asks the parent to edit it with the
// cell's text. F2 does the same; a check column is never edited as text.
TEST_F(CellList, SecondClickEditsATextCell)
{
    Click(0, kNote);
    EXPECT_TRUE(dialog.edits.empty());
    EXPECT_EQ(dialog.list.GetFocusedColumn(), kNote);
    EXPECT_EQ(dialog.list.GetCurrentRow(), 0);
    Click(0, kNote);
    ASSERT_EQ(dialog.edits.size(), 1u);
    EXPECT_EQ(dialog.edits[0].mask, static_cast<UINT>(LVIF_TEXT));
    EXPECT_EQ(dialog.edits[0].row, 0);
    EXPECT_EQ(dialog.edits[0].column, kNote);
    EXPECT_EQ(dialog.edits[0].text, "note 0");
    Key(VK_F2);
    ASSERT_EQ(dialog.edits.size(), 2u);
    EXPECT_EQ(dialog.edits[1].text, "note 0");
    // Left and Right move the focused cell in display order, not below -1 nor past the end.
    Key(VK_RIGHT);
    EXPECT_EQ(dialog.list.GetFocusedColumn(), kNote);
    Key(VK_LEFT);
    EXPECT_EQ(dialog.list.GetFocusedColumn(), kType);
    for (int i = 0; i < 6; ++i)
        Key(VK_LEFT);
    EXPECT_EQ(dialog.list.GetFocusedColumn(), -1);
}

// With the edit row at -2 nothing moves the focused cell and nothing asks for an edit; a row
// number limits editing to that row.
TEST_F(CellList, EditRowLimitsWhatMoves)
{
    dialog.list.SetEditRow(CCellListView::kNoRow);
    Click(0, kNote);
    Click(0, kNote);
    Click(0, kOn);
    Key(VK_RIGHT);
    Key(VK_SPACE);
    Key(VK_F2);
    EXPECT_EQ(dialog.list.GetFocusedColumn(), -1);
    EXPECT_EQ(dialog.list.GetCurrentRow(), -1);
    EXPECT_TRUE(dialog.edits.empty());

    dialog.list.SetEditRow(3);
    Click(0, kOn);
    EXPECT_TRUE(dialog.edits.empty());
    Click(3, kOn);
    EXPECT_EQ(dialog.edits.size(), 1u);
}

// Colour and drop-down cells ask for their popup: Alt+Down on the focused cell, or a second click
// on the arrow at the cell's right end (a click elsewhere in the cell does not).
TEST_F(CellList, ColourAndDropDownCellsAskForTheirPopup)
{
    Click(0, kColour);
    SendMessageA(list, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    hosttest::PumpMessages();
    ASSERT_EQ(dialog.popups.size(), 1u);
    EXPECT_EQ(dialog.popups[0], std::make_pair(0, static_cast<int>(kColour)));
    Click(0, kType);
    Click(0, kType);
    EXPECT_EQ(dialog.popups.size(), 1u) << "not on the arrow";
    Click(0, kType, true);
    ASSERT_EQ(dialog.popups.size(), 2u);
    EXPECT_EQ(dialog.popups[1], std::make_pair(0, static_cast<int>(kType)));
    // A text column has no popup.
    Click(0, kNote);
    SendMessageA(list, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    hosttest::PumpMessages();
    EXPECT_EQ(dialog.popups.size(), 2u);
}

// A by-layer colour is resolved by the parent on every paint (the row plus one in the high word),
// and the swatch shows the colour the parent gave; plain colours are drawn as they are.
TEST_F(CellList, ByLayerCellsAskTheParentOnEveryPaint)
{
    dialog.resolves.clear();
    Paint();
    const size_t once = dialog.resolves.size();
    ASSERT_GE(once, 1u);
    for (LONG asked : dialog.resolves)
        EXPECT_EQ(asked, (4 << 16) | kColour);
    Paint();
    EXPECT_EQ(dialog.resolves.size(), 2 * once);
    EXPECT_GT(CountInCell(3, kColour, RGB(255, 0, 0)), 20) << "the parent's red";
    EXPECT_GT(CountInCell(0, kColour, RGB(0, 255, 0)), 20) << "the row's own green";
    EXPECT_TRUE(CaptureWindowToPng(dialog.GetHandle(), ArtefactPath("cell_list")));
}

// A row with flag 0x8 is never selected: not by the list's own selection message, not by a click,
// and Up and Down step over it.
TEST_F(CellList, LockedRowsStayUnselected)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 2, LVIS_SELECTED), 0);
    Click(2, kNote);
    EXPECT_NE(Selected(), 2);
    Click(1, kNote);
    EXPECT_EQ(Selected(), 1);
    Key(VK_DOWN);
    EXPECT_EQ(Selected(), 3);
    Key(VK_UP);
    EXPECT_EQ(Selected(), 1);
    EXPECT_TRUE(dialog.edits.empty());
}

// Sorting by a column shows the direction in the header and hands the comparison the column and
// the direction; the same column again flips it.
TEST_F(CellList, SortFlipsTheDirectionOfTheSameColumn)
{
    static std::vector<LPARAM> seen;
    seen.clear();
    auto compare = [](LPARAM a, LPARAM b, LPARAM sort) -> int {
        seen.push_back(sort);
        const auto* ra = reinterpret_cast<const CListRowData*>(a);
        const auto* rb = reinterpret_cast<const CListRowData*>(b);
        const int order = ra->GetText(kColour).compare(rb->GetText(kColour));
        return HIWORD(sort) ? -order : order;
    };
    dialog.list.Sort(kColour, compare);
    EXPECT_TRUE(dialog.list.IsSortAscending());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), MAKELPARAM(kColour, 0));
    auto image = [&](int column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_IMAGE;
        SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
        return (info.fmt & LVCFMT_IMAGE) ? info.iImage : -1;
    };
    EXPECT_EQ(image(kColour), CCellListView::kImageSortUp);
    EXPECT_EQ(dialog.list.GetRowData(0)->GetText(kColour), "By Layer");
    dialog.list.Sort(kColour, compare);
    EXPECT_FALSE(dialog.list.IsSortAscending());
    EXPECT_EQ(seen.back(), MAKELPARAM(kColour, 1));
    EXPECT_EQ(image(kColour), CCellListView::kImageSortDown);
    EXPECT_EQ(dialog.list.GetRowData(3)->GetText(kColour), "By Layer");
    dialog.list.Sort(kType, compare);
    EXPECT_TRUE(dialog.list.IsSortAscending());
    EXPECT_EQ(image(kColour), -1);
    EXPECT_EQ(image(kType), CCellListView::kImageSortUp);
}
