#include "model/PatternFill.h"
#include "com/Owners.h"

void PatternFillRect(HDC dc, const RECT& rect, COLORREF colour, int kind, const WORD* rows)
{
    if (!dc)
        return;
    WORD bits[8];
    for (int i = 0; i < 8; ++i) {
        switch (kind) {
        case 2: bits[i] = (i & 1) ? 0xDD : 0x77; break;
        case 3:
            if (rows) {
                bits[i] = rows[i];
                break;
            }
            // fall through: no rows given
        default: bits[i] = (i & 1) ? 0xAA : 0x55; break;
        }
    }
    ycom::GdiObject<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, bits));
    ycom::GdiObject<HBRUSH> brush(pattern ? CreatePatternBrush(pattern.Get()) : nullptr);
    if (!brush)
        return;
    const COLORREF oldBack = GetBkColor(dc);
    const COLORREF oldText = GetTextColor(dc);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    {
        ycom::SelectGuard selected(dc, brush.Get());
        // A monochrome pattern brush paints its 1 bits in the background colour and its 0 bits
        // in the text colour. First the pattern's 0 bits are cleared (destination AND pattern,
        // white over the 1 bits), then the colour is put into them (destination OR pattern,
        // black over the 1 bits).
        SetBkColor(dc, 0xFFFFFF);
        SetTextColor(dc, 0x000000);
        PatBlt(dc, rect.left, rect.top, width, height, 0x00A000C9);
        SetBkColor(dc, 0x000000);
        SetTextColor(dc, colour);
        PatBlt(dc, rect.left, rect.top, width, height, 0x00FA0089);
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}
