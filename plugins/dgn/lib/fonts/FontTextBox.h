#pragma once
// How the range collector measures text: the design file picks the text's font (the wide
// lookup for UTF-16 strings, the narrow one otherwise) and the font gives the corners of the
// text's box.
#include "GeometryTypes.h"

#include <cstdint>

namespace dgn {

class CDesignFile;
class IGeometrySink;
struct TextParams2d;
struct TextParams3d;

// The four corners of the text's box, measured by the text's font from the design file
// (characters 0.6 of the height wide without a file); false without a placement.
bool FontTextBox2d(CDesignFile* file, IGeometrySink* sink, const TextParams2d* placement, const std::uint8_t* text, Point2d corners[4]);
bool FontTextBox3d(CDesignFile* file, IGeometrySink* sink, const TextParams3d* placement, const std::uint8_t* text, Point3d corners[4]);

} // namespace dgn
