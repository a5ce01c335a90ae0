// The control's page set-up as the print object's PutPrintRect keeps it: the default printer's
// paper taken once, turned to the orientation of the rectangle, and left alone after that; and
// the page layout that places a drawing on the paper.
#include <gtest/gtest.h>
#include "control/PageLayout.h"
#include "control/PageSetupRecord.h"

TEST(PageSetup, ALandscapeRectangleTurnsPortraitPaperOnce)
{
    CPageSetupRecord page;
    int asked = 0;
    auto a4 = [&](CRealPoint* paper) {
        ++asked;
        *paper = CRealPoint(210.0f, 297.0f);
        return true;
    };
    page.SetPrintRect(CRealRect(0.0f, 100.0f, 300.0f, 0.0f), a4);
    EXPECT_EQ(asked, 1) << "the printer had not been set up";
    EXPECT_FLOAT_EQ(page.paperSize.x, 297.0f) << "landscape";
    EXPECT_FLOAT_EQ(page.paperSize.y, 210.0f);
    EXPECT_FLOAT_EQ(page.printRect.right, 300.0f);

    page.SetPrintRect(CRealRect(0.0f, 100.0f, 300.0f, 0.0f), a4);
    EXPECT_EQ(asked, 1) << "set up once";
    EXPECT_FLOAT_EQ(page.paperSize.x, 297.0f) << "the same rectangle changes nothing";

    page.SetPrintRect(CRealRect(0.0f, 300.0f, 100.0f, 0.0f), a4);
    EXPECT_FLOAT_EQ(page.paperSize.x, 210.0f) << "a portrait rectangle turns it back";

    // Without a printer the paper stays unknown and nothing turns.
    CPageSetupRecord none;
    none.SetPrintRect(CRealRect(0.0f, 100.0f, 300.0f, 0.0f), [](CRealPoint*) { return false; });
    EXPECT_FLOAT_EQ(none.paperSize.x, 0.0f);
    EXPECT_EQ(none.printerSetUp, 1);
}

// Where the drawing lands on a page of 100 x 200 mm at 10 pixels a millimetre. The printable
// page (millimetres, y up) runs from 0 to 87 across and from 6.75 to 197.75 up: the margin point
// (13, 9) taken a quarter at a time, none on the left and four on the right, one at the top and
// three at the bottom, all on the paper.
TEST(PageLayout, PlacesTheDrawingOnThePage)
{
    CPageLayout::Device device;
    device.horzRes = 1000;
    device.vertRes = 2000;
    device.horzSizeMm = 100;
    device.vertSizeMm = 200;
    const SIZE samePage = {1000, 2000};
    struct Case {
        const char* what;
        CRealRect source, drawing;
        float scale;
        bool centered;
        CRealPoint offset;
        const SIZE* page;
        RECT expected;
    } cases[] = {
        // 400 x 400 prepared units fitted into 87 mm across, centred up the page at 102.25 mm.
        {"fitted and centred", {0, 100, 100, 0}, {0, 100, 100, 0}, 0.0f, true, {0, 0}, nullptr, {0, 1457, 870, 587}},
        {"a negative scale fits too", {0, 100, 100, 0}, {0, 100, 100, 0}, -1.0f, true, {0, 0}, nullptr, {0, 1457, 870, 587}},
        // Scale 10: a tenth of a millimetre to the unit, 100 mm about the page's centre.
        {"at a scale", {0, 100, 100, 0}, {0, 100, 100, 0}, 10.0f, true, {0, 0}, nullptr, {-65, 1522, 935, 522}},
        // Not centred: the top left corner 5 mm right of and 7 mm below the page's.
        {"moved by the offset", {0, 100, 100, 0}, {0, 100, 100, 0}, 0.0f, false, {5, 7}, nullptr, {50, 1907, 920, 1037}},
        // The print source (the draft limits) is fitted; the drawing sits where it lies in it.
        {"a drawing inside the source", {0, 200, 200, 0}, {50, 100, 100, 50}, 0.0f, true, {0, 0}, nullptr, {217, 1022, 435, 805}},
        // A preview page of the device's own size: the margin a quarter on the left as well.
        {"a preview page", {0, 100, 100, 0}, {0, 100, 100, 0}, 0.0f, true, {0, 0}, &samePage, {32, 1457, 902, 587}},
    };
    for (const Case& c : cases) {
        CRealRect source, drawing;
        ASSERT_TRUE(CPageLayout::Prepare(c.source, &source)) << c.what;
        ASSERT_TRUE(CPageLayout::Prepare(c.drawing, &drawing)) << c.what;
        CPageLayout::Placement placement;
        placement.scale = c.scale;
        placement.centered = c.centered;
        placement.offset = c.offset;
        RECT pixels = {};
        ASSERT_TRUE(CPageLayout::Compute(source, drawing, device, c.page, placement, &pixels)) << c.what;
        EXPECT_NEAR(pixels.left, c.expected.left, 1) << c.what;
        EXPECT_NEAR(pixels.top, c.expected.top, 1) << c.what;
        EXPECT_NEAR(pixels.right, c.expected.right, 1) << c.what;
        EXPECT_NEAR(pixels.bottom, c.expected.bottom, 1) << c.what;
    }

    CPageLayout::Device none;
    CRealRect any;
    ASSERT_TRUE(CPageLayout::Prepare(CRealRect(0, 1, 1, 0), &any));
    RECT pixels = {};
    EXPECT_FALSE(CPageLayout::Compute(any, any, none, nullptr, CPageLayout::Placement(), &pixels))
        << "a context without a size";
}

// The rectangles the layout starts from: normalised, a missing side widened by a hundredth of
// the other in all, times four; a point is no rectangle.
TEST(PageLayout, PreparesTheRectangles)
{
    struct Case {
        CRealRect world;
        bool ok;
        CRealRect prepared;
    } cases[] = {
        {{0, 10, 100, 10}, true, {0, 42, 400, 38}},
        {{5, 0, 5, 200}, true, {16, 800, 24, 0}},
        {{10, -20, -10, 20}, true, {-40, 80, 40, -80}},
        {{3, 3, 3, 3}, false, {}},
    };
    for (const Case& c : cases) {
        CRealRect out;
        EXPECT_EQ(CPageLayout::Prepare(c.world, &out), c.ok);
        if (!c.ok)
            continue;
        EXPECT_FLOAT_EQ(out.left, c.prepared.left);
        EXPECT_FLOAT_EQ(out.top, c.prepared.top);
        EXPECT_FLOAT_EQ(out.right, c.prepared.right);
        EXPECT_FLOAT_EQ(out.bottom, c.prepared.bottom);
    }
}
