#pragma once
// Text between the ANSI code page (CP_ACP) and UTF-16. A string converts up to its first NUL, as
// a C string would (names kept in fixed buffers carry their padding); the pointer-and-length forms
// convert exactly the characters given. Null or empty gives an empty result, and so does a text
// too long for the conversion functions.
#include <windows.h>
#include <climits>
#include <cstring>
#include <string>

namespace ycom {

inline std::wstring AnsiToWide(const char* text, size_t length)
{
    if (!text || length == 0 || length > static_cast<size_t>(INT_MAX))
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), &out[0], n);
    return out;
}

inline std::wstring AnsiToWide(const char* text) { return text ? AnsiToWide(text, std::strlen(text)) : std::wstring(); }
inline std::wstring AnsiToWide(const std::string& text) { return AnsiToWide(text.c_str()); }

inline std::string WideToAnsi(const wchar_t* text, size_t length)
{
    if (!text || length == 0 || length > static_cast<size_t>(INT_MAX))
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
    return out;
}

inline std::string WideToAnsi(const wchar_t* text) { return text ? WideToAnsi(text, std::wcslen(text)) : std::string(); }
inline std::string WideToAnsi(const std::wstring& text) { return WideToAnsi(text.c_str()); }

} // namespace ycom
