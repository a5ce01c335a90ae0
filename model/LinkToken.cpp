#include "model/LinkToken.h"

void CLinkToken::Draw(HDC dc, const RECT& rect) const
{
    if (!dc || m_style != 1)
        return;
    HPEN pen = CreatePen(PS_SOLID, 0, 0x000000);
    HBRUSH brush = CreateSolidBrush(0xFFFF00);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}
