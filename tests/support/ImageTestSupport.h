#pragma once
// Pictures for the tests of image resources and image hatch patterns: GDI+ running for the test
// program's life (the control's module starts it for its controls), and small encoded pictures
// made in memory.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cstdint>
#include <functional>
#include <vector>

namespace imagetest {

// GDI+ started once for the whole test program.
inline void EnsureGdiplus()
{
    static ULONG_PTR token = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR t = 0;
        Gdiplus::GdiplusStartup(&t, &input, nullptr);
        return t;
    }();
    (void)token;
}

// A 24-bit BMP file of the given size; colour(x, y) with y counted from the top row.
inline std::vector<BYTE> MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour)
{
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride * height);
    std::vector<BYTE> file(14 + 40 + imageSize);
    auto put16 = [&](size_t at, uint32_t v) { file[at] = v & 0xFF; file[at + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height)); // bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    put32(38, 3780); // 96 dpi
    put32(42, 3780);
    for (int y = 0; y < height; ++y) {
        BYTE* row = &file[54 + static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return file;
}

// A picture of four quadrants: top left, top right, bottom left, bottom right.
inline std::vector<BYTE> MakeQuadrants(int side, COLORREF tl, COLORREF tr, COLORREF bl, COLORREF br)
{
    return MakeBmp(side, side, [=](int x, int y) {
        const bool right = x >= side / 2, bottom = y >= side / 2;
        return bottom ? (right ? br : bl) : (right ? tr : tl);
    });
}

// The bytes of an enhanced metafile of one filled rectangle in the colour.
inline std::vector<BYTE> MakeEmf(COLORREF colour)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT r{0, 0, 40, 40};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::vector<BYTE> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(emf);
    return bytes;
}

} // namespace imagetest
