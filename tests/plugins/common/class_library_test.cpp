// The plug-ins' class library: CString as a table of cases, the string array, rectangles, a
// modal dialog from a template with a check box driven by a WH_CBT hook, message boxes through the
// replaceable handler, the module state, and comdef.h's support functions.
#include <gtest/gtest.h>
#include <windows.h>
#include <comdef.h>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>
#include "afx/DC.h"
#include "afx/Dialog.h"
#include "afx/MessageBox.h"
#include "afx/ModuleState.h"
#include "afx/Rect.h"
#include "afx/String.h"
#include "afx/StringArray.h"
#include "com/MessageBoxHook.h"
#include "tests/support/DialogCloser.h"
#include "class_library_test_ids.h"

namespace {

struct StringCase {
    const char* name;
    std::function<CString()> make;
    const char* expected;
};

// Each case builds a string through the members under test; the table checks the text.
const std::vector<StringCase>& StringCases()
{
    static const std::vector<StringCase> cases = {
        {"default is empty", [] { return CString(); }, ""},
        {"null text is empty", [] { return CString(static_cast<const char*>(nullptr)); }, ""},
        {"length-limited", [] { return CString("abcdef", 3); }, "abc"},
        {"length past the end", [] { return CString("ab", 10); }, "ab"},
        {"repeated character", [] { return CString('x', 4); }, "xxxx"},
        {"from UTF-16 through 1252", [] { return CString(L"M\u00fcller \u20ac"); }, "M\xfcller \x80"},
        {"append", [] { CString s("ab"); s += "cd"; s += 'e'; return s; }, "abcde"},
        {"append to itself", [] { CString s("ab"); s += s; s += s.GetString() + 1; return s; }, "ababbab"},
        {"concatenation", [] { return CString("a") + CString("b") + "c" + 'd'; }, "abcd"},
        {"Mid", [] { return CString("abcdef").Mid(2, 3); }, "cde"},
        {"Mid past the end", [] { return CString("abc").Mid(5); }, ""},
        {"Mid with a negative start", [] { return CString("abc").Mid(-2, 2); }, "ab"},
        {"Left beyond", [] { return CString("abc").Left(9); }, "abc"},
        {"Right", [] { return CString("abcdef").Right(2); }, "ef"},
        {"Right negative", [] { return CString("abc").Right(-1); }, ""},
        {"upper case of 1252 letters", [] { return CString("m\xfcller \xe9t\xe9").MakeUpper(); }, "M\xdcLLER \xc9T\xc9"},
        {"lower case", [] { return CString("\xc4PFEL Ab").MakeLower(); }, "\xe4pfel ab"},
        {"reverse", [] { return CString("abc").MakeReverse(); }, "cba"},
        {"trim blanks", [] { return CString(" \t a b \r\n").Trim(); }, "a b"},
        {"trim characters", [] { return CString("xxaxbxx").Trim("x"); }, "axb"},
        {"replace characters", [] { CString s("a.b.c"); s.Replace('.', '/'); return s; }, "a/b/c"},
        {"replace texts", [] { CString s("one two one"); s.Replace("one", "1"); return s; }, "1 two 1"},
        {"replace with a longer text", [] { CString s("aXa"); s.Replace("a", "abc"); return s; }, "abcXabc"},
        {"remove", [] { CString s("a-b-c"); s.Remove('-'); return s; }, "abc"},
        {"insert", [] { CString s("ac"); s.Insert(1, "b"); s.Insert(99, 'd'); return s; }, "abcd"},
        {"delete", [] { CString s("abcdef"); s.Delete(1, 2); s.Delete(3, 99); return s; }, "ade"},
        {"format", [] { CString s; s.Format("%d-%s-%.2f", 7, "x", 1.5); return s; }, "7-x-1.50"},
        {"append format", [] { CString s("n="); s.AppendFormat("%03d", 5); return s; }, "n=005"},
        {"long format", [] { CString s; s.Format("%0300d", 1); return s.Right(3); }, "001"},
        {"buffer written and released", [] {
             CString s("ab");
             char* p = s.GetBuffer(10);
             std::strcpy(p, "written");
             s.ReleaseBuffer();
             return s;
         }, "written"},
        {"buffer cut at a length", [] {
             CString s("abcdef");
             s.GetBuffer(0);
             s.ReleaseBuffer(2);
             return s;
         }, "ab"},
        {"SetAt", [] { CString s("abc"); s.SetAt(1, 'X'); s.SetAt(5, 'Y'); return s; }, "aXc"},
        {"assignment from itself", [] { CString s("abc"); s = s; return s; }, "abc"},
        {"assignment from its own tail", [] { CString s("abcdef"); s = s.GetString() + 3; return s; }, "def"},
    };
    return cases;
}

TEST(CStringTest, TableOfCases)
{
    for (const StringCase& c : StringCases()) {
        const CString s = c.make();
        EXPECT_STREQ(s.GetString(), c.expected) << c.name;
        EXPECT_EQ(s.GetLength(), static_cast<int>(std::strlen(c.expected))) << c.name;
    }
}

TEST(CStringTest, SearchesAndComparisons)
{
    const CString s("a.b.c");
    EXPECT_EQ(s.Find('.'), 1);
    EXPECT_EQ(s.Find('.', 2), 3);
    EXPECT_EQ(s.Find('x'), -1);
    EXPECT_EQ(s.Find("b.c"), 2);
    EXPECT_EQ(s.Find(".", 9), -1);
    EXPECT_EQ(s.ReverseFind('.'), 3);
    EXPECT_EQ(s.FindOneOf("cb"), 2);
    EXPECT_EQ(CString().Find('a'), -1);
    EXPECT_EQ(CString("abc").Compare("abd"), -1);
    EXPECT_EQ(CString("b").Compare("a"), 1);
    // Bytes above 127 compare above ASCII, as unsigned characters.
    EXPECT_EQ(CString("\xe9").Compare("z"), 1);
    EXPECT_EQ(CString("M\xdcLLER").CompareNoCase("m\xfcller"), 0);
    EXPECT_EQ(CString("Name").CompareNoCase("NAME"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_TRUE(CString("x") == "x");
    EXPECT_TRUE("y" != CString("x"));
    EXPECT_TRUE(CString() == "");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_EQ(CString("abc")[1], 'b');
    EXPECT_EQ(CString("abc")[7], 0);
}

TEST(CStringTest, TextLivesOnTheProcessHeap)
{
    // What a host relies on: the object is one pointer to text at the start of a process-heap
    // block, so either side frees it.
    static_assert(sizeof(CString) == sizeof(char*), "one pointer");
    CString s("hand over");
    char* text = nullptr;
    std::memcpy(&text, &s, sizeof text);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "hand over");
    EXPECT_NE(HeapSize(GetProcessHeap(), 0, text), static_cast<SIZE_T>(-1));
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, text));
    // A text made by the other side's allocator is taken over and freed here.
    char* made = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 6));
    std::strcpy(made, "other");
    CString adopted;
    std::memcpy(&adopted, &made, sizeof made);
    EXPECT_EQ(adopted.GetLength(), 5);
    adopted += " side";
    EXPECT_STREQ(adopted, "other side");
    // The empty string holds no block.
    CString empty;
    std::memcpy(&text, &empty, sizeof text);
    EXPECT_EQ(text, nullptr);
}

TEST(CStringTest, SystemStringsThroughCodePage1252)
{
    BSTR text = CString("M\xfcller \x80").AllocSysString();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text, SysStringLen(text)), L"M\u00fcller \u20ac");
    SysFreeString(text);
    // comdef.h's _bstr_t goes through the same code page.
    _bstr_t wide(L"\u00e9t\u00e9");
    EXPECT_STREQ(static_cast<const char*>(wide), "\xe9t\xe9");
    _bstr_t narrow("\xe9t\xe9");
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(narrow)), L"\u00e9t\u00e9");
}

TEST(StringArrayTest, GrowsAndShrinks)
{
    CStringArray a;
    EXPECT_EQ(a.Add("one"), 0);
    EXPECT_EQ(a.Add("three"), 1);
    a.InsertAt(1, "two");
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_STREQ(a[1], "two");
    a.InsertAt(5, "six");
    EXPECT_EQ(a.GetSize(), 6);
    EXPECT_TRUE(a[4].IsEmpty());
    a.RemoveAt(3, 2);
    EXPECT_EQ(a.GetUpperBound(), 3);
    EXPECT_STREQ(a.GetAt(3), "six");
    a.SetAt(0, "zero");
    EXPECT_STREQ(a[0], "zero");
    EXPECT_THROW(a.GetAt(9), std::out_of_range);
    a.RemoveAll();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(RectTest, SizesAndNormalising)
{
    CRect r(10, 20, 4, 2);
    EXPECT_EQ(r.Width(), -6);
    EXPECT_TRUE(r.IsRectEmpty());
    r.NormalizeRect();
    EXPECT_EQ(r, CRect(4, 2, 10, 20));
    EXPECT_EQ(r.Size(), CSize(6, 18));
    EXPECT_EQ(r.CenterPoint(), CPoint(7, 11));
    r.InflateRect(1, 2);
    EXPECT_EQ(r, CRect(3, 0, 11, 22));
    r.OffsetRect(-3, 1);
    EXPECT_EQ(r.TopLeft(), CPoint(0, 1));
    EXPECT_TRUE(r.PtInRect(CPoint(0, 1)));
    EXPECT_FALSE(r.PtInRect(CPoint(8, 5)));
    CRect both;
    EXPECT_TRUE(both.IntersectRect(CRect(0, 0, 5, 5), CRect(3, 3, 9, 9)));
    EXPECT_EQ(both, CRect(3, 3, 5, 5));
    EXPECT_FALSE(both.IntersectRect(CRect(0, 0, 1, 1), CRect(3, 3, 9, 9)));
    EXPECT_TRUE(both.IsRectNull());
    EXPECT_EQ(CSize(2, 3) + CSize(1, 1), CSize(3, 4));
}

TEST(DCTest, TemporaryObjectPerHandle)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    CDC* first = CDC::FromHandle(dc);
    EXPECT_EQ(first, CDC::FromHandle(dc));
    EXPECT_EQ(first->GetSafeHdc(), dc);
    EXPECT_EQ(CDC::FromHandle(nullptr), nullptr);
    const CSize extent = first->GetTextExtent("Text");
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    CDC::DeleteTempMap();
    // The handle is still its owner's.
    EXPECT_NE(GetDeviceCaps(dc, LOGPIXELSX), 0);
    DeleteDC(dc);
}

// The dialog of the test's own resources: one check box bound to a member.
class CheckDialog : public CDialog
{
public:
    CheckDialog() : CDialog(IDD_TEST_CHECK) {}
    int m_checked = 0;
    int m_seenAtStart = -1;

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CDialog::OnInitDialog();
        m_seenAtStart = static_cast<int>(IsDlgButtonChecked(m_hWnd, IDC_TEST_CHECK));
        return result;
    }
    void DoDataExchange(CDataExchange* exchange) override { DDX_Check(exchange, IDC_TEST_CHECK, m_checked); }
};

// Runs the dialog while the hook sets the box as given and presses the button.
INT_PTR RunCheckDialog(CheckDialog& dialog, UINT check, int button)
{
    DialogCloser closer([&](HWND window, int) {
        SendDlgItemMessageA(window, IDC_TEST_CHECK, BM_SETCHECK, check, 0);
        DialogCloser::PostCommand(window, button);
    });
    const INT_PTR result = dialog.DoModal();
    EXPECT_FALSE(closer.TimedOut());
    return result;
}

TEST(DialogTest, CheckBoxExchangedWithTheMember)
{
    struct Case {
        const char* name;
        int before;
        UINT check;
        int button;
        INT_PTR result;
        int after;
    };
    const Case cases[] = {
        {"box set", 0, BST_CHECKED, IDOK, IDOK, 1},
        {"box cleared", 1, BST_UNCHECKED, IDOK, IDOK, 0},
        {"cancel keeps the member", 0, BST_CHECKED, IDCANCEL, IDCANCEL, 0},
    };
    for (const Case& c : cases) {
        CheckDialog dialog;
        dialog.m_checked = c.before;
        EXPECT_EQ(RunCheckDialog(dialog, c.check, c.button), c.result) << c.name;
        EXPECT_EQ(dialog.m_seenAtStart, c.before) << c.name << ": the box shows the member at the start";
        EXPECT_EQ(dialog.m_checked, c.after) << c.name;
        EXPECT_EQ(dialog.m_hWnd, nullptr) << c.name;
    }
}

TEST(DialogTest, TemplatesComeFromTheCurrentResourceModule)
{
    // Under a module state whose resources lack the template, nothing opens.
    AFX_MODULE_STATE elsewhere;
    elsewhere.m_hCurrentInstanceHandle = elsewhere.m_hCurrentResourceHandle = GetModuleHandleA("kernel32.dll");
    {
        AFX_MANAGE_STATE(&elsewhere);
        CheckDialog dialog;
        EXPECT_EQ(dialog.DoModal(), -1);
    }
    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(ModuleStateTest, InstalledForAScopeAndPutBackOnEveryExit)
{
    AFX_MODULE_STATE* app = AfxGetAppModuleState();
    EXPECT_EQ(AfxGetModuleState(), app);
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(nullptr));
    AFX_MODULE_STATE plugin;
    plugin.m_hCurrentResourceHandle = GetModuleHandleA("kernel32.dll");
    try {
        AFX_MANAGE_STATE(&plugin);
        EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA("kernel32.dll"));
        {
            AFX_MANAGE_STATE(app);
            EXPECT_EQ(AfxGetModuleState(), app);
        }
        EXPECT_EQ(AfxGetModuleState(), &plugin);
        throw std::runtime_error("leaves the scope");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(AfxGetModuleState(), app);
    // This program's static state is its own, recorded by hand here as a DllMain does.
    AfxInitStaticModule(GetModuleHandleA(nullptr));
    EXPECT_EQ(AfxGetStaticModuleState()->m_hCurrentInstanceHandle, GetModuleHandleA(nullptr));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

struct SeenBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};
std::vector<SeenBox> g_boxes;

int RecordBox(HWND owner, const char* text, const char* caption, UINT style)
{
    g_boxes.push_back({owner, text, caption, style});
    return IDYES;
}

TEST(MessageBoxTest, ThroughTheReplaceableHandler)
{
    g_boxes.clear();
    ycom::MessageBoxHandler previous = ycom::SetMessageBoxHandler(RecordBox);
    AFX_MODULE_STATE named;
    named.m_pszAppName = "SHP";
    {
        AFX_MANAGE_STATE(&named);
        EXPECT_EQ(AfxMessageBox("Unsupported shape type.", MB_YESNO), IDYES);
    }
    EXPECT_EQ(AfxMessageBox("from the program"), IDYES);
    CWnd window(GetDesktopWindow());
    window.MessageBox("owned", "Caption", MB_ICONSTOP);
    ycom::SetMessageBoxHandler(previous);
    ASSERT_EQ(g_boxes.size(), 3u);
    EXPECT_EQ(g_boxes[0].text, "Unsupported shape type.");
    EXPECT_EQ(g_boxes[0].caption, "SHP");
    EXPECT_EQ(g_boxes[0].style, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(g_boxes[0].owner, nullptr) << "no main window unless the host names one";
    EXPECT_EQ(g_boxes[1].caption, "plugin_class_library_test");
    EXPECT_EQ(g_boxes[2].owner, GetDesktopWindow());
    EXPECT_EQ(g_boxes[2].caption, "Caption");
}

_COM_SMARTPTR_TYPEDEF(IStream, __uuidof(IStream));

TEST(ComSupportTest, NullSmartPointerRaisesEPointer)
{
    IStream* volatile raw = nullptr;
    IStreamPtr none(raw);
    try {
        none->Commit(0);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_POINTER);
    }
}

TEST(ComSupportTest, FailureRaisedWithTheInterface)
{
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const HRESULT failure = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    wchar_t* system = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(failure), 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    const std::wstring expected = system ? system : L"";
    LocalFree(system);
    try {
        _com_issue_errorex(failure, stream, __uuidof(IStream));
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), failure);
        EXPECT_EQ(e.GUID_(), __uuidof(IStream));
        const _bstr_t description = e.Description();
        EXPECT_EQ(std::wstring(description.length() ? static_cast<const wchar_t*>(description) : L""), expected)
            << "the system's text";
    }
    stream->Release();
}

} // namespace
