// The text kind: its data and setters, line counting, the frame by alignment, hit tests,
// transforms and handles; plain texts measured (tabs, line breaks, a negative scale) and drawn
// by geometry in a DIB section, greeking of tiny texts, and the leader of a label.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/FontCache.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/Text.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"
#include "tests/support/DrawingTestSupport.h"

namespace {

CText* MakeText(CControlCore& control, int type, const char* text, float x, float y, float height)
{
    auto* shape = static_cast<CText*>(control.GetShapeMap().CreateShape(stText, true, true));
    EXPECT_NE(shape, nullptr);
    shape->SetTextType(type);
    shape->StoreText(text, -1);
    shape->SetPointCoords(3, x, y, 0);
    shape->SetHeight(height);
    return shape;
}

// The frame's box: left, top, right, bottom (y up).
CRealRect FrameBox(CText& text)
{
    CRealPoint frame[5];
    EXPECT_TRUE(text.GetTextFrame(frame));
    CRealRect box(frame[0].x, frame[0].y, frame[0].x, frame[0].y);
    for (const CRealPoint& p : frame) {
        box.left = std::min(box.left, p.x);
        box.right = std::max(box.right, p.x);
        box.top = std::max(box.top, p.y);
        box.bottom = std::min(box.bottom, p.y);
    }
    return box;
}

} // namespace

TEST(TextShape, ANewTextAndItsCopy)
{
    CControlCore control;
    control.GetCurrentDrawingSetting()->FontName = "Courier";
    auto* text = static_cast<CText*>(control.GetShapeMap().CreateShape(stText, true, true));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetTextType(), ttRTF);
    EXPECT_EQ(text->GetHeight(), -1.0f);
    EXPECT_EQ(text->GetXScale(), 1.0f);
    EXPECT_EQ(text->GetAlignType(), 0u);
    EXPECT_EQ(text->GetClassShapeType(), stText);
    EXPECT_EQ(text->GetFontNameA(), "Courier");
    CLSID clsid;
    text->GetCoClassId(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_TextShape));

    text->SetTextType(ttANSI);
    text->StoreText("one\ntwo", -1);
    text->SetHeight(3);
    text->SetRotation(12);
    text->SetAlignType(0x6);
    std::vector<CTextField> fields{{L"[Name]", L"Name", 0}};
    text->SetFieldList(&fields);
    auto* copy = static_cast<CText*>(control.GetShapeMap().CloneShape(text, true));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetText(), "one\ntwo");
    EXPECT_EQ(copy->GetLineCount(), 2);
    EXPECT_EQ(copy->GetTextType(), ttANSI);
    EXPECT_EQ(copy->GetHeight(), 3.0f);
    EXPECT_EQ(copy->GetRotation(), 12.0);
    EXPECT_EQ(copy->GetAlignType(), 0x6u);
    EXPECT_EQ(copy->GetFontNameA(), "Courier");
    ASSERT_NE(copy->GetFieldList(), nullptr);
    EXPECT_EQ((*copy->GetFieldList())[0].name, L"Name");
    EXPECT_TRUE(copy->IsDirty());

    // Attributes, definitions and labels are the texts that belong to their parents.
    for (int type : {ttAttrib, ttAttDef, ttLabel}) {
        text->SetTextType(type);
        EXPECT_TRUE(text->IsAttributeOrLabel()) << type;
    }
    text->SetTextType(ttANSI);
    EXPECT_FALSE(text->IsAttributeOrLabel());
}

TEST(TextShape, AlignmentAndLineCounting)
{
    CControlCore control;
    CText* text = MakeText(control, ttANSI, "", 0, 0, 1);
    struct Align
    {
        DWORD given, kept;
    };
    for (const Align& a : {Align{0x18, 0x8}, Align{0x10018, 0x10000}, Align{0x1E, 0xE}, Align{0x6, 0x6},
                           Align{0x10002, 0x10002}})
        {
            text->SetAlignType(a.given);
            EXPECT_EQ(text->GetAlignType(), a.kept) << std::hex << a.given;
        }

    struct Lines
    {
        const char* text;
        int lines, longest;
    };
    for (const Lines& l : {Lines{"ab\r\ncd\n", 3, 2}, Lines{"abc", 1, 3}, Lines{"a\n\rbcd", 2, 3}, Lines{"x\n", 2, 1},
                           Lines{"abcd\r\nab", 2, 4}}) {
        text->StoreText(l.text, -1);
        EXPECT_EQ(text->GetLineCount(), l.lines) << l.text;
        EXPECT_EQ(text->GetLongestLine(), l.longest) << l.text;
        EXPECT_EQ((text->GetState() & CText::stSeveralLines) != 0, l.lines > 1) << l.text;
    }
    // A rich text lays its own lines out: one line.
    CText* rich = MakeText(control, ttRTF, "{\\rtf1 a\\par b\\par c}", 0, 0, 1);
    EXPECT_EQ(rich->GetLineCount(), 1);
    EXPECT_EQ(rich->GetState() & CText::stSeveralLines, 0u);

    // Blank texts are kept as none.
    text->StoreText("   \t ", -1);
    EXPECT_TRUE(text->GetText().empty());
    EXPECT_TRUE(IsBlankText("", 0));
    EXPECT_FALSE(IsBlankText(" x", 2));
}

// The width of a plain text scales its characters; a new text keeps its characters' width.
TEST(TextShape, WidthScaleAndText)
{
    CControlCore control;
    CText* text = MakeText(control, ttANSI, "abcd", 0, 0, 2);
    text->RecalcExtent();
    text->SetWidth(10);
    text->SetXScale(1.0f);
    text->SetWidth(20);
    EXPECT_EQ(text->GetXScale(), 2.0f);
    text->StoreText("abcdefgh", -1);
    EXPECT_EQ(text->GetWidth(), 40.0f);
    // A rich text's width is its box's: no scale.
    CText* rich = MakeText(control, ttRTF, "{\\rtf1 x}", 0, 0, 2);
    rich->SetWidth(10);
    rich->SetWidth(20);
    EXPECT_EQ(rich->GetXScale(), 1.0f);
    // Bold is a heavier pen.
    text->SetFontStyle(0x8);
    EXPECT_EQ(text->GetPenWeight(), 10.0f);
    text->SetFontStyle(0x1);
    EXPECT_EQ(text->GetPenWeight(), 0.0f);
}

// The anchor is the frame's point that the alignment names; a rich text's is its top left.
TEST(TextShape, FrameFollowsTheAlignment)
{
    CControlCore control;
    drawtest::SetPixelView(control, 400);
    CText* rich = MakeText(control, ttRTF, "{\\rtf1 x}", 10, 20, 2.5f);
    rich->SetWidth(8);
    const CRealRect box = FrameBox(*rich);
    EXPECT_NEAR(box.left, 10, 1e-4);
    EXPECT_NEAR(box.top, 20, 1e-4);
    EXPECT_NEAR(box.right, 18, 1e-4);
    EXPECT_NEAR(box.bottom, 17.5, 1e-4); // no line height measured: the height, once
    float l, t, r, b;
    ASSERT_EQ(rich->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0), S_OK);
    EXPECT_NEAR(t - b, 2.5, 1e-4);

    CText* plain = MakeText(control, ttANSI, "Hello", 100, 100, 10);
    struct Case
    {
        DWORD align;
        double x, y; // where the anchor lies in the box: 0 left/bottom .. 1 right/top
    };
    for (const Case& c : {Case{0, 0, 1}, Case{0x2, 1, 1}, Case{0x6, 0.5, 1}, Case{0x8, 0, 0}, Case{0x10000, 0, 0.5},
                          Case{0x10006, 0.5, 0.5}, Case{0xA, 1, 0}}) {
        plain->SetAlignType(c.align);
        const CRealRect f = FrameBox(*plain);
        ASSERT_GT(f.right - f.left, 5) << c.align;
        // A measured line is the height and the part below the baseline.
        EXPECT_GT(f.top - f.bottom, 10) << c.align;
        EXPECT_LT(f.top - f.bottom, 15) << c.align;
        EXPECT_NEAR(f.left + (f.right - f.left) * c.x, 100, 1e-3) << std::hex << c.align;
        EXPECT_NEAR(f.bottom + (f.top - f.bottom) * c.y, 100, 1e-3) << std::hex << c.align;
    }
    // Turned a quarter, a top-left text hangs to the right of its anchor.
    plain->SetAlignType(0);
    plain->SetRotation(90);
    const CRealRect turned = FrameBox(*plain);
    EXPECT_NEAR(turned.left, 100, 1e-3);
    EXPECT_NEAR(turned.bottom, 100, 1e-3);
    EXPECT_GT(turned.top - turned.bottom, turned.right - turned.left);
}

// Measuring: a tab moves to the tenth column; carriage return and line feed count as one break;
// a negative scale gives a negative width.
TEST(TextShape, MeasuringTabsBreaksAndScale)
{
    CControlCore control;
    drawtest::SetPixelView(control, 400);
    CText* tabbed = MakeText(control, ttANSI, "a\tb", 0, 0, 20);
    CText* single = MakeText(control, ttANSI, "b", 0, 0, 20);
    ASSERT_EQ(tabbed->RecalcExtent(), 1);
    ASSERT_EQ(single->RecalcExtent(), 1);
    // Ten average characters before b.
    HFONT font = tabbed->GetCachedFont();
    ASSERT_NE(font, nullptr);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICA tm;
    GetTextMetricsA(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    // The measuring font's pixels per world unit: its part below the baseline is the line gap.
    const double perWorld = tm.tmDescent / tabbed->GetLineGap();
    EXPECT_NEAR(tabbed->GetWidth() - single->GetWidth(), tm.tmAveCharWidth * 10 / perWorld * 0.876, 1e-3);

    CText* crlf = MakeText(control, ttANSI, "ab\r\nabcd", 0, 0, 20);
    CText* lf = MakeText(control, ttANSI, "ab\nabcd", 0, 0, 20);
    CText* longest = MakeText(control, ttANSI, "abcd", 0, 0, 20);
    for (CText* t : {crlf, lf, longest})
        t->RecalcExtent();
    EXPECT_EQ(crlf->GetLineCount(), 2);
    EXPECT_NEAR(crlf->GetWidth(), longest->GetWidth(), 1e-4);
    EXPECT_NEAR(lf->GetWidth(), longest->GetWidth(), 1e-4);
    // The line pitch is the height and the part below the baseline.
    EXPECT_NEAR(longest->GetLineHeight(), 20 + longest->GetLineGap(), 1e-4);
    EXPECT_GT(longest->GetLineGap(), 0.0f);

    CText* mirrored = MakeText(control, ttANSI, "abcd", 0, 0, 20);
    mirrored->SetXScale(-1.0f);
    mirrored->RecalcExtent();
    EXPECT_NEAR(mirrored->GetWidth(), -longest->GetWidth(), 1e-4);
}

// A text is measured with the font it describes, whatever fonts of other sizes the control's
// cache holds: one of height and width 0 (as a text too small for a pixel leaves when drawn) or
// one of its height but narrowed (a drawing font) would match it by the cache's tolerant rule.
TEST(TextShape, MeasuredWithItsOwnFontWhateverTheCacheHolds)
{
    CControlCore clean;
    CText* reference = MakeText(clean, ttANSI, "three short words", 0, 0, 26);
    ASSERT_EQ(reference->RecalcExtent(), 1);
    const float width = reference->GetWidth();
    ASSERT_GT(width, 0.0f);
    for (LONG height : {0L, reference->GetLogFont().lfHeight}) {
        CControlCore control;
        LOGFONTA other = reference->GetLogFont();
        other.lfHeight = height;
        other.lfWidth = height ? 5 : 0;
        control.GetFontCache().FindOrAdd(other);
        CText* text = MakeText(control, ttANSI, "three short words", 0, 0, 26);
        ASSERT_EQ(text->RecalcExtent(), 1);
        EXPECT_NEAR(text->GetWidth(), width, width * 1e-4) << "a cached font of height " << height;
    }
}

TEST(TextShape, HitTestsTheFrame)
{
    drawtest::PixelDrawing d(400, 400);
    CText* text = MakeText(d.control, ttRTF, "{\\rtf1 x}", 100, 300, 40);
    text->SetWidth(100);
    text->SetRotation(30);
    auto hit = [&](double x, double y) {
        const POINT p = d.Pixel(static_cast<float>(x), static_cast<float>(y));
        return text->HitTest(static_cast<float>(p.x), static_cast<float>(p.y)) != FALSE;
    };
    const double c = std::cos(30 * 3.14159265358979 / 180), s = std::sin(30 * 3.14159265358979 / 180);
    // The middle of the turned box, and a point of its bounding box outside it.
    const double mx = 100 + 50 * c + 20 * s, my = 300 + 50 * s - 20 * c;
    EXPECT_TRUE(hit(mx, my));
    EXPECT_FALSE(hit(100 + 95 * c - 10, 300 - 35));
    text->SetHitMode(CText::kHitBorder);
    EXPECT_FALSE(hit(mx, my));
    // The middle of the top edge.
    EXPECT_TRUE(hit(100 + 50 * c, 300 + 50 * s));
}

// Scaling a text scales its height and width; a scale along x alone stretches its characters.
TEST(TextShape, ScaleAndRotate)
{
    CControlCore control;
    drawtest::SetPixelView(control, 400);
    CText* text = MakeText(control, ttANSI, "Scale", 10, 10, 4);
    text->RecalcExtent();
    const float width = text->GetWidth();
    ASSERT_EQ(text->Scale(0, 0, 2, 2, nullptr, false), S_OK);
    EXPECT_NEAR(text->GetHeight(), 8, 1e-4);
    EXPECT_NEAR(text->GetWidth(), 2 * width, 1e-3);
    EXPECT_NEAR(text->GetXScale(), 1.0, 1e-5);
    EXPECT_EQ(text->GetPoints().GetAt(0)->x, 20.0f);
    ASSERT_EQ(text->Scale(0, 0, 2, 1, nullptr, false), S_OK);
    EXPECT_NEAR(text->GetHeight(), 8, 1e-4);
    EXPECT_NEAR(text->GetXScale(), 2.0, 1e-5);

    ASSERT_EQ(text->Rotate(0, 0, 30, nullptr, false), 1);
    EXPECT_NEAR(text->GetRotation(), 30, 1e-9);
    EXPECT_TRUE(text->IsDirty());
    CRealPoint handles[3];
    EXPECT_EQ(text->GetHandlePoints(nullptr, 0), 1);
    EXPECT_EQ(text->GetHandlePoints(handles, 3), 1);
    CText* rich = MakeText(control, ttRTF, "{\\rtf1 x}", 0, 10, 4);
    rich->SetWidth(6);
    ASSERT_EQ(rich->GetHandlePoints(handles, 3), 3);
    EXPECT_NEAR(handles[1].y, 8, 1e-4); // half a line down the left edge
    EXPECT_NEAR(handles[2].x, 6, 1e-4);
}

namespace {
int InkPixels(const drawtest::Canvas& canvas) { return canvas.Width() * canvas.Height() - canvas.Count(0xFFFFFF); }

int CALLBACK FindTextRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM found)
{
    if (record->iType == EMR_EXTTEXTOUTA || record->iType == EMR_EXTTEXTOUTW)
        *reinterpret_cast<bool*>(found) = true;
    return 1;
}
} // namespace

// Tiny texts are a line on the screen, or nothing at all; a metafile always gets the text.
TEST(TextDrawing, GreekingOfTinyTexts)
{
    drawtest::PixelDrawing d(300, 300);
    d.control.GetCurrentViewport().zoom = 1.0;
    // 2 pixels high and about 10 wide: nothing.
    CText* tiny = MakeText(d.control, ttANSI, "xx", 50, 200, 2);
    tiny->SetPenColor(0);
    CDrawContext context = drawtest::Context(d.canvas.Dc());
    EXPECT_EQ(tiny->Draw(context), 1);
    EXPECT_EQ(InkPixels(d.canvas), 0);

    // About 5 pixels high and some 40 wide: one line of the text's length.
    CText* small = MakeText(d.control, ttANSI, "a small text here", 50, 200, 5);
    small->SetPenColor(0);
    EXPECT_EQ(small->Draw(context), 1);
    const RECT line = d.canvas.InkExtent();
    ASSERT_LE(line.left, line.right);
    EXPECT_LE(line.bottom - line.top, 1);
    const double perWorld = d.control.GetCurrentViewport().WorldToPixelsX(1.0);
    const long length = std::min<long>(std::lround(perWorld * std::fabs(small->GetWidth())),
                                       static_cast<long>(2.0 * small->GetDeviceSize().cx * small->GetXScale()));
    ASSERT_GE(length, 20);
    // The line's ink: its length, save for a gap of the line type's pattern at its end.
    EXPECT_LE(line.right - line.left, length + 2);
    EXPECT_GE(line.right - line.left, length * 0.85);
    EXPECT_NEAR(line.left, d.Pixel(50, 200).x, 1);

    // Into a metafile the same text is written as text.
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    SetMapMode(recorder, MM_LOMETRIC);
    CDrawContext metafile = drawtest::Context(recorder);
    EXPECT_EQ(small->Draw(metafile), 1);
    HENHMETAFILE emf = CloseEnhMetaFile(recorder);
    bool wroteText = false;
    EnumEnhMetaFile(nullptr, emf, FindTextRecord, &wroteText, nullptr);
    DeleteEnhMetaFile(emf);
    EXPECT_TRUE(wroteText);
}

// Where greeking is not allowed (a printer, a bitmap drawn through the site), a plain text is
// drawn at its height on the target, whatever the view it was drawn at before: the rows give
// the height in pixels of the view and, when not 0, another zoom the text is drawn at first.
// A text below a pixel leaves at most a pixel's row of ink, not a font of the system's default
// size.
TEST(TextDrawing, PlainTextInkFollowsItsHeightOnTheTarget)
{
    struct Row
    {
        float height;     // world units, one to a pixel
        double drawnAt;   // a zoom drawn at before, 0 for none
        int inkAtMost;    // pixels of ink height
        int inkAtLeast;
    };
    const Row rows[] = {
        {0.3f, 0, 1, 0}, {0.45f, 0, 1, 0}, {0.9f, 0, 1, 0}, {2, 0, 5, 0}, {8, 0, 14, 4}, {20, 0, 30, 10},
        {20, 4.0, 30, 10}, {20, 0.25, 30, 10}, {0.3f, 40.0, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "height " << row.height << ", drawn before at zoom " << row.drawnAt);
        drawtest::PixelDrawing d(400, 200);
        CText* text = MakeText(d.control, ttANSI, "ROOM 1234", 40, 100, row.height);
        text->SetPenColor(0);
        CDrawContext context = drawtest::Context(d.canvas.Dc(), CDrawContext::dcPrecise);
        if (row.drawnAt != 0) {
            d.control.GetCurrentViewport().zoom = row.drawnAt;
            ASSERT_EQ(text->Draw(context), 1);
            d.control.GetCurrentViewport().zoom = 1.0;
            d.canvas.Clear();
        }
        ASSERT_EQ(text->Draw(context), 1);
        const RECT ink = d.canvas.InkExtent();
        const int inked = ink.right >= ink.left ? ink.bottom - ink.top + 1 : 0;
        EXPECT_LE(inked, row.inkAtMost);
        EXPECT_GE(inked, row.inkAtLeast);
    }
    // Drawn again in another colour, the text takes it.
    drawtest::PixelDrawing d(400, 200);
    CText* text = MakeText(d.control, ttANSI, "ROOM 1234", 40, 100, 20);
    text->SetPenColor(RGB(0, 0, 0));
    CDrawContext context = drawtest::Context(d.canvas.Dc(), CDrawContext::dcPrecise);
    ASSERT_EQ(text->Draw(context), 1);
    d.canvas.Clear();
    text->SetPenColor(RGB(255, 0, 0));
    ASSERT_EQ(text->Draw(context), 1);
    const RECT red = d.canvas.Extent([](COLORREF c) { return GetRValue(c) > GetGValue(c) + 64; });
    const RECT dark = d.canvas.Extent([](COLORREF c) { return GetRValue(c) < 128; });
    EXPECT_LE(red.left, red.right);
    EXPECT_GT(dark.left, dark.right);
}

// A plain text's ink lies in its frame and fills most of it along the line (a character is
// drawn as wide as the average one of the measured line: ordinary mixed text keeps within a few
// per cent). Turned a quarter, the frame stands upright from the anchor, as long as it was wide;
// the turned ink is left to geometry, since a played metafile keeps its glyphs upright under Wine.
TEST(TextDrawing, PlainTextInkLiesInItsFrame)
{
    drawtest::PixelDrawing d(300, 300);
    CText* text = MakeText(d.control, ttANSI, "Drawing text", 100, 150, 20);
    text->SetPenColor(RGB(0, 0, 255));
    CDrawContext context = drawtest::Context(d.canvas.Dc());
    ASSERT_EQ(text->Draw(context), 1);
    const RECT ink = d.canvas.InkExtent();
    ASSERT_LE(ink.left, ink.right);
    const CRealRect box = FrameBox(*text);
    const POINT tl = d.Pixel(box.left, box.top), br = d.Pixel(box.right, box.bottom);
    const int slack = 4 + (br.x - tl.x) / 12;
    EXPECT_GE(ink.left, tl.x - 4);
    EXPECT_GE(ink.top, tl.y - 4);
    EXPECT_LE(ink.right, br.x + slack);
    EXPECT_LE(ink.bottom, br.y + 4);
    EXPECT_GT(ink.right - ink.left, (br.x - tl.x) * 0.7);

    text->SetRotation(90);
    const CRealRect turned = FrameBox(*text);
    EXPECT_NEAR(turned.left, 100.0f, 0.01f);
    EXPECT_NEAR(turned.bottom, 150.0f, 0.01f);
    EXPECT_NEAR(turned.top - turned.bottom, box.right - box.left, 0.01f);
    EXPECT_NEAR(turned.right - turned.left, box.top - box.bottom, 0.01f);
    d.canvas.Clear();
    ASSERT_EQ(text->Draw(context), 1);
    EXPECT_GT(InkPixels(d.canvas), 0);
}

// The leader joins a label to the middle of the nearer side of the shape it labels.
TEST(TextDrawing, LeaderOfALabel)
{
    drawtest::PixelDrawing d(300, 300);
    // A reference's bounds leave its labels out.
    auto* parent = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    parent->SetShapeType(stReference);
    drawtest::MakeBox(d.control, 200, 20, 120, 80, 20, RGB(200, 200, 200));
    parent->AddChild(d.control.GetShapeMap().Lookup(200), nullptr, 1, false);
    CText* label = MakeText(d.control, ttLabel, "label", 150, 250, 10);
    label->SetPenColor(0);
    parent->AddChild(label, nullptr, 1, false);
    EXPECT_FALSE(label->HasLeader());
    label->SetProtectionFlagsMasked(0x80000, sdbfLabelLeader);
    ASSERT_TRUE(label->HasLeader());
    CDrawContext context = drawtest::Context(d.canvas.Dc());
    ASSERT_EQ(label->DrawOverlay(context), 1);
    // From the middle of the box's right side (nearer to the label than its left side).
    const POINT end = d.Pixel(80, 70);
    bool found = false;
    for (int dy = -2; dy <= 2 && !found; ++dy)
        for (int dx = -2; dx <= 2 && !found; ++dx)
            found = d.canvas.Pixel(end.x + dx, end.y + dy) != 0xFFFFFF;
    EXPECT_TRUE(found);
    const RECT ink = d.canvas.InkExtent();
    EXPECT_GE(ink.top, d.Pixel(0, 260).y - 2);
    EXPECT_LE(ink.bottom, end.y + 2);
}

// A label of a block reference goes with the reference unless the user added it.
TEST(TextShape, LabelsInReferencesAreNotSelectedAlone)
{
    CControlCore control;
    auto* reference = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
    reference->SetShapeType(stReference);
    CText* label = MakeText(control, ttLabel, "tag", 0, 0, 1);
    reference->AddChild(label, nullptr, 1, false);
    EXPECT_FALSE(label->IsSelectable());
    label->PutProtectionFlag(sdbfCustomChild, true);
    EXPECT_TRUE(label->IsSelectable());
    CText* attribute = MakeText(control, ttAttrib, "value", 0, 0, 1);
    reference->AddChild(attribute, nullptr, 1, false);
    EXPECT_TRUE(attribute->IsSelectable());
}
