#pragma once
// The DGN library's one seam to the operating system. Everything that differs between the
// Windows plug-in and the native (Linux) build of the library lives behind these functions:
// file handles, code-page conversion, the library lock, the calendar clock and the case
// mapping of UTF-16 text. Only PlatformWindows.cpp includes the Windows headers; the rest
// of the library is plain C++ and spells wide text as char16_t on every build.
//
// PlatformWindows.cpp calls Win32 (CreateFile, MultiByteToWideChar with the ANSI code page,
// critical sections, CharUpperBuffW). PlatformPosix.cpp uses POSIX files, a fixed
// Windows-1252 table for the "ANSI" code page (so native results match a Western Windows),
// a recursive mutex and the C.UTF-8 case tables.
#include <cstdint>
#include <cstdio>

namespace dgn {

// An open file; 0 means none.
using FileHandle = std::intptr_t;

// Opens an existing file for reading (shared with other readers). True with a valid handle.
bool OpenFileForRead(const char* path, FileHandle* out);
bool OpenFileForReadW(const char16_t* path, FileHandle* out);
// Creates or truncates a file for reading and writing, not shared.
bool OpenFileForWrite(const char* path, FileHandle* out);
bool OpenFileForWriteW(const char16_t* path, FileHandle* out);
// Closes the handle (when open) and sets it to 0. Always true.
bool CloseFile(FileHandle* handle);
// The file's size (64 bits: files may pass 4 GB); 0 when it cannot be read.
std::uint64_t GetFileLength(FileHandle handle);
// Reads up to count bytes; the number read, 0 on failure or at the end.
std::uint32_t ReadFileBytes(FileHandle handle, std::uint32_t count, void* buffer);
// True when all count bytes were written.
bool WriteFileBytes(FileHandle handle, std::uint32_t count, const void* buffer);

// C run-time streams with 64-bit positions (the compound-file library's file layer).
// Opens the file named by a wide path with an fopen mode ("rb", "r+b", "w+b"); null on failure.
std::FILE* OpenStdioFileW(const char16_t* path, const char* mode);
// Moves to an absolute byte position; true on success.
bool SetStdioPosition(std::FILE* file, std::int64_t position);
// The current byte position, or -1.
std::int64_t GetStdioPosition(std::FILE* file);
// The file's length (its end), or -1.
std::int64_t GetStdioLength(std::FILE* file);
// Writes out what the stream holds and cuts or extends the file to size bytes; true on success.
bool TruncateStdioFile(std::FILE* file, std::uint64_t size);

// Converts n bytes of ANSI text into at most capacity UTF-16 units; the number of units
// written (no terminator is added).
int AnsiToUtf16(const char* text, int n, char16_t* out, int capacity);
// Converts n UTF-16 units into at most capacity ANSI bytes (unmappable characters become
// '?'); the number of bytes written (no terminator is added).
int Utf16ToAnsi(const char16_t* text, int n, char* out, int capacity);

// Simple (one unit to one unit) case mapping of UTF-16 text.
char16_t UpperCase16(char16_t c);
char16_t LowerCase16(char16_t c);

// A device bitmap for the screen made from a packed device-independent bitmap (the header,
// its palette, the bits; size bytes at dib), with its width and height; null when the bitmap
// is not one that can be made, and always on a system without a display (the native build).
void* CreateScreenBitmap(const std::uint8_t* dib, std::uint32_t size, std::int32_t* width, std::int32_t* height);
void DeleteScreenBitmap(void* bitmap);
// Copies the bitmap, width x height, to (x, y) of a device context; false when it cannot.
bool DrawScreenBitmap(void* deviceContext, void* bitmap, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// A 24-bit bottom-up device-independent bitmap of width x height, its rows of stride bytes
// at *bits: a DIB section selected into a memory device context where there is GDI, a plain
// zeroed pixel buffer in the native build. Null (and *bits null) when none can be made.
void* CreateDibSection(std::int32_t width, std::int32_t height, std::uint32_t stride, std::uint8_t** bits);
void DeleteDibSection(void* section);
// The memory device context the section is selected into (null in the native build).
void* DibSectionContext(void* section);
// The whole section (width x height) to (x, y, w, h) of a device context: stretched
// (StretchBlt) or copied (BitBlt, w and h ignored), with SRCCOPY; false when it cannot.
bool BlitDibSection(void* deviceContext, void* section, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool stretch);

// TrueType fonts through GDI (none on a system without GDI, the native build). A font of the
// face (at most 32 units), pixel height and angle in tenths of a degree: character set 1,
// output precision 4, quality 1, pitch and family 0x34; null when none can be made.
void* CreateTrueTypeFont(const char16_t* face, std::int32_t height, std::int32_t angle);
void DeleteTrueTypeFont(void* font);
// The extent of n units of text in the font on the device context; false when it cannot be
// measured.
bool MeasureTrueTypeText(void* deviceContext, void* font, const char16_t* text, std::int32_t n, double* width);
// Draws n units of text with the font at (x, y) of the device context (no options, no
// clipping, no spacing array).
bool DrawTrueTypeText(void* deviceContext, void* font, std::int32_t x, std::int32_t y, const char16_t* text, std::int32_t n);

// Seconds since 1970-01-01 UTC.
std::int64_t CurrentCalendarSeconds();

// A recursive lock (the same thread may enter it again).
class CPlatformLock {
public:
    // A new lock, or null when memory runs out.
    static CPlatformLock* Create();
    ~CPlatformLock();
    void Enter();
    void Leave();
    CPlatformLock(const CPlatformLock&) = delete;
    CPlatformLock& operator=(const CPlatformLock&) = delete;

private:
    CPlatformLock() = default;
    void* m_impl = nullptr;
};

} // namespace dgn
