#pragma once
// CListPageBase: an Options page around an owner-drawn list (control 259) whose text cells the
// user edits in place, with its edit buttons ("&Copy To ..." 284, "D&elete" 260, and 261 that
// acts on one row). The buttons follow whether editing is allowed (the site not read-only, the
// control enabled) and which row has the focus; a derived page fills the list and takes the
// edited texts.
#include <memory>
#include "control/InPlaceEdit.h"
#include "ui/CellListView.h"
#include "ui/OptionsPage.h"

class CListPageBase : public COptionsPage
{
public:
    // Tears the open cell editor down (posted once its edit ended).
    static constexpr UINT kDestroyEditorMessage = WM_USER + 101;

    explicit CListPageBase(UINT templateId) : COptionsPage(templateId) {}
    ~CListPageBase() override;

    CCellListView& GetList() { return m_list; }
    // The cell editor while one is open.
    CInPlaceEdit* GetEditor() const { return m_editor.get(); }
    // Whether the user may change the list: the page allows editing, the control is enabled and
    // its site is not read-only.
    bool CanEdit() const;

    BEGIN_MSG_MAP(CListPageBase)
        MESSAGE_HANDLER(kDestroyEditorMessage, HandleDestroyEditor)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_ITEMCHANGED, HandleItemChanged)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_BEGINLABELEDITA, HandleBeginLabelEdit)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_ENDLABELEDITA, HandleEndLabelEdit)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    static constexpr int IDC_LIST = 259;

    // Fills the list (the page's window and control exist).
    virtual void FillList() {}
    // A cell edit ended: the text typed, or null when it was cancelled.
    virtual void OnEndCellEdit(int /*row*/, int /*column*/, const char* /*text*/) {}

    BOOL OnInitPage() override;
    void EnableButtons(bool enable);

    LRESULT HandleDestroyEditor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleItemChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleBeginLabelEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEndLabelEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    CCellListView m_list;
    std::unique_ptr<CInPlaceEdit> m_editor;
    bool m_editEnded = false;
    // The list's column defaults: the first column's width, the number of editable columns.
    int m_firstColumnWidth = 40;
    int m_editableColumns = 2;
};
