#include "ui/ListPageBase.h"
#include "control/YVEXControl.h"
#include "ui/resource.h"

CListPageBase::~CListPageBase()
{
    if (m_editor)
        m_editor->Destroy();
}

bool CListPageBase::CanEdit() const
{
    return m_editingEnabled && m_control && m_control->AcceptsEdits();
}

void CListPageBase::EnableButtons(bool enable)
{
    for (int id : {IDC_PAGE_COPY, IDC_PAGE_DELETE})
        if (HWND button = GetItem(id))
            EnableWindow(button, enable ? TRUE : FALSE);
}

BOOL CListPageBase::OnInitPage()
{
    m_list.Attach(GetItem(IDC_LIST));
    const bool editable = CanEdit();
    if (editable)
        EnableButtons(true);
    FillList();
    if (!editable)
        EnableButtons(false);
    return TRUE;
}

LRESULT CListPageBase::HandleDestroyEditor(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_editor) {
        std::unique_ptr<CInPlaceEdit> editor = std::move(m_editor);
        editor->Destroy();
    }
    return 0;
}

LRESULT CListPageBase::HandleItemChanged(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    // The change also goes on to the list (reflected).
    handled = FALSE;
    if (!CanEdit()) {
        EnableButtons(false);
        return 0;
    }
    EnableButtons(true);
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED)) {
        // The first row (the current one) cannot be made current again nor deleted.
        const BOOL rowAction = change->iItem >= 1 ? TRUE : FALSE;
        for (int id : {IDC_PAGE_SET_CURRENT, IDC_PAGE_DELETE})
            if (HWND button = GetItem(id))
                EnableWindow(button, rowAction);
    }
    return 0;
}

LRESULT CListPageBase::HandleBeginLabelEdit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    if (!(info->item.mask & LVIF_TEXT) || m_editor)
        return FALSE;
    m_editor = m_list.OpenEditor(info->item.iItem, info->item.iSubItem, info->item.pszText);
    if (!m_editor)
        return FALSE;
    m_editEnded = false;
    SetFocus(m_editor->GetHandle());
    return FALSE;
}

LRESULT CListPageBase::HandleEndLabelEdit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // An edit ends once: the focus leaving after Enter or Escape says nothing new.
    if (!m_editor || m_editEnded)
        return TRUE;
    m_editEnded = true;
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    OnEndCellEdit(info->item.iItem, info->item.iSubItem, info->item.pszText);
    PostMessageA(m_hWnd, kDestroyEditorMessage, 0, 0);
    return TRUE;
}
