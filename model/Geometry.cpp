#include "model/Geometry.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
const double kTwoPi = 6.28318530717958;
const double kHalfPi = 1.570796326794895;
const double kThreeHalfPi = 4.712388980384685;
const double kPi = 3.14159265358979;

double Distance(const CRealPoint& a, const CRealPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double DistanceSquared(const CRealPoint& a, const CRealPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    return dx * dx + dy * dy;
}

void Extend(CRealRect& r, double x, double y)
{
    r.left = std::min(r.left, static_cast<float>(x));
    r.right = std::max(r.right, static_cast<float>(x));
    r.top = std::max(r.top, static_cast<float>(y));
    r.bottom = std::min(r.bottom, static_cast<float>(y));
}

bool WithinWidened(double v, double a, double b)
{
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    const double margin = (hi - lo) * 0.01;
    return v >= lo - margin && v <= hi + margin;
}
} // namespace

int DoubleToIntClamped(double x)
{
    if (!(x > -2147483648.0))
        return -2147483647; // 0x80000001, also for NaN
    if (x >= 2147483648.0)
        return 0x7FFFFFFF;
    const double i = std::trunc(x);
    const double f = x - i;
    long long r = static_cast<long long>(i);
    if (x >= 0) {
        if (f >= 0.5)
            ++r;
    } else if (f <= -0.5) {
        --r;
    }
    if (r > 0x7FFFFFFF)
        r = 0x7FFFFFFF;
    if (r < -2147483647)
        r = -2147483647;
    return static_cast<int>(r);
}

int FloatToIntClamped(float x) { return DoubleToIntClamped(static_cast<double>(x)); }

double RoundToDecimals(double v, int n)
{
    const double p = std::pow(10.0, n);
    return DoubleToIntClamped(v * p) / p;
}

double NormalizeAngleDegrees(double a)
{
    if (a >= 0.0 && a <= 360.0)
        return a;
    if (std::fabs(a) > 360.0)
        a = std::fmod(a, 360.0);
    if (a < 0.0)
        a += 360.0;
    return a;
}

double NormalizeAngleRadians(double a)
{
    if (a >= 1e-5 && a < 6.28319530717958)
        return a;
    double m = std::fabs(a);
    // fmod is exact: subtracting whole turns counted by a product leaves a huge angle far
    // outside one turn (its rounding error alone is many turns), and callers that add turns
    // to order two angles would never get there.
    if (m >= kTwoPi)
        m = std::fmod(m, kTwoPi);
    if (a < 0)
        m = -m;
    if (m < 0)
        m += kTwoPi;
    return m;
}

void SinCosDegrees(double degrees, double* sine, double* cosine)
{
    const double r = degrees * 0.017453292519943278;
    if (sine)
        *sine = std::sin(r);
    if (cosine)
        *cosine = std::cos(r);
}

void ProjectPointOnLine(const CRealPoint& p, const CRealPoint& a, const CRealPoint& b, bool clamp,
                        CRealPoint* foot)
{
    if (!foot)
        return;
    if (a.x == b.x) {
        double y = p.y;
        if (clamp)
            y = std::min(std::max(y, static_cast<double>(std::min(a.y, b.y))), static_cast<double>(std::max(a.y, b.y)));
        *foot = CRealPoint(a.x, static_cast<float>(y));
        return;
    }
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    double t = ((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) / (dx * dx + dy * dy);
    if (clamp)
        t = std::min(std::max(t, 0.0), 1.0);
    *foot = CRealPoint(static_cast<float>(a.x + t * dx), static_cast<float>(a.y + t * dy));
}

int NearestPointOnPolyline(const CRealPoint* points, int count, const CRealPoint& p, CRealPoint* nearest,
                           bool closed)
{
    if (!points || count < 1)
        return -1;
    if (count == 1) {
        if (nearest)
            *nearest = points[0];
        return 0;
    }
    const int segments = closed ? count : count - 1;
    int best = -1;
    double bestDistance = 0;
    CRealPoint bestFoot;
    for (int i = 0; i < segments; ++i) {
        CRealPoint foot;
        ProjectPointOnLine(p, points[i], points[(i + 1) % count], true, &foot);
        const double d = DistanceSquared(p, foot);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            bestFoot = foot;
        }
    }
    if (nearest)
        *nearest = bestFoot;
    return best;
}

int IntersectLines(const CRealPoint& a1, const CRealPoint& a2, const CRealPoint& b1, const CRealPoint& b2,
                   CRealPoint* point, int mode)
{
    const bool aVertical = a1.x == a2.x;
    const bool bVertical = b1.x == b2.x;
    if (aVertical && bVertical)
        return 0;
    double x, y;
    if (aVertical) {
        const double mb = (static_cast<double>(b2.y) - b1.y) / (static_cast<double>(b2.x) - b1.x);
        x = a1.x;
        y = mb * (x - b1.x) + b1.y;
    } else if (bVertical) {
        const double ma = (static_cast<double>(a2.y) - a1.y) / (static_cast<double>(a2.x) - a1.x);
        x = b1.x;
        y = ma * (x - a1.x) + a1.y;
    } else {
        const double ma = (static_cast<double>(a2.y) - a1.y) / (static_cast<double>(a2.x) - a1.x);
        const double mb = (static_cast<double>(b2.y) - b1.y) / (static_cast<double>(b2.x) - b1.x);
        if (std::fabs(ma - mb) < 0.01)
            return 0;
        x = (static_cast<double>(b1.y) - a1.y + ma * a1.x - mb * b1.x) / (ma - mb);
        y = ma * (x - a1.x) + a1.y;
    }
    if (mode != -1) {
        if (!WithinWidened(x, a1.x, a2.x) || !WithinWidened(y, a1.y, a2.y) || !WithinWidened(x, b1.x, b2.x) ||
            !WithinWidened(y, b1.y, b2.y))
            return 0;
    }
    if (point)
        *point = CRealPoint(static_cast<float>(x), static_cast<float>(y));
    return 1;
}

int IntersectSegmentWithPolyline(const CRealPoint* points, int count, const CRealPoint& a, const CRealPoint& b,
                                 CRealPoint* point)
{
    if (!points)
        return 0;
    bool found = false;
    double bestDistance = 0;
    CRealPoint best;
    for (int i = 0; i + 1 < count; ++i) {
        CRealPoint hit;
        if (!IntersectLines(a, b, points[i], points[i + 1], &hit, 1))
            continue;
        const double d = DistanceSquared(a, hit);
        if (!found || d < bestDistance) {
            found = true;
            bestDistance = d;
            best = hit;
        }
    }
    if (found && point)
        *point = best;
    return found ? 1 : 0;
}

double BulgeRadius(const CRealPoint* p1, const CRealPoint* p2, double bulge, double* angle, double* chord)
{
    if (!p1 || !p2 || bulge == 0.0 || (p1->x == p2->x && p1->y == p2->y))
        return 0.0;
    const double c = Distance(*p1, *p2);
    const double q = std::atan(std::fabs(bulge));
    if (angle)
        *angle = 4.0 * q;
    if (chord)
        *chord = c;
    return (c / 2.0) / std::sin(2.0 * q);
}

double BulgedSegmentLength(const CRealPoint& p1, const CRealPoint& p2, double bulge)
{
    if (bulge == 0.0)
        return Distance(p1, p2);
    double theta = 0;
    const double r = BulgeRadius(&p1, &p2, bulge, &theta, nullptr);
    return r * theta;
}

int PointsAxisAligned(const CRealPoint* p1, const CRealPoint* p2)
{
    if (!p1 || !p2)
        return 0;
    return (p1->x == p2->x || p1->y == p2->y) ? 1 : 0;
}

double BulgedSegmentArea(const CRealPoint* p1, const CRealPoint* p2, double bulge)
{
    if (!p1 || !p2 || bulge == 0.0)
        return 0.0;
    const double theta = 4.0 * std::atan(std::fabs(bulge));
    const double chord = Distance(*p1, *p2);
    const double r = (chord / 2.0) / std::sin(theta / 2.0);
    return r * r * theta / 2.0 - r * r * std::sin(theta) / 2.0;
}

bool BulgeArcCenter(const CRealPoint* p1, const CRealPoint* p2, double bulge, CRealPoint* centre)
{
    if (!centre || !p1 || !p2 || bulge == 0.0 || (p1->x == p2->x && p1->y == p2->y))
        return false;
    double theta = 0, chord = 0;
    const double r = BulgeRadius(p1, p2, bulge, &theta, &chord);
    const double d = std::sqrt(std::max(0.0, r * r - chord * chord / 4.0));
    double direction = std::atan2(static_cast<double>(p2->y) - p1->y, static_cast<double>(p2->x) - p1->x);
    double side = bulge < 0 ? -kHalfPi : kHalfPi;
    if (theta > kPi)
        side = -side;
    direction += side;
    const double mx = (static_cast<double>(p1->x) + p2->x) / 2.0;
    const double my = (static_cast<double>(p1->y) + p2->y) / 2.0;
    *centre = CRealPoint(static_cast<float>(mx + d * std::cos(direction)), static_cast<float>(my + d * std::sin(direction)));
    return true;
}

void ArcBounds(const CRealPoint& centre, double radius, double startAngle, double endAngle, CRealRect* bounds)
{
    if (!bounds)
        return;
    double s = NormalizeAngleRadians(startAngle);
    const double e = NormalizeAngleRadians(endAngle);
    if (e < s)
        s -= kTwoPi;
    const double sx = centre.x + radius * std::cos(s), sy = centre.y + radius * std::sin(s);
    const double ex = centre.x + radius * std::cos(e), ey = centre.y + radius * std::sin(e);
    CRealRect r(static_cast<float>(std::min(sx, ex)), static_cast<float>(std::max(sy, ey)),
                static_cast<float>(std::max(sx, ex)), static_cast<float>(std::min(sy, ey)));
    static const double candidates[] = {0.0, kHalfPi, kPi, kThreeHalfPi, -kHalfPi, -kPi, -kThreeHalfPi};
    for (double a : candidates) {
        if (a >= s && a <= e)
            Extend(r, centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
    }
    *bounds = r;
}

namespace {
// The arc of a bulged segment: its centre, radius, and the angles it runs between counter-
// clockwise (from p2 to p1 for a negative bulge); false when the segment has no arc.
bool BulgeArc(const CRealPoint* p1, const CRealPoint* p2, double bulge, CRealPoint* c, double* r, double* a1,
              double* a2)
{
    if (!BulgeArcCenter(p1, p2, bulge, c))
        return false;
    *r = BulgeRadius(p1, p2, bulge, nullptr, nullptr);
    *a1 = std::atan2(static_cast<double>(p1->y) - c->y, static_cast<double>(p1->x) - c->x);
    *a2 = std::atan2(static_cast<double>(p2->y) - c->y, static_cast<double>(p2->x) - c->x);
    if (bulge < 0)
        std::swap(*a1, *a2);
    return true;
}
} // namespace

int BulgedSegmentBounds(const CRealPoint* p1, const CRealPoint* p2, double bulge, CRealRect* bounds)
{
    CRealPoint c;
    double r, a1, a2;
    if (!BulgeArc(p1, p2, bulge, &c, &r, &a1, &a2))
        return 0;
    ArcBounds(c, r, a1, a2, bounds);
    return 1;
}

int HitTestArcSegment(const CRealPoint* p1, const CRealPoint* p2, double bulge, const CRealPoint& p,
                      double tolerance)
{
    CRealPoint c;
    double r, a1, a2;
    if (!BulgeArc(p1, p2, bulge, &c, &r, &a1, &a2))
        return 0;
    // Counter-clockwise sweep from a1 to a2, and the test point's angle relative to a1; the
    // range limits allow 0.0001 rad.
    const double slack = 0.0001;
    double sweep = a2 - a1;
    if (sweep < 0)
        sweep += kTwoPi;
    double rel = std::atan2(static_cast<double>(p.y) - c.y, static_cast<double>(p.x) - c.x) - a1;
    while (rel < -slack)
        rel += kTwoPi;
    if (rel > sweep + slack)
        return 0;
    const double d2 = DistanceSquared(c, p);
    const double lo = std::max(0.0, r - tolerance);
    const double hi = r + tolerance;
    return (d2 >= lo * lo && d2 <= hi * hi) ? 1 : 0;
}

int IntersectRects(const RECT* a, const RECT* b, RECT* out)
{
    if (!a || !b)
        return 0;
    RECT na = {std::min(a->left, a->right), std::min(a->top, a->bottom), std::max(a->left, a->right),
               std::max(a->top, a->bottom)};
    RECT nb = {std::min(b->left, b->right), std::min(b->top, b->bottom), std::max(b->left, b->right),
               std::max(b->top, b->bottom)};
    if (na.left > nb.right || nb.left > na.right || na.top > nb.bottom || nb.top > na.bottom)
        return 0;
    if (out) {
        out->left = std::max(na.left, nb.left);
        out->top = std::max(na.top, nb.top);
        out->right = std::min(na.right, nb.right);
        out->bottom = std::min(na.bottom, nb.bottom);
    }
    return 1;
}

double FitScaleFactor(const CRealPointD& size, const CRealPointD& target, int mode)
{
    if (target.x == 0.0 || target.y == 0.0)
        return 1.0;
    const double kx = size.x != 0.0 ? std::fabs(target.x / size.x) : 0.0;
    const double ky = size.y != 0.0 ? std::fabs(target.y / size.y) : 0.0;
    double k;
    if (mode == 1)
        k = kx;
    else if (mode == 2)
        k = ky;
    else if (kx == 0.0 || ky == 0.0)
        k = std::max(kx, ky);
    else
        k = std::min(kx, ky);
    return k == 0.0 ? 1.0 : k;
}

size_t ParseDecimal(const char* p, const char* end, double& value)
{
    const char* s = p;
    bool negative = false;
    if (s < end && (*s == '+' || *s == '-')) {
        negative = *s == '-';
        ++s;
    }
    long double mantissa = 0;
    int digits = 0;
    int scale = 0;
    while (s < end && *s >= '0' && *s <= '9') {
        mantissa = mantissa * 10 + (*s - '0');
        ++s;
        ++digits;
    }
    if (s < end && *s == '.') {
        ++s;
        while (s < end && *s >= '0' && *s <= '9') {
            mantissa = mantissa * 10 + (*s - '0');
            ++s;
            ++digits;
            --scale;
        }
    }
    if (digits == 0)
        return 0;
    if (s < end && (*s == 'e' || *s == 'E')) {
        const char* e = s + 1;
        bool expNegative = false;
        if (e < end && (*e == '+' || *e == '-')) {
            expNegative = *e == '-';
            ++e;
        }
        if (e < end && *e >= '0' && *e <= '9') {
            int exponent = 0;
            while (e < end && *e >= '0' && *e <= '9') {
                if (exponent < 10000)
                    exponent = exponent * 10 + (*e - '0');
                ++e;
            }
            scale += expNegative ? -exponent : exponent;
            s = e;
        }
    }
    long double v = mantissa * std::pow(10.0L, scale);
    value = static_cast<double>(negative ? -v : v);
    return static_cast<size_t>(s - p);
}
int MakeDecimalFormat(double value, char* buffer, size_t capacity)
{
    if (!buffer || capacity < 5)
        return 0;
    int n = 0;
    for (; n < 6; ++n) {
        const double p = std::pow(10.0, n);
        const double scaled = std::fabs(value) * p;
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * p)
            break;
    }
    std::snprintf(buffer, capacity, "%%.%df", n);
    return 1;
}

int CircleThroughThreePoints(const CRealPoint& p1, const CRealPoint& p2, const CRealPoint& p3, CRealPoint* centre,
                             float* radius)
{
    auto same = [](const CRealPoint& a, const CRealPoint& b) { return a.x == b.x && a.y == b.y; };
    if (same(p1, p2) || same(p2, p3) || same(p1, p3))
        return 0;
    const double a1 = std::atan2(static_cast<double>(p2.y) - p1.y, static_cast<double>(p2.x) - p1.x);
    const double a2 = std::atan2(static_cast<double>(p3.y) - p2.y, static_cast<double>(p3.x) - p2.x);
    const double d = std::fabs(a1 - a2);
    if (d < 0.01 || std::fabs(d - kPi) < 0.02 || std::fabs(d - kTwoPi) < 0.01)
        return 0;
    // Perpendicular bisectors: points equidistant from p1, p2 and p3.
    const double ax = p1.x, ay = p1.y, bx = p2.x, by = p2.y, cx = p3.x, cy = p3.y;
    const double det = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (det == 0.0)
        return 0;
    const double a2s = ax * ax + ay * ay, b2s = bx * bx + by * by, c2s = cx * cx + cy * cy;
    const double ux = (a2s * (by - cy) + b2s * (cy - ay) + c2s * (ay - by)) / det;
    const double uy = (a2s * (cx - bx) + b2s * (ax - cx) + c2s * (bx - ax)) / det;
    const CRealPoint c(static_cast<float>(ux), static_cast<float>(uy));
    if (centre)
        *centre = c;
    if (radius)
        *radius = static_cast<float>(Distance(c, p1));
    return 1;
}

bool ScaleRotatedExtent(double angle, double kx, double ky, double* width, double* height, double* newAngle)
{
    if (!width || !height || !newAngle)
        return false;
    double w = *width;
    double h = *height;
    if (w == 0.0 && h == 0.0)
        return false;
    if (w == 0.0)
        w = h;
    if (h == 0.0)
        h = w;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    // The two sides turned by the angle, then scaled.
    const double wx = w * c * kx, wy = w * s * ky;
    const double hx = -h * s * kx, hy = h * c * ky;
    // The direction of the scaled unit vector of the angle. The arc tangent of the quotient alone
    // loses the half turn whenever the scaled cosine is negative (a shape turned by 180 degrees
    // and scaled evenly would come back unturned with a negative width and height), so the
    // quadrant comes from both components; only a zero x factor keeps the half turn it is given.
    const double denominator = c * kx;
    double a;
    if (denominator != 0.0) {
        a = std::atan2(s * ky, denominator);
    } else {
        a = s * ky >= 0.0 ? M_PI / 2 : -M_PI / 2;
        if (kx <= 0.0)
            a += M_PI;
    }
    // Both sides turned back by the new angle: the width along x, the height along y.
    const double ca = std::cos(a), sa = std::sin(a);
    *width = wx * ca + wy * sa;
    *height = -hx * sa + hy * ca;
    *newAngle = a;
    return true;
}
