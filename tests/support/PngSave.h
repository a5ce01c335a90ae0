#pragma once
// A bitmap saved as PNG through the flat GDI+ interface (the C++ wrapper headers are not at hand):
// for the pictures the tests keep for a person to look at.
#include <windows.h>
#include <vector>

// The flat GDI+ interface: enough to save a bitmap as PNG.
extern "C" {
struct GdiplusStartupInputFlat
{
    UINT32 version;
    void* debugCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};
struct ImageCodecInfoFlat
{
    CLSID clsid, formatId;
    const WCHAR *codecName, *dllName, *formatDescription, *filenameExtension, *mimeType;
    DWORD flags, version, sigCount, sigSize;
    const BYTE *sigPattern, *sigMask;
};
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInputFlat* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
int WINAPI GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, HPALETTE palette, void** image);
int WINAPI GdipGetImageEncodersSize(UINT* count, UINT* size);
int WINAPI GdipGetImageEncoders(UINT count, UINT size, ImageCodecInfoFlat* encoders);
int WINAPI GdipSaveImageToFile(void* image, const WCHAR* file, const CLSID* encoder, const void* parameters);
int WINAPI GdipDisposeImage(void* image);
}

inline bool SavePng(HBITMAP bitmap, const wchar_t* path)
{
    GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) != 0)
        return false;
    bool saved = false;
    UINT count = 0, size = 0;
    GdipGetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<ImageCodecInfoFlat*>(buffer.data());
    void* image = nullptr;
    if (size && GdipGetImageEncoders(count, size, encoders) == 0 && GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == 0) {
        for (UINT i = 0; i < count; ++i) {
            if (encoders[i].mimeType && lstrcmpiW(encoders[i].mimeType, L"image/png") == 0) {
                saved = GdipSaveImageToFile(image, path, &encoders[i].clsid, nullptr) == 0;
                break;
            }
        }
        GdipDisposeImage(image);
    }
    GdiplusShutdown(token);
    return saved;
}

