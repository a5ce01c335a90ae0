#include "ui/CustomMessageBox.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "ui/resource.h"
#include <string>

namespace {

struct BoxRequest {
    const char* text;
    const char* caption;
    UINT style;
    const char* captions[5];
};

// The buttons a style shows, in the template's button order: Yes (OK), No, Yes to All, No to All,
// Cancel.
bool ShowsButton(UINT style, int id)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return id == IDYES || id == IDCANCEL;
    case MB_YESNO: return id == IDYES || id == IDNO;
    case MB_YESNOCANCEL: return id == IDYES || id == IDNO || id == IDCANCEL;
    case MB_OK: return id == IDYES;
    default: return id == IDYES || id == IDNO || id == IDCANCEL;
    }
}

LPCSTR IconOf(UINT style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return IDI_QUESTION;
    }
}

INT_PTR CALLBACK BoxProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const auto* request = reinterpret_cast<const BoxRequest*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        if (request->caption && *request->caption)
            SetWindowTextA(window, request->caption);
        // The edit box wants CR LF line ends.
        std::string text;
        for (const char* c = request->text ? request->text : ""; *c; ++c) {
            if (*c == '\n' && (text.empty() || text.back() != '\r'))
                text += '\r';
            text += *c;
        }
        SetDlgItemTextA(window, IDC_QUESTION_TEXT, text.c_str());
        SendDlgItemMessageA(window, IDC_QUESTION_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconA(nullptr, IconOf(request->style))), 0);
        // Caption slots: Yes (OK), No, Cancel, then the two "to all" buttons.
        const int slots[5] = {IDYES, IDNO, IDCANCEL, IDC_YES_TO_ALL, IDC_NO_TO_ALL};
        for (int i = 0; i < 5; ++i) {
            HWND button = GetDlgItem(window, slots[i]);
            const bool shown = i < 3 ? ShowsButton(request->style, slots[i]) : request->captions[i] != nullptr;
            ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
            if (slots[i] == IDYES && (request->style & MB_TYPEMASK) <= MB_OKCANCEL)
                SetWindowTextA(button, "OK");
            if (request->captions[i])
                SetWindowTextA(button, request->captions[i]);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDYES || id == IDNO || id == IDCANCEL || id == IDC_YES_TO_ALL || id == IDC_NO_TO_ALL) {
            const auto* request = reinterpret_cast<const BoxRequest*>(GetWindowLongPtrA(window, DWLP_USER));
            // The first button stands for OK in the styles without Yes.
            int result = id;
            if (id == IDYES && request && (request->style & MB_TYPEMASK) <= MB_OKCANCEL)
                result = IDOK;
            EndDialog(window, result);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE: EndDialog(window, IDCANCEL); return TRUE;
    default: return FALSE;
    }
}

} // namespace

int ShowCustomMessageBox(const char* text, const char* caption, UINT style, const char* yesText, const char* noText,
                         const char* cancelText, const char* fourthText, const char* fifthText)
{
    // A test (or a host without a user) answers through the hook, which sees the standard buttons.
    if (ycom::GetMessageBoxHandler())
        return ycom::ShowMessageBox(GetActiveWindow(), text, caption, style);
    const BoxRequest request{text, caption, style, {yesText, noText, cancelText, fourthText, fifthText}};
    return static_cast<int>(DialogBoxParamA(ycom::TheModule().ResourceInstance(), MAKEINTRESOURCEA(IDD_YES_NO_ALL),
                                            GetActiveWindow(), BoxProc, reinterpret_cast<LPARAM>(&request)));
}
