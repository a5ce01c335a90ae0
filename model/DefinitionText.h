#pragma once
// Reading the definitions texts of the built-in line types and hatch patterns: blocks that begin
// with a header "*NAME, description" at the start of a line, followed by the block's own lines.
// Lines end with a carriage return, a line feed or both (or a NUL, where a text was cut).

inline bool IsDefinitionBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDefinitionLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

inline const char* SkipDefinitionBlanks(const char* p, const char* end)
{
    while (p < end && IsDefinitionBlank(*p))
        ++p;
    return p;
}

inline const char* FindDefinitionLineEnd(const char* p, const char* end)
{
    while (p < end && !IsDefinitionLineEnd(*p))
        ++p;
    return p;
}

// Past one line end: a carriage return, a line feed, or both in that order.
inline const char* SkipDefinitionLineEnd(const char* p, const char* end)
{
    if (p < end && *p == '\r')
        ++p;
    if (p < end && *p == '\n')
        ++p;
    return p;
}

// The header line of a block: the name begins after the '*' and its blanks; comma is the first
// comma of the line (null when it has none), after which (and its blanks) the description runs to
// the line end.
struct CDefinitionHeader
{
    const char* name = nullptr;
    const char* comma = nullptr;
    const char* description = nullptr;
    const char* lineEnd = nullptr;
};

// False when the text does not begin with '*'.
inline bool ReadDefinitionHeader(const char* text, const char* end, CDefinitionHeader* header)
{
    if (!text || text >= end || *text != '*')
        return false;
    header->name = SkipDefinitionBlanks(text + 1, end);
    header->lineEnd = FindDefinitionLineEnd(header->name, end);
    header->comma = nullptr;
    for (const char* p = header->name; p < header->lineEnd; ++p)
        if (*p == ',') {
            header->comma = p;
            break;
        }
    header->description = header->comma ? SkipDefinitionBlanks(header->comma + 1, header->lineEnd) : header->lineEnd;
    return true;
}
