#include "model/RtfText.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kDefaultFontTable[] = "{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset204 Txt;}}";

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether a control word (a backslash and a letter) starts at `at`; \u with a number is a
// character of the text.
bool ControlWordAt(const std::string& rtf, size_t at)
{
    if (at + 1 >= rtf.size() || rtf[at] != '\\' || !IsLetter(rtf[at + 1]))
        return false;
    return !(rtf[at + 1] == 'u' && at + 2 < rtf.size() && (IsDigit(rtf[at + 2]) || rtf[at + 2] == '-'));
}

// Where the text of the document begins: a character after which stands neither a group nor a
// control word.
bool BodyFollows(const std::string& rtf, size_t at)
{
    return at + 1 < rtf.size() && rtf[at + 1] != '{' && !ControlWordAt(rtf, at + 1);
}

// The name of the group opened at `at`: "*" for an ignorable destination, else its first
// control word.
std::string GroupName(const std::string& rtf, size_t at)
{
    if (at + 2 >= rtf.size() || rtf[at + 1] != '\\')
        return std::string();
    if (rtf[at + 2] == '*')
        return "*";
    size_t end = at + 2;
    while (end < rtf.size() && IsLetter(rtf[end]))
        ++end;
    return rtf.substr(at + 2, end - at - 2);
}

// The end (one past its '}') of the group opened at `at`; escaped braces do not count.
size_t GroupEnd(const std::string& rtf, size_t at)
{
    int depth = 0;
    for (size_t i = at; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth == 0)
            return i + 1;
    }
    return rtf.size();
}

long RoundHalfAway(double v) { return static_cast<long>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5)); }

} // namespace

bool NormalizeRtfText(const std::string& rtf, float height, std::string* out)
{
    if (rtf.compare(0, 5, "{\\rtf") != 0)
        return false;
    const size_t npos = std::string::npos;
    const size_t size = rtf.find("\\fs");
    const size_t table = rtf.find("\\fonttbl");
    // The selector of a font in the text (the table's own first entry does not count).
    size_t selector = npos;
    for (size_t at = rtf.find("\\f", table == npos ? 0 : table + 10); at != npos; at = rtf.find("\\f", at + 2))
        if (at + 2 < rtf.size() && IsDigit(rtf[at + 2])) {
            selector = at;
            break;
        }
    if (size != npos && table != npos && selector != npos) {
        *out = rtf;
        out->insert(size, "\\f0");
        return true;
    }
    if (size != npos && selector == npos)
        return false;

    char sizeText[32];
    std::snprintf(sizeText, sizeof sizeText, "\\f0\\fs%ld", height > 0 ? RoundHalfAway(height) : 0L);
    const bool tableOnly = size != npos && selector != npos;
    std::string copy;
    copy.reserve(rtf.size() + sizeof kDefaultFontTable + sizeof sizeText);
    bool haveTable = false;
    bool inserted = false;
    const size_t n = rtf.size();
    for (size_t i = 0; i < n;) {
        const char c = rtf[i];
        if (c == '\r' && i + 1 < n && rtf[i + 1] == '\n') {
            i += 2;
            continue;
        }
        if (c == '\\') {
            copy.append(rtf, i, i + 1 < n ? 2 : 1);
            i += 2;
            continue;
        }
        if (c == '{' && rtf.compare(i + 1, 4, "\\rtf") == 0) {
            copy += c;
            ++i;
            continue;
        }
        const bool group = c == '{';
        if (!group && !(IsSpace(c) && BodyFollows(rtf, i))) {
            copy += c;
            ++i;
            continue;
        }
        const std::string name = group ? GroupName(rtf, i) : std::string();
        if (name == "fonttbl") {
            haveTable = true;
        } else if (!haveTable) {
            copy += kDefaultFontTable;
            haveTable = inserted = true;
            if (tableOnly) {
                copy.append(rtf, i, npos);
                break;
            }
        }
        if (name == "*" || name == "fonttbl" || name == "colortbl" || name == "stylesheet") {
            // The document's tables and hidden groups stay as they are.
            const size_t end = GroupEnd(rtf, i);
            copy.append(rtf, i, end - i);
            i = end;
            continue;
        }
        if (BodyFollows(rtf, i)) {
            if (!tableOnly) {
                copy += sizeText;
                inserted = true;
            }
            copy.append(rtf, i, npos);
            break;
        }
        copy += c;
        ++i;
    }
    if (!inserted)
        return false;
    out->swap(copy);
    return true;
}

std::string AddRtfTextColour(const std::string& rtf, COLORREF colour)
{
    char entry[64];
    std::snprintf(entry, sizeof entry, "\\red%u\\green%u\\blue%u;", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    std::string out = rtf;
    const size_t table = rtf.find("{\\colortbl");
    if (table == std::string::npos || table == 0) {
        // A colour table of its own after the header's last group (the one before the document's
        // closing brace), and the colour selected where the text goes on.
        const size_t last = rtf.rfind('}');
        if (last == std::string::npos || last == 0)
            return out;
        const size_t before = rtf.rfind('}', last - 1);
        if (before == std::string::npos)
            return out;
        const std::string group = std::string("{\\colortbl;") + entry + "}";
        out.insert(before + 1, group);
        // The space ends the control word: what follows stays as it was.
        out.insert(before + 1 + group.size(), "\\cf1 ");
        return out;
    }
    const size_t end = rtf.find('}', table);
    if (end == std::string::npos)
        return out;
    int number = 0;
    for (size_t i = table; i < end; ++i)
        if (rtf[i] == ';')
            ++number;
    char select[32];
    std::snprintf(select, sizeof select, "\\cf%d ", number);
    out.insert(end + 1, select);
    out.insert(end, entry);
    return out;
}

void ReadRtfFontDescription(const std::string& rtf, int* charset, std::string* face, DWORD* style)
{
    const size_t npos = std::string::npos;
    const size_t table = rtf.find("\\fonttbl");
    if (table != npos) {
        const size_t end = rtf.find('}', table);
        const std::string entry = rtf.substr(table, end == npos ? npos : end - table);
        const size_t set = entry.find("\\fcharset");
        if (set != npos && set + 9 < entry.size() && IsDigit(entry[set + 9]))
            *charset = std::atoi(entry.c_str() + set + 9);
        // The name follows the entry's control words after a space; it may hold spaces itself.
        for (size_t at = entry.find(' '); at != npos; at = entry.find(' ', at + 1)) {
            const char next = at + 1 < entry.size() ? entry[at + 1] : '\0';
            if (next == '\0' || std::strchr("; }{\\", next))
                continue;
            size_t stop = at + 1;
            while (stop < entry.size() && !std::strchr(";}{\\", entry[stop]))
                ++stop;
            std::string name = entry.substr(at + 1, stop - at - 1);
            while (!name.empty() && IsSpace(name.back()))
                name.pop_back();
            *face = name;
            break;
        }
    }
    struct Switch
    {
        const char* word;
        DWORD bit;
    } switches[] = {{"\\ul", 0x1}, {"\\i", 0x4}, {"\\strike", 0x2}};
    for (const Switch& s : switches) {
        const size_t length = std::strlen(s.word);
        for (size_t at = rtf.find(s.word); at != npos; at = rtf.find(s.word, at + 1)) {
            const char next = at + length < rtf.size() ? rtf[at + length] : '\0';
            if (next != '\0' && (IsSpace(next) || next == '\\' || next == '{' || next == '}')) {
                *style |= s.bit;
                break;
            }
        }
    }
}
