#pragma once
// CXAMLStream: the text file a XAML document is written to. The file is opened in text mode, so
// each line feed goes out as a carriage return and line feed. Numbers are written as the classic
// output streams write a double (six significant digits, %g); texts from the drawing are written
// as UTF-8 with the five characters that XML reserves in attribute values and content (& < > ")
// written as entities.
#include <cstdio>
#include <string>

class CXAMLStream
{
public:
    CXAMLStream() = default;
    ~CXAMLStream() { Close(); }
    CXAMLStream(const CXAMLStream&) = delete;
    CXAMLStream& operator=(const CXAMLStream&) = delete;

    // False when the file cannot be created (the path names no folder, the folder refuses it).
    bool Open(const wchar_t* path);
    // False when anything failed to reach the file.
    bool Close();
    bool IsOpen() const { return m_file != nullptr; }

    // Literal markup, as it stands.
    CXAMLStream& operator<<(const char* text);
    CXAMLStream& operator<<(double value);
    CXAMLStream& operator<<(long value);
    CXAMLStream& operator<<(int value) { return *this << static_cast<long>(value); }
    // Text of the drawing, escaped (see Escape).
    CXAMLStream& Text(const std::wstring& text);
    CXAMLStream& Text(const std::string& utf8) { return *this << Escape(utf8).c_str(); }

    // UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD.
    static std::string Utf8(const std::wstring& text);
    // The UTF-8 text with & < > " as &amp; &lt; &gt; &quot;.
    static std::string Escape(const std::string& utf8);
    // The number as the classic stream writes a double.
    static std::string Number(double value);

private:
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};
