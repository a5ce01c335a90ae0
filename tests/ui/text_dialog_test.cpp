// The multiline text editor: a converter between plain text and RTF that never shows itself, and a
// modal editor whose OK, Cancel, toolbar and import are driven by a hook.
#include <gtest/gtest.h>
#include "DialogCloser.h"
#include "model/RtfReader.h"
#include "model/RtfText.h"
#include "ui/MultilineTextDialog.h"
#include "ui/resource.h"
#include <richedit.h>
#include <string>

namespace {

class TextDialog : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_richEdit = LoadLibraryA("RICHED32.DLL"); }
    static void TearDownTestSuite() { FreeLibrary(s_richEdit); }
    static HMODULE s_richEdit;

    // Converts without showing anything: no dialog may become active on the way.
    static std::string Convert(const std::string& text, int from, int to)
    {
        DialogCloser closer([](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDCANCEL); });
        CMultilineTextDialog dialog;
        dialog.SetText(text.c_str(), from);
        dialog.SetAutoClose(true);
        EXPECT_EQ(dialog.Run(nullptr, to), CTextEditorDialog::trAccepted);
        EXPECT_EQ(closer.Activations(), 0);
        int length = -1;
        const char* result = dialog.GetText(&length);
        EXPECT_EQ(length, static_cast<int>(strlen(result)));
        return result;
    }
};
HMODULE TextDialog::s_richEdit = nullptr;

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

} // namespace

TEST_F(TextDialog, ConvertsPlainTextToRtfAndBack)
{
    ASSERT_TRUE(s_richEdit);
    const std::string rtf = Convert("Hello\r\nWorld", CTextEditorDialog::tfPlain, CTextEditorDialog::tfRtf);
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("Hello"), std::string::npos);
    EXPECT_NE(rtf.find("Arial"), std::string::npos) << rtf;
    EXPECT_EQ(Convert(rtf, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain), "Hello\r\nWorld");
    EXPECT_EQ(Convert("{\\rtf1 {\\b bold} text\\par second}", CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain),
              "bold text\r\nsecond");
    // The parameter 0 of the DXF writer asks for plain text too.
    EXPECT_EQ(Convert("{\\rtf1 zero}", CTextEditorDialog::tfRtf, 0), "zero");
}

// A long text comes back whole: neither the text nor its RTF document is cut.
TEST_F(TextDialog, LongTextsAreNotCut)
{
    std::string text;
    for (int i = 0; text.size() < 20000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    text += "end";
    const std::string rtf = Convert(text, CTextEditorDialog::tfPlain, CTextEditorDialog::tfRtf);
    EXPECT_GT(rtf.size(), 20000u);
    EXPECT_EQ(rtf.back(), '}');
    EXPECT_EQ(Convert(rtf, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain), text);
}

TEST_F(TextDialog, WideTextIsTheNarrowTextWidened)
{
    CMultilineTextDialog dialog;
    EXPECT_EQ(dialog.GetTextW(), nullptr);
    dialog.SetText(L"caf\u00e9", CTextEditorDialog::tfPlain);
    dialog.SetAutoClose(true);
    ASSERT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfPlain), CTextEditorDialog::trAccepted);
    ASSERT_NE(dialog.GetTextW(), nullptr);
    EXPECT_STREQ(dialog.GetTextW(), L"caf\u00e9");
}

TEST_F(TextDialog, OkTakesTheTextAndCancelLeavesIt)
{
    CMultilineTextDialog dialog;
    dialog.SetText("{\\rtf1 kept}", CTextEditorDialog::tfRtf);
    {
        DialogCloser closer([](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDCANCEL); });
        EXPECT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfPlain), CTextEditorDialog::trCancelled);
        // Shown (a window may be activated again while focus settles).
        EXPECT_GE(closer.Activations(), 1);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_STREQ(dialog.GetText(nullptr), "{\\rtf1 kept}");
    {
        // The template's own OK button (not IDOK) confirms too.
        DialogCloser closer([](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDC_TEXT_OK); });
        EXPECT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfPlain), CTextEditorDialog::trAccepted);
        EXPECT_FALSE(closer.TimedOut());
    }
    EXPECT_STREQ(dialog.GetText(nullptr), "kept");
}

// The toolbar acts on the selection; its buttons carry their pictures for rich text and are
// hidden when a plain text is edited.
TEST_F(TextDialog, ToolbarSetsTheSelectionsFormat)
{
    CMultilineTextDialog dialog;
    dialog.SetText("{\\rtf1 word}", CTextEditorDialog::tfRtf);
    bool pictures = true;
    {
        DialogCloser closer([&](HWND window, int) {
            for (int id : {IDC_TEXT_BOLD, IDC_TEXT_ITALIC, IDC_TEXT_UNDERLINE, IDC_TEXT_FONT, IDC_TEXT_COLOUR,
                           IDC_TEXT_STRIKE})
                pictures = pictures && (GetWindowLongA(GetDlgItem(window, id), GWL_STYLE) & WS_VISIBLE) &&
                           SendMessageA(GetDlgItem(window, id), BM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
            SendMessageA(GetDlgItem(window, IDC_TEXT_EDIT), EM_SETSEL, 0, -1);
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEXT_BOLD, BN_CLICKED), 0);
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEXT_STRIKE, BN_CLICKED), 0);
            DialogCloser::PostCommand(window, IDOK);
        });
        ASSERT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfRtf), CTextEditorDialog::trAccepted);
    }
    EXPECT_TRUE(pictures);
    const std::string rtf = dialog.GetText(nullptr);
    EXPECT_NE(rtf.find("\\b"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\strike"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("word"), std::string::npos) << rtf;

    dialog.SetText("plain", CTextEditorDialog::tfPlain);
    bool hidden = true;
    DialogCloser closer([&](HWND window, int) {
        const auto visible = [&](int id) { return (GetWindowLongA(GetDlgItem(window, id), GWL_STYLE) & WS_VISIBLE) != 0; };
        hidden = !visible(IDC_TEXT_BOLD) && !visible(IDC_TEXT_FONT);
        DialogCloser::PostCommand(window, IDOK);
    });
    ASSERT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfRtf), CTextEditorDialog::trAccepted);
    EXPECT_TRUE(hidden);
}

// "&Import" reads the chosen file into the editor: RTF through the first filter.
TEST_F(TextDialog, ImportReadsTheChosenFile)
{
    const std::string path = TempPath("yvex_import_test.rtf");
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const char data[] = "{\\rtf1 imported {\\i text}}";
        DWORD written = 0;
        WriteFile(file, data, sizeof data - 1, &written, nullptr);
        CloseHandle(file);
    }
    CMultilineTextDialog dialog;
    dialog.SetText("{\\rtf1 before}", CTextEditorDialog::tfRtf);
    HWND editor = nullptr;
    {
        DialogCloser closer([&](HWND window, int) {
            if (GetDlgItem(window, IDC_TEXT_EDIT)) {
                // The editor: import first, confirm when it is active again.
                if (!editor) {
                    editor = window;
                    DialogCloser::PostCommand(window, IDC_TEXT_IMPORT);
                } else {
                    DialogCloser::PostCommand(window, IDOK);
                }
                return;
            }
            // The file dialog: the file name, then Open.
            SetDlgItemTextA(window, 1148, path.c_str());
            SetDlgItemTextA(window, 1152, path.c_str());
            DialogCloser::PostCommand(window, IDOK);
        });
        ASSERT_EQ(dialog.Run(nullptr, CTextEditorDialog::tfPlain), CTextEditorDialog::trAccepted);
        EXPECT_FALSE(closer.TimedOut());
    }
    DeleteFileA(path.c_str());
    EXPECT_STREQ(dialog.GetText(nullptr), "imported text");
}

// The edits the text shape makes in an RTF document keep it readable by the rich-edit box: the
// default font table and size, and a colour for a text that was plain. The colour reaches the
// text: its MTEXT form selects red before the words.
TEST_F(TextDialog, RtfEditsStayReadable)
{
    std::string normal;
    ASSERT_TRUE(NormalizeRtfText("{\\rtf1 Hi {\\b there}}", 12, &normal));
    EXPECT_EQ(Convert(normal, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain), "Hi there");

    const std::string rtf = Convert("Hello World", CTextEditorDialog::tfPlain, CTextEditorDialog::tfRtf);
    const std::string red = AddRtfTextColour(rtf, RGB(255, 0, 0));
    EXPECT_NE(red.find("\\red255\\green0\\blue0;"), std::string::npos) << red;
    EXPECT_EQ(Convert(red, CTextEditorDialog::tfRtf, CTextEditorDialog::tfPlain), "Hello World") << red;
    CRtfReader reader(1.0);
    ASSERT_EQ(reader.Parse(red.c_str()), 0) << red;
    const std::string mtext = reader.Result();
    const size_t colour = mtext.find("\\C1;");
    ASSERT_NE(colour, std::string::npos) << mtext << "\n" << red << "\nFROM\n" << rtf;
    EXPECT_LT(colour, mtext.find("Hello")) << mtext;
    // Through the box and out again, the colour stays.
    const std::string again = Convert(red, CTextEditorDialog::tfRtf, CTextEditorDialog::tfRtf);
    EXPECT_NE(again.find("\\red255\\green0\\blue0"), std::string::npos) << again;
}
