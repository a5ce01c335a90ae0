#pragma once
// The library's three built-in stroke fonts, "stdtext.fnt", "smooth.fnt" and "fancy.fnt", in
// the .fnt layout (FntFont.h); made by make_builtin_fonts.py into BuiltinFonts.inc.
#include <cstdint>

namespace dgn {

struct BuiltinFont {
    const std::uint8_t* data;
    std::uint32_t size;
};

// The font of that name (lower case, as above); no data for another name.
BuiltinFont GetBuiltinFont(const char* name);

} // namespace dgn
