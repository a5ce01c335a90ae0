#pragma once
// The control's Options sheet as the control sees it: the control owns one for its whole life,
// shows it on demand (DisplayOptions, the menu command, the reopen message) and tells its pages
// about changes made elsewhere. The sheet itself sits with the dialogs above the control; the
// module names a maker of it at start (a control made without one has no Options sheet).
#include <windows.h>
#include <memory>

class CYVEXControl;

class COptionsDialog
{
public:
    // The pages, in sheet order: the type library's OptionsPageIndex.
    enum Page {
        kGeneral = 0,
        kDrawingSettings = 1,
        kViewports = 2,
        kLayers = 3,
        kImages = 4,
        kHatches = 5,
        kBlocks = 6,
        kDefaultShapes = 7,
        kAbout = 8,
        kPageCount = 9
    };

    virtual ~COptionsDialog() = default;

    // The page the next Show opens at.
    virtual void SetStartPage(int page) = 0;
    virtual int GetStartPage() const = 0;
    // Shows the sheet over the control and returns when it closes (the pages are made afresh for
    // each showing and go when it closes). Nothing happens while the sheet is shown already.
    virtual void Show(CYVEXControl* control, HWND parent) = 0;
    // The sheet's window while it is shown, else null.
    virtual HWND GetWindow() const = 0;
    // The window of a page while it exists, else null.
    virtual HWND GetPageWindow(int page) const = 0;
    // Every page but About allows or refuses editing.
    virtual void EnablePages(bool enable) = 0;

    HWND GetViewportsPageWindow() const { return GetPageWindow(kViewports); }
    HWND GetDrawingSettingsPageWindow() const { return GetPageWindow(kDrawingSettings); }
    HWND GetLayersPageWindow() const { return GetPageWindow(kLayers); }
};

using OptionsDialogMaker = std::unique_ptr<COptionsDialog> (*)();
// Named once by the module.
void SetOptionsDialogMaker(OptionsDialogMaker maker);
std::unique_ptr<COptionsDialog> MakeOptionsDialog();
