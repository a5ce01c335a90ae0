#pragma once
// A ".bmp" file read into a packed device-independent bitmap (header, colour table and bits,
// without the file header) with a palette made from its colour table; from it a
// device-dependent bitmap for the screen. Only bitmaps with a colour table load.
#include <windows.h>

class CDibFile
{
public:
    CDibFile() = default;
    CDibFile(const CDibFile&) = delete;
    CDibFile& operator=(const CDibFile&) = delete;
    ~CDibFile() { Free(); }

    // True when the file is a bitmap of a 12- or 40-byte header whose colour table lies inside
    // the file. Earlier content is freed first.
    bool LoadFile(const wchar_t* path);
    // A bitmap for the screen (the palette selected and realised), or null when nothing is loaded.
    HBITMAP CreateBitmap() const;
    // A copy of the palette for the caller, or null without a colour table.
    HPALETTE CreatePaletteCopy() const;
    void Free();

    HGLOBAL GetDib() const { return m_dib; }
    HPALETTE GetPalette() const { return m_palette; }

private:
    HGLOBAL m_dib = nullptr;
    HPALETTE m_palette = nullptr;
};
