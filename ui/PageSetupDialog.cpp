#include "ui/PageSetupDialog.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <commdlg.h>
#include <dlgs.h>
#include "com/Owners.h"
#include "control/PrintDialogRecord.h"
#include "control/UnitRecord.h"
#include "control/YVEXControl.h"
#include "model/Geometry.h"
#include "model/Group.h"
#include "ui/resource.h"

namespace {
// Millimetres per inch, and the inches of a millimetre as the fields count them.
constexpr double kMmPerInch = 25.4;
constexpr double kInchesPerMm = 0.03937007874015748;
} // namespace

double PageSetupReadScale(const char* pageText, const char* drawingText, bool inches, bool fit)
{
    double page = pageText ? std::strtod(pageText, nullptr) : 0.0;
    double drawing = drawingText ? std::fabs(std::strtod(drawingText, nullptr)) : 0.0;
    if (page == 0.0 || !std::isfinite(page))
        page = 1.0;
    if (drawing == 0.0 || !std::isfinite(drawing))
        drawing = 1.0;
    if (inches)
        drawing *= kInchesPerMm;
    const double scale = 10.0 * page / drawing;
    return fit ? -scale : scale;
}

std::string PageSetupPageText(double scale, bool inches)
{
    // The fields read "page for one drawing unit": a tenth of the scale, in inches a further
    // 25.4th, so that reading them back gives the same scale.
    double page = std::fabs(scale) / 10.0;
    if (inches)
        page /= kMmPerInch;
    char text[64];
    snprintf(text, sizeof text, "%.2f", page);
    return text;
}

CPageSetupFit PageSetupComputeFit(const CRealRect& area, const CRealPoint& paper)
{
    CPageSetupFit fit;
    const double width = std::fabs(static_cast<double>(area.right) - area.left);
    const double height = std::fabs(static_cast<double>(area.bottom) - area.top);
    fit.factor = FitScaleFactor(CRealPointD(width, height), CRealPointD(paper.x, paper.y), 0);
    if (!(fit.factor > 0.0) || !std::isfinite(fit.factor))
        fit.factor = 1.0;
    // Tenths of a millimetre per unit, marked as a fit.
    fit.scale = -10.0 * fit.factor;
    fit.offsetX = static_cast<float>((paper.x - width * fit.factor) / 2.0);
    fit.offsetY = static_cast<float>((paper.y - height * fit.factor) / 2.0);
    return fit;
}

// ---- the dialog ----------------------------------------------------------------------------

namespace {

CPrintDialogRecord* RecordOf(HWND dialog)
{
    return dialog ? reinterpret_cast<CPrintDialogRecord*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)) : nullptr;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string ItemText(HWND dialog, int id)
{
    char text[1025] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void SetNumber(HWND dialog, int id, double value)
{
    char text[64];
    snprintf(text, sizeof text, "%.2f", value);
    SetDlgItemTextA(dialog, id, text);
}

void Enable(HWND dialog, int id, bool on)
{
    if (HWND item = GetDlgItem(dialog, id))
        EnableWindow(item, on ? TRUE : FALSE);
}

// The paper the fit uses: the record's, else the control's, else the printer's.
CRealPoint PaperOf(CPrintDialogRecord& record)
{
    if (record.paperSize.x > 0.0f && record.paperSize.y > 0.0f)
        return record.paperSize;
    CRealPoint paper;
    if (record.control) {
        paper = record.control->GetPageSetup().paperSize;
        if (!(paper.x > 0.0f && paper.y > 0.0f) && !record.control->QueryPrinterPaper(&paper))
            paper = CRealPoint(0.0f, 0.0f);
    }
    return paper;
}

void DeletePreview(CPrintDialogRecord& record)
{
    if (record.preview) {
        DeleteEnhMetaFile(record.preview);
        record.preview = nullptr;
    }
}

void InvalidatePaperPreview(HWND dialog)
{
    for (int id : {rct1, rct2, rct3})
        if (HWND frame = GetDlgItem(dialog, id))
            InvalidateRect(frame, nullptr, TRUE);
}

// Ends the dialog as its OK button would, so that the system dialog hands back its printer.
void PressOk(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

void InitDialog(HWND dialog, CPrintDialogRecord& record)
{
    CYVEXControl* control = record.control;
    const bool haveSelection = control && control->GetSelectionCount() > 0;
    Enable(dialog, IDC_PS_SELECTION, haveSelection);
    int area = record.printType;
    if (area < 1 || area > 4 || (area == 3 && !haveSelection))
        area = 1;
    record.printType = area;
    static const int radios[] = {IDC_PS_LIMITS, IDC_PS_DISPLAY, IDC_PS_SELECTION, IDC_PS_WINDOW};
    // One by one: the numbers of the area radios enclose other buttons of the template.
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(dialog, radios[i], i == area - 1 ? BST_CHECKED : BST_UNCHECKED);
    if (area == 4)
        Enable(dialog, IDC_PS_WINDOW, true);
    CheckDlgButton(dialog, IDC_PS_PAPER_MM, BST_CHECKED);
    CheckDlgButton(dialog, IDC_PS_PAPER_INCHES, BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_PS_UNIT_LABEL, "mm");
    CheckDlgButton(dialog, IDC_PS_CENTER, record.centered ? BST_CHECKED : BST_UNCHECKED);
    Enable(dialog, IDC_PS_OFFSET_X, !record.centered);
    Enable(dialog, IDC_PS_OFFSET_Y, !record.centered);
    SetNumber(dialog, IDC_PS_OFFSET_X, record.offsetX);
    SetNumber(dialog, IDC_PS_OFFSET_Y, record.offsetY);
    PageSetupUpdatePrintArea(dialog);
    const bool fit = !(record.scale > 0.0);
    CheckDlgButton(dialog, IDC_PS_FIT, fit ? BST_CHECKED : BST_UNCHECKED);
    if (fit) {
        PageSetupFit(dialog);
    } else {
        SetDlgItemTextA(dialog, IDC_PS_PAGE, PageSetupPageText(record.scale, false).c_str());
        SetDlgItemTextA(dialog, IDC_PS_DRAWING, "1");
    }
    for (int id : {IDC_PS_PAGE, IDC_PS_PAGE_SPIN, IDC_PS_DRAWING, IDC_PS_DRAWING_SPIN})
        Enable(dialog, id, !fit);
    std::string unit = "Drawing units";
    if (control)
        if (const CUnitRecord* record = control->FindUnit(control->GetSiteRecord().GetUnitId()))
            unit = record->name;
    SetDlgItemTextA(dialog, IDC_PS_DRAWING_UNITS, unit.c_str());
}

} // namespace

int PageSetupGetPrintArea(HWND dialog)
{
    if (!RecordOf(dialog))
        return 0;
    if (Checked(dialog, IDC_PS_DISPLAY))
        return 2;
    if (Checked(dialog, IDC_PS_SELECTION))
        return 3;
    if (Checked(dialog, IDC_PS_WINDOW))
        return 4;
    return 1;
}

int PageSetupUpdatePrintArea(HWND dialog)
{
    CPrintDialogRecord* record = RecordOf(dialog);
    if (!record)
        return 0;
    const int area = PageSetupGetPrintArea(dialog);
    CRealRect rect;
    if (CYVEXControl* control = record->control) {
        switch (area) {
        case 2:
            rect = control->GetCurrentViewport().GetVisibleWorldRect();
            break;
        case 3:
            if (CGroup* selection = control->GetSelectionGroup())
                if (FAILED(selection->GetBoundingRect(&rect.left, &rect.top, &rect.right, &rect.bottom)))
                    rect = CRealRect();
            break;
        case 4:
            // The window picked on the drawing (or set by the host) is the control's print window.
            rect = control->GetPageSetup().printRect;
            record->windowDefined = 1;
            break;
        default:
            rect = control->GetSiteRecord().GetDraftLimits();
            break;
        }
    }
    record->areaLeft = rect.left;
    record->areaTop = rect.top;
    record->areaRight = rect.right;
    record->areaBottom = rect.bottom;
    return area;
}

void PageSetupFit(HWND dialog)
{
    CPrintDialogRecord* record = RecordOf(dialog);
    if (!record || !Checked(dialog, IDC_PS_FIT))
        return;
    const CRealRect area(record->areaLeft, record->areaTop, record->areaRight, record->areaBottom);
    const CPageSetupFit fit = PageSetupComputeFit(area, PaperOf(*record));
    record->scale = fit.scale;
    SetDlgItemTextA(dialog, IDC_PS_PAGE, PageSetupPageText(fit.scale, Checked(dialog, IDC_PS_PAPER_INCHES)).c_str());
    SetDlgItemTextA(dialog, IDC_PS_DRAWING, "1");
    if (Checked(dialog, IDC_PS_CENTER)) {
        record->offsetX = fit.offsetX;
        record->offsetY = fit.offsetY;
        SetNumber(dialog, IDC_PS_OFFSET_X, fit.offsetX);
        SetNumber(dialog, IDC_PS_OFFSET_Y, fit.offsetY);
    }
}

void PageSetupReadControls(HWND dialog)
{
    CPrintDialogRecord* record = RecordOf(dialog);
    if (!record)
        return;
    const bool fit = Checked(dialog, IDC_PS_FIT);
    const bool centred = Checked(dialog, IDC_PS_CENTER);
    const bool inches = Checked(dialog, IDC_PS_PAPER_INCHES);
    record->centered = centred ? 1 : 0;
    if (!centred) {
        record->offsetX = static_cast<float>(std::strtod(ItemText(dialog, IDC_PS_OFFSET_X).c_str(), nullptr));
        record->offsetY = static_cast<float>(std::strtod(ItemText(dialog, IDC_PS_OFFSET_Y).c_str(), nullptr));
    }
    if (!fit)
        record->scale = PageSetupReadScale(ItemText(dialog, IDC_PS_PAGE).c_str(), ItemText(dialog, IDC_PS_DRAWING).c_str(),
                                           inches, false);
    else if (record->scale > 0.0)
        record->scale = -record->scale;
    for (int id : {IDC_PS_PAGE, IDC_PS_PAGE_SPIN, IDC_PS_DRAWING, IDC_PS_DRAWING_SPIN})
        Enable(dialog, id, !fit);
    Enable(dialog, IDC_PS_OFFSET_X, !centred);
    Enable(dialog, IDC_PS_OFFSET_Y, !centred);
}

UINT_PTR CALLBACK PageSetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        // The structure's size tells the print dialog's layout from the page-setup dialog's.
        CPrintDialogRecord* record = nullptr;
        if (const auto* print = reinterpret_cast<const PRINTDLGA*>(lParam)) {
            if (print->lStructSize == sizeof(PRINTDLGA))
                record = reinterpret_cast<CPrintDialogRecord*>(print->lCustData);
            else if (print->lStructSize == sizeof(PAGESETUPDLGA))
                record = reinterpret_cast<CPrintDialogRecord*>(reinterpret_cast<const PAGESETUPDLGA*>(lParam)->lCustData);
        }
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
        if (record)
            InitDialog(dialog, *record);
        InvalidatePaperPreview(dialog);
        return TRUE;
    }
    CPrintDialogRecord* record = RecordOf(dialog);
    if (!record)
        return FALSE;
    bool handled = true;
    if (message == kPageSetupRefit) {
        PageSetupFit(dialog);
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDC_PS_CENTER:
            PageSetupReadControls(dialog);
            PageSetupFit(dialog);
            break;
        case IDOK:
            record->printType = PageSetupGetPrintArea(dialog);
            PageSetupReadControls(dialog);
            InvalidatePaperPreview(dialog);
            // The system dialog goes on with its own OK.
            return FALSE;
        case IDC_PS_PREVIEW:
            record->previewRequest = 1;
            PressOk(dialog);
            break;
        case IDC_PS_PICK_WINDOW:
            record->windowDefined = 0;
            record->windowRequest = 1;
            PressOk(dialog);
            break;
        case IDC_PS_LIMITS:
        case IDC_PS_DISPLAY:
        case IDC_PS_SELECTION:
        case IDC_PS_WINDOW:
            DeletePreview(*record);
            record->printType = PageSetupUpdatePrintArea(dialog);
            PageSetupFit(dialog);
            break;
        case IDC_PS_PAPER_MM:
        case IDC_PS_PAPER_INCHES:
            SetDlgItemTextA(dialog, IDC_PS_UNIT_LABEL, Checked(dialog, IDC_PS_PAPER_INCHES) ? "inches" : "mm");
            PageSetupFit(dialog);
            break;
        case IDC_PS_FIT:
            PageSetupReadControls(dialog);
            PageSetupFit(dialog);
            break;
        default:
            handled = false;
            break;
        }
    } else {
        handled = false;
    }
    if (handled)
        InvalidatePaperPreview(dialog);
    return FALSE;
}

UINT_PTR CALLBACK PageSetupPaintHook(HWND preview, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_PSD_GREEKTEXTRECT || !lParam)
        return FALSE;
    HWND dialog = GetParent(preview);
    CPrintDialogRecord* record = RecordOf(dialog);
    if (!record)
        return FALSE;
    // The page's rectangle in the preview stands for the paper; the print area goes on it at the
    // scale (tenths of a millimetre per unit) from the offset or centred.
    const RECT& page = *reinterpret_cast<const RECT*>(lParam);
    const CRealPoint paper = PaperOf(*record);
    if (!(paper.x > 0.0f && paper.y > 0.0f))
        return FALSE;
    const double width = std::fabs(static_cast<double>(record->areaRight) - record->areaLeft);
    const double height = std::fabs(static_cast<double>(record->areaBottom) - record->areaTop);
    const double mmPerUnit = std::fabs(record->scale) / 10.0;
    const double px = (page.right - page.left) / paper.x;
    const double py = (page.bottom - page.top) / paper.y;
    RECT area;
    area.left = page.left + static_cast<LONG>(record->offsetX * px);
    area.top = page.top + static_cast<LONG>(record->offsetY * py);
    area.right = area.left + static_cast<LONG>(width * mmPerUnit * px);
    area.bottom = area.top + static_cast<LONG>(height * mmPerUnit * py);
    ycom::WindowDC window(GetDC(preview));
    if (!window)
        return FALSE;
    ycom::SelectGuard brush(window.Get(), GetStockObject(LTGRAY_BRUSH));
    Rectangle(window.Get(), area.left, area.top, area.right, area.bottom);
    return TRUE;
}
