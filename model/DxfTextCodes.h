#pragma once
// The codes of DXF text entities: the "%%" control codes of their strings (the special characters
// a TEXT carries as codes, decoded when read and encoded when written), the justification codes
// of TEXT and attributes and the attachment point of MTEXT, both as the text's alignment flags
// (0x2 right, 0x6 centre, 0x8 bottom, 0x10000 middle, 0x18 baseline, 0 top left), and the pieces
// an MTEXT string is written in.
#include <windows.h>
#include <string>
#include <vector>

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

    // Alignment of the horizontal (72) and vertical (73, or 74 for attributes) justification.
    // The baseline row keeps the horizontal bits beside the baseline bits 0x18 (a right or centred
    // text on its baseline stays right or centred); "middle" (4) is the middle of the text either
    // way, and aligned (3) and fit (5) texts stand on the baseline from their first point.
    static DWORD AlignFromJustification(int horizontal, int vertical);
    // The point a TEXT is anchored at: its first alignment point for the default left baseline and
    // for aligned and fit texts, else its second.
    static bool AnchoredAtFirstPoint(int horizontal, int vertical);
    // The justification codes of an alignment, as written back.
    static int HorizontalJustification(DWORD align);
    static int VerticalJustification(DWORD align);
    // MTEXT attachment points 1 to 9 (top, middle, bottom rows; left, centre, right) and the
    // alignment; outside 1..9 the alignment is 0. A baseline alignment attaches at the bottom.
    static DWORD AlignFromAttachment(int attachment);
    static int AttachmentFromAlign(DWORD align);
    // The rotation in degrees of a text direction vector; a zero vector leaves `unchanged`.
    static double RotationFromDirection(double dx, double dy, double unchanged);
    // An MTEXT string as its groups: pieces of 255 characters (groups 3) and the rest (group 1).
    static std::vector<std::string> SplitMtext(const std::string& text);
};
