// Fuzz target of the .fnt stroke font reader: the input is a font's data.
#include "FontFuzz.h"
#include "fonts/FntFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace dgn;
    return dgnfuzz::DrawEveryCharacter(
        data, size, [](const std::uint8_t* bytes, std::uint32_t n) { return CFntFont::CreateFromData(bytes, n); },
        [](CFntFont* font, CTransformHelper* range, unsigned char c) { font->EmitGlyph(range, c, 0, 0, 1.5, 2.0, 0.3, 0, 0); },
        7);
}
