#pragma once
// The drop-down lists of the Layers page's line type and hatch type cells: a bordered popup window
// without caption holding a report-view list without header, which a pick list fills. The popup
// works without a message loop of its own and reports to its owner by a posted kResultMessage
// (wParam: the chosen entry's index, -1 for none; lParam: the cookie the owner gave, its row):
// a click on an entry, the list losing the focus (-1), and the keys Enter and Esc.
#include <windows.h>
#include <commctrl.h>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "ui/HatchPatternPickList.h"
#include "ui/LineTypePickList.h"

// The popup list key handler: Esc posts kResultMessage (-1, cookie) to the owner whatever is
// selected; Enter posts (the list's selection mark, cookie) when a row is marked. Other keys
// post nothing. The notification's result is 0.
LRESULT HandlePopupListKey(HWND owner, HWND list, const NMLVKEYDOWN* key, LPARAM cookie);

class CListPopup : public ycom::WindowObject
{
public:
    static constexpr UINT kResultMessage = WM_USER + 12;

    CListPopup(CPickList& list, const char* windowClass);
    ~CListPopup() override;

    void SetSize(int width, int height)
    {
        m_width = width;
        m_height = height;
    }
    // Opens the popup at the screen point for the current ID; `cookie` comes back in each report.
    // Returns at once; false when the window could not be made.
    bool Show(HWND owner, int currentId, POINT topLeft, LPARAM cookie);
    void Destroy();
    CPickList& GetList() { return m_list; }
    HWND GetListWindow() const { return m_listWindow; }
    LPARAM GetCookie() const { return m_cookie; }

    BEGIN_MSG_MAP(CListPopup)
        MESSAGE_HANDLER(WM_NOTIFY, HandleNotify)
        MESSAGE_HANDLER(WM_SIZE, HandleSize)
    END_MSG_MAP()

private:
    LRESULT HandleNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void Report(WPARAM index);

    CPickList& m_list;
    const char* m_class;
    HWND m_owner = nullptr;
    HWND m_listWindow = nullptr;
    LPARAM m_cookie = -1;
    int m_width = 100;
    int m_height = 200;
};

// The line type cell's drop-down: the drawing's line types.
class CLineTypePopup : public CListPopup
{
public:
    CLineTypePopup();
    CLineTypePickList& Types() { return m_types; }

private:
    CLineTypePickList m_types;
};

// The hatch type cell's drop-down: the drawing's hatch patterns.
class CHatchTypePopup : public CListPopup
{
public:
    CHatchTypePopup();
    CHatchPatternPickList& Patterns() { return m_patterns; }

private:
    CHatchPatternPickList m_patterns;
};
