// Quaternions and matrices, vector helpers, stroking, placement transforms, the transform
// stack and the range collector.
#include "Geometry.h"
#include "PlacementTransforms.h"
#include "Point2dArray.h"
#include "Point3dArray.h"
#include "Stroking.h"
#include "TransformHelper.h"
#include "TransformStack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace dgn;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTol = 1e-9;

void ExpectPoint(const Point3d& p, double x, double y, double z, double tol = kTol)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

void ExpectSameRotation(const double a[4], const double b[4])
{
    // q and -q are the same rotation.
    const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    EXPECT_NEAR(std::fabs(dot), 1.0, 1e-9);
}

void Normalize(double q[4])
{
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (int i = 0; i < 4; ++i)
        q[i] /= n;
}

} // namespace

TEST(Quaternions, AxisAngleRotatesLikeItsMatrix)
{
    double q[4];
    QuaternionFromAxisAngle(kPi / 2, Point3d{0, 0, 1}, q);
    EXPECT_NEAR(q[0], 0.70710678, 1e-8);
    EXPECT_NEAR(q[1], 0, 1e-12);
    EXPECT_NEAR(q[2], 0, 1e-12);
    EXPECT_NEAR(q[3], -0.70710678, 1e-8);
    Point3d p = {1, 0, 0};
    RotateByQuaternion(q, p);
    ExpectPoint(p, 0, 1, 0);
    RotateByInverseQuaternion(q, p);
    ExpectPoint(p, 1, 0, 0);

    double m[16];
    QuaternionToMatrix(q, m);
    Point3d r = {1, 0, 0};
    TransformPoint3d(m, r);
    ExpectPoint(r, 0, 1, 0);

    double product[4];
    QuaternionMultiply(q, q, product); // 180 degrees
    Point3d s = {1, 0, 0};
    RotateByQuaternion(product, s);
    ExpectPoint(s, -1, 0, 0);
}

TEST(Quaternions, MatrixAndAnglesRoundTrip)
{
    const double samples[][4] = {
        {1, 0, 0, 0}, {0.9, 0.1, -0.3, 0.2}, {0.1, 0.9, 0.3, -0.2}, {0.1, -0.2, 0.9, 0.3}, {-0.2, 0.1, 0.3, 0.9}, {0.5, 0.5, 0.5, 0.5},
    };
    for (const auto& sample : samples) {
        double q[4] = {sample[0], sample[1], sample[2], sample[3]};
        Normalize(q);
        double m[16], back[4];
        QuaternionToMatrix(q, m);
        MatrixToQuaternion(m, back);
        ExpectSameRotation(q, back);
        if (q[0] > 0 && q[0] >= std::fabs(q[1]) && q[0] >= std::fabs(q[2]) && q[0] >= std::fabs(q[3])) {
            for (int i = 0; i < 4; ++i)
                EXPECT_NEAR(back[i], q[i], 1e-12) << "w largest and positive: exactly q";
        }
        double angles[3], rebuilt[4];
        QuaternionToAngles(q, angles);
        QuaternionFromAngles(angles, rebuilt);
        ExpectSameRotation(q, rebuilt);
    }
}

TEST(Quaternions, TransformFollowsTheMatrix)
{
    double q[4] = {0.9, 0.1, -0.3, 0.2};
    Normalize(q);
    double m[16];
    SetIdentity4x4(m);
    RotateMatrixX(m, 0.7);
    TranslateMatrix(m, 5, 6, 7); // translation does not turn an orientation
    double t[4] = {q[0], q[1], q[2], q[3]};
    TransformQuaternion(m, t);
    // Rotating by t equals rotating by q and then by m's 3x3 part.
    for (const Point3d& v : {Point3d{1, 0, 0}, Point3d{0, 1, 0}, Point3d{0, 0, 1}}) {
        Point3d a = v, b = v;
        RotateByQuaternion(t, a);
        RotateByQuaternion(q, b);
        RotatePoint3x3(m, b);
        ExpectPoint(a, b.x, b.y, b.z, 1e-9);
    }
}

TEST(Vectors, AnglesAndLines)
{
    struct Case {
        double in;
        double out;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case angles[] = {
        {-0.1, 6.183185307}, {6.283185307, 0.0}, {1.0, 1.0}, {-6.283185307 * 3 - 0.5, 6.283185307 - 0.5}, {inf, 0.0}, {-inf, 0.0},
        {std::nan(""), 0.0},
    };
    for (const Case& c : angles)
        EXPECT_NEAR(NormalizeAngle2Pi(c.in), c.out, 1e-9) << c.in;
    // Far beyond a turn the result still comes at once and lies in range.
    for (double big : {1e17, -1e17, 1e300}) {
        const double a = NormalizeAngle2Pi(big);
        EXPECT_GE(a, 0.0);
        EXPECT_LT(a, kTwoPi);
    }

    EXPECT_NEAR(AngleOfVector(Point2d{1, 1}, Point2d{1, 0}), 1.5 * kPi, 1e-9);
    double x = 1, y = 0;
    RotateVector2d(kPi / 2, x, y);
    EXPECT_NEAR(x, 0, 1e-12);
    EXPECT_NEAR(y, 1, 1e-12);
    double ux, uy;
    UnitDirection2d(Point2d{0, 0}, Point2d{3, 4}, ux, uy);
    EXPECT_NEAR(ux, 0.6, 1e-12);
    EXPECT_NEAR(uy, 0.8, 1e-12);

    const double s1[4] = {0, 0, 2, 2}, s2[4] = {0, 2, 2, 0}, parallel[4] = {1, 0, 3, 2};
    Point2d hit;
    EXPECT_EQ(IntersectLines2d(s1, parallel, hit), 0);
    EXPECT_EQ(IntersectLines2d(s1, s2, hit), 1);
    EXPECT_NEAR(hit.x, 1, 1e-12);
    EXPECT_NEAR(hit.y, 1, 1e-12);
    Point2d foot;
    PerpendicularFoot2d(s1, Point2d{2, 0}, foot);
    EXPECT_NEAR(foot.x, 1, 1e-12);
    EXPECT_NEAR(foot.y, 1, 1e-12);
    EXPECT_NEAR(ParameterOnSegment2d(s1, Point2d{0.5, 0.5}), 0.25, 1e-12);

    // Two 3-D lines that meet, and two that pass each other.
    const double l1[6] = {0, 0, 0, 2, 2, 2}, l2[6] = {2, 0, 0, 0, 2, 2}, skew[6] = {0, 0, 5, 1, 0, 5};
    Point3d p3;
    EXPECT_EQ(IntersectLines3d(l1, l2, p3), 1);
    ExpectPoint(p3, 1, 1, 1, 1e-9);
    EXPECT_EQ(IntersectLines3d(l1, skew, p3), 0);
    const double point[6] = {2, 2, 2, 2, 2, 2};
    EXPECT_EQ(IntersectLines3d(l1, point, p3), 1) << "a point segment at s1's end";

    Point3d v = {0, 0, 0};
    EXPECT_FALSE(NormalizeVector3d(v));
    Point3d c;
    CrossProduct3d(Point3d{1, 0, 0}, Point3d{0, 1, 0}, c);
    ExpectPoint(c, 0, 0, 1);
}

TEST(Vectors, CirclesThroughThreePoints)
{
    // Points on the circle of centre (2, 3) and radius 5, some pairs sharing an x.
    const Point2d sets[][3] = {
        {{7, 3}, {2, 8}, {-3, 3}}, {{5, 7}, {5, -1}, {-3, 3}}, {{2, 8}, {5, 7}, {2, -2}}, {{-1, 7}, {-1, -1}, {6, 6}},
    };
    for (const auto& s : sets) {
        Ellipse2d circle;
        ASSERT_TRUE(CircleThrough3Points(s[0], s[1], s[2], circle));
        EXPECT_NEAR(circle.cx, 2, 1e-9);
        EXPECT_NEAR(circle.cy, 3, 1e-9);
        EXPECT_NEAR(circle.primary, 5, 1e-9);
        EXPECT_EQ(circle.primary, circle.secondary);
    }
    Ellipse2d none;
    EXPECT_FALSE(CircleThrough3Points(Point2d{0, 0}, Point2d{1, 1}, Point2d{2, 2}, none));
    EXPECT_FALSE(CircleThrough3Points(Point2d{1, 0}, Point2d{1, 1}, Point2d{1, 2}, none));

    Arc2d arc;
    ASSERT_TRUE(ArcThrough3Points(Point2d{7, 3}, Point2d{2, 8}, Point2d{-3, 3}, arc));
    EXPECT_NEAR(arc.start, 0, 1e-9);
    EXPECT_NEAR(arc.sweep, kPi, 1e-9);
    ASSERT_TRUE(ArcThrough3Points(Point2d{7, 3}, Point2d{2, -2}, Point2d{-3, 3}, arc));
    EXPECT_NEAR(arc.sweep, -kPi, 1e-9) << "through the bottom: clockwise";
    ASSERT_TRUE(ArcFromChord(Point2d{-1, 0}, Point2d{1, 0}, 1.0, arc));
    EXPECT_NEAR(arc.cx, 0, 1e-9);
    EXPECT_NEAR(arc.cy, 0, 1e-9);
    EXPECT_NEAR(arc.primary, 1, 1e-9);
}

TEST(Stroking, PointCounts)
{
    const Ellipse2d e = {4, 2, 0.3, 10, 20};
    for (int segments : {0, 5, 100}) {
        std::unique_ptr<CPoint2dArray> pts(StrokeEllipse2d(e, segments));
        const std::uint32_t expected = segments == 0 ? 65u : segments == 5 ? 17u : 101u;
        ASSERT_EQ(pts->Count(), expected);
        EXPECT_NEAR(pts->At(0)->x, pts->At(expected - 1)->x, 1e-9);
        EXPECT_NEAR(pts->At(0)->y, pts->At(expected - 1)->y, 1e-9);
        for (std::uint32_t i = 0; i < expected; ++i) {
            // Back in the ellipse's own frame every point satisfies (x/a)^2 + (y/b)^2 = 1.
            const double dx = pts->At(i)->x - 10, dy = pts->At(i)->y - 20;
            const double lx = dx * std::cos(0.3) + dy * std::sin(0.3), ly = -dx * std::sin(0.3) + dy * std::cos(0.3);
            EXPECT_NEAR(lx * lx / 16 + ly * ly / 4, 1.0, 1e-9);
        }
    }
    const Arc2d quarter = {0, kPi / 2, 1, 1, 0, 0, 0};
    std::unique_ptr<CPoint2dArray> arc(StrokeArc2d(quarter));
    ASSERT_EQ(arc->Count(), 17u);
    EXPECT_NEAR(arc->At(16)->x, 0, 1e-9);
    EXPECT_NEAR(arc->At(16)->y, 1, 1e-9);

    const Ellipse3d e3 = {2, 2, {1, 0, 0, 0}, 0, 0, 5};
    std::unique_ptr<CPoint3dArray> ring(StrokeEllipse3d(e3, 0));
    ASSERT_EQ(ring->Count(), 65u);
    EXPECT_NEAR(ring->At(16)->y, 2, 1e-9);
    EXPECT_EQ(ring->At(16)->z, 5);
}

TEST(Stroking, AbsurdSweepsStayBounded)
{
    // The count follows the sweep only up to one turn; NaN strokes nothing.
    const double sweeps[] = {1e300, -1e300, std::numeric_limits<double>::infinity(), 100.0};
    for (double sweep : sweeps) {
        const Arc2d arc = {0, sweep, 1, 1, 0, 0, 0};
        std::unique_ptr<CPoint2dArray> pts(StrokeArc2d(arc));
        ASSERT_TRUE(pts);
        EXPECT_LE(pts->Count(), 65u) << sweep;
        EXPECT_GE(pts->Count(), 17u) << sweep;
        const Arc3d arc3 = {0, sweep, 1, 1, {1, 0, 0, 0}, 0, 0, 0};
        std::unique_ptr<CPoint3dArray> pts3(StrokeArc3d(arc3));
        EXPECT_LE(pts3->Count(), 65u) << sweep;
    }
    const Arc2d nan = {0, std::nan(""), 1, 1, 0, 0, 0};
    std::unique_ptr<CPoint2dArray> none(StrokeArc2d(nan));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Count(), 0u);
}

TEST(Placements, TextEllipseAndArc)
{
    double m[16];
    SetIdentity4x4(m);
    RotateMatrixZ(m, kPi / 2);
    TranslateMatrix(m, 100, 0, 0);
    // Points are row vectors: rotate by 90 degrees, then move 100 along x.
    double height = 2, angle = 0;
    Point2d origin = {1, 0};
    TransformPlacement2d(m, height, angle, origin);
    EXPECT_NEAR(height, 2, 1e-9);
    EXPECT_NEAR(angle, kPi / 2, 1e-9);
    EXPECT_NEAR(origin.x, 100, 1e-9);
    EXPECT_NEAR(origin.y, 1, 1e-9);

    double scale[16];
    SetIdentity4x4(scale);
    scale[0] = scale[5] = scale[10] = 3;
    Ellipse2d e = {2, 1, 0, 1, 1};
    TransformEllipse2d(scale, e);
    EXPECT_NEAR(e.primary, 6, 1e-9);
    EXPECT_NEAR(e.secondary, 3, 1e-9);
    EXPECT_NEAR(e.cx, 3, 1e-9);

    double q[4] = {1, 0, 0, 0};
    double h3 = 2;
    Point3d o3 = {1, 2, 3};
    TransformPlacement3d(scale, h3, q, o3);
    EXPECT_NEAR(h3, 6, 1e-9);
    ExpectPoint(o3, 3, 6, 9);
    EXPECT_NEAR(std::fabs(q[0]), 1, 1e-9);

    Ellipse3d e3 = {2, 1, {1, 0, 0, 0}, 0, 0, 0};
    double turn[16];
    SetIdentity4x4(turn);
    RotateMatrixZ(turn, kPi / 2);
    TransformEllipse3d(turn, e3);
    EXPECT_NEAR(e3.primary, 2, 1e-9);
    Point3d axis = {1, 0, 0};
    RotateByQuaternion(e3.q, axis);
    ExpectPoint(axis, 0, 1, 0);
}

TEST(Placements, ArcsKeepTheirTurningDirection)
{
    double identity[16];
    SetIdentity4x4(identity);
    // A clockwise quarter arc stays a clockwise quarter arc.
    Arc2d cw = {kPi / 2, -kPi / 2, 1, 1, 0, 0, 0};
    TransformArc2d(identity, cw);
    EXPECT_NEAR(cw.start, kPi / 2, 1e-9);
    EXPECT_NEAR(cw.sweep, -kPi / 2, 1e-9);

    Arc2d ccw = {0, kPi / 2, 1, 1, 0, 5, 0};
    double moved[16];
    SetIdentity4x4(moved);
    TranslateMatrix(moved, 1, 2, 0);
    TransformArc2d(moved, ccw);
    EXPECT_NEAR(ccw.sweep, kPi / 2, 1e-9);
    EXPECT_NEAR(ccw.cx, 6, 1e-9);

    // A mirror turns a counter-clockwise arc into a clockwise one over the mirrored points.
    double mirror[16];
    SetIdentity4x4(mirror);
    mirror[0] = -1;
    Arc2d arc = {0, kPi / 2, 1, 1, 0, 0, 0};
    TransformArc2d(mirror, arc);
    EXPECT_NEAR(arc.sweep, -kPi / 2, 1e-9);
    std::unique_ptr<CPoint2dArray> pts(StrokeArc2d(arc));
    for (std::uint32_t i = 0; i < pts->Count(); ++i) {
        EXPECT_LE(pts->At(i)->x, 1e-9) << "in the mirrored quadrant";
        EXPECT_GE(pts->At(i)->y, -1e-9);
    }
    Arc2d full = {0, kTwoPi, 1, 1, 0, 0, 0};
    TransformArc2d(identity, full);
    EXPECT_NEAR(full.sweep, kTwoPi, 1e-9);
}

TEST(TransformStack, EveryPushHasItsPop)
{
    std::unique_ptr<CTransformStack> stack(CTransformStack::Create());
    Point3d p = {0, 0, 0};
    stack->TransformPoint3d(p);
    ExpectPoint(p, 0, 0, 0);
    // Thirty-three nested levels, each one unit further along x.
    for (int level = 1; level <= 33; ++level) {
        stack->Push();
        stack->Translate(1, 0, 0);
        Point3d q = {0, 0, 0};
        stack->TransformPoint3d(q);
        EXPECT_NEAR(q.x, level, 1e-12) << level;
    }
    EXPECT_EQ(stack->Level(), 33u);
    for (int level = 32; level >= 0; --level) {
        stack->Pop();
        Point3d q = {0, 0, 0};
        stack->TransformPoint3d(q);
        EXPECT_NEAR(q.x, level, 1e-12) << level;
    }
    stack->Pop();
    EXPECT_EQ(stack->Level(), 0u);

    // Pre- and post-multiplication order.
    stack->Push();
    stack->Translate(10, 0, 0);
    stack->PreScale(2, 2, 2); // scale first, then move
    Point2d a = {1, 1};
    stack->TransformPoint2d(a);
    EXPECT_NEAR(a.x, 12, 1e-12);
    EXPECT_NEAR(a.y, 2, 1e-12);
    stack->LoadIdentity();
    stack->Skew(0, kPi / 6);
    Point2d b = {1, 0};
    stack->TransformPoint2d(b);
    EXPECT_NEAR(b.y, 0.5, 1e-12);
    double saved[16];
    stack->Get(saved);
    stack->Pop();
    stack->Push();
    stack->Set(saved);
    EXPECT_EQ(stack->Current()[1], saved[1]);
}

TEST(TransformHelper, CollectsTheRangeOfWhatItReceives)
{
    std::unique_ptr<CTransformHelper> helper(CTransformHelper::Create());
    EXPECT_EQ(helper->Kind(), 2);
    EXPECT_FALSE(helper->HasRange());
    const Point2d line[2] = {{1, 5}, {-2, 3}};
    helper->AddLine2d(line);
    const double* r = helper->Range();
    EXPECT_EQ(r[0], -2);
    EXPECT_EQ(r[1], 3);
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 5);
    EXPECT_EQ(r[2], 0);
    EXPECT_EQ(r[5], 0);
    helper->AddPoint3d(Point3d{0, 0, 7});
    EXPECT_EQ(r[5], 7);
    EXPECT_EQ(r[1], 0);

    // After a reset the next point is the only one.
    helper->ResetRange();
    helper->AddPoint3d(Point3d{4, 4, 4});
    EXPECT_EQ(r[0], 4);
    EXPECT_EQ(r[3], 4);

    // Geometry goes through the helper's own stack.
    helper->ResetRange();
    helper->TransformStack()->Push();
    helper->TransformStack()->Translate(100, 0, 0);
    const Ellipse2d circle = {1, 1, 0, 0, 0};
    helper->AddEllipse2d(circle);
    EXPECT_NEAR(r[0], 99, 1e-9);
    EXPECT_NEAR(r[3], 101, 1e-9);
    EXPECT_NEAR(r[1], -1, 1e-3);
    EXPECT_NEAR(r[4], 1, 1e-3);
    helper->TransformStack()->Pop();

    helper->ResetRange();
    helper->AddBox2d(0, Point2d{1, 1}, 4, 2);
    EXPECT_EQ(r[1], -1);
    EXPECT_EQ(r[3], 5);
    helper->ResetRange();
    helper->AddRotatedOffset3d(0, Point3d{1, 0, 0}, 0, 10, kPi / 2);
    EXPECT_NEAR(r[4], 11, 1e-9);
    EXPECT_NEAR(r[0], 0, 1e-9);

    // Without a design file no font measures text, and text adds nothing.
    helper->ResetRange();
    helper->AddText2d(nullptr, reinterpret_cast<const std::uint8_t*>("text"), 1);
    EXPECT_FALSE(helper->HasRange());

    EXPECT_FALSE(helper->IsNested());
    helper->Nest(1);
    EXPECT_TRUE(helper->IsNested());
    helper->Nest(0);
    EXPECT_FALSE(helper->IsNested());
    EXPECT_EQ(helper->Value(nullptr), nullptr);
}
