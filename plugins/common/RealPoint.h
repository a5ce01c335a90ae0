#pragma once
// CRealPoint: a point of the plug-ins, over double (the host's transformation, the DGN
// converter's coordinate mapping) and over float (rectangles of the control's world coordinates).
// Four virtual operations move the point; both forms compute in double and store in their own
// type.
#include <cmath>

template <class T>
class CRealPoint
{
public:
    CRealPoint() : x(0), y(0) {}
    CRealPoint(T px, T py) : x(px), y(py) {}
    CRealPoint(const CRealPoint&) = default;
    CRealPoint& operator=(const CRealPoint&) = default;

    // Mirror about the vertical line x = a.
    virtual void MirrorX(double a) { x = static_cast<T>(a + a - x); }
    // Mirror about the horizontal line y = b.
    virtual void MirrorY(double b) { y = static_cast<T>(b + b - y); }
    // Counter-clockwise (y up) about (a, b) by an angle in radians; 0, and an angle that is not a
    // number, leave the point as it is, bit for bit.
    virtual void Rotate(double a, double b, double angle)
    {
        if (angle == 0 || std::isnan(angle))
            return;
        const double dx = static_cast<double>(x) - a;
        const double dy = static_cast<double>(y) - b;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        x = static_cast<T>((dx * c + a) - dy * s);
        y = static_cast<T>((s * dx + dy * c) + b);
    }
    // The same by an angle in degrees, through the virtual Rotate.
    virtual void RotateDegrees(double a, double b, double degrees) { Rotate(a, b, degrees * kRadiansPerDegree); }

    T GetX() const { return x; }
    T GetY() const { return y; }
    void Add(const CRealPoint& p)
    {
        x += p.x;
        y += p.y;
    }
    CRealPoint Difference(const CRealPoint& p) const { return CRealPoint(x - p.x, y - p.y); }
    // The point itself for s = 0.
    CRealPoint DivideBy(double s) const
    {
        if (s == 0)
            return *this;
        return CRealPoint(static_cast<T>(x / s), static_cast<T>(y / s));
    }

    // A few units in the last place below pi/180 (bytes 34 9D 52 A2 46 DF 91 3F): the factor that
    // drawings made with it were rotated by; 57.29577951308239 goes back.
    static constexpr double kRadiansPerDegree = 0.017453292519943278;

    T x;
    T y;
};

template <class T>
CRealPoint<T> Multiply(double k, const CRealPoint<T>& p)
{
    return CRealPoint<T>(static_cast<T>(k * p.x), static_cast<T>(k * p.y));
}

// Scales the point about (a, b), in place.
template <class T>
void ScaleAbout(CRealPoint<T>& p, double a, double b, double sx, double sy)
{
    p.x = static_cast<T>((p.x - a) * sx + a);
    p.y = static_cast<T>((p.y - b) * sy + b);
}
