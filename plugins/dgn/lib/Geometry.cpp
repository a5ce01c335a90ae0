#include "Geometry.h"

#include <cmath>
#include <cstring>

namespace dgn {

bool IsNearZero(double x) { return std::fabs(x) < 1e-11; }
bool IsNearEqual(double a, double b) { return IsNearZero(a - b); }

void QuaternionMultiply(const double a[4], const double b[4], double out[4])
{
    const double w = a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3];
    const double x = a[0] * b[1] + a[1] * b[0] + a[2] * b[3] - a[3] * b[2];
    const double y = a[0] * b[2] - a[1] * b[3] + a[2] * b[0] + a[3] * b[1];
    const double z = a[0] * b[3] + a[1] * b[2] - a[2] * b[1] + a[3] * b[0];
    out[0] = w;
    out[1] = x;
    out[2] = y;
    out[3] = z;
}

namespace {

void Sandwich(const double left[4], const double right[4], Point3d& p)
{
    const double v[4] = {0.0, p.x, p.y, p.z};
    double t[4];
    QuaternionMultiply(left, v, t);
    QuaternionMultiply(t, right, t);
    p = {t[1], t[2], t[3]};
}

} // namespace

void RotateByQuaternion(const double q[4], Point3d& p)
{
    const double conj[4] = {q[0], -q[1], -q[2], -q[3]};
    Sandwich(conj, q, p);
}

void RotateByInverseQuaternion(const double q[4], Point3d& p)
{
    const double conj[4] = {q[0], -q[1], -q[2], -q[3]};
    Sandwich(q, conj, p);
}

void QuaternionToMatrix(const double q[4], double m[16])
{
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    SetIdentity4x4(m);
    m[0] = 1 - 2 * y * y - 2 * z * z;
    m[1] = 2 * (x * y - w * z);
    m[2] = 2 * (x * z + w * y);
    m[4] = 2 * (x * y + w * z);
    m[5] = 1 - 2 * x * x - 2 * z * z;
    m[6] = 2 * (y * z - w * x);
    m[8] = 2 * (x * z - w * y);
    m[9] = 2 * (y * z + w * x);
    m[10] = 1 - 2 * x * x - 2 * y * y;
}

void MatrixToQuaternion(const double m[16], double q[4])
{
    const double t[4] = {m[0] + m[5] + m[10], m[0] - m[5] - m[10], m[5] - m[0] - m[10], m[10] - m[0] - m[5]};
    // The largest trace term gives the best-conditioned case; earlier cases win ties.
    int c = 0;
    for (int i = 1; i < 4; ++i) {
        if (std::fabs(t[i]) > std::fabs(t[c]))
            c = i;
    }
    const double s = std::sqrt(std::fabs(t[c]) + 1.0) * 0.5;
    const double f = 0.25 / s;
    double w, x, y, z;
    switch (c) {
    case 0:
        w = s;
        x = (m[9] - m[6]) * f;
        y = (m[2] - m[8]) * f;
        z = (m[4] - m[1]) * f;
        break;
    case 1:
        x = s;
        w = (m[9] - m[6]) * f;
        y = (m[4] + m[1]) * f;
        z = (m[8] + m[2]) * f;
        break;
    case 2:
        y = s;
        w = (m[2] - m[8]) * f;
        x = (m[4] + m[1]) * f;
        z = (m[9] + m[6]) * f;
        break;
    default:
        z = s;
        w = (m[4] - m[1]) * f;
        x = (m[8] + m[2]) * f;
        y = (m[9] + m[6]) * f;
        break;
    }
    q[0] = w;
    q[1] = x;
    q[2] = y;
    q[3] = z;
}

void QuaternionFromAxisAngle(double angle, const Point3d& axis, double q[4])
{
    const double s = std::sin(angle * 0.5);
    q[0] = std::cos(angle * 0.5);
    q[1] = -s * axis.x;
    q[2] = -s * axis.y;
    q[3] = -s * axis.z;
}

void QuaternionFromAngles(const double angles[3], double q[4])
{
    double m[16];
    SetIdentity4x4(m);
    RotateMatrixZ(m, angles[0]);
    RotateMatrixX(m, angles[1]);
    RotateMatrixY(m, angles[2]);
    MatrixToQuaternion(m, q);
}

void AxesToAngles(const Point3d& zAxis, const Point3d& xAxis, double angles[3])
{
    Point3d z = zAxis;
    Point3d x = xAxis;
    double m[16];
    const double a2 = AngleOfVectorXY(0, 0, z.z, z.x);
    SetIdentity4x4(m);
    RotateMatrixY(m, -a2);
    TransformPoint3d(m, z);
    TransformPoint3d(m, x);
    const double a1 = AngleOfVectorXY(0, 0, z.z, -z.y);
    SetIdentity4x4(m);
    RotateMatrixX(m, -a1);
    TransformPoint3d(m, x);
    angles[0] = AngleOfVectorXY(0, 0, x.x, x.y);
    angles[1] = a1;
    angles[2] = a2;
}

void QuaternionToAngles(const double q[4], double angles[3])
{
    Point3d x = {1, 0, 0};
    Point3d z = {0, 0, 1};
    RotateByQuaternion(q, x);
    RotateByQuaternion(q, z);
    AxesToAngles(z, x, angles);
}

void TransformQuaternion(const double m[16], double q[4])
{
    Point3d x = {1, 0, 0};
    Point3d z = {0, 0, 1};
    RotateByQuaternion(q, x);
    RotateByQuaternion(q, z);
    RotatePoint3x3(m, x);
    RotatePoint3x3(m, z);
    NormalizeVector3d(x);
    NormalizeVector3d(z);
    double angles[3];
    AxesToAngles(z, x, angles);
    QuaternionFromAngles(angles, q);
}

void SetIdentity4x4(double m[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0 : 0.0;
}

void MultiplyMatrix4x4(const double a[16], const double b[16], double out[16])
{
    double r[16];
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * row + k] * b[4 * k + col];
            r[4 * row + col] = sum;
        }
    }
    std::memcpy(out, r, sizeof r);
}

namespace {

void PostMultiply(double m[16], const double r[16]) { MultiplyMatrix4x4(m, r, m); }

} // namespace

void RotateMatrixZ(double m[16], double a)
{
    const double c = std::cos(a), s = std::sin(a);
    const double r[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    PostMultiply(m, r);
}

void RotateMatrixX(double m[16], double a)
{
    const double c = std::cos(a), s = std::sin(a);
    const double r[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    PostMultiply(m, r);
}

void RotateMatrixY(double m[16], double a)
{
    const double c = std::cos(a), s = std::sin(a);
    const double r[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    PostMultiply(m, r);
}

void TranslateMatrix(double m[16], double dx, double dy, double dz)
{
    const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, dx, dy, dz, 1};
    PostMultiply(m, t);
}

void TransformPoint3d(const double m[16], Point3d& p)
{
    const double x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    const double y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    const double z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
    if (m[11] != 0.0) {
        // The divisor is formed from the transformed coordinates, as the files' producers did.
        const double w = x * m[3] + y * m[7] + z * m[11] + m[15];
        p = {x / w, y / w, z / w};
    } else {
        p = {x, y, z};
    }
}

void TransformPoint2d(const double* m, Point2d& p)
{
    if (!m)
        return;
    const double x = p.x * m[0] + p.y * m[4] + m[12];
    const double y = p.x * m[1] + p.y * m[5] + m[13];
    if (m[11] != 0.0) {
        const double w = x * m[3] + y * m[7] + m[15];
        p = {x / w, y / w};
    } else {
        p = {x, y};
    }
}

void RotatePoint3x3(const double m[16], Point3d& p)
{
    const double x = p.x * m[0] + p.y * m[4] + p.z * m[8];
    const double y = p.x * m[1] + p.y * m[5] + p.z * m[9];
    const double z = p.x * m[2] + p.y * m[6] + p.z * m[10];
    p = {x, y, z};
}

double Distance2d(const Point2d& a, const Point2d& b) { return std::hypot(b.x - a.x, b.y - a.y); }

double Distance3d(const Point3d& a, const Point3d& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double AngleOfVector(const Point2d& p, const Point2d& q) { return NormalizeAngle2Pi(std::atan2(q.y - p.y, q.x - p.x)); }

double AngleOfVectorXY(double x1, double y1, double x2, double y2) { return NormalizeAngle2Pi(std::atan2(y2 - y1, x2 - x1)); }

void UnitDirection2d(const Point2d& p, const Point2d& q, double& ux, double& uy)
{
    const double d = Distance2d(p, q);
    if (IsNearZero(d)) {
        ux = 0;
        uy = 0;
        return;
    }
    ux = (q.x - p.x) / d;
    uy = (q.y - p.y) / d;
}

void PolarPoint2d(double cx, double cy, double angle, double r, Point2d& out) { out = {cx + r * std::cos(angle), cy + r * std::sin(angle)}; }

void OffsetPoint2d(double x, double y, double dx, double dy, double t, Point2d& out) { out = {x + t * dx, y + t * dy}; }

double NormalizeAngle2Pi(double a)
{
    // One remainder instead of adding or subtracting a turn at a time: a loop would never end
    // for infinities and run for years for angles far beyond a turn.
    if (!std::isfinite(a))
        return 0.0;
    double r = std::fmod(a, kTwoPi);
    if (r < 0)
        r += kTwoPi;
    if (r >= kTwoPi)
        r -= kTwoPi;
    return r == 0.0 ? 0.0 : r;
}

void RotateVector2d(double a, double& x, double& y)
{
    const double c = std::cos(a), s = std::sin(a);
    const double nx = x * c - y * s;
    const double ny = x * s + y * c;
    x = nx;
    y = ny;
}

bool NormalizeVector3d(Point3d& v)
{
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (IsNearZero(len))
        return false;
    v = {v.x / len, v.y / len, v.z / len};
    return true;
}

void CrossProduct3d(const Point3d& a, const Point3d& b, Point3d& out)
{
    out = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void Lerp2d(const double s[4], double t, Point2d& out) { out = {s[0] + t * (s[2] - s[0]), s[1] + t * (s[3] - s[1])}; }

void Lerp3d(const double s[6], double t, Point3d& out)
{
    out = {s[0] + t * (s[3] - s[0]), s[1] + t * (s[4] - s[1]), s[2] + t * (s[5] - s[2])};
}

int IntersectLines2d(const double s1[4], const double s2[4], Point2d& out)
{
    const double d1x = s1[2] - s1[0], d1y = s1[3] - s1[1];
    const double d2x = s2[2] - s2[0], d2y = s2[3] - s2[1];
    const double cross = d1x * d2y - d1y * d2x;
    if (IsNearZero(cross))
        return 0;
    const double t = ((s2[0] - s1[0]) * d2y - (s2[1] - s1[1]) * d2x) / cross;
    out = {s1[0] + t * d1x, s1[1] + t * d1y};
    return 1;
}

void PerpendicularFoot2d(const double line[4], const Point2d& p, Point2d& out)
{
    const double x1 = line[0], y1 = line[1], x2 = line[2], y2 = line[3];
    if (IsNearEqual(x1, x2)) {
        out = {x1, p.y};
        return;
    }
    if (IsNearEqual(y1, y2)) {
        out = {p.x, y1};
        return;
    }
    const double m = (y1 - y2) / (x1 - x2);
    const double x = (p.y - y1 + m * x1 + p.x / m) / (m + 1.0 / m);
    out = {x, y1 + m * (x - x1)};
}

double ParameterOnSegment2d(const double s[4], const Point2d& p)
{
    const double dx = s[2] - s[0], dy = s[3] - s[1];
    if (std::fabs(dy) >= std::fabs(dx))
        return dy != 0.0 ? (p.y - s[1]) / dy : 0.0;
    return (p.x - s[0]) / dx;
}

double ParameterOnSegment3d(const double s[6], const Point3d& p)
{
    const double dx = s[3] - s[0], dy = s[4] - s[1], dz = s[5] - s[2];
    if (std::fabs(dz) >= std::fabs(dy) && std::fabs(dz) >= std::fabs(dx))
        return dz != 0.0 ? (p.z - s[2]) / dz : 0.0;
    if (std::fabs(dy) >= std::fabs(dx))
        return (p.y - s[1]) / dy;
    return (p.x - s[0]) / dx;
}

double ClosestParameter3d(const double s1[6], const double s2[6])
{
    // Turn s2 onto the z axis; then the closest point of s1 to it is the foot of the
    // perpendicular from the origin on s1's projection onto the xy plane.
    Point3d d = {s2[3] - s2[0], s2[4] - s2[1], s2[5] - s2[2]};
    const double a1 = -std::atan2(d.y, d.x);
    double rz[16];
    SetIdentity4x4(rz);
    RotateMatrixZ(rz, a1);
    TransformPoint3d(rz, d);
    const double a2 = -std::atan2(d.x, d.z);
    double m[16];
    SetIdentity4x4(m);
    TranslateMatrix(m, -s2[0], -s2[1], -s2[2]);
    RotateMatrixZ(m, a1);
    RotateMatrixY(m, a2);
    Point3d a = {s1[0], s1[1], s1[2]};
    Point3d b = {s1[3], s1[4], s1[5]};
    TransformPoint3d(m, a);
    TransformPoint3d(m, b);
    const double projected[4] = {a.x, a.y, b.x, b.y};
    Point2d foot;
    PerpendicularFoot2d(projected, Point2d{0, 0}, foot);
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (std::fabs(dy) > std::fabs(dx))
        return (foot.y - a.y) / dy;
    if (IsNearZero(dx))
        return 0.0;
    return (foot.x - a.x) / dx;
}

int IntersectLines3d(const double s1[6], const double s2[6], Point3d& out)
{
    if (s2[0] == s2[3] && s2[1] == s2[4] && s2[2] == s2[5]) {
        if (s1[3] == s2[0] && s1[4] == s2[1] && s1[5] == s2[2]) {
            out = {s1[3], s1[4], s1[5]};
            return 1;
        }
        return 0;
    }
    Point3d p;
    Lerp3d(s1, ClosestParameter3d(s1, s2), p);
    Point3d q;
    Lerp3d(s2, ParameterOnSegment3d(s2, p), q);
    if (Distance3d(p, q) < 1e-6) {
        out = p;
        return 1;
    }
    return 0;
}

bool CircleThrough3Points(const Point2d& p1, const Point2d& p2, const Point2d& p3, Ellipse2d& out)
{
    // Two chords meeting in one point, neither vertical: their perpendicular bisectors meet
    // in the centre. Try each point as the shared one.
    const Point2d* orders[3][3] = {{&p1, &p2, &p3}, {&p2, &p1, &p3}, {&p1, &p3, &p2}};
    for (const auto& o : orders) {
        const Point2d& a = *o[0];
        const Point2d& b = *o[1];
        const Point2d& c = *o[2];
        if (IsNearEqual(a.x, b.x) || IsNearEqual(b.x, c.x))
            continue;
        const double m1 = (b.y - a.y) / (b.x - a.x);
        const double m2 = (c.y - b.y) / (c.x - b.x);
        if (IsNearEqual(m1, m2))
            return false;
        const double cx = (m1 * m2 * (a.y - c.y) + m2 * (a.x + b.x) - m1 * (b.x + c.x)) / (2.0 * (m2 - m1));
        double cy;
        if (!IsNearZero(m1))
            cy = -(cx - (a.x + b.x) / 2.0) / m1 + (a.y + b.y) / 2.0;
        else
            cy = -(cx - (b.x + c.x) / 2.0) / m2 + (b.y + c.y) / 2.0;
        const double r = Distance2d(Point2d{cx, cy}, a);
        out = {r, r, 0.0, cx, cy};
        return true;
    }
    return false;
}

bool ArcThrough3Points(const Point2d& p1, const Point2d& p2, const Point2d& p3, Arc2d& out)
{
    Ellipse2d circle;
    if (!CircleThrough3Points(p1, p2, p3, circle))
        return false;
    const Point2d c = {circle.cx, circle.cy};
    const double start = AngleOfVector(c, p1);
    double sweep = AngleOfVector(c, p3) - start;
    if (sweep <= 0)
        sweep += kTwoPi;
    double mid = AngleOfVector(c, p2) - start;
    if (mid < 0)
        mid += kTwoPi;
    // The middle point lies outside the counter-clockwise run: the arc turns the other way.
    if (mid > sweep)
        sweep -= kTwoPi;
    out = {start, sweep, circle.primary, circle.secondary, 0.0, circle.cx, circle.cy};
    return true;
}

bool ArcFromChord(const Point2d& p1, const Point2d& p2, double factor, Arc2d& out)
{
    const Point2d mid = {(p1.x + p2.x) / 2.0, (p1.y + p2.y) / 2.0};
    Point2d bulge;
    PolarPoint2d(mid.x, mid.y, AngleOfVector(p1, p2) - kHalfPi, Distance2d(p1, p2) * factor * 0.5, bulge);
    return ArcThrough3Points(p1, bulge, p2, out);
}

} // namespace dgn
