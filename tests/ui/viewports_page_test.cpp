// The View ports page of the Options sheet and the copy dialog "Copy view port to...", over a
// control hosted in a window with an event sink: the names edited in place (the current one
// refused, a refused rename taken back), a delete asked and refused, a copy onto another view
// port or onto a new one, each refusal of the host leaving the view ports as they were, and the
// view port collection's SaveViewport(-1, ...) asking through the dialog.
#include <cstdio>
#include "automation/ViewportCollection.h"
#include "control/ViewportList.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsViewportsPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

class ViewportsPage : public OptionsPage
{
protected:
    void SetUp() override
    {
        OptionsPage::SetUp();
        m_connection = std::make_unique<hosttest::Connection>(control->GetControllingUnknown(), &sink);
        MessageBoxes::Texts().clear();
        MessageBoxes::Answer() = IDOK;
    }

    // A view port of that name about a centre.
    int AddView(const char* name, float cx)
    {
        auto* view = new CViewportRecord(control->GetCurrentViewport());
        view->ID = 0;
        view->name = name;
        view->SetCenter(cx, 10.0f);
        control->GetViewportList().Add(view);
        return view->ID;
    }
    CViewportRecord* View(int id) { return control->GetViewportList().FindByID(id); }
    HWND PageItem(int id) const { return Item(OPTPAGE_VIEWPORTSDLG, id); }
    HWND List() const { return PageItem(IDC_PAGE_LIST); }
    static std::string CellText(HWND list, int row, int column)
    {
        char text[128] = "";
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = text;
        cell.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        return text;
    }
    static std::vector<std::string> Names(HWND list)
    {
        std::vector<std::string> names;
        for (int row = 0; row < ListView_GetItemCount(list); ++row)
            names.push_back(CellText(list, row, 0));
        return names;
    }
    static void Select(HWND list, int row)
    {
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    // A click on a cell of the focused row whose column has the focus already asks for its
    // editor: a click on a coordinate cell first moves the focus away, so that exactly one
    // request is made. The editor, if one came.
    HWND OpenEditor(int row, int column) const
    {
        Select(List(), row);
        SetFocus(List());
        ClickCell(row, column == 1 ? 2 : 1);
        ClickCell(row, column);
        ClickCell(row, column);
        return GetDlgItem(List(), IDC_CELL_EDITOR);
    }
    void ClickCell(int row, int column) const
    {
        RECT r = {};
        r.top = column;
        // The name's own label: a click beside it does not edit.
        r.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
        SendMessageA(List(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(List(), WM_LBUTTONUP, 0, at);
    }
    static void TypeAndEnter(HWND editor, const char* text)
    {
        SetWindowTextA(editor, text);
        SendMessageA(editor, WM_CHAR, VK_RETURN, 0);
    }
    static HWND CopyDialog() { return DialogDriver::FindThreadWindow("#32770", "Copy view port to..."); }
    static DialogDriver::Step WaitForCopyDialog()
    {
        return [] { return CopyDialog() != nullptr && IsWindowVisible(CopyDialog()); };
    }
    ycom::ComPtr<IViewportCollection> Collection()
    {
        ycom::ComPtr<IViewportCollection> viewports;
        EXPECT_EQ(ycom::CreateInstance<CViewportCollection>(nullptr, IID_IViewportCollection,
                                                            reinterpret_cast<void**>(viewports.Put())),
                  S_OK);
        EXPECT_EQ(viewports->_Init(control->Handle(), reinterpret_cast<LONG_PTR>(&control->GetViewportList()), 0), S_OK);
        return viewports;
    }
    std::vector<DISPID> ViewportEvents() const
    {
        std::vector<DISPID> ids;
        for (const auto& call : sink.calls)
            if (call.id >= cetOnAddViewport && call.id <= cetOnCopyViewport)
                ids.push_back(call.id);
        return ids;
    }

    hosttest::EventSink sink;
    std::unique_ptr<hosttest::Connection> m_connection;
    MessageBoxes boxes;
};

} // namespace

// The rows: the current view port first, then the others in the control's order, the rectangle
// formatted with two decimals. Only names are edited, never the current one's; a rename refused
// by the host comes back, an allowed one stays.
TEST_F(ViewportsPage, NamesAreEditedInPlaceAndARefusedRenameComesBack)
{
    const int north = AddView("North", 100.0f);
    AddView("South", -100.0f);
    std::vector<std::string> names;
    std::string left;
    bool currentEditor = true, coordinateEditor = true;
    RunSheet(OPTPAGE_VIEWPORTSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            names = Names(List());
            left = CellText(List(), 1, 1);
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_viewports")));
            currentEditor = OpenEditor(0, 0) != nullptr;
            coordinateEditor = OpenEditor(1, 2) != nullptr;
            sink.answer = VARIANT_FALSE;
            HWND editor = OpenEditor(1, 0);
            ASSERT_NE(editor, nullptr);
            TypeAndEnter(editor, "Refused");
        });
        d.Do([&] {
            EXPECT_EQ(View(north)->name, "North");
            EXPECT_EQ(CellText(List(), 1, 0), "North");
            sink.answer = VARIANT_TRUE;
            HWND editor = OpenEditor(1, 0);
            ASSERT_NE(editor, nullptr);
            TypeAndEnter(editor, "East");
        });
        d.Do([&] { EXPECT_EQ(CellText(List(), 1, 0), "East"); });
    });
    EXPECT_EQ(names, (std::vector<std::string>{"CURRENT", "North", "South"}));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", View(north)->GetWorldRect().left);
    EXPECT_EQ(left, expected);
    EXPECT_FALSE(currentEditor);
    EXPECT_FALSE(coordinateEditor);
    EXPECT_EQ(MessageBoxes::Texts(), std::vector<std::string>{"Warning: You can't edit current view port name!"});
    EXPECT_EQ(View(north)->name, "East");
    EXPECT_EQ(ViewportEvents(), (std::vector<DISPID>{cetOnEditViewport, cetOnEditViewport}));
}

// "D&elete" does nothing with one view port; the current one is refused; No keeps the view port,
// and so does the host's refusal; otherwise the row and the view port go.
TEST_F(ViewportsPage, DeleteAsksAndTheHostMayRefuse)
{
    RunSheet(OPTPAGE_VIEWPORTSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select(List(), 0);
            Click(PageItem(IDC_PAGE_DELETE));
            SendMessageA(Page(OPTPAGE_VIEWPORTSDLG), WM_COMMAND, MAKEWPARAM(IDC_PAGE_DELETE, BN_CLICKED), 0);
        });
    });
    EXPECT_TRUE(MessageBoxes::Texts().empty());
    EXPECT_EQ(control->GetViewportList().GetCount(), 1);

    const int north = AddView("North", 100.0f);
    std::vector<std::string> after;
    bool offWhileDisabled = false, onAgain = false;
    RunSheet(OPTPAGE_VIEWPORTSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            // The sheet switches editing off (a read-only site): the buttons follow at once.
            Sheet()->EnablePages(false);
            offWhileDisabled = !IsWindowEnabled(PageItem(IDC_PAGE_COPY)) && !IsWindowEnabled(PageItem(IDC_PAGE_DELETE));
            Sheet()->EnablePages(true);
            onAgain = IsWindowEnabled(PageItem(IDC_PAGE_COPY)) && IsWindowEnabled(PageItem(IDC_PAGE_DELETE));
            HWND page = Page(OPTPAGE_VIEWPORTSDLG);
            auto press = [page] { SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_PAGE_DELETE, BN_CLICKED), 0); };
            Select(List(), 0);
            press();
            Select(List(), 1);
            MessageBoxes::Answer() = IDNO;
            press();
            MessageBoxes::Answer() = IDYES;
            sink.answer = VARIANT_FALSE;
            press();
            EXPECT_NE(View(north), nullptr);
            sink.answer = VARIANT_TRUE;
            press();
            after = Names(List());
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"Warning: Can't delete current view port.",
                                                               "Warning: Do You really want to delete view port?",
                                                               "Warning: Do You really want to delete view port?",
                                                               "Warning: Do You really want to delete view port?"}));
    EXPECT_TRUE(offWhileDisabled);
    EXPECT_TRUE(onAgain);
    EXPECT_EQ(after, std::vector<std::string>{"CURRENT"});
    EXPECT_EQ(View(north), nullptr);
    EXPECT_EQ(ViewportEvents(), (std::vector<DISPID>{cetOnDeleteViewport, cetOnDeleteViewport}));
}

// "&Copy To ..." onto an existing view port: the destination takes the source's view and keeps
// its name; the host's refusal restores it and the dialog stays; the page shows the change.
// SaveViewport(-1, ...) answers S_FALSE while the sheet is open.
TEST_F(ViewportsPage, CopyOntoAnExistingViewPortKeepsItsName)
{
    const int north = AddView("North", 100.0f);
    const int south = AddView("South", -100.0f);
    auto viewports = Collection();
    HRESULT whileOpen = E_FAIL;
    std::vector<std::string> dialogRows;
    bool stayed = false, listEnabled = false, newChecked = true;
    std::string pageLeft;
    RunSheet(OPTPAGE_VIEWPORTSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            whileOpen = viewports->SaveViewport(-1, 1);
            Select(List(), 1);
            PostMessageA(Page(OPTPAGE_VIEWPORTSDLG), WM_COMMAND, MAKEWPARAM(IDC_PAGE_COPY, BN_CLICKED), 0);
        });
        d.Then(WaitForCopyDialog());
        d.Do([&] {
            HWND dialog = CopyDialog();
            HWND list = GetDlgItem(dialog, IDC_PAGE_LIST);
            dialogRows = Names(list);
            listEnabled = IsWindowEnabled(list) != FALSE;
            newChecked = IsDlgButtonChecked(dialog, IDC_COPY_TO_NEW) == BST_CHECKED;
            EXPECT_TRUE(CaptureWindowToPng(dialog, ArtefactPath("copy_viewport_dialog")));
            Select(list, 1);
            sink.answer = VARIANT_FALSE;
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            stayed = IsWindowVisible(dialog) != FALSE;
            EXPECT_FLOAT_EQ(View(south)->center.x, -100.0f);
            sink.answer = VARIANT_TRUE;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        d.Then([] { return CopyDialog() == nullptr; });
        d.Do([&] { pageLeft = CellText(List(), 2, 1); });
    });
    EXPECT_EQ(whileOpen, S_FALSE);
    EXPECT_EQ(dialogRows, (std::vector<std::string>{"North", "South"}));
    EXPECT_TRUE(listEnabled);
    EXPECT_FALSE(newChecked);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(View(south)->name, "South");
    EXPECT_FLOAT_EQ(View(south)->center.x, 100.0f);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", View(south)->GetWorldRect().left);
    EXPECT_EQ(pageLeft, expected);
    EXPECT_EQ(ViewportEvents(), (std::vector<DISPID>{cetOnCopyViewport, cetOnCopyViewport}));
    const auto* copy = sink.Find(cetOnCopyViewport);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ints, (std::vector<LONG>{south, north}));
}

// With only the current view port the dialog opens for a new one, its box checked and locked. The
// name keeps the name characters only; an empty name is refused; a copy the host refuses goes
// again; an allowed one is added under the typed name and SaveViewport answers S_OK.
TEST_F(ViewportsPage, SaveViewportAsksForANewViewPort)
{
    auto viewports = Collection();
    bool checked = false, boxEnabled = true, listEnabled = true, editEnabled = false;
    std::string cleaned, emptied;
    HRESULT hr = E_FAIL;
    DialogDriver driver;
    driver.Then(WaitForCopyDialog()).Do([&] {
        HWND dialog = CopyDialog();
        checked = IsDlgButtonChecked(dialog, IDC_COPY_TO_NEW) == BST_CHECKED;
        boxEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_COPY_TO_NEW)) != FALSE;
        listEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PAGE_LIST)) != FALSE;
        HWND edit = GetDlgItem(dialog, IDC_COPY_NAME);
        editEnabled = IsWindowEnabled(edit) != FALSE;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        Type(edit, "a b!");
        cleaned = Text(edit);
        sink.answer = VARIANT_FALSE;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(control->GetViewportList().GetCount(), 1);
        EXPECT_TRUE(IsWindowVisible(dialog));
        sink.answer = VARIANT_TRUE;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    driver.Run([&] { hr = viewports->SaveViewport(-1, 1); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(boxEnabled);
    EXPECT_FALSE(listEnabled);
    EXPECT_TRUE(editEnabled);
    EXPECT_EQ(cleaned, "ab");
    EXPECT_EQ(MessageBoxes::Texts(), std::vector<std::string>{"Warning: Please enter new viewport name."});
    ASSERT_EQ(control->GetViewportList().GetCount(), 2);
    const CViewportRecord* added = control->GetViewportList().GetAt(1);
    EXPECT_EQ(added->name, "ab");
    EXPECT_FLOAT_EQ(added->center.x, control->GetCurrentViewport().center.x);
    EXPECT_EQ(ViewportEvents(), (std::vector<DISPID>{cetOnAddViewport, cetOnAddViewport}));
}

// SaveViewport(-1, source) copies onto the view port chosen in the dialog; Cancel answers S_FALSE.
TEST_F(ViewportsPage, SaveViewportCopiesOntoTheChosenViewPort)
{
    const int north = AddView("North", 100.0f);
    const int south = AddView("South", -100.0f);
    auto viewports = Collection();
    HRESULT hr = E_FAIL;
    {
        DialogDriver driver;
        driver.Then(WaitForCopyDialog()).Do([&] {
            HWND dialog = CopyDialog();
            Select(GetDlgItem(dialog, IDC_PAGE_LIST), 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        driver.Run([&] { hr = viewports->SaveViewport(-1, south); });
        EXPECT_TRUE(driver.Finished());
    }
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(View(north)->name, "North");
    EXPECT_FLOAT_EQ(View(north)->center.x, -100.0f);
    {
        DialogDriver driver;
        driver.Then(WaitForCopyDialog()).Do([&] { PostMessageA(CopyDialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
        driver.Run([&] { hr = viewports->SaveViewport(-1, north); });
    }
    EXPECT_EQ(hr, S_FALSE);
}
