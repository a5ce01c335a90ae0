// Value types, number and geometry functions, and the DXF colour index table.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "model/ColorIndexTable.h"
#include "model/Geometry.h"
#include "model/RealPoint.h"
#include "model/RealRect.h"

TEST(RealPoint, RotateByZeroKeepsTheBitsAndByNinetyTurnsCounterClockwise)
{
    CRealPoint p(0.1f, 0.7f);
    const CRealPoint before = p;
    p.Rotate(3.0, -2.0, 0.0);
    EXPECT_EQ(0, std::memcmp(&p.x, &before.x, sizeof p.x));
    EXPECT_EQ(0, std::memcmp(&p.y, &before.y, sizeof p.y));

    CRealPoint q(1, 0);
    q.RotateDegrees(0, 0, 90);
    EXPECT_NEAR(q.x, 0.0, 1e-6);
    EXPECT_NEAR(q.y, 1.0, 1e-6);
}

// A derived point's own Rotate is what RotateDegrees reaches.
TEST(RealPoint, RotateDegreesGoesThroughTheDerivedRotate)
{
    struct Counting : CRealPoint
    {
        double lastAngle = -1;
        void Rotate(double, double, double angle) override { lastAngle = angle; }
    } p;
    p.RotateDegrees(0, 0, 180);
    EXPECT_DOUBLE_EQ(p.lastAngle, 180 * 0.017453292519943278);
}

TEST(RealPoint, GuardedDivision)
{
    const CRealPoint p(6, 8);
    const CRealPoint q = p / 0.0;
    EXPECT_EQ(q.x, 6);
    EXPECT_EQ(q.y, 8);
    const CRealPoint d = p.DivideComponents(CRealPoint(0, 2));
    EXPECT_EQ(d.x, 6);
    EXPECT_EQ(d.y, 4);
    CRealPoint r = p;
    r /= 0.0;
    EXPECT_EQ(r.x, 6);
    r /= 2.0;
    EXPECT_EQ(r.x, 3);
    EXPECT_DOUBLE_EQ(p.Dot(CRealPoint(1, 2)), 22.0);
}

TEST(RealPoint, ScaleIntoRange)
{
    struct Case
    {
        double x, y, factor, ox, oy;
    } cases[] = {
        {0.05, 0, 100, 5, 0},
        {0, 0, 1, 0, 0},
        {0, 0.5, 10, 0, 5},
        {5000, 20, 0.1, 500, 2},
    };
    for (const Case& c : cases) {
        CRealPointD p(c.x, c.y);
        EXPECT_NEAR(p.ScaleIntoRange(1, 1000), c.factor, 1e-9) << c.x << "," << c.y;
        EXPECT_NEAR(p.x, c.ox, 1e-9);
        EXPECT_NEAR(p.y, c.oy, 1e-9);
    }
    CRealPointD infinite(INFINITY, 1);
    infinite.ScaleIntoRange(1, 1000); // returns instead of looping
}

TEST(RealRect, AreaTruncationAndAspect)
{
    EXPECT_DOUBLE_EQ(CRealRect(0, -5, 10, 5).Area(), 100.0); // top below bottom: still positive
    const RECT r = CRealRect(-0.7f, 1.7f, 2.2f, -3.9f).ToRECT();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 1);
    EXPECT_EQ(r.right, 2);
    EXPECT_EQ(r.bottom, -3);
    EXPECT_EQ(CRealRect(0, 5, 10, 5).AspectRatio(), 0.0);
    EXPECT_EQ(CRealRect(0, 5, 10, 0).AspectRatio(), 2.0);
}

TEST(RealRect, MapBetweenRectsPerMode)
{
    // Source 10 wide and 5 high onto a 20 x 20 target: the factors are 2 and 4.
    const CRealRect source(0, 5, 10, 0), target(0, 20, 20, 0);
    const CRealRect unit(5, 3.5f, 6, 2.5f); // 1 x 1 around the source centre (5, 2.5) + (0.5, 0.5)
    struct Case
    {
        int mode;
        float kx, ky;
    } cases[] = {{1, 4, 4}, {-1, 2, 2}, {0, 2, 4}};
    for (const Case& c : cases) {
        const CRealRect m = unit.MapBetweenRects(source, target, c.mode);
        EXPECT_FLOAT_EQ(m.right - m.left, c.kx) << "mode " << c.mode;
        EXPECT_FLOAT_EQ(m.top - m.bottom, c.ky) << "mode " << c.mode;
        EXPECT_FLOAT_EQ(m.left, 10 + 0 * c.kx); // the source centre lands on the target centre
        EXPECT_FLOAT_EQ(m.bottom, 10 + 0 * c.ky);
    }
}

TEST(Numbers, FloatToIntClamped)
{
    struct Case
    {
        float in;
        int out;
    } cases[] = {
        {2.5f, 3},
        {-2.5f, -3},
        {2.49f, 2},
        {-2.49f, -2},
        {0.0f, 0},
        {-2147483648.0f, static_cast<int>(0x80000001)},
        {-3e9f, static_cast<int>(0x80000001)},
        {2147483648.0f, 0x7FFFFFFF},
        {NAN, static_cast<int>(0x80000001)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToIntClamped(c.in), c.out) << c.in;
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.23456, 2), 1.23);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-1.235, 2), -1.24);
}

TEST(Numbers, AngleNormalisation)
{
    struct Case
    {
        double in, out;
    } degrees[] = {{360, 360}, {-30, 330}, {750, 30}, {720, 0}, {-360, 0}, {0, 0}, {-750, 330}};
    for (const Case& c : degrees)
        EXPECT_NEAR(NormalizeAngleDegrees(c.in), c.out, 1e-12) << c.in;

    const double twoPi = 6.28318530717958;
    Case radians[] = {{0, 0}, {1, 1}, {-1, twoPi - 1}, {twoPi + 1, 1}, {3 * twoPi + 0.5, 0.5}};
    for (const Case& c : radians)
        EXPECT_NEAR(NormalizeAngleRadians(c.in), c.out, 1e-9) << c.in;
    // Huge angles of either sign come back within one turn; no angle is left outside it.
    for (double huge : {5.83205041e+34 * 0.017453292, -1e33, 1e300, -4e17, 2.5e16}) {
        const double r = NormalizeAngleRadians(huge);
        EXPECT_GE(r, 0.0) << huge;
        EXPECT_LT(r, twoPi) << huge;
    }
    EXPECT_NEAR(NormalizeAngleRadians(1e6 * twoPi + 0.5), 0.5, 1e-6);

    double s = 0, co = 0;
    SinCosDegrees(30, &s, &co);
    EXPECT_NEAR(s, 0.5, 1e-12);
    SinCosDegrees(60, nullptr, &co);
    EXPECT_NEAR(co, 0.5, 1e-12);
}

TEST(Geometry, ProjectionAndNearestSegment)
{
    CRealPoint foot;
    ProjectPointOnLine(CRealPoint(5, 5), CRealPoint(0, 0), CRealPoint(10, 0), true, &foot);
    EXPECT_FLOAT_EQ(foot.x, 5);
    EXPECT_FLOAT_EQ(foot.y, 0);
    ProjectPointOnLine(CRealPoint(15, 5), CRealPoint(0, 0), CRealPoint(10, 0), true, &foot);
    EXPECT_FLOAT_EQ(foot.x, 10);
    ProjectPointOnLine(CRealPoint(15, 5), CRealPoint(0, 0), CRealPoint(10, 0), false, &foot);
    EXPECT_FLOAT_EQ(foot.x, 15);
    ProjectPointOnLine(CRealPoint(3, 9), CRealPoint(1, 0), CRealPoint(1, 4), true, &foot); // vertical
    EXPECT_FLOAT_EQ(foot.x, 1);
    EXPECT_FLOAT_EQ(foot.y, 4);

    const CRealPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    CRealPoint nearest;
    EXPECT_EQ(NearestPointOnPolyline(square, 4, CRealPoint(9, 5), &nearest), 1);
    EXPECT_FLOAT_EQ(nearest.x, 10);
    EXPECT_EQ(NearestPointOnPolyline(square, 4, CRealPoint(-1, 8), &nearest), 2); // open: no closing side
    EXPECT_EQ(NearestPointOnPolyline(square, 4, CRealPoint(-1, 8), &nearest, true), 3);
    EXPECT_FLOAT_EQ(nearest.x, 0);
    EXPECT_FLOAT_EQ(nearest.y, 8);
    EXPECT_EQ(NearestPointOnPolyline(square, 4, CRealPoint(-1, 5), &nearest), 0); // the first of equals
}

TEST(Geometry, IntersectLines)
{
    CRealPoint p;
    EXPECT_EQ(IntersectLines({0, 0}, {10, 10}, {0, 10}, {10, 0}, &p, 0), 1);
    EXPECT_FLOAT_EQ(p.x, 5);
    EXPECT_FLOAT_EQ(p.y, 5);
    EXPECT_EQ(IntersectLines({0, 0}, {10, 0}, {0, 1}, {10, 1}, &p, 0), 0); // parallel
    EXPECT_EQ(IntersectLines({0, 0}, {0, 5}, {3, 0}, {3, 5}, &p, -1), 0);  // both vertical
    // The lines cross at x = 20, outside both segments: only mode -1 accepts it.
    EXPECT_EQ(IntersectLines({0, 0}, {10, 10}, {0, 40}, {10, 30}, &p, 0), 0);
    EXPECT_EQ(IntersectLines({0, 0}, {10, 10}, {0, 40}, {10, 30}, &p, -1), 1);
    EXPECT_FLOAT_EQ(p.x, 20);
    EXPECT_EQ(IntersectLines({2, -5}, {2, 5}, {0, 1}, {10, 1}, &p, 0), 1); // a vertical one
    EXPECT_FLOAT_EQ(p.x, 2);
    EXPECT_FLOAT_EQ(p.y, 1);

    const CRealPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    EXPECT_EQ(IntersectSegmentWithPolyline(square, 5, {5, 5}, {15, 5}, &p), 1);
    EXPECT_FLOAT_EQ(p.x, 10);
    EXPECT_EQ(IntersectSegmentWithPolyline(square, 5, {-5, 5}, {15, 5}, &p), 1); // nearest to a
    EXPECT_FLOAT_EQ(p.x, 0);
    EXPECT_EQ(IntersectSegmentWithPolyline(square, 5, {20, 20}, {30, 30}, &p), 0);
}

TEST(Geometry, BulgedSegments)
{
    // A half circle of radius 5 from (-5, 0) to (5, 0): bulge 1, counter-clockwise (below).
    const CRealPoint a(-5, 0), b(5, 0);
    double angle = 0, chord = 0;
    EXPECT_NEAR(BulgeRadius(&a, &b, 1.0, &angle, &chord), 5.0, 1e-9);
    EXPECT_NEAR(angle, M_PI, 1e-9);
    EXPECT_NEAR(chord, 10.0, 1e-9);
    EXPECT_NEAR(BulgedSegmentLength(a, b, 1.0), 5 * M_PI, 1e-6);
    EXPECT_NEAR(BulgedSegmentLength(a, b, 0.0), 10.0, 1e-9);
    EXPECT_NEAR(BulgedSegmentArea(&a, &b, 1.0), 25 * M_PI / 2, 1e-6);
    EXPECT_EQ(BulgedSegmentArea(&a, &b, 0.0), 0.0);
    EXPECT_EQ(BulgeRadius(&a, &a, 1.0, nullptr, nullptr), 0.0);
    EXPECT_EQ(BulgeRadius(nullptr, &b, 1.0, nullptr, nullptr), 0.0);

    // A quarter circle (bulge tan(22.5 deg)) from (5, 0) to (0, 5) about the origin.
    const CRealPoint q1(5, 0), q2(0, 5);
    const double quarter = std::tan(M_PI / 8);
    CRealPoint centre;
    ASSERT_TRUE(BulgeArcCenter(&q1, &q2, quarter, &centre));
    EXPECT_NEAR(centre.x, 0, 1e-5);
    EXPECT_NEAR(centre.y, 0, 1e-5);
    // Turning the other way, the centre lies across the chord.
    ASSERT_TRUE(BulgeArcCenter(&q1, &q2, -quarter, &centre));
    EXPECT_NEAR(centre.x, 5, 1e-5);
    EXPECT_NEAR(centre.y, 5, 1e-5);
    EXPECT_FALSE(BulgeArcCenter(&q1, &q2, 0, &centre));

    CRealRect bounds;
    ASSERT_EQ(BulgedSegmentBounds(&a, &b, 1.0, &bounds), 1); // lower half circle
    EXPECT_NEAR(bounds.left, -5, 1e-5);
    EXPECT_NEAR(bounds.right, 5, 1e-5);
    EXPECT_NEAR(bounds.top, 0, 1e-5);
    EXPECT_NEAR(bounds.bottom, -5, 1e-5);
    ASSERT_EQ(BulgedSegmentBounds(&a, &b, -1.0, &bounds), 1); // upper half circle
    EXPECT_NEAR(bounds.top, 5, 1e-5);
    EXPECT_NEAR(bounds.bottom, 0, 1e-5);

    EXPECT_EQ(HitTestArcSegment(&a, &b, 1.0, CRealPoint(0, -5.05f), 0.1), 1);
    EXPECT_EQ(HitTestArcSegment(&a, &b, 1.0, CRealPoint(0, 5.0f), 0.1), 0); // on the circle, off the arc
    EXPECT_EQ(HitTestArcSegment(&a, &b, 1.0, CRealPoint(0, -4.5f), 0.1), 0);
    EXPECT_EQ(PointsAxisAligned(&a, &b), 1);
    EXPECT_EQ(PointsAxisAligned(&q1, &q2), 0);
    EXPECT_EQ(PointsAxisAligned(nullptr, &q2), 0);
}

TEST(Geometry, IntersectRectsFitAndFormat)
{
    const RECT a = {0, 0, 10, 10}, b = {10, 2, 20, 8}, c = {10, 10, 0, 0}, distant = {30, 30, 40, 40};
    RECT out;
    EXPECT_EQ(IntersectRects(&a, &b, &out), 1); // only an edge in common
    EXPECT_EQ(out.left, 10);
    EXPECT_EQ(out.right, 10);
    EXPECT_EQ(out.top, 2);
    EXPECT_EQ(out.bottom, 8);
    EXPECT_EQ(IntersectRects(&c, &a, &out), 1); // normalised first
    EXPECT_EQ(out.right, 10);
    EXPECT_EQ(IntersectRects(&a, &distant, &out), 0);
    EXPECT_EQ(IntersectRects(&a, nullptr, &out), 0);

    EXPECT_DOUBLE_EQ(FitScaleFactor(CRealPointD(10, 5), CRealPointD(20, 20), 0), 2.0);
    EXPECT_DOUBLE_EQ(FitScaleFactor(CRealPointD(10, 5), CRealPointD(20, 20), 2), 4.0);
    EXPECT_DOUBLE_EQ(FitScaleFactor(CRealPointD(10, 5), CRealPointD(0, 0), 0), 1.0);

    char format[16];
    struct Case
    {
        double value;
        const char* format;
    } cases[] = {{3, "%.0f"}, {2.5, "%.1f"}, {0.125, "%.3f"}, {1.0 / 3, "%.6f"}};
    for (const Case& c : cases) {
        ASSERT_EQ(MakeDecimalFormat(c.value, format, sizeof format), 1);
        EXPECT_STREQ(format, c.format);
    }
    EXPECT_EQ(MakeDecimalFormat(1.5, format, 4), 0);
}

TEST(Geometry, CircleThroughThreePoints)
{
    CRealPoint c;
    float r = 0;
    ASSERT_EQ(CircleThroughThreePoints({5, 0}, {0, 5}, {-5, 0}, &c, &r), 1);
    EXPECT_NEAR(c.x, 0, 1e-5);
    EXPECT_NEAR(c.y, 0, 1e-5);
    EXPECT_NEAR(r, 5, 1e-5);
    EXPECT_EQ(CircleThroughThreePoints({0, 0}, {1, 1}, {2, 2.005f}, &c, &r), 0); // nearly collinear
    EXPECT_EQ(CircleThroughThreePoints({0, 0}, {1, 1}, {0, 0.001f}, &c, &r), 0);  // turns back
    EXPECT_EQ(CircleThroughThreePoints({0, 0}, {0, 0}, {2, 7}, &c, &r), 0);
}

TEST(ColorIndexTable, BothWays)
{
    struct ToRgb
    {
        int number;
        DWORD colour;
    } numbers[] = {{0, 0x40000000}, {1, 0x0000FF},   {7, 0},          {8, 0x808080},   {9, 0xC6C6C6},
                   {10, 0x0000FF},  {11, 0x8080FF},  {22, 0x0029A6},  {250, 0x545454}, {255, 0xFFFFFF},
                   {256, 0x20000000}, {257, 0},      {-1, 0},         {249, RGB(38, 19, 24)}};
    for (const ToRgb& c : numbers)
        EXPECT_EQ(CColorIndexTable::ToRgb(c.number), c.colour) << c.number;

    struct FromRgb
    {
        DWORD colour;
        int number;
    } colours[] = {{0x000000, 7},         {0xFFFFFF, 255},      {0x20000000, 256}, {0x40000000, 0},
                   {0x0000FF, 1},         {0x0000FE, 1},        {0x8080FF, 11},    {0x0029A6, 22},
                   {RGB(250, 0, 0), 1},   {0x808080, 8},        {RGB(84, 84, 84), 250}};
    for (const FromRgb& c : colours)
        EXPECT_EQ(CColorIndexTable::FromRgb(c.colour), c.number) << std::hex << c.colour;

    // Every colour of the table maps back to a number of the same colour.
    for (int n = 10; n < 250; ++n) {
        const int back = CColorIndexTable::FromRgb(CColorIndexTable::ToRgb(n));
        EXPECT_EQ(CColorIndexTable::ToRgb(back), CColorIndexTable::ToRgb(n)) << n;
    }
}
