// The extent of a plain text as a host reads it through the control's interfaces, right after
// adding it and before anything is drawn: in a control that has no window and in one hosted in a
// window and zoomed. The extent follows the text's height, horizontal scale and rotation in world
// units, whatever the view; the box width given to AddPlainText does not set a plain text's width
// (its characters do).
#include "tests/support/HostedControl.h"
#include "model/Group.h"
#include "model/Text.h"
#include <cmath>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

const wchar_t kWords[] = L"three short words";

struct Box {
    float left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
};

// A plain text added to the drawing as AddPlainText adds it, at (x, y) (top left), its
// horizontal scale set when not 1, and its extent.
Box AddedTextBox(CYVEXControl& control, float x, float y, float width, float height, float rotation, float xScale = 1.0f)
{
    LONG id = 0;
    EXPECT_EQ(control.AddText(control.GetRootGroup(), kWords, x, y, ttANSI, width, height, 0, rotation, 0.0f, &id), S_OK);
    auto* text = dynamic_cast<CText*>(control.FindShape(id));
    Box box;
    if (!text)
        return box;
    if (xScale != 1.0f)
        text->SetXScale(xScale);
    EXPECT_EQ(text->GetBoundingRect(&box.left, &box.top, &box.right, &box.bottom), S_OK);
    return box;
}

// What a text of height h must measure: its words some 4 to 12 heights long, its frame the
// height and the part below the baseline (less than half a height).
void ExpectPlainTextOfHeight(const Box& box, double h, const std::string& what)
{
    EXPECT_GT(box.Width(), 4 * h) << what;
    EXPECT_LT(box.Width(), 12 * h) << what;
    EXPECT_GT(box.Height(), h) << what;
    EXPECT_LT(box.Height(), 1.5 * h) << what;
}

// The table of both controls: heights from a fraction of a pixel to thousands of units, each
// with box widths 0, 2 and 200; a text twice as wide; texts turned a quarter and by 30 degrees.
// Returns the width per unit of height, the same for every text.
double CheckTheTable(CYVEXControl& control)
{
    const Box unit = AddedTextBox(control, 0, 0, 0, 1.0f, 0);
    ExpectPlainTextOfHeight(unit, 1.0, "height 1");
    const double perHeight = unit.Width(), framePerHeight = unit.Height();
    for (float h : {0.0025f, 0.15f, 2.6f, 26.0f, 2600.0f}) {
        for (float width : {0.0f, 2.0f, 200.0f}) {
            const std::string what = "height " + std::to_string(h) + ", box width " + std::to_string(width);
            const Box box = AddedTextBox(control, 10, 20, width, h, 0);
            ExpectPlainTextOfHeight(box, h, what);
            EXPECT_NEAR(box.Width(), perHeight * h, perHeight * h * 1e-3) << what;
            EXPECT_NEAR(box.Height(), framePerHeight * h, framePerHeight * h * 1e-3) << what;
            EXPECT_NEAR(box.left, 10, 1e-4 * (1 + h)) << what;
            EXPECT_NEAR(box.top, 20, 1e-4 * (1 + h)) << what;
        }
    }
    const Box wide = AddedTextBox(control, 0, 0, 0, 2.6f, 0, 2.0f);
    EXPECT_NEAR(wide.Width(), 2 * perHeight * 2.6, perHeight * 2.6 * 1e-3) << "horizontal scale 2";
    EXPECT_NEAR(wide.Height(), framePerHeight * 2.6, framePerHeight * 2.6 * 1e-3) << "horizontal scale 2";
    // Turned a quarter, the top-left text hangs to the right of its anchor and rises along it.
    const Box upright = AddedTextBox(control, 5, 5, 0, 2.6f, 90);
    EXPECT_NEAR(upright.Height(), perHeight * 2.6, perHeight * 2.6 * 1e-3) << "turned 90";
    EXPECT_NEAR(upright.Width(), framePerHeight * 2.6, framePerHeight * 2.6 * 1e-3) << "turned 90";
    EXPECT_NEAR(upright.left, 5, 1e-3);
    EXPECT_NEAR(upright.bottom, 5, 1e-3);
    // Turned by 30 degrees: the box of the turned frame.
    const double w = perHeight * 26, f = framePerHeight * 26, c = std::sqrt(3.0) / 2, s = 0.5;
    const Box turned = AddedTextBox(control, 0, 0, 0, 26.0f, 30);
    EXPECT_NEAR(turned.Width(), w * c + f * s, w * 1e-3) << "turned 30";
    EXPECT_NEAR(turned.Height(), w * s + f * c, w * 1e-3) << "turned 30";
    return perHeight;
}

// Hosted, with the inner objects (the site and its collections) made as the class factory does.
class HostedTextExtents : public HostedControl
{
};

} // namespace

// A control that was never given a window: its view is the default one.
TEST(TextExtents, FollowHeightScaleAndRotationInAControlWithoutAWindow)
{
    ControlRef control;
    CheckTheTable(*control);
}

// Hosted and zoomed in and out between the adds: the same extents as without a window.
TEST_F(HostedTextExtents, FollowHeightScaleAndRotationWhateverTheZoom)
{
    ControlRef windowless;
    const Box expected = AddedTextBox(*windowless, 0, 0, 0, 3.0f, 0);
    const double perHeight = CheckTheTable(*control);
    EXPECT_NEAR(perHeight * 3.0, expected.Width(), expected.Width() * 1e-3) << "as without a window";
    for (const float reach : {0.01f, 50000.0f}) {
        ASSERT_TRUE(SUCCEEDED(control->ZoomWindow(VARIANT_FALSE, 0, 0, reach, reach))) << reach;
        const Box box = AddedTextBox(*control, 0, 0, 0, 3.0f, 0);
        EXPECT_NEAR(box.Width(), expected.Width(), expected.Width() * 1e-3) << "zoomed to " << reach;
        EXPECT_NEAR(box.Height(), expected.Height(), expected.Height() * 1e-3) << "zoomed to " << reach;
    }
}

// The drawing's extent (which ZoomAll and importers setting the draft limits take) holds a text
// as it is measured, also when it was asked for before the text was added.
TEST(TextExtents, TheDrawingsExtentHoldsTheTextsAsMeasured)
{
    ControlRef control;
    CGroup* root = control->GetRootGroup();
    LONG id = 0;
    ASSERT_EQ(control->AddLine(root, 0, 0, 1, 1, &id), S_OK);
    Box before;
    ASSERT_EQ(root->GetBoundingRect(&before.left, &before.top, &before.right, &before.bottom), S_OK);
    EXPECT_NEAR(before.right, 1, 1e-5);
    const Box text = AddedTextBox(*control, 0, 0.5f, 0, 0.0025f, 0);
    Box after;
    ASSERT_EQ(root->GetBoundingRect(&after.left, &after.top, &after.right, &after.bottom), S_OK);
    EXPECT_NEAR(after.right, 1, 1e-5) << "a text 2.5 thousandths high stays inside the line's box";
    EXPECT_NEAR(after.top, 1, 1e-5);
    EXPECT_LT(text.right, 0.1f);
}
