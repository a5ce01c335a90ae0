#include "model/RtfWriter.h"
#include "model/ColorIndexTable.h"
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

namespace {

// The parse position in the MTEXT; a NUL byte ends the text as its end does.
struct Cursor
{
    const char* p;
    const char* end;
    bool AtEnd() const { return p >= end || *p == 0; }
    char Peek(size_t ahead = 0) const { return p + ahead < end ? p[ahead] : 0; }
    void Step()
    {
        if (!AtEnd())
            ++p;
    }
    void SkipTo(char stop)
    {
        while (!AtEnd() && *p != stop)
            ++p;
    }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Truncation toward zero into the int32 range; NaN gives 0.
int32_t TruncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Up to 20 digits and points make the number; more of them are passed over. No sign, no
// exponent; nothing gives 0. Read the same whatever the C locale's decimal point is.
double ReadNumber(Cursor& c)
{
    char digits[21];
    size_t n = 0;
    while (!c.AtEnd() && (IsDigit(*c.p) || *c.p == '.')) {
        if (n < 20)
            digits[n++] = *c.p;
        ++c.p;
    }
    double value = 0;
    std::from_chars(digits, digits + n, value);
    return value;
}

void AppendNumber(std::string& out, long long value) { out += std::to_string(value); }

// A text byte as RTF writes it: control bytes, bytes of 0x80 and above, '\', '{' and '}' as \'xx.
void AppendEscaped(std::string& out, unsigned char byte)
{
    if (byte < 0x20 || byte >= 0x80 || byte == '\\' || byte == '{' || byte == '}') {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\'%02x", byte);
        out += hex;
    } else {
        out += static_cast<char>(byte);
    }
}

// Whether the body ends in a control word (a backslash that is not itself escaped, letters and an
// optional signed number): text that follows must then be set apart by a space, which RTF takes
// as the word's end. After a control symbol (\\, \{, \}, \~, \'xx) or text no space is due.
bool EndsWithControlWord(const std::string& body)
{
    size_t i = body.size();
    while (i > 0 && IsDigit(body[i - 1]))
        --i;
    if (i > 0 && body[i - 1] == '-' && i < body.size())
        --i;
    const size_t lettersEnd = i;
    while (i > 0 && ((body[i - 1] >= 'a' && body[i - 1] <= 'z') || (body[i - 1] >= 'A' && body[i - 1] <= 'Z')))
        --i;
    if (i == lettersEnd)
        return false;
    size_t backslashes = 0;
    while (i > 0 && body[i - 1] == '\\') {
        --i;
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// A character of another code page as the bytes of the ANSI code page; '?' when it has none.
// It is text: set apart from a control word before it.
void AppendWide(RtfWriterState& s, wchar_t ch)
{
    if (EndsWithControlWord(s.body))
        s.body += ' ';
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
        s.body += '?';
        return;
    }
    for (int i = 0; i < n; ++i)
        AppendEscaped(s.body, static_cast<unsigned char>(bytes[i]));
}

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to `count` hexadecimal digits; -1 when there is none.
long ReadHex(Cursor& c, int count)
{
    long value = 0;
    int n = 0;
    while (n < count && !c.AtEnd() && HexValue(*c.p) >= 0) {
        value = value * 16 + HexValue(*c.p);
        ++c.p;
        ++n;
    }
    return n ? value : -1;
}

// --- Handlers of the code table --------------------------------------------------------------

class MtextPlainCode
{
public:
    virtual ~MtextPlainCode() = default;
    // The cursor stands on the code letter. After the code's own work one more character is
    // passed over: the letter of a code without a value, the ';' of the others.
    virtual void Handle(Cursor& c, const char* format, RtfWriterState& s) const
    {
        if (format)
            HandleWithFormat(c, format, s);
        else
            HandleBare(c);
        c.Step();
    }
    virtual void HandleBare(Cursor&) const {}
    virtual void HandleWithFormat(Cursor&, const char* format, RtfWriterState& s) const { s.body += format; }
};

class MtextValueCode : public MtextPlainCode
{
public:
    void HandleBare(Cursor& c) const override { c.SkipTo(';'); }
    void HandleWithFormat(Cursor& c, const char* format, RtfWriterState& s) const override
    {
        s.body += format;
        while (!c.AtEnd() && !IsDigit(*c.p) && *c.p != '.' && *c.p != ';')
            ++c.p;
        EmitValue(c, s);
        c.SkipTo(';');
    }
    virtual void EmitValue(Cursor& c, RtfWriterState& s) const
    {
        while (!c.AtEnd() && IsDigit(*c.p))
            s.body += *c.p++;
    }
};

class MtextHeightCode : public MtextValueCode
{
public:
    void EmitValue(Cursor& c, RtfWriterState& s) const override
    {
        const double v = ReadNumber(c);
        if (!c.AtEnd() && *c.p == 'x') {
            s.currentSize = TruncToInt(s.currentSize * v);
            ++c.p;
        } else {
            // Half-points per millimetre: 144 / 25.4.
            s.currentSize = TruncToInt(v * s.scale * 5.669291338582677);
        }
        AppendNumber(s.body, s.currentSize);
    }
};

class MtextTrackingCode : public MtextValueCode
{
public:
    void EmitValue(Cursor& c, RtfWriterState& s) const override
    {
        // Twice the size times log2 of the factor; a factor of 0 (or none) has no logarithm and
        // writes no expansion.
        const double v = ReadNumber(c);
        const double expansion = v > 0 ? std::log(v) * (2.0 * s.currentSize) / std::log(2.0) : 0.0;
        AppendNumber(s.body, TruncToInt(expansion));
    }
};

class MtextWidthCode : public MtextValueCode
{
public:
    void EmitValue(Cursor& c, RtfWriterState& s) const override { AppendNumber(s.body, TruncToInt(ReadNumber(c) * 100)); }
};

class MtextColourCode : public MtextValueCode
{
public:
    void EmitValue(Cursor& c, RtfWriterState& s) const override
    {
        const DWORD rgb = CColorIndexTable::ToRgb(TruncToInt(ReadNumber(c)));
        size_t index = 0;
        while (index < s.colours.size() && s.colours[index] != rgb)
            ++index;
        if (index == s.colours.size())
            s.colours.push_back(rgb);
        AppendNumber(s.body, static_cast<long long>(index) + 1);
    }
};

// \f name |b0/1 |i0/1 |c charset |p pitch ;
class MtextFontCode : public MtextValueCode
{
public:
    void HandleWithFormat(Cursor& c, const char*, RtfWriterState& s) const override
    {
        const size_t number = s.fonts.size() + 1;
        std::string entry = "\\f" + std::to_string(number) + "\\fnil";
        s.body += "\\f" + std::to_string(number);
        if (!c.AtEnd() && *c.p == 'f')
            ++c.p;
        std::string name;
        while (!c.AtEnd() && *c.p != '|' && *c.p != ';')
            AppendEscaped(name, static_cast<unsigned char>(*c.p++));
        if (!c.AtEnd() && *c.p == '|')
            ++c.p;
        bool bold = false, italic = false;
        while (!c.AtEnd() && *c.p != ';') {
            switch (*c.p) {
            case 'b': bold = c.Peek(1) != '0'; break;
            case 'i': italic = c.Peek(1) != '0'; break;
            case 'c':
                ++c.p;
                entry += "\\fcharset";
                while (!c.AtEnd() && IsDigit(*c.p))
                    entry += *c.p++;
                break;
            default: break;
            }
            if (!c.AtEnd() && *c.p != ';')
                ++c.p;
        }
        entry += " " + name;
        s.body += bold ? "\\b1" : "\\b0";
        s.body += italic ? "\\i1" : "\\i0";
        s.fonts.push_back(entry);
    }
};

// \S upper separator lower ; with the separator '/', '#' or '^'.
class MtextStackCode : public MtextValueCode
{
public:
    void HandleWithFormat(Cursor& c, const char*, RtfWriterState& s) const override
    {
        if (!c.AtEnd() && *c.p == 'S')
            ++c.p;
        s.body += "\\super ";
        for (;;) {
            // The parts are text like any other: escaped, so a brace or backslash in them stays
            // a character of the document.
            while (!c.AtEnd() && *c.p != ';' && *c.p != '/' && *c.p != '#' && *c.p != '^')
                AppendEscaped(s.body, static_cast<unsigned char>(*c.p++));
            if (c.AtEnd() || *c.p == ';') {
                s.body += "\\nosupersub";
                return;
            }
            s.body += "\\nosupersub ";
            s.body += *c.p++;
            s.body += "\\sub ";
        }
    }
};

// \A0; \A1; \A2;: the alignment has no RTF form here.
class MtextAlignCode : public MtextPlainCode
{
public:
    void Handle(Cursor& c, const char*, RtfWriterState&) const override
    {
        c.Step();
        while (!c.AtEnd() && IsDigit(*c.p))
            ++c.p;
        c.Step();
        if (!c.AtEnd() && *c.p == ';')
            ++c.p;
    }
};

struct MtextCodeEntry
{
    const char* format;
    const MtextPlainCode* handler;
};

using MtextCodeTable = std::map<signed char, MtextCodeEntry>;

const MtextCodeTable& CodeTable()
{
    static const MtextPlainCode plain;
    static const MtextValueCode value;
    static const MtextFontCode font;
    static const MtextStackCode stack;
    static const MtextWidthCode width;
    static const MtextHeightCode height;
    static const MtextTrackingCode tracking;
    static const MtextColourCode colour;
    static const MtextAlignCode align;
    static const MtextCodeTable table = {
        {'O', {nullptr, &plain}},       {'o', {nullptr, &plain}},
        {'l', {"\\ul0", &plain}},       {'L', {"\\ul1", &plain}},
        {'~', {"\\~", &plain}},         {'\\', {"\\\\", &plain}},
        {'{', {"\\{", &plain}},         {'}', {"\\}", &plain}},
        {'P', {"\\par", &plain}},       {'f', {"\\f%d\\b%d\\i%d", &font}},
        {'C', {"\\cf", &colour}},       {'S', {" ", &stack}},
        {'H', {"\\fs", &height}},       {'T', {"\\expnd", &tracking}},
        {'Q', {nullptr, &value}},       {'W', {"\\charscalex", &width}},
        {'A', {nullptr, &align}},
    };
    return table;
}

// Codes with no RTF form here: a value code is passed over up to its ';', a bare one is its
// letter alone; \U+xxxx and \M+nxxxx are characters.
void HandleUnknown(Cursor& c, RtfWriterState& s)
{
    const char letter = *c.p;
    if ((letter == 'U' || letter == 'M') && c.Peek(1) == '+') {
        c.p += 2;
        if (letter == 'U') {
            const long code = ReadHex(c, 4);
            if (code >= 0)
                AppendWide(s, static_cast<wchar_t>(code));
            return;
        }
        // \M+nxxxx: the two bytes xxxx of the Asian code page n.
        static const UINT kPages[] = {0, 932, 950, 949, 1361, 936};
        const int page = IsDigit(c.Peek()) ? c.Peek() - '0' : 0;
        c.Step();
        const long code = ReadHex(c, 4);
        if (code < 0)
            return;
        wchar_t wide = 0;
        const char bytes[2] = {static_cast<char>((code >> 8) & 0xFF), static_cast<char>(code & 0xFF)};
        if (page >= 1 && page <= 5 &&
            MultiByteToWideChar(kPages[page], MB_ERR_INVALID_CHARS, bytes, 2, &wide, 1) == 1)
            AppendWide(s, wide);
        else
            AppendWide(s, L'?');
        return;
    }
    static const char kValueCodes[] = "pFchtqwa";
    for (const char* v = kValueCodes; *v; ++v)
        if (*v == letter) {
            c.SkipTo(';');
            c.Step();
            return;
        }
    c.Step();
}

} // namespace

CRtfWriter::CRtfWriter(int32_t initialSize, double scale) : m_initialSize(initialSize)
{
    CodeTable();
    m_state.currentSize = initialSize;
    m_state.scale = scale;
    m_state.body.reserve(20);
}

int32_t CRtfWriter::Write(const char* mtext)
{
    const double scale = m_state.scale;
    m_state = RtfWriterState();
    m_state.currentSize = m_initialSize;
    m_state.scale = scale;
    m_result.clear();
    m_source = mtext ? mtext : "";

    const MtextCodeTable& table = CodeTable();
    Cursor c{m_source.c_str(), m_source.c_str() + m_source.size()};
    bool textMayFollow = true;
    // MTEXT's own groups, kept balanced: a closing brace without its opening one would close the
    // document's group early, and the text after it would be lost.
    int openGroups = 0;
    while (!c.AtEnd()) {
        const char ch = *c.p;
        if (ch == '\\') {
            ++c.p;
            // A backslash that ends the text has nothing to say.
            if (c.AtEnd())
                break;
            const auto entry = table.find(static_cast<signed char>(*c.p));
            if (entry != table.end())
                entry->second.handler->Handle(c, entry->second.format, m_state);
            else
                HandleUnknown(c, m_state);
            textMayFollow = !EndsWithControlWord(m_state.body);
        } else if (ch == '{' || (ch == '}' && openGroups > 0)) {
            m_state.body += ch;
            openGroups += ch == '{' ? 1 : -1;
            ++c.p;
            textMayFollow = true;
        } else if (ch == '}') {
            // A stray closing brace is a character of the text.
            AppendEscaped(m_state.body, static_cast<unsigned char>(ch));
            ++c.p;
            textMayFollow = true;
        } else {
            if (!textMayFollow)
                m_state.body += ' ';
            AppendEscaped(m_state.body, static_cast<unsigned char>(ch));
            ++c.p;
            textMayFollow = true;
        }
    }
    // Groups the text left open close at its end.
    for (; openGroups > 0; --openGroups)
        m_state.body += '}';
    Assemble();
    return 0;
}

void CRtfWriter::Assemble()
{
    std::string& out = m_result;
    out.clear();
    out += "{\\rtf1\\ansi\\deff0";
    out += "\n{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset204 Txt;}";
    for (const std::string& entry : m_state.fonts)
        out += "{" + entry + ";}";
    out += "}\n";
    if (!m_state.colours.empty()) {
        out += "{\\colortbl;";
        for (DWORD colour : m_state.colours) {
            const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
            if (r)
                out += "\\red" + std::to_string(r);
            if (g)
                out += "\\green" + std::to_string(g);
            if (b)
                out += "\\blue" + std::to_string(b);
            if (!r && !g && !b)
                out += "\\red0";
            out += ";";
        }
        out += "}\n";
    }
    out += "{\\f0\\fs24\n";
    out += m_state.body;
    out += "\n}}";
}
