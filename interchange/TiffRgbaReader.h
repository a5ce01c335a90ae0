#pragma once
// TIFF rasters that libtiff's own RGBA reader does not take (floating-point samples, 32-bit
// integers and other unusual depths) read into a GDI+ bitmap and handed on encoded as PNG.
// Images the standard reader handles are declined: the platform's decoder reads those.
#include <windows.h>
#include <functional>
#include <string>

class CTiffRgbaReader
{
public:
    // Receives each failure: an image-module code (0x104 ...) and its message.
    using ErrorSink = std::function<void(int code, const char* message)>;
    explicit CTiffRgbaReader(ErrorSink sink = ErrorSink()) : m_sink(std::move(sink)) {}

    // The picture as a movable block of PNG bytes (the caller frees it), or null with *result:
    // E_ACCESSDENIED the file does not open as TIFF, E_OUTOFMEMORY an empty image or one too
    // large to hold, E_UNEXPECTED an image declined (the standard reader takes it) or not read.
    HGLOBAL LoadTiffFile(const std::wstring& path, HRESULT* result);

private:
    void Fail(int code, const std::string& message) const;

    ErrorSink m_sink;
};
