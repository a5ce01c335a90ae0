#pragma once
// The 3-D mathematics of the library: tolerances, quaternions, 4x4 matrices and 2-D and 3-D
// vector helpers.
//
// Matrices are 16 doubles, row-major, used with row vectors: p' = p * M, the translation in
// row 3 (indices 12-14). Quaternions are w, x, y, z, and are the conjugates of the usual
// rotation quaternions: the rotation by a about the unit axis u is (cos(a/2), -sin(a/2) u).
// Segments are 4 doubles in 2-D (x1, y1, x2, y2) and 6 in 3-D (start, end). Results are
// computed before they are stored, so an output may alias an input.
#include "GeometryTypes.h"

namespace dgn {

// The angle constants as the library's files were made with them.
constexpr double kTwoPi = 6.283185307;
constexpr double kHalfPi = 1.570796327;
constexpr double kQuarterPi = 0.785398163;
constexpr double kInverseTwoPi = 0.15915494309644432;

// |x| < 1e-11.
bool IsNearZero(double x);
bool IsNearEqual(double a, double b);

void QuaternionMultiply(const double a[4], const double b[4], double out[4]);
// p becomes the vector part of conj(q) * (0, p) * q.
void RotateByQuaternion(const double q[4], Point3d& p);
// p becomes the vector part of q * (0, p) * conj(q).
void RotateByInverseQuaternion(const double q[4], Point3d& p);
void QuaternionToMatrix(const double q[4], double m[16]);
// The quaternion of the rotation in the upper-left 3x3 of m.
void MatrixToQuaternion(const double m[16], double q[4]);
// The axis is used as given (not normalised).
void QuaternionFromAxisAngle(double angle, const Point3d& axis, double q[4]);
// M = I * Rz(angles[0]) * Rx(angles[1]) * Ry(angles[2]), as a quaternion.
void QuaternionFromAngles(const double angles[3], double q[4]);
// The three angles of QuaternionFromAngles from the rotated z and x axes.
void AxesToAngles(const Point3d& zAxis, const Point3d& xAxis, double angles[3]);
void QuaternionToAngles(const double q[4], double angles[3]);
// Rotates the orientation q by the 3x3 part of m.
void TransformQuaternion(const double m[16], double q[4]);

void SetIdentity4x4(double m[16]);
// out = a * b.
void MultiplyMatrix4x4(const double a[16], const double b[16], double out[16]);
// m = m * R.
void RotateMatrixZ(double m[16], double a);
void RotateMatrixX(double m[16], double a);
void RotateMatrixY(double m[16], double a);
// m = m * T(dx, dy, dz).
void TranslateMatrix(double m[16], double dx, double dy, double dz);
// p = p * m, divided by its w when m[11] is not 0.
void TransformPoint3d(const double m[16], Point3d& p);
// The same with z = 0; a null m leaves p unchanged.
void TransformPoint2d(const double* m, Point2d& p);
// p = p * (upper-left 3x3 of m).
void RotatePoint3x3(const double m[16], Point3d& p);

double Distance2d(const Point2d& a, const Point2d& b);
double Distance3d(const Point3d& a, const Point3d& b);
// The direction from p to q, in [0, 2 pi).
double AngleOfVector(const Point2d& p, const Point2d& q);
double AngleOfVectorXY(double x1, double y1, double x2, double y2);
// The unit vector from p to q; (0, 0) when they coincide.
void UnitDirection2d(const Point2d& p, const Point2d& q, double& ux, double& uy);
void PolarPoint2d(double cx, double cy, double angle, double r, Point2d& out);
void OffsetPoint2d(double x, double y, double dx, double dy, double t, Point2d& out);
// a in [0, 6.283185307); NaN and infinities give 0.
double NormalizeAngle2Pi(double a);
void RotateVector2d(double a, double& x, double& y);
// v / |v|, or false (v unchanged) when its length is near zero.
bool NormalizeVector3d(Point3d& v);
void CrossProduct3d(const Point3d& a, const Point3d& b, Point3d& out);
void Lerp2d(const double segment[4], double t, Point2d& out);
void Lerp3d(const double segment[6], double t, Point3d& out);

// The intersection of the two infinite lines: 1, or 0 when they are parallel.
int IntersectLines2d(const double s1[4], const double s2[4], Point2d& out);
void PerpendicularFoot2d(const double line[4], const Point2d& p, Point2d& out);
// The parameter of p along s, measured on its longest axis (0 for a point segment).
double ParameterOnSegment2d(const double s[4], const Point2d& p);
double ParameterOnSegment3d(const double s[6], const Point3d& p);
// The parameter along s1 of its point closest to the line of s2.
double ClosestParameter3d(const double s1[6], const double s2[6]);
// 1 with the point where the lines meet (within 1e-6), else 0.
int IntersectLines3d(const double s1[6], const double s2[6], Point3d& out);
// The circle through three points (a = b = radius, rotation 0); false when they are
// collinear or coincide.
bool CircleThrough3Points(const Point2d& p1, const Point2d& p2, const Point2d& p3, Ellipse2d& out);
// The arc from p1 through p2 to p3.
bool ArcThrough3Points(const Point2d& p1, const Point2d& p2, const Point2d& p3, Arc2d& out);
// The arc from p1 to p2 bulging |p1 p2| * factor / 2 to the right of the chord.
bool ArcFromChord(const Point2d& p1, const Point2d& p2, double factor, Arc2d& out);

} // namespace dgn
