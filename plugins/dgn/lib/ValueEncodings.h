#pragma once
// Readers of the scalar values in DGN element records. Each takes a cursor (the address of a
// byte pointer into the record) and moves it past what it read.
//
// V7 records are made of little-endian 16-bit words; a 32-bit value stores its high word
// first, angles count 1/360000 degree, doubles are VAX D-floats and quaternion components are
// integers scaled by 1/2147483647. V8 records hold native little-endian values. The library
// writes V8 only, so there are no V7 writers. These readers check no bounds: the element
// readers guarantee that the record holds the field. The complex component counters are the
// exception: they never look outside the loaded file image.
#include <cstddef>
#include <cstdint>

namespace dgn {

// 1/360000 degree, and the library's degree/radian factors (3.1415926535/180 and its inverse,
// kept as the files' producers computed them, not the exact pi/180).
constexpr double kAngleUnitDegrees = 2.777777777777778e-6;
constexpr double kDegreesToRadians = 0.017453292519444445;
constexpr double kRadiansToDegrees = 57.29577951471995;
// The double nearest 1/2147483647: a stored 2147483647 reads as exactly 1.0.
constexpr double kQuaternionScale = 4.656612875245797e-10;

std::uint16_t ReadV7UInt16(const std::uint8_t** cursor);
std::int32_t ReadV7Int32(const std::uint8_t** cursor);
std::int64_t ReadV7Int32Extended(const std::uint8_t** cursor);
// Two's complement angle, in radians.
double ReadV7Angle(const std::uint8_t** cursor);
// Sign (bit 31) and magnitude angle, in radians.
double ReadV7SignMagnitudeAngle(const std::uint8_t** cursor);
double ReadVaxDouble(const std::uint8_t** cursor);
void ReadV7Quaternion(const std::uint8_t** cursor, double out[4]);
void ReadV8Quaternion(const std::uint8_t** cursor, double out[4]);

double DegreesToRadians(double degrees);
double RadiansToDegrees(double radians);

// The file image that the V7 loader has read into memory, which bounds the complex component
// counters; (null, 0) clears it.
void SetLoadedFileImage(const std::uint8_t* data, std::size_t size);

// Read the total-length field of a complex header at the cursor (a V7 32-bit integer, resp.
// a 16-bit word), move past it, and count the element records that follow the header within
// that length. 0 when the header, the length field, the complex or any record header of it
// reaches past the loaded file image.
std::uint32_t CountComplexComponents32(const std::uint8_t* record, const std::uint8_t** cursor);
std::uint32_t CountComplexComponents16(const std::uint8_t* record, const std::uint8_t** cursor);

} // namespace dgn
