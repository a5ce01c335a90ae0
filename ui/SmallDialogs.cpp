#include "ui/SmallDialogs.h"
#include "com/Module.h"
#include "ui/resource.h"

namespace {

// The protection boxes and the ShapeDBFlags bits they stand for.
struct FlagBox
{
    int control;
    long bit;
};
const FlagBox kFlagBoxes[] = {
    {IDC_PROTECT_WIDTH, 0x20},     {IDC_PROTECT_HEIGHT, 0x40},    {IDC_PROTECT_ASPECT, 0x80},
    {IDC_PROTECT_X, 0x100},        {IDC_PROTECT_Y, 0x200},        {IDC_PROTECT_ROTATION, 0x400},
    {IDC_PROTECT_DELETION, 0x800},
};

} // namespace

CProtectionFlagsDialog::CProtectionFlagsDialog() { VariantInit(&m_flags); }

CProtectionFlagsDialog::~CProtectionFlagsDialog() { VariantClear(&m_flags); }

void CProtectionFlagsDialog::SetFlags(const VARIANT& flags) { VariantCopy(&m_flags, const_cast<VARIANT*>(&flags)); }

long CProtectionFlagsDialog::FlagsWord() const
{
    VARIANT word;
    VariantInit(&word);
    if (FAILED(VariantChangeType(&word, const_cast<VARIANT*>(&m_flags), 0, VT_I4)))
        return 0;
    return word.lVal;
}

int CProtectionFlagsDialog::Run(HWND owner)
{
    const INT_PTR answer = DoModal(ycom::TheModule().ResourceInstance(), IDD_PROTECTION_FLAGS, owner);
    return answer == IDOK ? IDOK : IDCANCEL;
}

LRESULT CProtectionFlagsDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    const long word = FlagsWord();
    for (const FlagBox& box : kFlagBoxes)
        CheckDlgButton(m_hWnd, box.control, (word & box.bit) ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

LRESULT CProtectionFlagsDialog::HandleOk(UINT, WPARAM, LPARAM, BOOL&)
{
    long word = FlagsWord();
    for (const FlagBox& box : kFlagBoxes) {
        if (IsDlgButtonChecked(m_hWnd, box.control) == BST_CHECKED)
            word |= box.bit;
        else
            word &= ~box.bit;
    }
    VariantClear(&m_flags);
    m_flags.vt = VT_I4;
    m_flags.lVal = word;
    EndDialog(IDOK);
    return 0;
}

LRESULT CProtectionFlagsDialog::HandleCancel(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

int CYesNoAllDialog::Run(HWND owner)
{
    const INT_PTR answer = DoModal(ycom::TheModule().ResourceInstance(), IDD_YES_NO_ALL, owner);
    return answer < 0 ? IDCANCEL : static_cast<int>(answer);
}

LRESULT CYesNoAllDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SendDlgItemMessageA(m_hWnd, IDC_QUESTION_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)), 0);
    SetDlgItemTextA(m_hWnd, IDC_QUESTION_TEXT, text.c_str());
    if (!caption.empty())
        SetWindowTextA(m_hWnd, caption.c_str());
    const struct
    {
        int id;
        int bit;
        const std::string* label;
    } buttonsTable[] = {{IDYES, kYes, &yesText},
                        {IDNO, kNo, &noText},
                        {IDC_YES_TO_ALL, kYesToAll, &yesToAllText},
                        {IDC_NO_TO_ALL, kNoToAll, &noToAllText},
                        {IDCANCEL, kCancel, nullptr}};
    for (const auto& button : buttonsTable) {
        HWND window = GetItem(button.id);
        ShowWindow(window, (buttons & button.bit) ? SW_SHOW : SW_HIDE);
        if (button.label && !button.label->empty())
            SetWindowTextA(window, button.label->c_str());
    }
    if (!fifthText.empty())
        SetDlgItemTextA(m_hWnd, IDYES, fifthText.c_str());
    return TRUE;
}

LRESULT CYesNoAllDialog::HandleCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED &&
        (id == IDYES || id == IDNO || id == IDC_YES_TO_ALL || id == IDC_NO_TO_ALL || id == IDCANCEL)) {
        EndDialog(id);
        return 0;
    }
    handled = FALSE;
    return 0;
}

LRESULT CYesNoAllDialog::HandleClose(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

int ShowYesNoAllDialog(HWND owner, const char* text, const char* caption, int buttons, const char* yesText,
                       const char* noText, const char* yesToAllText, const char* noToAllText, const char* fifthText)
{
    CYesNoAllDialog dialog;
    auto take = [](const char* from) { return std::string(from ? from : ""); };
    dialog.text = take(text);
    dialog.caption = take(caption);
    dialog.buttons = buttons;
    dialog.yesText = take(yesText);
    dialog.noText = take(noText);
    dialog.yesToAllText = take(yesToAllText);
    dialog.noToAllText = take(noToAllText);
    dialog.fifthText = take(fifthText);
    return dialog.Run(owner);
}
