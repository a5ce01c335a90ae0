#pragma once
// The files the plug-in tests write and read: pictures written by GDI+, whole files read as bytes.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <cstdio>
#include <string>
#include <vector>

namespace plugintest {

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A picture file written by GDI+ in the format of the MIME type: the left half of the picture in
// one colour, the right half in the other.
inline void WritePicture(const std::wstring& path, const wchar_t* mime, int width, int height, Gdiplus::Color left,
                         Gdiplus::Color right)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    {
        Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap.SetPixel(x, y, x < width / 2 ? left : right);
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(codecs[i].MimeType) == mime)
                bitmap.Save(path.c_str(), &codecs[i].Clsid, nullptr);
    }
    Gdiplus::GdiplusShutdown(token);
}

// A small enhanced metafile at path, 200 x 100: a frame and a diagonal. The path.
inline std::string WriteMetafile(const std::string& path)
{
    HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    Rectangle(dc, 0, 0, 200, 100);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 200, 100);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    return path;
}

// The bytes of a file; none when it cannot be opened.
inline std::vector<BYTE> FileBytes(const std::string& path)
{
    std::vector<BYTE> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    BYTE block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + n);
    std::fclose(file);
    return bytes;
}

} // namespace plugintest
