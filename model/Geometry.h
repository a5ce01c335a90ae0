#pragma once
#include <windows.h>
#include <cstddef>
#include "model/RealPoint.h"
#include "model/RealRect.h"

// Number and geometry functions shared by the shapes. A bulged segment between two points is a
// circular arc whose included angle is 4 * atan(|bulge|); a positive bulge turns counter-clockwise
// from the first point to the second (world y up).

// Degrees to radians and back, the factors the shapes use.
constexpr double kDegreesToRadians = 0.017453292519943278;
constexpr double kRadiansToDegrees = 57.29577951308239;

// Nearest int32, halves away from zero. At or beyond the limits, and for NaN, the result
// saturates: 0x7FFFFFFF above, 0x80000001 (not 0x80000000) below.
int FloatToIntClamped(float x);
int DoubleToIntClamped(double x);
// v rounded to n decimals (through the saturating rounding).
double RoundToDecimals(double v, int n);
// Angles in [0, 360] are kept (360 included); others are reduced into [0, 360).
double NormalizeAngleDegrees(double degrees);
// Radians in [1e-5, 2*pi + 1e-5) are kept; others are reduced into [0, 2*pi).
double NormalizeAngleRadians(double radians);
void SinCosDegrees(double degrees, double* sine, double* cosine);

// Foot of the perpendicular from p on the line a-b; with clamp, kept within the segment.
void ProjectPointOnLine(const CRealPoint& p, const CRealPoint& a, const CRealPoint& b, bool clamp,
                        CRealPoint* foot);
// Index of the segment of the polyline nearest to p (the first of equals), its nearest point in
// *nearest. A closed polyline also tests the segment from the last point back to the first (its
// index is count - 1). -1 for no points.
int NearestPointOnPolyline(const CRealPoint* points, int count, const CRealPoint& p, CRealPoint* nearest,
                           bool closed = false);
// Intersection of the lines a1-a2 and b1-b2; 0 when parallel. Unless mode is -1 the point must lie
// within both segments' ranges widened by 1 % of their extents.
int IntersectLines(const CRealPoint& a1, const CRealPoint& a2, const CRealPoint& b1, const CRealPoint& b2,
                   CRealPoint* point, int mode);
// The crossing of the segment a-b with the polyline that lies nearest to a; 0 when none.
int IntersectSegmentWithPolyline(const CRealPoint* points, int count, const CRealPoint& a, const CRealPoint& b,
                                 CRealPoint* point);

// Length of the segment p1-p2 with the bulge of its first vertex (the arc length when bulged).
double BulgedSegmentLength(const CRealPoint& p1, const CRealPoint& p2, double bulge);
int PointsAxisAligned(const CRealPoint* p1, const CRealPoint* p2);
// Area between the chord and the arc of a bulged segment; 0 without points or bulge.
double BulgedSegmentArea(const CRealPoint* p1, const CRealPoint* p2, double bulge);
// Radius of the arc; *angle receives the included angle and *chord the chord length. 0 when a
// point is missing, the points coincide or the bulge is 0.
double BulgeRadius(const CRealPoint* p1, const CRealPoint* p2, double bulge, double* angle, double* chord);
bool BulgeArcCenter(const CRealPoint* p1, const CRealPoint* p2, double bulge, CRealPoint* centre);
int BulgedSegmentBounds(const CRealPoint* p1, const CRealPoint* p2, double bulge, CRealRect* bounds);
// Bounds of the arc of a circle from the start angle counter-clockwise to the end angle (radians).
void ArcBounds(const CRealPoint& centre, double radius, double startAngle, double endAngle, CRealRect* bounds);
int HitTestArcSegment(const CRealPoint* p1, const CRealPoint* p2, double bulge, const CRealPoint& p,
                      double tolerance);

// A rectangle of width and height turned by `angle` (radians), then scaled by kx along x and ky
// along y: the width, height and angle of the result (in place, and *newAngle). A zero width or
// height takes the other's value; false when both are 0.
bool ScaleRotatedExtent(double angle, double kx, double ky, double* width, double* height, double* newAngle);

// Overlap of two rectangles (each normalised first; touching edges overlap). The common part goes
// to *out when given.
int IntersectRects(const RECT* a, const RECT* b, RECT* out);
// The factor that fits `size` into `target` keeping the aspect ratio: mode 1 by width, mode 2 by
// height, any other mode the whole size. 1.0 for an empty target.
double FitScaleFactor(const CRealPointD& size, const CRealPointD& target, int mode);
// A decimal number as definition texts write it ("-.25", "1", "2.5e-1"), independent of the
// process locale. Returns the characters consumed, 0 when no digit was found.
size_t ParseDecimal(const char* p, const char* end, double& value);
// A printf format "%.Nf" with as many decimals N (at most 6) as the value needs; 0 when the
// buffer holds fewer than 5 characters.
int MakeDecimalFormat(double value, char* buffer, size_t capacity);
// The circle through three points; 0 when two coincide or the chords are (nearly) parallel.
int CircleThroughThreePoints(const CRealPoint& p1, const CRealPoint& p2, const CRealPoint& p3,
                             CRealPoint* centre, float* radius);
