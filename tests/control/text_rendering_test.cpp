// Rich texts measured and rendered by the hidden rich-edit window of a single live control: font
// sizes fitted to the height, colours kept, turned and mirrored texts laid out by geometry in a
// DIB section (glyph shapes differ between platforms; positions, sizes and colours do not).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DrawingTestSupport.h"
#include "control/SharedResources.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Text.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

CText* MakeRichText(CYVEXControl& control, const char* rtf, float x, float y, float height)
{
    auto* text = static_cast<CText*>(control.GetShapeMap().CreateShape(stText, true, true));
    EXPECT_NE(text, nullptr);
    text->StoreText(rtf, -1);
    text->SetPointCoords(3, x, y, 0);
    text->SetHeight(height);
    return text;
}

// The rows of a canvas that hold ink, as runs [first, last].
std::vector<std::pair<int, int>> InkRows(const drawtest::Canvas& canvas)
{
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < canvas.Height(); ++y) {
        bool ink = false;
        for (int x = 0; x < canvas.Width() && !ink; ++x)
            ink = canvas.Pixel(x, y) != 0xFFFFFF;
        if (ink && (runs.empty() || runs.back().second != y - 1))
            runs.push_back({y, y});
        else if (ink)
            runs.back().second = y;
    }
    return runs;
}
} // namespace

// \fs24 and \fs12 fitted to 30 pixels: the larger becomes the whole height (45 half-points at
// 96 dpi), the smaller half of it, each written as wide as it was.
TEST(RichText, FontSizesFitTheHeight)
{
    int lines = 0;
    EXPECT_EQ(FitRtfFontSizes("{\\rtf1{\\fs24 Big}\\par{\\fs12 small}\\par\\pard x}", 30, 96, 0, &lines),
              "{\\rtf1{\\fs45 Big}\\par{\\fs22 small}\\par\\pard x}");
    // A paragraph mark counts before a control word or a blank (\pard is none).
    EXPECT_EQ(lines, 2);
    // Fewer digits than before are padded; escaped backslashes and \fswiss are no sizes.
    EXPECT_EQ(FitRtfFontSizes("{\\rtf1\\fswiss\\fs240 A\\\\fs24\\fs12 B}", 8, 96, 0, nullptr),
              "{\\rtf1\\fswiss\\fs012 A\\\\fs24\\fs00 B}");
    // A size below 1 counts as the largest; without any size the text's own height stands in.
    EXPECT_EQ(FitRtfFontSizes("{\\rtf1\\fs-2 A\\fs20 B}", 20, 96, 0, nullptr), "{\\rtf1\\fs30 A\\fs30 B}");
    EXPECT_EQ(FitRtfFontSizes("{\\rtf1 plain}", 20, 96, 10, &lines), "{\\rtf1 plain}");
    EXPECT_EQ(lines, 1);
}

// Rendered at 30 pixels, the \fs24 line's capitals are twice as tall as the \fs12 line's.
TEST(RichText, MeasuredAndRenderedWithOneControl)
{
    ASSERT_EQ(GetLiveControlCount(), 0);
    ControlRef control;
    ASSERT_NE(control->GetRichEditWindow(), nullptr);
    CText* text = MakeRichText(*control, "{\\rtf1\\fs24 HH\\par\\fs12 HH}", 0, 0, 30);
    drawtest::Canvas canvas(200, 200);
    HDC dc = canvas.Dc();
    SetMapMode(dc, MM_TEXT);
    SIZE size{0, 30};
    int lines = 0;
    ASSERT_GT(text->MeasureRtf(dc, &size, &lines), 0);
    EXPECT_EQ(lines, 2);
    EXPECT_GT(size.cx, 10);
    // Two lines of 30 and 15 pixels, with their leading.
    EXPECT_GE(size.cy, 45);
    EXPECT_LE(size.cy, 80);
    text->RenderRtf(dc, size);
    const std::vector<std::pair<int, int>> rows = InkRows(canvas);
    ASSERT_EQ(rows.size(), 2u);
    const int big = rows[0].second - rows[0].first + 1, small = rows[1].second - rows[1].first + 1;
    EXPECT_NEAR(static_cast<double>(big) / small, 2.0, 0.4) << big << " and " << small;
    EXPECT_NEAR(big, 30 * 0.72, 6); // a capital is about seven tenths of the font's size
}

// A word in red keeps its colour; the black word beside it stays black; what is not text stays
// the canvas's own.
TEST(RichText, AColouredWordRendersInItsColour)
{
    ControlRef control;
    drawtest::Canvas canvas(400, 200);
    drawtest::SetPixelView(*control, 200);
    CText* text = MakeRichText(*control, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs40 Plain \\cf1 Red}", 20, 150, 40);
    CDrawContext context = drawtest::Context(canvas.Dc());
    ASSERT_EQ(text->Draw(context), 1);
    const int red = canvas.Count(RGB(255, 0, 0));
    const int black = canvas.Count(RGB(0, 0, 0));
    EXPECT_GT(red, 60);
    EXPECT_GT(black, 60);
    // The red word stands right of the black one.
    const RECT redInk = canvas.ColourExtent(RGB(255, 0, 0)), blackInk = canvas.ColourExtent(RGB(0, 0, 0));
    EXPECT_GT(redInk.left, blackInk.right - 2);
    // Everything drawn lies below and right of the anchor, the text's top left corner.
    const RECT ink = canvas.InkExtent();
    const POINT anchor = control->GetCurrentViewport().WorldToDevice(CRealPoint(20, 150));
    EXPECT_GE(ink.left, anchor.x - 2);
    EXPECT_GE(ink.top, anchor.y - 2);
    // The text took the width it renders at, and the frame holds the ink.
    EXPECT_GT(text->GetWidth(), 0.0f);
}

// Turned a quarter the text stands up from its anchor (its bitmap's width and height swapped);
// with a negative width it runs to the left of its anchor.
TEST(RichText, TurnedAndMirroredTexts)
{
    ControlRef control;
    drawtest::SetPixelView(*control, 400);
    const char* rtf = "{\\rtf1\\fs40 Turned}";
    RECT flat{}, upright{}, mirrored{};
    for (int pass = 0; pass < 3; ++pass) {
        drawtest::Canvas canvas(400, 400);
        CText* text = MakeRichText(*control, rtf, 200, 200, 30);
        if (pass == 1)
            text->SetRotation(90);
        CDrawContext context = drawtest::Context(canvas.Dc());
        ASSERT_EQ(text->Draw(context), 1) << pass;
        if (pass == 2) {
            // Its width known, the text is mirrored.
            canvas.Clear();
            text->SetWidth(-text->GetWidth());
            ASSERT_EQ(text->Draw(context), 1);
        }
        (pass == 0 ? flat : pass == 1 ? upright : mirrored) = canvas.InkExtent();
    }
    const POINT anchor = control->GetCurrentViewport().WorldToDevice(CRealPoint(200, 200));
    const int w = flat.right - flat.left, h = flat.bottom - flat.top;
    ASSERT_GT(w, h);
    EXPECT_NEAR(upright.right - upright.left, h, 4);
    EXPECT_NEAR(upright.bottom - upright.top, w, 4);
    // Turned counter-clockwise: above the anchor, to its right by the line's height.
    EXPECT_LE(upright.bottom, anchor.y + 2);
    EXPECT_GE(upright.left, anchor.x - 2);
    // Mirrored: left of the anchor, as wide as before.
    EXPECT_LE(mirrored.right, anchor.x + 2);
    EXPECT_NEAR(mirrored.right - mirrored.left, w, 4);
}

// Without a live control there is no window to render in: nothing is drawn.
TEST(RichText, NothingIsDrawnWithoutTheWindow)
{
    CControlCore core;
    drawtest::Canvas canvas(100, 100);
    drawtest::SetPixelView(core, 100);
    auto* text = static_cast<CText*>(core.GetShapeMap().CreateShape(stText, true, true));
    text->StoreText("{\\rtf1 nothing}", -1);
    text->SetPointCoords(3, 10, 90, 0);
    text->SetHeight(20);
    CDrawContext context = drawtest::Context(canvas.Dc());
    EXPECT_EQ(text->Draw(context), 1);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 100 * 100);
}

// A host's picture of the drawing (DrawToDC into a bitmap of its own, as a host saves a PNG): the
// rich text stands on one line as wide and as finely drawn as a plain text of the same words,
// font and height in the same place.
TEST(RichText, AHostsPictureShowsTheWholeRichTextSharply)
{
    const char* words = "Rich bold and red text";
    const std::string rtf = std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + words + "}";
    struct Ink
    {
        RECT extent;
        int runs;
        double grey; // the share of the ink that is neither near black nor near white
    };
    Ink ink[2];
    for (int rich = 0; rich < 2; ++rich) {
        ControlRef control;
        CGroup* root = control->GetRootGroup();
        ASSERT_NE(root, nullptr);
        // A white frame fixes the picture's extent alike for both.
        CShape* frame = control->GetShapeMap().CreateShape(stLine, true, true);
        frame->SetPointCoords(3, 0, 0, 0);
        frame->SetPointCoords(3, 200, 80, 1);
        frame->SetPenColor(0xFFFFFF);
        root->AddChild(frame, nullptr, 0, false);
        auto* text = static_cast<CText*>(control->GetShapeMap().CreateShape(stText, true, true));
        text->SetTextType(rich ? ttRTF : ttANSI);
        text->StoreText(rich ? rtf.c_str() : words, -1);
        text->SetPointCoords(3, 20, 50, 0);
        text->SetHeight(10);
        text->SetFontNameA("Arial");
        root->AddChild(text, nullptr, 0, false);
        drawtest::Canvas canvas(1000, 400);
        ASSERT_GE(control->DrawToDC(canvas.Dc(), 0, 0, MulDiv(1000, 2540, 96), MulDiv(400, 2540, 96), 0), 0);
        ink[rich].extent = canvas.InkExtent();
        ink[rich].runs = static_cast<int>(InkRows(canvas).size());
        int inked = 0, grey = 0;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const int level = static_cast<int>(canvas.Pixel(x, y) & 0xFF);
                inked += level < 250;
                grey += level >= 0x40 && level <= 0xC0;
            }
        ink[rich].grey = inked ? static_cast<double>(grey) / inked : 0.0;
    }
    const int plainWidth = ink[0].extent.right - ink[0].extent.left;
    const int richWidth = ink[1].extent.right - ink[1].extent.left;
    ASSERT_GT(plainWidth, 100);
    EXPECT_EQ(ink[1].runs, 1) << "the rich text on one line";
    EXPECT_NEAR(richWidth, plainWidth, plainWidth * 0.2) << "rich " << richWidth << ", plain " << plainWidth;
    // Letters as sharp as the plain text's: a bitmap of coarser pixels stretched onto the picture
    // blurs their edges into grey.
    EXPECT_LE(ink[1].grey, ink[0].grey + 0.1) << "rich " << ink[1].grey << ", plain " << ink[0].grey;
}
