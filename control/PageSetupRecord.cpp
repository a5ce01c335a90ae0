#include "control/PageSetupRecord.h"
#include <utility>

void CPageSetupRecord::SetPrintRect(const CRealRect& rect, const std::function<bool(CRealPoint*)>& defaultPaper)
{
    printRect = rect;
    if (!printerSetUp || paperSize.x == 0.0f || paperSize.y == 0.0f) {
        CRealPoint paper;
        if (defaultPaper && defaultPaper(&paper))
            paperSize = paper;
        printerSetUp = 1;
    }
    const float width = rect.right - rect.left;
    const float height = rect.top > rect.bottom ? rect.top - rect.bottom : rect.bottom - rect.top;
    const bool rectLandscape = height < (width < 0 ? -width : width);
    const bool paperLandscape = paperSize.y < paperSize.x;
    if (rectLandscape != paperLandscape)
        std::swap(paperSize.x, paperSize.y);
}
