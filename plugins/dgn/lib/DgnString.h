#pragma once
// The library's string: one owned DGN string (DgnStringFunctions.h), 8-bit or UTF-16.
//
// The length counts the content bytes before the terminator, marker included: characters for
// unmarked 8-bit text, 4 + characters for marked 8-bit text, 2 + 2 x characters for UTF-16.
// Whenever the object has a buffer it holds a complete DGN string (marker, text,
// terminator). Operations that need memory return false, 0 or null when it runs out and leave
// the object as it was; null text arguments count as empty. "Text" arguments (const char*)
// are DGN strings whose width their marker tells; "wide" arguments are UTF-16 text, with or
// without a leading marker unit.
#include <cstdint>

namespace dgn {

class CDgnString {
public:
    // An empty string growing exactly to each need; null when memory runs out.
    static CDgnString* Create();
    // An empty string whose capacity grows in steps of step bytes (callers pass 256).
    static CDgnString* CreateWithCapacity(std::uint32_t step);
    // A string holding s.
    static CDgnString* CreateFromAnsi(const char* s);
    virtual ~CDgnString();

    virtual CDgnString* Clone() const;
    // The text after the marker (a buffer is made when there is none).
    virtual char* TextPointer();
    // Content and terminator bytes.
    virtual std::uint32_t ByteSize();
    virtual bool IsWide() const;
    virtual bool HasFFFEMarker() const;
    // Makes room for bytes bytes; false when memory runs out.
    virtual bool Reserve(std::uint32_t bytes);
    // Stores a whole DGN string; its length.
    virtual std::uint32_t Set(const char* text);
    // Stores bytes bytes of a DGN string (bytes < 1: its DgnStringByteLength); its length.
    virtual std::uint32_t SetBytes(const char* text, std::int32_t bytes);
    virtual std::uint32_t SetWide(const char16_t* w);
    // Stores n UTF-16 units; text without a marker gets 0xFF 0xFE. Its length.
    virtual std::uint32_t SetWide(const char16_t* w, std::uint32_t n);
    virtual bool Assign(const CDgnString& other);
    // 8-bit: the text after the marker; UTF-16: the whole buffer, marker included.
    virtual const char* CStr();
    virtual char* Text();
    virtual char* Buffer();
    // Writes the text as ANSI (out needs room for the characters and a terminator); the end
    // of out.
    virtual char* CopyToAnsi(char* out) const;
    // Writes the text as UTF-16 without marker; the end of out.
    virtual char16_t* CopyToWide(char16_t* out) const;

    CDgnString& operator=(const char* text);
    CDgnString& operator=(const char16_t* w);
    CDgnString& operator=(const CDgnString& other);
    // A new string holding this one followed by the argument; null when memory runs out.
    virtual CDgnString* Concat(const char* text) const;
    virtual CDgnString* Concat(const char16_t* w) const;
    virtual CDgnString* Concat(const CDgnString& other) const;
    CDgnString& operator+=(const char* text);
    CDgnString& operator+=(const char16_t* w);
    CDgnString& operator+=(const CDgnString& other);

    // The relational operators ignore case (CompareNoCase).
    bool operator==(const char* text) const { return CompareNoCase(text) == 0; }
    bool operator==(const char16_t* w) const { return CompareNoCase(w) == 0; }
    bool operator==(const CDgnString& o) const { return CompareNoCase(o) == 0; }
    bool operator!=(const char* text) const { return CompareNoCase(text) != 0; }
    bool operator!=(const char16_t* w) const { return CompareNoCase(w) != 0; }
    bool operator!=(const CDgnString& o) const { return CompareNoCase(o) != 0; }
    bool operator<(const char* text) const { return CompareNoCase(text) < 0; }
    bool operator<(const char16_t* w) const { return CompareNoCase(w) < 0; }
    bool operator<(const CDgnString& o) const { return CompareNoCase(o) < 0; }
    bool operator>(const char* text) const { return CompareNoCase(text) > 0; }
    bool operator>(const char16_t* w) const { return CompareNoCase(w) > 0; }
    bool operator>(const CDgnString& o) const { return CompareNoCase(o) > 0; }
    bool operator<=(const char* text) const { return CompareNoCase(text) <= 0; }
    bool operator<=(const char16_t* w) const { return CompareNoCase(w) <= 0; }
    bool operator<=(const CDgnString& o) const { return CompareNoCase(o) <= 0; }
    bool operator>=(const char* text) const { return CompareNoCase(text) >= 0; }
    bool operator>=(const char16_t* w) const { return CompareNoCase(w) >= 0; }
    bool operator>=(const CDgnString& o) const { return CompareNoCase(o) >= 0; }

    // Pointer to character min(i, characters) of the text.
    virtual char* PointerAt(std::uint32_t i);
    // Negative, 0 or positive. Both texts are compared whole, after their markers; equal
    // widths compare characters (CompareNoCase: folded to lower case), mixed widths compare
    // code units as they are. An object without buffer is below any text and equal to null;
    // every object is above null.
    virtual int Compare(const char* text) const;
    virtual int Compare(const char16_t* w) const;
    virtual int Compare(const CDgnString& other) const;
    virtual int CompareNoCase(const char* text) const;
    virtual int CompareNoCase(const char16_t* w) const;
    virtual int CompareNoCase(const CDgnString& other) const;

    virtual bool IsEmpty() const;
    // Empties the string (8-bit), keeping its buffer.
    virtual void Clear();
    virtual std::uint32_t Length() const;
    virtual std::uint32_t CharCount() const;
    // Character i (limited to the character count, where the terminator 0 lies).
    virtual std::uint32_t CharAt(std::uint32_t i) const;
    // A new string of the same width with at most count characters from start.
    virtual CDgnString* Substring(std::uint32_t start, std::uint32_t count) const;
    // Inserts count characters (0: all) of a text of this string's width at position; the new
    // length, or 0 (nothing changed) when the widths differ or memory runs out.
    virtual std::uint32_t Insert(const char* text, std::uint32_t position, std::uint32_t count);
    virtual std::uint32_t Insert(const char16_t* w, std::uint32_t position, std::uint32_t count);
    virtual std::uint32_t Insert(const CDgnString& other, std::uint32_t position, std::uint32_t count);
    // Appends count characters (0: all) of a text of any width. An empty string takes the
    // text's width; an 8-bit string receiving UTF-16 text becomes UTF-16 first. False when
    // memory runs out.
    virtual bool Append(const char* text, std::uint32_t count);
    virtual bool Append(const char* text);
    virtual bool AppendWide(const char16_t* w, std::uint32_t count);
    virtual bool AppendWide(const char16_t* w);
    virtual bool Append(const CDgnString& other);
    // Appends n raw bytes to the content.
    virtual bool AppendBytes(const void* p, std::uint32_t n);
    virtual bool AppendWideChars(const char16_t* w, std::uint32_t n);
    // Removes count characters at start; the new length.
    virtual std::uint32_t Remove(std::uint32_t start, std::uint32_t count);
    // The whole file becomes the content (its marker tells the width).
    virtual bool LoadFromFile(const char* path);
    virtual bool LoadFromFile(const char16_t* path);
    virtual bool LoadFromFile(const CDgnString& path);
    // Writes the content (marker included, terminator not) as the whole file.
    virtual bool SaveToFile(const char* path) const;
    virtual bool SaveToFile(const char16_t* path) const;
    virtual bool SaveToFile(const CDgnString& path) const;
    // The first character index at or after start where the pattern occurs within count
    // characters (-1: to the end); -1 when not found, when this string is empty or when an
    // 8-bit string is searched for UTF-16 text longer than one character. Case is ignored
    // for equal widths.
    virtual int Find(std::uint32_t start, std::int32_t count, const char16_t* w) const;
    virtual int Find(std::uint32_t start, std::int32_t count, const char* text) const;
    // Converts an 8-bit string in place to UTF-16 (marker 0xFF 0xFD); false when it already
    // is or memory runs out.
    virtual bool ToWide();
    // Bytes between the buffer start and the text.
    virtual std::uint32_t MarkerSize() const;

    CDgnString(const CDgnString&) = delete;

private:
    explicit CDgnString(std::uint32_t step) : m_growStep(step) {}
    bool EnsureBuffer();
    std::uint32_t UnitSize() const { return m_wide ? 2 : 1; }
    void Terminate();
    // Replaces the text from unit position with n units of src (of this string's width).
    bool SpliceUnits(std::uint32_t position, std::uint32_t removeUnits, const char* src, std::uint32_t n);
    // Appends n UTF-16 units, or n 8-bit characters converted when this string is wide.
    bool AppendUnits(const char* src, std::uint32_t n, bool srcWide);
    bool BecomeEmptyWide(unsigned char marker);
    bool LoadBytes(void* data, std::uint32_t size);
    // Compares with whichever argument is given: a DGN text, a wide text or another string.
    int CompareWith(const char* text, const char16_t* w, const CDgnString* other, bool noCase) const;

    char* m_buffer = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_length = 0;
    std::uint32_t m_growStep = 0;
    std::uint8_t m_wide = 0;
};

} // namespace dgn
