#include "ui/OptionsPage.h"
#include <prsht.h>

LRESULT COptionsPage::HandleInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    m_control = page ? reinterpret_cast<CYVEXControl*>(page->lParam) : nullptr;
    return OnInitPage();
}

LRESULT COptionsPage::HandleSheetNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // The sheet's notifications come from the sheet (the page's parent); a child's go on to be
    // reflected.
    if (!header || header->hwndFrom != GetParent(m_hWnd)) {
        handled = FALSE;
        return 0;
    }
    switch (header->code) {
    case PSN_APPLY: return OnApply();
    case PSN_KILLACTIVE: return OnKillActive();
    case PSN_SETACTIVE: OnSetActive(); return 0;
    case PSN_RESET: OnReset(); return 0;
    default: handled = FALSE; return 0;
    }
}
