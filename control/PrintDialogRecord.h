#pragma once
// What the print dialog's extra controls decide, handed to the dialog as its custom data and kept
// by the control between prints: the print type (PrintTypes) chosen, and whether the user asked to
// pick the print window on the drawing or to see the host's print preview instead of printing.
class CYVEXControl;

struct CPrintDialogRecord {
    CYVEXControl* control = nullptr;
    int printType = 0;
    int windowRequest = 0;
    int previewRequest = 0;
};
