#pragma once
#include <windows.h>
#include <functional>
#include "model/RealPoint.h"
#include "model/RealRect.h"
// The control's page set-up: whether the printer has been set up, the paper size in millimetres,
// and what and how to print: the area type (1 draft limits, 2 display, 3 selection, 4 window),
// the print rectangle, centring, offset and scale (0 or below: fit to the page).
class CPageSetupRecord
{
public:
    int printerSetUp = 0;
    // The printer's paper code (DMPAPER_), 0 when the paper is not known.
    short paperId = 0;
    CRealPoint paperSize{0.0f, 0.0f};
    int printType = 0;
    CRealRect printRect;
    short centered = 0;
    CRealPoint printOffset{0.0f, 0.0f};
    float printScale = 0.0f;

    // Stores the rectangle. A printer never set up, or no paper size, takes the paper of the
    // default printer (`defaultPaper` answers false without one). A rectangle whose orientation
    // differs from the paper's turns the paper.
    void SetPrintRect(const CRealRect& rect, const std::function<bool(CRealPoint*)>& defaultPaper);
};
