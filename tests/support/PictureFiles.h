#pragma once
// Picture files the tests write for the control to load: paths in the temporary folder and a
// plain white BMP of a given size.
#include <windows.h>
#include <string>
#include <vector>

namespace picturefiles {

inline std::wstring TempPath(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

// A white 24-bit BMP file; false when it could not be written.
inline bool WriteWhiteBmp(const std::wstring& path, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB,
                             static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<unsigned char> pixels(info.biSizeImage, 0xFF);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, &file, sizeof file, &written, nullptr) &&
                    WriteFile(h, &info, sizeof info, &written, nullptr) &&
                    WriteFile(h, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(h);
    return ok;
}

} // namespace picturefiles
