#pragma once
// The plain characters of an RTF text, for the converters that write a text without its
// formatting. The outer braces are left aside; every control word goes (to the next blank,
// brace or backslash, with one blank after it), so do groups in braces with what they hold;
// the rest is kept. Works on narrow and wide strings alike.
#include <cstddef>

template <class String>
String ReducedRtf(const String& rtf)
{
    using Char = typename String::value_type;
    const Char blank = Char(' '), open = Char('{'), close = Char('}'), escape = Char('\\');
    String out;
    const std::size_t end = rtf.size() > 0 ? rtf.size() - 1 : 0;
    std::size_t i = 1;
    while (i < end) {
        const Char c = rtf[i];
        if (c == escape) {
            ++i;
            while (i < end && rtf[i] != blank && rtf[i] != open && rtf[i] != close && rtf[i] != escape)
                ++i;
            if (i < end && rtf[i] == blank)
                ++i;
        } else if (c == open) {
            int depth = 0;
            while (i < rtf.size()) {
                if (rtf[i] == open)
                    ++depth;
                else if (rtf[i] == close && --depth == 0) {
                    ++i;
                    break;
                }
                ++i;
            }
        } else if (c == close) {
            ++i;
        } else {
            while (i < end && rtf[i] != escape && rtf[i] != open && rtf[i] != close)
                out += rtf[i++];
        }
    }
    return out;
}
