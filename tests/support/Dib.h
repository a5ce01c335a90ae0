#pragma once
// A 32-bit top-down DIB section selected into a memory context (MM_TEXT), filled with one value
// to begin with (grey unless told), whose pixels a test reads and counts: for the drawing tests
// of the model and of the control.
#include <windows.h>

namespace drawtest {

struct Dib
{
    Dib(int w, int h, DWORD fill = 0x808080) : width(w), height(h)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~Dib()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    // Every pixel set to the value (0x00RRGGBB as the section stores it).
    void Fill(DWORD value)
    {
        GdiFlush();
        for (int i = 0; i < width * height; ++i)
            bits[i] = value;
    }
    // The pixel as a COLORREF (0x00BBGGRR).
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD v = bits[y * width + x] & 0xFFFFFF;
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(COLORREF c, const RECT& r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += Pixel(x, y) == c;
        return n;
    }

    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    DWORD* bits = nullptr;
};

} // namespace drawtest
