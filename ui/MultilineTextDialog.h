#pragma once
// CMultilineTextDialog: the multiline text editor (template 210). A rich-edit box holds the text;
// a small toolbar sets bold, italic, underline, strikethrough, the font and the colour of the
// selection; "&Import" reads an RTF or text file. OK takes the text as RTF or as plain text, as
// the dialog was asked. Run with the auto-close flag, it is never shown and only converts.
#include "model/TextEditorDialog.h"
#include <windows.h>
#include <string>

class CMultilineTextDialog : public CTextEditorDialog
{
public:
    CMultilineTextDialog();
    ~CMultilineTextDialog() override;
    CMultilineTextDialog(const CMultilineTextDialog&) = delete;
    CMultilineTextDialog& operator=(const CMultilineTextDialog&) = delete;

    void SetText(const char* text, int inputFormat) override;
    void SetText(const wchar_t* text, int inputFormat) override;
    void SetAutoClose(bool on) override { m_autoClose = on; }
    int Run(HWND parent, int outputFormat) override;
    const char* GetText(int* length) override;
    const wchar_t* GetTextW() override;

    // The dialog's window while it runs (null otherwise).
    HWND GetWindow() const { return m_window; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnStart(int outputFormat);
    void OnOk();
    void End(int result);
    void Import();
    void ToggleEffect(DWORD mask, DWORD effect);
    void ChooseSelectionFont();
    void ChooseSelectionColour();
    HWND Editor() const;

    HWND m_window = nullptr;
    bool m_autoClose = false;
    bool m_modal = false;
    int m_result = trFailed;
    int m_inputFormat = tfRtf;
    int m_outputFormat = tfRtf;
    // The toolbar pictures, loaded when first shown.
    HBITMAP m_bitmaps[6] = {};
    std::string m_text;
    std::wstring m_wideText;
};
