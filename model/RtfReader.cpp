#include "model/RtfReader.h"
#include "model/ColorIndexTable.h"
#include <windows.h>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

enum KeywordKind { kkCharacter, kkDestination, kkProperty, kkSpecial };

// Where a property is kept.
enum Property {
    ipBold, ipUnderline, ipItalic, ipFont, ipSize, ipExpansion, ipWidthPercent, ipCharset, ipColour,
    ipLeftIndent, ipRightIndent, ipFirstIndent, ipJustification,
    ipColumns, ipBreakKind, ipPageNumberX, ipPageNumberY, ipPageNumberFormat,
    ipPageWidth, ipPageHeight, ipLeftMargin, ipRightMargin, ipTopMargin, ipBottomMargin, ipFirstPage,
    ipFacingPages, ipLandscape,
    ipRed, ipGreen, ipBlue, ipSubscript, ipSuperscript, ipNoSuperSub
};

enum Special { spBinary, spSkipIfUnknown, spHex, spResetParagraph, spResetCharacters };

enum DestinationValue { dvSkip = 0, dvFontTable = 1, dvColourTable = 2 };

// A character value above 255 stands for two bytes, high byte first.
constexpr unsigned Pair(char high, char low)
{
    return (static_cast<unsigned>(static_cast<unsigned char>(high)) << 8) | static_cast<unsigned char>(low);
}

struct KeywordEntry
{
    const char* keyword;
    int defaultValue; // property: the value without parameter; character: its value
    bool useDefault;  // property: the default whatever the parameter
    KeywordKind kind;
    int index;        // property, destination value or special action
};

const KeywordEntry kKeywords[] = {
    {"b", 1, false, kkProperty, ipBold},
    {"ul", 1, false, kkProperty, ipUnderline},
    {"ulnone", 0, true, kkProperty, ipUnderline},
    {"i", 1, false, kkProperty, ipItalic},
    {"f", 0, false, kkProperty, ipFont},
    {"fs", 12, false, kkProperty, ipSize},
    {"expnd", 1, false, kkProperty, ipExpansion},
    {"charscalex", 100, false, kkProperty, ipWidthPercent},
    {"fcharset", 0, false, kkProperty, ipCharset},
    {"cf", 0, false, kkProperty, ipColour},
    {"li", 0, false, kkProperty, ipLeftIndent},
    {"ri", 0, false, kkProperty, ipRightIndent},
    {"fi", 0, false, kkProperty, ipFirstIndent},
    {"cols", 1, false, kkProperty, ipColumns},
    {"sbknone", 0, true, kkProperty, ipBreakKind},
    {"sbkcol", 1, true, kkProperty, ipBreakKind},
    {"sbkeven", 2, true, kkProperty, ipBreakKind},
    {"sbkodd", 3, true, kkProperty, ipBreakKind},
    {"sbkpage", 4, true, kkProperty, ipBreakKind},
    {"pgnx", 0, false, kkProperty, ipPageNumberX},
    {"pgny", 0, false, kkProperty, ipPageNumberY},
    {"pgndec", 0, true, kkProperty, ipPageNumberFormat},
    {"pgnucrm", 1, true, kkProperty, ipPageNumberFormat},
    {"pgnlcrm", 2, true, kkProperty, ipPageNumberFormat},
    {"pgnucltr", 3, true, kkProperty, ipPageNumberFormat},
    {"pgnlcltr", 4, true, kkProperty, ipPageNumberFormat},
    {"qc", 2, true, kkProperty, ipJustification},
    {"ql", 0, true, kkProperty, ipJustification},
    {"qr", 1, true, kkProperty, ipJustification},
    {"qj", 3, true, kkProperty, ipJustification},
    {"paperw", 12240, false, kkProperty, ipPageWidth},
    {"paperh", 15480, false, kkProperty, ipPageHeight},
    {"margl", 1800, false, kkProperty, ipLeftMargin},
    {"margr", 1800, false, kkProperty, ipRightMargin},
    {"margt", 1440, false, kkProperty, ipTopMargin},
    {"margb", 1440, false, kkProperty, ipBottomMargin},
    {"pgnstart", 1, true, kkProperty, ipFirstPage},
    {"facingp", 1, true, kkProperty, ipFacingPages},
    {"landscape", 1, true, kkProperty, ipLandscape},
    {"red", 0, false, kkProperty, ipRed},
    {"green", 0, false, kkProperty, ipGreen},
    {"blue", 0, false, kkProperty, ipBlue},
    {"sub", 1, false, kkProperty, ipSubscript},
    {"dn", 1, true, kkProperty, ipSubscript},
    {"super", 1, true, kkProperty, ipSuperscript},
    {"up", 1, false, kkProperty, ipSuperscript},
    {"nosupersub", 0, true, kkProperty, ipNoSuperSub},
    {"par", static_cast<int>(Pair('\\', 'P')), false, kkCharacter, 0},
    {"\r", static_cast<int>(Pair('\\', 'P')), false, kkCharacter, 0},
    {"\n", static_cast<int>(Pair('\\', 'P')), false, kkCharacter, 0},
    {"tab", 9, false, kkCharacter, 0},
    {"ldblquote", '"', false, kkCharacter, 0},
    {"rdblquote", '"', false, kkCharacter, 0},
    {"bin", 0, false, kkSpecial, spBinary},
    {"*", 0, false, kkSpecial, spSkipIfUnknown},
    {"'", 0, false, kkSpecial, spHex},
    {"pard", 0, false, kkSpecial, spResetParagraph},
    {"plain", 0, false, kkSpecial, spResetCharacters},
    {"author", 0, false, kkDestination, dvSkip},
    {"buptim", 0, false, kkDestination, dvSkip},
    {"comment", 0, false, kkDestination, dvSkip},
    {"creatim", 0, false, kkDestination, dvSkip},
    {"doccomm", 0, false, kkDestination, dvSkip},
    {"footer", 0, false, kkDestination, dvSkip},
    {"footerf", 0, false, kkDestination, dvSkip},
    {"footerl", 0, false, kkDestination, dvSkip},
    {"footerr", 0, false, kkDestination, dvSkip},
    {"footnote", 0, false, kkDestination, dvSkip},
    {"ftncn", 0, false, kkDestination, dvSkip},
    {"ftnsep", 0, false, kkDestination, dvSkip},
    {"ftnsepc", 0, false, kkDestination, dvSkip},
    {"header", 0, false, kkDestination, dvSkip},
    {"headerf", 0, false, kkDestination, dvSkip},
    {"headerl", 0, false, kkDestination, dvSkip},
    {"headerr", 0, false, kkDestination, dvSkip},
    {"info", 0, false, kkDestination, dvSkip},
    {"keywords", 0, false, kkDestination, dvSkip},
    {"operator", 0, false, kkDestination, dvSkip},
    {"pict", 0, false, kkDestination, dvSkip},
    {"printim", 0, false, kkDestination, dvSkip},
    {"private1", 0, false, kkDestination, dvSkip},
    {"revtim", 0, false, kkDestination, dvSkip},
    {"rxe", 0, false, kkDestination, dvSkip},
    {"stylesheet", 0, false, kkDestination, dvSkip},
    {"subject", 0, false, kkDestination, dvSkip},
    {"tc", 0, false, kkDestination, dvSkip},
    {"title", 0, false, kkDestination, dvSkip},
    {"txe", 0, false, kkDestination, dvSkip},
    {"xe", 0, false, kkDestination, dvSkip},
    {"colortbl", 0, false, kkDestination, dvColourTable},
    {"fonttbl", 0, false, kkDestination, dvFontTable},
    {"fname", 0, false, kkDestination, dvFontTable},
    {"{", static_cast<int>(Pair('\\', '{')), false, kkCharacter, 0},
    {"}", static_cast<int>(Pair('\\', '}')), false, kkCharacter, 0},
    {"\\", static_cast<int>(Pair('\\', '\\')), false, kkCharacter, 0},
    {"~", static_cast<int>(Pair('\\', '~')), false, kkCharacter, 0},
};

// Keywords longer than this, and parameters of more digits, are not RTF that we know: a longer
// keyword matches nothing, a longer parameter saturates.
const size_t kMaxKeyword = 31;
const size_t kMaxParamDigits = 19;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%.2f;" whatever the C locale's decimal point.
void AppendValue(std::string& out, double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (result.ec == std::errc())
        out.append(buffer, result.ptr);
    else
        out += "0.00";
    out += ';';
}

bool IsStackSeparator(unsigned value) { return value == '/' || value == '#' || value == '^'; }

} // namespace

CRtfReader::CRtfReader(double scale) : m_scale(scale) {}

int32_t CRtfReader::Parse(const char* rtf)
{
    m_input = rtf ? rtf : "";
    if (m_input.empty())
        return rsEmptyOrEndsInEscape;
    m_output.clear();
    m_output.reserve(m_input.size() + 3);
    m_output += '{';

    size_t i = 0;
    for (;;) {
        if (m_groupDepth < 0)
            return rsUnmatchedClose;
        if (i >= m_input.size()) {
            // A fraction still open at the end is closed, as MTEXT needs its ';'.
            if (m_destination == dStacked)
                CloseStack();
            m_output += '}';
            if (m_groupDepth < 0)
                return rsUnmatchedClose;
            return m_groupDepth > 0 ? rsOpenGroups : rsOk;
        }
        const char ch = m_input[i++];
        if (m_inputState == isBinary) {
            Character(static_cast<unsigned char>(ch));
            continue;
        }
        switch (ch) {
        case '\r':
        case '\n':
            break;
        case '\\': {
            const int32_t status = ControlWord(i);
            if (status)
                return status;
            break;
        }
        case '{':
            Push();
            break;
        case '}':
            if (const int32_t status = Pop())
                return status;
            break;
        default:
            if (m_inputState == isNormal) {
                Character(static_cast<unsigned char>(ch));
            } else if (m_inputState == isHex) {
                // Two digits make one byte.
                const int digit = HexDigit(ch);
                if (digit < 0)
                    return rsBadHex;
                if (m_hexDigits == 0) {
                    m_hexValue = digit;
                    m_hexDigits = 1;
                } else {
                    const unsigned byte = static_cast<unsigned>(m_hexValue * 16 + digit);
                    m_hexDigits = 0;
                    m_inputState = isNormal;
                    Character(byte);
                }
            } else {
                return rsBadInputState;
            }
            break;
        }
    }
}

std::string CRtfReader::Result()
{
    if (m_output.empty() || m_output.back() != '}')
        m_output += '}';
    return m_output;
}

int32_t CRtfReader::ControlWord(size_t& i)
{
    if (i >= m_input.size())
        return rsEmptyOrEndsInEscape;
    std::string keyword;
    bool hasParam = false;
    int32_t param = 0;
    if (IsLetter(m_input[i])) {
        bool tooLong = false;
        while (i < m_input.size() && IsLetter(m_input[i])) {
            if (keyword.size() < kMaxKeyword)
                keyword += m_input[i];
            else
                tooLong = true;
            ++i;
        }
        bool negative = false;
        if (i + 1 < m_input.size() && m_input[i] == '-' && IsDigit(m_input[i + 1])) {
            negative = true;
            ++i;
        }
        long long value = 0;
        size_t digits = 0;
        while (i < m_input.size() && IsDigit(m_input[i])) {
            if (digits < kMaxParamDigits)
                value = value * 10 + (m_input[i] - '0');
            ++digits;
            ++i;
        }
        if (digits) {
            hasParam = true;
            if (value > 2147483647LL)
                value = 2147483647LL;
            param = static_cast<int32_t>(negative ? -value : value);
            m_lastParam = param;
        }
        if (i < m_input.size() && m_input[i] == ' ')
            ++i;
        if (tooLong)
            keyword.clear();
    } else {
        keyword.assign(1, m_input[i++]);
    }
    return Keyword(keyword, hasParam, param);
}

int32_t CRtfReader::Keyword(const std::string& keyword, bool hasParam, int32_t param)
{
    const KeywordEntry* entry = nullptr;
    if (!keyword.empty())
        for (const KeywordEntry& candidate : kKeywords)
            if (keyword == candidate.keyword) {
                entry = &candidate;
                break;
            }
    if (!entry) {
        if (m_skipIfUnknown)
            m_destination = dSkip;
        m_skipIfUnknown = false;
        return rsOk;
    }
    m_skipIfUnknown = false;
    switch (entry->kind) {
    case kkCharacter:
        Character(static_cast<unsigned>(entry->defaultValue));
        return rsOk;
    case kkDestination:
        if (m_destination != dSkip)
            m_destination = entry->index == dvFontTable     ? dFontTable
                            : entry->index == dvColourTable ? dColourTable
                                                            : dSkip;
        return rsOk;
    case kkProperty:
        if (m_destination != dSkip)
            StoreProperty(entry->index, entry->useDefault || !hasParam ? entry->defaultValue : param);
        return rsOk;
    case kkSpecial:
        if (m_destination == dSkip && entry->index != spBinary)
            return rsOk;
        switch (entry->index) {
        case spBinary:
            // No bytes to come: nothing to read as binary.
            if (hasParam && param > 0) {
                m_inputState = isBinary;
                m_binaryLeft = param;
            }
            break;
        case spHex:
            m_inputState = isHex;
            m_hexDigits = 0;
            break;
        case spResetParagraph:
            // A new paragraph's defaults are its own: the character formatting goes on (a
            // colour selected before the first \pard colours the text after it).
            m_para = RtfParaProps();
            break;
        case spResetCharacters:
            m_current = RtfCharProps();
            break;
        case spSkipIfUnknown:
            m_skipIfUnknown = true;
            break;
        default:
            return rsBadTableEntry;
        }
        return rsOk;
    }
    return rsBadTableEntry;
}

void CRtfReader::StoreProperty(int property, int32_t value)
{
    const uint8_t low = static_cast<uint8_t>(value & 0xFF);
    switch (property) {
    case ipBold: m_current.bold = value != 0; break;
    case ipUnderline: m_current.underline = value; break;
    case ipItalic: m_current.italic = value != 0; break;
    case ipFont: m_current.font = value; break;
    case ipSize: m_current.size = value; break;
    case ipExpansion: m_current.expansion = value; break;
    case ipWidthPercent: m_current.widthPercent = value; break;
    case ipCharset: m_current.charset = value; break;
    case ipColour: m_current.colour = value; break;
    case ipLeftIndent: m_para.leftIndent = value; break;
    case ipRightIndent: m_para.rightIndent = value; break;
    case ipFirstIndent: m_para.firstIndent = value; break;
    case ipJustification: m_para.justification = low; break;
    case ipColumns: m_section.columns = value; break;
    case ipBreakKind: m_section.breakKind = low; break;
    case ipPageNumberX: m_section.pageNumberX = value; break;
    case ipPageNumberY: m_section.pageNumberY = value; break;
    case ipPageNumberFormat: m_section.pageNumberFormat = low; break;
    case ipPageWidth: m_document.pageWidth = value; break;
    case ipPageHeight: m_document.pageHeight = value; break;
    case ipLeftMargin: m_document.leftMargin = value; break;
    case ipRightMargin: m_document.rightMargin = value; break;
    case ipTopMargin: m_document.topMargin = value; break;
    case ipBottomMargin: m_document.bottomMargin = value; break;
    case ipFirstPage: m_document.firstPage = value; break;
    case ipFacingPages: m_document.facingPages = low; break;
    case ipLandscape: m_document.landscape = low; break;
    case ipRed: m_current.red = low; break;
    case ipGreen: m_current.green = low; break;
    case ipBlue: m_current.blue = low; break;
    case ipSubscript: m_current.subscript = low; break;
    case ipSuperscript: m_current.superscript = low; break;
    case ipNoSuperSub:
        // Ends super- and subscript alike. Inside a fraction the next character tells whether the
        // fraction goes on (its separator) or ends.
        m_current.subscript = 0;
        m_current.superscript = 0;
        if (m_destination == dStacked)
            m_stackEndPending = true;
        break;
    default: break;
    }
}

void CRtfReader::Character(unsigned value)
{
    if (m_inputState == isBinary && --m_binaryLeft < 1)
        m_inputState = isNormal;
    switch (m_destination) {
    case dSkip:
        return;
    case dFontTable: {
        Font& font = m_fonts[m_current.font];
        if (value == ';') {
            font.charset = m_current.charset;
            font.complete = true;
            m_current.charset = 0;
            m_destination = dSkip;
        } else if (!font.complete) {
            if (value > 0xFF)
                font.name += static_cast<char>(value >> 8);
            font.name += static_cast<char>(value & 0xFF);
        }
        return;
    }
    case dColourTable:
        if (value == ';') {
            m_palette.push_back(CColorIndexTable::FromRgb(RGB(m_current.red, m_current.green, m_current.blue)));
            m_current.red = m_current.green = m_current.blue = 0;
        }
        return;
    default:
        break;
    }

    if (m_destination == dStacked) {
        const bool endPending = m_stackEndPending;
        m_stackEndPending = false;
        if (endPending && IsStackSeparator(value) && !m_stackSeparatorSeen)
            m_stackSeparatorSeen = true;
        else if (endPending || (!m_current.superscript && !m_current.subscript))
            CloseStack();
    }

    const RtfCharProps& c = m_current;
    const RtfCharProps& w = m_written;
    if (c.bold != w.bold || c.underline != w.underline || c.italic != w.italic || c.font != w.font ||
        c.colour != w.colour || c.superscript != w.superscript || c.subscript != w.subscript || c.size != w.size ||
        c.expansion != w.expansion || c.widthPercent != w.widthPercent) {
        WriteChanges();
        m_written = m_current;
    }
    if (value > 0xFF) {
        m_output += static_cast<char>(value >> 8);
        m_output += static_cast<char>(value & 0xFF);
    } else if (value == '\\' || value == '{' || value == '}') {
        // A byte given in hexadecimal (or binary) that MTEXT reads as a code stays a character.
        m_output += '\\';
        m_output += static_cast<char>(value);
    } else {
        m_output += static_cast<char>(value);
    }
}

void CRtfReader::CloseStack()
{
    m_output += ';';
    m_destination = dNormal;
    m_stackSeparatorSeen = false;
    m_stackEndPending = false;
}

void CRtfReader::WriteChanges()
{
    RtfCharProps& c = m_current;
    const RtfCharProps& w = m_written;
    if (c.subscript == 0 && w.subscript != 0 && m_destination == dStacked)
        CloseStack();
    if (m_destination == dStacked)
        return;
    if (c.font != w.font || c.bold != w.bold || c.italic != w.italic) {
        m_output += "\\f";
        const auto font = m_fonts.find(c.font);
        const int32_t charset = font != m_fonts.end() ? font->second.charset : 0;
        m_output += font != m_fonts.end() ? font->second.name : std::string("Arial");
        m_output += "|b";
        // The switches are 0 or 1 in MTEXT: RTF's \b2 is as bold as \b.
        m_output += c.bold ? '1' : '0';
        m_output += "|i";
        m_output += c.italic ? '1' : '0';
        m_output += "|c" + std::to_string(charset) + "|p18;";
    }
    if (c.colour != w.colour) {
        const int32_t number =
            c.colour >= 0 && static_cast<size_t>(c.colour) < m_palette.size() ? m_palette[c.colour] : 0;
        m_output += "\\C" + std::to_string(number) + ";";
    }
    if (c.underline != w.underline)
        m_output += c.underline == 1 ? "\\L" : "\\l";
    if (c.size != w.size) {
        // Half-points to millimetres: 25.4 / 144.
        m_output += "\\H";
        AppendValue(m_output, c.size / m_scale * 0.17638888888888887);
    }
    if (c.expansion != w.expansion) {
        m_output += "\\T";
        AppendValue(m_output, std::pow(2.0, c.size ? c.expansion * 0.5 / c.size : c.expansion / 24.0));
    }
    if (c.widthPercent != w.widthPercent) {
        m_output += "\\W";
        AppendValue(m_output, c.widthPercent * 0.01);
    }
    if (c.superscript && !w.superscript) {
        m_output += "\\S";
        m_destination = dStacked;
        m_stackSeparatorSeen = false;
        m_stackEndPending = false;
    }
}

void CRtfReader::Push()
{
    m_stack.push_back(Saved{m_current, m_para, m_section, m_document, m_destination, m_inputState});
    m_inputState = isNormal;
    ++m_groupDepth;
}

int32_t CRtfReader::Pop()
{
    if (m_stack.empty())
        return rsUnmatchedClose;
    const Saved& saved = m_stack.back();
    // A group that ends a fraction ends it in the MTEXT too.
    if (m_destination == dStacked && saved.destination != dStacked) {
        m_output += ';';
        m_stackSeparatorSeen = false;
        m_stackEndPending = false;
    }
    m_current = saved.chars;
    m_para = saved.para;
    m_section = saved.section;
    m_document = saved.document;
    m_destination = saved.destination;
    m_inputState = saved.inputState;
    m_stack.pop_back();
    --m_groupDepth;
    return rsOk;
}
