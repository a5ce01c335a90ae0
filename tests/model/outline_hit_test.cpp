// The hit test of outlines by geometry against GDI's own answer: the path Draw records, widened
// by the pen and the tolerance, or filled, asked at device points near and on the edges, at the
// ends and joins, inside and far off, for Bezier polylines, filled polygons and filled Bezier
// outlines, with hairlines, wide and dashed pens, at three zoom levels. Where the geometry answers
// it must answer as GDI does; where it cannot tell (near the rounded edge), the polyline's hit
// test asks GDI, so its answer must equal GDI's everywhere.
#include "tests/support/DrawingTestSupport.h"
#include "model/OutlineHit.h"
#include "model/Polyline.h"
#include "model/ViewMapping.h"
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace drawtest;

namespace {

struct Case
{
    const char* what;
    std::vector<CRealPoint> points;  // world units: at zoom 1 pixels of the canvas, y up from its bottom
    DWORD flags;
    float penWeight;                 // world units, scaled with the view
    int lineType;
    bool filled;
    double zoom;
};

// The polyline of a case in a control whose view shows one world unit as `zoom` pixels.
struct Drawing : PixelDrawing
{
    explicit Drawing(double zoom)
        : PixelDrawing(static_cast<int>(400 * zoom) + 1, static_cast<int>(300 * zoom) + 1)
    {
        CViewportRecord& view = control.GetCurrentViewport();
        view.zoom = zoom;
    }
    CPolyline* Make(const Case& c)
    {
        auto* p = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
        for (const CRealPoint& at : c.points)
            AddPoint(control, *p, at.x, at.y);
        p->SetFlags(c.flags);
        p->SetPenColor(0x000000);
        p->SetStateBits(CShape::stScalePenWeight, true);
        p->SetPenWeight(c.penWeight);
        if (c.lineType)
            p->SetLinePatternId(c.lineType);
        if (c.filled) {
            p->SetHatchPatternId(hpSolid);
            p->SetHatchColor(0x00C000);
        }
        return p;
    }
};

// Probes: a coarse grid over the outline's box and beyond it, and at points along the outline,
// each at offsets across it around the stroke's edge and at the ends along the outline's way.
std::vector<POINT> Probes(const COutlineHit& outline, double halfWidth, const RECT& box, LONG step)
{
    std::vector<POINT> out;
    for (LONG y = box.top - 12; y <= box.bottom + 12; y += step)
        for (LONG x = box.left - 12; x <= box.right + 12; x += step)
            out.push_back(POINT{x, y});
    // Along the outline: the grid's points near it, moved across it.
    const double offsets[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 8, -8, 10, -10};
    for (LONG y = box.top - 12; y <= box.bottom + 12; y += 4) {
        for (LONG x = box.left - 12; x <= box.right + 12; x += 4) {
            const double d = outline.Distance(x, y);
            if (std::fabs(d - halfWidth) > 0.75)
                continue;
            for (double o : offsets)
                out.push_back(POINT{x + static_cast<LONG>(o), y});
        }
    }
    return out;
}

} // namespace

TEST(OutlineHit, AnswersAsTheWidenedAndFilledPaths)
{
    const std::vector<CRealPoint> sCurve = {{30, 60}, {30, 240}, {200, 240}, {200, 150},
                                            {200, 60}, {370, 60}, {370, 240}};
    // A loop whose stroke crosses itself, with a cusp-like turn.
    const std::vector<CRealPoint> loop = {{60, 60}, {360, 260}, {360, 40}, {60, 240}};
    const std::vector<CRealPoint> blob = {{80, 150}, {80, 270}, {320, 270}, {320, 150}, {320, 30}, {80, 30}};
    // Five points: the last piece repeats its end.
    const std::vector<CRealPoint> shortTail = {{40, 50}, {40, 250}, {200, 250}, {200, 150}, {360, 60}};
    const std::vector<CRealPoint> concave = {{40, 40}, {360, 40}, {360, 260}, {200, 120}, {40, 260}};
    const std::vector<CRealPoint> sharp = {{40, 150}, {360, 160}, {50, 170}};
    const double zooms[] = {0.5, 1.0, 2.0};
    std::vector<Case> cases;
    for (double zoom : zooms) {
        cases.push_back({"bezier S, hairline", sCurve, pfBezier, 0.0f, 0, false, zoom});
        cases.push_back({"bezier S, wide pen", sCurve, pfBezier, 9.0f, 0, false, zoom});
        cases.push_back({"bezier S, dashed", sCurve, pfBezier, 0.0f, ltDashed, false, zoom});
        cases.push_back({"bezier loop, wide pen", loop, pfBezier, 14.0f, 0, false, zoom});
        cases.push_back({"bezier of five points", shortTail, pfBezier, 3.0f, 0, false, zoom});
        cases.push_back({"closed bezier, filled", blob, pfBezier | pfClosed, 2.0f, 0, true, zoom});
        cases.push_back({"closed bezier, wide", blob, pfBezier | pfClosed, 12.0f, 0, false, zoom});
        cases.push_back({"concave polygon, filled", concave, pfClosed, 8.0f, 0, true, zoom});
        cases.push_back({"thin closed sliver, filled", sharp, pfClosed, 6.0f, 0, true, zoom});
    }
    for (const Case& c : cases) {
        Drawing d(c.zoom);
        CPolyline* p = d.Make(c);
        COutlineHit outline;
        ASSERT_TRUE(p->BuildHitOutline(outline)) << c.what;
        const double width = std::lround(p->HitStrokeWidthPixels());
        RECT box = {100000, 100000, -100000, -100000};
        for (const CRealPoint& at : c.points) {
            const POINT px = d.Pixel(at.x, at.y);
            box.left = std::min(box.left, px.x);
            box.top = std::min(box.top, px.y);
            box.right = std::max(box.right, px.x);
            box.bottom = std::max(box.bottom, px.y);
        }
        const bool bezier = (c.flags & pfBezier) != 0;
        int decided = 0, total = 0, hits = 0;
        for (const POINT& at : Probes(outline, width / 2, box, static_cast<LONG>(9 * c.zoom))) {
            const float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
            if (x < 0 || y < 0)
                continue;
            ++total;
            const std::string where = std::string(c.what) + " zoom " + std::to_string(c.zoom) + " at " +
                                      std::to_string(at.x) + "," + std::to_string(at.y);
            const bool inside = c.filled && p->HitTestFilledPath(x, y) != FALSE;
            const bool onStroke = bezier && p->HitTestWidenedPath(x, y) != FALSE;
            if (c.filled) {
                const COutlineHit::Answer a = outline.FillAt(x, y, 2.0);
                if (a != COutlineHit::Unsure) {
                    ++decided;
                    EXPECT_EQ(a == COutlineHit::Hit, inside) << "fill: " << where;
                }
            }
            if (bezier) {
                const COutlineHit::Answer a = outline.StrokeAt(x, y, width, 2.0);
                if (a != COutlineHit::Unsure) {
                    ++decided;
                    EXPECT_EQ(a == COutlineHit::Hit, onStroke)
                        << "stroke: " << where << " distance " << outline.Distance(x, y) << " width " << width;
                }
                // The whole hit test: the box around the shape, then the fill, then the stroke.
                const bool expected = p->CShape::HitTest(x, y) && (inside || onStroke);
                EXPECT_EQ(p->HitTest(x, y) != FALSE, expected) << "hit test: " << where;
                hits += expected;
            } else if (inside) {
                EXPECT_TRUE(p->HitTest(x, y)) << "hit test inside: " << where;
            }
        }
        // The geometry decides most probes by itself, though they crowd about the edges where GDI
        // is asked.
        const int asked = (bezier ? total : 0) + (c.filled ? total : 0);
        EXPECT_GT(decided, asked * 2 / 5) << c.what << " zoom " << c.zoom << ": " << decided << " of " << asked;
        if (bezier) {
            EXPECT_GT(hits, 0) << c.what;
        }
        std::printf("%s, zoom %.1f: %d probes, %d of %d answers by geometry\n", c.what, c.zoom, total, decided, asked);
    }
}

// The geometry alone: distances to straight and curved pieces, a closed figure's inside by the
// alternate rule, and the margin within which it leaves the answer to GDI.
TEST(OutlineHit, DistanceInsideAndMargin)
{
    COutlineHit square;
    square.MoveTo(0, 0);
    square.LineTo(100, 0);
    square.LineTo(100, 100);
    square.LineTo(0, 100);
    EXPECT_NEAR(square.Distance(50, -7), 7, 1e-9);
    EXPECT_NEAR(square.Distance(-3, -4), 5, 1e-9) << "beyond an end: to the end point";
    EXPECT_NEAR(square.Distance(10, 50), 50, 1e-9) << "the figure's closing side is no piece of the stroke";
    EXPECT_TRUE(square.Inside(50, 50));
    EXPECT_FALSE(square.Inside(150, 50));
    EXPECT_EQ(square.FillAt(50, 99, 2.0), COutlineHit::Unsure) << "near the implied closing side";
    EXPECT_EQ(square.FillAt(50, 90, 2.0), COutlineHit::Hit);
    EXPECT_EQ(square.FillAt(50, 103, 2.0), COutlineHit::Miss);

    struct Probe
    {
        double x, y;
        COutlineHit::Answer answer;
    } strokes[] = {
        {50, 0, COutlineHit::Hit},    {50, 2.9, COutlineHit::Hit},     {50, 4, COutlineHit::Unsure},
        {50, 6.9, COutlineHit::Unsure}, {50, 7.1, COutlineHit::Miss},  {-4.9, 0, COutlineHit::Unsure},
        {-10, 0, COutlineHit::Miss},  {100, 50, COutlineHit::Hit},     {2, 2, COutlineHit::Hit},
        // At a corner the stroke bends: the answer is GDI's.
        {98, 2, COutlineHit::Unsure},
    };
    for (const Probe& s : strokes)
        EXPECT_EQ(square.StrokeAt(s.x, s.y, 10.0, 2.0), s.answer) << s.x << "," << s.y;

    // A quarter circle as a Bezier piece: its points lie within a hundredth of the radius.
    COutlineHit arc;
    const double k = 0.5522847498 * 100;
    arc.MoveTo(100, 0);
    arc.BezierTo(100, k, k, 100, 0, 100);
    for (int degrees = 5; degrees < 90; degrees += 10) {
        const double a = degrees * 3.14159265358979 / 180;
        EXPECT_NEAR(arc.Distance(100 * std::cos(a), 100 * std::sin(a)), 0, 0.1) << degrees;
        EXPECT_NEAR(arc.Distance(90 * std::cos(a), 90 * std::sin(a)), 10, 0.2) << degrees;
    }
}

// The handles' reach in pixels, taken from the view's screen metrics, is what GDI makes of the
// same size in hundredths of a millimetre on the screen.
TEST(OutlineHit, HandleReachAsTheScreenConvertsIt)
{
    CViewMapping view;
    const LONG sizes[] = {0, 1, 10, 26, 90, 91, 132, 250, 1000, 2540, 12345};
    for (LONG cx : sizes) {
        for (LONG cy : {0L, 90L, 133L, 4000L}) {
            const SIZE gdi = HimetricToDevice(SIZE{cx, cy});
            const SIZE ours = view.HimetricToPixels(SIZE{cx, cy});
            EXPECT_EQ(ours.cx, gdi.cx) << cx << " x " << cy;
            EXPECT_EQ(ours.cy, gdi.cy) << cx << " x " << cy;
        }
    }
}
