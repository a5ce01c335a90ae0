#include "model/DxfTextCodes.h"
#include <cmath>
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

namespace {
// Alignment flags.
const DWORD kRight = 0x2;
const DWORD kCentre = 0x6;
const DWORD kBottom = 0x8;
const DWORD kBaseline = 0x18;
const DWORD kMiddle = 0x10000;
// MTEXT attachment points 1..9.
const DWORD kAttachments[9] = {0x0, 0x6, 0x2, 0x10000, 0x10006, 0x10002, 0x8, 0xE, 0xA};
} // namespace

DWORD CDxfTextCodes::AlignFromJustification(int horizontal, int vertical)
{
    if (horizontal == 3 || horizontal == 5)
        return kBaseline;
    DWORD bits = 0;
    if (horizontal == 1 || horizontal == 4)
        bits = kCentre;
    else if (horizontal == 2)
        bits = kRight;
    switch (vertical) {
    case 3: return bits;
    case 2: return bits | kMiddle;
    case 1: return bits | kBottom;
    default: return horizontal == 4 ? (kMiddle | kCentre) : (bits | kBaseline);
    }
}

bool CDxfTextCodes::AnchoredAtFirstPoint(int horizontal, int vertical)
{
    return (horizontal == 0 && vertical == 0) || horizontal == 3 || horizontal == 5;
}

int CDxfTextCodes::HorizontalJustification(DWORD align)
{
    switch (align & kCentre) {
    case kRight: return 2;
    case kCentre: return (align & kMiddle) ? 4 : 1;
    default: return 0;
    }
}

int CDxfTextCodes::VerticalJustification(DWORD align)
{
    switch (align & (kMiddle | kBaseline)) {
    case 0: return 3;
    case kBottom: return 1;
    case kMiddle: return (align & kCentre) < kCentre ? 2 : 0;
    default: return 0;
    }
}

DWORD CDxfTextCodes::AlignFromAttachment(int attachment)
{
    return attachment >= 1 && attachment <= 9 ? kAttachments[attachment - 1] : 0;
}

int CDxfTextCodes::AttachmentFromAlign(DWORD align)
{
    DWORD key = align & (kMiddle | kBaseline | kCentre);
    // The baseline is the bottom row; middle and bottom together are the middle.
    if (key & kBaseline)
        key = (key & ~kBaseline) | ((key & kMiddle) ? 0 : kBottom);
    if ((key & kCentre) == 0x4)
        key &= ~kCentre;
    for (int i = 0; i < 9; ++i)
        if (kAttachments[i] == key)
            return i + 1;
    return 1;
}

double CDxfTextCodes::RotationFromDirection(double dx, double dy, double unchanged)
{
    if (dx == 0.0 && dy == 0.0)
        return unchanged;
    const double degrees = std::atan2(dy, dx) * 57.29577951308239;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

std::vector<std::string> CDxfTextCodes::SplitMtext(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t at = 0;
    while (text.size() - at > 255) {
        pieces.push_back(text.substr(at, 255));
        at += 255;
    }
    pieces.push_back(text.substr(at));
    return pieces;
}
