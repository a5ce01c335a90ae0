#pragma once
// Two small questions: the protection flags of a shape (template 349, for the property grid) and
// the four-way question of the Options pages (template 273: Yes, No, Yes to All, No to All).
#include <oaidl.h>
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"

// One check box per ShapeDBFlags protection bit; OK rebuilds the word from the boxes (the bits
// without a box are kept) and holds it as VT_I4.
class CProtectionFlagsDialog : public ycom::DialogWindow
{
public:
    CProtectionFlagsDialog();
    ~CProtectionFlagsDialog() override;

    // The flags word shown (any integer VARIANT) and, after IDOK, the one taken.
    void SetFlags(const VARIANT& flags);
    const VARIANT& GetFlags() const { return m_flags; }
    // IDOK or IDCANCEL.
    int Run(HWND owner);

    BEGIN_MSG_MAP(CProtectionFlagsDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        MESSAGE_HANDLER(WM_CLOSE, HandleCancel)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    long FlagsWord() const;

    VARIANT m_flags;
};

class CYesNoAllDialog : public ycom::DialogWindow
{
public:
    // Button mask bits.
    enum { kYes = 1, kNo = 2, kYesToAll = 4, kNoToAll = 8, kCancel = 16 };

    std::string text;
    std::string caption;
    std::string yesText, noText, yesToAllText, noToAllText;
    // Replaces the "&Yes" text when not empty.
    std::string fifthText;
    int buttons = kYes | kNo;

    // The button pressed: IDYES, IDNO, 8 (Yes to All), 9 (No to All) or IDCANCEL.
    int Run(HWND owner);

    BEGIN_MSG_MAP(CYesNoAllDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        MESSAGE_HANDLER(WM_CLOSE, HandleClose)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
};

// The four-way question over `owner`; null texts keep the template's.
int ShowYesNoAllDialog(HWND owner, const char* text, const char* caption, int buttons, const char* yesText = nullptr,
                       const char* noText = nullptr, const char* yesToAllText = nullptr,
                       const char* noToAllText = nullptr, const char* fifthText = nullptr);
