// The list page base in a property sheet of its own, over a control object: its buttons follow
// whether editing is allowed and which row has the focus, and a text cell is edited in place by
// an editor laid over the cell, torn down once the edit ends.
#include <memory>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DialogDriver.h"
#include "tests/ui/ui_test_resource.h"
#include "ui/ListPageBase.h"
#include "ui/resource.h"

using namespace controltest;

namespace {

class TestListPage : public CListPageBase
{
public:
    TestListPage() : CListPageBase(IDD_TEST_LIST_PAGE) {}

    struct End {
        int row, column;
        std::string text;
    };
    std::vector<End> ends;
    int fills = 0;

protected:
    void FillList() override
    {
        ++fills;
        HWND list = m_list.GetHandle();
        m_list.SetReportStyle();
        for (int c = 0; c < 2; ++c) {
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = const_cast<char*>(c == 0 ? "Name" : "Left");
            column.cx = 120;
            SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        }
        for (int r = 0; r < 3; ++r) {
            m_rows.push_back(std::make_unique<CListRowData>());
            const std::string name = r == 0 ? "CURRENT" : "view " + std::to_string(r);
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = r;
            item.pszText = const_cast<char*>(name.c_str());
            item.lParam = reinterpret_cast<LPARAM>(m_rows.back().get());
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            LVITEMA sub = {};
            sub.iSubItem = 1;
            sub.pszText = const_cast<char*>("0.00");
            SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&sub));
        }
    }
    void OnEndCellEdit(int row, int column, const char* text) override
    {
        ends.push_back({row, column, text ? text : "<cancelled>"});
    }

private:
    std::vector<std::unique_ptr<CListRowData>> m_rows;
};

class ListPage : public testing::Test
{
protected:
    // Shows the page in a sheet of its own while the driver's steps run.
    void Show(DialogDriver& driver)
    {
        PROPSHEETPAGEA page = {};
        page.dwSize = sizeof page;
        page.hInstance = GetModuleHandleA(nullptr);
        page.pszTemplate = MAKEINTRESOURCEA(IDD_TEST_LIST_PAGE);
        page.pfnDlgProc = ycom::DialogStartProc;
        page.lParam = reinterpret_cast<LPARAM>(control.Get());
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
        header.pszCaption = "List page";
        header.nPages = 1;
        header.ppsp = &page;
        ycom::RegisterCreatingWindow(&object);
        driver.Then([this] { return object.GetHandle() != nullptr; });
        steps(driver);
        driver.Do([this] { PostMessageA(GetParent(object.GetHandle()), PSM_PRESSBUTTON, PSBTN_OK, 0); });
        driver.Run([&] { PropertySheetA(&header); });
        EXPECT_TRUE(driver.Finished());
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(object.GetHandle(), id)) != FALSE; }
    HWND List() const { return GetDlgItem(object.GetHandle(), IDC_PAGE_LIST); }
    void Focus(int row) const
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    RECT Cell(int row, int column) const
    {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageA(List(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void Click(int row, int column) const
    {
        const RECT r = Cell(row, column);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(List(), WM_LBUTTONUP, 0, at);
    }

    ControlRef control;
    TestListPage object;
    std::function<void(DialogDriver&)> steps = [](DialogDriver&) {};
};

struct ButtonState {
    bool copy, del, current;
    bool operator==(const ButtonState& o) const { return copy == o.copy && del == o.del && current == o.current; }
};
void PrintTo(const ButtonState& s, std::ostream* os) { *os << "copy " << s.copy << " delete " << s.del << " current " << s.current; }

} // namespace

// With editing allowed the copy and delete buttons are on; the focused row decides the row
// buttons (the first row, the current one, neither becomes current nor goes). A second click on a
// text cell lays an editor (control 103) over the cell; Enter hands the text to the page and the
// editor goes.
TEST_F(ListPage, ButtonsFollowTheRowAndCellsEditInPlace)
{
    ButtonState atStart{}, onFirst{}, onSecond{};
    HWND editor = nullptr;
    RECT editorRect = {}, cell = {};
    bool editorGone = false;
    steps = [&](DialogDriver& driver) {
        driver.Do([&] {
            atStart = {Enabled(IDC_PAGE_COPY), Enabled(IDC_PAGE_DELETE), Enabled(IDC_PAGE_SET_CURRENT)};
            Focus(0);
            onFirst = {Enabled(IDC_PAGE_COPY), Enabled(IDC_PAGE_DELETE), Enabled(IDC_PAGE_SET_CURRENT)};
            Focus(1);
            onSecond = {Enabled(IDC_PAGE_COPY), Enabled(IDC_PAGE_DELETE), Enabled(IDC_PAGE_SET_CURRENT)};
            Click(2, 1);
            Click(2, 1);
            editor = GetDlgItem(List(), IDC_CELL_EDITOR);
            if (editor) {
                GetWindowRect(editor, &editorRect);
                MapWindowPoints(nullptr, List(), reinterpret_cast<POINT*>(&editorRect), 2);
                cell = Cell(2, 1);
                SetWindowTextA(editor, "12.5");
                SendMessageA(editor, WM_CHAR, VK_RETURN, 0);
            }
        });
        driver.Do([&] { editorGone = GetDlgItem(List(), IDC_CELL_EDITOR) == nullptr && !object.GetEditor(); });
    };
    DialogDriver driver;
    Show(driver);
    EXPECT_EQ(object.fills, 1);
    EXPECT_EQ(atStart, (ButtonState{true, true, true}));
    EXPECT_EQ(onFirst, (ButtonState{true, false, false}));
    EXPECT_EQ(onSecond, (ButtonState{true, true, true}));
    ASSERT_NE(editor, nullptr);
    EXPECT_GE(editorRect.left, cell.left);
    EXPECT_LT(editorRect.left, cell.right);
    EXPECT_GE(editorRect.top, cell.top);
    EXPECT_LT(editorRect.top, cell.bottom);
    ASSERT_EQ(object.ends.size(), 1u);
    EXPECT_EQ(object.ends[0].row, 2);
    EXPECT_EQ(object.ends[0].column, 1);
    EXPECT_EQ(object.ends[0].text, "12.5");
    EXPECT_TRUE(editorGone);
}

// On a read-only site the buttons are off from the start and stay off whatever row has the focus;
// the list is filled all the same.
TEST_F(ListPage, ReadOnlySiteKeepsTheButtonsOff)
{
    control->SetReadOnly(true);
    ButtonState atStart{true, true, true}, onSecond{true, true, true};
    steps = [&](DialogDriver& driver) {
        driver.Do([&] {
            atStart = {Enabled(IDC_PAGE_COPY), Enabled(IDC_PAGE_DELETE), Enabled(IDC_PAGE_SET_CURRENT)};
            Focus(1);
            onSecond = {Enabled(IDC_PAGE_COPY), Enabled(IDC_PAGE_DELETE), Enabled(IDC_PAGE_SET_CURRENT)};
        });
    };
    DialogDriver driver;
    Show(driver);
    EXPECT_EQ(object.fills, 1);
    EXPECT_FALSE(atStart.copy);
    EXPECT_FALSE(atStart.del);
    EXPECT_FALSE(onSecond.copy);
    EXPECT_FALSE(onSecond.del);
}
