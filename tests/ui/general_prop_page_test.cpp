// The control's general property page as a container's property frame drives it, through
// IPropertyPage: the objects it is given, when typing makes it dirty, the three apply steps with
// their refusals, and the pen colour names.
#include <cstdlib>
#include "com/ComObject.h"
#include "control/SiteRecord.h"
#include "control/ViewportRecord.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/GeneralPropPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

class PropPage : public OptionsPage
{
protected:
    void SetUp() override
    {
        OptionsPage::SetUp();
        // The frame a container shows its property pages in.
        m_frame = CreateWindowExA(0, "STATIC", "Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 400, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(m_frame, nullptr);
        ASSERT_EQ(ycom::CreateInstance<CGeneralPropPage>(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(m_page.Put())),
                  S_OK);
    }
    void TearDown() override
    {
        if (m_page)
            m_page->Deactivate();
        m_page.Reset();
        DestroyWindow(m_frame);
        OptionsPage::TearDown();
    }
    // Hands the page the objects and shows it in the host window.
    void Activate(std::vector<IUnknown*> objects)
    {
        ASSERT_EQ(m_page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()), S_OK);
        RECT r = {0, 0, 600, 330};
        ASSERT_EQ(m_page->Activate(m_frame, &r, FALSE), S_OK);
        ASSERT_EQ(m_page->Show(SW_SHOWNORMAL), S_OK);
        m_window = GetWindow(m_frame, GW_CHILD);
        while (m_window && GetDlgItem(m_window, IDC_PP_GRID_X) == nullptr)
            m_window = GetWindow(m_window, GW_HWNDNEXT);
        ASSERT_NE(m_window, nullptr);
    }
    void ActivateOnControl() { Activate({control->GetControllingUnknown()}); }
    HWND Field(int id) const { return GetDlgItem(m_window, id); }
    CGeneralPropPage* Object() const { return static_cast<CGeneralPropPage*>(m_page.Get()); }

    ycom::ComPtr<IPropertyPage> m_page;
    HWND m_frame = nullptr;
    HWND m_window = nullptr;
};

} // namespace

// With two objects (or none) the page loads nothing, and typing does not make it dirty; with the
// control alone it loads, and then typing does. A change outside the tracked fields counts not.
TEST_F(PropPage, LoadsOneControlAndTracksChangesAfterwards)
{
    IUnknown* unknown = control->GetControllingUnknown();
    Activate({unknown, unknown});
    EXPECT_FALSE(Object()->IsLoaded());
    EXPECT_EQ(Text(Field(IDC_PP_GRID_X)), "");
    Type(Field(IDC_PP_GRID_X), "12");
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    ASSERT_EQ(m_page->Deactivate(), S_OK);

    control->GetCurrentDrawingSetting()->GridXSpace = 40.0f;
    ActivateOnControl();
    ASSERT_TRUE(Object()->IsLoaded());
    EXPECT_EQ(Text(Field(IDC_PP_GRID_X)), "40.00");
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(9999, EN_CHANGE), 0);
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    Type(Field(IDC_PP_GRID_X), "12");
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->GridXSpace, 12.0f);
    Click(Field(IDC_PP_READ_ONLY));
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    EXPECT_TRUE(CaptureWindowToPng(m_frame, ArtefactPath("general_prop_page")));

    PROPPAGEINFO info = {};
    ASSERT_EQ(m_page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    EXPECT_STREQ(info.pszDocString, L"General property page");
    EXPECT_GT(info.size.cx, 0);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszHelpFile);
    CoTaskMemFree(info.pszDocString);
}

// Limits without width or height are refused with the page's warning, whether the edges cross or
// meet; the old limits stay and the focus goes to Top.
TEST_F(PropPage, LimitsNeedWidthAndHeight)
{
    MessageBoxes boxes;
    control->GetSiteRecord().SetDraftLimits(CRealRect(0, 100, 200, 0));
    const struct {
        const char *left, *right, *top, *bottom;
    } cases[] = {{"10", "5", "100", "0"}, {"5", "5", "100", "0"}, {"0", "200", "50", "50"}};
    ActivateOnControl();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " " + c.right + " " + c.top + " " + c.bottom);
        MessageBoxes::Texts().clear();
        Type(Field(IDC_PP_LEFT), c.left);
        Type(Field(IDC_PP_RIGHT), c.right);
        Type(Field(IDC_PP_TOP), c.top);
        Type(Field(IDC_PP_BOTTOM), c.bottom);
        EXPECT_EQ(m_page->Apply(), S_FALSE);
        EXPECT_EQ(m_page->IsPageDirty(), S_OK);
        ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
        EXPECT_EQ(MessageBoxes::Texts()[0],
                  "Warning: Drawing must have non-zero width and height. Try to specify another draft limits.");
        const CRealRect limits = control->GetSiteRecord().GetDraftLimits();
        EXPECT_EQ(limits.left, 0.0f);
        EXPECT_EQ(limits.right, 200.0f);
        EXPECT_EQ(limits.top, 100.0f);
        EXPECT_EQ(GetFocus(), Field(IDC_PP_TOP));
    }
}

// An image scale of 0 is refused; a line-type scale of 0 is taken.
TEST_F(PropPage, ImageScaleZeroRefusedLineTypeScaleZeroTaken)
{
    MessageBoxes boxes;
    MessageBoxes::Texts().clear();
    control->GetCurrentDrawingSetting()->ImageScale = 2.0f;
    ActivateOnControl();
    Type(Field(IDC_PP_LINE_SCALE), "0");
    Type(Field(IDC_PP_IMAGE_SCALE), "0");
    EXPECT_EQ(m_page->Apply(), S_FALSE);
    ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: Wrong scale value!");
    EXPECT_EQ(GetFocus(), Field(IDC_PP_IMAGE_SCALE));
    EXPECT_EQ(control->GetCurrentDrawingSetting()->ImageScale, 2.0f);
    EXPECT_EQ(control->GetSiteRecord().lineTypeScale, 0.0f);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->LinePatternScale, 0.0f);
    Type(Field(IDC_PP_IMAGE_SCALE), "0.5");
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->ImageScale, 0.5f);
}

// When the view port step fails the drawing setting is not applied and the page stays dirty; the
// site step's values stand.
TEST_F(PropPage, AFailingViewportStepLeavesTheSetting)
{
    MessageBoxes boxes;
    control->GetCurrentDrawingSetting()->GridYSpace = 40.0f;
    control->GetSiteRecord().SetDraftLimits(CRealRect(0, 100, 200, 0));
    ActivateOnControl();
    Type(Field(IDC_PP_RIGHT), "300");
    Type(Field(IDC_PP_GRID_Y), "7");
    Type(Field(IDC_PP_WIDTH), "0");
    EXPECT_EQ(m_page->Apply(), S_FALSE);
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->GridYSpace, 40.0f);
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().right, 300.0f);
    // The view port's size goes in whole numbers.
    Type(Field(IDC_PP_WIDTH), "123.6");
    Type(Field(IDC_PP_HEIGHT), "80.4");
    EXPECT_EQ(m_page->Apply(), S_OK);
    EXPECT_EQ(control->GetCurrentDrawingSetting()->GridYSpace, 7.0f);
    EXPECT_EQ(control->GetCurrentViewport().height, 80.0f);
}

TEST(PropPageNames, PenColourNames)
{
    const struct {
        DWORD colour;
        const char* name;
    } names[] = {{0x0000FF, "Red"},        {0x00FF00, "Green"},      {0xFF0000, "Blue"},      {0x000001, "H00000001"},
                 {0x20000000, "ByLayer"}, {0x40000000, "ByBlock"}, {0x10000000, "ByBrush"}, {0xFFFFFF, "White"}};
    for (const auto& n : names)
        EXPECT_EQ(CGeneralPropPage::ColourName(n.colour), n.name);
}
