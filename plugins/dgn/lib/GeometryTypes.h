#pragma once
#include <cstdint>

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

class CTextStyleLinkage;

// The text parameters of a text element, the placement its font measures and draws: the font
// number, the DGN justification code, the byte count of the text, the length and height
// multipliers (their ratio is the characters' width to height), the text's length and height
// in design units, its orientation and origin, and the element's text style linkage (null for
// none).
struct TextParams2d {
    std::uint32_t fontNumber;
    std::uint16_t justification;
    std::uint16_t textBytes;
    double lengthMultiplier;
    double heightMultiplier;
    double length;
    double height;
    double angle; // radians
    Point2d origin;
    std::uint16_t enterDataFields;
    std::uint16_t reserved;
    const CTextStyleLinkage* textStyle;
};

struct TextParams3d {
    std::uint32_t fontNumber;
    std::uint16_t justification;
    std::uint16_t textBytes;
    double lengthMultiplier;
    double heightMultiplier;
    double length;
    double height;
    double q[4]; // unit quaternion, scalar first
    Point3d origin;
    std::uint16_t enterDataFields;
    std::uint16_t reserved;
    const CTextStyleLinkage* textStyle;
};

} // namespace dgn
