#pragma once
// The body shared by the stroke font readers' fuzz targets: the input is a font's data. Every
// character is drawn into a range collector, and a text of all of them measured and drawn, in
// 2-D and 3-D.
#include "TransformHelper.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dgnfuzz {

// create(bytes, size) makes the font or null; emit(font, range, character) draws one character.
template <class Create, class Emit>
int DrawEveryCharacter(const std::uint8_t* data, std::size_t size, Create create, Emit emit, int justification)
{
    using namespace dgn;
    if (size > (1u << 20))
        return 0;
    // The data in a block of exactly its size, so that any read past it is caught.
    std::vector<std::uint8_t> block(data, data + size);
    auto* font = create(block.empty() ? nullptr : block.data(), static_cast<std::uint32_t>(block.size()));
    if (!font)
        return 0;
    CTransformHelper* range = CTransformHelper::Create();
    if (range) {
        std::uint8_t text[256];
        for (int c = 1; c < 256; ++c) {
            emit(font, range, static_cast<unsigned char>(c));
            text[c - 1] = static_cast<std::uint8_t>(c);
        }
        text[255] = 0;
        TextParams2d p2 = {};
        p2.height = 12;
        p2.lengthMultiplier = p2.heightMultiplier = 1;
        p2.justification = justification;
        font->Width2d(range, &p2, text);
        font->Draw2d(range, &p2, text);
        TextParams3d p3 = {};
        p3.height = 12;
        p3.lengthMultiplier = p3.heightMultiplier = 1;
        p3.q[0] = 1;
        font->Draw3d(range, &p3, text);
        delete range;
    }
    font->Release();
    return 0;
}

} // namespace dgnfuzz
