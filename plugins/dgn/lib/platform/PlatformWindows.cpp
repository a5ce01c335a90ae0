// The library's operating-system seam on Windows: Win32 files, the ANSI code page, critical
// sections and the system's case tables. wchar_t is 16 bits here, so UTF-16 text passes to
// the W functions as it is.
#include "platform/Platform.h"

#include <windows.h>

#include <io.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

bool Keep(HANDLE h, FileHandle* out)
{
    if (h == INVALID_HANDLE_VALUE) {
        *out = 0;
        return false;
    }
    *out = reinterpret_cast<FileHandle>(h);
    return true;
}

HANDLE Handle(FileHandle h) { return reinterpret_cast<HANDLE>(h); }

} // namespace

bool OpenFileForRead(const char* path, FileHandle* out)
{
    if (!out)
        return false;
    if (!path) {
        *out = 0;
        return false;
    }
    return Keep(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr), out);
}

bool OpenFileForReadW(const char16_t* path, FileHandle* out)
{
    if (!out)
        return false;
    if (!path) {
        *out = 0;
        return false;
    }
    return Keep(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr), out);
}

bool OpenFileForWrite(const char* path, FileHandle* out)
{
    if (!out)
        return false;
    if (!path) {
        *out = 0;
        return false;
    }
    return Keep(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr), out);
}

bool OpenFileForWriteW(const char16_t* path, FileHandle* out)
{
    if (!out)
        return false;
    if (!path) {
        *out = 0;
        return false;
    }
    return Keep(CreateFileW(Wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr), out);
}

bool CloseFile(FileHandle* handle)
{
    if (handle && *handle) {
        CloseHandle(Handle(*handle));
        *handle = 0;
    }
    return true;
}

std::uint64_t GetFileLength(FileHandle handle)
{
    LARGE_INTEGER size;
    if (!handle || !GetFileSizeEx(Handle(handle), &size) || size.QuadPart < 0)
        return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint32_t ReadFileBytes(FileHandle handle, std::uint32_t count, void* buffer)
{
    DWORD read = 0;
    if (!handle || !ReadFile(Handle(handle), buffer, count, &read, nullptr))
        return 0;
    return read;
}

bool WriteFileBytes(FileHandle handle, std::uint32_t count, const void* buffer)
{
    DWORD written = 0;
    return handle && WriteFile(Handle(handle), buffer, count, &written, nullptr) && written == count;
}

// Both conversions keep what fits when the output is too small (the Win32 calls would convert
// nothing), as the native seam does.
std::FILE* OpenStdioFileW(const char16_t* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i]; ++i)
        wideMode[i] = static_cast<wchar_t>(static_cast<unsigned char>(mode[i]));
    return _wfopen(Wide(path), wideMode);
}

bool SetStdioPosition(std::FILE* file, std::int64_t position)
{
    return file && position >= 0 && _fseeki64(file, position, SEEK_SET) == 0;
}

std::int64_t GetStdioPosition(std::FILE* file)
{
    if (!file)
        return -1;
    const __int64 at = _ftelli64(file);
    return at < 0 ? -1 : at;
}

std::int64_t GetStdioLength(std::FILE* file)
{
    if (!file || _fseeki64(file, 0, SEEK_END) != 0)
        return -1;
    return GetStdioPosition(file);
}

bool TruncateStdioFile(std::FILE* file, std::uint64_t size)
{
    if (!file || size > 0x7FFFFFFFFFFFFFFFull || std::fflush(file) != 0)
        return false;
    // The run-time's own size change is limited to 31 bits in the older run-times; the handle
    // under the descriptor takes any size.
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

int AnsiToUtf16(const char* text, int n, char16_t* out, int capacity)
{
    if (n <= 0 || capacity <= 0)
        return 0;
    wchar_t* w = reinterpret_cast<wchar_t*>(out);
    const int done = MultiByteToWideChar(CP_ACP, 0, text, n, w, capacity);
    if (done || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return done;
    const int need = MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
    wchar_t* all = static_cast<wchar_t*>(std::malloc(static_cast<std::size_t>(need) * sizeof(wchar_t)));
    if (!all)
        return 0;
    MultiByteToWideChar(CP_ACP, 0, text, n, all, need);
    std::memcpy(w, all, static_cast<std::size_t>(capacity) * sizeof(wchar_t));
    std::free(all);
    return capacity;
}

int Utf16ToAnsi(const char16_t* text, int n, char* out, int capacity)
{
    if (n <= 0 || capacity <= 0)
        return 0;
    const int done = WideCharToMultiByte(CP_ACP, 0, Wide(text), n, out, capacity, nullptr, nullptr);
    if (done || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return done;
    const int need = WideCharToMultiByte(CP_ACP, 0, Wide(text), n, nullptr, 0, nullptr, nullptr);
    char* all = static_cast<char*>(std::malloc(static_cast<std::size_t>(need)));
    if (!all)
        return 0;
    WideCharToMultiByte(CP_ACP, 0, Wide(text), n, all, need, nullptr, nullptr);
    std::memcpy(out, all, static_cast<std::size_t>(capacity));
    std::free(all);
    return capacity;
}

char16_t UpperCase16(char16_t c)
{
    wchar_t w = static_cast<wchar_t>(c);
    CharUpperBuffW(&w, 1);
    return static_cast<char16_t>(w);
}

char16_t LowerCase16(char16_t c)
{
    wchar_t w = static_cast<wchar_t>(c);
    CharLowerBuffW(&w, 1);
    return static_cast<char16_t>(w);
}

void* CreateScreenBitmap(const std::uint8_t* dib, std::uint32_t size, std::int32_t* width, std::int32_t* height)
{
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    if (!dib || size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biPlanes != 1 || header.biCompression != BI_RGB)
        return nullptr;
    const std::uint32_t bits = header.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    std::uint64_t colors = header.biClrUsed;
    if (colors == 0 && bits <= 8)
        colors = 1ull << bits;
    const std::uint64_t rows = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(header.biWidth) * bits + 31) / 32) * 4;
    const std::uint64_t bitsAt = header.biSize + 4 * colors;
    // The header, the palette and every row must lie inside the value.
    if (bitsAt > size || stride * rows > size - bitsAt)
        return nullptr;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return nullptr;
    HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, dib + bitsAt, reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (bitmap) {
        if (width)
            *width = header.biWidth;
        if (height)
            *height = static_cast<std::int32_t>(rows);
    }
    return bitmap;
}

void DeleteScreenBitmap(void* bitmap)
{
    if (bitmap)
        DeleteObject(static_cast<HBITMAP>(bitmap));
}

bool DrawScreenBitmap(void* deviceContext, void* bitmap, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    if (!deviceContext || !bitmap)
        return false;
    HDC target = static_cast<HDC>(deviceContext);
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return false;
    HGDIOBJ old = SelectObject(source, static_cast<HBITMAP>(bitmap));
    const bool ok = BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY) != 0;
    SelectObject(source, old);
    DeleteDC(source);
    return ok;
}

namespace {

// A DIB section and the memory device context it is selected into.
struct DibSection {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    std::int32_t width;
    std::int32_t height;
};

} // namespace

void* CreateDibSection(std::int32_t width, std::int32_t height, std::uint32_t stride, std::uint8_t** bits)
{
    *bits = nullptr;
    if (width <= 0 || height <= 0 || static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) > 0x7FFFFFFFu)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap || !pixels) {
        if (bitmap)
            DeleteObject(bitmap);
        return nullptr;
    }
    DibSection* s = new (std::nothrow) DibSection{CreateCompatibleDC(nullptr), bitmap, nullptr, width, height};
    if (!s) {
        DeleteObject(bitmap);
        return nullptr;
    }
    if (s->dc)
        s->previous = SelectObject(s->dc, bitmap);
    *bits = static_cast<std::uint8_t*>(pixels);
    return s;
}

void DeleteDibSection(void* section)
{
    DibSection* s = static_cast<DibSection*>(section);
    if (!s)
        return;
    if (s->dc) {
        SelectObject(s->dc, s->previous);
        DeleteDC(s->dc);
    }
    DeleteObject(s->bitmap);
    delete s;
}

void* DibSectionContext(void* section) { return section ? static_cast<DibSection*>(section)->dc : nullptr; }

bool BlitDibSection(void* deviceContext, void* section, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool stretch)
{
    DibSection* s = static_cast<DibSection*>(section);
    if (!deviceContext || !s || !s->dc)
        return false;
    HDC target = static_cast<HDC>(deviceContext);
    if (stretch)
        return StretchBlt(target, x, y, w, h, s->dc, 0, 0, s->width, s->height, SRCCOPY) != 0;
    return BitBlt(target, x, y, s->width, s->height, s->dc, 0, 0, SRCCOPY) != 0;
}

void* CreateTrueTypeFont(const char16_t* face, std::int32_t height, std::int32_t angle)
{
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfEscapement = angle;
    lf.lfOrientation = angle;
    lf.lfWeight = 0;
    lf.lfCharSet = 1;
    lf.lfOutPrecision = 4;
    lf.lfClipPrecision = 0;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 0x34;
    for (int i = 0; face && i < LF_FACESIZE - 1 && face[i]; ++i)
        lf.lfFaceName[i] = static_cast<WCHAR>(face[i]);
    return CreateFontIndirectW(&lf);
}

void DeleteTrueTypeFont(void* font)
{
    if (font)
        DeleteObject(static_cast<HFONT>(font));
}

bool MeasureTrueTypeText(void* deviceContext, void* font, const char16_t* text, std::int32_t n, double* width)
{
    if (!deviceContext || !font || !text || n < 0 || !width)
        return false;
    HDC dc = static_cast<HDC>(deviceContext);
    HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
    SIZE size = {};
    const bool ok = GetTextExtentPoint32W(dc, Wide(text), n, &size) != 0;
    SelectObject(dc, old);
    *width = ok ? size.cx : 0.0;
    return ok;
}

bool DrawTrueTypeText(void* deviceContext, void* font, std::int32_t x, std::int32_t y, const char16_t* text, std::int32_t n)
{
    if (!deviceContext || !font || !text || n < 0)
        return false;
    HDC dc = static_cast<HDC>(deviceContext);
    HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
    const bool ok = ExtTextOutW(dc, x, y, 0, nullptr, Wide(text), static_cast<UINT>(n), nullptr) != 0;
    SelectObject(dc, old);
    return ok;
}

std::int64_t CurrentCalendarSeconds()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::int64_t ticks = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    // 100-ns ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
    return ticks / 10000000 - 11644473600LL;
}

CPlatformLock* CPlatformLock::Create()
{
    CRITICAL_SECTION* cs = new (std::nothrow) CRITICAL_SECTION;
    if (!cs)
        return nullptr;
    CPlatformLock* lock = new (std::nothrow) CPlatformLock;
    if (!lock) {
        delete cs;
        return nullptr;
    }
    InitializeCriticalSection(cs);
    lock->m_impl = cs;
    return lock;
}

CPlatformLock::~CPlatformLock()
{
    CRITICAL_SECTION* cs = static_cast<CRITICAL_SECTION*>(m_impl);
    DeleteCriticalSection(cs);
    delete cs;
}

void CPlatformLock::Enter() { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(m_impl)); }
void CPlatformLock::Leave() { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(m_impl)); }

} // namespace dgn
