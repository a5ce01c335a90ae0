#pragma once
// COptionsPage: a page of the Options sheet. The sheet makes a page object for each showing and
// binds it to the page window that the property sheet creates from the page's template; the page
// takes the control from its PROPSHEETPAGE. The base shows its template and answers the sheet's
// notifications as a page that changes nothing; the pages of their own derive from it.
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "com/MessageMap.h"
#include "com/Window.h"

class CYVEXControl;

class COptionsPage : public ycom::DialogWindow
{
public:
    explicit COptionsPage(UINT templateId) : m_templateId(templateId) {}
    ~COptionsPage() override = default;

    UINT GetTemplateId() const { return m_templateId; }
    // The control whose options the page shows (from the page's creation parameter).
    CYVEXControl* GetControl() const { return m_control; }

    // Allows or refuses the user's changes (a read-only site, a disabled control); the base keeps
    // the state.
    virtual void EnableEditing(bool enable) { m_editingEnabled = enable; }
    bool IsEditingEnabled() const { return m_editingEnabled; }

    BEGIN_MSG_MAP(COptionsPage)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        MESSAGE_HANDLER(WM_NOTIFY, HandleSheetNotify)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

protected:
    // The page's window exists and knows its control: fill the controls. The result is
    // WM_INITDIALOG's (TRUE: the dialog manager sets the focus).
    virtual BOOL OnInitPage() { return TRUE; }
    // OK pressed: take the values over. PSNRET_NOERROR, or PSNRET_INVALID_NOCHANGEPAGE to keep
    // the sheet open on this page.
    virtual LONG OnApply() { return PSNRET_NOERROR; }
    // The page is about to be left: FALSE lets it go.
    virtual BOOL OnKillActive() { return FALSE; }
    virtual void OnSetActive() {}
    virtual void OnReset() {}

    // Runs the page's template on its own as a modal dialog over `parent` (a popup with a caption
    // and a system menu, enabled: a page template is a disabled child); the result given to
    // EndDialog, -1 when the dialog could not be made. WM_INITDIALOG gets 0.
    INT_PTR RunTemplateModal(HWND parent);
    // The Yes / No question (caption "Warning", question icon) before an action on `count` items:
    // `one` for a single item (null: no question then), `many` with the count for more. Whether
    // the answer is Yes.
    bool ConfirmCount(const char* one, const char* many, size_t count) const;
    // The names joined by ", ", as the pages' reports list them.
    static std::string JoinNames(const std::vector<std::string>& names);
    // The item data of a list view's row (0 for no such row).
    static LPARAM RowData(HWND list, int row);

    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSheetNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    CYVEXControl* m_control = nullptr;
    bool m_editingEnabled = true;

private:
    UINT m_templateId;
};
