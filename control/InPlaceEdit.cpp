#include "control/InPlaceEdit.h"
#include <commctrl.h>
#include <richedit.h>
#include <algorithm>
#include <vector>

namespace {

// The window property that leads from an editor window to its object.
const char kObjectProperty[] = "YVEXInPlaceEdit";
// The superclasses of the system's edit and rich-edit controls.
const char kPlainClass[] = "YVEXInPlaceEditWindow";
const char kRichClass[] = "YVEXInPlaceRichEditWindow";
// Longest text measured for sizing.
constexpr int kMeasuredLength = 2048;

bool IsNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Registers the superclass of `baseClass` once; the base window procedure into *baseProc.
bool RegisterSuperclass(const char* name, const char* baseClass, WNDPROC proc, WNDPROC* baseProc)
{
    WNDCLASSEXA base = {sizeof base};
    if (!GetClassInfoExA(nullptr, baseClass, &base))
        return false;
    *baseProc = base.lpfnWndProc;
    WNDCLASSEXA own = {sizeof own};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, name, &own))
        return true;
    own = base;
    own.cbSize = sizeof own;
    own.lpszClassName = name;
    own.lpfnWndProc = proc;
    own.hInstance = instance;
    return RegisterClassExA(&own) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

DWORD CALLBACK AppendStreamOut(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done)
{
    auto* out = reinterpret_cast<std::string*>(cookie);
    out->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    *done = count;
    return 0;
}

} // namespace

// ---- CTextEditorFont ----

CTextEditorFont& CTextEditorFont::operator=(const CTextEditorFont& other)
{
    if (this != &other) {
        colour = other.colour;
        Set(nullptr, &other.m_logFont);
    }
    return *this;
}

void CTextEditorFont::Set(HFONT, const LOGFONTA* logFont)
{
    if (m_font)
        DeleteObject(m_font);
    m_font = nullptr;
    if (logFont)
        m_logFont = *logFont;
    else
        m_logFont = LOGFONTA{};
    if (m_logFont.lfHeight != 0)
        m_font = CreateFontIndirectA(&m_logFont);
}

// ---- CInPlaceEdit ----

CInPlaceEdit::CInPlaceEdit(int item, int subItem, const CTextEditorFont* font, const char* initialText,
                           bool notifyGrandparent, bool numbersOnly)
    : m_item(item), m_subItem(subItem), m_initialText(initialText ? initialText : ""),
      m_notifyGrandparent(notifyGrandparent), m_numbersOnly(numbersOnly)
{
    if (font)
        m_font = *font;
    if (numbersOnly)
        m_initialText = KeepNumberCharacters(m_initialText);
}

CInPlaceEdit::~CInPlaceEdit() { Destroy(); }

void CInPlaceEdit::Destroy()
{
    if (!m_hWnd)
        return;
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    RemovePropA(hwnd, kObjectProperty);
    // The window keeps running on the base procedure until it goes.
    if (m_baseProc)
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_baseProc));
    DestroyWindow(hwnd);
}

std::string CInPlaceEdit::KeepNumberCharacters(const std::string& text)
{
    std::string kept;
    bool point = false;
    for (char c : text) {
        if (!IsNumberCharacter(c) || (c == '.' && point))
            continue;
        point = point || c == '.';
        kept += c;
    }
    return kept;
}

bool CInPlaceEdit::Create(HWND parent, const RECT& rect, DWORD style, int controlId, bool rich)
{
    m_rich = rich;
    const char* name = rich ? kRichClass : kPlainClass;
    if (!RegisterSuperclass(name, rich ? "RICHEDIT" : "EDIT", WindowProc, &m_baseProc))
        return false;
    CreateWindowExA(0, name, "", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleA(nullptr), this);
    return m_hWnd != nullptr;
}

LRESULT CALLBACK CInPlaceEdit::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CInPlaceEdit*>(GetPropA(hwnd, kObjectProperty));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<CInPlaceEdit*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hWnd = hwnd;
        SetPropA(hwnd, kObjectProperty, self);
    }
    if (!self) {
        // The window outlived its object (or was never tied to one): the class's base behaviour.
        WNDCLASSEXA base = {sizeof base};
        char className[64] = {};
        GetClassNameA(hwnd, className, sizeof className);
        const bool rich = lstrcmpA(className, kRichClass) == 0;
        if (GetClassInfoExA(nullptr, rich ? "RICHEDIT" : "EDIT", &base))
            return CallWindowProcA(base.lpfnWndProc, hwnd, msg, wParam, lParam);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT CInPlaceEdit::CallBase(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(m_baseProc ? m_baseProc : DefWindowProcA, m_hWnd, msg, wParam, lParam);
}

LRESULT CInPlaceEdit::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        const LRESULT created = CallBase(msg, wParam, lParam);
        if (created == -1)
            return created;
        if (m_rich)
            CallBase(EM_SETTEXTMODE, TM_PLAINTEXT, 0);
        ApplyFont();
        CallBase(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_initialText.c_str()));
        ApplyCharFormat();
        SetFocus(m_hWnd);
        AutoSize();
        CallBase(EM_SETSEL, 0, -1);
        return created;
    }
    case WM_KEYDOWN:
        // Escape ends the edit with its character, not here.
        if (wParam == VK_ESCAPE)
            return 0;
        if (wParam == VK_RETURN || wParam == VK_DELETE || GetKeyState(VK_CONTROL) < 0) {
            CallBase(msg, wParam, lParam);
            return 0;
        }
        return CallBase(msg, wParam, lParam);
    case WM_CHAR: {
        const char c = static_cast<char>(wParam);
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            // Ctrl+Enter of a multi-line window is a line feed, not an end.
            m_cancelled = wParam == VK_ESCAPE;
            NotifyEnd();
            return 0;
        }
        if (wParam == '\n' && m_notifyGrandparent)
            return 0;
        if (m_numbersOnly && wParam >= 0x20) {
            if (!IsNumberCharacter(c))
                return 0;
            if (c == '.') {
                // A second point replaces the first, keeping the caret where it was.
                std::string text = GetText();
                const size_t at = text.find('.');
                if (at != std::string::npos) {
                    DWORD start = 0, end = 0;
                    CallBase(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
                    text.erase(at, 1);
                    CallBase(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                    if (start > at)
                        --start;
                    if (end > at)
                        --end;
                    CallBase(EM_SETSEL, start, end);
                }
            }
        }
        const LRESULT result = CallBase(msg, wParam, lParam);
        AutoSize();
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = CallBase(msg, wParam, lParam);
        if (m_notifyGrandparent)
            NotifyEnd();
        return result;
    }
    case WM_NCDESTROY: {
        const LRESULT result = CallBase(msg, wParam, lParam);
        RemovePropA(m_hWnd, kObjectProperty);
        m_hWnd = nullptr;
        return result;
    }
    default: return CallBase(msg, wParam, lParam);
    }
}

HFONT CInPlaceEdit::CurrentFont() const
{
    if (m_font.GetFont())
        return m_font.GetFont();
    if (HFONT own = reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)))
        return own;
    return reinterpret_cast<HFONT>(SendMessageA(GetParent(m_hWnd), WM_GETFONT, 0, 0));
}

void CInPlaceEdit::SetFont(const CTextEditorFont& font)
{
    const HFONT old = m_font.GetFont();
    const bool using_ = m_hWnd && old && reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)) == old;
    m_font = font;
    if (using_)
        ApplyFont();
}

void CInPlaceEdit::ApplyFont()
{
    if (!m_hWnd)
        return;
    HFONT font = m_font.GetFont();
    if (!font)
        font = reinterpret_cast<HFONT>(SendMessageA(GetParent(m_hWnd), WM_GETFONT, 0, 0));
    CallBase(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CInPlaceEdit::ApplyCharFormat()
{
    if (!m_hWnd || !m_rich)
        return;
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_SIZE;
    format.crTextColor = m_font.colour;
    lstrcpynA(format.szFaceName, m_font.GetLogFont().lfFaceName, LF_FACESIZE);
    // Twips from the font's pixel height on the screen.
    HDC dc = GetDC(m_hWnd);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(m_hWnd, dc);
    format.yHeight = std::abs(m_font.GetLogFont().lfHeight) * 1440 / (dpi > 0 ? dpi : 96);
    if (format.yHeight == 0)
        format.dwMask &= ~static_cast<DWORD>(CFM_SIZE);
    CallBase(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

std::string CInPlaceEdit::GetText() const
{
    if (!m_hWnd)
        return std::string();
    const int length = GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

std::string CInPlaceEdit::GetRtfText()
{
    m_rtfBuffer.clear();
    if (!m_hWnd || !m_rich)
        return m_rtfBuffer;
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&m_rtfBuffer);
    stream.pfnCallback = AppendStreamOut;
    SendMessageA(m_hWnd, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return m_rtfBuffer;
}

void CInPlaceEdit::NotifyEnd()
{
    if (!m_hWnd)
        return;
    HWND parent = GetParent(m_hWnd);
    HWND target = parent;
    int id = GetDlgCtrlID(m_hWnd);
    if (m_notifyGrandparent) {
        target = parent ? GetParent(parent) : nullptr;
        id = parent ? GetDlgCtrlID(parent) : 0;
    }
    if (!target)
        return;
    std::string text;
    if (!m_cancelled)
        text = m_rich ? GetRtfText() : GetText();
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = parent;
    info.hdr.idFrom = static_cast<UINT_PTR>(id);
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = m_item;
    info.item.iSubItem = m_subItem;
    info.item.pszText = m_cancelled ? nullptr : &text[0];
    info.item.cchTextMax = m_cancelled ? 0 : static_cast<int>(text.size());
    SendMessageA(target, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
}

void CInPlaceEdit::AutoSize()
{
    if (!m_hWnd)
        return;
    char buffer[kMeasuredLength + 1] = {};
    const int length = GetWindowTextA(m_hWnd, buffer, kMeasuredLength + 1);
    if (length <= 0)
        return;
    HWND parent = GetParent(m_hWnd);
    RECT client = {};
    GetClientRect(parent, &client);
    RECT rect = {};
    GetWindowRect(m_hWnd, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const RECT original = rect;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    // Back inside the parent first, keeping the size where it fits.
    if (rect.right > client.right)
        OffsetRect(&rect, client.right - rect.right, 0);
    if (rect.left < client.left)
        OffsetRect(&rect, client.left - rect.left, 0);
    if (rect.bottom > client.bottom)
        OffsetRect(&rect, 0, client.bottom - rect.bottom);
    if (rect.top < client.top)
        OffsetRect(&rect, 0, client.top - rect.top);

    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, CurrentFont());
    const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
    SIZE needed = {};
    if (style & ES_MULTILINE) {
        auto measure = [&](int w) {
            RECT r = {0, 0, w, 0};
            DrawTextA(dc, buffer, length, &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
            return r;
        };
        const RECT here = measure(width);
        const RECT wide = measure(client.right - client.left);
        needed.cx = std::max(here.right, wide.right);
        needed.cy = std::min(here.bottom, wide.bottom) + 5;
        // One line too many in the narrow measure means the text wraps: the wide measure counts.
        if (wide.bottom < here.bottom)
            needed.cx = wide.right;
    } else {
        GetTextExtentPoint32A(dc, buffer, length, &needed);
    }
    needed.cx += needed.cx / std::max(length, 1) + 5;
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);

    bool hScroll = false, vScroll = false;
    if (needed.cx > width) {
        rect.right = std::min<LONG>(rect.left + needed.cx, client.right - 2);
        if (rect.right - rect.left < needed.cx && !m_notifyGrandparent)
            rect.left = std::max<LONG>(rect.right - needed.cx, client.left + 2);
        hScroll = rect.right - rect.left < needed.cx;
    }
    if (needed.cy > height + 5) {
        rect.bottom = std::min<LONG>(rect.top + needed.cy, client.bottom - 2);
        if (rect.bottom - rect.top < needed.cy && !m_notifyGrandparent)
            rect.top = std::max<LONG>(rect.bottom - needed.cy, client.top + 2);
        vScroll = rect.bottom - rect.top < needed.cy;
    }
    if (hScroll && !(style & WS_HSCROLL)) {
        ShowScrollBar(m_hWnd, SB_HORZ, TRUE);
        rect.bottom = std::min<LONG>(rect.bottom + GetSystemMetrics(SM_CYHSCROLL), client.bottom - 2);
    }
    if (vScroll && !(style & WS_VSCROLL)) {
        ShowScrollBar(m_hWnd, SB_VERT, TRUE);
        rect.right = std::min<LONG>(rect.right + GetSystemMetrics(SM_CXVSCROLL), client.right - 2);
    }
    rect.right = std::min(rect.right, client.right);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (!EqualRect(&rect, &original))
        SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
