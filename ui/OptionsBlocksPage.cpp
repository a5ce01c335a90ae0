#include "ui/OptionsBlocksPage.h"
#include "com/AnsiText.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/IncludedSite.h"
#include "control/ResourceText.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "ui/BlockDialogs.h"
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The header pictures of the sorted column in the cell images: ascending and descending.
constexpr int kSortUpImage = 5;
constexpr int kSortDownImage = 6;

std::string FormatText(UINT id, const char* fallback, int number, const std::string& name, bool numberFirst)
{
    std::string format = LoadResourceTextA(id, 512);
    if (format.empty())
        format = fallback;
    std::vector<char> text(format.size() + name.size() + 32);
    if (numberFirst)
        std::snprintf(text.data(), text.size(), format.c_str(), number, name.c_str());
    else
        std::snprintf(text.data(), text.size(), format.c_str(), name.c_str());
    return text.data();
}

bool IsEnabledFlag(CShape* shape) { return shape && shape->GetProtectionFlagsMasked(sdbfEnabled) != 0; }

} // namespace

COptionsBlocksPage::COptionsBlocksPage() : COptionsPage(IDD_OPTIONS_BLOCKS) {}

bool COptionsBlocksPage::IsDrawingEditable() const
{
    return m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet();
}

bool COptionsBlocksPage::HasIncludedSites() const
{
    if (!m_control)
        return false;
    // A site loaded from the database is listed among its own modules: only another one counts.
    for (const CIncludedSite& entry : m_control->GetIncludedSites())
        if (entry.siteId != m_control->GetSiteId())
            return true;
    return false;
}

std::string COptionsBlocksPage::SiteNameOf(const CShape* shape) const
{
    if (const CIncludedSite* site = shape ? FindIncludedSite(*m_control, shape->GetId()) : nullptr)
        return IncludedSiteName(*site);
    return m_control->GetSiteRecord().GetName();
}

size_t COptionsBlocksPage::SitePositionOf(const CShape* shape) const
{
    const std::vector<CIncludedSite>& sites = m_control->GetIncludedSites();
    const CIncludedSite* site = shape ? FindIncludedSite(*m_control, shape->GetId()) : nullptr;
    if (!site || site->siteId == m_control->GetSiteId())
        return sites.size();
    return static_cast<size_t>(site - sites.data());
}

BOOL COptionsBlocksPage::OnInitPage()
{
    m_list = GetItem(IDC_PAGE_LIST);
    if (!m_control || !m_list)
        return TRUE;
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
    const bool included = HasIncludedSites();
    RECT client = {};
    ::GetClientRect(m_list, &client);
    const int width = client.right - client.left;
    char name[64] = "Name";
    ycom::LoadResourceString(IDS_NAME_COLUMN, name, static_cast<int>(sizeof name));
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = included ? width * 2 / 3 : width;
    column.pszText = name;
    SendMessageA(m_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    if (included) {
        SetWindowLongA(m_list, GWL_STYLE, GetWindowLongA(m_list, GWL_STYLE) & ~LVS_NOCOLUMNHEADER);
        char site[64] = "Site Name";
        ycom::LoadResourceString(IDS_SITE_NAME_COLUMN, site, static_cast<int>(sizeof site));
        column.cx = width - column.cx - 3;
        column.pszText = site;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        // The header's sort arrows. The list destroys its small image list with itself.
        HIMAGELIST images = ImageList_LoadImageA(ycom::TheModule().ResourceInstance(), MAKEINTRESOURCEA(IDB_CELL_IMAGES),
                                                 16, 1, 0xFFFFFF, IMAGE_BITMAP, LR_CREATEDIBSECTION);
        if (images)
            ListView_SetImageList(m_list, images, LVSIL_SMALL);
    }

    if (CGroup* library = m_control->GetLibraryGroup())
        for (CShape* child : library->Children()) {
            if (child->GetShapeType() != stGroup)
                continue;
            std::string text = ycom::WideToAnsi(static_cast<CGroup*>(child)->GetName());
            if (text.empty())
                continue;
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = ListView_GetItemCount(m_list);
            item.pszText = &text[0];
            item.lParam = child->GetId();
            const int row = static_cast<int>(SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            if (row >= 0 && included) {
                std::string site = SiteNameOf(child);
                LVITEMA sub = {};
                sub.iSubItem = 1;
                sub.pszText = &site[0];
                SendMessageA(m_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
            }
        }

    EnableEditing(IsDrawingEditable(), 0);
    const int count = ListView_GetItemCount(m_list);
    if (count == 0)
        return TRUE;
    // While a block is edited, that block is the one shown.
    int selected = 0;
    CGroup* root = m_control->GetRootGroup();
    if (root && root->GetShapeType() == stGroup && root->GetParent() == m_control->GetLibraryGroup()) {
        LVFINDINFOA find = {};
        find.flags = LVFI_PARAM;
        find.lParam = root->GetId();
        const int row = static_cast<int>(SendMessageA(m_list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        if (row >= 0)
            selected = row;
    }
    SendMessageA(m_list, LVM_SETSELECTIONMARK, 0, selected);
    ListView_SetItemState(m_list, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
}

void COptionsBlocksPage::EnableEditing(bool enable, int blockId)
{
    COptionsPage::EnableEditing(enable);
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    EnableWindow(GetItem(IDC_BLOCKS_EDIT), blockId != 0 ? TRUE : FALSE);
    bool insert = false, remove = false;
    const bool editable = enable && IsDrawingEditable();
    CShape* block = editable && blockId >= 1 ? m_control->FindShape(blockId) : nullptr;
    if (block) {
        CGroup* root = m_control->GetRootGroup();
        const ShapeTypes kind = static_cast<ShapeTypes>(block->GetShapeType());
        insert = (kind == stGroup || kind == stReference) && root && root->IsEnabled() && root->IsGroup();
        if (insert && HasIncludedSites())
            insert = SitePositionOf(block) <= SitePositionOf(root);

        const std::vector<CShape*> references =
            block->IsGroup() ? static_cast<CGroup*>(block)->GetReferrerList() : std::vector<CShape*>();
        // A block protected from deletion stays (DeleteShapeByID refuses it too).
        remove = block != root && (!references.empty() || IsEnabledFlag(block)) &&
                 !(block->GetProtectionFlags() & sdbfDeletion);
        if (remove && !references.empty())
            remove = std::any_of(references.begin(), references.end(), IsEnabledFlag);
    }
    EnableWindow(GetItem(IDC_BLOCKS_INSERT), insert ? TRUE : FALSE);
    EnableWindow(GetItem(IDC_BLOCKS_DELETE), remove ? TRUE : FALSE);
}

CGroup* COptionsBlocksPage::SelectedBlock(int* rowOut) const
{
    const int row = m_list ? ListView_GetNextItem(m_list, -1, LVNI_SELECTED) : -1;
    if (rowOut)
        *rowOut = row;
    if (row < 0 || !m_control)
        return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    CShape* shape = m_control->FindShape(static_cast<int>(item.lParam));
    return shape && shape->IsGroup() ? static_cast<CGroup*>(shape) : nullptr;
}

LRESULT COptionsBlocksPage::HandleItemChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (!(change->uChanged & LVIF_STATE))
        return 0;
    if (change->uNewState & (LVIS_SELECTED | LVIS_FOCUSED))
        EnableEditing(true, static_cast<int>(change->lParam));
    else
        EnableEditing(false, 0);
    return 0;
}

LRESULT COptionsBlocksPage::HandleShowWindow(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    handled = FALSE;
    if (!wParam) {
        EnableEditing(false, 0);
        return 0;
    }
    CGroup* block = SelectedBlock();
    EnableEditing(true, block ? block->GetId() : 0);
    return 0;
}

int CALLBACK COptionsBlocksPage::CompareBlocks(LPARAM first, LPARAM second, LPARAM pageParam)
{
    const auto* page = reinterpret_cast<const COptionsBlocksPage*>(pageParam);
    auto key = [page](LPARAM id) -> std::string {
        CShape* shape = page->m_control->FindShape(static_cast<int>(id));
        if (page->m_sortColumn == 1)
            return shape ? page->SiteNameOf(shape) : std::string();
        if (!shape || (shape->GetShapeType() != stGroup && shape->GetShapeType() != stReference))
            return std::string();
        return ycom::WideToAnsi(static_cast<CGroup*>(shape)->GetName());
    };
    const std::string a = key(first), b = key(second);
    int result = 0;
    if (a.empty() || b.empty())
        result = a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    else
        result = lstrcmpiA(a.c_str(), b.c_str());
    return page->m_ascending ? result : -result;
}

LRESULT COptionsBlocksPage::HandleColumnClick(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
    const int old = m_sortColumn;
    if (column == m_sortColumn) {
        m_ascending = !m_ascending;
    } else {
        m_sortColumn = column;
        m_ascending = true;
    }
    HWND header = ListView_GetHeader(m_list);
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (old != column && Header_GetItem(header, old, &item)) {
        item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
        Header_SetItem(header, old, &item);
    }
    LVCOLUMNA format = {};
    format.mask = LVCF_FMT | LVCF_IMAGE;
    format.fmt = LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT | LVCFMT_COL_HAS_IMAGES;
    format.iImage = m_ascending ? kSortUpImage : kSortDownImage;
    SendMessageA(m_list, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&format));
    SendMessageA(m_list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CompareBlocks));
    return 0;
}

void COptionsBlocksPage::CloseSheet()
{
    SendMessageA(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (HWND window = m_control->GetControlWindow())
        SetFocus(window);
}

LRESULT COptionsBlocksPage::HandleInsert(UINT, WPARAM, LPARAM, BOOL&)
{
    CGroup* block = SelectedBlock();
    if (!block)
        return 0;
    CGroup* root = m_control->GetRootGroup();
    LONG reference = 0;
    if (m_control->AddReference(root ? root->GetId() : 0, block->GetId(), &reference, true, 0.0f, 0.0f) == S_FALSE)
        return 0;
    // The user places the reference in the drawing.
    CloseSheet();
    return 0;
}

LRESULT COptionsBlocksPage::HandleEdit(UINT, WPARAM, LPARAM, BOOL&)
{
    CGroup* block = SelectedBlock();
    if (!block)
        return 0;
    CloseSheet();
    m_control->StartEditShape(block, EDSH_BLOCK, 0, 0);
    return 0;
}

int COptionsBlocksPage::DeleteReferences(const std::vector<int>& references)
{
    // They go as the user's Delete takes a selection: selected, then each deleted. One that the
    // drawing protects stays, and stays selected.
    if (CGroup* selection = m_control->GetSelectionGroup()) {
        selection->Clear(false);
        for (int id : references)
            if (CShape* reference = m_control->FindShape(id))
                selection->AddChild(reference, nullptr, 0, false);
    }
    int left = 0;
    for (int id : references) {
        if (!m_control->FindShape(id))
            continue;
        m_control->DeleteShapeByID(id, 1, 0);
        if (m_control->FindShape(id))
            ++left;
    }
    return left;
}

LRESULT COptionsBlocksPage::HandleDelete(UINT, WPARAM, LPARAM, BOOL&)
{
    int row = -1;
    CGroup* block = SelectedBlock(&row);
    if (!block)
        return 0;
    const int blockId = block->GetId();
    const std::string name = ycom::WideToAnsi(block->GetName());
    std::vector<int> references;
    for (CShape* reference : block->GetReferrerList())
        references.push_back(reference->GetId());
    const std::string warning = LoadResourceTextA(IDS_WARNING, 256);

    if (references.empty()) {
        const std::string text = FormatText(IDS_DELETE_BLOCK_QUESTION, "Do you want to delete the block \"%s\"?", 0, name, false);
        const std::string caption = LoadResourceTextA(IDS_DELETE_BLOCK_CAPTION, 256);
        if (ycom::ShowMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 0;
        if (m_control->DeleteShapeByID(blockId, 1, 1) == S_OK)
            ListView_DeleteItem(m_list, row);
        return 0;
    }

    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    bool changed = false;
    if (IsEnabledFlag(block)) {
        CDeleteBlockDialog dialog(name);
        const INT_PTR answer = dialog.DoModal(m_hWnd);
        if (answer != IDC_DELETE_BLOCK_AND_REFERENCES && answer != IDC_DELETE_ONLY_REFERENCES)
            return 0;
        if (recorder)
            recorder->OpenOperation(opDelete);
        const int left = DeleteReferences(references);
        changed = left != static_cast<int>(references.size());
        if (changed)
            m_control->RequestRedraw(rfRedrawAll, nullptr);
        if (answer == IDC_DELETE_BLOCK_AND_REFERENCES) {
            if (left > 0) {
                ycom::ShowMessageBox(m_hWnd, LoadResourceTextA(IDS_BLOCK_REFERENCES_REMAIN, 256).c_str(), warning.c_str(),
                                     MB_OK | MB_ICONEXCLAMATION);
            } else if (m_control->DeleteShapeByID(blockId, 1, 1) == S_OK) {
                changed = true;
                ListView_DeleteItem(m_list, row);
            }
        } else if (left > 0) {
            const std::string text =
                FormatText(IDS_REFERENCES_LOCKED, "There are %d references locked and can't be deleted.", left, "", true);
            ycom::ShowMessageBox(m_hWnd, text.c_str(), warning.c_str(), MB_OK | MB_ICONEXCLAMATION);
        }
    } else {
        // A disabled block stays; only its enabled references may go.
        std::vector<int> enabled;
        for (int id : references)
            if (IsEnabledFlag(m_control->FindShape(id)))
                enabled.push_back(id);
        const std::string text = FormatText(IDS_DELETE_REFERENCES_QUESTION,
                                            "Do you want to delete all %d enabled references to the block \"%s\"?",
                                            static_cast<int>(enabled.size()), name, true);
        const std::string caption = LoadResourceTextA(IDS_DELETE_REFERENCES_CAPTION, 256);
        if (ycom::ShowMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return 0;
        // One operation, as the deletion with the block is: each reference's deletion alone would
        // be an undo step of its own.
        if (recorder)
            recorder->OpenOperation(opDelete);
        changed = DeleteReferences(enabled) != static_cast<int>(enabled.size());
        if (changed)
            m_control->RequestRedraw(rfRedrawAll, nullptr);
    }
    if (recorder)
        recorder->CloseOperation(changed);
    EnableEditing(true, m_control->FindShape(blockId) ? blockId : 0);
    return 0;
}
