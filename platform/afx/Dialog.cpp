#include "afx/Dialog.h"
#include "afx/ModuleState.h"

void DDX_Check(CDataExchange* exchange, int controlId, int& value)
{
    HWND dialog = AfxSafeHwnd(exchange->m_pDlgWnd);
    if (exchange->m_bSaveAndValidate)
        value = static_cast<int>(IsDlgButtonChecked(dialog, controlId));
    else
        CheckDlgButton(dialog, controlId, static_cast<UINT>(value));
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE resources = AfxGetResourceHandle();
    HRSRC found = FindResourceA(resources, MAKEINTRESOURCEA(m_templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(resources, found) : nullptr;
    const void* dialogTemplate = loaded ? LockResource(loaded) : nullptr;
    if (!dialogTemplate)
        return -1;
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : AfxSafeHwnd(AfxGetMainWnd());
    return DialogBoxIndirectParamA(resources, static_cast<LPCDLGTEMPLATEA>(dialogTemplate), owner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->m_hWnd = window;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            self->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
            return TRUE;
        }
        return self->OnCommand(wParam, lParam);
    case WM_NCDESTROY:
        self->m_hWnd = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
