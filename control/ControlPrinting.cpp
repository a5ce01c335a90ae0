// The printing core: the site on one printed page, the printer set-up shared by every control of
// the process, and the page layout that places the drawing on the paper.
#include <cstddef>
#include <cstring>
#include <string>
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/PageLayout.h"
#include "control/PageSetupPaper.h"
#include "control/PrintDialogRecord.h"
#include "control/PrintDeviceCalls.h"
#include "control/ResourceText.h"
#include "control/SharedPrintSetup.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Shape.h"

namespace {

// The spooled document's name and the command that asks the host for its print preview.
constexpr char kDocumentName[] = "YVEXControl Document";
constexpr WPARAM kPrintPreviewCommand = 0xE109;
// The control's templates of the print and page-setup dialogs.
constexpr int kPrintTemplate = 1538;
constexpr int kPageSetupTemplate = 344;

// A block of global memory that the caller owns, with the same bytes; null when there is none
// or it cannot be read.
HGLOBAL CopyGlobal(HGLOBAL source)
{
    if (!source)
        return nullptr;
    ycom::GlobalLockView<> from(source);
    if (!from)
        return nullptr;
    const SIZE_T size = from.Size();
    ycom::GlobalMem copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy)
        return nullptr;
    ycom::GlobalLockView<> to(copy.Get());
    if (!to)
        return nullptr;
    std::memcpy(to.Get(), from.Get(), size);
    return copy.Detach();
}

// A stored handle still usable (one that another owner freed cannot be locked): forgotten when not.
bool CheckShared(HGLOBAL handle, void (*forget)(HGLOBAL, BOOL))
{
    if (!handle)
        return false;
    if (GlobalLock(handle)) {
        GlobalUnlock(handle);
        return true;
    }
    forget(nullptr, FALSE);
    return false;
}

void FreeGlobal(HGLOBAL& handle)
{
    if (handle && handle != GetSharedDevMode() && handle != GetSharedDevNames())
        GlobalFree(handle);
    handle = nullptr;
}

// The handle steps of the set-up shared by both dialog structures.
void FillPrinterHandles(HWND owner, HGLOBAL& devMode, HGLOBAL& devNames)
{
    const bool haveMode = CheckShared(GetSharedDevMode(), SetSharedDevMode);
    const bool haveNames = CheckShared(GetSharedDevNames(), SetSharedDevNames);
    if (haveMode && haveNames) {
        // Copies: a dialog frees or replaces what it is given, and the stored set-up must stay.
        FreeGlobal(devMode);
        FreeGlobal(devNames);
        devMode = CopyGlobal(GetSharedDevMode());
        devNames = CopyGlobal(GetSharedDevNames());
    }
    if (!devMode && !devNames) {
        // The default printer's, without showing anything (and without a context of its own).
        PRINTDLGA defaults = {};
        defaults.lStructSize = sizeof(defaults);
        defaults.hwndOwner = owner;
        defaults.Flags = PD_RETURNDEFAULT;
        if (GetPrintDeviceCalls().printDlg(&defaults)) {
            devMode = defaults.hDevMode;
            devNames = defaults.hDevNames;
        } else {
            FreeGlobal(defaults.hDevMode);
            FreeGlobal(defaults.hDevNames);
        }
    }
    if (!GetSharedDevMode() && !GetSharedDevNames() && devMode && devNames) {
        SetSharedDevMode(CopyGlobal(devMode), TRUE);
        SetSharedDevNames(CopyGlobal(devNames), TRUE);
    }
}

// Copies of a structure's handles become the stored set-up when they are not the stored ones.
void StorePrinterHandles(HGLOBAL devMode, HGLOBAL devNames)
{
    if (devMode && devMode != GetSharedDevMode())
        if (HGLOBAL copy = CopyGlobal(devMode))
            SetSharedDevMode(copy, TRUE);
    if (devNames && devNames != GetSharedDevNames())
        if (HGLOBAL copy = CopyGlobal(devNames))
            SetSharedDevNames(copy, TRUE);
}

// The paper of a printer mode in millimetres, turned as the mode prints, and its paper code;
// false when the mode tells neither its paper's size nor a paper of the paper table.
bool PaperOfDevMode(CYVEXControl* control, HGLOBAL devMode, CRealPoint* paper, short* code = nullptr)
{
    ycom::GlobalLockView<DEVMODEA> mode(devMode);
    if (!mode || mode.Size() < offsetof(DEVMODEA, dmPaperLength) + sizeof(short))
        return false;
    const DEVMODEA* m = mode.Get();
    double width = 0.0, length = 0.0;
    if (code)
        *code = (m->dmFields & DM_PAPERSIZE) ? m->dmPaperSize : 0;
    if ((m->dmFields & DM_PAPERWIDTH) && (m->dmFields & DM_PAPERLENGTH) && m->dmPaperWidth > 0 && m->dmPaperLength > 0) {
        width = m->dmPaperWidth / 10.0;
        length = m->dmPaperLength / 10.0;
    } else if (!PaperOfCode(control, m->dmPaperSize, &length, &width)) {
        return false;
    }
    const bool landscape = (m->dmFields & DM_ORIENTATION) && m->dmOrientation == DMORIENT_LANDSCAPE;
    *paper = landscape ? CRealPoint(static_cast<float>(length), static_cast<float>(width))
                       : CRealPoint(static_cast<float>(width), static_cast<float>(length));
    return true;
}

// The control's known paper goes into the printer mode, turned as the control's paper is.
void PutPaperIntoDevMode(const CPageSetupRecord& page, HGLOBAL devMode)
{
    if (!page.paperId)
        return;
    ycom::GlobalLockView<DEVMODEA> mode(devMode);
    if (!mode || mode.Size() < offsetof(DEVMODEA, dmPaperLength))
        return;
    DEVMODEA* m = mode.Get();
    m->dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
    m->dmPaperSize = page.paperId;
    m->dmOrientation = page.paperSize.y < page.paperSize.x ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
}

// Asks the host (the parent of the control's window, else the control) for its print preview.
void PostPrintPreview(HWND window)
{
    HWND parent = window ? GetParent(window) : nullptr;
    if (parent || window)
        PostMessageA(parent ? parent : window, WM_COMMAND, kPrintPreviewCommand, 0);
}

// A dialog structure's printer handles are its own (copies of the stored set-up): they go with it.
template <class Dialog>
struct DialogHandles {
    Dialog& d;
    ~DialogHandles()
    {
        FreeGlobal(d.hDevMode);
        FreeGlobal(d.hDevNames);
    }
};

// Keeps the thread's messages flowing while the printer driver works.
BOOL CALLBACK KeepPumping(HDC, int)
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return TRUE;
}

// The answer of a document or page call of the printer: positive when it worked.
HRESULT PrinterResult(int result) { return result > 0 ? S_OK : HResultFromLastError(); }

} // namespace

void CYVEXControl::SetPrintType(int printType)
{
    GetPageSetup().printType = printType;
    GetPrintSettings().printType = printType;
    m_printDialog.printType = printType;
}

void CYVEXControl::FillPrintDialogRecord(LPARAM custom, void* dialog)
{
    // Only the control's own working record is written: a host's custom data stays its own.
    if (custom != reinterpret_cast<LPARAM>(&m_printDialog))
        return;
    const CPageSetupRecord& page = GetPageSetup();
    m_printDialog.control = this;
    m_printDialog.offsetX = page.printOffset.x;
    m_printDialog.offsetY = page.printOffset.y;
    m_printDialog.centered = page.centered;
    m_printDialog.printType = page.printType;
    m_printDialog.scale = page.printScale;
    m_printDialog.paperSize = page.paperSize;
    m_printDialog.dialog = dialog;
}

void CYVEXControl::TakePrintDialogRecord(LPARAM custom)
{
    if (custom != reinterpret_cast<LPARAM>(&m_printDialog) || m_printDialog.control != this)
        return;
    CPageSetupRecord& page = GetPageSetup();
    CPrintSettings& print = GetPrintSettings();
    page.centered = print.centered = static_cast<short>(m_printDialog.centered);
    page.printOffset = print.printOffset = CRealPoint(m_printDialog.offsetX, m_printDialog.offsetY);
    if (m_printDialog.printType >= 1 && m_printDialog.printType <= 4)
        page.printType = print.printType = m_printDialog.printType;
    if (m_printDialog.windowDefined)
        page.printRect = print.printRect = CRealRect(m_printDialog.areaLeft, m_printDialog.areaTop,
                                                     m_printDialog.areaRight, m_printDialog.areaBottom);
    page.printScale = print.printScale = static_cast<float>(m_printDialog.scale);
}

void CYVEXControl::GetPrinterSetup(PRINTDLGA* dialog)
{
    if (!dialog)
        return;
    FillPrinterHandles(dialog->hwndOwner, dialog->hDevMode, dialog->hDevNames);
    PutPaperIntoDevMode(GetPageSetup(), dialog->hDevMode);
    FillPrintDialogRecord(dialog->lCustData, dialog);
}

void CYVEXControl::GetPrinterSetup(PAGESETUPDLGA* dialog)
{
    if (!dialog)
        return;
    FillPrinterHandles(dialog->hwndOwner, dialog->hDevMode, dialog->hDevNames);
    const CPageSetupRecord& page = GetPageSetup();
    PutPaperIntoDevMode(page, dialog->hDevMode);
    if (page.paperSize.x != 0.0f && page.paperSize.y != 0.0f) {
        dialog->ptPaperSize.x = PaperMmToDialogUnits(page.paperSize.x, dialog->Flags);
        dialog->ptPaperSize.y = PaperMmToDialogUnits(page.paperSize.y, dialog->Flags);
    }
    FillPrintDialogRecord(dialog->lCustData, dialog);
}

void CYVEXControl::StorePrinterSetup(const PRINTDLGA* dialog)
{
    if (!dialog)
        return;
    StorePrinterHandles(dialog->hDevMode, dialog->hDevNames);
    CRealPoint paper;
    short code = 0;
    if (PaperOfDevMode(this, dialog->hDevMode, &paper, &code)) {
        GetPageSetup().paperSize = paper;
        GetPageSetup().paperId = code;
        GetPageSetup().printerSetUp = 1;
    }
    TakePrintDialogRecord(dialog->lCustData);
}

void CYVEXControl::StorePrinterSetup(const PAGESETUPDLGA* dialog)
{
    if (!dialog)
        return;
    StorePrinterHandles(dialog->hDevMode, dialog->hDevNames);
    // The dialog's paper in its units: hundredths of millimetres or thousandths of inches.
    double unit = 0.0;
    if (dialog->Flags & PSD_INHUNDREDTHSOFMILLIMETERS)
        unit = 0.01;
    else if (dialog->Flags & PSD_INTHOUSANDTHSOFINCHES)
        unit = 0.0254;
    CRealPoint paper;
    short code = 0;
    const bool known = PaperOfDevMode(this, dialog->hDevMode, &paper, &code);
    if (unit > 0.0 && dialog->ptPaperSize.x > 0 && dialog->ptPaperSize.y > 0)
        paper = CRealPoint(static_cast<float>(dialog->ptPaperSize.x * unit), static_cast<float>(dialog->ptPaperSize.y * unit));
    else if (!known)
        return;
    GetPageSetup().paperSize = paper;
    GetPageSetup().paperId = code;
    GetPageSetup().printerSetUp = 1;
    TakePrintDialogRecord(dialog->lCustData);
}

bool CYVEXControl::QueryPrinterPaper(CRealPoint* paper)
{
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetControlWindow();
    GetPrinterSetup(&dialog);
    const bool found = paper && PaperOfDevMode(this, dialog.hDevMode, paper);
    FreeGlobal(dialog.hDevMode);
    FreeGlobal(dialog.hDevNames);
    return found;
}

bool CYVEXControl::ComputePageLayout(HDC info, const SIZE* pageSize, RECT* pixels)
{
    if (!info || !pixels)
        return false;
    const CPageSetupRecord& page = GetPageSetup();
    // What is printed: the draft limits unless the print type names the visible area, the
    // selection or the stored print window.
    CRealRect world;
    CShape* drawn = GetRootGroup();
    switch (page.printType) {
    case 2:
        world = GetCurrentViewport().GetVisibleWorldRect();
        break;
    case 3:
        drawn = GetSelectionGroup();
        if (!drawn || FAILED(drawn->GetBoundingRect(&world.left, &world.top, &world.right, &world.bottom)))
            return false;
        break;
    case 4:
        world = page.printRect;
        break;
    default:
        world = GetSiteRecord().GetDraftLimits();
        break;
    }
    CRealRect source, extents, drawing;
    if (!CPageLayout::Prepare(world, &source))
        return false;
    if (!drawn || FAILED(drawn->GetBoundingRect(&drawing.left, &drawing.top, &drawing.right, &drawing.bottom)) ||
        !CPageLayout::Prepare(drawing, &extents))
        return false;

    CPageLayout::Device device;
    device.horzRes = GetDeviceCaps(info, HORZRES);
    device.vertRes = GetDeviceCaps(info, VERTRES);
    device.horzSizeMm = GetDeviceCaps(info, HORZSIZE);
    device.vertSizeMm = GetDeviceCaps(info, VERTSIZE);
    CPageLayout::Placement placement;
    placement.scale = page.printScale;
    placement.centered = page.centered != 0;
    placement.offset = page.printOffset;
    return CPageLayout::Compute(source, extents, device, pageSize, placement, pixels);
}

HRESULT CYVEXControl::PlaySiteMetafile(HENHMETAFILE metafile, HDC target, HDC info, LONG, const SIZE* pageSize)
{
    if (!target)
        return E_INVALIDARG;
    if (!info)
        info = target;
    RECT place = {};
    if (!ComputePageLayout(info, pageSize, &place))
        return S_FALSE;
    // The layout's y points up: the device's axis is turned over for the playback.
    const int height = pageSize ? pageSize->cy : GetDeviceCaps(info, VERTRES);
    SetGraphicsMode(target, GM_ADVANCED);
    const XFORM flip = {1.0f, 0.0f, 0.0f, -1.0f, 0.0f, static_cast<float>(height)};
    SetWorldTransform(target, &flip);
    PlayEnhMetaFile(target, metafile, &place);
    ModifyWorldTransform(target, nullptr, MWT_IDENTITY);
    if (target != info) {
        // A preview shows the printer's page.
        RECT clip = {};
        GetClipBox(info, &clip);
        ycom::Pen dashed(CreatePen(PS_DASH, 1, RGB(0, 0, 0)));
        ycom::SelectGuard pen(target, dashed.Get());
        ycom::SelectGuard brush(target, GetStockObject(NULL_BRUSH));
        Rectangle(target, clip.left, clip.top, clip.right, clip.bottom);
    }
    return S_OK;
}

HRESULT CYVEXControl::PrintSiteToPrinter(BOOL quiet)
{
    if (RefuseWhileBusy())
        return S_FALSE;
    if (m_printRunning) {
        SetLastError(1, "Operation is in progress.");
        return S_FALSE;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(m_printRunning);
    const CPrintDeviceCalls& calls = GetPrintDeviceCalls();

    // The dialog's own set-up and extra controls come with its template; until the module has
    // one the system dialog runs plain.
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetControlWindow();
    dialog.Flags = PD_COLLATE | PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
    dialog.nFromPage = dialog.nToPage = 0xFFFF;
    dialog.nMinPage = 1;
    dialog.nMaxPage = 0xFFFF;
    dialog.nCopies = 1;
    dialog.hInstance = ControlModule();
    // The control's template and hook add its print area, scale and offset to the dialog.
    if (PrintDialogHook hook = GetPrintDialogHook())
        if (FindResourceA(dialog.hInstance, MAKEINTRESOURCEA(kPrintTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG))) {
            dialog.Flags |= PD_ENABLEPRINTHOOK | PD_ENABLEPRINTTEMPLATE;
            dialog.lpPrintTemplateName = MAKEINTRESOURCEA(kPrintTemplate);
            dialog.lpfnPrintHook = hook;
        }
    m_printDialog.control = this;
    m_printDialog.windowRequest = m_printDialog.previewRequest = 0;
    m_printDialog.printType = GetPageSetup().printType;
    dialog.lCustData = reinterpret_cast<LPARAM>(&m_printDialog);
    GetPrinterSetup(&dialog);
    DialogHandles<PRINTDLGA> handles{dialog};

    HDC printer = nullptr;
    if (!quiet) {
        // Without any printer there is nothing to choose from: that is a failure, not a cancel
        // (the dialog's own error code may be left over from an earlier call).
        if (!dialog.hDevMode && !dialog.hDevNames) {
            SetPrintType(1);
            return E_FAIL;
        }
        m_runningPrintDialog = &dialog;
        const BOOL chosen = calls.printDlg(&dialog);
        m_runningPrintDialog = nullptr;
        if (!chosen || !dialog.hDC) {
            if (dialog.hDC)
                calls.deleteDC(dialog.hDC);
            SetPrintType(1);
            return S_OK;
        }
        printer = dialog.hDC;
        GetPageSetup().printType = GetPrintSettings().printType = m_printDialog.printType;
    } else {
        ycom::GlobalLockView<DEVNAMES> names(dialog.hDevNames);
        if (!names || names.Size() < sizeof(DEVNAMES) || names.Get()->wDeviceOffset >= names.Size())
            return E_FAIL;
        // The device name within the block, however the block ends.
        char* base = reinterpret_cast<char*>(names.Get());
        std::string device(base + names.Get()->wDeviceOffset,
                           strnlen(base + names.Get()->wDeviceOffset, names.Size() - names.Get()->wDeviceOffset));
        HANDLE opened = nullptr;
        if (!calls.openPrinter(&device[0], &opened, nullptr) || !opened)
            return E_FAIL;
        ycom::GlobalLockView<DEVMODEA> mode(dialog.hDevMode);
        printer = calls.createDC("WINSPOOL", device.c_str(), nullptr, mode.Get());
        calls.closePrinter(opened);
        if (!printer)
            return E_FAIL;
    }
    // The printer context goes whichever way this ends.
    struct PrinterContext {
        HDC dc;
        const CPrintDeviceCalls& calls;
        LONG& printing;
        ~PrinterContext()
        {
            calls.deleteDC(dc);
            printing = 0;
        }
    } context{printer, calls, m_printing};

    if (m_printDialog.windowRequest)
        SetPrintType(4);
    StorePrinterSetup(&dialog);
    if (m_printDialog.windowRequest) {
        // The user drags the print window; its rectangle then prints.
        m_printDialog.windowRequest = 0;
        SetRectanglePurpose(kRectanglePrintSite);
        BeginZoomWindow();
        SetRectanglePurpose(kRectanglePrintSite);
        return S_OK;
    }
    if (m_printDialog.previewRequest) {
        m_printDialog.previewRequest = 0;
        PostPrintPreview(GetControlWindow());
        return S_OK;
    }

    m_printing = 1;
    SetAbortProc(printer, KeepPumping);
    DOCINFOA document = {};
    document.cbSize = sizeof(document);
    document.lpszDocName = kDocumentName;
    RETURN_IF_FAILED(PrinterResult(calls.startDoc(printer, &document)));
    HRESULT result = PrinterResult(calls.startPage(printer));
    if (SUCCEEDED(result)) {
        HENHMETAFILE metafile = nullptr;
        result = DrawSiteMetafile(nullptr, GetPageSetup().printType, &metafile);
        if (SUCCEEDED(result)) {
            // An empty drawing prints an empty page.
            if (metafile)
                PlaySiteMetafile(metafile, printer, printer, 0, nullptr);
            DeleteEnhMetaFile(metafile);
            result = PrinterResult(calls.endPage(printer));
        }
    }
    if (SUCCEEDED(result))
        return PrinterResult(calls.endDoc(printer));
    // Nothing half made reaches the spooler.
    calls.abortDoc(printer);
    return result;
}

HRESULT CYVEXControl::RunPageSetupDialog()
{
    if (RefuseWhileBusy())
        return S_FALSE;
    PAGESETUPDLGA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetControlWindow();
    dialog.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    dialog.hInstance = ControlModule();
    if (PrintDialogHook hook = GetPrintDialogHook())
        if (FindResourceA(dialog.hInstance, MAKEINTRESOURCEA(kPageSetupTemplate), reinterpret_cast<LPCSTR>(RT_DIALOG))) {
            dialog.Flags |= PSD_ENABLEPAGESETUPTEMPLATE | PSD_ENABLEPAGESETUPHOOK;
            dialog.lpPageSetupTemplateName = MAKEINTRESOURCEA(kPageSetupTemplate);
            dialog.lpfnPageSetupHook = hook;
            if (PrintDialogHook paint = GetPageSetupPaintHook()) {
                dialog.Flags |= PSD_ENABLEPAGEPAINTHOOK;
                dialog.lpfnPagePaintHook = paint;
            }
        }
    m_printDialog.control = this;
    m_printDialog.windowRequest = m_printDialog.previewRequest = 0;
    dialog.lCustData = reinterpret_cast<LPARAM>(&m_printDialog);
    GetPrinterSetup(&dialog);
    DialogHandles<PAGESETUPDLGA> handles{dialog};
    // The system dialog waits for a printer that is not there: without one it is not shown.
    if (!dialog.hDevMode && !dialog.hDevNames)
        return E_FAIL;
    if (!GetPrintDeviceCalls().pageSetupDlg(&dialog))
        return S_OK;
    StorePrinterSetup(&dialog);
    if (m_printDialog.windowRequest) {
        // The next print lets the user drag its window.
        m_printDialog.windowRequest = 0;
        SetPrintType(4);
    }
    if (m_printDialog.previewRequest) {
        m_printDialog.previewRequest = 0;
        PostPrintPreview(GetControlWindow());
    }
    return S_OK;
}

STDMETHODIMP CYVEXControl::PrintSite()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT { return PrintSiteToPrinter(FALSE); });
}
