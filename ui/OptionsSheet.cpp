#include "ui/OptionsSheet.h"
#include "com/Module.h"
#include "control/YVEXControl.h"
#include "ui/OptionsAboutPage.h"
#include "ui/OptionsBlocksPage.h"
#include "ui/OptionsDefaultShapesPage.h"
#include "ui/OptionsDrawingSettingsPage.h"
#include "ui/OptionsGeneralPage.h"
#include "ui/OptionsHatchesPage.h"
#include "ui/OptionsImagesPage.h"
#include "ui/OptionsLayersPage.h"
#include "ui/OptionsViewportsPage.h"
#include "ui/resource.h"
#include <commctrl.h>
#include <new>

namespace {

// The sheet being shown on this thread: the sheet callback, which has no data of its own, hands
// it its window.
thread_local COptionsSheet* t_showing = nullptr;

template <class Page>
std::unique_ptr<COptionsPage> MakePage()
{
    return std::unique_ptr<COptionsPage>(new (std::nothrow) Page());
}

// The pages in sheet order. A page without a class of its own shows its template.
const COptionsSheet::PageSlot kPageSlots[COptionsDialog::kPageCount] = {
    {IDD_OPTIONS_GENERAL, &MakePage<COptionsGeneralPage>},
    {IDD_OPTIONS_DRAWING_SETTINGS, &MakePage<COptionsDrawingSettingsPage>},
    {IDD_OPTIONS_VIEWPORTS, &MakePage<CViewportsPage>},
    {IDD_OPTIONS_LAYERS, &MakePage<COptionsLayersPage>},
    {IDD_OPTIONS_IMAGES, &MakePage<COptionsImagesPage>},
    {IDD_OPTIONS_HATCHES, &MakePage<COptionsHatchesPage>},
    {IDD_OPTIONS_BLOCKS, &MakePage<COptionsBlocksPage>},
    {IDD_OPTIONS_DEFAULT_SHAPES, &MakePage<COptionsDefaultShapesPage>},
    {IDD_OPTIONS_ABOUT, &MakePage<COptionsAboutPage>},
};

std::unique_ptr<COptionsPage> MakeSlotPage(const COptionsSheet::PageSlot& slot)
{
    if (slot.make)
        return slot.make();
    return std::unique_ptr<COptionsPage>(new (std::nothrow) COptionsPage(slot.templateId));
}

} // namespace

const COptionsSheet::PageSlot* COptionsSheet::GetPageSlots() { return kPageSlots; }

COptionsSheet::COptionsSheet()
{
    for (int i = 0; i < kPageCount; ++i)
        m_bindings[i] = PageBinding{this, i};
}

COptionsSheet::~COptionsSheet() { DestroyPages(); }

HWND COptionsSheet::GetPageWindow(int page) const
{
    const COptionsPage* object = GetPage(page);
    return object ? object->GetHandle() : nullptr;
}

COptionsPage* COptionsSheet::GetPage(int index) const
{
    return index >= 0 && index < kPageCount ? m_pages[index].get() : nullptr;
}

void COptionsSheet::EnablePages(bool enable)
{
    for (int i = 0; i < kPageCount; ++i)
        if (i != kAbout && m_pages[i])
            m_pages[i]->EnableEditing(enable);
}

void COptionsSheet::DestroyPages()
{
    static const int kOrder[kPageCount] = {kGeneral, kViewports, kDrawingSettings, kLayers, kImages,
                                           kHatches, kBlocks, kDefaultShapes, kAbout};
    for (int index : kOrder) {
        std::unique_ptr<COptionsPage> page = std::move(m_pages[index]);
        if (page && page->IsWindow())
            DestroyWindow(page->GetHandle());
    }
}

void COptionsSheet::Show(CYVEXControl* control, HWND parent)
{
    if (!control || m_showing || m_window)
        return;
    m_showing = true;
    if (m_keptDefaultKind >= 0) {
        control->EnableDefaultShape(static_cast<ShapeTypes>(m_keptDefaultKind), m_keptDefaultEnabled ? VARIANT_TRUE : VARIANT_FALSE);
        m_keptDefaultKind = -1;
    }
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    DestroyPages();
    for (int i = 0; i < kPageCount; ++i)
        m_pages[i] = MakeSlotPage(kPageSlots[i]);

    HINSTANCE resources = ycom::TheModule().ResourceInstance();
    PROPSHEETPAGEA pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        PROPSHEETPAGEA& page = pages[i];
        page.dwSize = sizeof(PROPSHEETPAGEA);
        // The titles come from the templates.
        page.dwFlags = PSP_USECALLBACK;
        page.hInstance = resources;
        page.pszTemplate = MAKEINTRESOURCEA(kPageSlots[i].templateId);
        page.pfnDlgProc = ycom::DialogStartProc;
        page.lParam = reinterpret_cast<LPARAM>(control);
        page.pfnCallback = PageCallback;
        // Not a reference count (PSP_USEREFPARENT is not set): how the callback finds its page.
        page.pcRefParent = reinterpret_cast<UINT*>(&m_bindings[i]);
    }

    HWND controlWindow = control->GetControlWindow();
    char caption[60] = "Options";
    ycom::LoadResourceString(IDS_OPTIONS_CAPTION, caption, static_cast<int>(sizeof caption));
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(PROPSHEETHEADERA);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = parent ? parent : controlWindow;
    header.hInstance = resources;
    header.pszCaption = caption;
    header.nPages = kPageCount;
    header.nStartPage = m_startPage >= 0 && m_startPage < kPageCount ? static_cast<UINT>(m_startPage) : kAbout;
    header.ppsp = pages;
    header.pfnCallback = SheetCallback;

    COptionsSheet* outer = t_showing;
    t_showing = this;
    PropertySheetA(&header);
    t_showing = outer;
    m_window = nullptr;
    if (controlWindow && IsWindow(controlWindow))
        SetFocus(controlWindow);
    DestroyPages();
    m_showing = false;
}

void COptionsSheet::KeepDefaultShapeState(int kind, bool enabled)
{
    m_keptDefaultKind = kind;
    m_keptDefaultEnabled = enabled;
}

UINT CALLBACK COptionsSheet::PageCallback(HWND, UINT message, PROPSHEETPAGEA* page)
{
    if (message != PSPCB_CREATE)
        return 0;
    if (!page || !page->lParam || !page->pcRefParent)
        return 0;
    const auto* binding = reinterpret_cast<const PageBinding*>(page->pcRefParent);
    if (!binding->sheet)
        return 0;
    if (binding->index >= 0 && binding->index < kPageCount) {
        if (COptionsPage* object = binding->sheet->m_pages[binding->index].get())
            ycom::RegisterCreatingWindow(object);
    }
    return 1;
}

int CALLBACK COptionsSheet::SheetCallback(HWND window, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && t_showing)
        t_showing->m_window = window;
    return 0;
}
