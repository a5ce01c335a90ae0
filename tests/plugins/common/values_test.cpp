// The plug-ins' value types: points over double and float, and rectangles.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include "common/RealPoint.h"
#include "common/RealRect.h"

namespace {

const double kHalfPi = 1.5707963267948966;

template <class T>
void ExpectRotations()
{
    struct Case {
        const char* name;
        T x, y;
        double a, b, angle;
        double ex, ey;
    };
    const Case cases[] = {
        {"quarter turn about the origin", 1, 0, 0, 0, kHalfPi, 0, 1},
        {"half turn about (1, 1)", 3, 1, 1, 1, 2 * kHalfPi, -1, 1},
        {"clockwise quarter about (2, 0)", 2, 1, 2, 0, -kHalfPi, 3, 0},
    };
    for (const Case& c : cases) {
        CRealPoint<T> p(c.x, c.y);
        p.Rotate(c.a, c.b, c.angle);
        EXPECT_NEAR(p.x, c.ex, 1e-6) << c.name;
        EXPECT_NEAR(p.y, c.ey, 1e-6) << c.name;
    }
}

TEST(RealPointTest, RotationsInBothForms)
{
    ExpectRotations<double>();
    ExpectRotations<float>();
}

TEST(RealPointTest, NoAngleLeavesTheBits)
{
    CRealPoint<double> p(0.1, -3.7e-300);
    const CRealPoint<double> before = p;
    p.Rotate(5, 5, 0.0);
    p.Rotate(5, 5, std::nan(""));
    EXPECT_EQ(std::memcmp(&p.x, &before.x, sizeof p.x), 0);
    EXPECT_EQ(std::memcmp(&p.y, &before.y, sizeof p.y), 0);
}

TEST(RealPointTest, DegreeFactorAndVirtualRotate)
{
    const unsigned char expected[8] = {0x34, 0x9D, 0x52, 0xA2, 0x46, 0xDF, 0x91, 0x3F};
    const double factor = CRealPoint<double>::kRadiansPerDegree;
    EXPECT_EQ(std::memcmp(&factor, expected, 8), 0);
    EXPECT_LT(factor, M_PI / 180);

    // RotateDegrees goes through the table: an override of Rotate sees the converted angle.
    struct Recording : CRealPoint<float> {
        double seen = 0;
        void Rotate(double, double, double angle) override { seen = angle; }
    } p;
    CRealPoint<float>& base = p;
    base.RotateDegrees(0, 0, 90);
    EXPECT_EQ(p.seen, 90 * 0.017453292519943278);
}

TEST(RealPointTest, MirrorsAndArithmetic)
{
    CRealPoint<double> p(1, 2);
    p.MirrorX(3);
    EXPECT_EQ(p.x, 5);
    p.MirrorY(0);
    EXPECT_EQ(p.y, -2);
    p.Add(CRealPoint<double>(1, 1));
    EXPECT_EQ(p.GetX(), 6);
    EXPECT_EQ(p.GetY(), -1);
    const CRealPoint<double> d = p.Difference(CRealPoint<double>(1, 1));
    EXPECT_EQ(d.x, 5);
    EXPECT_EQ(d.y, -2);
    const CRealPoint<double> same = d.DivideBy(0);
    EXPECT_EQ(same.x, 5);
    EXPECT_EQ(same.y, -2);
    const CRealPoint<double> half = d.DivideBy(2);
    EXPECT_EQ(half.x, 2.5);
    EXPECT_EQ(half.y, -1);
    const CRealPoint<double> k = Multiply(3.0, half);
    EXPECT_EQ(k.x, 7.5);
    EXPECT_EQ(k.y, -3);
    CRealPoint<double> s(3, 4);
    ScaleAbout(s, 1, 1, 2, -1);
    EXPECT_EQ(s.x, 5);
    EXPECT_EQ(s.y, -2);
}

TEST(RealRectTest, CornersAndSides)
{
    const CRealRect<double> r(CRealPoint<double>(5, 1), CRealPoint<double>(2, 7));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, 1);
    EXPECT_FALSE(r.IsPoint());
    EXPECT_TRUE(CRealRect<double>(CRealPoint<double>(3, 3), CRealPoint<double>(3, 3)).IsPoint());
    const CRealRect<double> raw(5, 1, 2, 7);
    EXPECT_EQ(raw.left, 5);
    EXPECT_EQ(raw.top, 1);
    EXPECT_EQ(raw.right, 2);
    EXPECT_EQ(raw.bottom, 7);
    const CRealRect<float> f(CRealPoint<float>(1.5f, -1), CRealPoint<float>(-2, 4));
    EXPECT_EQ(f.left, -2.0f);
    EXPECT_EQ(f.top, 4.0f);
}

} // namespace
