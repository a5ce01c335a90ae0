#pragma once
#include <cmath>

// A point of world coordinates (y points up). The control keeps its world coordinates in 32-bit
// floats; print scaling and a few precise routines use the double form. Every operation computes
// in double precision and stores the result back in the element type. The operations that move a
// point in place are virtual so that a derived point record (the point pool's records) moves
// through the same calls.
template <class T>
class CRealPointT
{
public:
    T x;
    T y;

    CRealPointT() : x(0), y(0) {}
    CRealPointT(T px, T py) : x(px), y(py) {}
    CRealPointT(const CRealPointT&) = default;
    CRealPointT& operator=(const CRealPointT&) = default;
    virtual ~CRealPointT() = default;

    virtual void MirrorX(double axis) { x = static_cast<T>(2.0 * axis - x); }
    virtual void MirrorY(double axis) { y = static_cast<T>(2.0 * axis - y); }

    // Counter-clockwise about (cx, cy) by an angle in radians. An angle of exactly 0 computes
    // nothing, so the point keeps its bits.
    virtual void Rotate(double cx, double cy, double angle)
    {
        if (angle == 0.0)
            return;
        const double dx = static_cast<double>(x) - cx;
        const double dy = static_cast<double>(y) - cy;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        x = static_cast<T>(cx + c * dx - s * dy);
        y = static_cast<T>(cy + s * dx + c * dy);
    }

    // Degrees to radians with the double value of pi/180, then the (possibly derived) Rotate.
    virtual void RotateDegrees(double cx, double cy, double degrees)
    {
        Rotate(cx, cy, degrees * 0.017453292519943278);
    }

    CRealPointT operator+(const CRealPointT& p) const { return CRealPointT(x + p.x, y + p.y); }
    CRealPointT operator-(const CRealPointT& p) const { return CRealPointT(x - p.x, y - p.y); }
    CRealPointT operator*(const CRealPointT& p) const { return CRealPointT(x * p.x, y * p.y); }

    // Component-wise quotient; a divisor component of 0 counts as 1.
    CRealPointT DivideComponents(const CRealPointT& p) const
    {
        return CRealPointT(p.x != 0 ? static_cast<T>(static_cast<double>(x) / p.x) : x,
                           p.y != 0 ? static_cast<T>(static_cast<double>(y) / p.y) : y);
    }

    // Division by a scalar; dividing by 0 leaves the point as it is.
    CRealPointT operator/(double s) const
    {
        if (s == 0.0)
            return *this;
        return CRealPointT(static_cast<T>(x / s), static_cast<T>(y / s));
    }
    CRealPointT& operator/=(double s)
    {
        if (s != 0.0) {
            x = static_cast<T>(x / s);
            y = static_cast<T>(y / s);
        }
        return *this;
    }

    double Dot(const CRealPointT& p) const
    {
        return static_cast<double>(x) * p.x + static_cast<double>(y) * p.y;
    }

    // Brings a pair of values into a printable magnitude: up by tens while a non-zero coordinate
    // is below `lower` in magnitude, then down by tenths while either exceeds `upper`. Returns the
    // factor applied.
    double ScaleIntoRange(double lower, double upper)
    {
        double factor = 1.0;
        for (;;) {
            if ((x != 0 && std::fabs(static_cast<double>(x)) < lower) ||
                (y != 0 && std::fabs(static_cast<double>(y)) < lower)) {
                x = static_cast<T>(x * 10.0);
                y = static_cast<T>(y * 10.0);
                factor *= 10.0;
                continue;
            }
            break;
        }
        // An infinite coordinate never comes down: stop rather than loop.
        while ((std::fabs(static_cast<double>(x)) > upper || std::fabs(static_cast<double>(y)) > upper) &&
               std::isfinite(static_cast<double>(x)) && std::isfinite(static_cast<double>(y))) {
            x = static_cast<T>(x * 0.1);
            y = static_cast<T>(y * 0.1);
            factor *= 0.1;
        }
        return factor;
    }
};

using CRealPoint = CRealPointT<float>;
using CRealPointD = CRealPointT<double>;
