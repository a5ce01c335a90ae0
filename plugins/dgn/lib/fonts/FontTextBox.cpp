#include "fonts/FontTextBox.h"

namespace dgn {

// Fonts are loaded through the design file's font cache. Until a design file with fonts
// exists no font can serve a text, and text adds nothing to a range.
bool FontTextBox2d(CDesignFile*, IGeometrySink*, const TextParams2d*, const std::uint8_t*, Point2d[4]) { return false; }

bool FontTextBox3d(CDesignFile*, IGeometrySink*, const TextParams3d*, const std::uint8_t*, Point3d[4]) { return false; }

} // namespace dgn
