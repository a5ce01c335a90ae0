#pragma once
// The texts of the string-bearing linkages (strings, level filters): DGN strings stored as
// their content bytes (marker and text, no terminator) with the byte count beside them.
#include "LineCallback.h"

#include <cstdint>
#include <string>

namespace dgn {

class CDgnString;

// Stores n content bytes that carry no terminator (one is added). False when memory runs out.
bool AssignContentBytes(CDgnString& s, const std::uint8_t* bytes, std::uint32_t n);
// The content bytes of s (marker and text) and their count.
const std::uint8_t* ContentBytes(CDgnString& s, std::uint32_t* n);
// The text of s after its marker: narrow text (for a narrow string) or UTF-16 units.
std::string NarrowText(CDgnString& s);
std::u16string WideText(CDgnString& s);
// The content bytes of a whole DGN string: its byte length without its terminator (1 byte
// for 8-bit text, 2 for UTF-16).
std::uint32_t OwnContentLength(const char* text);
// An empty text in a caller's buffer of capacity bytes (a zero byte, a zero unit when there is
// room for one).
void ClearTextBuffer(char* buffer, std::uint32_t capacity);
// Copies the text into a caller's buffer of capacity bytes, terminated and cut to fit: the
// narrow text, or for a wide string its UTF-16 units (a zero unit ends them). An empty buffer
// for capacity too small.
void CopyTextToBuffer(CDgnString& s, char* buffer, std::uint32_t capacity);

} // namespace dgn
