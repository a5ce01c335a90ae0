// The General page of the Options sheet, over a control hosted in a window: the paper sizes read
// from the resource, the size the page matches to the draft limits, the unit change with its
// rescale question, Apply with its refusals and the host's veto, and the read-only switch that acts
// at once on every page.
#include <cmath>
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "control/UnitRecord.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsDrawingSettingsPage.h"
#include "ui/OptionsGeneralPage.h"
#include "ui/PaperSizes.h"

using namespace controltest;
using namespace pagetest;

namespace {

class GeneralPage : public OptionsPage
{
protected:
    void SetLimits(float l, float t, float r, float b, int unit)
    {
        control->GetSiteRecord().SetDraftLimits(CRealRect(l, t, r, b));
        control->GetSiteRecord().SetUnitId(unit);
    }
    HWND Item(int id) const { return OptionsPage::Item(OPTPAGE_GENERALDLG, id); }
    COptionsGeneralPage* Object() const { return PageObject<COptionsGeneralPage>(OPTPAGE_GENERALDLG); }
    // A line of the root drawing from (x0, y0) to (x1, y1).
    CShape* Line(float x0, float y0, float x1, float y1)
    {
        CShape* line = control->GetShapeMap().CreateShape(stLine, true, true);
        line->SetPointCoords(3, x0, y0, 0);
        line->SetPointCoords(3, x1, y1, 1);
        control->GetRootGroup()->AddChild(line, nullptr, 1, false);
        return line;
    }
    static float X(CShape* shape, int i) { return shape->GetPoints().GetAt(i)->x; }
    static float Y(CShape* shape, int i) { return shape->GetPoints().GetAt(i)->y; }
    // Answers the units rescale question with a button once it shows.
    static DialogDriver::Step Answer(int button)
    {
        return [button] {
            HWND dialog = DialogDriver::FindThreadWindow("#32770", "Scale Drawing on Change Measurement Units");
            if (!dialog)
                return false;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return true;
        };
    }
};

} // namespace

// The paper sizes of the resource: five standards in their units, the long side first (the rows
// written short side first are turned), a name made of digits alone a string of the module, a name
// that only begins with digits a name.
TEST(PaperSizes, ResourceAndRules)
{
    std::map<int, CUnitRecord> units;
    for (int id : {1, 4, 6}) {
        CUnitRecord unit;
        unit.id = id;
        unit.name = id == 1 ? "Inches" : id == 4 ? "Millimeters" : "Meters";
        units[id] = unit;
    }
    const std::vector<CPaperStandard>& table = GetPaperStandards(units);
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].name, "USA Standard");
    EXPECT_EQ(table[0].unit, 1);
    EXPECT_EQ(table[1].name, "Metric (ISO)");
    EXPECT_EQ(table[1].unit, 4);
    EXPECT_EQ(table[0].sizes.size(), 16u);
    const CPaperSize& sheet = table[0].sizes[4];
    EXPECT_EQ(sheet.name, "Sheet");
    EXPECT_EQ(sheet.x, 14.0f);
    EXPECT_EQ(sheet.y, 10.0f);
    EXPECT_EQ(sheet.paperIds, (std::vector<int>{16}));
    EXPECT_EQ(table[1].sizes[0].paperIds.size(), 0u) << "A1 lists no paper";
    EXPECT_EQ(table[2].sizes[1].name, "10 Envelope");
    EXPECT_EQ(table[4].sizes[0].x, 215.0f) << "PRC 16K turned";

    const char text[] = ";comment\r\n*Own; 6\r\n141;3;4;0;7\n4000;1;2\n*Second\n;last comment";
    const std::vector<CPaperStandard> own = ParsePaperStandards(text, sizeof text - 1, units);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(own[0].unit, 6);
    ASSERT_EQ(own[0].sizes.size(), 2u);
    EXPECT_EQ(own[0].sizes[0].name, "Warning") << "string 141";
    EXPECT_EQ(own[0].sizes[0].x, 4.0f);
    EXPECT_EQ(own[0].sizes[0].paperIds, (std::vector<int>{7}));
    EXPECT_EQ(own[0].sizes[1].name, "4000") << "no such string";
    EXPECT_EQ(own[1].unit, 4) << "no unit given: millimetres";
    EXPECT_TRUE(own[1].sizes.empty());
}

// The page matches the limits to a size: the nearest of the standards in the drawing's unit,
// within 25 square millimetres (about 0.043 in other units), the later size on a tie; else the
// custom item.
TEST_F(GeneralPage, MatchesTheLimitsToAPaperSize)
{
    const struct {
        float width, height;
        int unit;
        const char* standard;
        const char* size;
        bool portrait;
    } cases[] = {
        {297, 210, 4, "Metric (ISO), Millimeters", "A4 ( 297 x 210 )", false},
        {210, 297, 4, "Metric (ISO), Millimeters", "A4 ( 210 x 297 )", true},
        {299, 212, 4, "Metric (ISO), Millimeters", "A4 ( 297 x 210 )", false},
        {301, 214, 4, "Custom, Millimeters", "Custom ( 301 x 214 )", false},
        {11, 8.5f, 1, "USA Standard, Inches", "Note ( 11 x 8.5 )", false},
        {297, 210, 6, "Custom, Meters", "Custom ( 297 x 210 )", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.standard) + " " + c.size);
        SetLimits(0, c.height, c.width, 0, c.unit);
        std::string standard, size;
        bool portrait = false, landscape = false;
        RunSheet(OPTPAGE_GENERALDLG, [&](DialogDriver& d) {
            d.Do([&] {
                standard = ComboText(Item(IDC_GENERAL_STANDARDS));
                size = ComboText(Item(IDC_GENERAL_SIZES));
                portrait = Checked(Item(IDC_GENERAL_PORTRAIT));
                landscape = Checked(Item(IDC_GENERAL_LANDSCAPE));
                if (c.unit == 4 && !c.portrait && c.width == 297) {
                    EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_general")));
                }
            });
        });
        EXPECT_EQ(standard, c.standard);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(portrait, c.portrait);
        EXPECT_EQ(landscape, !c.portrait);
    }
}

// Choosing a size sets the limits from it; turning it swaps them. In Custom mode the limit fields
// take the user's numbers, and Apply writes them into the site.
TEST_F(GeneralPage, ChosenSizesAndTypedLimitsReachTheSite)
{
    SetLimits(0, 210, 297, 0, 4);
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_PREDEFINED));
                Choose(Item(IDC_GENERAL_SIZES), "A3 ( 420 x 297 )");
                EXPECT_EQ(Text(Item(IDC_LIMIT_RIGHT)), "420.000");
                EXPECT_EQ(Text(Item(IDC_LIMIT_TOP)), "297.000");
                Click(Item(IDC_GENERAL_PORTRAIT));
                EXPECT_EQ(Text(Item(IDC_LIMIT_RIGHT)), "297.000");
                EXPECT_EQ(Text(Item(IDC_LIMIT_TOP)), "420.000");
                EXPECT_EQ(ComboText(Item(IDC_GENERAL_SIZES)), "A3 ( 297 x 420 )");
            });
        },
        PSBTN_OK);
    const CRealRect limits = control->GetSiteRecord().GetDraftLimits();
    EXPECT_EQ(limits.right, 297.0f);
    EXPECT_EQ(limits.top, 420.0f);
    EXPECT_TRUE(control->GetControlFlags() & controlLockLimits) << "a predefined size locks the limits";

    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                EXPECT_TRUE(IsWindowEnabled(Item(IDC_LIMIT_LEFT)));
                EXPECT_FALSE(IsWindowEnabled(Item(IDC_GENERAL_SIZES)));
                Type(Item(IDC_LIMIT_RIGHT), "500");
            });
        },
        PSBTN_OK);
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().right, 500.0f);
    EXPECT_FALSE(control->GetControlFlags() & controlLockLimits);
}

// From inches to millimetres: "Scale" multiplies the limits by about 25.4 at once and the drawing
// on Apply; "Don't Scale" changes the unit alone; "Cancel" puts the old unit back in the list.
TEST_F(GeneralPage, UnitChangeAsksWhetherToRescale)
{
    SetLimits(0, 10, 20, 0, 1);
    CShape* line = Line(1, 1, 5, 5);
    std::string right;
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                Choose(Item(IDC_GENERAL_UNITS), "Millimeters");
            });
            d.Then(Answer(IDOK));
            d.Do([&] {
                right = Text(Item(IDC_LIMIT_RIGHT));
                EXPECT_EQ(X(line, 1), 5.0f) << "the drawing waits for Apply";
                EXPECT_NEAR(Object()->GetPendingFactor(), 25.4f, 0.01f);
            });
        },
        PSBTN_OK);
    EXPECT_NEAR(std::strtod(right.c_str(), nullptr), 508.0, 0.1);
    EXPECT_EQ(control->GetSiteRecord().GetUnitId(), 4);
    EXPECT_NEAR(control->GetSiteRecord().GetDraftLimits().right, 508.0f, 0.1f);
    EXPECT_NEAR(X(line, 1), 127.0f, 0.05f);

    // Don't Scale: the unit alone.
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] { Choose(Item(IDC_GENERAL_UNITS), "Centimeters"); });
            d.Then(Answer(7));
        },
        PSBTN_OK);
    EXPECT_EQ(control->GetSiteRecord().GetUnitId(), 5);
    EXPECT_NEAR(control->GetSiteRecord().GetDraftLimits().right, 508.0f, 0.1f);
    EXPECT_NEAR(X(line, 1), 127.0f, 0.05f);

    // Cancel: the list shows the old unit again; nothing changes.
    std::string unit;
    RunSheet(OPTPAGE_GENERALDLG, [&](DialogDriver& d) {
        d.Do([&] { Choose(Item(IDC_GENERAL_UNITS), "Inches"); });
        d.Then(Answer(IDCANCEL));
        d.Do([&] { unit = ComboText(Item(IDC_GENERAL_UNITS)); });
    });
    EXPECT_EQ(unit, "Centimeters");
}

// The rescale question itself: the factor of the two units, rewritten when a list changes.
TEST_F(GeneralPage, ScaleUnitsDialogShowsTheUnitsFactor)
{
    CScaleUnitsDialog dialog(&control->GetUnits());
    dialog.fromUnit = 1;
    dialog.toUnit = 4;
    std::string shown, from, to;
    DialogDriver driver;
    driver.Then([&] { return DialogDriver::FindThreadWindow("#32770", "Scale Drawing on Change Measurement Units") != nullptr; })
        .Do([&] {
            HWND window = DialogDriver::FindThreadWindow("#32770", "Scale Drawing on Change Measurement Units");
            shown = Text(GetDlgItem(window, IDC_SCALE_FACTOR));
            from = ComboText(GetDlgItem(window, IDC_SCALE_FROM));
            to = ComboText(GetDlgItem(window, IDC_SCALE_TO));
            EXPECT_TRUE(CaptureWindowToPng(window, ArtefactPath("scale_units_dialog")));
            Choose(GetDlgItem(window, IDC_SCALE_TO), "Centimeters");
            EXPECT_EQ(Text(GetDlgItem(window, IDC_SCALE_FACTOR)), "2.54");
            // The unit table gives the unitless entry the factor of inches.
            Choose(GetDlgItem(window, IDC_SCALE_TO), "(Unitless)");
            EXPECT_EQ(Text(GetDlgItem(window, IDC_SCALE_FACTOR)), "1");
            Type(GetDlgItem(window, IDC_SCALE_FACTOR), "3");
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    int answer = 0;
    driver.Run([&] { answer = dialog.Run(m_wnd); });
    EXPECT_EQ(answer, CScaleUnitsDialog::kScale);
    EXPECT_EQ(shown, "25.4");
    EXPECT_EQ(from, "Inches");
    EXPECT_EQ(to, "Millimeters");
    EXPECT_EQ(dialog.toUnit, 0);
    EXPECT_EQ(dialog.factor, 3.0f);
}

// Apply refuses limits without width on an editable drawing: the warning, the sheet stays on the
// page, the focus on Left.
TEST_F(GeneralPage, ZeroWidthKeepsTheSheetOpen)
{
    MessageBoxes boxes;
    MessageBoxes::Texts().clear();
    MessageBoxes::Answer() = IDOK;
    SetLimits(0, 100, 100, 0, 4);
    bool open = false;
    HWND focus = nullptr, left = nullptr;
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                Type(Item(IDC_LIMIT_RIGHT), "0");
                SendMessageA(SheetWindow(), PSM_PRESSBUTTON, PSBTN_OK, 0);
                open = SheetWindow() && SendMessageA(SheetWindow(), PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
                focus = GetFocus();
                left = Item(IDC_LIMIT_LEFT);
            });
        },
        PSBTN_CANCEL);
    EXPECT_TRUE(open);
    EXPECT_EQ(focus, left);
    ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
    EXPECT_EQ(MessageBoxes::Texts()[0],
              "Warning: Drawing must have non-zero width and height. Try to specify another draft limits.");
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().right, 100.0f);
}

// New limits the drawing does not fit: "Yes" moves and scales the drawing into them as one undo
// step; with an empty drawing new limits show the whole drawing.
TEST_F(GeneralPage, DrawingScaledToFitIsOneUndoStep)
{
    MessageBoxes boxes;
    MessageBoxes::Texts().clear();
    MessageBoxes::Answer() = IDYES;
    SetLimits(0, 1000, 1000, 0, 4);
    CShape* line = Line(0, 0, 1000, 500);
    CUndoManager* manager = CUndoManager::FromInterface(control->GetUndoRecorder()->GetManager());
    ASSERT_NE(manager, nullptr);
    const size_t steps = manager->UndoStack().size();
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                Type(Item(IDC_LIMIT_RIGHT), "100");
                Type(Item(IDC_LIMIT_TOP), "100");
            });
        },
        PSBTN_OK);
    ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: Drawing does not fit the Draft limits.\nScale drawing to fit?");
    EXPECT_NEAR(X(line, 0), 0.0f, 0.01f);
    EXPECT_NEAR(X(line, 1), 100.0f, 0.01f);
    EXPECT_NEAR(Y(line, 0), 25.0f, 0.01f);
    EXPECT_NEAR(Y(line, 1), 75.0f, 0.01f);
    EXPECT_EQ(manager->UndoStack().size(), steps + 1);
    ASSERT_EQ(manager->UndoTo(nullptr), S_OK);
    EXPECT_NEAR(X(line, 1), 1000.0f, 0.01f);
    EXPECT_NEAR(Y(line, 1), 500.0f, 0.01f);

    // An empty drawing: the view shows the new limits whole.
    control->GetRootGroup()->RemoveChildAt(control->GetRootGroup()->IndexOfChild(line->GetId()), true);
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                Type(Item(IDC_LIMIT_LEFT), "5000");
                Type(Item(IDC_LIMIT_RIGHT), "6000");
            });
        },
        PSBTN_OK);
    const CRealRect visible = control->GetCurrentViewport().GetVisibleWorldRect();
    EXPECT_LE(visible.left, 5000.0f);
    EXPECT_GE(visible.left + control->GetCurrentViewport().width, 6000.0f);
}

// A host that vetoes OnEditSite keeps the site record, the binary flag and the drawing as they
// were, though the page had rescaled the drawing to the new unit and fitted it into new limits.
TEST_F(GeneralPage, VetoLeavesRecordFlagsAndDrawing)
{
    MessageBoxes boxes;
    MessageBoxes::Answer() = IDYES;
    SetLimits(0, 10, 20, 0, 1);
    control->SetSaveAsBinary(true);
    CShape* line = Line(2, 2, 18, 9);
    EventSink sink(VARIANT_FALSE);
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(
        OPTPAGE_GENERALDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Click(Item(IDC_GENERAL_CUSTOM));
                Click(Item(IDC_GENERAL_SAVE_BINARY));
                Choose(Item(IDC_GENERAL_UNITS), "Millimeters");
            });
            d.Then(Answer(IDOK));
            // Limits smaller than the rescaled drawing: it is fitted as well.
            d.Do([&] { Type(Item(IDC_LIMIT_RIGHT), "100"); });
        },
        PSBTN_OK);
    const std::vector<DISPID> ids = sink.Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<DISPID>(cetOnEditSite)), 1);
    EXPECT_EQ(control->GetSiteRecord().GetUnitId(), 1);
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().right, 20.0f);
    EXPECT_EQ(control->GetSiteRecord().GetDraftLimits().top, 10.0f);
    EXPECT_TRUE(control->GetSaveAsBinary());
    EXPECT_NEAR(X(line, 0), 2.0f, 1e-3f);
    EXPECT_NEAR(Y(line, 0), 2.0f, 1e-3f);
    EXPECT_NEAR(X(line, 1), 18.0f, 1e-3f);
    EXPECT_NEAR(Y(line, 1), 9.0f, 1e-3f);
}

// Read only acts at once, without Apply: the control is disabled and every page that exists
// follows (the General page's modes, the Drawing Settings page's fields, the Default Shapes page's
// Insert); unticked, they come back.
TEST_F(GeneralPage, ReadOnlyActsAtOnceOnEveryPage)
{
    bool customBefore = false, customAfter = true, penAfter = true, gridAfter = true, penAgain = false, enabledAfter = true;
    bool insertBefore = false, insertAfter = true;
    RunSheet(OPTPAGE_GENERALDLG, [&](DialogDriver& d) {
        d.Do([&] {
            SendMessageA(SheetWindow(), PSM_SETCURSEL, OPTPAGE_DRAWINGSETTINGSDLG, 0);
            SendMessageA(SheetWindow(), PSM_SETCURSEL, OPTPAGE_DEFAULTSHAPESDLG, 0);
            SendMessageA(SheetWindow(), PSM_SETCURSEL, OPTPAGE_GENERALDLG, 0);
            customBefore = IsWindowEnabled(Item(IDC_GENERAL_CUSTOM)) != FALSE;
            insertBefore = IsWindowEnabled(OptionsPage::Item(OPTPAGE_DEFAULTSHAPESDLG, IDC_DEFAULT_SHAPES_INSERT)) != FALSE;
            Click(Item(IDC_GENERAL_READ_ONLY));
            insertAfter = IsWindowEnabled(OptionsPage::Item(OPTPAGE_DEFAULTSHAPESDLG, IDC_DEFAULT_SHAPES_INSERT)) != FALSE;
            enabledAfter = control->IsEnabledFlagSet();
            customAfter = IsWindowEnabled(Item(IDC_GENERAL_CUSTOM)) != FALSE;
            penAfter = IsWindowEnabled(OptionsPage::Item(OPTPAGE_DRAWINGSETTINGSDLG, IDC_DS_PEN_COLOUR)) != FALSE;
            gridAfter = IsWindowEnabled(OptionsPage::Item(OPTPAGE_DRAWINGSETTINGSDLG, IDC_DS_GRID)) != FALSE;
            Click(Item(IDC_GENERAL_READ_ONLY));
            penAgain = IsWindowEnabled(OptionsPage::Item(OPTPAGE_DRAWINGSETTINGSDLG, IDC_DS_PEN_COLOUR)) != FALSE;
        });
    });
    EXPECT_TRUE(customBefore);
    EXPECT_FALSE(enabledAfter);
    EXPECT_FALSE(customAfter);
    EXPECT_FALSE(penAfter);
    EXPECT_FALSE(gridAfter) << "the sheet turns editing off on the whole page";
    EXPECT_TRUE(penAgain);
    EXPECT_TRUE(insertBefore);
    EXPECT_FALSE(insertAfter) << "Default Shapes: Insert";
    EXPECT_TRUE(control->IsEnabledFlagSet());
}

// The statistics count the drawing: shapes, points, the fixed groups.
TEST_F(GeneralPage, StatisticsCountTheDrawing)
{
    Line(0, 0, 1, 1);
    Line(0, 1, 1, 0);
    std::map<int, int> shown;
    RunSheet(OPTPAGE_GENERALDLG, [&](DialogDriver& d) {
        d.Do([&] {
            for (int id : {IDC_STAT_SHAPES, IDC_STAT_DISPLAYED, IDC_STAT_LAYERS, IDC_STAT_POINTS, IDC_STAT_SELECTED})
                shown[id] = static_cast<int>(GetDlgItemInt(Page(OPTPAGE_GENERALDLG), id, nullptr, FALSE));
        });
    });
    EXPECT_EQ(shown[IDC_STAT_SHAPES], static_cast<int>(control->GetShapeMap().Shapes().size()));
    EXPECT_EQ(shown[IDC_STAT_DISPLAYED], 2);
    EXPECT_EQ(shown[IDC_STAT_LAYERS], 1);
    EXPECT_EQ(shown[IDC_STAT_SELECTED], 0);
    EXPECT_GE(shown[IDC_STAT_POINTS], 4);
}
