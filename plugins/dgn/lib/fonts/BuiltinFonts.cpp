#include "fonts/BuiltinFonts.h"

#include <cstring>

namespace dgn {

namespace {

#include "fonts/BuiltinFonts.inc"

} // namespace

BuiltinFont GetBuiltinFont(const char* name)
{
    if (name && std::strcmp(name, "stdtext.fnt") == 0)
        return {kStdtextFont, sizeof kStdtextFont};
    if (name && std::strcmp(name, "smooth.fnt") == 0)
        return {kSmoothFont, sizeof kSmoothFont};
    if (name && std::strcmp(name, "fancy.fnt") == 0)
        return {kFancyFont, sizeof kFancyFont};
    return {nullptr, 0};
}

} // namespace dgn
