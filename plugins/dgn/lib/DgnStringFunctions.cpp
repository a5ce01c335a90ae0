#include "DgnStringFunctions.h"

#include "platform/Platform.h"

#include <cstring>

namespace dgn {

namespace {

unsigned char Byte(const char* s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

std::size_t MarkerBytes(const char* s)
{
    if (!s || Byte(s, 0) != 0xFF)
        return 0;
    if (Byte(s, 1) == 0xFD)
        return 2;
    if (Byte(s, 1) == 0xFE)
        return (Byte(s, 2) == 0x01 && Byte(s, 3) == 0x00) ? 4 : 2;
    return 0;
}

bool IsPathSeparator(char16_t c) { return c == u'\\' || c == u':' || c == u'/'; }

} // namespace

char16_t Utf16UnitAt(const char* p, std::size_t i)
{
    return static_cast<char16_t>(Byte(p, 2 * i) | (Byte(p, 2 * i + 1) << 8));
}

void SetUtf16UnitAt(char* p, std::size_t i, char16_t unit)
{
    p[2 * i] = static_cast<char>(unit & 0xFF);
    p[2 * i + 1] = static_cast<char>(unit >> 8);
}

const char* SkipDgnStringMarker(const char* s) { return s ? s + MarkerBytes(s) : s; }
char* SkipDgnStringMarker(char* s) { return s ? s + MarkerBytes(s) : s; }

bool IsWideDgnString(const char* s) { return s && MarkerBytes(s) == 2; }

bool HasFFFEMarker(const char* s) { return s && Byte(s, 0) == 0xFF && Byte(s, 1) == 0xFE; }

std::uint32_t DgnStringByteLength(const char* s)
{
    if (!s)
        return 0;
    const std::size_t marker = MarkerBytes(s);
    const char* text = s + marker;
    if (marker == 2) {
        std::size_t n = 0;
        while (Utf16UnitAt(text, n))
            ++n;
        return static_cast<std::uint32_t>(2 + 2 * (n + 1));
    }
    return static_cast<std::uint32_t>(marker + std::strlen(text) + 1);
}

int AnsiToWide(char16_t* w, const char* s, int n)
{
    if (!w)
        return 0;
    if (!s) {
        w[0] = 0;
        return 0;
    }
    if (n < 1)
        n = static_cast<int>(std::strlen(s));
    const int count = AnsiToUtf16(s, n, w, n);
    w[count] = 0;
    return count;
}

int WideToAnsi(char* s, const char16_t* w, int n)
{
    if (!s)
        return 0;
    if (!w) {
        s[0] = 0;
        return 0;
    }
    if (n < 1)
        n = static_cast<int>(StrLenW(w));
    const int count = Utf16ToAnsi(w, n, s, n);
    s[count] = 0;
    return count;
}

std::size_t StrLenA(const char* s) { return s ? std::strlen(s) : 0; }

std::size_t StrLenW(const char16_t* s)
{
    std::size_t n = 0;
    if (s) {
        while (s[n])
            ++n;
    }
    return n;
}

const char* FindFileNameA(const char* path)
{
    if (!path)
        return path;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (IsPathSeparator(static_cast<unsigned char>(*p)))
            name = p + 1;
    }
    return name;
}

const char16_t* FindFileNameW(const char16_t* path)
{
    if (!path)
        return path;
    const char16_t* name = path;
    for (const char16_t* p = path; *p; ++p) {
        if (IsPathSeparator(*p))
            name = p + 1;
    }
    return name;
}

char* StrEndA(char* s) { return s + StrLenA(s); }
char16_t* StrEndW(char16_t* s) { return s + StrLenW(s); }

char* StrCopyEndA(char* d, const char* s)
{
    const std::size_t n = StrLenA(s);
    if (n)
        std::memcpy(d, s, n);
    d[n] = 0;
    return d + n;
}

char16_t* StrCopyEndW(char16_t* d, const char16_t* s)
{
    const std::size_t n = StrLenW(s);
    if (n)
        std::memcpy(d, s, n * sizeof(char16_t));
    d[n] = 0;
    return d + n;
}

char16_t* StrAppendW(char16_t* d, const char16_t* s)
{
    char16_t* at = StrEndW(d);
    StrCopyEndW(at, s);
    return at;
}

char16_t* ReplaceFileNameW(char16_t* path, const char16_t* name)
{
    char16_t* at = const_cast<char16_t*>(FindFileNameW(path));
    StrCopyEndW(at, name);
    return at;
}

char* MakeDgnString(char* buf, const void* text, bool wide, bool markFE)
{
    if (!buf)
        return buf;
    if (wide) {
        std::size_t units = 0;
        if (text && text != buf) {
            const char16_t* w = static_cast<const char16_t*>(text);
            units = StrLenW(w);
            for (std::size_t i = 0; i < units; ++i)
                SetUtf16UnitAt(buf, i, w[i]);
            SetUtf16UnitAt(buf, units, 0);
        } else {
            while (Utf16UnitAt(buf, units))
                ++units;
        }
        std::memmove(buf + 2, buf, 2 * (units + 1));
        buf[0] = static_cast<char>(0xFF);
        buf[1] = static_cast<char>(markFE ? 0xFE : 0xFD);
        return buf;
    }
    if (text && text != buf)
        StrCopyEndA(buf, static_cast<const char*>(text));
    if (markFE) {
        std::memmove(buf + 4, buf, std::strlen(buf) + 1);
        buf[0] = static_cast<char>(0xFF);
        buf[1] = static_cast<char>(0xFE);
        buf[2] = 0x01;
        buf[3] = 0x00;
    }
    return buf;
}

} // namespace dgn
