#include "afx/Wnd.h"
#include "afx/MessageBox.h"
#include "com/MessageBoxHook.h"

CString CWnd::GetWindowText() const
{
    CString text;
    const int length = m_hWnd ? ::GetWindowTextLengthA(m_hWnd) : 0;
    if (length > 0) {
        const int got = ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
        text.ReleaseBuffer(got > 0 ? got : 0);
    }
    return text;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    return ycom::ShowMessageBox(m_hWnd, text, caption ? caption : AfxGetAppName().GetString(), type);
}
