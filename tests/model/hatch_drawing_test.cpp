// Hatch rendering, checked by geometry in DIB sections: where the lines of a pattern run (their
// ends read back from a recorded path), that they stay inside the shape's outline, how long their
// dashes are, when a pattern turns into a solid fill, and where image tiles land.
#include "tests/support/DrawingTestSupport.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Polyline.h"
#include "tests/support/ImageTestSupport.h"

using namespace drawtest;

namespace {
const int kW = 240, kH = 200;
const COLORREF kRed = 0x0000FF;

struct Fixture
{
    CControlCore control;
    Canvas canvas{kW, kH};
    Fixture() { SetPixelView(control, kH); }
    CHatchPatternMap& Patterns() { return control.GetHatchPatternMap(); }
    // Draws a pattern over a world rectangle (the whole canvas visible).
    void Draw(CHatchPattern* pattern, const CRealRect& rect, float scale, BOOL fine = FALSE)
    {
        pattern->DrawPattern(canvas.Dc(), rect, CRealRect(0, kH, kW, 0), scale, kRed, &control, FALSE, fine);
    }
    // The share of a world rectangle's pixels that are red.
    double Coverage(const CRealRect& rect)
    {
        const RECT r = control.GetCurrentViewport().WorldToDeviceRect(rect);
        int red = 0, all = 0;
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            for (int x = r.left + 1; x < r.right - 1; ++x, ++all)
                red += canvas.Pixel(x, y) == kRed;
        return all ? static_cast<double>(red) / all : 0.0;
    }
};

struct Segment
{
    POINT a, b;
};

// The lines a pattern draws, in logical units, read from a path recorded in their place.
std::vector<Segment> RecordSegments(Fixture& f, CHatchPattern* pattern, const CRealRect& rect, float scale)
{
    HDC dc = f.canvas.Dc();
    BeginPath(dc);
    f.Draw(pattern, rect, scale);
    EndPath(dc);
    const int n = GetPath(dc, nullptr, nullptr, 0);
    std::vector<POINT> points(n > 0 ? n : 0);
    std::vector<BYTE> types(points.size());
    if (n > 0)
        GetPath(dc, points.data(), types.data(), n);
    AbortPath(dc);
    std::vector<Segment> segments;
    for (int i = 0; i + 1 < n; ++i)
        if ((types[i] & ~PT_CLOSEFIGURE) == PT_MOVETO && (types[i + 1] & ~PT_CLOSEFIGURE) == PT_LINETO)
            segments.push_back({points[i], points[i + 1]});
    return segments;
}

CHatchPattern ParsedPattern(const char* text)
{
    CHatchPattern pattern;
    pattern.ParseDefinition(text, std::strlen(text), false);
    return pattern;
}

// A closed polyline of the factory through the points, filled with ANSI31 lines 10 units apart.
CPolyline* HatchedOutline(CControlCore& control, const std::vector<CRealPoint>& points)
{
    auto* polygon = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
    for (const CRealPoint& at : points)
        AddPoint(control, *polygon, at.x, at.y);
    polygon->SetFlags(polygon->GetFlags() | pfClosed);
    polygon->SetPenColor(0xFF0000);
    polygon->SetHatchColor(kRed);
    polygon->SetHatchPatternId(hpAnsi31);
    polygon->SetHatchPatternScale(80);
    return polygon;
}

// An ellipse about (cx, cy) with half axes a and b, turned by an angle.
struct Oval
{
    double cx, cy, a, b, turn;
    CRealPoint At(double t) const
    {
        const double x = a * std::cos(t), y = b * std::sin(t);
        return CRealPoint(static_cast<float>(cx + x * std::cos(turn) - y * std::sin(turn)),
                          static_cast<float>(cy + x * std::sin(turn) + y * std::cos(turn)));
    }
    // Inside the ellipse grown by `margin` world units.
    bool Inside(double x, double y, double margin) const
    {
        const double dx = x - cx, dy = y - cy;
        const double u = dx * std::cos(turn) + dy * std::sin(turn);
        const double v = -dx * std::sin(turn) + dy * std::cos(turn);
        return (u * u) / ((a + margin) * (a + margin)) + (v * v) / ((b + margin) * (b + margin)) <= 1.0;
    }
};
} // namespace

// Pattern 1 fills solid whatever its definition line says, at any scale.
TEST(HatchRendering, SolidIsAlwaysSolid)
{
    Fixture f;
    const CRealRect rect(20, 180, 120, 80);
    f.Draw(f.Patterns().Find(hpSolid), rect, 400.0f);
    EXPECT_GT(f.Coverage(rect), 0.99);
    const RECT ink = f.canvas.InkExtent();
    const RECT expected = f.control.GetCurrentViewport().WorldToDeviceRect(rect);
    EXPECT_NEAR(ink.left, expected.left, 1);
    EXPECT_NEAR(ink.right, expected.right, 1);
    EXPECT_NEAR(ink.top, expected.top, 1);
    EXPECT_NEAR(ink.bottom, expected.bottom, 1);
}

// A line pattern turns solid over a small area (unless fine) or where its lines come closer than
// the density limit (5 pixels, 1 with fine).
TEST(HatchRendering, DensityLimits)
{
    // ANSI31 lines 0.125 apart at 45 degrees: at scale 80 a step of 7.1 pixels on each axis, at
    // 48 one of 4.2, at 8 one of 0.7.
    struct Case
    {
        float height, scale;
        BOOL fine;
        bool solid;
    } cases[] = {{19, 80, FALSE, true}, {19, 80, TRUE, false}, {21, 80, FALSE, false}, {100, 48, FALSE, true},
                 {100, 48, TRUE, false}, {100, 8, TRUE, true}, {100, 80, FALSE, false}};
    for (const Case& c : cases) {
        Fixture f;
        const CRealRect rect(20, 150, 220, 150 - c.height);
        f.Draw(f.Patterns().Find(hpAnsi31), rect, c.scale, c.fine);
        const double coverage = f.Coverage(rect);
        if (c.solid)
            EXPECT_GT(coverage, 0.99) << c.height << " " << c.scale << " " << c.fine;
        else
            EXPECT_LT(coverage, 0.6) << c.height << " " << c.scale << " " << c.fine;
    }
}

// The line families: their direction (mirrored by a negative scale), their spacing, and their ends
// on the area's edges.
TEST(HatchRendering, LineFamilies)
{
    Fixture f;
    const CRealRect rect(20, 180, 220, 40);
    const CViewMapping& view = f.control.GetCurrentViewport();
    const CRealPointD topLeft = view.WorldToLogical(rect.left, rect.top);
    const CRealPointD bottomRight = view.WorldToLogical(rect.right, rect.bottom);

    struct Case
    {
        int pattern;
        float scale;
        double degrees;
    } cases[] = {{hpAnsi31, 80, 45}, {hpAnsi31, -80, 135}, {hpDiagonal, 80, 135}, {hpLine, 80, 0}};
    for (const Case& c : cases) {
        const std::vector<Segment> segments = RecordSegments(f, f.Patterns().Find(c.pattern), rect, c.scale);
        // 0.125 * 80 = 10 units apart across the lines: the area's extent across them over 10.
        const double a = c.degrees * M_PI / 180;
        const double across = std::fabs(-std::sin(a) * 200) + std::fabs(std::cos(a) * 140);
        EXPECT_NEAR(static_cast<double>(segments.size()), across / 10, 2) << c.degrees;
        for (const Segment& s : segments) {
            const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
            // Ends rounded to whole logical units turn short segments a little (a corner's
            // touch may round to a point).
            if (dx == 0 && dy == 0)
                continue;
            const double tolerance = 0.5 + std::atan2(1.5, std::hypot(dx, dy)) * 180 / M_PI;
            const double direction = std::fmod(std::atan2(dy, dx) * 180 / M_PI + 360, 180);
            EXPECT_NEAR(direction, c.degrees, tolerance) << c.pattern << " " << c.scale;
        }
    }
    // Horizontal lines end on the left and right edges.
    for (const Segment& s : RecordSegments(f, f.Patterns().Find(hpLine), rect, 80)) {
        EXPECT_NEAR(std::min(s.a.x, s.b.x), topLeft.x, 2);
        EXPECT_NEAR(std::max(s.a.x, s.b.x), bottomRight.x, 2);
        EXPECT_EQ(s.a.y, s.b.y);
    }
}

// A family whose step runs along its own lines is one line: drawn once, and the drawing returns.
TEST(HatchRendering, StepAlongTheLineDrawsOnce)
{
    Fixture f;
    CHatchPattern along = ParsedPattern("*ALONG, step along the line\r\n0, 0,0, 1,0\r\n");
    along.SetId(50);
    const CRealRect rect(20, 180, 220, 40);
    const std::vector<Segment> segments = RecordSegments(f, &along, rect, 10);
    ASSERT_EQ(segments.size(), 1u);
    const CRealPointD centre = f.control.GetCurrentViewport().WorldToLogical(120, 110);
    EXPECT_NEAR(segments[0].a.y, centre.y, 1);
}

// The dashes have their length in the drawing: 0.125 at scale 80 is 10 units of dash and 10 of
// gap, and each line keeps its phase at its own point, also where that point lies off the area.
// Drawn through a view whose logical units are pixels, so that the lengths a geometric pen takes
// in logical units show as pixels whatever the system does with them.
TEST(HatchRendering, DashesKeepTheirLength)
{
    Fixture f;
    HDC dc = f.canvas.Dc();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 1, -1, nullptr);
    SetViewportOrgEx(dc, 0, kH, nullptr);
    CViewMapping view;
    view.horzSize10 = view.horzRes = view.vertSize10 = view.vertRes = 100;
    // Lines 20 apart whose points step 40 along them: the outer lines' points lie beside the area.
    CHatchPattern staggered = ParsedPattern("*STAGGER, staggered dashes\r\n0, 0,0, .5,.25, .125,-.125\r\n");
    staggered.SetId(50);
    const CRealRect rect(20, 180, 220, 40);
    staggered.DrawPattern(dc, rect, CRealRect(0, kH, kW, 0), 80, kRed, &f.control, FALSE, FALSE, &view);
    // The runs of each row between its first and last red pixel; the outer ones may be cut by
    // the area's edge.
    std::vector<int> dashes, gaps;
    for (int y = 30; y < 150; ++y) {
        std::vector<std::pair<bool, int>> runs;
        for (int x = 30; x < 210; ++x) {
            const bool red = f.canvas.Pixel(x, y) == kRed;
            if (runs.empty() || runs.back().first != red)
                runs.push_back({red, 0});
            ++runs.back().second;
        }
        for (size_t i = 1; i + 1 < runs.size(); ++i)
            (runs[i].first ? dashes : gaps).push_back(runs[i].second);
    }
    ASSERT_GE(dashes.size(), 6u);
    std::sort(dashes.begin(), dashes.end());
    std::sort(gaps.begin(), gaps.end());
    EXPECT_NEAR(dashes[dashes.size() / 2], 10, 2);
    EXPECT_NEAR(gaps[gaps.size() / 2], 10, 2);

    // Each line's dashes keep their phase at the line's own point, the centre (120, 110) plus k
    // steps of (40, 20): along the line k, world x is in a dash where (x - 120 - 40k) mod 20 is
    // below 10, from the area's left edge to its right one (pixels at a dash's ends left out).
    int lines = 0;
    for (int k = -3; k <= 3; ++k) {
        // The line lands on the pixel row above or below its world y.
        auto redIn = [&](int row) {
            int n = 0;
            for (int x = 0; x < kW; ++x)
                n += f.canvas.Pixel(x, row) == kRed;
            return n;
        };
        const int below = kH - (110 + 20 * k);
        const int row = redIn(below) >= redIn(below - 1) ? below : below - 1;
        int mismatches = 0, inked = 0;
        for (int x = 21; x < 219; ++x) {
            const int phase = (((x - 120 - 40 * k) % 20) + 20) % 20;
            if (phase == 0 || phase == 9 || phase == 10 || phase == 19)
                continue;
            const bool red = f.canvas.Pixel(x, row) == kRed;
            inked += red;
            mismatches += red != (phase < 10);
        }
        EXPECT_EQ(mismatches, 0) << "line " << k;
        lines += inked > 0;
    }
    EXPECT_EQ(lines, 7);
}

// Drawn as a shape's fill, the lines stay inside the outline: a square and a turned ellipse, both
// closed polylines.
TEST(HatchRendering, LinesStayInsideTheOutline)
{
    Fixture f;
    CDrawContext context = Context(f.canvas.Dc());
    HatchedOutline(f.control, {{30, 170}, {110, 170}, {110, 40}, {30, 40}})->DrawInContext(context);
    const RECT inside = f.control.GetCurrentViewport().WorldToDeviceRect(CRealRect(30, 170, 110, 40));
    const RECT red = f.canvas.ColourExtent(kRed);
    EXPECT_GE(red.left, inside.left - 1);
    EXPECT_LE(red.right, inside.right + 1);
    EXPECT_GE(red.top, inside.top - 1);
    EXPECT_LE(red.bottom, inside.bottom + 1);
    EXPECT_GT(f.canvas.Count(kRed), 500); // lines 10 units apart over 80 by 130

    f.canvas.Clear();
    const Oval oval{150, 100, 70, 30, 30 * M_PI / 180};
    std::vector<CRealPoint> points;
    for (int i = 0; i < 90; ++i)
        points.push_back(oval.At(i * 2 * M_PI / 90));
    HatchedOutline(f.control, points)->DrawInContext(context);
    int count = 0;
    const CViewMapping& view = f.control.GetCurrentViewport();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (f.canvas.Pixel(x, y) == kRed) {
                ++count;
                const CRealPointD world = view.DeviceToWorld(x + 0.5, y + 0.5);
                EXPECT_TRUE(oval.Inside(world.x, world.y, 1.5)) << x << "," << y;
            }
    EXPECT_GT(count, 400);
}

// Image patterns: tiles from the anchor's top-left corner, upright; tiles under 20 pixels or more
// than 500 of them give one fill in the image's mean colour.
TEST(HatchRendering, ImageTiles)
{
    imagetest::EnsureGdiplus();
    Fixture f;
    const COLORREF tl = 0x0000FF, tr = 0xFF0000, bl = 0x00FF00, br = 0x00FFFF;
    const std::vector<BYTE> bytes = imagetest::MakeQuadrants(40, tl, tr, bl, br);
    CImageResource* image = f.control.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetFormat(), irtBitmap);
    ASSERT_EQ(image->GetWidth(), 40u);
    const int id = f.Patterns().AddPattern("Quadrants", "", image->GetId());
    CHatchPattern* pattern = f.Patterns().Find(id);

    // At scale 0 a tile is the picture's 40 pixels; the grid starts at the anchor's corner.
    const CRealRect anchor(10, 190, 230, 10);
    pattern->DrawPattern(f.canvas.Dc(), anchor, CRealRect(0, kH, kW, 0), 0.0f, 0, &f.control, FALSE, FALSE);
    const POINT corner = f.control.GetCurrentViewport().WorldToDevice(CRealPoint(10, 190));
    struct Probe
    {
        int dx, dy;
        COLORREF colour;
    } probes[] = {{5, 5, tl}, {25, 5, tr}, {5, 25, bl}, {25, 25, br}, {45, 5, tl}, {65, 45, tr}, {85, 105, bl}};
    for (const Probe& p : probes)
        EXPECT_EQ(f.canvas.Pixel(corner.x + p.dx, corner.y + p.dy), p.colour) << p.dx << "," << p.dy;

    // The mean of the four colours.
    const COLORREF mean = pattern->GetAverageImageColour(&f.control);
    EXPECT_NEAR(GetRValue(mean), (255 + 0 + 0 + 255) / 4, 8);
    EXPECT_NEAR(GetGValue(mean), (0 + 0 + 255 + 255) / 4, 8);
    EXPECT_NEAR(GetBValue(mean), (0 + 255 + 0 + 0) / 4, 8);

    // Tiles of 19 pixels (0.475 units per picture pixel), and 625 tiles of 20 pixels.
    struct Case
    {
        float scale;
        CRealRect area;
    } cases[] = {{0.475f, CRealRect(10, 190, 230, 10)}, {0.5f, CRealRect(-300, 190, 230, -320)}};
    for (const Case& c : cases) {
        f.canvas.Clear();
        pattern->DrawPattern(f.canvas.Dc(), c.area, c.area, c.scale, 0, &f.control, FALSE, FALSE);
        EXPECT_EQ(f.canvas.Pixel(120, 100), mean) << c.scale;
        EXPECT_EQ(f.canvas.Pixel(20, 20), mean) << c.scale;
    }

    // An enhanced metafile tiles too.
    const std::vector<BYTE> emf = imagetest::MakeEmf(0x00FF00);
    CImageResource* picture = f.control.GetImageResourceMap().CreateResource(0, emf.data(), emf.size(), 0.1f, true);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetFormat(), irtExtMetafile);
    const int emfId = f.Patterns().AddPattern("Green", "", picture->GetId());
    f.canvas.Clear();
    f.Patterns().Find(emfId)->DrawPattern(f.canvas.Dc(), anchor, anchor, 0.0f, 0, &f.control, FALSE, FALSE);
    EXPECT_GT(f.canvas.Count(0x00FF00), 1000);

    // An image that is not there (and no placeholder): nothing.
    f.canvas.Clear();
    pattern->SetImageResourceId(999);
    pattern->DrawPattern(f.canvas.Dc(), anchor, anchor, 0.0f, 0, &f.control, FALSE, FALSE);
    EXPECT_EQ(f.canvas.InkExtent().right, -1);
}

// The hatch pass keeps the clip region of the context it draws into: the pattern stays inside it,
// and the region is there again afterwards.
TEST(HatchRendering, TheCallersClipRegionStays)
{
    Fixture f;
    HDC dc = f.canvas.Dc();
    HRGN half = CreateRectRgn(0, 0, kW / 2, kH);
    SelectClipRgn(dc, half);
    DeleteObject(half);
    CDrawContext context = Context(dc);
    HatchedOutline(f.control, {{20, 180}, {220, 180}, {220, 20}, {20, 20}})->DrawInContext(context);
    EXPECT_LT(f.canvas.ColourExtent(kRed).right, kW / 2);
    EXPECT_GT(f.canvas.Count(kRed), 300);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, after), 1);
    RECT box;
    GetRgnBox(after, &box);
    EXPECT_EQ(box.right, kW / 2);
    EXPECT_EQ(box.bottom, kH);
    DeleteObject(after);
}

// The repeat cell the previews show: for continuous lines the step across them, for dashed ones
// also a dash period along them; nothing for too small a preview or a family without a step.
TEST(HatchRendering, TileRects)
{
    Fixture f;
    struct Case
    {
        int pattern;
        float width, height;
        int result;
        float right, top;
    } cases[] = {{hpNet, 2, 2, 1, .25f, .25f}, {hpSquare, 1, 2, 1, .25f, .25f}, {hpNet, 0.5f, 2, 0, 0, 0},
                 {hpNet, 2, 1, 0, 0, 0}};
    for (const Case& c : cases) {
        CRealRect tile;
        EXPECT_EQ(f.Patterns().Find(c.pattern)->GetTileRect(&tile, c.width, c.height, &f.control), c.result);
        if (c.result) {
            EXPECT_NEAR(tile.right, c.right, 1e-5) << c.pattern;
            EXPECT_NEAR(tile.top, c.top, 1e-5) << c.pattern;
            EXPECT_EQ(tile.left, 0.0f);
            EXPECT_EQ(tile.bottom, 0.0f);
        }
    }
    CHatchPattern flat = ParsedPattern("*FLAT, no step across\r\n0, 0,0, 1,0\r\n");
    CRealRect tile;
    EXPECT_EQ(flat.GetTileRect(&tile, 2, 2, &f.control), 0);
}
