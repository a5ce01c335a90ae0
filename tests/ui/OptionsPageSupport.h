#pragma once
// What the tests of the Options pages share: a control hosted in a window with its unit table and
// undo manager, the sheet opened at a page and driven from inside its loop, the pages' controls
// read and set as the user would, and the message boxes answered by a recorder.
#include <functional>
#include <string>
#include <vector>
#include "com/MessageBoxHook.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "persistence/DrawingSettingRecord.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/HostedControl.h"
#include "tests/support/WindowCapture.h"
#include "ui/OptionsSheet.h"
#include "ui/resource.h"

namespace pagetest {

// Answers every message box with `answer` and keeps their texts.
struct MessageBoxes {
    MessageBoxes() { ycom::SetMessageBoxHandler(Record); }
    ~MessageBoxes() { ycom::SetMessageBoxHandler(nullptr); }
    static int Record(HWND, const char* text, const char* caption, UINT)
    {
        Texts().push_back(std::string(caption) + ": " + text);
        return Answer();
    }
    static std::vector<std::string>& Texts()
    {
        static std::vector<std::string> texts;
        return texts;
    }
    static int& Answer()
    {
        static int answer = IDOK;
        return answer;
    }
};

class OptionsPage : public controltest::HostedControl
{
protected:
    void Prepare(CYVEXControl& c) override
    {
        ASSERT_EQ(c.LoadUnitTable(), S_OK);
        ASSERT_EQ(c.CreateUndoManager(), S_OK);
    }

    COptionsSheet* Sheet() const { return dynamic_cast<COptionsSheet*>(control->GetOptionsSheet()); }
    static HWND SheetWindow() { return DialogDriver::FindThreadWindow("#32770", "Options"); }
    HWND Page(int index) const { return Sheet() ? Sheet()->GetPageWindow(index) : nullptr; }
    HWND Item(int page, int id) const { return GetDlgItem(Page(page), id); }
    template <class T>
    T* PageObject(int index) const
    {
        return Sheet() ? dynamic_cast<T*>(Sheet()->GetPage(index)) : nullptr;
    }

    // Opens the sheet at the page; `steps` add what the user does once it shows; the last step
    // presses `button` (OK or Cancel) unless told not to.
    void RunSheet(int page, const std::function<void(DialogDriver&)>& steps, int button = PSBTN_CANCEL)
    {
        DialogDriver driver;
        driver.Then([] { return SheetWindow() != nullptr && IsWindowVisible(SheetWindow()); });
        steps(driver);
        if (button >= 0)
            driver.Do([button] { PostMessageA(SheetWindow(), PSM_PRESSBUTTON, button, 0); });
        HRESULT hr = E_FAIL;
        driver.Run([&] { hr = control->DisplayOptions(static_cast<OptionsPageIndex>(page)); });
        EXPECT_EQ(hr, S_OK);
        EXPECT_TRUE(driver.Finished()) << driver.Pending() << " steps left";
        EXPECT_FALSE(driver.TimedOut());
    }

    // The steps on the control's undo stack, and one undone.
    size_t UndoSteps() const
    {
        auto* manager = static_cast<CUndoManager*>(control->GetUndoRecorder()->GetManager());
        return manager->UndoStack().size();
    }
    HRESULT Undo() { return control->GetUndoRecorder()->GetManager()->UndoTo(nullptr); }

    static std::string Text(HWND window)
    {
        char text[512] = "";
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    static std::string ComboText(HWND combo)
    {
        const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (selected < 0)
            return std::string();
        char text[512] = "";
        SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A click as the user gives it: the button's own click, which notifies its parent.
    static void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
    // A combo box item chosen by its text, as the user's choice notifies the page.
    static void Choose(HWND combo, const char* text)
    {
        SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
        const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(combo));
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    }
    // A text typed into an edit at once (as a paste): the edit notifies its parent.
    static void Type(HWND edit, const char* text)
    {
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
};

// A page whose questions are answered Yes (and recorded) and whose test files go at the end.
class AskingPage : public OptionsPage
{
protected:
    void SetUp() override
    {
        OptionsPage::SetUp();
        MessageBoxes::Texts().clear();
        MessageBoxes::Answer() = IDYES;
    }
    void TearDown() override
    {
        OptionsPage::TearDown();
        for (const std::wstring& path : m_files)
            DeleteFileW(path.c_str());
    }
    MessageBoxes boxes;
    std::vector<std::wstring> m_files;
};

} // namespace pagetest
