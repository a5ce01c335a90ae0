#include "LineCallback.h"

#include "DgnStringFunctions.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace dgn {

void EmitLine(LineCallback callback, std::size_t capacity, const char* format, ...)
{
    if (!callback || capacity == 0)
        return;
    std::vector<char> line(capacity, '\0');
    va_list args;
    va_start(args, format);
    std::vsnprintf(line.data(), capacity, format, args);
    va_end(args);
    callback(line.data());
}

void EmitWideLine(LineCallback callback, std::size_t capacity, const std::u16string& text)
{
    if (!callback || capacity < 4)
        return;
    // Marker (2 bytes) and zero unit (2 bytes) around the units that fit.
    const std::size_t room = (capacity - 4) / 2;
    const std::size_t n = text.size() < room ? text.size() : room;
    std::vector<char> line(capacity, '\0');
    line[0] = static_cast<char>(0xFF);
    line[1] = static_cast<char>(0xFE);
    for (std::size_t i = 0; i < n; ++i)
        SetUtf16UnitAt(line.data() + 2, i, text[i]);
    callback(line.data());
}

void EmitEnd(LineCallback callback)
{
    if (callback)
        callback(nullptr);
}

std::u16string WidenAscii(const char* text)
{
    std::u16string out;
    for (const char* p = text; p && *p; ++p)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return out;
}

std::u16string FormatWide(const char* format, ...)
{
    char buffer[kLongLineBuffer];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return WidenAscii(buffer);
}

} // namespace dgn
