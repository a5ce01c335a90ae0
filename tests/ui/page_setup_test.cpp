// The page of the print and page-setup dialogs: the scale read from and shown in the page and
// drawing fields (a scale stays itself when the dialog is opened again), the fit of the print
// area on the paper, printer paper codes turned into the control's paper through the paper table,
// and the paper handed to the page-setup dialog in its own units.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <cstring>
#include "com/Owners.h"
#include "control/PageSetupPaper.h"
#include "control/PrintDialogRecord.h"
#include "control/YVEXControl.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/PageSetupDialog.h"
#include "ui/PaperSizes.h"

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new controltest::ModuleEnvironment);
} // namespace

// Page 10 for drawing 5 is 20 tenths of a millimetre per unit; the dialog opened again shows
// 2 for 1, which reads back as 20 (the old reading showed 10/scale, 0.5, and saved 5). Inches
// count the drawing value in inches of a millimetre: 254 counts as 10.
TEST(PageSetupScale, ReadShowAndReadAgain)
{
    const struct {
        const char *page, *drawing;
        bool inches, fit;
        double scale;
    } cases[] = {
        {"10", "5", false, false, 20.0},
        {"10", "-5", false, false, 20.0},   // the drawing's sign does not count
        {"0", "0", false, false, 10.0},     // empty fields count as 1
        {"abc", "", false, false, 10.0},
        {"10", "5", false, true, -20.0},    // "Scaled to fit" marks the scale
        {"1", "254", true, false, 1.0},     // 254 counts as 10.0
        {"2.5", "0.5", false, false, 50.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(PageSetupReadScale(c.page, c.drawing, c.inches, c.fit), c.scale, 1e-9)
            << c.page << "/" << c.drawing << (c.inches ? " inches" : "");
    for (const double scale : {20.0, 5.0, 1.0, 250.0, 12.5}) {
        const std::string shown = PageSetupPageText(scale, false);
        EXPECT_NEAR(PageSetupReadScale(shown.c_str(), "1", false, false), scale, 1e-9) << shown;
    }
    EXPECT_EQ(PageSetupPageText(20.0, false), "2.00");
    EXPECT_EQ(PageSetupPageText(-20.0, false), "2.00") << "a fit shows its factor";
    // In inches the page shows inches per unit: 254 tenths of a millimetre are one inch.
    EXPECT_EQ(PageSetupPageText(254.0, true), "1.00");
    EXPECT_NEAR(PageSetupReadScale(PageSetupPageText(254.0, true).c_str(), "1", true, false), 254.0, 1e-9);
}

// 100 x 50 units on 200 x 200 mm: two millimetres a unit, scale -20, the page field "2.00", the
// centred area 0 from the sides and 50 from the top and bottom.
TEST(PageSetupScale, FitOnThePaper)
{
    const CPageSetupFit fit = PageSetupComputeFit(CRealRect(0, 0, 100, 50), CRealPoint(200, 200));
    EXPECT_DOUBLE_EQ(fit.factor, 2.0);
    EXPECT_DOUBLE_EQ(fit.scale, -20.0);
    EXPECT_EQ(PageSetupPageText(fit.scale, false), "2.00");
    EXPECT_FLOAT_EQ(fit.offsetX, 0.0f);
    EXPECT_FLOAT_EQ(fit.offsetY, 50.0f);
    // A reversed rectangle fits the same; an empty area fits at 1.
    EXPECT_DOUBLE_EQ(PageSetupComputeFit(CRealRect(100, 50, 0, 0), CRealPoint(200, 200)).scale, -20.0);
    EXPECT_DOUBLE_EQ(PageSetupComputeFit(CRealRect(), CRealPoint(200, 200)).scale, -10.0);
}

// Millimetres in the dialog's units: 210 mm are 8268 thousandths of an inch (not 210 x 39).
TEST(PageSetupPaper, MillimetresInDialogUnits)
{
    EXPECT_EQ(PaperMmToDialogUnits(210.0, PSD_INTHOUSANDTHSOFINCHES), 8268);
    EXPECT_EQ(PaperMmToDialogUnits(297.0, PSD_INTHOUSANDTHSOFINCHES), 11693);
    EXPECT_EQ(PaperMmToDialogUnits(210.0, PSD_INHUNDREDTHSOFMILLIMETERS), 21000);
    EXPECT_EQ(PaperMmToDialogUnits(210.4, 0), 210);
}

class PageSetupControl : public pagetest::OptionsPage
{
protected:
    void SetUp() override
    {
        pagetest::OptionsPage::SetUp();
        SetPaperCodeLookup(LookUpPaperCode);
    }
};

// Printer codes of the paper table turn the page, keeping its orientation: 9 (A4) on a tall page,
// 1 (Letter, in inches) on a wide one, a code of a paper beyond A4 and Letter; an unknown code
// leaves the page and reports no change (not the leftovers of the working record).
TEST_F(PageSetupControl, PaperCodesTurnThePage)
{
    const struct {
        int code;
        CRealPoint page;
        CRealPoint expected, delta;
        bool found;
    } cases[] = {
        {9, {100, 200}, {210, 297}, {110, 97}, true},
        {1, {300, 200}, {279.4f, 215.9f}, {-20.6f, 15.9f}, true},
        {8, {0, 0}, {297, 420}, {0, 0}, true},            // A3 on an unset page: no change reported
        {5, {10, 20}, {215.9f, 355.6f}, {205.9f, 335.6f}, true},  // Legal
        {999, {100, 200}, {100, 200}, {0, 0}, false},
        {0, {100, 200}, {100, 200}, {0, 0}, false},
    };
    for (const auto& c : cases) {
        CRealPoint page = c.page, delta(12, 9);
        EXPECT_EQ(PageSetupApplyPaperSize(control.Get(), c.code, &page, &delta), c.found) << c.code;
        EXPECT_NEAR(page.x, c.expected.x, 0.01) << c.code;
        EXPECT_NEAR(page.y, c.expected.y, 0.01) << c.code;
        EXPECT_NEAR(delta.x, c.delta.x, 0.01) << c.code;
        EXPECT_NEAR(delta.y, c.delta.y, 0.01) << c.code;
    }
}

// The printer's mode names its paper by code alone: the control takes the table's size and the
// code, turned as the mode prints; the next dialog gets the code, the orientation and, in the
// page-setup dialog's thousandths of an inch, the size.
TEST_F(PageSetupControl, PrinterPaperByCodeRoundTrips)
{
    auto makeMode = [](short code, short orientation) {
        HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
        auto* m = static_cast<DEVMODEA*>(GlobalLock(mode));
        m->dmSize = sizeof(DEVMODEA);
        m->dmFields = DM_PAPERSIZE | DM_ORIENTATION;
        m->dmPaperSize = code;
        m->dmOrientation = orientation;
        GlobalUnlock(mode);
        return mode;
    };
    PRINTDLGA print = {};
    print.lStructSize = sizeof(print);
    print.hDevMode = makeMode(DMPAPER_A3, DMORIENT_LANDSCAPE);
    control->StorePrinterSetup(&print);
    EXPECT_EQ(control->GetPageSetup().paperId, DMPAPER_A3);
    EXPECT_NEAR(control->GetPageSetup().paperSize.x, 420.0f, 0.01);
    EXPECT_NEAR(control->GetPageSetup().paperSize.y, 297.0f, 0.01);
    GlobalFree(print.hDevMode);

    PAGESETUPDLGA setup = {};
    setup.lStructSize = sizeof(setup);
    setup.Flags = PSD_INTHOUSANDTHSOFINCHES;
    setup.hDevMode = makeMode(DMPAPER_LETTER, DMORIENT_PORTRAIT);
    control->GetPrinterSetup(&setup);
    EXPECT_EQ(setup.ptPaperSize.x, 16535);
    EXPECT_EQ(setup.ptPaperSize.y, 11693);
    if (setup.hDevMode) {
        ycom::GlobalLockView<DEVMODEA> mode(setup.hDevMode);
        ASSERT_TRUE(mode);
        EXPECT_EQ(mode.Get()->dmPaperSize, DMPAPER_A3);
        EXPECT_EQ(mode.Get()->dmOrientation, DMORIENT_LANDSCAPE);
        EXPECT_TRUE(mode.Get()->dmFields & DM_PAPERSIZE);
    }
}

// The control's own working record carries its print settings into the dialog and back; a
// host's custom data is left alone.
TEST_F(PageSetupControl, WorkingRecordCarriesTheSettings)
{
    CPageSetupRecord& page = control->GetPageSetup();
    page.printScale = 20.0f;
    page.centered = 0;
    page.printOffset = CRealPoint(5, 7);
    page.printType = 2;
    PRINTDLGA print = {};
    print.lStructSize = sizeof(print);
    print.lCustData = reinterpret_cast<LPARAM>(&control->GetPrintDialogRecord());
    control->FillPrintDialogRecord(print.lCustData, &print);
    CPrintDialogRecord& record = control->GetPrintDialogRecord();
    EXPECT_EQ(record.control, control.Get());
    EXPECT_DOUBLE_EQ(record.scale, 20.0);
    EXPECT_EQ(record.printType, 2);
    EXPECT_FLOAT_EQ(record.offsetY, 7.0f);
    // What the dialog shows and reads back leaves the scale as it was.
    record.scale = PageSetupReadScale(PageSetupPageText(record.scale, false).c_str(), "1", false, false);
    record.centered = 1;
    control->TakePrintDialogRecord(print.lCustData);
    EXPECT_FLOAT_EQ(page.printScale, 20.0f);
    EXPECT_EQ(page.centered, 1);
    EXPECT_EQ(control->GetPrintSettings().printScale, 20.0f);

    int hostData = 0x5A5A;
    control->FillPrintDialogRecord(reinterpret_cast<LPARAM>(&hostData), &print);
    control->TakePrintDialogRecord(reinterpret_cast<LPARAM>(&hostData));
    EXPECT_EQ(hostData, 0x5A5A);
}

// ---- the hook procedure on the control's templates ----------------------------------------

namespace {

// Our template shown as the system's dialog shows it: modeless, every message handed to the
// control's hook, which gets the dialog structure with WM_INITDIALOG.
INT_PTR CALLBACK SystemDialogStandIn(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return static_cast<INT_PTR>(PageSetupDialogProc(dialog, message, wParam, lParam));
}

class PageSetupHook : public PageSetupControl
{
protected:
    void TearDown() override
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
        PageSetupControl::TearDown();
    }
    // Opens the print template (1538) or the page-setup template (344) over the control's
    // working record, the record filled from the control as the control fills it.
    HWND Open(int templateId)
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
        CPrintDialogRecord& record = control->GetPrintDialogRecord();
        LPARAM structure = 0;
        if (templateId == IDD_PRINT_SETUP) {
            m_print = PRINTDLGA();
            m_print.lStructSize = sizeof(m_print);
            m_print.lCustData = reinterpret_cast<LPARAM>(&record);
            control->FillPrintDialogRecord(m_print.lCustData, &m_print);
            structure = reinterpret_cast<LPARAM>(&m_print);
        } else {
            m_setup = PAGESETUPDLGA();
            m_setup.lStructSize = sizeof(m_setup);
            m_setup.lCustData = reinterpret_cast<LPARAM>(&record);
            control->FillPrintDialogRecord(m_setup.lCustData, &m_setup);
            structure = reinterpret_cast<LPARAM>(&m_setup);
        }
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                      SystemDialogStandIn, structure);
        EXPECT_NE(m_dialog, nullptr);
        ShowWindow(m_dialog, SW_SHOW);
        return m_dialog;
    }
    HWND ItemOf(int id) const { return GetDlgItem(m_dialog, id); }
    std::string TextOf(int id) const { return Text(ItemOf(id)); }
    // OK as the user presses it: the hook reads the fields, then the record goes to the control.
    void PressOk()
    {
        SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ItemOf(IDOK)));
        control->TakePrintDialogRecord(reinterpret_cast<LPARAM>(&control->GetPrintDialogRecord()));
    }
    void Fields(const char* page, const char* drawing)
    {
        SetWindowTextA(ItemOf(IDC_PS_PAGE), page);
        SetWindowTextA(ItemOf(IDC_PS_DRAWING), drawing);
    }

    HWND m_dialog = nullptr;
    PRINTDLGA m_print = {};
    PAGESETUPDLGA m_setup = {};
};

} // namespace

// Page 10 for drawing 5 gives 20; the dialog opened again shows 2.00 for 1 and OK keeps 20 (the
// old reading reopened it as 0.5 and saved 5). In inches a drawing of 254 counts as 10.
TEST_F(PageSetupHook, ScaleFromTheFieldsSurvivesReopening)
{
    control->GetPageSetup().printScale = 7.0f;
    Open(IDD_PRINT_SETUP);
    EXPECT_FALSE(Checked(ItemOf(IDC_PS_FIT)));
    EXPECT_EQ(TextOf(IDC_PS_PAGE), "0.70");
    Fields("10", "5");
    PressOk();
    EXPECT_FLOAT_EQ(control->GetPageSetup().printScale, 20.0f);
    for (int round = 0; round < 2; ++round) {
        Open(IDD_PRINT_SETUP);
        EXPECT_EQ(TextOf(IDC_PS_PAGE), "2.00");
        EXPECT_EQ(TextOf(IDC_PS_DRAWING), "1");
        EXPECT_TRUE(IsWindowEnabled(ItemOf(IDC_PS_PAGE)));
        PressOk();
        EXPECT_FLOAT_EQ(control->GetPageSetup().printScale, 20.0f) << "round " << round;
    }
    Open(IDD_PRINT_SETUP);
    Click(ItemOf(IDC_PS_PAPER_INCHES));
    EXPECT_EQ(TextOf(IDC_PS_UNIT_LABEL), "inches");
    Fields("3", "254");
    PressOk();
    EXPECT_FLOAT_EQ(control->GetPageSetup().printScale, 3.0f) << "254 counts as 10";
}

// Limits of 100 x 50 on a 200 x 200 mm paper, scaled to fit and centred: -20, the page field
// "2.00", offsets 0 and 50; the offsets are not editable while centred.
TEST_F(PageSetupHook, FitAndCentreOnThePaper)
{
    control->GetSiteRecord().SetDraftLimits(CRealRect(0, 50, 100, 0));
    control->GetPageSetup().paperSize = CRealPoint(200, 200);
    control->GetPageSetup().printScale = -1.0f;
    control->GetPageSetup().centered = 1;
    Open(IDD_PAGE_SETUP);
    EXPECT_TRUE(Checked(ItemOf(IDC_PS_FIT)));
    EXPECT_EQ(TextOf(IDC_PS_PAGE), "2.00");
    EXPECT_EQ(TextOf(IDC_PS_DRAWING), "1");
    EXPECT_EQ(TextOf(IDC_PS_OFFSET_X), "0.00");
    EXPECT_EQ(TextOf(IDC_PS_OFFSET_Y), "50.00");
    EXPECT_FALSE(IsWindowEnabled(ItemOf(IDC_PS_OFFSET_X)));
    EXPECT_FALSE(IsWindowEnabled(ItemOf(IDC_PS_PAGE)));
    PressOk();
    EXPECT_FLOAT_EQ(control->GetPageSetup().printScale, -20.0f);
    EXPECT_FLOAT_EQ(control->GetPageSetup().printOffset.y, 50.0f);
    // Not centred: the offsets are the user's again.
    Open(IDD_PAGE_SETUP);
    Click(ItemOf(IDC_PS_CENTER));
    EXPECT_TRUE(IsWindowEnabled(ItemOf(IDC_PS_OFFSET_X)));
    SetWindowTextA(ItemOf(IDC_PS_OFFSET_X), "12.5");
    PressOk();
    EXPECT_EQ(control->GetPageSetup().centered, 0);
    EXPECT_FLOAT_EQ(control->GetPageSetup().printOffset.x, 12.5f);
}

// "Selection" asked for with nothing selected opens on "&Limits", the selection radio disabled;
// the drawing-units label names the site's unit; the preview and pick buttons set their requests.
TEST_F(PageSetupHook, AreaRadiosAndRequests)
{
    control->GetPageSetup().printType = 3;
    control->GetPageSetup().printScale = 10.0f;
    Open(IDD_PRINT_SETUP);
    EXPECT_TRUE(Checked(ItemOf(IDC_PS_LIMITS)));
    EXPECT_FALSE(Checked(ItemOf(IDC_PS_SELECTION)));
    EXPECT_FALSE(IsWindowEnabled(ItemOf(IDC_PS_SELECTION)));
    EXPECT_NE(TextOf(IDC_PS_DRAWING_UNITS), "");
    Click(ItemOf(IDC_PS_DISPLAY));
    PressOk();
    EXPECT_EQ(control->GetPageSetup().printType, 2);
    EXPECT_TRUE(CaptureWindowToPng(m_dialog, ArtefactPath("print_dialog")));

    CPrintDialogRecord& record = control->GetPrintDialogRecord();
    record.previewRequest = record.windowRequest = 0;
    Open(IDD_PAGE_SETUP);
    EXPECT_TRUE(CaptureWindowToPng(m_dialog, ArtefactPath("page_setup_dialog")));
    Click(ItemOf(IDC_PS_PREVIEW));
    EXPECT_EQ(record.previewRequest, 1);
    Click(ItemOf(IDC_PS_PICK_WINDOW));
    EXPECT_EQ(record.windowRequest, 1);
    EXPECT_EQ(record.windowDefined, 0);
}
