// Fuzz target of the SHX shape font reader: the input is a shape file.
#include "FontFuzz.h"
#include "fonts/ShxFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace dgn;
    return dgnfuzz::DrawEveryCharacter(
        data, size, [](const std::uint8_t* bytes, std::uint32_t n) { return CShxFont::CreateFromData(bytes, n); },
        [](CShxFont* font, CTransformHelper* range, unsigned char c) { font->EmitShape(range, c, 0, 0, 1.5, 2.0, 0.3, 0, 0); },
        0);
}
