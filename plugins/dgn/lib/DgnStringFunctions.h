#pragma once
// Raw DGN strings and C strings.
//
// A DGN string is a byte buffer whose first bytes tell its width:
//   first byte below 0xFF              8-bit text from byte 0, one zero byte ends it
//   0xFF 0xFD                          UTF-16 text from byte 2, one zero unit ends it
//   0xFF 0xFE 0x01 0x00                8-bit text from byte 4
//   0xFF 0xFE, then anything else      UTF-16 text from byte 2
//   0xFF, then anything but FD or FE   8-bit text from byte 0
// UTF-16 units are little-endian. "A" and "W" twins take 8-bit (ANSI code page) and UTF-16
// text; wide text is char16_t on every build.
#include <cstddef>
#include <cstdint>

namespace dgn {

// The text after the marker (0, 2 or 4 bytes in).
const char* SkipDgnStringMarker(const char* s);
char* SkipDgnStringMarker(char* s);
// True for the two UTF-16 forms; false for null.
bool IsWideDgnString(const char* s);
// First byte 0xFF and second 0xFE.
bool HasFFFEMarker(const char* s);
// Bytes of marker, text and terminator.
std::uint32_t DgnStringByteLength(const char* s);

// n < 1 converts up to the terminator. Converts n characters into w (room for n + 1 units)
// and terminates; the number of units converted.
int AnsiToWide(char16_t* w, const char* s, int n);
// n < 1 converts up to the terminator. Converts n units into s (room for n + 1 bytes) and
// terminates; the number of bytes written.
int WideToAnsi(char* s, const char16_t* w, int n);

std::size_t StrLenA(const char* s);
std::size_t StrLenW(const char16_t* s);
// The part after the last '\\', ':' or '/'; the whole string when there is none.
const char* FindFileNameA(const char* path);
const char16_t* FindFileNameW(const char16_t* path);
// The terminator.
char* StrEndA(char* s);
char16_t* StrEndW(char16_t* s);
// Copies s to d; the copied terminator.
char* StrCopyEndA(char* d, const char* s);
char16_t* StrCopyEndW(char16_t* d, const char16_t* s);
// Copies s to the end of d; where it was appended.
char16_t* StrAppendW(char16_t* d, const char16_t* s);
// Copies name over the file-name part of path; where it was copied.
char16_t* ReplaceFileNameW(char16_t* path, const char16_t* name);

// Turns the text in buf into a DGN string in place (buf must have room for the marker).
// Wide: buf holds UTF-16 text (copied from text first when text is given and is not buf),
// which moves up 2 bytes behind 0xFF 0xFE (markFE) or 0xFF 0xFD. 8-bit: text is copied into
// buf; with markFE it then moves up 4 bytes behind 0xFF 0xFE 0x01 0x00. Returns buf.
char* MakeDgnString(char* buf, const void* text, bool wide, bool markFE);

// The little-endian UTF-16 unit i of a byte buffer (buffers need not be aligned).
char16_t Utf16UnitAt(const char* p, std::size_t i);
void SetUtf16UnitAt(char* p, std::size_t i, char16_t unit);

} // namespace dgn
