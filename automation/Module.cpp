#include "automation/Module.h"
#include "automation/ResultCodes.h"
#include "control/PageSetupPaper.h"
#include "control/PrintDialogRecord.h"
#include "control/SharedPrintSetup.h"
#include "ui/BlockDialogs.h"
#include "ui/MultilineTextDialog.h"
#include "ui/OptionsImagesPage.h"
#include "ui/OptionsSheet.h"
#include "ui/PageSetupDialog.h"
#include "ui/PaperSizes.h"
#include "ui/PropertiesDialog.h"
#include "ui/SiteListDialog.h"
#include "ui/VerticesDialog.h"
#include "YVEX_h.h"

namespace {

HMODULE g_richEdit = nullptr;

} // namespace

void ModuleAttach(HINSTANCE instance)
{
    ycom::TheModule().Init(g_yvexClasses, g_yvexClassCount, instance, LIBID_YVEXLib);
    ycom::TheModule().SetErrorSource(kErrorSource);
    DisableThreadLibraryCalls(instance);
    // The text shapes and the in-place text editor use Rich Edit 1.0; a failure shows later as
    // missing rich text, not here.
    g_richEdit = LoadLibraryW(L"RICHED32.DLL");
    // The text editor every control makes for its texts.
    SetTextEditorDialogMaker(
        []() -> std::unique_ptr<CTextEditorDialog> { return std::make_unique<CMultilineTextDialog>(); });
    // The Options sheet every control makes for itself.
    SetOptionsDialogMaker([]() -> std::unique_ptr<COptionsDialog> { return std::make_unique<COptionsSheet>(); });
    // The block commands' name questions.
    RegisterBlockNamePrompts();
    // Images drawn with the mouse take their picture from the image chooser.
    RegisterImageChooser();
    // Printer paper codes are looked up in the dialogs' paper table.
    SetPaperCodeLookup(LookUpPaperCode);
    // The print and page-setup dialogs run with the control's templates and hooks.
    SetPrintDialogHooks(PageSetupDialogProc, PageSetupPaintHook);
    // The site commands choose from the site list dialog.
    SetSiteListShower(&ShowSiteListDialog);
    // The vertices dialog every control makes for itself.
    SetVerticesDialogMaker(
        []() -> std::unique_ptr<CVerticesDialogHost> { return std::make_unique<CVerticesDialog>(); });
    // The properties window every control makes for itself.
    SetPropertiesDialogMaker([](CYVEXControl* control) -> std::unique_ptr<CPropertiesDialogHost> {
        return std::make_unique<CPropertiesDialog>(control);
    });
}

void ModuleDetach(bool processEnding)
{
    if (g_richEdit) {
        FreeLibrary(g_richEdit);
        g_richEdit = nullptr;
    }
    ycom::TheModule().Term(processEnding);
    SetSharedDevMode(nullptr, TRUE);
    SetSharedDevNames(nullptr, TRUE);
}

HINSTANCE ModuleInstance() { return ycom::TheModule().Instance(); }

HINSTANCE ModuleResourceInstance() { return ycom::TheModule().ResourceInstance(); }

void ModuleSetResourceInstance(HINSTANCE instance) { ycom::TheModule().SetResourceInstance(instance); }
