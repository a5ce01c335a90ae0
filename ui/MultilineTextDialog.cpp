#include "ui/MultilineTextDialog.h"
#include "com/WholeFile.h"
#include "com/Owners.h"
#include "ui/resource.h"
#include <commdlg.h>
#include <richedit.h>
#include <cstring>

namespace {

// The request with which a self-closing dialog confirms itself.
const UINT kAutoCloseMessage = WM_USER + 2;

// The dialog object whose window is being made on this thread (WM_INITDIALOG binds it).
thread_local CMultilineTextDialog* t_creating = nullptr;

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// The toolbar buttons and their pictures, in the same order.
const int kButtons[6] = {IDC_TEXT_BOLD, IDC_TEXT_ITALIC, IDC_TEXT_UNDERLINE,
                         IDC_TEXT_FONT, IDC_TEXT_COLOUR, IDC_TEXT_STRIKE};
const int kPictures[6] = {IDB_TEXT_BOLD, IDB_TEXT_ITALIC, IDB_TEXT_UNDERLINE,
                          IDB_TEXT_FONT, IDB_TEXT_COLOUR, IDB_TEXT_STRIKE};

struct ReadSource
{
    const std::string* text;
    size_t position;
};

DWORD CALLBACK ReadText(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done)
{
    auto* source = reinterpret_cast<ReadSource*>(cookie);
    const size_t left = source->text->size() - source->position;
    const size_t n = left < static_cast<size_t>(count) ? left : static_cast<size_t>(count);
    std::memcpy(buffer, source->text->data() + source->position, n);
    source->position += n;
    *done = static_cast<LONG>(n);
    return 0;
}

// The whole text comes out, however long: a cut would lose text and leave an RTF document
// without its closing braces.
DWORD CALLBACK WriteText(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done)
{
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    *done = count;
    return 0;
}

void StreamIn(HWND editor, const std::string& text, int format)
{
    ReadSource source{&text, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadText;
    SendMessageA(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
}


} // namespace

CMultilineTextDialog::CMultilineTextDialog() = default;

CMultilineTextDialog::~CMultilineTextDialog()
{
    for (HBITMAP& bitmap : m_bitmaps)
        if (bitmap)
            DeleteObject(bitmap);
}

void CMultilineTextDialog::SetText(const char* text, int inputFormat)
{
    m_text = text ? text : "";
    m_wideText.clear();
    m_inputFormat = inputFormat;
}

void CMultilineTextDialog::SetText(const wchar_t* text, int inputFormat)
{
    std::string narrow;
    if (text && *text) {
        const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (n > 1) {
            narrow.resize(static_cast<size_t>(n));
            WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], n, nullptr, nullptr);
            narrow.resize(static_cast<size_t>(n - 1));
        }
    }
    SetText(narrow.c_str(), inputFormat);
}

const char* CMultilineTextDialog::GetText(int* length)
{
    if (length)
        *length = static_cast<int>(m_text.size());
    return m_text.c_str();
}

const wchar_t* CMultilineTextDialog::GetTextW()
{
    if (m_text.empty())
        return nullptr;
    const int n = MultiByteToWideChar(CP_ACP, 0, m_text.c_str(), static_cast<int>(m_text.size()), nullptr, 0);
    if (n <= 0)
        return nullptr;
    m_wideText.assign(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, m_text.c_str(), static_cast<int>(m_text.size()), &m_wideText[0], n);
    return m_wideText.c_str();
}

int CMultilineTextDialog::Run(HWND parent, int outputFormat)
{
    m_result = trFailed;
    t_creating = this;
    if (m_autoClose) {
        // A converter: the window is made without being shown, confirms itself and goes.
        m_modal = false;
        HWND window = CreateDialogParamA(ThisModule(), MAKEINTRESOURCEA(IDD_MULTILINE_TEXT), nullptr, DialogProc,
                                         outputFormat);
        t_creating = nullptr;
        if (!window)
            return trFailed;
        SendMessageA(window, kAutoCloseMessage, 1, 0);
        DestroyWindow(window);
        m_window = nullptr;
        return m_result;
    }
    m_modal = true;
    const INT_PTR result =
        DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_MULTILINE_TEXT), parent, DialogProc, outputFormat);
    t_creating = nullptr;
    m_window = nullptr;
    return result == trAccepted || result == trCancelled ? static_cast<int>(result) : trFailed;
}

INT_PTR CALLBACK CMultilineTextDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMultilineTextDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = t_creating;
        t_creating = nullptr;
        if (!self)
            return FALSE;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_window = window;
    } else {
        self = reinterpret_cast<CMultilineTextDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CMultilineTextDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnStart(static_cast<int>(lParam));
        // A converter takes no focus: focus would activate the window it never shows.
        return m_autoClose ? FALSE : TRUE;
    case kAutoCloseMessage:
        if (wParam == 1 && m_autoClose) {
            m_autoClose = false;
            OnOk();
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_TEXT_OK: OnOk(); return TRUE;
        case IDCANCEL: End(trCancelled); return TRUE;
        case IDC_TEXT_IMPORT: Import(); return TRUE;
        case IDC_TEXT_BOLD: ToggleEffect(CFM_BOLD, CFE_BOLD); return TRUE;
        case IDC_TEXT_ITALIC: ToggleEffect(CFM_ITALIC, CFE_ITALIC); return TRUE;
        case IDC_TEXT_UNDERLINE: ToggleEffect(CFM_UNDERLINE, CFE_UNDERLINE); return TRUE;
        case IDC_TEXT_STRIKE: ToggleEffect(CFM_STRIKEOUT, CFE_STRIKEOUT); return TRUE;
        case IDC_TEXT_FONT: ChooseSelectionFont(); return TRUE;
        case IDC_TEXT_COLOUR: ChooseSelectionColour(); return TRUE;
        default: break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

HWND CMultilineTextDialog::Editor() const { return GetDlgItem(m_window, IDC_TEXT_EDIT); }

void CMultilineTextDialog::OnStart(int outputFormat)
{
    m_outputFormat = outputFormat;
    HWND editor = Editor();
    // The whole text in Arial at 10 points unless its own formatting says otherwise (and never
    // the rich-edit box's own bold default).
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
    format.dwEffects = CFE_AUTOCOLOR;
    format.yHeight = 200;
    lstrcpynA(format.szFaceName, "Arial", LF_FACESIZE);
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);

    for (int i = 0; i < 6; ++i) {
        HWND button = GetDlgItem(m_window, kButtons[i]);
        if (m_inputFormat == tfPlain) {
            ShowWindow(button, SW_HIDE);
            continue;
        }
        if (!m_bitmaps[i] && !m_autoClose)
            m_bitmaps[i] = LoadBitmapA(ThisModule(), MAKEINTRESOURCEA(kPictures[i]));
        if (m_bitmaps[i])
            SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bitmaps[i]));
    }
    if (!m_text.empty())
        StreamIn(editor, m_text, m_inputFormat == tfPlain ? SF_TEXT : SF_RTF);
    SendMessageA(editor, EM_SETMODIFY, FALSE, 0);
}

void CMultilineTextDialog::OnOk()
{
    std::string text;
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&text);
    stream.pfnCallback = WriteText;
    SendMessageA(Editor(), EM_STREAMOUT, m_outputFormat == tfRtf ? SF_RTFNOOBJS : SF_TEXT,
                 reinterpret_cast<LPARAM>(&stream));
    // Rich Edit may close the stream with a NUL byte: it is no character of the text.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    m_text.swap(text);
    m_wideText.clear();
    End(trAccepted);
}

void CMultilineTextDialog::End(int result)
{
    m_result = result;
    if (m_modal)
        EndDialog(m_window, result);
}

void CMultilineTextDialog::Import()
{
    char path[MAX_PATH] = "";
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_window;
    open.lpstrFilter = "RTF\0*.rtf\0Text\0*.TXT\0";
    open.nFilterIndex = 1;
    open.lpstrFile = path;
    open.nMaxFile = sizeof path;
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&open))
        return;
    std::string data;
    if (!ycom::ReadWholeFile(path, &data))
        return;
    HWND editor = Editor();
    StreamIn(editor, data, open.nFilterIndex == 1 ? SF_RTF : SF_TEXT);
    SendMessageA(editor, EM_SETMODIFY, TRUE, 0);
}

void CMultilineTextDialog::ToggleEffect(DWORD mask, DWORD effect)
{
    HWND editor = Editor();
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    // On for the whole selection unless all of it has it already.
    const bool allOn = (format.dwMask & mask) && (format.dwEffects & effect);
    format.dwMask = mask;
    format.dwEffects = allOn ? 0 : effect;
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SetFocus(editor);
}

void CMultilineTextDialog::ChooseSelectionFont()
{
    HWND editor = Editor();
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    LOGFONTA font = {};
    lstrcpynA(font.lfFaceName, format.szFaceName, LF_FACESIZE);
    {
        ycom::WindowDC dc(GetDC(editor));
        // yHeight is in twips: 20 to the point.
        font.lfHeight = -MulDiv(format.yHeight, GetDeviceCaps(dc.Get(), LOGPIXELSY), 1440);
    }
    font.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (format.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    font.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    font.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
    font.lfCharSet = format.bCharSet;
    CHOOSEFONTA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_window;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    choose.rgbColors = format.crTextColor;
    if (!ChooseFontA(&choose))
        return;
    CHARFORMATA chosen = {};
    chosen.cbSize = sizeof chosen;
    chosen.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_CHARSET;
    lstrcpynA(chosen.szFaceName, font.lfFaceName, LF_FACESIZE);
    chosen.yHeight = choose.iPointSize * 2; // tenths of a point to twips
    chosen.dwEffects = (font.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (font.lfItalic ? CFE_ITALIC : 0) |
                       (font.lfUnderline ? CFE_UNDERLINE : 0) | (font.lfStrikeOut ? CFE_STRIKEOUT : 0);
    chosen.crTextColor = choose.rgbColors;
    chosen.bCharSet = font.lfCharSet;
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&chosen));
    SetFocus(editor);
}

void CMultilineTextDialog::ChooseSelectionColour()
{
    static COLORREF custom[16] = {};
    HWND editor = Editor();
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    SendMessageA(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_window;
    choose.rgbResult = format.crTextColor;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColorA(&choose))
        return;
    CHARFORMATA chosen = {};
    chosen.cbSize = sizeof chosen;
    chosen.dwMask = CFM_COLOR;
    chosen.crTextColor = choose.rgbResult;
    SendMessageA(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&chosen));
    SetFocus(editor);
}
