#include "control/PlainWindow.h"
#include "com/Module.h"

bool CPlainWindow::Create(HWND parent, const RECT& rect, DWORD style)
{
    if (m_hWnd && IsWindow(m_hWnd))
        return true;
    if (!ycom::TheModule().RegisterWindowClass(ClassName(), DefWindowProcW, 0,
                                               reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))))
        return false;
    m_hWnd = CreateWindowExW(0, ClassName(), L"", style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, nullptr, ycom::TheModule().Instance(), nullptr);
    return m_hWnd != nullptr;
}

void CPlainWindow::Destroy()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}
