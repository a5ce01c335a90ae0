#pragma once
// The value types of the library's geometry. Matrices are 16 doubles, row-major, used with row
// vectors (p' = p * M, translation in row 3); quaternions are 4 doubles w, x, y, z. The
// ellipse and arc blocks are laid out as the element bodies that hold them.
namespace dgn {

struct Point2d {
    double x;
    double y;
};

struct Point3d {
    double x;
    double y;
    double z;
};

// primary and secondary semi-axes, rotation (radians), centre.
struct Ellipse2d {
    double primary;
    double secondary;
    double rotation;
    double cx;
    double cy;
};

// start and sweep angles (radians), semi-axes, rotation, centre.
struct Arc2d {
    double start;
    double sweep;
    double primary;
    double secondary;
    double rotation;
    double cx;
    double cy;
};

// semi-axes, orientation quaternion, centre.
struct Ellipse3d {
    double primary;
    double secondary;
    double q[4];
    double cx;
    double cy;
    double cz;
};

// start and sweep angles, semi-axes, orientation quaternion, centre.
struct Arc3d {
    double start;
    double sweep;
    double primary;
    double secondary;
    double q[4];
    double cx;
    double cy;
    double cz;
};

} // namespace dgn
