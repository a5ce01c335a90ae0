#include "ui/LayerTypePopup.h"
#include "com/Module.h"

LRESULT HandlePopupListKey(HWND owner, HWND list, const NMLVKEYDOWN* key, LPARAM cookie)
{
    if (!key)
        return 0;
    if (key->wVKey == VK_ESCAPE) {
        PostMessageA(owner, CListPopup::kResultMessage, static_cast<WPARAM>(-1), cookie);
    } else if (key->wVKey == VK_RETURN) {
        const LRESULT mark = SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0);
        if (mark != -1)
            PostMessageA(owner, CListPopup::kResultMessage, static_cast<WPARAM>(mark), cookie);
    }
    return 0;
}

namespace {

// The popups' window classes are registered once for the process; the window's own procedure is
// the default one until the popup object subclasses it.
void RegisterPopupClass(const char* name)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    HINSTANCE instance = ycom::TheModule().Instance();
    if (GetClassInfoExA(instance, name, &info))
        return;
    info = {};
    info.cbSize = sizeof info;
    info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = instance;
    info.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    info.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    info.lpszClassName = name;
    RegisterClassExA(&info);
}

} // namespace

CListPopup::CListPopup(CPickList& list, const char* windowClass) : m_list(list), m_class(windowClass) {}

CListPopup::~CListPopup() { Destroy(); }

void CListPopup::Destroy()
{
    HWND window = m_hWnd;
    if (!window)
        return;
    if (m_list.GetHandle())
        m_list.UnsubclassWindow();
    UnsubclassWindow();
    if (::IsWindow(window))
        DestroyWindow(window);
    m_listWindow = nullptr;
}

bool CListPopup::Show(HWND owner, int currentId, POINT topLeft, LPARAM cookie)
{
    Destroy();
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterPopupClass(m_class);
    m_owner = owner;
    m_cookie = cookie;
    HINSTANCE instance = ycom::TheModule().Instance();
    HWND window = CreateWindowExA(0, m_class, "", WS_POPUP | WS_BORDER, topLeft.x, topLeft.y, m_width, m_height, owner,
                                  nullptr, instance, nullptr);
    if (!window || !SubclassWindow(window)) {
        if (window)
            DestroyWindow(window);
        return false;
    }
    RECT client = {};
    GetClientRect(window, &client);
    m_listWindow = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER, 0, 0,
                                   client.right, client.bottom, window, nullptr, instance, nullptr);
    if (!m_listWindow) {
        Destroy();
        return false;
    }
    SendMessageA(m_listWindow, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    m_list.Attach(m_listWindow);
    SendMessageA(m_listWindow, CPickList::kFillMessage, static_cast<WPARAM>(currentId), cookie);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    // The focus goes to the list once the popup shows (showing activates the popup itself):
    // from then on the list losing it closes the popup.
    SetFocus(m_listWindow);
    return true;
}

void CListPopup::Report(WPARAM index)
{
    if (m_owner)
        PostMessageA(m_owner, kResultMessage, index, m_cookie);
}

LRESULT CListPopup::HandleNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->hwndFrom != m_listWindow) {
        handled = FALSE;
        return 0;
    }
    switch (header->code) {
    case NM_CLICK: {
        const int index = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
        if (index >= 0)
            Report(static_cast<WPARAM>(index));
        return 0;
    }
    case NM_KILLFOCUS: Report(static_cast<WPARAM>(-1)); return 0;
    case LVN_KEYDOWN: return HandlePopupListKey(m_owner, m_listWindow, reinterpret_cast<const NMLVKEYDOWN*>(lParam), m_cookie);
    default: handled = FALSE; return 0;
    }
}

LRESULT CListPopup::HandleSize(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    handled = FALSE;
    if (m_listWindow)
        MoveWindow(m_listWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

CLineTypePopup::CLineTypePopup() : CListPopup(m_types, "YVEXLineTypePopup") {}

CHatchTypePopup::CHatchTypePopup() : CListPopup(m_patterns, "YVEXHatchTypePopup") {}
