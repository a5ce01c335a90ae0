#include "Stroking.h"

#include "Geometry.h"
#include "Point2dArray.h"
#include "Point3dArray.h"

#include <cmath>

namespace dgn {

namespace {

int EllipseSegments(int segments)
{
    if (segments == 0)
        return 64;
    return segments < 16 ? 16 : segments;
}

// -1 for a sweep that cannot be stroked.
int ArcSegments(double sweep)
{
    if (std::isnan(sweep))
        return -1;
    // The count follows the sweep up to one turn: a sweep of 1e300 must not ask for 1e301
    // points.
    const double turn = std::fmin(std::fabs(sweep), kTwoPi);
    const int n = static_cast<int>(turn * 64.0 * kInverseTwoPi);
    return n < 16 ? 16 : n;
}

double Ratio(double a, double b) { return (IsNearZero(a) || IsNearZero(b)) ? 1.0 : b / a; }

// Walks n steps from (x, y), rotating by step each time with one sine and cosine, and hands
// each point on the unit-ratio circle to emit.
template <class Emit>
void Walk(double x, double y, double step, int n, Emit emit)
{
    const double c = std::cos(step), s = std::sin(step);
    for (int i = 0; i <= n; ++i) {
        emit(i, x, y);
        const double nx = x * c - y * s;
        const double ny = y * c + x * s;
        x = nx;
        y = ny;
    }
}

CPoint2dArray* Stroke2d(double start, double step, int n, double a, double b, double r, double cx, double cy)
{
    CPoint2dArray* points = CPoint2dArray::CreateSized(static_cast<std::uint32_t>(n) + 1);
    if (!points)
        return nullptr;
    const double ratio = Ratio(a, b);
    const double cr = std::cos(r), sr = std::sin(r);
    Walk(a * std::cos(start), a * std::sin(start), step, n, [&](int i, double x, double y) {
        points->SetAt(static_cast<std::uint32_t>(i), x * cr - ratio * y * sr + cx, ratio * y * cr + x * sr + cy);
    });
    return points;
}

CPoint3dArray* Stroke3d(double start, double step, int n, double a, double b, const double q[4], double cx, double cy, double cz)
{
    CPoint3dArray* points = CPoint3dArray::CreateSized(static_cast<std::uint32_t>(n) + 1);
    if (!points)
        return nullptr;
    const double ratio = Ratio(a, b);
    Walk(a * std::cos(start), a * std::sin(start), step, n, [&](int i, double x, double y) {
        Point3d p = {x, ratio * y, 0.0};
        RotateByQuaternion(q, p);
        points->SetAt(static_cast<std::uint32_t>(i), p.x + cx, p.y + cy, p.z + cz);
    });
    return points;
}

} // namespace

CPoint2dArray* StrokeEllipse2d(const Ellipse2d& e, int segments)
{
    const int n = EllipseSegments(segments);
    return Stroke2d(0.0, kTwoPi / n, n, e.primary, e.secondary, e.rotation, e.cx, e.cy);
}

CPoint2dArray* StrokeArc2d(const Arc2d& arc)
{
    const int n = ArcSegments(arc.sweep);
    if (n < 0)
        return CPoint2dArray::CreateSized(0);
    return Stroke2d(arc.start, arc.sweep / n, n, arc.primary, arc.secondary, arc.rotation, arc.cx, arc.cy);
}

CPoint3dArray* StrokeEllipse3d(const Ellipse3d& e, int segments)
{
    const int n = EllipseSegments(segments);
    return Stroke3d(0.0, kTwoPi / n, n, e.primary, e.secondary, e.q, e.cx, e.cy, e.cz);
}

CPoint3dArray* StrokeArc3d(const Arc3d& arc)
{
    const int n = ArcSegments(arc.sweep);
    if (n < 0)
        return CPoint3dArray::CreateSized(0);
    return Stroke3d(arc.start, arc.sweep / n, n, arc.primary, arc.secondary, arc.q, arc.cx, arc.cy, arc.cz);
}

} // namespace dgn
