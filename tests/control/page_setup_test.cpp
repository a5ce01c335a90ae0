// The control's page set-up as the print object's PutPrintRect keeps it: the default printer's
// paper taken once, turned to the orientation of the rectangle, and left alone after that.
#include <gtest/gtest.h>
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
