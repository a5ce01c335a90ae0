#include "model/DxfTextCodes.h"
#include <cstdio>

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}

std::string CDxfTextCodes::Decode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != '%' || i + 2 >= n || text[i + 1] != '%') {
            out += text[i];
            continue;
        }
        const char code = text[i + 2];
        switch (code) {
        case '%': out += '%'; i += 2; continue;
        case 'c': case 'C': out += '\xA4'; i += 2; continue;
        case 'd': case 'D': out += '\xB0'; i += 2; continue;
        case 'p': case 'P': out += '\xB1'; i += 2; continue;
        case 'o': case 'O': case 'u': case 'U': i += 2; continue;
        default: break;
        }
        if (i + 4 < n && IsDigit(text[i + 2]) && IsDigit(text[i + 3]) && IsDigit(text[i + 4])) {
            const int value = (text[i + 2] - '0') * 100 + (text[i + 3] - '0') * 10 + (text[i + 4] - '0');
            // A code of 0 would end the text, and bytes stop at 255: those stay as written.
            if (value >= 1 && value <= 255) {
                out += static_cast<char>(value);
                i += 4;
                continue;
            }
        }
        out += '%';
    }
    return out;
}

std::string CDxfTextCodes::Encode(const std::string& text, bool mtext)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        switch (byte) {
        case 0xA4: out += "%%c"; break;
        case 0xB0: out += "%%d"; break;
        case 0xB1: out += "%%p"; break;
        case '%': out += "%%%"; break;
        case '#':
            if (mtext) {
                out += ch;
                break;
            }
            [[fallthrough]];
        case '\n':
        case '\r':
        case '$':
        case '&': {
            char code[8];
            std::snprintf(code, sizeof code, "%%%%%03u", byte);
            out += code;
            break;
        }
        default: out += ch; break;
        }
    }
    return out;
}
