#pragma once
// The paper arithmetic of printing and page set-up: printer paper codes looked up in the paper
// table that the dialogs keep (the module names the lookup at start; without one no code is
// known), the page turned to a paper, and millimetres in the page-setup dialog's own units.
#include <windows.h>
#include "model/RealPoint.h"

class CYVEXControl;

// A printer paper code's two dimensions as the table lists them (the long side first) and the
// table's unit code (4 millimetres, anything else inches); false for a code no paper stands for.
using PaperCodeLookup = bool (*)(CYVEXControl* control, int paperCode, double* first, double* second, int* unit);
// Named once by the module.
void SetPaperCodeLookup(PaperCodeLookup lookup);

// The paper of the code in millimetres, long side first; false when the code is unknown.
bool PaperOfCode(CYVEXControl* control, int paperCode, double* longSide, double* shortSide);

// Turns `page` (millimetres) to the paper of `paperCode`, in the page's orientation (a page wider
// than high stays wide; any other, also an unset one, is tall). An unset page (a zero side) takes
// the paper's size and reports no change; a set one reports new minus old in `delta`. An unknown
// code leaves the page as it is with no change: false.
bool PageSetupApplyPaperSize(CYVEXControl* control, int paperCode, CRealPoint* page, CRealPoint* delta);

// Millimetres in the page-setup dialog's units: hundredths of millimetres
// (PSD_INHUNDREDTHSOFMILLIMETERS), thousandths of inches (PSD_INTHOUSANDTHSOFINCHES), else
// millimetres; rounded.
LONG PaperMmToDialogUnits(double mm, DWORD flags);
