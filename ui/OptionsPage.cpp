#include "ui/OptionsPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include <cstdio>
#include <cstring>
#include <vector>
#include <prsht.h>

LRESULT COptionsPage::HandleInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // A template run on its own (RunTemplateModal) keeps the control it was given.
    if (const auto* page = reinterpret_cast<const PROPSHEETPAGEA*>(lParam))
        m_control = reinterpret_cast<CYVEXControl*>(page->lParam);
    return OnInitPage();
}

bool COptionsPage::ConfirmCount(const char* one, const char* many, size_t count) const
{
    std::string question;
    if (count == 1) {
        if (!one)
            return true;
        question = one;
    } else {
        std::vector<char> text(std::strlen(many) + 24);
        std::snprintf(text.data(), text.size(), many, static_cast<int>(count));
        question = text.data();
    }
    return ycom::ShowMessageBox(m_hWnd, question.c_str(), "Warning", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

LPARAM COptionsPage::RowData(HWND list, int row)
{
    if (!list || row < 0)
        return 0;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

std::string COptionsPage::JoinNames(const std::vector<std::string>& names)
{
    std::string joined;
    for (const std::string& name : names) {
        if (!joined.empty())
            joined += ", ";
        joined += name;
    }
    return joined;
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

INT_PTR COptionsPage::RunTemplateModal(HWND parent)
{
    HINSTANCE instance = ycom::TheModule().ResourceInstance();
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m_templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* source = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    if (!source || size < sizeof(DLGTEMPLATE))
        return -1;
    std::vector<BYTE> copy(static_cast<const BYTE*>(source), static_cast<const BYTE*>(source) + size);
    // The style sits after version, signature, help ID and extended style in an extended
    // template, first in a plain one.
    const bool extended = size >= 16 && copy[2] == 0xFF && copy[3] == 0xFF;
    BYTE* styleAt = copy.data() + (extended ? 12 : 0);
    DWORD style;
    std::memcpy(&style, styleAt, sizeof style);
    style = (style & ~(WS_CHILD | WS_DISABLED)) | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    std::memcpy(styleAt, &style, sizeof style);
    ycom::RegisterCreatingWindow(this);
    const INT_PTR result = DialogBoxIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), parent,
                                                   ycom::DialogStartProc, 0);
    ycom::ForgetCreatingWindow(this);
    return result;
}
