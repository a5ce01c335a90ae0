#include "ui/propertygrid/PropertyGrid.h"
#include <commdlg.h>
#include <olectl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/ExternalEditor.h"
#include "control/YVEXControl.h"
#include "interchange/DibFile.h"
#include "model/Shape.h"
#include "ui/ColorPopupMenu.h"
#include "ui/MultilineTextDialog.h"
#include "ui/SmallDialogs.h"
#include "ui/VerticesDialog.h"
#include "ui/resource.h"

namespace {

const char kGridClass[] = "PropBrowseWnd_1_0";
const char kDropDownClass[] = "PropBrowseDropDown_1_0";
constexpr int kDropDownListId = 1;
// The colour bits that the parent resolves (from the layer, from the block) and the brush bit.
constexpr DWORD kResolvedBits = 0x60000000;
constexpr DWORD kBrushBit = 0x10000000;
// Longest text a double click in the edit box cycles over.
constexpr int kCycleTextLength = 127;

// Registers the grid's class once: the system list box's class under our name, so that the
// list box's own procedure runs beneath the grid object that subclasses each window.
bool RegisterGridClass()
{
    HINSTANCE instance = ycom::TheModule().Instance();
    WNDCLASSEXA own = {sizeof own};
    if (GetClassInfoExA(instance, kGridClass, &own))
        return true;
    WNDCLASSEXA base = {sizeof base};
    if (!GetClassInfoExA(nullptr, "LISTBOX", &base))
        return false;
    own = base;
    own.cbSize = sizeof own;
    own.hInstance = instance;
    own.lpszClassName = kGridClass;
    return RegisterClassExA(&own) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterDropDownClass()
{
    HINSTANCE instance = ycom::TheModule().Instance();
    WNDCLASSEXA info = {sizeof info};
    if (GetClassInfoExA(instance, kDropDownClass, &info))
        return true;
    info = {sizeof info};
    info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = instance;
    info.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    info.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    info.lpszClassName = kDropDownClass;
    return RegisterClassExA(&info) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::string Narrow(const wchar_t* text)
{
    if (!text || !*text)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

std::wstring WindowTextW(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

void SetValueVariant(CPropertyRow* row, VARIANT* value)
{
    SetRowValue(row, *value);
    VariantClear(value);
    row->modified = 1;
}

} // namespace

// ---- the button strip ----

bool CPropertyButtonStrip::Create(HWND grid)
{
    const struct { int id; const char* text; } buttons[3] = {{kPrevious, "<"}, {kNext, ">"}, {kMore, "..."}};
    for (int i = 0; i < 3; ++i) {
        m_buttons[i] = CreateWindowExA(0, "BUTTON", buttons[i].text, WS_CHILD | BS_NOTIFY, 0, 0, 10, 10, grid,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttons[i].id)),
                                       ycom::TheModule().Instance(), nullptr);
        if (!m_buttons[i])
            return false;
    }
    m_hasMore = true;
    return true;
}

void CPropertyButtonStrip::SetFont(HFONT font)
{
    for (HWND button : m_buttons)
        if (button)
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void CPropertyButtonStrip::Show(const RECT& cell)
{
    const int h = cell.bottom - cell.top;
    // "..." last, ">" before it, "<" before that, each a square of the row height.
    const int offsets[3] = {3, 2, 1};
    for (int i = 0; i < 3; ++i) {
        if (!m_buttons[i] || (i == 2 && !m_hasMore))
            continue;
        SetWindowPos(m_buttons[i], HWND_TOP, cell.right - offsets[i] * h, cell.top, h, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
}

void CPropertyButtonStrip::Hide()
{
    for (HWND button : m_buttons)
        if (button && IsWindowVisible(button))
            ShowWindow(button, SW_HIDE);
}

HWND CPropertyButtonStrip::Button(int id) const
{
    return id == kPrevious ? m_buttons[0] : id == kNext ? m_buttons[1] : id == kMore ? m_buttons[2] : nullptr;
}

void CPropertyButtonStrip::Destroy()
{
    for (HWND& button : m_buttons) {
        if (button && IsWindow(button))
            DestroyWindow(button);
        button = nullptr;
    }
}

// ---- the edit boxes ----

BOOL CPropertyEditBox::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_GETDLGCODE:
        lResult = DefaultProc(uMsg, wParam, lParam) | DLGC_WANTALLKEYS;
        return TRUE;
    case WM_KEYDOWN:
        if (m_grid.EditKey(wParam, false)) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_SYSKEYDOWN:
        if (wParam == VK_DOWN && m_grid.EditKey(wParam, true)) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_CHAR:
        // Enter and Escape end the edit through WM_KEYDOWN; their characters would only beep.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_LBUTTONDBLCLK:
        if (GetWindowTextLengthW(m_hWnd) <= kCycleTextLength)
            m_grid.Cycle(true);
        lResult = 0;
        return TRUE;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        if (m_readOnly) {
            lResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_KILLFOCUS: {
        const HWND next = reinterpret_cast<HWND>(wParam);
        const HWND list = m_grid.m_dropDown.GetList();
        const HWND popup = m_grid.m_dropDown.GetHandle();
        if (!next || (next != list && next != popup))
            m_grid.EndEdit(true);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// ---- the drop-down ----

CPropertyDropDown::~CPropertyDropDown() { Destroy(); }

bool CPropertyDropDown::Create(HWND grid)
{
    if (!RegisterDropDownClass())
        return false;
    HWND popup = CreateWindowExA(WS_EX_TOOLWINDOW, kDropDownClass, "", WS_POPUP | WS_BORDER, 0, 0, 10, 10, grid,
                                 nullptr, ycom::TheModule().Instance(), nullptr);
    if (!popup)
        return false;
    SubclassWindow(popup);
    RECT client;
    GetClientRect(popup, &client);
    m_list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0,
                             client.right, client.bottom, popup,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDropDownListId)),
                             ycom::TheModule().Instance(), nullptr);
    return m_list != nullptr;
}

void CPropertyDropDown::Destroy()
{
    HWND popup = m_hWnd;
    if (!popup)
        return;
    UnsubclassWindow();
    if (::IsWindow(popup))
        DestroyWindow(popup);
    m_list = nullptr;
}

void CPropertyDropDown::Open(HWND box, const CPropertyRow& row, const RECT& cellOnScreen)
{
    if (!m_hWnd || !m_list || row.predefinedCount <= 0)
        return;
    m_box = box;
    SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
    for (int32_t i = 0; i < row.predefinedCount; ++i)
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.predefinedNames[i] ? row.predefinedNames[i] : L""));
    const std::wstring text = WindowTextW(box);
    const LRESULT found = SendMessageW(m_list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(m_list, LB_SETCURSEL, found == LB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(found), 0);
    const int itemHeight = static_cast<int>(SendMessageA(m_list, LB_GETITEMHEIGHT, 0, 0));
    const int height = std::min(row.predefinedCount, 8) * itemHeight + 2 * GetSystemMetrics(SM_CYBORDER);
    const int width = cellOnScreen.right - cellOnScreen.left;
    const int left = std::max(0L, cellOnScreen.left);
    RECT boxRect;
    GetWindowRect(box, &boxRect);
    int top = boxRect.bottom;
    if (top + height > GetSystemMetrics(SM_CYSCREEN))
        top = boxRect.top - height;
    SetWindowPos(m_hWnd, HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RECT client;
    GetClientRect(m_hWnd, &client);
    MoveWindow(m_list, 0, 0, client.right, client.bottom, TRUE);
}

void CPropertyDropDown::Close()
{
    if (m_hWnd && IsWindowVisible(m_hWnd))
        ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CPropertyDropDown::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == kDropDownListId && HIWORD(wParam) == LBN_SELCHANGE &&
        reinterpret_cast<HWND>(lParam) == m_list) {
        const LRESULT index = SendMessageA(m_list, LB_GETCURSEL, 0, 0);
        if (index != LB_ERR && m_box) {
            const LRESULT length = SendMessageW(m_list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
            std::wstring name(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            SendMessageW(m_list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&name[0]));
            SetWindowTextW(m_box, name.c_str());
        }
        Close();
        if (m_box && IsWindowVisible(m_box))
            SetFocus(m_box);
        lResult = 0;
        return TRUE;
    }
    if (uMsg == WM_MOUSEACTIVATE) {
        lResult = MA_NOACTIVATE;
        return TRUE;
    }
    return FALSE;
}

// ---- the grid ----

CPropertyGrid::CPropertyGrid()
    : m_textColour(GetSysColor(COLOR_WINDOWTEXT)), m_windowColour(GetSysColor(COLOR_WINDOW)),
      m_highlightColour(GetSysColor(COLOR_HIGHLIGHT)), m_highlightTextColour(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_gridPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT))), m_textBoxObject(*this, false),
      m_readOnlyBoxObject(*this, true), m_dropDown(*this)
{
}

CPropertyGrid::~CPropertyGrid()
{
    Destroy();
    if (m_gridPen)
        DeleteObject(m_gridPen);
}

HWND CPropertyGrid::Create(HWND parent, const RECT& rect, UINT id)
{
    if (m_hWnd || !RegisterGridClass())
        return m_hWnd;
    m_parent = parent;
    HWND grid = CreateWindowExA(WS_EX_CLIENTEDGE, kGridClass, "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                    LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ycom::TheModule().Instance(), nullptr);
    if (!grid)
        return nullptr;
    SubclassWindow(grid);
    // The list box's own creation has run: the grid's editors come now, hidden.
    m_textBox = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, grid, nullptr,
                                ycom::TheModule().Instance(), nullptr);
    m_readOnlyBox = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL | ES_READONLY, 0, 0, 10, 10, grid, nullptr,
                                    ycom::TheModule().Instance(), nullptr);
    if (m_textBox)
        m_textBoxObject.SubclassWindow(m_textBox);
    if (m_readOnlyBox)
        m_readOnlyBoxObject.SubclassWindow(m_readOnlyBox);
    m_dropDown.Create(grid);
    m_strip.Create(grid);
    m_font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
    if (m_font) {
        SendMessageA(grid, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        for (HWND box : {m_textBox, m_readOnlyBox, m_dropDown.GetList()})
            if (box)
                SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        m_strip.SetFont(m_font);
    }
    m_nameWidth = 0;
    return grid;
}

void CPropertyGrid::Destroy()
{
    m_editRow = nullptr;
    m_dropDown.Destroy();
    if (m_textBox)
        m_textBoxObject.UnsubclassWindow();
    if (m_readOnlyBox)
        m_readOnlyBoxObject.UnsubclassWindow();
    m_textBox = m_readOnlyBox = m_activeBox = nullptr;
    m_strip.Destroy();
    HWND grid = m_hWnd;
    if (grid) {
        UnsubclassWindow();
        if (::IsWindow(grid))
            DestroyWindow(grid);
    }
    m_selected = -1;
}

LRESULT CPropertyGrid::HandleDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    // The parent went first: the grid lets its window go; the drop-down is a popup of its own.
    m_editRow = nullptr;
    m_dropDown.Destroy();
    m_textBox = m_readOnlyBox = m_activeBox = nullptr;
    handled = FALSE;
    return 0;
}

void CPropertyGrid::AddRow(CPropertyRow* row)
{
    if (!m_hWnd || !row)
        return;
    const std::string name = Narrow(row->name);
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32A(dc, name.c_str(), static_cast<int>(name.size()), &size);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    m_nameWidth = std::max(m_nameWidth, static_cast<int>(size.cx) + 4);
    const LRESULT index = SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index >= 0)
        SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(row));
}

void CPropertyGrid::RemoveAll()
{
    if (m_editRow)
        EndEdit(false);
    m_strip.Hide();
    m_selected = -1;
    if (m_hWnd)
        SendMessageA(m_hWnd, LB_RESETCONTENT, 0, 0);
}

CPropertyRow* CPropertyGrid::RowAt(int index) const
{
    if (!m_hWnd || index < 0 || index >= static_cast<int>(SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0)))
        return nullptr;
    const LRESULT data = SendMessageA(m_hWnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<CPropertyRow*>(data);
}

int CPropertyGrid::IndexOf(const CPropertyRow* row) const
{
    const int count = m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i)
        if (RowAt(i) == row)
            return i;
    return -1;
}

CPropertyRow* CPropertyGrid::GetSelectedRow() const { return RowAt(m_selected); }

int CPropertyGrid::ItemHeight() const
{
    return m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, LB_GETITEMHEIGHT, 0, 0)) : 16;
}

RECT CPropertyGrid::ValueCell(int index) const
{
    RECT item = {};
    if (m_hWnd)
        SendMessageA(m_hWnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    item.left = m_nameWidth;
    return item;
}

bool CPropertyGrid::HasButton(const CPropertyRow& row)
{
    return row.predefinedCount > 0 || (row.kind != prkText && row.kind != prkNone);
}

void CPropertyGrid::Redraw()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPropertyGrid::Apply(const CPropertyRow& row)
{
    if (m_parent)
        PostMessageA(m_parent, PGM_APPLYPROPERTY, static_cast<WPARAM>(row.dispid), 0);
}

void CPropertyGrid::SelectRow(int index)
{
    m_selected = index;
    SendMessageA(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    CPropertyRow* row = RowAt(index);
    if (row && row->kind == prkVertex)
        m_strip.Show(ValueCell(index));
    else
        m_strip.Hide();
}

void CPropertyGrid::ActOnItem(int index, int x)
{
    CPropertyRow* row = RowAt(index);
    if (!row || !row->name || !*row->name)
        return;
    SelectRow(index);
    const RECT cell = ValueCell(index);
    const int h = cell.bottom - cell.top;
    if (HasButton(*row) && row->kind != prkVertex && x >= cell.right - h) {
        PostMessageA(m_hWnd, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(row), 0);
        return;
    }
    if (x > m_nameWidth &&
        (row->kind == prkText || row->kind == prkEnum || row->kind == prkBool || row->kind == prkFlags)) {
        m_editRow = row;
        m_editRect = cell;
        m_editRect.bottom -= 1;
        PostMessageA(m_hWnd, PGM_BEGINEDIT, reinterpret_cast<WPARAM>(row), 0);
    }
    Redraw();
}

LRESULT CPropertyGrid::HandleLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const LRESULT hit = SendMessageA(m_hWnd, LB_ITEMFROMPOINT, 0, lParam);
    if (HIWORD(hit) == 0) {
        SetFocus(m_hWnd);
        ActOnItem(LOWORD(hit), static_cast<short>(LOWORD(lParam)));
    }
    return 0;
}

LRESULT CPropertyGrid::HandleLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const LRESULT hit = SendMessageA(m_hWnd, LB_ITEMFROMPOINT, 0, lParam);
    if (HIWORD(hit) != 0)
        return 0;
    CPropertyRow* row = RowAt(LOWORD(hit));
    if (!row)
        return 0;
    if (row->kind == prkFont || row->kind == prkPicture) {
        PostMessageA(m_hWnd, PGM_OPENEDITOR, reinterpret_cast<WPARAM>(row), 0);
    } else if (IsLive(*row)) {
        if (const wchar_t* next = CyclePredefinedName(*row, row->displayText, true)) {
            if (SetRowText(row, next) && row->modified)
                Apply(*row);
            Redraw();
        }
    }
    return 0;
}

LRESULT CPropertyGrid::HandleKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if ((wParam != VK_SPACE && wParam != VK_RETURN) || m_selected < 0) {
        handled = FALSE;
        return 0;
    }
    CPropertyRow* row = RowAt(m_selected);
    if (row) {
        const RECT cell = ValueCell(m_selected);
        // The key acts as a click on the button where the row has one, else on the value.
        ActOnItem(m_selected, HasButton(*row) && row->kind != prkVertex ? cell.right - 1 : cell.left + 1);
    }
    return 0;
}

LRESULT CPropertyGrid::HandleBeginEdit(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    CPropertyRow* row = reinterpret_cast<CPropertyRow*>(wParam);
    const int index = IndexOf(row);
    if (!row || index < 0 || !IsLive(*row))
        return 0;
    if (m_editRow != row) {
        m_editRow = row;
        m_editRect = ValueCell(index);
        m_editRect.bottom -= 1;
    }
    HWND box = row->kind == prkText ? m_textBox : m_readOnlyBox;
    if (!box)
        return 0;
    m_activeBox = box;
    RECT rect = m_editRect;
    if (row->predefinedCount > 0)
        rect.right -= rect.bottom + 1 - rect.top;
    SetWindowTextW(box, row->displayText ? row->displayText : L"");
    SetWindowPos(box, HWND_TOP, rect.left + 1, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
    return 0;
}

void CPropertyGrid::EndEdit(bool commit)
{
    CPropertyRow* row = m_editRow;
    HWND box = m_activeBox;
    // Cleared first: hiding the focused box moves the focus, which ends the edit again.
    m_editRow = nullptr;
    m_activeBox = nullptr;
    m_dropDown.Close();
    std::wstring text;
    if (box)
        text = WindowTextW(box);
    for (HWND each : {m_textBox, m_readOnlyBox})
        if (each && IsWindowVisible(each))
            ShowWindow(each, SW_HIDE);
    if (!commit || !row || IndexOf(row) < 0)
        return;
    if (!SetRowText(row, text.c_str()))
        PostMessageA(m_hWnd, PGM_INVALIDVALUE, 0, 0);
    else if (row->modified)
        Apply(*row);
    Redraw();
}

bool CPropertyGrid::EditKey(WPARAM key, bool alt)
{
    CPropertyRow* row = m_editRow;
    HWND box = m_activeBox;
    if (!row || !box)
        return false;
    switch (key) {
    case VK_RETURN:
        EndEdit(true);
        SetFocus(m_hWnd);
        return true;
    case VK_ESCAPE:
        EndEdit(false);
        SetFocus(m_hWnd);
        return true;
    case VK_UP:
    case VK_DOWN:
        if (alt) {
            if (row->predefinedCount > 0 && !m_dropDown.IsOpen()) {
                RECT cell = m_editRect;
                MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&cell), 2);
                m_dropDown.Open(box, *row, cell);
            }
            return true;
        }
        if (m_dropDown.IsOpen()) {
            HWND list = m_dropDown.GetList();
            const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
            if (count <= 0)
                return true;
            int at = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
            if (at < 0)
                at = key == VK_DOWN ? count - 1 : 0;
            at = key == VK_DOWN ? (at + 1) % count : (at + count - 1) % count;
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
            if (at < row->predefinedCount && row->predefinedNames[at])
                SetWindowTextW(box, row->predefinedNames[at]);
            SendMessageA(box, EM_SETSEL, 0, -1);
            return true;
        }
        if (row->kind == prkBool || row->kind == prkEnum) {
            Cycle(key == VK_DOWN);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CPropertyGrid::Cycle(bool forward)
{
    CPropertyRow* row = m_editRow;
    HWND box = m_activeBox;
    if (!row || !box)
        return;
    const std::wstring text = WindowTextW(box);
    const wchar_t* next = CyclePredefinedName(*row, text.c_str(), forward);
    if (!next)
        return;
    SetWindowTextW(box, next);
    SendMessageA(box, EM_SETSEL, 0, -1);
    if (SetRowText(row, next) && row->modified)
        Apply(*row);
    Redraw();
}

LRESULT CPropertyGrid::HandleInvalidValue(UINT, WPARAM, LPARAM, BOOL&)
{
    ycom::ShowMessageBox(m_hWnd, "Invalid property value!", "Error", MB_OK | MB_ICONHAND);
    return 0;
}

LRESULT CPropertyGrid::HandleCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const int id = LOWORD(wParam);
    HWND sender = reinterpret_cast<HWND>(lParam);
    if (HIWORD(wParam) != BN_CLICKED || !sender || sender != m_strip.Button(id)) {
        handled = FALSE;
        return 0;
    }
    CPropertyRow* row = GetSelectedRow();
    if (!row || row->kind != prkVertex || !IsLive(*row))
        return 0;
    if (id == CPropertyButtonStrip::kMore) {
        EditVertices(row);
        return 0;
    }
    VARIANT current;
    VariantInit(&current);
    LONG vertex = 0;
    if (SUCCEEDED(VariantChangeType(&current, &row->value, 0, VT_I4)))
        vertex = V_I4(&current);
    VARIANT next;
    V_VT(&next) = VT_I4;
    V_I4(&next) = id == CPropertyButtonStrip::kPrevious ? vertex - 1 : vertex + 1;
    SetRowValue(row, next);
    row->modified = 1;
    Apply(*row);
    Redraw();
    return 0;
}

void CPropertyGrid::EditVertices(CPropertyRow* row)
{
    const LRESULT shapeId = SendMessageA(m_parent, PGM_GETSINGLESHAPEID, 0, 0);
    if (shapeId == PROPERTY_NO_SINGLE_SHAPE)
        return;
    auto* control = reinterpret_cast<CYVEXControl*>(SendMessageA(m_parent, PGM_GETCONTROL, 0, 0));
    if (!control)
        return;
    const DISPID dispid = row->dispid;
    VARIANT before;
    VariantInit(&before);
    VariantCopy(&before, &row->value);
    {
        CVerticesDialog dialog(control);
        dialog.Run(control, m_parent);
    }
    // The row may be gone when the dialog's run let the window's shapes be replaced.
    row = IndexOf(row) >= 0 ? row : nullptr;
    if (row && PropertyValuesEqual(before, row->value)) {
        // The cursor stays where it was unless the dialog left the polyline with fewer vertices.
        CShape* shape = control->FindShape(static_cast<LONG>(shapeId));
        const int count = shape ? shape->GetPointCount() : 0;
        VARIANT index;
        VariantInit(&index);
        if (SUCCEEDED(VariantChangeType(&index, &row->value, 0, VT_I4)) && V_I4(&index) > count) {
            VARIANT first;
            V_VT(&first) = VT_I4;
            V_I4(&first) = 1;
            SetRowValue(row, first);
            row->modified = 1;
            SendMessageA(m_parent, PGM_APPLYPROPERTY, static_cast<WPARAM>(dispid), 0);
        }
    }
    VariantClear(&before);
    for (DISPID each = dispid; each <= dispid + 2; ++each)
        SendMessageA(m_parent, PGM_REFRESHPROPERTY, static_cast<WPARAM>(each), 0);
    SetFocus(m_hWnd);
    Redraw();
}

LRESULT CPropertyGrid::HandleOpenEditor(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    CPropertyRow* row = reinterpret_cast<CPropertyRow*>(wParam);
    const int index = IndexOf(row);
    if (!row || index < 0 || !IsLive(*row))
        return 0;
    switch (row->kind) {
    case prkText:
    case prkEnum:
    case prkBool: {
        SendMessageA(m_hWnd, PGM_BEGINEDIT, reinterpret_cast<WPARAM>(row), 0);
        if (m_activeBox && row->predefinedCount > 0) {
            RECT cell = m_editRect;
            MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&cell), 2);
            m_dropDown.Open(m_activeBox, *row, cell);
        }
        return 0;
    }
    case prkColor: EditColor(row, index); break;
    case prkFont: EditFont(row); break;
    case prkPicture: EditPicture(row); break;
    case prkLongText: EditLongText(row); break;
    case prkFlags: EditFlags(row); break;
    default: return 0;
    }
    Redraw();
    return 0;
}

COLORREF CPropertyGrid::ResolvedColour(const CPropertyRow& row) const
{
    VARIANT word;
    VariantInit(&word);
    if (V_VT(&row.value) == VT_EMPTY || V_VT(&row.value) == VT_NULL ||
        FAILED(VariantChangeType(&word, const_cast<VARIANT*>(&row.value), 0, VT_UI4)))
        return RGB(255, 255, 255);
    DWORD colour = V_UI4(&word);
    if (colour & kResolvedBits)
        return static_cast<COLORREF>(SendMessageA(m_parent, PGM_RESOLVECOLOR, colour, static_cast<LPARAM>(row.dispid & 0xFFFF)));
    COLORREF translated = 0;
    if (FAILED(OleTranslateColor(colour & ~kBrushBit, nullptr, &translated)))
        translated = colour & 0xFFFFFF;
    return translated;
}

void CPropertyGrid::EditColor(CPropertyRow* row, int index)
{
    RECT cell = ValueCell(index);
    POINT corner = {cell.left, cell.bottom};
    ClientToScreen(m_hWnd, &corner);
    VARIANT word;
    VariantInit(&word);
    const DWORD current = SUCCEEDED(VariantChangeType(&word, &row->value, 0, VT_UI4)) ? V_UI4(&word) : 0;
    const COLORREF resolved = ResolvedColour(*row);
    CColorPopupMenu popup;
    const COLORREF check = (current & CColorPopupMenu::kByLayerColour) ? current : resolved;
    if (!popup.Build(current, check, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock) ||
        !popup.Track(TPM_RETURNCMD | TPM_NONOTIFY, corner.x, corner.y, m_hWnd))
        return;
    VARIANT chosen;
    V_VT(&chosen) = VT_UI4;
    V_UI4(&chosen) = popup.GetChosenColor();
    SetValueVariant(row, &chosen);
    Apply(*row);
}

void CPropertyGrid::EditFont(CPropertyRow* row)
{
    LOGFONTA initial = {};
    ycom::ComPtr<IFont> font;
    if (V_VT(&row->value) == VT_DISPATCH && V_DISPATCH(&row->value))
        V_DISPATCH(&row->value)->QueryInterface(IID_IFont, font.PutVoid());
    if (font.Get()) {
        HFONT handle = nullptr;
        if (SUCCEEDED(font->get_hFont(&handle)) && handle)
            GetObjectA(handle, sizeof initial, &initial);
    }
    const LRESULT textColour = SendMessageA(m_parent, PGM_GETTEXTCOLOR, 1, 0);
    // The dialog writes into the LOGFONT it is given even when it is cancelled: it gets a copy.
    LOGFONTA working = initial;
    CHOOSEFONTA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_parent;
    choose.lpLogFont = &working;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    if (textColour != -1)
        choose.rgbColors = static_cast<COLORREF>(textColour);
    const COLORREF initialColour = choose.rgbColors;
    if (!ChooseFontA(&choose))
        return;
    wchar_t face[LF_FACESIZE] = L"";
    MultiByteToWideChar(CP_ACP, 0, working.lfFaceName, -1, face, LF_FACESIZE);
    FONTDESC desc = {};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = face;
    desc.cySize.int64 = static_cast<LONGLONG>(choose.iPointSize) * 1000;
    desc.sWeight = static_cast<SHORT>(working.lfWeight);
    desc.sCharset = working.lfCharSet;
    desc.fItalic = working.lfItalic != 0;
    desc.fUnderline = working.lfUnderline != 0;
    desc.fStrikethrough = working.lfStrikeOut != 0;
    IDispatch* made = nullptr;
    if (SUCCEEDED(OleCreateFontIndirect(&desc, IID_IDispatch, reinterpret_cast<void**>(&made))) && made) {
        VARIANT value;
        V_VT(&value) = VT_DISPATCH;
        V_DISPATCH(&value) = made;
        SetValueVariant(row, &value);
        Apply(*row);
    }
    if (choose.rgbColors != initialColour)
        SendMessageA(m_parent, PGM_SETPENCOLOR, 1, static_cast<LPARAM>(choose.rgbColors));
}

HRESULT CPropertyGrid::LoadPictureFile(const char* path, VARIANT* picture, const char** error)
{
    *error = nullptr;
    VariantInit(picture);
    const char* dot = path ? strrchr(path, '.') : nullptr;
    if (!dot)
        return S_FALSE;
    PICTDESC desc = {};
    desc.cbSizeofstruct = sizeof desc;
    HGDIOBJ bitmap = nullptr;
    HPALETTE palette = nullptr;
    if (_stricmp(dot + 1, "ICO") == 0) {
        HICON icon = ExtractIconA(ycom::TheModule().Instance(), path, 0);
        if (!icon || icon == reinterpret_cast<HICON>(1)) {
            *error = "Error reading icon file!";
            return E_FAIL;
        }
        desc.picType = PICTYPE_ICON;
        desc.icon.hicon = icon;
    } else if (_stricmp(dot + 1, "BMP") == 0) {
        CDibFile dib;
        wchar_t wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
        if (!dib.LoadFile(wide) || !(bitmap = dib.CreateBitmap())) {
            *error = "Error reading picture file!";
            return E_FAIL;
        }
        palette = dib.CreatePaletteCopy();
        desc.picType = PICTYPE_BITMAP;
        desc.bmp.hbitmap = static_cast<HBITMAP>(bitmap);
        desc.bmp.hpal = palette;
    } else if (_stricmp(dot + 1, "EMF") == 0) {
        HENHMETAFILE metafile = GetEnhMetaFileA(path);
        if (!metafile) {
            *error = "Error reading picture file!";
            return E_FAIL;
        }
        desc.picType = PICTYPE_ENHMETAFILE;
        desc.emf.hemf = metafile;
    } else {
        return S_FALSE;
    }
    IDispatch* made = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IDispatch, TRUE, reinterpret_cast<void**>(&made))) || !made) {
        if (desc.picType == PICTYPE_ICON)
            DestroyIcon(desc.icon.hicon);
        else if (desc.picType == PICTYPE_BITMAP)
            DeleteObject(bitmap);
        else if (desc.picType == PICTYPE_ENHMETAFILE)
            DeleteEnhMetaFile(desc.emf.hemf);
        if (palette)
            DeleteObject(palette);
        *error = "Error creating picture object!";
        return E_FAIL;
    }
    V_VT(picture) = VT_DISPATCH;
    V_DISPATCH(picture) = made;
    return S_OK;
}

void CPropertyGrid::EditPicture(CPropertyRow* row)
{
    char path[512] = "";
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_parent;
    open.lpstrFilter = "Image Files\0*.BMP;*.ICO;*.EMF\0";
    open.lpstrFile = path;
    open.nMaxFile = 511;
    open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&open))
        return;
    VARIANT picture;
    const char* error = nullptr;
    const HRESULT hr = LoadPictureFile(path, &picture, &error);
    if (error)
        ycom::ShowMessageBox(m_parent, error, "", MB_OK | MB_ICONHAND);
    if (hr != S_OK)
        return;
    SetValueVariant(row, &picture);
    Apply(*row);
}

void CPropertyGrid::EditLongText(CPropertyRow* row)
{
    const char* editor = nullptr;
    SendMessageA(m_parent, PGM_GETTEXTEDITOR, 0, reinterpret_cast<LPARAM>(&editor));
    const std::string text = Narrow(row->displayText);
    std::string edited;
    bool done = false;
    if (editor && *editor)
        done = EditTextWithExternalProgram(editor, text.c_str(), text.size(), m_parent, &edited);
    std::wstring result;
    if (done) {
        const int size = MultiByteToWideChar(CP_ACP, 0, edited.c_str(), -1, nullptr, 0);
        result.assign(static_cast<size_t>(size > 0 ? size : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, edited.c_str(), -1, &result[0], size);
        result.resize(wcslen(result.c_str()));
    } else {
        CMultilineTextDialog dialog;
        dialog.SetText(row->displayText ? row->displayText : L"", 0);
        if (dialog.Run(m_parent, 0) != IDOK)
            return;
        const wchar_t* taken = dialog.GetTextW();
        result = taken ? taken : L"";
    }
    if (SetRowText(row, result.c_str()) && row->modified)
        Apply(*row);
}

void CPropertyGrid::EditFlags(CPropertyRow* row)
{
    CProtectionFlagsDialog dialog;
    dialog.SetFlags(row->value);
    if (dialog.Run(m_parent) != IDOK)
        return;
    VARIANT chosen;
    VariantInit(&chosen);
    if (FAILED(VariantCopy(&chosen, const_cast<VARIANT*>(&dialog.GetFlags()))))
        return;
    // The flags come back as a plain integer; the row keeps the type its property has.
    if (row->valueType != VT_NULL && V_VT(&chosen) != row->valueType)
        VariantChangeType(&chosen, &chosen, 0, row->valueType);
    if (PropertyValuesEqual(chosen, row->value)) {
        VariantClear(&chosen);
        return;
    }
    SetValueVariant(row, &chosen);
    Apply(*row);
}

LRESULT CPropertyGrid::HandleResolveColor(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    // The colour popup asks for the colour of a special entry: resolved by the parent (mode 1).
    return SendMessageA(m_parent, PGM_RESOLVECOLOR, wParam, static_cast<LPARAM>((lParam & 0xFFFF) | (1 << 16)));
}

LRESULT CPropertyGrid::HandleClear(UINT, WPARAM, LPARAM, BOOL&)
{
    RemoveAll();
    char text[100] = "Nothing Selected";
    ycom::LoadResourceString(IDS_NOTHING_SELECTED, text, sizeof text);
    wchar_t wide[100] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 100);
    SysFreeString(m_placeholder.name);
    m_placeholder.name = SysAllocString(wide);
    m_placeholder.kind = prkNone;
    const std::string name = Narrow(wide);
    const LRESULT index = SendMessageA(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index >= 0)
        SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&m_placeholder));
    return 0;
}

void CPropertyGrid::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1) || !(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    const CPropertyRow* row = reinterpret_cast<const CPropertyRow*>(item.itemData);
    if (!row)
        return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    const std::string name = Narrow(row->name);
    if (row->kind == prkNone) {
        HBRUSH window = CreateSolidBrush(m_windowColour);
        FillRect(dc, &r, window);
        DeleteObject(window);
        SetTextColor(dc, m_textColour);
        RECT text = r;
        DrawTextA(dc, name.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (oldFont)
            SelectObject(dc, oldFont);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    RECT nameCell = {r.left, r.top, r.left + m_nameWidth, r.bottom};
    HBRUSH nameBrush = CreateSolidBrush(selected ? m_highlightColour : m_windowColour);
    FillRect(dc, &nameCell, nameBrush);
    DeleteObject(nameBrush);
    SetTextColor(dc, selected ? m_highlightTextColour : m_textColour);
    RECT nameText = nameCell;
    nameText.left += 2;
    DrawTextA(dc, name.c_str(), -1, &nameText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    const int h = r.bottom - r.top;
    RECT value = {r.left + m_nameWidth, r.top, r.right, r.bottom};
    const bool button = HasButton(*row) && row->kind != prkVertex;
    if (button)
        value.right -= h;
    HBRUSH window = CreateSolidBrush(m_windowColour);
    FillRect(dc, &value, window);
    RECT text = value;
    text.left += 2;
    if (row->kind == prkColor) {
        RECT swatch = {value.left + 1, value.top + 1, value.left + h - 1, value.bottom - 1};
        HBRUSH fill = CreateSolidBrush(ResolvedColour(*row));
        FillRect(dc, &swatch, fill);
        DeleteObject(fill);
        FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        text.left = swatch.right + 3;
    }
    SetTextColor(dc, !IsLive(*row) ? m_readOnlyColour : row->modified ? m_modifiedColour : m_textColour);
    const std::string shown = Narrow(row->displayText);
    DrawTextA(dc, shown.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

    HGDIOBJ oldPen = SelectObject(dc, m_gridPen);
    MoveToEx(dc, r.left + m_nameWidth, r.top, nullptr);
    LineTo(dc, r.left + m_nameWidth, r.bottom);
    MoveToEx(dc, r.left + m_nameWidth, r.bottom - 1, nullptr);
    LineTo(dc, r.right, r.bottom - 1);
    SelectObject(dc, oldPen);

    if (button) {
        RECT square = {r.right - h, r.top, r.right, r.bottom};
        if (selected && IsLive(*row)) {
            if (row->kind == prkText || row->kind == prkColor || row->kind == prkEnum || row->kind == prkBool) {
                DrawFrameControl(dc, &square, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
            } else {
                DrawFrameControl(dc, &square, DFC_BUTTON, DFCS_BUTTONPUSH);
                SetTextColor(dc, m_textColour);
                DrawTextA(dc, "...", -1, &square, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            }
        } else {
            FillRect(dc, &square, window);
        }
    }
    DeleteObject(window);
    if (oldFont)
        SelectObject(dc, oldFont);
}
