#include "interchange/DxfTextPieces.h"
#include "interchange/DxfFile.h"
#include <algorithm>

bool WriteDxfTextPieces(CDxfFile& dxf, int code, int continuation, const char* text, size_t piece)
{
    const std::string all = text ? text : "";
    if (piece == 0 || piece > static_cast<size_t>(CDxfFile::kMaxTextLength))
        piece = static_cast<size_t>(CDxfFile::kMaxTextLength);
    size_t at = 0;
    do {
        // ASCII readers take the blanks at either end of a value away: a piece neither ends nor
        // begins with one where the text allows.
        size_t length = std::min(piece, all.size() - at);
        if (at + length < all.size()) {
            size_t cut = length;
            while (cut > 1 && (all[at + cut - 1] == ' ' || all[at + cut] == ' '))
                --cut;
            if (cut > 1)
                length = cut;
        }
        const std::string part = all.substr(at, length);
        if (!dxf.WriteStringGroup(at == 0 ? code : continuation, part.c_str()))
            return false;
        at += part.size();
    } while (at < all.size());
    return true;
}

void ReadDxfTextContinuation(CDxfFile& dxf, int continuation, std::string& text)
{
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != continuation) {
            dxf.UngetGroup();
            return;
        }
        text += dxf.GetText();
    }
}
