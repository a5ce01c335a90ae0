#pragma once
// The "%%" control codes of DXF text strings: the special characters a TEXT (and the other text
// entities) carries as codes, decoded when read and encoded when written.
#include <string>

class CDxfTextCodes
{
public:
    // %%% is '%'; %%c, %%d, %%p (either case) are the bytes 0xA4, 0xB0, 0xB1; %%o and %%u
    // (overline and underline switches, either case) are dropped; %% and three decimal digits
    // is the byte of that code (1 to 255). Every other '%' is kept as it stands.
    static std::string Decode(const std::string& text);
    // The other way: 0xA4, 0xB0, 0xB1 and '%' as their codes, and line feed, carriage return,
    // '$', '#' and '&' as "%%" with their three-digit code. In an MTEXT string '#' stays as it
    // is: it separates the parts of a stacked fraction there.
    static std::string Encode(const std::string& text, bool mtext);
};
