// The shapes' drawing frame, hit tests, selection marks, style resolution and arrow heads,
// checked by geometry in DIB sections (with a pixel or two of tolerance), never by exact pixels.
#include "tests/support/DrawingTestSupport.h"
#include <olectl.h>
#include <cstddef>
#include "model/BrushCache.h"
#include "model/Layer.h"
#include "model/PenCache.h"
#include "persistence/DrawingSettingRecord.h"

using namespace drawtest;

namespace {
const int kW = 200, kH = 150;

struct Fixture : PixelDrawing
{
    Fixture() : PixelDrawing(kW, kH) {}
};

COLORREF PenColourOf(HPEN pen)
{
    EXTLOGPEN ext = {};
    if (GetObjectW(pen, sizeof ext, &ext) >= static_cast<int>(offsetof(EXTLOGPEN, elpNumEntries)))
        return ext.elpColor;
    LOGPEN log = {};
    GetObjectW(pen, sizeof log, &log);
    return log.lopnColor;
}
} // namespace

// The base hit test is the bounding rectangle widened by 3 pixels on each side.
TEST(ShapeHitTest, ThreePixelsAroundTheBoundingRectangle)
{
    Fixture f;
    PathShape box(100, &f.control, stRectangle, true);
    AddPoint(f.control, box, 50, 100);
    AddPoint(f.control, box, 120, 40);
    const POINT tl = f.Pixel(50, 100), br = f.Pixel(120, 40);
    struct Case
    {
        int dx, dy;
        bool hit;
    } cases[] = {{0, 0, true}, {-2, 0, true}, {-4, 0, false}, {2, 0, true}, {4, 0, false},
                 {0, -2, true}, {0, -4, false}, {0, 2, true}, {0, 4, false}};
    for (const Case& c : cases) {
        // Probes outside the left or top edge (negative offsets) and the right or bottom edge.
        const int x = c.dx < 0 ? tl.x + c.dx : (c.dx > 0 ? br.x + c.dx : (tl.x + br.x) / 2);
        const int y = c.dy < 0 ? tl.y + c.dy : (c.dy > 0 ? br.y + c.dy : (tl.y + br.y) / 2);
        EXPECT_EQ(box.HitTest(static_cast<float>(x), static_cast<float>(y)) != FALSE, c.hit) << c.dx << "," << c.dy;
    }
    EXPECT_TRUE(box.HitTestAt(85, 70));

    // What may not be hit is not: no hit testing in the control, a not selectable or hidden
    // layer, a shape without extents.
    CLayer layer(300, &f.control);
    box.SetLayer(&layer);
    f.control.SetModeWord(0x4);
    EXPECT_FALSE(box.HitTestAt(85, 70));
    f.control.SetModeWord(0);
    layer.SetSelectable(false);
    EXPECT_FALSE(box.HitTestAt(85, 70));
    layer.SetSelectable(true);
    layer.SetVisible(false);
    EXPECT_FALSE(box.HitTestAt(85, 70));
    CDrawContext hidden = Context(f.canvas.Dc());
    EXPECT_EQ(box.DrawInContext(hidden), 0) << "hidden layer: not drawn";
    EXPECT_EQ(box.draws, 0);
    layer.SetVisible(true);
    box.SetNoExtents(true);
    EXPECT_FALSE(box.HitTestAt(85, 70));
    box.SetNoExtents(false);
    box.SetLayer(nullptr);

    // Without points there is no rectangle: the base test answers yes, the filled test no.
    PathShape empty(101, &f.control, stRectangle, true);
    float l, t, r, b;
    EXPECT_EQ(empty.GetBoundingRect(&l, &t, &r, &b), E_FAIL);
    EXPECT_TRUE(empty.HitTest(10, 10));
    empty.SetHatchPatternId(hpSolid);
    EXPECT_FALSE(empty.HitTestFilledPath(10, 10));
}

// A line's end points and a filled region's extent, as drawn into a DIB section.
TEST(ShapeDrawing, LineEndsAndFilledExtent)
{
    Fixture f;
    PathShape line(100, &f.control, stLine);
    AddPoint(f.control, line, 20, 120);
    AddPoint(f.control, line, 170, 30);
    CDrawContext context = Context(f.canvas.Dc());
    EXPECT_EQ(line.DrawInContext(context), 1);
    const RECT ink = f.canvas.InkExtent();
    const POINT a = f.Pixel(20, 120), b = f.Pixel(170, 30);
    EXPECT_NEAR(ink.left, a.x, 1);
    EXPECT_NEAR(ink.top, a.y, 1);
    EXPECT_NEAR(ink.right, b.x, 1);
    EXPECT_NEAR(ink.bottom, b.y, 1);
    EXPECT_EQ(f.canvas.Pixel(a.x, a.y), 0x000000u) << "a pen by layer without a layer draws black";

    // The hatch fill (solid) fills the outline with the translated hatch colour, under the pen.
    f.canvas.Clear();
    PathShape* box = MakeBox(f.control, 200, 40, 110, 140, 50, 0x00C000);
    box->SetPenColor(0x0000FF);
    EXPECT_EQ(box->DrawInContext(context), 1);
    const RECT fill = f.canvas.ColourExtent(0x00C000);
    const POINT tl = f.Pixel(40, 110), br = f.Pixel(140, 50);
    EXPECT_NEAR(fill.left, tl.x, 2);
    EXPECT_NEAR(fill.top, tl.y, 2);
    EXPECT_NEAR(fill.right, br.x, 2);
    EXPECT_NEAR(fill.bottom, br.y, 2);
    const RECT outline = f.canvas.ColourExtent(0x0000FF);
    EXPECT_NEAR(outline.left, tl.x, 1);
    EXPECT_NEAR(outline.right, br.x, 1);

    // No fill in the marks and outline passes.
    f.canvas.Clear();
    CDrawContext marks = Context(f.canvas.Dc(), CDrawContext::dcMarks);
    box->DrawInContext(marks);
    EXPECT_EQ(f.canvas.Count(0x00C000), 0);
    EXPECT_GT(f.canvas.Count(0x0000FF), 0);

    // The filled-region hit test: inside hits, outside not.
    const POINT mid = f.Pixel(90, 80);
    EXPECT_TRUE(box->HitTestFilledPath(static_cast<float>(mid.x), static_cast<float>(mid.y)));
    EXPECT_FALSE(box->HitTestFilledPath(static_cast<float>(br.x + 10), static_cast<float>(mid.y)));
    // The widened outline: on the edge and 2 px off it hits, in the middle not.
    EXPECT_TRUE(box->HitTestWidenedPath(static_cast<float>(tl.x + 2), static_cast<float>(mid.y)));
    EXPECT_FALSE(box->HitTestWidenedPath(static_cast<float>(mid.x), static_cast<float>(mid.y)));
}

// In the clip pass a shape adds its outline to the clip region instead of painting; with the
// filled-only bit, shapes without a fill stay out.
TEST(ShapeDrawing, ClipPassBuildsTheClipRegion)
{
    Fixture f;
    PathShape* box = MakeBox(f.control, 200, 30, 100, 80, 60, 0x00C000);
    PathShape line(201, &f.control, stLine);
    AddPoint(f.control, line, 100, 140);
    AddPoint(f.control, line, 190, 10);
    HDC dc = f.canvas.Dc();
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    SelectClipRgn(dc, none);
    DeleteObject(none);
    CDrawContext clip = Context(dc, CDrawContext::dcClipPass | CDrawContext::dcFilledOnly);
    EXPECT_EQ(line.DrawInContext(clip), 0) << "no fill: not part of the filled clip pass";
    EXPECT_EQ(box->DrawInContext(clip), 1);
    EXPECT_EQ(f.canvas.InkExtent().right, -1) << "nothing painted";
    // The clip box, in device pixels, is the box.
    SetMapMode(dc, MM_TEXT);
    RECT box_ = {};
    EXPECT_EQ(GetClipBox(dc, &box_), SIMPLEREGION);
    SetMapMode(dc, MM_LOMETRIC);
    const POINT tl = f.Pixel(30, 100), br = f.Pixel(80, 60);
    EXPECT_NEAR(box_.left, tl.x, 1);
    EXPECT_NEAR(box_.top, tl.y, 1);
    EXPECT_NEAR(box_.right, br.x, 2);
    EXPECT_NEAR(box_.bottom, br.y, 2);
    SelectClipRgn(dc, nullptr);
}

// With the size check, shapes smaller than 15 pixels become simplified figures; lines are drawn
// in full; below 3 by 3 pixels nothing is drawn.
TEST(ShapeDrawing, SizeCheckDrawsSimplifiedFigures)
{
    Fixture f;
    CDrawContext context = Context(f.canvas.Dc());
    context.sizeCheck = true;
    struct Case
    {
        int type;
        float w, h;
        bool fullDraw;
        bool ink;
    } cases[] = {
        {stEllipse, 10, 8, false, true}, {stLine, 10, 8, true, true},    {stEllipse, 2, 2, false, false},
        {stLine, 2, 2, false, false},    {stEllipse, 40, 30, true, true}, {stText, 10, 8, false, true},
    };
    int id = 100;
    for (const Case& c : cases) {
        f.canvas.Clear();
        PathShape shape(id++, &f.control, c.type);
        AddPoint(f.control, shape, 50, 100);
        AddPoint(f.control, shape, 50 + c.w, 100 - c.h);
        shape.DrawInContext(context);
        EXPECT_EQ(shape.draws == 1, c.fullDraw) << c.type << " " << c.w;
        const RECT ink = f.canvas.InkExtent();
        EXPECT_EQ(ink.right >= 0, c.ink) << c.type << " " << c.w;
        if (c.ink) {
            // The figure stays within the shape's extent.
            const POINT tl = f.Pixel(50, 100), br = f.Pixel(50 + c.w, 100 - c.h);
            EXPECT_GE(ink.left, tl.x - 1);
            EXPECT_LE(ink.right, br.x + 1);
            EXPECT_GE(ink.top, tl.y - 1);
            EXPECT_LE(ink.bottom, br.y + 1);
        }
    }
    // A small filled shape becomes a filled ellipse in its hatch colour.
    f.canvas.Clear();
    PathShape* box = MakeBox(f.control, 300, 50, 100, 62, 90, 0x00C000);
    box->DrawInContext(context);
    EXPECT_EQ(box->draws, 0);
    EXPECT_GT(f.canvas.Count(0x00C000), 20);
}

// Selection marks: +-9 pixel squares on the handles; a handle within 5 pixels of the last mark
// shares it; many handles of a shape under 36 pixels collapse into one central mark.
TEST(ShapeDrawing, SelectionMarksMergeAndCollapse)
{
    Fixture f;
    CDrawContext marks = Context(f.canvas.Dc(), CDrawContext::dcMarks);
    marks.markColour = 0xFF0000;
    struct Case
    {
        float gap;
        int expectedWidth; // pixels from the first mark's left edge to the last mark's right edge
    } cases[] = {{3, 18}, {6, 24}};
    int id = 100;
    for (const Case& c : cases) {
        f.canvas.Clear();
        PathShape shape(id++, &f.control, stLine);
        AddPoint(f.control, shape, 60, 80);
        AddPoint(f.control, shape, 60 + c.gap, 80);
        shape.SetSelected(true);
        EXPECT_EQ(shape.DrawMarksIfSelected(marks), 2);
        const RECT r = f.canvas.ColourExtent(0xFF0000);
        EXPECT_NEAR(r.right - r.left, c.expectedWidth, 2) << c.gap;
        EXPECT_NEAR(r.bottom - r.top, 18, 2);
    }
    // Five points over 30 by 20 pixels: one mark about the centre.
    f.canvas.Clear();
    PathShape small(110, &f.control, stPolyline);
    const float xs[] = {50, 80, 80, 50, 65}, ys[] = {100, 100, 80, 80, 90};
    for (int i = 0; i < 5; ++i)
        AddPoint(f.control, small, xs[i], ys[i]);
    small.SetSelected(true);
    EXPECT_EQ(small.DrawMarks(marks), 1);
    const RECT r = f.canvas.ColourExtent(0xFF0000);
    const POINT centre = f.Pixel(65, 90);
    EXPECT_NEAR((r.left + r.right) / 2.0, centre.x, 1.5);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, centre.y, 1.5);
    EXPECT_NEAR(r.right - r.left, 18, 2);
    // Not selected, or a selected parent: no marks.
    f.canvas.Clear();
    small.SetSelected(false);
    EXPECT_EQ(small.DrawMarksIfSelected(marks), 0);
    EXPECT_EQ(f.canvas.InkExtent().right, -1);
}

TEST(ShapeDrawing, MarkColourStandsOutAgainstPenAndFill)
{
    CControlCore control;
    struct Case
    {
        int type;
        DWORD pen, fill;
        float weight;
        bool enabled;
        COLORREF given, expected;
    } cases[] = {
        {stPolyline, 0x000000, 0, 1, true, 0xFF0000, 0xFF0000},      // far from the pen
        {stPolyline, 0xF00000, 0, 1, true, 0xFF0000, 0x00FF00},      // too close to the pen
        {stPolyline, 0xF00000, 0, 0, true, 0xFF0000, 0xFF0000},      // a pen of weight 0 does not count
        {stPolyline, 0xF00000, 0, 1, false, 0xFF0000, 0xFF},         // disabled: starts from red (0xFF)
        {stPolyline, 0x0000F0, 0, 1, false, 0xFF0000, 0},            // disabled and close to red
        {stRectangle, 0xF00000, 0x00F000, 1, true, 0xFF0000, 0xFFFF00}, // pen close, then fill close
        {stRectangle, 0x000000, 0x00F000, 1, true, 0x00FF00, 0xFF00},   // fill close, pen far: green stays
    };
    int id = 100;
    for (const Case& c : cases) {
        PathShape shape(id++, &control, c.type, c.type == stRectangle);
        AddPoint(control, shape, 0, 0);
        AddPoint(control, shape, 10, 10);
        shape.SetPenColor(c.pen);
        shape.SetPenWeight(c.weight);
        if (c.fill) {
            shape.SetHatchPatternId(hpSolid);
            shape.SetHatchColor(c.fill);
        }
        shape.SetStateBits(CShape::stEnabled, c.enabled);
        EXPECT_EQ(shape.ChooseMarkColour(c.given), c.expected) << id;
    }
}

// "By layer" and "by block" through the layer and the enclosing block; system colours by
// OleTranslateColor.
TEST(ShapeStyle, TranslationTable)
{
    CControlCore control;
    CLayer layer(300, &control);
    layer.SetPenColor(0x123456);
    layer.SetHatchColor(0x654321);
    layer.SetLinePatternId(7);
    CGroup reference(301, &control);
    reference.SetShapeType(stReference);
    reference.SetPenColor(0x0000AA);
    reference.SetHatchColor(0x00AA00);
    reference.SetLinePatternId(9);
    PathShape inside(302, &control, stLine);
    reference.AddChild(&inside, nullptr, 0, false);
    PathShape onLayer(303, &control, stLine);
    onLayer.SetLayer(&layer);
    PathShape bare(304, &control, stLine);

    EXPECT_EQ(CShape::TranslateLinePatternId(5, &bare), 5);
    EXPECT_EQ(CShape::TranslateLinePatternId(ltByLayer, &onLayer), 7);
    EXPECT_EQ(CShape::TranslateLinePatternId(ltByLayer, &bare), ltContinuous);
    EXPECT_EQ(CShape::TranslateLinePatternId(ltByBlock, nullptr), ltContinuous);
    EXPECT_EQ(CShape::TranslateLinePatternId(ltByBlock, &inside), 9);
    EXPECT_EQ(CShape::TranslateLinePatternId(ltByBlock, &onLayer), 7) << "no block: by layer";

    EXPECT_EQ(CShape::TranslatePenColor(0x0000FF, &bare), 0x0000FFu);
    EXPECT_EQ(CShape::TranslatePenColor(0x80000000 | COLOR_WINDOW, &bare), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(CShape::TranslatePenColor(0x20000000, &onLayer), 0x123456u);
    EXPECT_EQ(CShape::TranslatePenColor(0x20000000, &bare), 0u);
    EXPECT_EQ(CShape::TranslatePenColor(0x20000000, nullptr), 0u);
    EXPECT_EQ(CShape::TranslatePenColor(0x40000000, &inside), 0x0000AAu);
    EXPECT_EQ(CShape::TranslatePenColor(0x20000000, &layer), 0x123456u) << "a layer is its own layer";

    EXPECT_EQ(CShape::TranslateHatchColor(0x40000000, &inside), 0x00AA00u);
    EXPECT_EQ(CShape::TranslateHatchColor(0x40000000, &bare), 0xD8D8D8u);
    EXPECT_EQ(CShape::TranslateHatchColor(0x20000000, &bare), 0u);
    EXPECT_EQ(CShape::TranslateHatchColor(0x40000000, &onLayer), 0x654321u);
    reference.RemoveChild(&inside);
}

// The pen selection: a ready pen as it is; a selected shape's dotted 0xFF0000 pen; the plain
// black pen; otherwise the pen cache's pen of the resolved colour.
TEST(ShapeStyle, PenSelection)
{
    Fixture f;
    HDC dc = f.canvas.Dc();
    PathShape shape(100, &f.control, stLine);
    shape.SetPenColor(0x00AAFF);
    HPEN previous = nullptr;
    int pattern = ltByLayer;
    COLORREF colour = 0;
    ASSERT_EQ(CShape::CreateDrawPen(&f.control, dc, nullptr, 0, true, false, &previous, &pattern, &colour, &shape), 1);
    EXPECT_EQ(colour, 0x00AAFFu);
    EXPECT_EQ(pattern, ltContinuous);
    EXPECT_EQ(PenColourOf(static_cast<HPEN>(GetCurrentObject(dc, OBJ_PEN))), 0x00AAFFu);

    shape.SetSelected(true);
    CShape::CreateDrawPen(&f.control, dc, nullptr, 0, true, false, nullptr, &pattern, &colour, &shape);
    EXPECT_EQ(pattern, 1);
    EXPECT_EQ(PenColourOf(static_cast<HPEN>(GetCurrentObject(dc, OBJ_PEN))), 0xFF0000u);
    shape.SetSelected(false);

    pattern = ltByLayer;
    CShape::CreateDrawPen(&f.control, dc, nullptr, 0, true, true, nullptr, &pattern, &colour, &shape);
    EXPECT_EQ(colour, 0x00AAFFu) << "the translated colour is still given out";
    EXPECT_EQ(PenColourOf(static_cast<HPEN>(GetCurrentObject(dc, OBJ_PEN))), 0u);

    HPEN ready = CreatePen(PS_SOLID, 0, 0x112233);
    CShape::CreateDrawPen(&f.control, dc, ready, 0, true, false, nullptr, &pattern, &colour, &shape);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), ready);
    EXPECT_EQ(CShape::CreateDrawPen(nullptr, dc, nullptr, 0, true, false, nullptr, &pattern, &colour, &shape), 0);
    SelectObject(dc, previous);
    DeleteObject(ready);
}

// Arrow heads: the head points by form, the line stopping at the base for closed V, circle and
// rhomb heads (not for heads pointing out), drawn and hit-tested at the drawing setting's arrow
// scale.
TEST(ArrowHead, FormsAndWhereTheLineStops)
{
    Fixture f;
    f.control.GetCurrentDrawingSetting()->ArrowScale = 2.0f;
    f.control.GetCurrentDrawingSetting()->LinePatternScale = 50.0f;
    PathShape line(100, &f.control, stLine);
    line.SetStateBits(CShape::stScalePenWeight, true);
    const double k = f.control.GetCurrentViewport().GetScaleFactor();
    struct Case
    {
        int type;
        int count;
        bool moved;
    } cases[] = {{atArrowVI, 3, false},   {atArrowVT, 5, true},     {atCircle, 0, true},
                 {atRhomb, 5, true},      {atXCross, 5, false},     {atSlash, 2, false},
                 {atArrowVIOut, 3, false}, {atArrowVTOut, 5, false}, {atArrowVTFilled, 3, false},
                 {atRhombFilled, 5, true}, {atArrowVTFilledOut, 5, false}};
    for (const Case& c : cases) {
        CRealPoint end(100, 50), previous(20, 50);
        CArrowHead arrow;
        arrow.type = c.type;
        arrow.endPoint = &end;
        arrow.previous = &previous;
        arrow.scale = 2.0;
        EXPECT_EQ(line.BuildArrowHead(arrow), c.count) << c.type;
        EXPECT_EQ(arrow.baseMoved, c.moved) << c.type;
        // The head is (pen width + 10) x scale drawing units long: 20 here, along the line
        // towards the previous point, or away from it when pointing out.
        const float expectedBase = (c.type & 0x100) ? 120.0f : 80.0f;
        EXPECT_NEAR(arrow.baseWorld.x, expectedBase, 1e-3) << c.type;
        EXPECT_NEAR(arrow.length, 20 * k, 1e-6);
        EXPECT_FLOAT_EQ(end.x, c.moved ? expectedBase : 100.0f) << c.type;
    }
    CRealPoint end(100, 50);
    CArrowHead none;
    none.endPoint = &end;
    EXPECT_EQ(line.BuildArrowHead(none), -1) << "scale 0";

    // Drawn: a filled V (a triangle) from the base (80) to the tip (100).
    line.arrow = atArrowVTFilled;
    AddPoint(f.control, line, 20, 50);
    AddPoint(f.control, line, 100, 50);
    CDrawContext context = Context(f.canvas.Dc());
    line.DrawInContext(context);
    const RECT ink = f.canvas.InkExtent();
    const POINT tip = f.Pixel(100, 50), start = f.Pixel(20, 50);
    EXPECT_NEAR(ink.left, start.x, 1);
    EXPECT_NEAR(ink.right, tip.x, 1);
    // Half the head's width each side: D/4 device units = 5 drawing units.
    EXPECT_NEAR(ink.top, f.Pixel(90, 55).y, 1.5);
    EXPECT_NEAR(ink.bottom, f.Pixel(90, 45).y, 1.5);
    EXPECT_EQ(line.GetPoints().GetAt(1)->x, 100.0f) << "the end point is put back after drawing";
    // Nothing in the marks and outline passes.
    f.canvas.Clear();
    CDrawContext marks = Context(f.canvas.Dc(), CDrawContext::dcMarks);
    CRealPoint e(100, 50), p(20, 50);
    EXPECT_EQ(line.DrawArrowHead(marks, atArrowVT, &e, &p), 0);

    // Hit-tested as drawn (the arrow scale, not the line pattern scale): inside the filled head
    // hits; where a head of the line pattern scale would reach does not.
    const CRealPoint tipPoint(100, 50), before(20, 50);
    const POINT inside = f.Pixel(92, 50);
    EXPECT_TRUE(line.HitTestArrowHead(static_cast<float>(inside.x), static_cast<float>(inside.y), atArrowVTFilled,
                                      tipPoint, &before));
    const POINT wing = f.Pixel(85, 53);
    EXPECT_TRUE(line.HitTestArrowHead(static_cast<float>(wing.x), static_cast<float>(wing.y), atArrowVTFilled,
                                      tipPoint, &before));
    const POINT distant = f.Pixel(60, 50);
    EXPECT_FALSE(line.HitTestArrowHead(static_cast<float>(distant.x), static_cast<float>(distant.y), atArrowVTFilled,
                                       tipPoint, &before));
    // An outline V hits along its wings only.
    const POINT onWing = f.Pixel(90, 55);
    EXPECT_TRUE(line.HitTestArrowHead(static_cast<float>(onWing.x), static_cast<float>(onWing.y), atArrowVI,
                                      tipPoint, &before));
    const POINT offWing = f.Pixel(90, 70);
    EXPECT_FALSE(line.HitTestArrowHead(static_cast<float>(offWing.x), static_cast<float>(offWing.y), atArrowVI,
                                       tipPoint, &before));
    EXPECT_FALSE(line.HitTestArrowHead(static_cast<float>(inside.x), static_cast<float>(inside.y), atNone, tipPoint,
                                       &before));
}

// A filled circle head: its ink is a disc of diameter D about the middle of end and base.
TEST(ArrowHead, CircleHeadDrawsADisc)
{
    Fixture f;
    f.control.GetCurrentDrawingSetting()->ArrowScale = 2.0f;
    PathShape line(100, &f.control, stLine);
    line.SetPenColor(0x0000C0);
    CRealPoint end(100, 70), previous(20, 70);
    CDrawContext context = Context(f.canvas.Dc());
    EXPECT_EQ(line.DrawArrowHead(context, atCircleFilled, &end, &previous), 1);
    EXPECT_FLOAT_EQ(end.x, 80.0f) << "the line is to stop at the circle";
    const RECT r = f.canvas.ColourExtent(0x0000C0);
    EXPECT_NEAR(r.left, f.Pixel(80, 70).x, 1.5);
    EXPECT_NEAR(r.right, f.Pixel(100, 70).x, 1.5);
    EXPECT_NEAR(r.bottom - r.top, r.right - r.left, 2);
}

// Link marks: a filled circle of the drawing setting's link mark size on every linked point.
TEST(ShapeDrawing, LinkMarks)
{
    Fixture f;
    f.control.GetCurrentDrawingSetting()->LinkMarkScale = 10.0f;
    PathShape owner(100, &f.control, stLine);
    const int shared = AddPoint(f.control, owner, 60, 60);
    PathShape follower(101, &f.control, stLine);
    ASSERT_EQ(follower.LinkPoint(shared), 1);
    EXPECT_EQ(follower.DrawLinkMarks(f.canvas.Dc()), 1);
    const RECT r = f.canvas.ColourExtent(0xFFFF00);
    const POINT c = f.Pixel(60, 60);
    EXPECT_NEAR((r.left + r.right) / 2.0, c.x, 1.5);
    EXPECT_NEAR(r.right - r.left, 10, 3);
}
