// The control's small services: OLE dates, decimals shown for a number, rotated extents scaled,
// message boxes from string resources, lists for dialogs, and the external text editor.
#include <gtest/gtest.h>
#include "tests/support/TestPaths.h"
#include <windows.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/DialogLists.h"
#include "control/ExternalEditor.h"
#include "control/ResourceMessage.h"
#include "model/Geometry.h"
#include "persistence/OleDate.h"
#include "tests/support/ControlTestSupport.h"
#include "ui/resource.h"

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new controltest::ModuleEnvironment);

// A format string of the test program's table with an argument (control_test.rc).
const UINT kTestFormatId = 60000;


struct Box {
    std::string text;
    std::string caption;
    UINT style;
};
std::vector<Box> g_boxes;
int RecordBox(HWND, const char* text, const char* caption, UINT style)
{
    g_boxes.push_back({text, caption, style});
    return IDOK;
}

} // namespace

TEST(OleDate, CalendarChecks)
{
    const struct {
        int y, m, d, h, mi, s;
        bool valid;
        double date;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, true, 0.0},
        {1900, 1, 1, 12, 0, 0, true, 2.5},
        {1899, 12, 29, 6, 0, 0, true, -1.25},  // before the epoch the time counts backwards
        {2000, 2, 29, 0, 0, 0, true, 36585.0},
        {1900, 2, 29, 0, 0, 0, false, 0},      // 1900 is no leap year
        {2100, 2, 29, 0, 0, 0, false, 0},
        {2023, 4, 31, 0, 0, 0, false, 0},
        {2023, 13, 1, 0, 0, 0, false, 0},
        {2023, 1, 0, 0, 0, 0, false, 0},
        {2023, 1, 1, 24, 0, 0, false, 0},
        {2023, 1, 1, 0, 60, 0, false, 0},
        {2023, 1, 1, 0, 0, 60, false, 0},
        {10000, 1, 1, 0, 0, 0, false, 0},
    };
    for (const auto& c : cases) {
        DATE date = -12345.0;
        EXPECT_EQ(BrokenDownToDate(c.y, c.m, c.d, c.h, c.mi, c.s, &date), c.valid) << c.y << "-" << c.m << "-" << c.d;
        if (c.valid) {
            EXPECT_DOUBLE_EQ(date, c.date) << c.y << "-" << c.m << "-" << c.d;
        }
    }
}

TEST(OleDate, BrokenDownAndBack)
{
    CBrokenDownTime t;
    ASSERT_TRUE(DateToBrokenDown(-1.25, &t));
    EXPECT_EQ(t.year, 1899);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(t.dayOfWeek, 6) << "29 December 1899 was a Friday";
    EXPECT_EQ(t.dayOfYear, 363);
    // Rounded to the nearest second.
    ASSERT_TRUE(DateToBrokenDown(36585.0 + (3600.0 + 0.6) / 86400.0, &t));
    EXPECT_EQ(t.hour, 1);
    EXPECT_EQ(t.second, 1);
    EXPECT_EQ(t.dayOfWeek, 3) << "29 February 2000 was a Tuesday";
    EXPECT_EQ(t.dayOfYear, 60);
    // Years 100 to 9999 only.
    EXPECT_TRUE(DateToBrokenDown(-657434.0, &t));
    EXPECT_EQ(t.year, 100);
    EXPECT_FALSE(DateToBrokenDown(-657435.0, &t));
    EXPECT_TRUE(DateToBrokenDown(2958465.5, &t));
    EXPECT_EQ(t.year, 9999);
    EXPECT_FALSE(DateToBrokenDown(2958466.0, &t));
    // Every few days over the range come back to the same date.
    for (double d = -657434.0; d < 2958465.0; d += 9973.37) {
        SYSTEMTIME st;
        ASSERT_TRUE(DateToSystemTime(d, &st));
        DATE back = 0;
        ASSERT_TRUE(SystemTimeToDate(st, &back));
        EXPECT_NEAR(back, d, 0.5 / 86400.0 + 1e-9) << d;
    }
    DATE now = CurrentLocalDate();
    EXPECT_GT(now, 44000.0) << "after 2020";
}

TEST(DisplayNumbers, DecimalsOfAValue)
{
    auto r8 = [](double v) {
        VARIANT x;
        x.vt = VT_R8;
        x.dblVal = v;
        return x;
    };
    const struct {
        double value;
        int decimals;
    } cases[] = {{0.05, 4}, {123.4, 0}, {5.0, 2}, {0.0, 0}, {-0.5, 3}, {12.0, 1}, {1e9, 0}, {0.0001, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(GetDisplayDecimals(r8(c.value)), c.decimals) << c.value;
    VARIANT r4;
    r4.vt = VT_R4;
    r4.fltVal = 0.05f;
    EXPECT_EQ(GetDisplayDecimals(r4), 4);
    VARIANT i4;
    i4.vt = VT_I4;
    i4.lVal = 3;
    EXPECT_EQ(GetDisplayDecimals(i4), 0);
}

TEST(Geometry, ScaleRotatedExtent)
{
    const double pi = std::acos(-1.0);
    double w = 10, h = 4, a = 0;
    ASSERT_TRUE(ScaleRotatedExtent(0.0, 2.0, 3.0, &w, &h, &a));
    EXPECT_NEAR(w, 20.0, 1e-9);
    EXPECT_NEAR(h, 12.0, 1e-9);
    EXPECT_NEAR(a, 0.0, 1e-12);
    // Turned a quarter: the width runs along y and takes the y factor.
    w = 10;
    h = 4;
    ASSERT_TRUE(ScaleRotatedExtent(pi / 2, 2.0, 3.0, &w, &h, &a));
    EXPECT_NEAR(w, 30.0, 1e-9);
    EXPECT_NEAR(h, 8.0, 1e-9);
    EXPECT_NEAR(a, pi / 2, 1e-12);
    // A mirror in x turns the angle half round.
    w = 10;
    h = 4;
    ASSERT_TRUE(ScaleRotatedExtent(0.0, -1.0, 1.0, &w, &h, &a));
    EXPECT_NEAR(a, pi, 1e-12);
    EXPECT_NEAR(w, 10.0, 1e-9);
    // Turned half round and scaled evenly: still turned half round, the sides positive and scaled
    // (also past the half turn, where the cosine is negative and the sine positive or negative).
    for (const double turn : {pi, 0.75 * pi, 1.25 * pi}) {
        w = 10;
        h = 4;
        ASSERT_TRUE(ScaleRotatedExtent(turn, 2.0, 2.0, &w, &h, &a));
        EXPECT_NEAR(std::cos(a), std::cos(turn), 1e-9) << turn;
        EXPECT_NEAR(std::sin(a), std::sin(turn), 1e-9) << turn;
        EXPECT_NEAR(w, 20.0, 1e-9) << turn;
        EXPECT_NEAR(h, 8.0, 1e-9) << turn;
    }
    // A zero side takes the other's value; both zero is refused.
    w = 0;
    h = 4;
    ASSERT_TRUE(ScaleRotatedExtent(0.0, 1.0, 1.0, &w, &h, &a));
    EXPECT_NEAR(w, 4.0, 1e-9);
    w = h = 0;
    EXPECT_FALSE(ScaleRotatedExtent(0.0, 1.0, 1.0, &w, &h, &a));
}

TEST(ResourceMessage, FormatCaptionAndIcon)
{
    ycom::MessageBoxHandler previous = ycom::SetMessageBoxHandler(&RecordBox);
    g_boxes.clear();
    // A long argument arrives whole: the text grows with it.
    const std::string name(1000, 'x');
    ShowResourceMessage(kTestFormatId, name.c_str(), 0);
    ShowResourceMessage(0, "ignored", IDS_WARNING);
    ShowResourceMessage(59999, nullptr, 59998);
    ShowMessageBox(kTestFormatId, IDS_ERROR_CAPTION);
    ycom::SetMessageBoxHandler(previous);
    ASSERT_EQ(g_boxes.size(), 4u);
    EXPECT_EQ(g_boxes[0].text, "File " + name + " could not be read (100%).");
    EXPECT_EQ(g_boxes[0].caption, "YVEXControl: Error");
    EXPECT_EQ(g_boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(g_boxes[1].text, "Unknown error.");
    EXPECT_EQ(g_boxes[1].caption, "Warning");
    EXPECT_EQ(g_boxes[1].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(g_boxes[2].text, "Unknown error.") << "a missing string";
    EXPECT_EQ(g_boxes[2].caption, "YVEXControl: Error");
    EXPECT_EQ(g_boxes[2].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(g_boxes[3].text, "File  could not be read (100%).");
    EXPECT_EQ(LoadResourceString(IDS_DEFAULT_VIEWPORT_NAME, "?"), "DEFAULT");
    EXPECT_EQ(LoadResourceString(59999, "fallback"), "fallback");
}

TEST(DialogLists, EnumMembersAndFonts)
{
    controltest::ControlRef control;
    std::vector<long> values;
    std::vector<std::string> names;
    ASSERT_EQ(GetTypeLibEnumMembers(static_cast<IYVEXControl*>(control.Get()), "ShapeTypes", &values, &names), S_OK);
    ASSERT_EQ(values.size(), 15u);
    ASSERT_EQ(names.size(), 15u);
    EXPECT_EQ(names[0], "stDummy");
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(names[14], "stHatch");
    EXPECT_EQ(values[14], 14);
    EXPECT_EQ(GetTypeLibEnumMembers(static_cast<IYVEXControl*>(control.Get()), "NoSuchEnum", &values, &names),
              TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(values.size(), 15u) << "nothing appended";
    EXPECT_EQ(GetTypeLibEnumMembers(nullptr, "Units", &values, &names), E_INVALIDARG);

    HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 0, 0, 200, 300, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    FillFontNameCombo(combo, nullptr);
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    ASSERT_GT(count, 0) << "the screen has fonts";
    FillFontNameCombo(combo, nullptr);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), count) << "no name twice";
    FillFontNameCombo(combo, "My Face");
    EXPECT_FALSE(GetWindowLongA(combo, GWL_STYLE) & CBS_SORT);
    char first[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, "My Face");
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    DestroyWindow(combo);
}

// The editor round trip: the text goes out to a program in a folder with a space, through a
// temporary folder with a space, and comes back as the program left it; no file stays behind.
TEST(ExternalEditor, RoundTripUnderPathsWithSpaces)
{
    const std::string base = WinPath("YVEX_BINARY_DIR", "tests/control");
    const std::string editorDir = base + "\\editor dir";
    const std::string tempDir = base + "\\temp dir";
    CreateDirectoryA(editorDir.c_str(), nullptr);
    CreateDirectoryA(tempDir.c_str(), nullptr);
    const std::string editor = editorDir + "\\fake editor.exe";
    ASSERT_TRUE(CopyFileA((base + "\\fake_editor.exe").c_str(), editor.c_str(), FALSE));
    char oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH);
    GetEnvironmentVariableA("TEMP", oldTemp, MAX_PATH);
    SetEnvironmentVariableA("TMP", tempDir.c_str());
    SetEnvironmentVariableA("TEMP", tempDir.c_str());

    const std::string quoted = "\"" + editor + "\"";
    const std::string rtf = "{\\rtf1 Default text}";
    std::string edited;
    const bool ok = EditTextWithExternalProgram(quoted.c_str(), rtf.data(), rtf.size(), nullptr, &edited);
    // With an owner window the caller keeps painting while it waits.
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    std::string again;
    const bool ownerOk = EditTextWithExternalProgram(quoted.c_str(), "abc", 3, owner, &again);
    DestroyWindow(owner);
    std::string none;
    const bool missing = EditTextWithExternalProgram("\"C:\\no such\\editor.exe\"", "abc", 3, nullptr, &none);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((tempDir + "\\*.*").c_str(), &found);
    int leftOver = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ++leftOver;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableA("TEMP", oldTemp[0] ? oldTemp : nullptr);

    ASSERT_TRUE(ok);
    EXPECT_EQ(edited, "{\\RTF1 DEFAULT TEXT}");
    ASSERT_TRUE(ownerOk);
    EXPECT_EQ(again, "ABC");
    EXPECT_FALSE(missing);
    EXPECT_EQ(leftOver, 0) << "the temporary files are gone";
}
