#pragma once
// The vertices dialog as the control sees it: the control makes one in its constructor and runs
// it over its window for the "Vertices List" command, on its single selected polyline. The dialog
// itself sits with the dialogs above the control; the module names a maker of it at start (a
// control made without one has no vertices dialog).
#include <windows.h>
#include <memory>

class CYVEXControl;

class CVerticesDialogHost
{
public:
    virtual ~CVerticesDialogHost() = default;
    // Runs the dialog modally over `owner` for the control; the button that ended it (IDOK or
    // IDCANCEL), -1 when it could not be shown.
    virtual INT_PTR Run(CYVEXControl* control, HWND owner) = 0;
};

using VerticesDialogMaker = std::unique_ptr<CVerticesDialogHost> (*)();
// Named once by the module.
void SetVerticesDialogMaker(VerticesDialogMaker maker);
std::unique_ptr<CVerticesDialogHost> MakeVerticesDialog();
