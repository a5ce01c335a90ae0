// The ellipse, arc and circle kind: the points its curve is drawn through, drawing and the ring hit
// test in DIB sections (checked by geometry with a pixel or two of tolerance), handles, transforms,
// and the editing hooks as the control's mouse handlers drive them; the font cache beside it.
#include "tests/support/DrawingTestSupport.h"
#include "model/Ellipse.h"
#include "model/FontCache.h"
#include "model/ShapeStateMap.h"
#include <memory>

using namespace drawtest;

namespace {
const int kW = 200, kH = 150;
const double kPi = 3.14159265358979;

struct Fixture : PixelDrawing
{
    Fixture() : PixelDrawing(kW, kH) {}
    // A shape of the factory with its centre, axis, ratio and angles; thin black lines.
    CEllipse* Make(int type, float cx, float cy, float majorX, float majorY, float ratio = 1.0f, float start = 0.0f,
                   float end = 360.0f)
    {
        auto* e = dynamic_cast<CEllipse*>(control.GetShapeMap().CreateShape(type, true, true));
        EXPECT_NE(e, nullptr);
        AddPoint(control, *e, cx, cy);
        e->SetMajorAxis(majorX, majorY);
        e->SetMinorRatio(ratio);
        e->SetAngles(start, end);
        e->SetPenColor(0x000000);
        return e;
    }
    bool Hits(CShape& shape, float x, float y)
    {
        const POINT p = Pixel(x, y);
        return shape.HitTest(static_cast<float>(p.x), static_cast<float>(p.y)) != FALSE;
    }
};

std::vector<CRealPointD> Samples(const CEllipse& e)
{
    std::vector<CRealPointD> points(CEllipse::kMaxSamples);
    points.resize(static_cast<size_t>(e.GetSamplePoints(points.data())));
    return points;
}

void ExpectNear(const CRealPointD& got, double x, double y, double tolerance, const char* what)
{
    EXPECT_NEAR(got.x, x, tolerance) << what;
    EXPECT_NEAR(got.y, y, tolerance) << what;
}

// The curve's end points: the first and the last sample.
std::pair<CRealPointD, CRealPointD> Ends(const CEllipse& e)
{
    const std::vector<CRealPointD> s = Samples(e);
    return {s.front(), s.back()};
}

} // namespace

// The factory makes the one class for the three kinds; the class answers the ellipse's type and
// coclass, the shape its own type.
TEST(Ellipse, TheFactoryMakesArcsCirclesAndEllipses)
{
    Fixture f;
    for (int type : {stArc, stCircle, stEllipse}) {
        CShape* shape = f.control.GetShapeMap().CreateShape(type, true, true);
        auto* e = dynamic_cast<CEllipse*>(shape);
        ASSERT_NE(e, nullptr) << type;
        EXPECT_EQ(e->GetShapeType(), type);
        EXPECT_EQ(e->GetClassShapeType(), stEllipse);
        CLSID clsid = {};
        e->GetCoClassId(&clsid);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_EllipseShape));
        EXPECT_EQ(e->GetMinorRatio(), 1.0f);
        EXPECT_EQ(e->GetEndAngle(), 360.0f);
        // A clone is of the same kind with the same geometry.
        AddPoint(f.control, *e, 5, 6);
        e->SetMajorAxis(3, 4);
        e->SetAngles(10, 100);
        auto* clone = dynamic_cast<CEllipse*>(f.control.GetShapeMap().CloneShape(e, true));
        ASSERT_NE(clone, nullptr);
        EXPECT_EQ(clone->GetShapeType(), type);
        EXPECT_EQ(clone->GetMajorX(), 3.0f);
        EXPECT_EQ(clone->GetStartAngle(), 10.0f);
        EXPECT_EQ(clone->GetPoints().GetAt(0)->x, 5.0f);
        EXPECT_NE(clone->GetPoints().GetAt(0), e->GetPoints().GetAt(0));
    }
}

// The points of the curve: a full turn is 37 points ending on the first; start = end is a full
// turn too; an arc ends exactly on its end angle after steps of (sweep + 0.1) / 36; a negative
// extrusion runs the same angles clockwise.
TEST(Ellipse, SampledCurve)
{
    Fixture f;
    struct Case
    {
        const char* what;
        float start, end, z;
        size_t count;
        double endX, endY; // the last point, centre (0, 0), axis (10, 0), ratio 0.5
    } cases[] = {
        {"full", 0, 360, 1, 37, 10, 0},
        {"start = end", 45, 45, 1, 37, 10 * std::cos(kPi / 4), 5 * std::sin(kPi / 4)},
        {"quarter", 0, 90, 1, 35, 0, 5},
        {"quarter clockwise", 0, 90, -1, 35, 0, -5},
        {"over the axis", 300, 30, 1, 0, 10 * std::cos(kPi / 6), 5 * std::sin(kPi / 6)},
    };
    for (const Case& c : cases) {
        CEllipse* e = f.Make(stArc, 0, 0, 10, 0, 0.5f, c.start, c.end);
        e->SetExtrusionZ(c.z);
        const std::vector<CRealPointD> s = Samples(*e);
        if (c.count) {
            EXPECT_EQ(s.size(), c.count) << c.what;
        }
        ASSERT_FALSE(s.empty());
        ExpectNear(s.back(), c.endX, c.endY, 1e-5, c.what);
        if (c.count == 37)
            ExpectNear(s.back(), s.front().x, s.front().y, 1e-5, c.what);
        if (std::string(c.what) == "quarter") {
            const double step = (kPi / 2 + 0.1) / 36;
            ExpectNear(s[1], 10 * std::cos(step), 5 * std::sin(step), 1e-4, c.what);
        }
        if (std::string(c.what) == "quarter clockwise") {
            EXPECT_LT(s[1].y, 0.0) << c.what;
        }
    }
    // The axis turns the curve; without a centre there is nothing to draw.
    CEllipse* turned = f.Make(stEllipse, 50, 50, 0, 10, 0.5f, 0, 90);
    ExpectNear(Ends(*turned).first, 50, 60, 1e-5, "turned start");
    ExpectNear(Ends(*turned).second, 45, 50, 1e-5, "turned end");
    auto* bare = dynamic_cast<CEllipse*>(f.control.GetShapeMap().CreateShape(stEllipse, true, true));
    EXPECT_TRUE(Samples(*bare).empty());
    CDrawContext context = Context(f.canvas.Dc());
    EXPECT_EQ(bare->Draw(context), 0);
}

// Drawn: a circle fills its square's outline and no more; an arc only its quarter; a tilted
// ellipse reaches as far as its axes.
TEST(Ellipse, DrawsItsCurve)
{
    Fixture f;
    CEllipse* circle = f.Make(stCircle, 100, 75, 40, 0);
    CDrawContext context = Context(f.canvas.Dc());
    ASSERT_EQ(circle->DrawInContext(context), 1);
    RECT ink = f.canvas.InkExtent();
    const POINT lt = f.Pixel(60, 115), rb = f.Pixel(140, 35);
    EXPECT_NEAR(ink.left, lt.x, 2);
    EXPECT_NEAR(ink.top, lt.y, 2);
    EXPECT_NEAR(ink.right, rb.x, 2);
    EXPECT_NEAR(ink.bottom, rb.y, 2);
    const POINT centre = f.Pixel(100, 75);
    EXPECT_EQ(f.canvas.Pixel(centre.x, centre.y), 0xFFFFFFu);

    f.canvas.Clear();
    CEllipse* arc = f.Make(stArc, 100, 75, 40, 0, 1.0f, 0, 90);
    arc->DrawInContext(context);
    ink = f.canvas.InkExtent();
    const POINT top = f.Pixel(100, 115), right = f.Pixel(140, 75);
    EXPECT_NEAR(ink.left, top.x, 2);
    EXPECT_NEAR(ink.top, top.y, 2);
    EXPECT_NEAR(ink.right, right.x, 2);
    EXPECT_NEAR(ink.bottom, right.y, 2);

    // A fill follows the curve.
    f.canvas.Clear();
    CEllipse* filled = f.Make(stEllipse, 100, 75, 40, 0, 0.5f);
    filled->SetHatchPatternId(hpSolid);
    filled->SetHatchColor(0x00C000);
    filled->DrawInContext(context);
    const POINT inside = f.Pixel(100, 90), outside = f.Pixel(100, 100), end = f.Pixel(135, 75);
    EXPECT_EQ(f.canvas.Pixel(inside.x, inside.y), 0x00C000u);
    EXPECT_EQ(f.canvas.Pixel(outside.x, outside.y), 0xFFFFFFu);
    EXPECT_EQ(f.canvas.Pixel(end.x, end.y), 0x00C000u);

    // The bounds follow the curve (and take in the centre).
    float l, t, r, b;
    ASSERT_EQ(arc->GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_NEAR(l, 100, 1e-4);
    EXPECT_NEAR(t, 115, 1e-4);
    EXPECT_NEAR(r, 140, 1e-4);
    EXPECT_NEAR(b, 75, 1e-4);
    CEllipse* tilted = f.Make(stEllipse, 100, 75, 30, 30, 0.2f);
    ASSERT_EQ(tilted->GetBoundingRect(&l, &t, &r, &b), S_OK);
    const double reach = std::sqrt(30.0 * 30 + 30 * 30) * std::sqrt(0.5 * (1 + 0.04));
    EXPECT_NEAR(r - 100, reach, 0.3);
    EXPECT_NEAR(t - 75, reach, 0.3);
}

// Small curves are drawn through fewer of their sample points, in chords that stray less than
// a quarter of a pixel from the curve: the picture is the one drawn through every sample point,
// within a pixel either way. The rows: kind, major radius in pixels, its turn in degrees, the
// minor ratio and the angles.
TEST(Ellipse, SmallCurvesLookAsDrawnThroughEverySample)
{
    struct Row
    {
        int type;
        double radius, turn;
        float ratio, start, end;
    };
    const Row rows[] = {
        {stCircle, 0.3, 0, 1, 0, 360},    {stCircle, 1, 0, 1, 0, 360},     {stCircle, 2.5, 0, 1, 0, 360},
        {stCircle, 6, 0, 1, 0, 360},      {stCircle, 15, 0, 1, 0, 360},    {stCircle, 40, 0, 1, 0, 360},
        {stArc, 3, 0, 1, 10, 200},        {stArc, 12, 0, 1, 300, 80},      {stArc, 8, 20, 0.5f, 45, 270},
        {stEllipse, 20, 30, 0.3f, 0, 360}, {stEllipse, 4, 75, 0.6f, 0, 360},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << row.type << ", radius " << row.radius << ", ratio " << row.ratio);
        Fixture f;
        const double a = row.turn * kPi / 180;
        CEllipse* e = f.Make(row.type, 100.3f, 75.6f, static_cast<float>(row.radius * std::cos(a)),
                             static_cast<float>(row.radius * std::sin(a)), row.ratio, row.start, row.end);
        CDrawContext context = Context(f.canvas.Dc(), CDrawContext::dcPrecise);
        ASSERT_EQ(e->DrawInContext(context), 1);
        auto ink = [&f]() {
            std::vector<bool> inked(static_cast<size_t>(kW) * kH);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    inked[static_cast<size_t>(y) * kW + x] = f.canvas.Pixel(x, y) != 0xFFFFFF;
            return inked;
        };
        const std::vector<bool> drawn = ink();
        // Every sample point, joined by a thin black pen.
        f.canvas.Clear();
        const std::vector<CRealPointD> samples = Samples(*e);
        std::vector<POINT> points(samples.size());
        f.control.GetCurrentViewport().WorldToViewPoints(samples.data(), points.data(), static_cast<int>(points.size()));
        HPEN pen = CreatePen(PS_SOLID, 0, 0x000000);
        HGDIOBJ old = SelectObject(f.canvas.Dc(), pen);
        Polyline(f.canvas.Dc(), points.data(), static_cast<int>(points.size()));
        SelectObject(f.canvas.Dc(), old);
        DeleteObject(pen);
        const std::vector<bool> full = ink();
        // Each inked pixel of one picture has an inked pixel of the other within a pixel.
        auto covered = [](const std::vector<bool>& of, const std::vector<bool>& by) {
            int missed = 0, inked = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    if (!of[static_cast<size_t>(y) * kW + x])
                        continue;
                    ++inked;
                    bool found = false;
                    for (int dy = -1; dy <= 1 && !found; ++dy)
                        for (int dx = -1; dx <= 1 && !found; ++dx) {
                            const int nx = x + dx, ny = y + dy;
                            found = nx >= 0 && ny >= 0 && nx < kW && ny < kH && by[static_cast<size_t>(ny) * kW + nx];
                        }
                    missed += found ? 0 : 1;
                }
            return std::make_pair(inked, missed);
        };
        const auto drawnByFull = covered(drawn, full), fullByDrawn = covered(full, drawn);
        EXPECT_GT(fullByDrawn.first, 0);
        EXPECT_GT(drawnByFull.first, 0);
        EXPECT_EQ(drawnByFull.second, 0);
        EXPECT_EQ(fullByDrawn.second, 0);
    }
}

// The ring test: the curve within a few pixels hits, the inside and the outside do not, the
// missing part of an arc does not; a tiny ellipse is hit anywhere inside, its centre too. An arc
// of a flat ellipse is hit all along what is drawn of it.
TEST(Ellipse, HitInItsRing)
{
    Fixture f;
    CEllipse* circle = f.Make(stCircle, 100, 75, 40, 0);
    EXPECT_TRUE(f.Hits(*circle, 140, 75));
    EXPECT_TRUE(f.Hits(*circle, 100, 113));
    EXPECT_TRUE(f.Hits(*circle, 100 + 40 * 0.7071f, 75 - 40 * 0.7071f));
    EXPECT_FALSE(f.Hits(*circle, 100, 75));
    EXPECT_FALSE(f.Hits(*circle, 130, 75));
    EXPECT_FALSE(f.Hits(*circle, 148, 75));

    CEllipse* arc = f.Make(stArc, 100, 75, 40, 0, 1.0f, 0, 90);
    EXPECT_TRUE(f.Hits(*arc, 100, 115));
    EXPECT_TRUE(f.Hits(*arc, 140, 75));
    EXPECT_FALSE(f.Hits(*arc, 60, 75));
    EXPECT_FALSE(f.Hits(*arc, 100, 35));

    CEllipse* tiny = f.Make(stCircle, 30, 30, 0.5f, 0);
    EXPECT_TRUE(f.Hits(*tiny, 30, 30));
    EXPECT_FALSE(f.Hits(*tiny, 40, 30));

    // Ratio 0.3, parameters 40 to 90: the point of parameter 50 lies at a direction of 20 degrees
    // from the centre, below the arc's start direction.
    CEllipse* flat = f.Make(stArc, 100, 75, 80, 0, 0.3f, 40, 90);
    const double t = 50 * kPi / 180;
    EXPECT_TRUE(f.Hits(*flat, static_cast<float>(100 + 80 * std::cos(t)), static_cast<float>(75 + 24 * std::sin(t))));
    const double off = 20 * kPi / 180;
    EXPECT_FALSE(
        f.Hits(*flat, static_cast<float>(100 + 80 * std::cos(off)), static_cast<float>(75 + 24 * std::sin(off))));
}

// Seven handles: centre, the ends of both axes, start and end, turned with the axis.
TEST(Ellipse, Handles)
{
    Fixture f;
    CEllipse* e = f.Make(stArc, 10, 20, 0, 4, 0.5f, 0, 90);
    EXPECT_EQ(e->GetHandlePoints(nullptr, 0), 7);
    CRealPoint h[7];
    EXPECT_EQ(e->GetHandlePoints(h, 6), 0);
    ASSERT_EQ(e->GetHandlePoints(h, 7), 7);
    const float expected[7][2] = {{10, 20}, {10, 16}, {8, 20}, {10, 24}, {12, 20}, {10, 24}, {8, 20}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_NEAR(h[i].x, expected[i][0], 1e-5) << i;
        EXPECT_NEAR(h[i].y, expected[i][1], 1e-5) << i;
    }
}

// Scaling: a full circle by (2, 1) lies along x with ratio 0.5; a mirroring scale flips the
// extrusion; an arc's end points go where the scale takes them. Rotation turns the axis; a flip
// mirrors every point of the curve.
TEST(Ellipse, Transforms)
{
    Fixture f;
    CEllipse* circle = f.Make(stCircle, 0, 0, 0, 10);
    ASSERT_EQ(circle->Scale(0, 0, 2, 1, nullptr, false), S_OK);
    EXPECT_NEAR(circle->GetMajorX(), 20, 1e-5);
    EXPECT_NEAR(circle->GetMajorY(), 0, 1e-5);
    EXPECT_NEAR(circle->GetMinorRatio(), 0.5, 1e-6);
    EXPECT_EQ(circle->GetExtrusionZ(), 1.0f);
    CEllipse* mirrored = f.Make(stCircle, 0, 0, 10, 0);
    ASSERT_EQ(mirrored->Scale(0, 0, -1, 1, nullptr, false), S_OK);
    EXPECT_EQ(mirrored->GetExtrusionZ(), -1.0f);

    CEllipse* arc = f.Make(stArc, 0, 0, 10, 0, 1.0f, 0, 90);
    ASSERT_EQ(arc->Scale(0, 0, 1, 2, nullptr, false), S_OK);
    EXPECT_NEAR(arc->GetMinorRatio(), 2.0, 1e-6);
    ExpectNear(Ends(*arc).first, 10, 0, 1e-4, "scaled start");
    ExpectNear(Ends(*arc).second, 0, 20, 1e-4, "scaled end");

    CEllipse* turned = f.Make(stArc, 5, 0, 10, 0, 0.5f, 0, 90);
    ASSERT_EQ(turned->Rotate(0, 0, 90, nullptr, false), 1);
    EXPECT_NEAR(turned->GetMajorX(), 0, 1e-5);
    EXPECT_NEAR(turned->GetMajorY(), 10, 1e-5);
    ExpectNear(Ends(*turned).first, 0, 15, 1e-4, "turned start");
    ExpectNear(Ends(*turned).second, -5, 5, 1e-4, "turned end");
    EXPECT_NEAR(turned->GetAngle(), kPi / 2, 1e-6);

    for (bool vertical : {true, false}) {
        CEllipse* e = f.Make(stArc, 3, 4, 6, 2, 0.5f, 20, 160);
        const std::vector<CRealPointD> before = Samples(*e);
        const float axis = 1.0f;
        ASSERT_EQ(vertical ? e->FlipVertical(nullptr, &axis) : e->FlipHorizontal(nullptr, &axis), 1);
        EXPECT_EQ(e->GetExtrusionZ(), -1.0f);
        const std::vector<CRealPointD> after = Samples(*e);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            const double x = vertical ? before[i].x : 2 * axis - before[i].x;
            const double y = vertical ? 2 * axis - before[i].y : before[i].y;
            ExpectNear(after[i], x, y, 1e-4, vertical ? "vertical flip" : "horizontal flip");
        }
    }
}

// A press on an ellipse whose minor axis is the longer one turns it into the same curve with the
// longer axis as the major one: the ratio at most 1 and the arc's ends where they were.
TEST(Ellipse, APressSwapsALongerMinorAxis)
{
    Fixture f;
    for (float z : {1.0f, -1.0f}) {
        CEllipse* arc = f.Make(stArc, 0, 0, 10, 0, 1.0f, 0, 90);
        arc->SetExtrusionZ(z);
        arc->Scale(0, 0, 1, 2, nullptr, false);
        const auto before = Ends(*arc);
        arc->OnEditMouseDown(500, 500, nullptr);
        EXPECT_NEAR(arc->GetMinorRatio(), 0.5, 1e-6) << z;
        EXPECT_NEAR(arc->GetMajorRadius(), 20, 1e-5) << z;
        const auto after = Ends(*arc);
        ExpectNear(after.first, before.first.x, before.first.y, 1e-4, "start");
        ExpectNear(after.second, before.second.x, before.second.y, 1e-4, "end");
    }
}

// The centre handle moves the shape (-1); a degenerate ellipse answers its alignment mode there.
TEST(Ellipse, CentreHandleMoves)
{
    Fixture f;
    struct Case
    {
        float majorX, ratio;
        int index;
    } cases[] = {{10, 0.5f, -1}, {0, 0.5f, paBoundingRectIntersection}, {10, 0.0f, paBorder}};
    for (const Case& c : cases) {
        CEllipse* e = f.Make(stEllipse, 50, 50, c.majorX, 0, c.ratio);
        e->SetSelected(true);
        int index = 99;
        CRealPoint at;
        ASSERT_EQ(e->AlignPointTo(50, 50, &index, &at), 1);
        EXPECT_EQ(index, c.index);
        // An axis end keeps its handle index.
        if (c.majorX != 0) {
            ASSERT_EQ(e->AlignPointTo(60, 50, &index, &at), 1);
            EXPECT_EQ(index, 3);
        }
    }
}

// Handles dragged: an end of the major axis sets its length and keeps the minor radius, across
// the centre an arc turns over; an end of the minor axis sets the ratio; the start handle the
// start angle. Protections refuse.
TEST(Ellipse, HandlesEditTheCurve)
{
    Fixture f;
    auto begin = [&](CEllipse* e, int handle) {
        f.control.GetEditState().editedShape = e;
        e->StartEdit(EDSH_POINT, handle, nullptr);
    };
    CEllipse* e = f.Make(stEllipse, 50, 50, 20, 0, 0.5f);
    begin(e, 3);
    ASSERT_EQ(e->OnEditDrag(80, 52), 1);
    EXPECT_NEAR(e->GetMajorRadius(), 30, 1e-4);
    EXPECT_NEAR(e->GetMajorRadius() * e->GetMinorRatio(), 10, 1e-4);
    begin(e, 2);
    e->OnEditDrag(50, 65);
    EXPECT_NEAR(e->GetMinorRatio(), 0.5, 1e-5);
    e->OnEditDrag(51, 56);
    EXPECT_NEAR(e->GetMinorRatio(), 0.2, 1e-5);

    CEllipse* arc = f.Make(stArc, 0, 0, 10, 0, 1.0f, 0, 90);
    begin(arc, 3);
    arc->OnEditDrag(12, 0);
    arc->OnEditDrag(-12, 0);
    EXPECT_NEAR(arc->GetMajorRadius(), 12, 1e-5);
    EXPECT_EQ(arc->GetStartAngle(), 90.0f);
    EXPECT_EQ(arc->GetEndAngle(), 180.0f);
    begin(arc, 5);
    arc->OnEditDrag(0, -5);
    EXPECT_NEAR(arc->GetStartAngle(), -90, 1e-4);

    CEllipse* locked = f.Make(stEllipse, 0, 0, 10, 0, 0.5f);
    locked->SetProtectionFlagsMasked(sdbfWidth, sdbfWidth);
    begin(locked, 3);
    locked->OnEditDrag(30, 0);
    EXPECT_NEAR(locked->GetMajorRadius(), 10, 1e-5);
    f.control.GetEditState().editedShape = nullptr;
}

// Turned by the mouse: every drag turns the ellipse from where it stood when the turn began.
TEST(Ellipse, TurnedByDrags)
{
    Fixture f;
    CEllipse* e = f.Make(stEllipse, 0, 0, 10, 0, 0.5f);
    std::unique_ptr<CShape> before(f.control.GetShapeMap().CloneShape(e, false));
    CEditState& edit = f.control.GetEditState();
    edit.editedShape = e;
    edit.tracker = before.get();
    e->StartEdit(EDSH_ROTATE, 0, nullptr);
    e->OnEditMouseDown(0, 0, nullptr); // the turn's centre
    for (float y : {5.0f, 10.0f, 20.0f})
        e->OnEditDrag(20, y);
    EXPECT_NEAR(e->GetAngle(), std::atan2(20.0, 20.0), 1e-5);
    EXPECT_NEAR(e->GetMajorRadius(), 10, 1e-4);
    edit = CEditState();
}

// Created by the mouse: a press at the centre, the axis dragged out, a press to end; an arc by
// three clicks, the middle one on the arc.
TEST(Ellipse, CreatedByTheMouse)
{
    Fixture f;
    CEditState& edit = f.control.GetEditState();
    auto* circle = dynamic_cast<CEllipse*>(f.control.GetShapeMap().CreateShape(stCircle, true, true));
    edit.editedShape = circle;
    circle->StartEdit(EDSH_NEWPOINT, 0, nullptr);
    ASSERT_EQ(circle->OnEditMouseDown(40, 30, nullptr), 1);
    ASSERT_EQ(circle->GetPointCount(), 1);
    EXPECT_EQ(edit.editMode, EDSH_POINT);
    circle->OnEditDrag(40, 50);
    EXPECT_NEAR(circle->GetMajorRadius(), 20, 1e-5);
    ASSERT_EQ(circle->OnEditMouseDown(40, 50, nullptr), 1);
    EXPECT_NEAR(circle->GetMajorX(), 0, 1e-5);
    EXPECT_NEAR(circle->GetMajorY(), 20, 1e-5);

    struct Case
    {
        const char* what;
        CRealPoint middle;
        float start, end;
    } cases[] = {{"above", {0, 10}, 0, 180}, {"below", {0, -10}, 180, 360}};
    for (const Case& c : cases) {
        auto* arc = dynamic_cast<CEllipse*>(f.control.GetShapeMap().CreateShape(stArc, true, true));
        edit.editedShape = arc;
        edit.controlState = csUserCreate;
        arc->StartEdit(EDSH_NEWPOINT, 0, nullptr);
        arc->OnEditMouseDown(10, 0, nullptr);
        EXPECT_EQ(arc->GetPointCount(), 0) << c.what;
        arc->OnEditMouseDown(c.middle.x, c.middle.y, nullptr);
        // Collinear with the first two: no circle, the arc hidden.
        arc->OnEditDrag(c.middle.x * 2 - 10, c.middle.y * 2);
        EXPECT_FALSE(arc->HasState(CShape::stVisible)) << c.what;
        arc->OnEditDrag(-10, 0);
        EXPECT_TRUE(arc->HasState(CShape::stVisible)) << c.what;
        ASSERT_EQ(arc->GetPointCount(), 1) << c.what;
        EXPECT_NEAR(arc->GetPoints().GetAt(0)->x, 0, 1e-4) << c.what;
        EXPECT_NEAR(arc->GetMajorRadius(), 10, 1e-4) << c.what;
        EXPECT_NEAR(arc->GetStartAngle(), c.start, 1e-3) << c.what;
        EXPECT_NEAR(arc->GetEndAngle(), c.end, 1e-3) << c.what;
        arc->OnEditMouseDown(-10, 0, nullptr);
    }
    edit = CEditState();
}

// Fonts: one entry per distinct description, found again where a width or height is 0 or a
// height is given as a character height; an all-zero description asks for the first entry, and
// is that entry while the cache is empty.
TEST(FontCache, FindsOrAddsEntries)
{
    CFontCache cache;
    LOGFONTA zero = {};
    int id = 0;
    CFontCache::CFontEntry* first = cache.FindOrAdd(zero, &id);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(first->m_useCount, 0);
    EXPECT_EQ(first->m_font, nullptr);

    LOGFONTA lf = {};
    lf.lfHeight = 10;
    lf.lfWeight = FW_NORMAL;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    int normal = 0, bold = 0;
    cache.FindOrAdd(lf, &normal);
    lf.lfWeight = FW_BOLD;
    cache.FindOrAdd(lf, &bold);
    EXPECT_EQ(bold, normal + 1);
    EXPECT_EQ(cache.GetCount(), 3);

    // A zero width or height, and the height given in the other form (-13, of which 10/13 is
    // the entry's 10), find it.
    LOGFONTA variant = lf;
    variant.lfWidth = 7;
    variant.lfHeight = 0;
    int found = 0;
    EXPECT_EQ(cache.FindOrAdd(variant, &found), cache.Lookup(bold));
    EXPECT_EQ(found, bold);
    variant.lfWidth = 0;
    variant.lfHeight = -13;
    EXPECT_EQ(cache.FindOrAdd(variant, &found), cache.Lookup(bold));
    variant.lfHeight = 11;
    EXPECT_NE(cache.FindOrAdd(variant, &found), cache.Lookup(bold));
    EXPECT_EQ(cache.FindOrAdd(zero, &found), first);
    EXPECT_EQ(found, 1);

    // An ID taken is refused.
    EXPECT_EQ(cache.AddFont(bold, lf, true), 0);
    const int last = cache.GetLastId();
    EXPECT_EQ(cache.AddFont(50, lf, false), 50);
    EXPECT_EQ(cache.GetLastId(), last);
}
