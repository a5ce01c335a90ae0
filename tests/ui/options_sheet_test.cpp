// The Options sheet of a control hosted in a window, as a host and its user meet it: DisplayOptions
// opens the nine-page sheet at the page asked for, a second request while it shows (from an event
// sink, a key, the menu command, the reopen message) finds it open, OK applies every page that
// was shown, and once it closes nothing of it is left. The sheet runs modal: the tests drive it
// from inside its loop (DialogDriver) and close it with its own buttons.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "persistence/DrawingSettingRecord.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/HostedControl.h"
#include "tests/support/WindowCapture.h"
#include "ui/OptionsSheet.h"
#include "ui/resource.h"

using namespace controltest;

namespace {

// The test program's module with the Options sheet every control makes.
class SheetEnvironment : public ModuleEnvironment
{
public:
    void SetUp() override
    {
        ModuleEnvironment::SetUp();
        SetOptionsDialogMaker([]() -> std::unique_ptr<COptionsDialog> { return std::make_unique<COptionsSheet>(); });
    }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new SheetEnvironment);

const std::vector<std::string> kTabs = {"General", "Drawing Settings", "View ports", "Layers", "Images",
                                        "Hatches", "Blocks", "Default Shapes", "About"};

std::vector<std::string> Tabs(HWND sheet)
{
    std::vector<std::string> names;
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        names.push_back(text);
    }
    return names;
}

int CurrentTab(HWND sheet)
{
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
}

// The visible "Options" sheets of this thread.
int OpenSheets()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            char name[16] = "", caption[32] = "";
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, caption, sizeof caption);
            if (lstrcmpA(name, "#32770") == 0 && lstrcmpA(caption, "Options") == 0 && IsWindowVisible(window))
                ++*reinterpret_cast<int*>(param);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

class OptionsSheet : public HostedControl
{
protected:
    COptionsSheet* Sheet() const { return dynamic_cast<COptionsSheet*>(control->GetOptionsSheet()); }
    // The sheet's window as the user sees it (found among the thread's windows).
    static HWND SheetWindow() { return DialogDriver::FindThreadWindow("#32770", "Options"); }
    // A step that waits until the sheet shows.
    static DialogDriver::Step WaitForSheet()
    {
        return [] { return SheetWindow() != nullptr && IsWindowVisible(SheetWindow()); };
    }
    void PressButton(int button) const { PostMessageA(SheetWindow(), PSM_PRESSBUTTON, button, 0); }
    void ExpectClosed() const
    {
        ASSERT_NE(Sheet(), nullptr);
        EXPECT_EQ(Sheet()->GetWindow(), nullptr);
        EXPECT_EQ(Sheet()->GetViewportsPageWindow(), nullptr);
        EXPECT_EQ(Sheet()->GetDrawingSettingsPageWindow(), nullptr);
        EXPECT_EQ(Sheet()->GetLayersPageWindow(), nullptr);
        for (int i = 0; i < COptionsDialog::kPageCount; ++i)
            EXPECT_EQ(Sheet()->GetPage(i), nullptr) << i;
        EXPECT_EQ(OpenSheets(), 0);
    }
};

} // namespace

// The sheet has nine pages in the order of OptionsPageIndex; an index outside 0..8 opens General,
// a stored start page of 9 or more opens About. Each page shown is bound to its page object.
TEST_F(OptionsSheet, NinePagesOpenAtThePageAskedFor)
{
    ASSERT_NE(Sheet(), nullptr);
    const struct {
        int asked;
        int shown;
    } cases[] = {{OPTPAGE_DRAWINGSETTINGSDLG, 1}, {12, 0}, {-1, 0}, {OPTPAGE_ABOUT, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.asked));
        std::vector<std::string> tabs;
        int current = -1;
        HWND shownPage = nullptr, boundPage = nullptr;
        DialogDriver driver;
        driver.Then(WaitForSheet()).Do([&] {
            tabs = Tabs(SheetWindow());
            current = CurrentTab(SheetWindow());
            shownPage = reinterpret_cast<HWND>(SendMessageA(SheetWindow(), PSM_GETCURRENTPAGEHWND, 0, 0));
            boundPage = Sheet()->GetPageWindow(current);
            if (c.asked == 12) {
                EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_sheet")));
            }
            PressButton(PSBTN_CANCEL);
        });
        HRESULT hr = E_FAIL;
        driver.Run([&] { hr = control->DisplayOptions(static_cast<OptionsPageIndex>(c.asked)); });
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(tabs, kTabs);
        EXPECT_EQ(current, c.shown);
        EXPECT_NE(shownPage, nullptr);
        EXPECT_EQ(boundPage, shownPage);
        ExpectClosed();
    }

    // A stored start page beyond the last page opens About; the reopen message shows the sheet.
    Sheet()->SetStartPage(9);
    int current = -1;
    DialogDriver driver;
    driver.Then(WaitForSheet()).Do([&] {
        current = CurrentTab(SheetWindow());
        PressButton(PSBTN_CANCEL);
    });
    driver.Run([&] {
        PostMessageA(m_wnd, WM_USER + 230, 0, 0);
        hosttest::PumpMessages();
    });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(current, 8);
    ExpectClosed();

    // While a long operation runs nothing shows.
    control->SetIdle(false);
    EXPECT_EQ(control->DisplayOptions(OPTPAGE_GENERALDLG), S_FALSE);
    control->SetIdle(true);
    EXPECT_EQ(OpenSheets(), 0);
}

// While the sheet shows, a host that asks again from an event handler hears S_OK and no second
// sheet appears, nor do new pages replace the live ones; Shift+G, the menu command and the reopen
// message find it open too.
TEST_F(OptionsSheet, SecondRequestWhileShownFindsItOpen)
{
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    HRESULT fromSink = E_FAIL;
    sink.onEvent = [&](const EventSink::Call& call) {
        if (call.id == cetOnAddShape)
            fromSink = control->DisplayOptions(OPTPAGE_LAYERSDLG);
    };
    HWND first = nullptr, firstPage = nullptr;
    COptionsPage* firstObject = nullptr;
    int sheets = -1;
    bool samePages = false;
    DialogDriver driver;
    driver.Then(WaitForSheet())
        .Do([&] {
            first = SheetWindow();
            EXPECT_EQ(Sheet()->GetWindow(), first) << "the sheet keeps its window while it shows";
            firstPage = Sheet()->GetPageWindow(OPTPAGE_GENERALDLG);
            firstObject = Sheet()->GetPage(OPTPAGE_GENERALDLG);
            control->FireAddShape(7);
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            keys[VK_SHIFT] = 0x80;
            SetKeyboardState(keys);
            SendMessageA(m_wnd, WM_KEYDOWN, 'G', 0);
            keys[VK_SHIFT] = 0;
            SetKeyboardState(keys);
            control->ExecuteMenuCommand(MI_OPTIONS, 0);
            PostMessageA(m_wnd, WM_USER + 230, 0, 0);
        })
        .Do([&] {
            sheets = OpenSheets();
            samePages = SheetWindow() == first && Sheet()->GetPage(OPTPAGE_GENERALDLG) == firstObject &&
                        Sheet()->GetPageWindow(OPTPAGE_GENERALDLG) == firstPage && IsWindow(firstPage);
            PressButton(PSBTN_CANCEL);
        });
    HRESULT hr = E_FAIL;
    driver.Run([&] { hr = control->DisplayOptions(OPTPAGE_GENERALDLG); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(fromSink, S_OK);
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(samePages);
    ExpectClosed();
}

namespace {
std::map<HWND, int> g_applies;
LRESULT CALLBACK CountApplies(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_NOTIFY && sent->lParam &&
        reinterpret_cast<const NMHDR*>(sent->lParam)->code == static_cast<UINT>(PSN_APPLY))
        ++g_applies[sent->hwnd];
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

// OK applies every page that was shown, once each, and only those; the pages follow EnablePages
// (About excepted) while they exist.
TEST_F(OptionsSheet, OkAppliesEachShownPageOnce)
{
    g_applies.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountApplies, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::set<HWND> shown;
    bool enabledFollow = true;
    DialogDriver driver;
    driver.Then(WaitForSheet())
        .Do([&] {
            for (int page : {OPTPAGE_LAYERSDLG, OPTPAGE_ABOUT})
                SendMessageA(SheetWindow(), PSM_SETCURSEL, page, 0);
            // The pages made so far are those bound to a window.
            for (int page = 0; page < COptionsDialog::kPageCount; ++page)
                if (HWND window = Sheet()->GetPageWindow(page)) {
                    shown.insert(window);
                    EXPECT_EQ(window, reinterpret_cast<HWND>(SendMessageA(SheetWindow(), PSM_INDEXTOHWND, page, 0)));
                }
            Sheet()->EnablePages(false);
            for (int page = 0; page < COptionsDialog::kPageCount; ++page)
                enabledFollow &= Sheet()->GetPage(page)->IsEditingEnabled() == (page == OPTPAGE_ABOUT);
            Sheet()->EnablePages(true);
        })
        .Do([&] { PressButton(PSBTN_OK); });
    HRESULT hr = E_FAIL;
    driver.Run([&] { hr = control->DisplayOptions(OPTPAGE_GENERALDLG); });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(enabledFollow);
    EXPECT_EQ(shown.size(), 3u) << "General, Layers, About";
    std::set<HWND> applied;
    for (const auto& entry : g_applies) {
        EXPECT_EQ(entry.second, 1);
        applied.insert(entry.first);
    }
    EXPECT_EQ(applied, shown);
    ExpectClosed();
}

// A change made elsewhere while the sheet shows (F9 turns the grid of the current setting) is
// posted to the Drawing Settings page as WM_USER+100 (1, 1), once that page exists; the grid
// change itself stands.
TEST_F(OptionsSheet, ChangesElsewhereReachTheOpenPage)
{
    const int grid = control->GetCurrentDrawingSetting()->ShowGrid;
    bool postedBefore = true, postedAfter = false;
    MSG posted = {};
    DialogDriver driver;
    driver.Then(WaitForSheet())
        .Do([&] {
            // Not made yet: nothing to tell.
            SendMessageA(m_wnd, WM_KEYDOWN, VK_F9, 0);
            SendMessageA(SheetWindow(), PSM_SETCURSEL, OPTPAGE_DRAWINGSETTINGSDLG, 0);
            HWND page = Sheet()->GetDrawingSettingsPageWindow();
            MSG msg;
            postedBefore = page && PeekMessageA(&msg, page, WM_USER + 100, WM_USER + 100, PM_REMOVE);
            SendMessageA(m_wnd, WM_KEYDOWN, VK_F9, 0);
            postedAfter = page && PeekMessageA(&posted, page, WM_USER + 100, WM_USER + 100, PM_REMOVE);
        })
        .Do([&] { PressButton(PSBTN_CANCEL); });
    driver.Run([&] { control->DisplayOptions(OPTPAGE_GENERALDLG); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(postedBefore);
    ASSERT_TRUE(postedAfter);
    EXPECT_EQ(posted.wParam, 1u);
    EXPECT_EQ(posted.lParam, 1);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->ShowGrid, grid) << "turned twice";
}
