#pragma once
// The shape-properties window as the control sees it: the control makes one in its constructor
// and shows its Selection in it (ShapeProperties, Ctrl+Enter, the "Properties" command). The
// window itself sits with the dialogs above the control; the module names a maker of it at start
// (a control made without one has no properties window).
#include <windows.h>
#include <memory>

class CYVEXControl;
class CGroup;

class CPropertiesDialogHost
{
public:
    virtual ~CPropertiesDialogHost() = default;
    // Loads the shapes of the group (none: the placeholder row); false when there are none.
    virtual bool ShowShapes(CGroup* shapes) = 0;
    // Makes the modeless window over `owner` when it does not exist; the window, null on failure.
    virtual HWND CreateWindowFor(HWND owner) = 0;
    // The window while it exists, else null.
    virtual HWND GetWindow() const = 0;
    // Lets go of the shapes' automation objects (the window hidden or closed).
    virtual void ReleaseObjects() = 0;
    // The external text editor's command and the decimals of new rows, as the control sets them.
    virtual void SetTextEditor(const char* command) = 0;
    virtual void SetDefaultDecimals(int decimals) = 0;
};

using PropertiesDialogMaker = std::unique_ptr<CPropertiesDialogHost> (*)(CYVEXControl* control);
// Named once by the module.
void SetPropertiesDialogMaker(PropertiesDialogMaker maker);
std::unique_ptr<CPropertiesDialogHost> MakePropertiesDialog(CYVEXControl* control);
