#pragma once
// Descriptions: elements and attribute linkages describe themselves to a caller's callback, one
// line per call. A line is a narrow string, or, when it carries wide text (a UTF-16 name), a
// marked wide DGN string (0xFF 0xFE, then UTF-16 units and a zero unit) in the same buffer.
// An element ends its description with a call with a null line.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dgn {

using LineCallback = void (*)(const char* line);

// The sizes of the line buffers: 256 bytes, 512 for the linkages that print strings.
constexpr std::size_t kLineBuffer = 256;
constexpr std::size_t kLongLineBuffer = 512;

// Formats a narrow line into a buffer of capacity bytes (cut to fit) and hands it on; nothing
// without a callback.
void EmitLine(LineCallback callback, std::size_t capacity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
// Hands on a wide line as a marked wide DGN string in a buffer of capacity bytes: the marker,
// as many units of text as fit before the zero unit, the zero unit.
void EmitWideLine(LineCallback callback, std::size_t capacity, const std::u16string& text);
// The end of a description.
void EmitEnd(LineCallback callback);

// Wide text of narrow text, byte for byte (the formatted numbers and fixed words of a line).
std::u16string WidenAscii(const char* text);
// printf into a narrow string, widened: the numeric parts of a wide line.
std::u16string FormatWide(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace dgn
