// The polyline and line kinds drawn into DIB sections and hit-tested at device pixels: arcs of
// bulged segments (precise and approximated), fills through arcs, Bezier segments, vertex pens,
// arrow heads, segment and handle hits, and the line's own hit test. Checked by geometry with a
// pixel or two of tolerance.
#include "tests/support/DrawingTestSupport.h"
#include "model/Line.h"
#include "model/Polyline.h"
#include "persistence/DrawingSettingRecord.h"

using namespace drawtest;

namespace {
const int kW = 200, kH = 150;

struct Fixture : PixelDrawing
{
    Fixture() : PixelDrawing(kW, kH) {}
    // A polyline of the factory with thin black lines.
    CPolyline* Polyline(std::initializer_list<CRealPoint> points, DWORD flags = 0)
    {
        auto* p = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
        for (const CRealPoint& at : points)
            AddPoint(control, *p, at.x, at.y);
        p->SetFlags(flags);
        p->SetPenColor(0x000000);
        return p;
    }
    CLine* Line(std::initializer_list<CRealPoint> points)
    {
        auto* l = static_cast<CLine*>(control.GetShapeMap().CreateShape(stLine, true, true));
        for (const CRealPoint& at : points)
            AddPoint(control, *l, at.x, at.y);
        l->SetPenColor(0x000000);
        return l;
    }
    bool Hits(CShape& shape, float x, float y, float dx = 0, float dy = 0)
    {
        const POINT p = Pixel(x, y);
        return shape.HitTest(static_cast<float>(p.x) + dx, static_cast<float>(p.y) + dy) != FALSE;
    }
};

int Height(const RECT& r) { return r.bottom - r.top; }

} // namespace

TEST(PolylineDrawing, TwoPointsClosedByArcsDrawAFilledCircle)
{
    Fixture f;
    CPolyline* p = f.Polyline({{60, 75}, {140, 75}}, pfClosed);
    p->GetVertexAt(0)->bulge = 1.0f;
    p->GetVertexAt(1)->bulge = 1.0f;
    p->SetHatchPatternId(hpSolid);
    p->SetHatchColor(0x00C000);
    CDrawContext context = Context(f.canvas.Dc());
    ASSERT_EQ(p->DrawInContext(context), 1);
    const RECT ink = f.canvas.InkExtent();
    const POINT left = f.Pixel(60, 75), right = f.Pixel(140, 75), top = f.Pixel(100, 115), bottom = f.Pixel(100, 35);
    EXPECT_NEAR(ink.left, left.x, 2);
    EXPECT_NEAR(ink.right, right.x, 2);
    EXPECT_NEAR(ink.top, top.y, 2);
    EXPECT_NEAR(ink.bottom, bottom.y, 2);
    // The fill follows the arcs: inside the circle near its top and bottom, not in the corners
    // of its square.
    const POINT centre = f.Pixel(100, 75), nearTop = f.Pixel(100, 110), nearBottom = f.Pixel(100, 40);
    EXPECT_EQ(f.canvas.Pixel(centre.x, centre.y), 0x00C000u);
    EXPECT_EQ(f.canvas.Pixel(nearTop.x, nearTop.y), 0x00C000u);
    EXPECT_EQ(f.canvas.Pixel(nearBottom.x, nearBottom.y), 0x00C000u);
    const POINT corner = f.Pixel(65, 110);
    EXPECT_EQ(f.canvas.Pixel(corner.x, corner.y), 0xFFFFFFu);
    // Nothing else is filled: the fill's outline starts at the first point.
    const RECT fill = f.canvas.ColourExtent(0x00C000);
    EXPECT_NEAR(fill.left, ink.left, 2);
    EXPECT_NEAR(fill.top, ink.top, 2);
    EXPECT_LT(f.canvas.Count(0x00C000), 3.1416 * 40 * 40);
    // Hit: on the outline, and inside through the fill.
    EXPECT_TRUE(f.Hits(*p, 100, 115));
    EXPECT_TRUE(f.Hits(*p, 100, 75));
    EXPECT_FALSE(f.Hits(*p, 62, 113));
}

TEST(PolylineDrawing, ArcsTurnTheirWayAndTinyOnesAreDrawnStraight)
{
    Fixture f;
    struct Case
    {
        const char* what;
        float x2;
        float bulge;
        DWORD flags;
        int minHeight, maxHeight;
        bool below;
    };
    const Case cases[] = {
        // A half circle on a 60-unit chord: 30 units high, below the chord for a positive bulge.
        {"bulge +1", 80, 1.0f, 0, 28, 32, true},
        {"bulge -1", 80, -1.0f, 0, 28, 32, false},
        {"bulge 1e-6", 80, 1e-6f, 0, 0, 1, false},
        // A half circle on a 5-pixel chord is drawn straight unless precision is asked for.
        {"tiny", 25, 1.0f, 0, 0, 1, false},
        {"tiny, precise", 25, 1.0f, CDrawContext::dcPrecise, 2, 4, true},
    };
    for (const Case& c : cases) {
        f.canvas.Clear();
        CPolyline* p = f.Polyline({{20, 75}, {c.x2, 75}});
        p->GetVertexAt(0)->bulge = c.bulge;
        CDrawContext context = Context(f.canvas.Dc(), c.flags);
        p->DrawInContext(context);
        const RECT ink = f.canvas.InkExtent();
        EXPECT_GE(Height(ink), c.minHeight) << c.what;
        EXPECT_LE(Height(ink), c.maxHeight) << c.what;
        const POINT chord = f.Pixel(20, 75);
        if (c.minHeight > 1) {
            EXPECT_NEAR(c.below ? ink.top : ink.bottom, chord.y, 1) << c.what;
        }
    }
}

TEST(PolylineDrawing, BezierSegmentsAndVertexPens)
{
    Fixture f;
    // One cubic segment: its middle lies at 3/4 of the control points' height.
    CPolyline* curve = f.Polyline({{20, 40}, {20, 120}, {180, 120}, {180, 40}}, pfBezier);
    CDrawContext context = Context(f.canvas.Dc());
    curve->DrawInContext(context);
    const RECT ink = f.canvas.InkExtent();
    EXPECT_NEAR(ink.top, f.Pixel(100, 100).y, 2);
    EXPECT_NEAR(ink.bottom, f.Pixel(100, 40).y, 2);

    // A vertex with its own colour draws the segment that starts at it.
    f.canvas.Clear();
    CPolyline* p = f.Polyline({{20, 100}, {100, 100}, {180, 100}});
    p->GetVertexAt(1)->color = 0x0000FF;
    p->DrawInContext(context);
    const POINT first = f.Pixel(60, 100), second = f.Pixel(140, 100);
    EXPECT_EQ(f.canvas.Pixel(first.x, first.y), 0x000000u);
    EXPECT_EQ(f.canvas.Pixel(second.x, second.y), 0x0000FFu);
}

// A group's members draw with their own pens, whichever member drew before with which pen (they
// leave them selected for the next one): lines of one colour and of another, a polyline whose
// vertex takes a colour of its own, and after it a line of the polyline's colour. When the group
// is done the context has the pen it had before.
TEST(GroupDrawing, EachMemberDrawsWithItsOwnPenAndThePenBeforeIsSelectedBack)
{
    Fixture f;
    auto* group = new CGroup(500, &f.control);
    f.control.GetShapeMap().Insert(group);
    struct Row
    {
        float y;
        COLORREF colour;
        COLORREF vertexColour; // the second segment's, when a polyline
    };
    const Row rows[] = {{130, 0x000000, 0}, {120, 0x000000, 0}, {110, 0x0000FF, 0},      {100, 0x00C000, 0xFF0000},
                        {90, 0x00C000, 0},  {80, 0x0000FF, 0},  {70, 0x000000, 0x0000FF}, {60, 0x000000, 0}};
    for (const Row& row : rows) {
        CShape* shape;
        if (row.vertexColour) {
            CPolyline* p = f.Polyline({{20, row.y}, {100, row.y}, {180, row.y}});
            p->GetVertexAt(1)->color = row.vertexColour;
            shape = p;
        } else {
            shape = f.Line({{20, row.y}, {180, row.y}});
        }
        shape->SetPenColor(row.colour);
        group->AddChild(shape, nullptr, 0, false);
    }
    HPEN before = CreatePen(PS_SOLID, 0, 0x808080);
    HGDIOBJ old = SelectObject(f.canvas.Dc(), before);
    CDrawContext context = Context(f.canvas.Dc());
    group->DrawInContext(context);
    EXPECT_EQ(GetCurrentObject(f.canvas.Dc(), OBJ_PEN), before);
    EXPECT_FALSE(context.keepPen);
    SelectObject(f.canvas.Dc(), old);
    DeleteObject(before);
    // The ink of the column at x within a pixel of the line at y (rounding may put it on the row
    // above).
    auto inkNear = [&f](float x, float y) {
        const POINT p = f.Pixel(x, y);
        for (int dy : {0, -1, 1})
            if (f.canvas.Pixel(p.x, p.y + dy) != 0xFFFFFF)
                return f.canvas.Pixel(p.x, p.y + dy);
        return static_cast<COLORREF>(0xFFFFFF);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "the line at " << row.y);
        EXPECT_EQ(inkNear(60, row.y), row.colour);
        EXPECT_EQ(inkNear(140, row.y), row.vertexColour ? row.vertexColour : row.colour);
    }
}

TEST(PolylineDrawing, ArrowHeadsOnStraightEndsOnly)
{
    Fixture f;
    CDrawingSettingRecord* setting = f.control.GetCurrentDrawingSetting();
    setting->ArrowScale = 2.0f;
    CPolyline* p = f.Polyline({{20, 75}, {100, 75}, {180, 75}});
    p->SetStateBits(CShape::stScalePenWeight, true);
    p->SetSecondArrowType(atArrowVTFilled);
    CDrawContext context = Context(f.canvas.Dc());
    p->DrawInContext(context);
    // The head is 20 units long and 10 wide at its base.
    EXPECT_NEAR(Height(f.canvas.InkExtent()), f.Pixel(0, 70).y - f.Pixel(0, 80).y, 2);
    const POINT inHead = f.Pixel(172, 76);
    EXPECT_TRUE(p->HitTest(static_cast<float>(inHead.x), static_cast<float>(inHead.y)));

    // A bulged first segment has no first head; an arrow scale of 0 none at all.
    CPolyline* bent = f.Polyline({{20, 75}, {100, 75}});
    bent->SetStateBits(CShape::stScalePenWeight, true);
    bent->SetFirstArrowType(atArrowVTFilled);
    bent->GetVertexAt(0)->bulge = 0.2f;
    EXPECT_FALSE(bent->CanDrawFirstArrow());
    const POINT wing = f.Pixel(28, 76);
    EXPECT_FALSE(bent->HitTest(static_cast<float>(wing.x), static_cast<float>(wing.y)));
    setting->ArrowScale = 0.0f;
    f.canvas.Clear();
    p->DrawInContext(context);
    EXPECT_LE(Height(f.canvas.InkExtent()), 1);
    EXPECT_FALSE(p->CanDrawLastArrow());
}

TEST(PolylineHitTest, SegmentsAndHandles)
{
    Fixture f;
    CPolyline* p = f.Polyline({{20, 20}, {100, 20}, {100, 120}}, pfClosed);
    // One pixel off a segment hits; the middle of the outline does not (no fill).
    EXPECT_TRUE(f.Hits(*p, 60, 20, 0, 1));
    EXPECT_TRUE(f.Hits(*p, 100, 70, -1, 0));
    EXPECT_FALSE(f.Hits(*p, 80, 50));
    // The closing segment is a segment too.
    EXPECT_TRUE(f.Hits(*p, 60, 70, 1, 0));
    p->SetFlags(0);
    EXPECT_FALSE(f.Hits(*p, 60, 70, 1, 0));
    p->SetFlags(pfClosed);

    struct Case
    {
        const char* what;
        CRealPoint at;
        int hit;
        int segment;
    };
    const Case cases[] = {
        {"first handle", {20, 20}, 1, 1},
        {"middle handle", {100, 20}, 1, 2},
        {"handle of the last vertex", {100, 120}, 1, 0},
        {"first segment", {60, 20}, 1, 1},
        {"second segment", {100, 80}, 1, 2},
        {"closing segment", {60, 70}, 1, 0},
        {"inside", {85, 40}, 0, -7},
    };
    for (const Case& c : cases) {
        int segment = -7;
        const POINT at = f.Pixel(c.at.x, c.at.y);
        EXPECT_EQ(p->HitSegmentTest(static_cast<float>(at.x), static_cast<float>(at.y), &segment), c.hit) << c.what;
        EXPECT_EQ(segment, c.segment) << c.what;
    }
    // A wide pen widens the reach: 16 pixels to the side of this slope is 8.5 from the line.
    CPolyline* wide = f.Polyline({{20, 20}, {180, 120}});
    EXPECT_FALSE(f.Hits(*wide, 100, 70, 16, 0));
    wide->SetStateBits(CShape::stScalePenWeight, false);
    wide->SetPenWeight(4.0f);
    EXPECT_TRUE(f.Hits(*wide, 100, 70, 16, 0));
    EXPECT_FALSE(f.Hits(*wide, 100, 70, 26, 0));
}

// The marks of a selected closed polyline: a square at each point and a circle about the start.
TEST(PolylineDrawing, MarksOfAClosedOutline)
{
    Fixture f;
    CPolyline* p = f.Polyline({{60, 40}, {160, 40}, {160, 110}}, pfClosed);
    p->SetSelected(true);
    CDrawContext marks = Context(f.canvas.Dc(), CDrawContext::dcMarks);
    p->DrawInContext(marks);
    const POINT start = f.Pixel(60, 40), corner = f.Pixel(160, 110);
    const RECT ink = f.canvas.InkExtent();
    // The circle (radius 18/sqrt(2) pixels) reaches beyond the start's square (9 pixels).
    EXPECT_NEAR(ink.left, start.x - 13, 1.5);
    EXPECT_NEAR(ink.bottom, start.y + 13, 1.5);
    EXPECT_NEAR(ink.right, corner.x + 9, 1.5);
    EXPECT_NEAR(ink.top, corner.y - 9, 1.5);
    // Opened, only the squares.
    f.canvas.Clear();
    p->SetFlags(0);
    p->DrawInContext(marks);
    EXPECT_NEAR(f.canvas.InkExtent().left, start.x - 9, 1.5);
}

TEST(LineShape, DrawAndHitTest)
{
    Fixture f;
    CDrawContext context = Context(f.canvas.Dc());
    // One point: nothing drawn, never hit, no length.
    CLine* single = f.Line({{50, 50}});
    single->DrawInContext(context);
    EXPECT_EQ(f.canvas.Count(0x000000), 0);
    EXPECT_FALSE(f.Hits(*single, 50, 50));
    EXPECT_EQ(single->GetLength(), 0.0);
    CRealPoint handles[3];
    EXPECT_EQ(single->GetHandlePoints(handles, 3), 0);

    CLine* line = f.Line({{20, 30}, {180, 110}});
    line->DrawInContext(context);
    const RECT ink = f.canvas.InkExtent();
    EXPECT_NEAR(ink.left, f.Pixel(20, 30).x, 1);
    EXPECT_NEAR(ink.bottom, f.Pixel(20, 30).y, 1);
    EXPECT_NEAR(ink.right, f.Pixel(180, 110).x, 1);
    EXPECT_NEAR(ink.top, f.Pixel(180, 110).y, 1);
    EXPECT_EQ(line->GetHandlePoints(nullptr, 0), 3);
    EXPECT_EQ(line->GetHandlePoints(handles, 2), 0);
    ASSERT_EQ(line->GetHandlePoints(handles, 3), 3);
    EXPECT_EQ(handles[2].x, 100.0f);
    EXPECT_EQ(handles[2].y, 70.0f);

    struct Case
    {
        const char* what;
        CRealPoint at;
        float dx, dy;
        bool hit;
    };
    const Case cases[] = {
        {"one pixel off the middle", {100, 70}, 0, 1, true},
        {"three pixels off", {100, 70}, 0, 3, true},
        {"eight pixels off", {100, 70}, 0, 8, false},
        {"near an end", {20, 30}, -2, 2, true},
        // On the line's extension beyond an end, outside the end's square.
        {"beyond the end", {200, 120}, 0, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.Hits(*line, c.at.x, c.at.y, c.dx, c.dy), c.hit) << c.what;

    // Both ends on one pixel: a point, hit only inside its square, not on the square's edge.
    CLine* dot = f.Line({{60, 60}, {60.2f, 60.1f}});
    EXPECT_TRUE(f.Hits(*dot, 60, 60, 1, 1));
    EXPECT_FALSE(f.Hits(*dot, 60, 60, 3, 0));
    EXPECT_FALSE(f.Hits(*dot, 60, 60, 0, -3));

    // Arrow heads: the line stops at a closed head's base; the head is hit.
    f.control.GetCurrentDrawingSetting()->ArrowScale = 2.0f;
    f.canvas.Clear();
    CLine* arrow = f.Line({{20, 75}, {180, 75}});
    arrow->SetStateBits(CShape::stScalePenWeight, true);
    arrow->SetSecondArrowType(atArrowVTFilled);
    arrow->DrawInContext(context);
    EXPECT_NEAR(Height(f.canvas.InkExtent()), f.Pixel(0, 70).y - f.Pixel(0, 80).y, 2);
    const POINT inHead = f.Pixel(172, 76);
    EXPECT_TRUE(arrow->HitTest(static_cast<float>(inHead.x), static_cast<float>(inHead.y)));
}
