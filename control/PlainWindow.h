#pragma once
// A plain child window of its own class that only paints its background: the box in the corner
// where the control's two rulers meet. The object exists without a window until Create.
#include <windows.h>

class CPlainWindow
{
public:
    CPlainWindow() = default;
    CPlainWindow(const CPlainWindow&) = delete;
    CPlainWindow& operator=(const CPlainWindow&) = delete;
    ~CPlainWindow() { Destroy(); }

    // Registers the class (once) and creates the window; false when either fails.
    bool Create(HWND parent, const RECT& rect, DWORD style);
    void Destroy();
    HWND GetHandle() const { return m_hWnd; }

    static const wchar_t* ClassName() { return L"YVEXPlainWindow"; }

private:
    HWND m_hWnd = nullptr;
};
