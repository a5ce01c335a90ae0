#pragma once
// The control's multiline text editor as the shapes see it: the text shapes edit rich text in it
// and convert between plain text and RTF with it (run hidden, it only converts). The control owns
// one (its host interface hands it out); the dialog itself sits with the other dialogs above the
// control, and the module names a maker of it at start.
#include <windows.h>
#include <memory>
#include <string>

class CTextEditorDialog
{
public:
    // Text formats: the form of the text given (input) and of the text taken (output).
    enum Format { tfPlain = 1, tfRtf = 2 };
    // Dialog results.
    enum Result { trFailed = 0, trAccepted = 1, trCancelled = 2 };

    virtual ~CTextEditorDialog() = default;

    // A copy of the text to edit or convert, plain (tfPlain) or RTF (tfRtf).
    virtual void SetText(const char* text, int inputFormat) = 0;
    virtual void SetText(const wchar_t* text, int inputFormat) = 0;
    // While set, Run shows nothing: the text is converted at once as if OK were pressed.
    virtual void SetAutoClose(bool on) = 0;
    // Runs the dialog modally over the parent window; the text is taken as RTF when the output
    // format is tfRtf, else as plain text. trAccepted when the text was taken.
    virtual int Run(HWND parent, int outputFormat) = 0;
    // The text as edited or converted, and its length; the wide form is null when there is none.
    virtual const char* GetText(int* length) = 0;
    virtual const wchar_t* GetTextW() = 0;
};

using TextEditorDialogMaker = std::unique_ptr<CTextEditorDialog> (*)();
// Named once by the module; a control made without one has no text editor.
void SetTextEditorDialogMaker(TextEditorDialogMaker maker);
std::unique_ptr<CTextEditorDialog> MakeTextEditorDialog();
