#include "ui/OptionsViewportsPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/YVEXControl.h"
#include "model/NameRules.h"
#include "ui/resource.h"
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kColumnCount = 5;

// The list's columns: the title's string and its fallback, the width in pixels.
struct ColumnTitle
{
    UINT id;
    const char* fallback;
    int width;
};
const ColumnTitle kColumns[kColumnCount] = {{IDS_NAME_COLUMN, "Name", 100},
                                            {IDS_VIEWPORT_LEFT, "Left", 70},
                                            {IDS_VIEWPORT_TOP, "Top", 70},
                                            {IDS_VIEWPORT_RIGHT, "Right", 70},
                                            {IDS_VIEWPORT_BOTTOM, "Bottom", 70}};

void Warn(HWND owner, const char* text) { ycom::ShowMessageBox(owner, text, "Warning", MB_ICONEXCLAMATION); }

} // namespace

// --- The list ----------------------------------------------------------------------------------

void CViewportsPage::EnableEditing(bool enable)
{
    CListPageBase::EnableEditing(enable);
    if (IsWindow())
        EnableButtons(CanEdit());
}

void CViewportsPage::FillList() { FillRows({}); }

void CViewportsPage::FillRows(const std::vector<int>& excluded)
{
    HWND list = m_list.GetHandle();
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    m_rows.clear();
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    m_list.SetReportStyle();
    for (int c = 0; c < kColumnCount; ++c) {
        char title[64];
        lstrcpynA(title, kColumns[c].fallback, sizeof title);
        ycom::LoadResourceString(kColumns[c].id, title, static_cast<int>(sizeof title));
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cx = kColumns[c].width;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    m_currentRow = -2;
    if (!m_control)
        return;
    CViewportList& viewports = m_control->GetViewportList();
    for (int i = 0; i < viewports.GetCount(); ++i) {
        const CViewportRecord* viewport = viewports.GetAt(i);
        bool skip = false;
        for (int id : excluded)
            skip = skip || id == viewport->ID;
        if (skip)
            continue;
        const int row = AppendRow(viewport->ID);
        if (viewport->ID == 1)
            m_currentRow = row;
    }
}

int CViewportsPage::AppendRow(int viewportId)
{
    HWND list = m_list.GetHandle();
    auto data = std::make_unique<CListRowData>();
    data->tag = viewportId;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = RowCount();
    item.pszText = const_cast<char*>("");
    // The current view port's mark (the copy dialog lists it not at all).
    item.iImage = viewportId == 1 ? CCellListView::kImageCurrent : 0;
    item.lParam = reinterpret_cast<LPARAM>(data.get());
    const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return row;
    m_rows.push_back(std::move(data));
    ShowRow(row);
    return row;
}

void CViewportsPage::ShowRow(int row)
{
    const CViewportRecord* viewport = m_control ? m_control->GetViewportList().FindByID(ViewportIdOf(row)) : nullptr;
    if (!viewport)
        return;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", m_decimals);
    const CWorldRect rect = viewport->GetWorldRect();
    const double values[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (int c = 0; c < kColumnCount; ++c) {
        char text[64];
        if (c == 0)
            lstrcpynA(text, viewport->name.c_str(), sizeof text);
        else
            std::snprintf(text, sizeof text, format, values[c - 1]);
        LVITEMA cell = {};
        cell.iSubItem = c;
        cell.pszText = text;
        SendMessageA(m_list.GetHandle(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
}

int CViewportsPage::RowCount() const
{
    return static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETITEMCOUNT, 0, 0));
}

int CViewportsPage::ViewportIdOf(int row) const
{
    const CListRowData* data = row >= 0 ? m_list.GetRowData(row) : nullptr;
    return data ? static_cast<int>(data->tag) : 0;
}

int CViewportsPage::FindRow(int viewportId) const
{
    for (int row = 0; row < RowCount(); ++row)
        if (ViewportIdOf(row) == viewportId)
            return row;
    return -1;
}

int CViewportsPage::SelectedRow() const
{
    return static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

LRESULT CViewportsPage::HandleViewportChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const int id = static_cast<int>(lParam);
    if (wParam == kRefreshRow) {
        const int row = FindRow(id);
        if (row >= 0)
            ShowRow(row);
    } else if (wParam == kAppendRow && FindRow(id) < 0) {
        AppendRow(id);
    }
    return 0;
}

// --- Renaming ----------------------------------------------------------------------------------

LRESULT CViewportsPage::HandleBeginNameEdit(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    // Only names are edited: the coordinates follow the view port's view.
    if (!(info->item.mask & LVIF_TEXT) || info->item.iSubItem != 0 || !CanEdit())
        return TRUE;
    if (info->item.iItem == 0) {
        Warn(m_hWnd, "You can't edit current view port name!");
        return TRUE;
    }
    handled = FALSE;
    return 0;
}

void CViewportsPage::OnEndCellEdit(int row, int column, const char* text)
{
    if (!text || column != 0 || !m_control)
        return;
    CViewportRecord* viewport = m_control->GetViewportList().FindByID(ViewportIdOf(row));
    if (!viewport)
        return;
    const std::string before = viewport->name;
    viewport->name = text;
    if (!m_control->FireEditViewport(viewport->ID)) {
        viewport->name = before;
        return;
    }
    ShowRow(row);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
}

// --- Buttons -----------------------------------------------------------------------------------

LRESULT CViewportsPage::HandleDelete(UINT, WPARAM, LPARAM, BOOL&)
{
    const int row = SelectedRow();
    if (!m_control || !CanEdit() || RowCount() < 2 || row < 0)
        return 0;
    if (row == m_currentRow) {
        Warn(m_hWnd, "Can't delete current view port.");
        return 0;
    }
    if (ycom::ShowMessageBox(m_hWnd, "Do You really want to delete view port?", "Warning",
                             MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    const int id = ViewportIdOf(row);
    if (!m_control->FireDeleteViewport(id))
        return 0;
    if (m_currentRow > row)
        --m_currentRow;
    CListRowData* data = m_list.GetRowData(row);
    SendMessageA(m_list.GetHandle(), LVM_DELETEITEM, row, 0);
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it)
        if (it->get() == data) {
            m_rows.erase(it);
            break;
        }
    m_control->GetViewportList().DeleteByID(id);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    return 0;
}

LRESULT CViewportsPage::HandleSetCurrent(UINT, WPARAM, LPARAM, BOOL&)
{
    CViewportRecord* viewport =
        m_control ? m_control->GetViewportList().FindByID(ViewportIdOf(SelectedRow())) : nullptr;
    if (!viewport || !m_control->SetCurrentViewport(viewport))
        return 0;
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    const int current = FindRow(1);
    if (current >= 0)
        ShowRow(current);
    return 0;
}

LRESULT CViewportsPage::HandleCopy(UINT, WPARAM, LPARAM, BOOL&)
{
    const int source = ViewportIdOf(SelectedRow());
    if (!m_control || !CanEdit() || source == 0)
        return 0;
    CCopyViewportDialog dialog(source);
    dialog.Run(m_control, m_hWnd);
    return 0;
}

// --- The copy dialog ---------------------------------------------------------------------------

int CCopyViewportDialog::Run(CYVEXControl* control, HWND owner)
{
    m_resultId = -1;
    // The page's start takes its control from a page record, as the sheet's pages do.
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.lParam = reinterpret_cast<LPARAM>(control);
    const INT_PTR answer =
        DoModal(ycom::TheModule().ResourceInstance(), IDD_COPY, owner, reinterpret_cast<LPARAM>(&page));
    return answer == IDOK ? IDOK : IDCANCEL;
}

void CCopyViewportDialog::FillList()
{
    // The current view port is no destination.
    FillRows({1});
}

BOOL CCopyViewportDialog::OnInitPage()
{
    CListPageBase::OnInitPage();
    // The names are chosen here, not edited.
    m_list.SetEditRow(CCellListView::kNoRow);
    SendDlgItemMessageA(m_hWnd, IDC_NAME, EM_LIMITTEXT, 31, 0);
    const int row = FindRow(m_sourceId);
    if (row >= 0) {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(m_list.GetHandle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    const bool empty = RowCount() == 0;
    CheckDlgButton(m_hWnd, IDC_TO_NEW, empty ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetItem(IDC_TO_NEW), empty ? FALSE : TRUE);
    ChooseNew(empty);
    return FALSE;
}

void CCopyViewportDialog::ChooseNew(bool toNew)
{
    EnableWindow(GetItem(IDC_NAME), toNew ? TRUE : FALSE);
    EnableWindow(m_list.GetHandle(), toNew ? FALSE : TRUE);
    SetFocus(toNew ? GetItem(IDC_NAME) : m_list.GetHandle());
}

LRESULT CCopyViewportDialog::HandleToNew(UINT, WPARAM, LPARAM, BOOL&)
{
    const bool checked = IsDlgButtonChecked(m_hWnd, IDC_TO_NEW) == BST_CHECKED;
    if (checked || RowCount() > 0)
        ChooseNew(checked);
    return 0;
}

LRESULT CCopyViewportDialog::HandleNameUpdate(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND edit = GetItem(IDC_NAME);
    char typed[256] = "";
    GetWindowTextA(edit, typed, static_cast<int>(sizeof typed));
    std::string name = typed;
    const size_t length = name.size();
    KeepNameCharacters(name);
    if (name.size() != length) {
        DWORD caret = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
        SetWindowTextA(edit, name.c_str());
        const DWORD kept = caret < name.size() ? caret : static_cast<DWORD>(name.size());
        SendMessageA(edit, EM_SETSEL, kept, kept);
    }
    return 0;
}

LRESULT CCopyViewportDialog::HandleOk(UINT, WPARAM, LPARAM, BOOL&)
{
    const bool toNew = IsDlgButtonChecked(m_hWnd, IDC_TO_NEW) == BST_CHECKED;
    if (toNew ? CopyToNew() : CopyOntoSelected())
        EndDialog(IDOK);
    return 0;
}

LRESULT CCopyViewportDialog::HandleCancel(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

bool CCopyViewportDialog::CopyToNew()
{
    char typed[64] = "";
    GetDlgItemTextA(m_hWnd, IDC_NAME, typed, static_cast<int>(sizeof typed));
    m_newName = typed;
    if (m_newName.empty()) {
        Warn(m_hWnd, "Please enter new viewport name.");
        return false;
    }
    CViewportList& viewports = m_control->GetViewportList();
    const CViewportRecord* source = viewports.FindByID(m_sourceId);
    if (!source)
        return false;
    auto* copy = new CViewportRecord(*source);
    copy->ID = 0;
    copy->name = m_newName;
    viewports.Add(copy);
    const int id = copy->ID;
    if (!m_control->FireAddViewport(id, m_sourceId)) {
        viewports.DeleteByID(id);
        return false;
    }
    TellPage(kAppendRow, id);
    m_resultId = id;
    return true;
}

bool CCopyViewportDialog::CopyOntoSelected()
{
    const int row = SelectedRow();
    if (row < 0) {
        Warn(m_hWnd, "Please select destination viewport.");
        return false;
    }
    CViewportList& viewports = m_control->GetViewportList();
    CViewportRecord* destination = viewports.FindByID(ViewportIdOf(row));
    const CViewportRecord* source = viewports.FindByID(m_sourceId);
    if (!destination || !source)
        return false;
    const CViewportRecord before(*destination);
    destination->TakeView(*source);
    if (!m_control->FireCopyViewport(destination->ID, m_sourceId)) {
        destination->TakeView(before);
        return false;
    }
    TellPage(kRefreshRow, destination->ID);
    m_resultId = destination->ID;
    return true;
}

void CCopyViewportDialog::TellPage(WPARAM change, int viewportId) const
{
    const COptionsDialog* sheet = m_control ? m_control->GetOptionsSheet() : nullptr;
    if (HWND page = sheet && sheet->GetWindow() ? sheet->GetViewportsPageWindow() : nullptr)
        SendMessageA(page, kViewportChanged, change, viewportId);
}
