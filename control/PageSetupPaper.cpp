#include "control/PageSetupPaper.h"
#include <commdlg.h>
#include <atomic>
#include <cmath>

namespace {
std::atomic<PaperCodeLookup> g_lookup{nullptr};
constexpr int kMillimetres = 4;
constexpr double kMmPerInch = 25.4;
} // namespace

void SetPaperCodeLookup(PaperCodeLookup lookup) { g_lookup = lookup; }

bool PaperOfCode(CYVEXControl* control, int paperCode, double* longSide, double* shortSide)
{
    const PaperCodeLookup lookup = g_lookup;
    double first = 0.0, second = 0.0;
    int unit = kMillimetres;
    if (!lookup || paperCode == 0 || !lookup(control, paperCode, &first, &second, &unit))
        return false;
    const double factor = unit == kMillimetres ? 1.0 : kMmPerInch;
    *longSide = first * factor;
    *shortSide = second * factor;
    return true;
}

bool PageSetupApplyPaperSize(CYVEXControl* control, int paperCode, CRealPoint* page, CRealPoint* delta)
{
    if (delta)
        *delta = CRealPoint(0.0f, 0.0f);
    double first = 0.0, second = 0.0;
    if (!page || !PaperOfCode(control, paperCode, &first, &second))
        return false;
    const bool wide = page->x > page->y;
    const CRealPoint paper = wide ? CRealPoint(static_cast<float>(first), static_cast<float>(second))
                                  : CRealPoint(static_cast<float>(second), static_cast<float>(first));
    if (page->x != 0.0f && page->y != 0.0f && delta)
        *delta = CRealPoint(paper.x - page->x, paper.y - page->y);
    *page = paper;
    return true;
}

LONG PaperMmToDialogUnits(double mm, DWORD flags)
{
    double units = mm;
    if (flags & PSD_INHUNDREDTHSOFMILLIMETERS)
        units = mm * 100.0;
    else if (flags & PSD_INTHOUSANDTHSOFINCHES)
        units = mm * 1000.0 / kMmPerInch;
    return static_cast<LONG>(std::lround(units));
}
