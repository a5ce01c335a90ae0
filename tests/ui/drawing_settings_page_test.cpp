// The Drawing Settings page of the Options sheet, over a control hosted in a window: which fields
// the grid and the read-only state leave usable, what the number fields keep of what is typed,
// the spin arrows, the switches of the control, the names of colours, the alignment codes, and a
// host's veto that leaves the setting and the default shapes as they were.
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Text.h"
#include <algorithm>
#include <map>
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsDrawingSettingsPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

class DrawingSettingsPage : public OptionsPage
{
protected:
    HWND Item(int id) const { return OptionsPage::Item(OPTPAGE_DRAWINGSETTINGSDLG, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    CDrawingSettingRecord& Setting() const { return *control->GetCurrentDrawingSetting(); }
};

} // namespace

// Unchecking Grid disables its steps and bases; on a read-only drawing the grid fields, the two
// Select Topmost boxes and Link Marks Scale stay usable while the pen is not.
TEST_F(DrawingSettingsPage, GridAndReadOnlyDecideWhatIsUsable)
{
    Setting().ShowGrid = 1;
    RunSheet(OPTPAGE_DRAWINGSETTINGSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_drawing_settings")));
            EXPECT_TRUE(Enabled(IDC_DS_GRID_X));
            EXPECT_TRUE(Enabled(IDC_DS_BASE_Y_SPIN));
            Click(Item(IDC_DS_GRID));
            EXPECT_FALSE(Enabled(IDC_DS_GRID_X));
            EXPECT_FALSE(Enabled(IDC_DS_BASE_Y));
            EXPECT_FALSE(Enabled(IDC_DS_BASE_Y_SPIN));
            EXPECT_TRUE(Enabled(IDC_DS_SNAP));
            Click(Item(IDC_DS_GRID));
        });
    });
    control->SetReadOnly(true);
    RunSheet(OPTPAGE_DRAWINGSETTINGSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            for (int id : {IDC_DS_GRID, IDC_DS_GRID_X, IDC_DS_BASE_X, IDC_DS_TOPMOST_SHAPE, IDC_DS_TOPMOST_LINE,
                           IDC_DS_LINK_MARKS})
                EXPECT_TRUE(Enabled(id)) << id;
            for (int id : {IDC_DS_PEN_COLOUR, IDC_DS_PEN_TYPE, IDC_DS_PEN_WIDTH, IDC_DS_LAYER, IDC_DS_SNAP,
                           IDC_DS_DRAW_IMAGES, IDC_DS_FONT_DIALOG})
                EXPECT_FALSE(Enabled(id)) << id;
        });
    });
}

// The number fields keep digits, one point and a leading minus; a ranged field is held in its
// range (the arrow size by the drawing's size); a spin step moves the value by 0.1, the upper
// arrow up.
TEST_F(DrawingSettingsPage, NumberFieldsFilterClampAndSpin)
{
    control->GetSiteRecord().SetDraftLimits(CRealRect(0, 400, 600, 0));
    std::string width, clamped, arrows, base, spun;
    RunSheet(OPTPAGE_DRAWINGSETTINGSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Type(Item(IDC_DS_PEN_WIDTH), "1a2.3.4");
            width = Text(Item(IDC_DS_PEN_WIDTH));
            Type(Item(IDC_DS_PEN_WIDTH), "20000");
            clamped = Text(Item(IDC_DS_PEN_WIDTH));
            Type(Item(IDC_DS_ARROWS), "50");
            arrows = Text(Item(IDC_DS_ARROWS));
            Type(Item(IDC_DS_BASE_X), "-5");
            base = Text(Item(IDC_DS_BASE_X));
            // The upper arrow of the width's spin, pressed and released.
            SetWindowTextA(Item(IDC_DS_PEN_WIDTH), "1.00");
            HWND spin = Item(IDC_DS_PEN_WIDTH_SPIN);
            RECT r;
            GetClientRect(spin, &r);
            const LPARAM upper = MAKELPARAM(r.right / 2, r.bottom / 4);
            SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, upper);
            SendMessageA(spin, WM_LBUTTONUP, 0, upper);
            spun = Text(Item(IDC_DS_PEN_WIDTH));
        });
    });
    EXPECT_EQ(width, "12.34");
    EXPECT_EQ(clamped, "10000.00");
    EXPECT_EQ(arrows, "20.00") << "0.02 x (600 + 400)";
    EXPECT_EQ(base, "-5") << "a base may lie below zero";
    EXPECT_EQ(spun, "1.10");

    // A small drawing (10 + 10 across) still allows arrows up to 0.4, not 0.
    control->GetSiteRecord().SetDraftLimits(CRealRect(0, 10, 10, 0));
    RunSheet(OPTPAGE_DRAWINGSETTINGSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Type(Item(IDC_DS_ARROWS), "5");
            arrows = Text(Item(IDC_DS_ARROWS));
            Type(Item(IDC_DS_ARROWS), "0.25");
            base = Text(Item(IDC_DS_ARROWS));
        });
    });
    EXPECT_EQ(arrows, "0.40");
    EXPECT_EQ(base, "0.25");
}

// The three switches of the control: Select Topmost Shape checked clears its flag, Select Topmost
// Line checked sets its flag, Always Draw Images checked clears the framing flag; the setting takes
// the typed values.
TEST_F(DrawingSettingsPage, SwitchesAndValuesReachTheControlOnApply)
{
    control->SetControlFlags(controlSelectOnlyTopmostShape | controlFrameEditedImages);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(
        OPTPAGE_DRAWINGSETTINGSDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                EXPECT_FALSE(Checked(Item(IDC_DS_TOPMOST_SHAPE)));
                EXPECT_FALSE(Checked(Item(IDC_DS_DRAW_IMAGES)));
                Click(Item(IDC_DS_TOPMOST_SHAPE));
                Click(Item(IDC_DS_TOPMOST_LINE));
                Click(Item(IDC_DS_DRAW_IMAGES));
                Type(Item(IDC_DS_GRID_X), "12.5");
                Choose(Item(IDC_DS_ALIGNMENT), "Bottom Right");
            });
        },
        PSBTN_OK);
    const DWORD flags = control->GetControlFlags();
    EXPECT_FALSE(flags & controlSelectOnlyTopmostShape);
    EXPECT_TRUE(flags & controlSelectOnlyTopmostPolyline);
    EXPECT_FALSE(flags & controlFrameEditedImages);
    EXPECT_EQ(Setting().GridXSpace, 12.5f);
    EXPECT_EQ(COptionsDrawingSettingsPage::AlignmentCode(Setting().StyleWord), 10);
    const std::vector<DISPID> ids = sink.Ids();
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids[0], static_cast<DISPID>(cetOnEditDrawingSetting));
    // The default text took the alignment (bottom right) and was told of it.
    CShape* text = control->GetShapeMap().Lookup(DEFAULT_TEXT_ID);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(static_cast<CText*>(text)->GetAlignType(), 2u | 8u);
    EXPECT_NE(std::find(ids.begin(), ids.end(), static_cast<DISPID>(cetOnEndEditShape)), ids.end());
}

// The alignment codes 0 to 10 go into the style word's bits 4 to 7 and come back; other bits stay.
TEST(DrawingSettingsNames, AlignmentCodesAndColourNames)
{
    for (int code : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        const DWORD style = COptionsDrawingSettingsPage::StyleWithAlignment(0x10F, code);
        EXPECT_EQ(style & 0x10F, 0x10Fu) << code;
        EXPECT_EQ(COptionsDrawingSettingsPage::AlignmentCode(style), code);
    }
    const struct {
        COLORREF colour;
        const char* name;
    } names[] = {{0x0100FE, "Red"},        {0x123456, "H123456"},   {0x0000FF, "Red"},   {0x00FF00, "Green"},
                 {0xFF0000, "Blue"},       {0x0B0000, "Black"},     {0x0C0000, "H0C0000"}, {0x808080, "Grey"},
                 {0xC0C0C0, "Lt. Grey"},   {0x20000000, "By Layer"}, {0x40000000, "By Block"}};
    for (const auto& n : names)
        EXPECT_EQ(COptionsDrawingSettingsPage::ColourName(n.colour), n.name) << std::hex << n.colour;
}

// With undo recording off, a host that vetoes OnEditDrawingSetting keeps the setting and every
// default shape as they were: a new pen colour reaches neither.
TEST_F(DrawingSettingsPage, VetoedPenColourChangesNothing)
{
    control->GetUndoRecorder()->Suspend();
    const DWORD before = Setting().PenColor;
    std::map<int, DWORD> pens;
    CGroup* defaults = static_cast<CGroup*>(control->GetShapeMap().Lookup(DEFAULT_SHAPES_ID));
    ASSERT_NE(defaults, nullptr);
    ASSERT_GT(defaults->GetShapeCount(), 0);
    for (CShape* shape : defaults->Children())
        pens[shape->GetId()] = shape->GetPenColor();
    EventSink sink(VARIANT_FALSE);
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(
        OPTPAGE_DRAWINGSETTINGSDLG,
        [&](DialogDriver& d) {
            d.Do([&] { Click(Item(IDC_DS_PEN_COLOUR)); });
            // The colour popup: first swatch of the third column (the specials take two rows).
            d.Then([] { return DialogDriver::FindPopupMenu() != nullptr; });
            for (UINT key : {VK_DOWN, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})
                d.Do([key] { DialogDriver::PostKey(DialogDriver::FindPopupMenu(), key); });
            d.Do([&] {
                EXPECT_EQ(COptionsDrawingSettingsPage::GetButtonColour(Item(IDC_DS_PEN_COLOUR)),
                          CColorPopupMenu::SwatchColours()[10]);
            });
        },
        PSBTN_OK);
    EXPECT_EQ(sink.Ids(), (std::vector<DISPID>{cetOnEditDrawingSetting}));
    EXPECT_EQ(Setting().PenColor, before);
    for (CShape* shape : defaults->Children())
        EXPECT_EQ(shape->GetPenColor(), pens[shape->GetId()]) << shape->GetId();
    control->GetUndoRecorder()->Resume();
}
