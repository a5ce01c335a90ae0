// The small dialogs as a user meets them: the site list that the site commands of a hosted control
// choose from (on the SQLite test database), the protection flags of a shape and the four-way
// question. Each runs modally and is driven from inside its loop by a hook; pictures of each land
// in <build>/artefacts.
#include <string>
#include <vector>
#include "persistence/sql/SiteSql.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/HostedControl.h"
#include "tests/support/WindowCapture.h"
#include "ui/SiteListDialog.h"
#include "ui/SmallDialogs.h"
#include "ui/resource.h"

using namespace controltest;
using hosttest::PumpMessages;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

DbTarget SqliteSites() { return {"SQLite", SqlDialect::SQLite, "YVEX_SITES", "", ""}; }

// A name no earlier run of the tests has used.
std::string UniqueName(const char* stem)
{
    static int serial = 0;
    return std::string(stem) + " " + std::to_string(GetTickCount() % 100000) + "-" + std::to_string(++serial);
}

bool Visible(HWND dialog, int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }

std::string ItemText(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Selects the list row of that name as a click would.
void SelectSite(HWND dialog, const std::string& name)
{
    HWND list = GetDlgItem(dialog, IDC_SITE_LIST);
    const LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list, LB_SETCURSEL, row, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SITE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

VARIANT FlagsWord(VARTYPE type, long value)
{
    VARIANT word;
    VariantInit(&word);
    word.vt = VT_I4;
    word.lVal = value;
    VariantChangeType(&word, &word, 0, type);
    return word;
}

// Message boxes answered from a list (then Yes), their texts kept.
class ScriptedBoxes
{
public:
    explicit ScriptedBoxes(std::vector<int> answers)
    {
        Answers() = std::move(answers);
        Texts().clear();
        m_previous = ycom::SetMessageBoxHandler(&Answer);
    }
    ~ScriptedBoxes() { ycom::SetMessageBoxHandler(m_previous); }
    static std::vector<std::string>& Texts()
    {
        static std::vector<std::string> texts;
        return texts;
    }

private:
    static std::vector<int>& Answers()
    {
        static std::vector<int> answers;
        return answers;
    }
    static int Answer(HWND, const char* text, const char*, UINT)
    {
        Texts().push_back(text);
        if (Answers().empty())
            return IDYES;
        const int answer = Answers().front();
        Answers().erase(Answers().begin());
        return answer;
    }
    ycom::MessageBoxHandler m_previous = nullptr;
};

class SiteList : public HostedControl
{
protected:
    void Prepare(CYVEXControl& c) override { c.SetDataSource(SqliteSites().dataSource); }
    void SetUp() override
    {
        HostedControl::SetUp();
        SetSiteListShower(&ShowSiteListDialog);
    }
    void TearDown() override
    {
        SetSiteListShower(nullptr);
        HostedControl::TearDown();
    }
    int NewSite(const std::string& name)
    {
        int siteId = 0;
        EXPECT_EQ(control->InsertSiteRow(name.c_str(), &siteId), S_OK) << TakeErrorInfo().description;
        return siteId;
    }
    // The dialog over the sites whose names are like `pattern`, on a statement of its own.
    int Choose(CSiteListRequest& request, const std::string& pattern, DialogCloser::Handler handler)
    {
        DbConnection db;
        EXPECT_EQ(db.Open(SqliteSites()), S_OK);
        std::string query;
        db.Format(SiteSql::ListSitesByName, query);
        request.statement = db.hstmt;
        request.query = query.c_str();
        request.parameter = pattern.c_str();
        // Tests beside this one on the shared desktop may take the activation and give it back:
        // the handler acts on the dialog's first activation only.
        DialogCloser closer([&handler](HWND dialog, int activation) {
            if (activation == 1)
                handler(dialog, activation);
        });
        const int answer = ShowSiteListDialog(m_wnd, request);
        EXPECT_FALSE(closer.TimedOut());
        return answer;
    }
};

} // namespace

// The only site of the list is taken at once, without the user; with new names allowed and no
// site listed the dialog ends at once too, with no ID.
TEST_F(SiteList, AutoAcceptTakesTheOnlySite)
{
    const std::string name = UniqueName("Only");
    const int siteId = NewSite(name);
    CSiteListRequest request;
    request.caption = "Load site";
    request.autoAccept = true;
    ASSERT_EQ(Choose(request, name, [](HWND, int) {}), IDOK);
    EXPECT_EQ(request.chosenId, siteId);
    EXPECT_EQ(request.chosenName, name);

    CSiteListRequest none;
    none.caption = "Save site";
    none.autoAccept = true;
    none.allowNewName = true;
    none.presetName = "Fresh";
    ASSERT_EQ(Choose(none, UniqueName("Nothing like it"), [](HWND, int) {}), IDOK);
    EXPECT_EQ(none.chosenId, -1);
    EXPECT_EQ(none.chosenName, "Fresh");
}

// A typed name chooses the listed site of that name whatever its case; a new name chooses none.
// Without new names the edit is hidden and OK waits for a chosen row.
TEST_F(SiteList, ATypedNameChoosesTheSiteOfThatName)
{
    const std::string stem = UniqueName("Site A");
    const int siteId = NewSite(stem);
    NewSite(stem + " second");
    std::string upper = stem;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    struct Case
    {
        std::string typed;
        int id;
    } cases[] = {{upper, siteId}, {stem + " new", -1}};
    for (const Case& c : cases) {
        CSiteListRequest request;
        request.caption = "Save site";
        request.allowNewName = true;
        bool shown = false;
        ASSERT_EQ(Choose(request, stem + "%",
                         [&](HWND dialog, int) {
                             shown = Visible(dialog, IDC_SITE_NAME) &&
                                     SendDlgItemMessageA(dialog, IDC_SITE_LIST, LB_GETCOUNT, 0, 0) == 2;
                             SetDlgItemTextA(dialog, IDC_SITE_NAME, c.typed.c_str());
                             if (c.id > 0)
                                 CaptureWindowToPng(dialog, ArtefactPath("site_list_dialog"));
                             DialogCloser::PostCommand(dialog, IDOK);
                         }),
                  IDOK);
        EXPECT_TRUE(shown);
        EXPECT_EQ(request.chosenId, c.id) << c.typed;
        EXPECT_EQ(request.chosenName, c.typed);
    }

    CSiteListRequest load;
    load.caption = "Load site";
    bool okBefore = true, okAfter = false, editShown = true;
    std::string caption;
    ASSERT_EQ(Choose(load, stem + "%",
                     [&](HWND dialog, int) {
                         char text[64] = "";
                         GetWindowTextA(dialog, text, sizeof text);
                         caption = text;
                         editShown = Visible(dialog, IDC_SITE_NAME);
                         okBefore = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                         SelectSite(dialog, stem);
                         okAfter = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
                         DialogCloser::PostCommand(dialog, IDOK);
                     }),
              IDOK);
    EXPECT_EQ(caption, "Load site");
    EXPECT_FALSE(editShown);
    EXPECT_FALSE(okBefore);
    EXPECT_TRUE(okAfter);
    EXPECT_EQ(load.chosenId, siteId);
}

// The confirmation's No keeps the dialog open; Yes ends it. Cancel ends with IDCANCEL.
TEST_F(SiteList, ConfirmationNoKeepsTheDialogOpen)
{
    const std::string name = UniqueName("Confirmed");
    const int siteId = NewSite(name);
    ScriptedBoxes boxes({IDNO});
    CSiteListRequest request;
    request.caption = "Delete site";
    request.confirmation = "Sure?";
    ASSERT_EQ(Choose(request, name,
                     [&](HWND dialog, int) {
                         SelectSite(dialog, name);
                         // No: the dialog stays for the next press.
                         SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                         DialogCloser::PostCommand(dialog, IDOK);
                     }),
              IDOK);
    EXPECT_EQ(ScriptedBoxes::Texts(), (std::vector<std::string>{"Sure?", "Sure?"}));
    EXPECT_EQ(request.chosenId, siteId);

    CSiteListRequest cancelled;
    EXPECT_EQ(Choose(cancelled, name, [](HWND dialog, int) { DialogCloser::PostCommand(dialog, IDCANCEL); }), IDCANCEL);
}

// Load(0) and Delete(0) of a hosted control choose through the site list: the chosen site is
// loaded, then (after the confirmation) deleted.
TEST_F(SiteList, SiteCommandsChooseThroughTheList)
{
    const std::string name = UniqueName("Chosen");
    const int siteId = NewSite(name);
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    const std::string otherName = UniqueName("Other");
    const int other = NewSite(otherName);
    ASSERT_GT(other, 0);
    std::string caption, target = name;
    auto choose = [&](HWND dialog, int activation) {
        if (activation != 1)
            return;
        char text[64] = "";
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        SelectSite(dialog, target);
        DialogCloser::PostCommand(dialog, IDOK);
    };
    {
        DialogCloser closer(choose);
        ASSERT_EQ(control->StartLoadSiteFromDB(0, 0), S_OK);
    }
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_EQ(caption, "Load site");
    EXPECT_EQ(control->GetSiteId(), siteId);

    // Deleting the loaded site is refused after the confirmation; the other one goes.
    ScriptedBoxes boxes({});
    {
        DialogCloser closer(choose);
        EXPECT_EQ(control->StartDeleteSiteFromDB(0), S_FALSE);
    }
    EXPECT_EQ(caption, "Delete site");
    EXPECT_EQ(ScriptedBoxes::Texts(), (std::vector<std::string>{
                                          "All the site's data will be lost! Do You want to delete the site?",
                                          "You can't delete currently loaded site!"}));
    target = otherName;
    sink.calls.clear();
    {
        DialogCloser closer(choose);
        ASSERT_EQ(control->StartDeleteSiteFromDB(0), S_OK);
    }
    ASSERT_TRUE(sink.WaitFor(cetOnEndDeleteSiteWithID));
    const EventSink::Call* begin = sink.Find(cetOnBeginDeleteSite);
    ASSERT_NE(begin, nullptr);
    EXPECT_EQ(begin->ints, std::vector<LONG>{other});
    DbConnection db;
    ASSERT_EQ(db.Open(SqliteSites()), S_OK);
    EXPECT_TRUE(QueryRows(db.hstmt, ("select siteID from v_sites where siteID = " + std::to_string(other)).c_str()).empty());
}

// The boxes show the flags word's protection bits; OK writes the boxes back (other bits kept) as
// a VT_I4, Cancel leaves the word as it was.
TEST(ProtectionFlags, BoxesShowAndSetTheFlags)
{
    CProtectionFlagsDialog dialog;
    // A short word as a host may pass it; 0x1000 has no box.
    dialog.SetFlags(FlagsWord(VT_I2, 0x1C20));
    std::vector<int> checked;
    DialogCloser closer([&](HWND window, int activation) {
        // The window may be activated again while it ends.
        if (activation != 1)
            return;
        for (int id : {IDC_PROTECT_WIDTH, IDC_PROTECT_HEIGHT, IDC_PROTECT_ASPECT, IDC_PROTECT_X, IDC_PROTECT_Y,
                       IDC_PROTECT_ROTATION, IDC_PROTECT_DELETION})
            if (IsDlgButtonChecked(window, id) == BST_CHECKED)
                checked.push_back(id);
        SendDlgItemMessageA(window, IDC_PROTECT_HEIGHT, BM_CLICK, 0, 0);
        CaptureWindowToPng(window, ArtefactPath("protection_flags_dialog"));
        DialogCloser::PostCommand(window, IDOK);
    });
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(checked, (std::vector<int>{IDC_PROTECT_WIDTH, IDC_PROTECT_ROTATION, IDC_PROTECT_DELETION}));
    EXPECT_EQ(dialog.GetFlags().vt, VT_I4);
    EXPECT_EQ(dialog.GetFlags().lVal, 0x1C60);
}

TEST(ProtectionFlags, CancelKeepsTheWord)
{
    CProtectionFlagsDialog dialog;
    dialog.SetFlags(FlagsWord(VT_I4, 0x0C20));
    DialogCloser closer([](HWND window, int activation) {
        if (activation != 1)
            return;
        SendDlgItemMessageA(window, IDC_PROTECT_X, BM_CLICK, 0, 0);
        DialogCloser::PostCommand(window, IDCANCEL);
    });
    ASSERT_EQ(dialog.Run(nullptr), IDCANCEL);
    EXPECT_EQ(dialog.GetFlags().lVal, 0x0C20);
}

// Only the buttons of the mask show, with the texts given; the fifth text goes on "&Yes"; each
// button ends the dialog with its ID.
TEST(YesNoAll, TheMaskChoosesTheButtons)
{
    const int ids[] = {IDYES, IDNO, IDC_YES_TO_ALL, IDC_NO_TO_ALL, IDCANCEL};
    struct Case
    {
        int mask;
        const char* fifth;
        int press;
        std::vector<int> shown;
        std::string yes;
    } cases[] = {
        {3, nullptr, IDNO, {IDYES, IDNO}, "&Yes"},
        {31, nullptr, IDC_YES_TO_ALL, {IDYES, IDNO, IDC_YES_TO_ALL, IDC_NO_TO_ALL, IDCANCEL}, "&Yes"},
        {13, "&Replace", IDC_NO_TO_ALL, {IDYES, IDC_YES_TO_ALL, IDC_NO_TO_ALL}, "&Replace"},
    };
    for (const Case& c : cases) {
        std::vector<int> shown;
        std::string yes, text, caption;
        DialogCloser closer([&](HWND window, int activation) {
            if (activation != 1)
                return;
            for (int id : ids)
                if (Visible(window, id))
                    shown.push_back(id);
            yes = ItemText(window, IDYES);
            text = ItemText(window, IDC_QUESTION_TEXT);
            char title[64] = "";
            GetWindowTextA(window, title, sizeof title);
            caption = title;
            if (c.mask == 31)
                CaptureWindowToPng(window, ArtefactPath("yes_no_all_dialog"));
            DialogCloser::PostCommand(window, c.press);
        });
        EXPECT_EQ(ShowYesNoAllDialog(nullptr, "Replace the image?", "Images", c.mask, nullptr, nullptr, nullptr,
                                     nullptr, c.fifth),
                  c.press);
        EXPECT_EQ(shown, c.shown) << c.mask;
        EXPECT_EQ(yes, c.yes);
        EXPECT_EQ(text, "Replace the image?");
        EXPECT_EQ(caption, "Images");
    }
}
