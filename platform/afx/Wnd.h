#pragma once
// CWnd: a window handle with the few members the plug-ins' dialogs use. It does not own the
// window.
#include <windows.h>
#include "afx/String.h"

class CWnd
{
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }
    CString GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    // A message box owned by this window, through the platform's message-box handler.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    HWND m_hWnd = nullptr;
};

// The handle of a window that may be null.
inline HWND AfxSafeHwnd(const CWnd* window) { return window ? window->m_hWnd : nullptr; }
