#include "XAMLStream.h"
#include <cstring>

bool CXAMLStream::Open(const wchar_t* path)
{
    Close();
    m_failed = false;
    m_file = _wfopen(path, L"wt");
    return m_file != nullptr;
}

bool CXAMLStream::Close()
{
    if (!m_file)
        return !m_failed;
    if (std::ferror(m_file))
        m_failed = true;
    if (std::fclose(m_file) != 0)
        m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

CXAMLStream& CXAMLStream::operator<<(const char* text)
{
    if (m_file && text && std::fputs(text, m_file) < 0)
        m_failed = true;
    return *this;
}

CXAMLStream& CXAMLStream::operator<<(double value) { return *this << Number(value).c_str(); }

CXAMLStream& CXAMLStream::operator<<(long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    return *this << text;
}

CXAMLStream& CXAMLStream::Text(const std::wstring& text) { return *this << Escape(Utf8(text)).c_str(); }

std::string CXAMLStream::Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string CXAMLStream::Utf8(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long c = static_cast<unsigned short>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned short>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string CXAMLStream::Escape(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters other than tab, line feed and carriage return are not XML.
            if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r')
                out += ' ';
            else
                out += ch;
            break;
        }
    }
    return out;
}
