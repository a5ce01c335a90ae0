#pragma once
// CDialog: a modal dialog made from a template of the current resource module (the plug-in's,
// under its module state), with dialog data exchange: OnInitDialog fills the controls from the
// members, OK reads them back before the dialog ends.
#include <windows.h>
#include "afx/Wnd.h"

class CDataExchange
{
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
    CWnd* m_pDlgWnd;
};

// A check box (or three-state box) and an int: 0 cleared, 1 set, 2 indeterminate.
void DDX_Check(CDataExchange* exchange, int controlId, int& value);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_templateId(templateId), m_pParentWnd(parent) {}

    // IDOK or IDCANCEL (or what EndDialog was given); -1 when the template is missing or the
    // dialog cannot be made.
    virtual INT_PTR DoModal();
    // From the controls to the members (TRUE) or back; FALSE when the exchange failed.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    // Commands other than OK and Cancel; TRUE when handled.
    virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }

    UINT m_templateId;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
