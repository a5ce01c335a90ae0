#pragma once
// The control's page of the print and page-setup dialogs: the scale read from and shown in the
// page and drawing fields, and the fit of the print area on the paper. A positive scale is in
// tenths of a millimetre of paper per drawing unit; a negative one marks "Scaled to fit" and
// keeps the magnitude of the last fit.
#include <windows.h>
#include <string>
#include "model/RealPoint.h"
#include "model/RealRect.h"

// The scale of the fields: page P millimetres (inches with `inches`) for drawing D units; zero
// fields count as 1. Negated when `fit` is set.
double PageSetupReadScale(const char* pageText, const char* drawingText, bool inches, bool fit);

// The page field's text ("%.2f") for a scale, the drawing field showing "1": page millimetres per
// drawing unit, or inches per unit with `inches`. Reading the two fields back gives the scale.
std::string PageSetupPageText(double scale, bool inches);

// The fit of an area (drawing units) on the paper (millimetres): the scale (negative), the factor
// (paper millimetres per drawing unit) and, for a centred print, the offsets that put the scaled
// area in the paper's middle.
struct CPageSetupFit {
    double scale = 0.0;
    double factor = 1.0;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};
CPageSetupFit PageSetupComputeFit(const CRealRect& area, const CRealPoint& paper);

struct CPrintDialogRecord;

// The print area kind (1 limits, 2 display, 3 selection, 4 window) by the checked radio: 1 with
// none checked, 0 when the dialog has no working record.
int PageSetupGetPrintArea(HWND dialog);
// Computes the print area's rectangle for the checked radio into the working record; the kind.
int PageSetupUpdatePrintArea(HWND dialog);
// With "Scaled to fit" checked, fits the area on the paper: the scale, the page and drawing
// fields and, when centred, the offsets.
void PageSetupFit(HWND dialog);
// Reads the fields into the working record and enables the scale fields only when not fitting,
// the offsets only when not centred.
void PageSetupReadControls(HWND dialog);

// The hook procedure of the control's print (1538) and page-setup (344) templates. Its working
// record comes as the dialog structure's custom data; the structure is told apart by its size.
UINT_PTR CALLBACK PageSetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The page-setup dialog's paint hook: draws the print area, at the chosen scale and offset, on
// the paper preview in place of the system's sample text.
UINT_PTR CALLBACK PageSetupPaintHook(HWND preview, UINT message, WPARAM wParam, LPARAM lParam);
// The application message that asks the dialog to fit again.
constexpr UINT kPageSetupRefit = 0x8019;
