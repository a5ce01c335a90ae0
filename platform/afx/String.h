#pragma once
// CString: the narrow text of the plug-ins, Windows-1252.
//
// The object is one pointer: null for the empty string, otherwise NUL-terminated text at the start
// of a block of the process heap (HeapAlloc on GetProcessHeap). A CString crosses the DLL
// boundary between a host and a plug-in (the path of Export and Import, GetLastErrorText): each
// side may be built with its own runtime, but both share the process heap, so either side may
// free what the other allocated, and a host declares the same one-pointer type for itself. The
// text holds no NUL of its own: its length is where the first NUL stands.
//
// Conversions to and from UTF-16 (BSTR, wchar_t text) go through code page 1252 whatever the
// system's ANSI code page; so do the case-blind operations. Running out of memory throws
// std::bad_alloc.
#include <windows.h>
#include <oleauto.h>
#include <cstdarg>
#include <string>

class CString
{
public:
    CString() noexcept = default;
    CString(const CString& other);
    CString(CString&& other) noexcept : m_text(other.m_text) { other.m_text = nullptr; }
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    CString(const wchar_t* text);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);
    CString& operator=(const wchar_t* text);
    CString& operator=(char ch);

    int GetLength() const;
    bool IsEmpty() const { return !m_text || !*m_text; }
    void Empty();
    const char* GetString() const { return m_text ? m_text : ""; }
    operator const char*() const { return GetString(); }
    // Characters by position; out of range answers NUL (GetAt) or does nothing (SetAt).
    char GetAt(int index) const;
    char operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char ch);

    CString& operator+=(const CString& text) { return Append(text.GetString()); }
    CString& operator+=(const char* text) { return Append(text); }
    CString& operator+=(char ch);
    CString& Append(const char* text, int length = -1);

    // Byte-wise comparison (-1, 0, 1); the case-blind one folds Windows-1252 letters.
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    // Parts; positions and counts out of range are clamped, as a caller of the class library expects.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    // Positions from 0, -1 when not found.
    int Find(char ch, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* set) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(const char* targets);
    CString& TrimLeft(const char* targets);
    CString& TrimRight(const char* targets);

    // Numbers of characters or places changed.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    void Format(const char* format, ...);
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...);

    // A writable buffer of at least minLength characters and its NUL, the text kept; after
    // writing, ReleaseBuffer ends the text at newLength, or at its first NUL for -1.
    char* GetBuffer(int minLength);
    char* GetBuffer() { return GetBuffer(GetLength()); }
    void ReleaseBuffer(int newLength = -1);
    char* GetBufferSetLength(int length);

    // A new BSTR of the text (the caller frees it), null when out of memory.
    BSTR AllocSysString() const;

private:
    // Room for `length` characters and the NUL; keeps the text when asked.
    void Reserve(int length, bool keep);
    void Assign(const char* text, int length);

    char* m_text = nullptr;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
inline bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

namespace afx {
// The text as UTF-16 (paths for the wide file calls).
std::wstring Wide(const CString& text);
// Windows-1252 letters folded to one case (the other bytes unchanged).
char UpperCase1252(char ch);
char LowerCase1252(char ch);
} // namespace afx
