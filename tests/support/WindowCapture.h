#pragma once
// Pictures of windows for a person to look at, kept as build artefacts (<build>/artefacts/NAME.png).
// Under the null display driver PrintWindow and WM_PRINT paint a dialog's background only; a
// window repainted at once with all its children and copied from its window context shows the
// tabs, controls and texts.
#include <windows.h>
#include <cstdlib>
#include <string>
#include "tests/support/PngSave.h"

// The artefact's path for GDI+ (a Wine path of the build folder), the folder made when missing.
inline std::wstring ArtefactPath(const char* name)
{
    const char* build = std::getenv("YVEX_BINARY_DIR");
    std::string folder = build && *build ? std::string("Z:") + build + "/artefacts" : std::string("artefacts");
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + name + ".png";
    return std::wstring(path.begin(), path.end());
}

// The window as it shows now, saved as PNG; false when nothing could be captured or saved.
inline bool CaptureWindowToPng(HWND window, const std::wstring& path)
{
    if (!window || !IsWindow(window))
        return false;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT frame = {};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC source = GetWindowDC(window);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC target = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(target, dib);
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(target, old);
    ReleaseDC(window, source);
    const bool saved = dib && SavePng(dib, path.c_str());
    DeleteObject(dib);
    DeleteDC(target);
    return saved;
}
