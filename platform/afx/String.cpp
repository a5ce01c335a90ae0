#include "afx/String.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const UINT kCodePage = 1252;

HANDLE Heap() { return GetProcessHeap(); }

char* Allocate(size_t bytes)
{
    void* block = HeapAlloc(Heap(), 0, bytes);
    if (!block)
        throw std::bad_alloc();
    return static_cast<char*>(block);
}

// The case tables of code page 1252, made once through UTF-16 and the system's case mapping.
struct CaseTables {
    char upper[256];
    char lower[256];
    CaseTables()
    {
        for (int i = 0; i < 256; ++i) {
            upper[i] = lower[i] = static_cast<char>(i);
            const char narrow = static_cast<char>(i);
            wchar_t wide = 0;
            if (i == 0 || MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, &narrow, 1, &wide, 1) != 1)
                continue;
            wchar_t up = wide, down = wide;
            CharUpperBuffW(&up, 1);
            CharLowerBuffW(&down, 1);
            char back = 0;
            BOOL lossy = FALSE;
            if (WideCharToMultiByte(kCodePage, 0, &up, 1, &back, 1, nullptr, &lossy) == 1 && !lossy)
                upper[i] = back;
            lossy = FALSE;
            if (WideCharToMultiByte(kCodePage, 0, &down, 1, &back, 1, nullptr, &lossy) == 1 && !lossy)
                lower[i] = back;
        }
    }
};

const CaseTables& Cases()
{
    static const CaseTables tables;
    return tables;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f'; }

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

int Length(const char* text) { return text ? static_cast<int>(std::min<size_t>(std::strlen(text), INT_MAX - 1)) : 0; }

} // namespace

namespace afx {
char UpperCase1252(char ch) { return Cases().upper[static_cast<unsigned char>(ch)]; }
char LowerCase1252(char ch) { return Cases().lower[static_cast<unsigned char>(ch)]; }
} // namespace afx

CString::CString(const CString& other) { Assign(other.m_text, other.GetLength()); }

CString::CString(const char* text) { Assign(text, Length(text)); }

CString::CString(const char* text, int length)
{
    if (!text || length < 0)
        length = 0;
    // Up to `length` characters, fewer when the text ends first.
    Assign(text, length ? static_cast<int>(strnlen(text, static_cast<size_t>(length))) : 0);
}

CString::CString(char ch, int repeat)
{
    if (ch == 0 || repeat <= 0)
        return;
    Reserve(repeat, false);
    std::memset(m_text, ch, static_cast<size_t>(repeat));
    m_text[repeat] = 0;
}

CString::CString(const wchar_t* text)
{
    if (!text || !*text)
        return;
    const int n = WideCharToMultiByte(kCodePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return;
    Reserve(n - 1, false);
    WideCharToMultiByte(kCodePage, 0, text, -1, m_text, n, nullptr, nullptr);
    m_text[n - 1] = 0;
}

CString::~CString()
{
    if (m_text)
        HeapFree(Heap(), 0, m_text);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_text, other.GetLength());
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        if (m_text)
            HeapFree(Heap(), 0, m_text);
        m_text = other.m_text;
        other.m_text = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* text)
{
    Assign(text, Length(text));
    return *this;
}

CString& CString::operator=(const wchar_t* text)
{
    CString converted(text);
    return *this = std::move(converted);
}

CString& CString::operator=(char ch)
{
    const char text[2] = {ch, 0};
    return *this = text;
}

int CString::GetLength() const { return Length(m_text); }

void CString::Empty()
{
    if (m_text)
        HeapFree(Heap(), 0, m_text);
    m_text = nullptr;
}

char CString::GetAt(int index) const { return index >= 0 && index < GetLength() ? m_text[index] : 0; }

void CString::SetAt(int index, char ch)
{
    // A NUL would end the text there: the one place where SetAt could shorten it silently.
    if (index >= 0 && index < GetLength() && ch != 0)
        m_text[index] = ch;
}

void CString::Reserve(int length, bool keep)
{
    const size_t need = static_cast<size_t>(length) + 1;
    if (m_text) {
        const size_t have = HeapSize(Heap(), 0, m_text);
        if (have != static_cast<size_t>(-1) && have >= need)
            return;
        // Grown by half again, so that appending in a loop stays linear.
        const size_t grown = std::max(need, have == static_cast<size_t>(-1) ? need : have + have / 2);
        if (keep) {
            void* moved = HeapReAlloc(Heap(), 0, m_text, grown);
            if (!moved)
                throw std::bad_alloc();
            m_text = static_cast<char*>(moved);
            return;
        }
        char* fresh = Allocate(grown);
        HeapFree(Heap(), 0, m_text);
        m_text = fresh;
        m_text[0] = 0;
        return;
    }
    m_text = Allocate(need);
    m_text[0] = 0;
}

void CString::Assign(const char* text, int length)
{
    if (!text || length <= 0) {
        Empty();
        return;
    }
    if (m_text && text >= m_text && text <= m_text + GetLength()) {
        // Part of our own text: moved to the front in place.
        std::memmove(m_text, text, static_cast<size_t>(length));
        m_text[length] = 0;
        return;
    }
    Reserve(length, false);
    std::memcpy(m_text, text, static_cast<size_t>(length));
    m_text[length] = 0;
}

CString& CString::Append(const char* text, int length)
{
    if (!text)
        return *this;
    if (length < 0)
        length = Length(text);
    else
        length = static_cast<int>(strnlen(text, static_cast<size_t>(length)));
    if (length == 0)
        return *this;
    const int old = GetLength();
    if (length > INT_MAX - 1 - old)
        throw std::bad_alloc();
    // The appended text may be our own: find it again after the buffer moves.
    const bool own = m_text && text >= m_text && text <= m_text + old;
    const ptrdiff_t offset = own ? text - m_text : 0;
    Reserve(old + length, true);
    if (own)
        text = m_text + offset;
    std::memmove(m_text + old, text, static_cast<size_t>(length));
    m_text[old + length] = 0;
    return *this;
}

CString& CString::operator+=(char ch)
{
    const char text[2] = {ch, 0};
    return Append(text, 1);
}

int CString::Compare(const char* text) const
{
    return Sign(std::strcmp(GetString(), text ? text : ""));
}

int CString::CompareNoCase(const char* text) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(GetString());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (;; ++a, ++b) {
        const int x = static_cast<unsigned char>(afx::LowerCase1252(static_cast<char>(*a)));
        const int y = static_cast<unsigned char>(afx::LowerCase1252(static_cast<char>(*b)));
        if (x != y || !x)
            return Sign(x - y);
    }
}

CString CString::Mid(int first) const { return Mid(first, INT_MAX); }

CString CString::Mid(int first, int count) const
{
    const int length = GetLength();
    first = std::max(0, std::min(first, length));
    count = std::max(0, std::min(count, length - first));
    return CString(GetString() + first, count);
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const
{
    const int length = GetLength();
    count = std::max(0, std::min(count, length));
    return Mid(length - count, count);
}

int CString::Find(char ch, int start) const
{
    const int length = GetLength();
    if (ch == 0 || start < 0 || start >= length)
        return -1;
    const void* at = std::memchr(m_text + start, ch, static_cast<size_t>(length - start));
    return at ? static_cast<int>(static_cast<const char*>(at) - m_text) : -1;
}

int CString::Find(const char* text, int start) const
{
    const int length = GetLength();
    if (!text || start < 0 || start > length)
        return -1;
    const char* at = std::strstr(GetString() + start, text);
    return at ? static_cast<int>(at - GetString()) : -1;
}

int CString::ReverseFind(char ch) const
{
    if (ch == 0)
        return -1;
    const char* at = std::strrchr(GetString(), ch);
    return at ? static_cast<int>(at - GetString()) : -1;
}

int CString::FindOneOf(const char* set) const
{
    if (!set || !*set || IsEmpty())
        return -1;
    const size_t at = std::strcspn(m_text, set);
    return m_text[at] ? static_cast<int>(at) : -1;
}

CString& CString::MakeUpper()
{
    for (char* p = m_text; p && *p; ++p)
        *p = afx::UpperCase1252(*p);
    return *this;
}

CString& CString::MakeLower()
{
    for (char* p = m_text; p && *p; ++p)
        *p = afx::LowerCase1252(*p);
    return *this;
}

CString& CString::MakeReverse()
{
    if (m_text)
        std::reverse(m_text, m_text + GetLength());
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

CString& CString::TrimLeft()
{
    const char* p = GetString();
    while (*p && IsBlank(*p))
        ++p;
    if (p != GetString())
        Assign(p, Length(p));
    return *this;
}

CString& CString::TrimRight()
{
    int length = GetLength();
    while (length > 0 && IsBlank(m_text[length - 1]))
        --length;
    if (m_text)
        m_text[length] = 0;
    return *this;
}

CString& CString::Trim(const char* targets) { return TrimRight(targets).TrimLeft(targets); }

CString& CString::TrimLeft(const char* targets)
{
    if (!targets || !*targets || IsEmpty())
        return *this;
    const size_t skip = std::strspn(m_text, targets);
    if (skip)
        Assign(m_text + skip, GetLength() - static_cast<int>(skip));
    return *this;
}

CString& CString::TrimRight(const char* targets)
{
    if (!targets || !*targets || IsEmpty())
        return *this;
    int length = GetLength();
    while (length > 0 && std::strchr(targets, m_text[length - 1]))
        --length;
    m_text[length] = 0;
    return *this;
}

int CString::Replace(char from, char to)
{
    if (from == 0 || to == 0 || from == to)
        return 0;
    int count = 0;
    for (char* p = m_text; p && *p; ++p) {
        if (*p == from) {
            *p = to;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* from, const char* to)
{
    const int fromLength = Length(from);
    if (fromLength == 0 || IsEmpty())
        return 0;
    CString result;
    int count = 0;
    const char* p = m_text;
    while (const char* at = std::strstr(p, from)) {
        result.Append(p, static_cast<int>(at - p));
        result.Append(to ? to : "");
        p = at + fromLength;
        ++count;
    }
    if (count) {
        result.Append(p);
        *this = std::move(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    if (ch == 0 || IsEmpty())
        return 0;
    char* out = m_text;
    int count = 0;
    for (const char* p = m_text; *p; ++p) {
        if (*p == ch)
            ++count;
        else
            *out++ = *p;
    }
    *out = 0;
    return count;
}

int CString::Insert(int index, char ch)
{
    const char text[2] = {ch, 0};
    return Insert(index, text);
}

int CString::Insert(int index, const char* text)
{
    const int length = GetLength();
    index = std::max(0, std::min(index, length));
    if (Length(text) == 0)
        return length;
    CString result(GetString(), index);
    result.Append(text);
    result.Append(GetString() + index);
    *this = std::move(result);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    const int length = GetLength();
    if (index < 0)
        index = 0;
    if (count <= 0 || index >= length)
        return length;
    count = std::min(count, length - index);
    std::memmove(m_text + index, m_text + index + count, static_cast<size_t>(length - index - count + 1));
    return length - count;
}

void CString::FormatV(const char* format, va_list args)
{
    if (!format) {
        Empty();
        return;
    }
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        Empty();
        return;
    }
    CString result;
    result.Reserve(length, false);
    std::vsnprintf(result.m_text, static_cast<size_t>(length) + 1, format, args);
    *this = std::move(result);
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...)
{
    CString more;
    va_list args;
    va_start(args, format);
    more.FormatV(format, args);
    va_end(args);
    Append(more.GetString());
}

char* CString::GetBuffer(int minLength)
{
    Reserve(std::max(minLength, GetLength()), true);
    return m_text;
}

void CString::ReleaseBuffer(int newLength)
{
    if (!m_text)
        return;
    if (newLength >= 0) {
        const size_t have = HeapSize(Heap(), 0, m_text);
        if (have != static_cast<size_t>(-1) && static_cast<size_t>(newLength) < have)
            m_text[newLength] = 0;
    }
}

char* CString::GetBufferSetLength(int length)
{
    length = std::max(0, length);
    const int old = GetLength();
    Reserve(length, true);
    // The characters past the old end are blanks until the caller writes them.
    if (length > old)
        std::memset(m_text + old, ' ', static_cast<size_t>(length - old));
    m_text[length] = 0;
    return m_text;
}

BSTR CString::AllocSysString() const
{
    const int length = GetLength();
    const int n = length ? MultiByteToWideChar(kCodePage, 0, m_text, length, nullptr, 0) : 0;
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (text && n)
        MultiByteToWideChar(kCodePage, 0, m_text, length, text, n);
    return text;
}

std::wstring afx::Wide(const CString& text)
{
    const int length = text.GetLength();
    const int n = length ? MultiByteToWideChar(kCodePage, 0, text.GetString(), length, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n)
        MultiByteToWideChar(kCodePage, 0, text.GetString(), length, &wide[0], n);
    return wide;
}

CString operator+(const CString& a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, const char* b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const char* a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, char b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(char a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}
