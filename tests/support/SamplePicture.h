#pragma once
// What the sample pictures share (style_sample, hatch_sample): labels in the y-up logical plane
// and the picture of an off-screen buffer saved as PNG (PngSave.h).
#include <windows.h>
#include <cstdio>
#include <string>
#include "control/ControlCore.h"
#include "control/OffscreenBuffer.h"
#include "model/Geometry.h"
#include "model/ViewMapping.h"
#include "tests/support/PngSave.h"

// The picture's path from the command line (UTF-16 for GDI+); false after printing the usage.
inline bool OutputArgument(int argc, char** argv, const char* program, wchar_t (&output)[MAX_PATH])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", program);
        return false;
    }
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, output, MAX_PATH);
    return true;
}

inline void Label(HDC dc, CControlCore& control, float x, float y, const std::string& text)
{
    const CRealPointD p = control.GetCurrentViewport().WorldToLogical(x, y);
    LOGFONTA font = {};
    font.lfHeight = -28; // 2.8 mm
    lstrcpyA(font.lfFaceName, "Arial");
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0x404040);
    // Glyphs follow the y-up mapping in the advanced mode (mirrored); the compatible mode keeps
    // them upright.
    const int mode = SetGraphicsMode(dc, GM_COMPATIBLE);
    TextOutA(dc, DoubleToIntClamped(p.x), DoubleToIntClamped(p.y), text.c_str(), static_cast<int>(text.size()));
    SetGraphicsMode(dc, mode);
    SelectObject(dc, old);
    DeleteObject(handle);
}

// A sample picture composed in the control's off-screen buffer (made on the screen), then copied
// into a DIB section and saved as PNG.
class SamplePicture
{
public:
    SamplePicture(int width, int height) : m_screen(GetDC(nullptr)), m_width(width), m_height(height)
    {
        m_buffer.Create(m_screen, RECT{0, 0, width, height});
    }
    ~SamplePicture() { ReleaseDC(nullptr, m_screen); }
    SamplePicture(const SamplePicture&) = delete;
    SamplePicture& operator=(const SamplePicture&) = delete;
    HDC Dc() const { return m_buffer.GetBaseDC(); }

    bool Save(const wchar_t* path)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC target = CreateCompatibleDC(m_screen);
        HBITMAP dib = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(target, dib);
        m_buffer.CopyBaseToComposite();
        m_buffer.BlitTo(target);
        SelectObject(target, old);
        const bool saved = SavePng(dib, path);
        DeleteObject(dib);
        DeleteDC(target);
        return saved;
    }

private:
    HDC m_screen;
    int m_width, m_height;
    COffscreenBuffer m_buffer;
};
