#include "model/LinkToken.h"
#include "com/Owners.h"

void CLinkToken::Draw(HDC dc, const RECT& rect) const
{
    if (!dc || m_style != 1)
        return;
    ycom::Pen pen(CreatePen(PS_SOLID, 0, 0x000000));
    ycom::Brush brush(CreateSolidBrush(0xFFFF00));
    ycom::SelectGuard selectedPen(dc, pen.Get());
    ycom::SelectGuard selectedBrush(dc, brush.Get());
    Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
}
