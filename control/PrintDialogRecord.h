#pragma once
// The working record of the print and page-setup dialogs: handed to the dialog as its custom data
// and kept by the hook as the dialog window's user data, and kept by the control between prints.
// It carries what the dialogs' extra controls decide: the scale (tenths of a millimetre per
// drawing unit; negative for "scaled to fit", its magnitude the last fit), the offset or
// centring, the print type (PrintTypes) and its rectangle, and whether the user asked to pick the
// print window on the drawing or to see the host's print preview instead of printing.
#include <windows.h>
#include "model/RealPoint.h"

class CYVEXControl;

struct CPrintDialogRecord {
    CYVEXControl* control = nullptr;
    double scale = 0.0;
    int reserved = 0;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    int centered = 0;
    int windowRequest = 0;
    int previewRequest = 0;
    int printType = 0;
    int windowDefined = 0;
    CRealPoint paperSize{0.0f, 0.0f};
    float areaLeft = 0.0f, areaTop = 0.0f, areaRight = 0.0f, areaBottom = 0.0f;
    void* dialog = nullptr;
    HENHMETAFILE preview = nullptr;
};

// The hook procedure of the control's print and page-setup templates and the page-setup
// dialog's paint hook, named once by the module (the dialogs run plain without them).
using PrintDialogHook = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
void SetPrintDialogHooks(PrintDialogHook hook, PrintDialogHook paintHook);
PrintDialogHook GetPrintDialogHook();
PrintDialogHook GetPageSetupPaintHook();
