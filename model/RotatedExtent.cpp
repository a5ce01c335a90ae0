#include "model/RotatedExtent.h"
#include <cmath>

bool ScaleRotatedExtent(double angle, double kx, double ky, double* width, double* height, double* newAngle)
{
    double w = width ? *width : 0.0, h = height ? *height : 0.0;
    if (w == 0.0 && h == 0.0)
        return false;
    if (w == 0.0)
        w = h;
    else if (h == 0.0)
        h = w;
    const double c = std::cos(angle), s = std::sin(angle);
    // The direction of the scaled unit vector of the angle, over the whole circle: a factor of 0
    // or below turns it by half a turn as it turns the rectangle.
    const double turned = std::atan2(s * ky, c * kx);
    const double wx = w * c * kx, wy = w * s * ky;
    const double hx = -h * s * kx, hy = h * c * ky;
    const double bc = std::cos(-turned), bs = std::sin(-turned);
    if (width)
        *width = wx * bc - wy * bs;
    if (height)
        *height = hx * bs + hy * bc;
    if (newAngle)
        *newAngle = turned;
    return true;
}
