#include "ui/BlockDialogs.h"
#include "com/Module.h"
#include "control/BlockNamePrompts.h"
#include "model/NameRules.h"
#include <cstdio>
#include <vector>

namespace {

// The longest name the dialogs read back.
constexpr int kNameBuffer = 101;
// The longest block name DXF takes.
constexpr int kMaxBlockName = 31;

std::string ItemText(HWND dialog, int id)
{
    char text[kNameBuffer] = "";
    GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
    return text;
}

HINSTANCE Resources() { return ycom::TheModule().ResourceInstance(); }

} // namespace

// ---- the name dialogs ----

LRESULT CNameDialog::HandleOk(UINT, WPARAM, LPARAM, BOOL&)
{
    const std::string name = ItemText(m_hWnd, m_nameItem);
    if (name.empty())
        return 0;
    m_name = name;
    EndDialog(IDOK);
    return 0;
}

LRESULT CNameDialog::HandleCancel(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

// ---- Deleting block ----

INT_PTR CDeleteBlockDialog::DoModal(HWND parent) { return DialogWindow::DoModal(Resources(), IDD_DELETE_BLOCK, parent); }

LRESULT CDeleteBlockDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    // The template's text is the format of the question.
    char format[256] = "";
    GetDlgItemTextA(m_hWnd, IDC_DELETE_BLOCK_TEXT, format, static_cast<int>(sizeof format));
    std::vector<char> text(sizeof format + m_blockName.size() + 1);
    std::snprintf(text.data(), text.size(), format, m_blockName.c_str());
    SetDlgItemTextA(m_hWnd, IDC_DELETE_BLOCK_TEXT, text.data());
    SendDlgItemMessageA(m_hWnd, IDC_DELETE_BLOCK_ICON, STM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION))));
    return TRUE;
}

LRESULT CDeleteBlockDialog::HandleButton(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    EndDialog(LOWORD(wParam));
    return 0;
}

// ---- Block name ----

INT_PTR CBlockNameDialog::DoModal(HWND parent) { return DialogWindow::DoModal(Resources(), IDD_BLOCK_NAME, parent); }

LRESULT CBlockNameDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_names || m_names->empty()) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetWindowTextA(m_hWnd, m_caption.c_str());
    for (const std::string& name : *m_names)
        SendDlgItemMessageA(m_hWnd, IDC_BLOCK_NAME_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return TRUE;
}


// ---- Create block ----

INT_PTR CCreateBlockDialog::DoModal(HWND parent) { return DialogWindow::DoModal(Resources(), IDD_CREATE_BLOCK, parent); }

LRESULT CCreateBlockDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND edit = GetItem(IDC_CREATE_BLOCK_NAME);
    SendMessageA(edit, EM_LIMITTEXT, kMaxBlockName, 0);
    SetFocus(edit);
    SetWindowTextA(edit, m_name.c_str());
    if (!m_name.empty())
        SendMessageA(edit, EM_SETSEL, 0, -1);
    // The focus is set here.
    return FALSE;
}

LRESULT CCreateBlockDialog::HandleUpdate(UINT, WPARAM, LPARAM, BOOL&)
{
    std::string text = ItemText(m_hWnd, IDC_CREATE_BLOCK_NAME);
    std::string cleaned = text;
    if (!MakeValidName(cleaned))
        return 0;
    // A text with nothing valid in it becomes empty, not the "1" that stands in for such a name
    // elsewhere: the user has not typed a name yet.
    if (cleaned == "1" && text.find('1') == std::string::npos)
        cleaned.clear();
    HWND edit = GetItem(IDC_CREATE_BLOCK_NAME);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SetWindowTextA(edit, cleaned.c_str());
    const DWORD length = static_cast<DWORD>(cleaned.size());
    SendMessageA(edit, EM_SETSEL, start < length ? start : length, end < length ? end : length);
    return 0;
}


void RegisterBlockNamePrompts()
{
    BlockNamePrompts prompts;
    prompts.askNewName = [](HWND parent, std::string& name) {
        CCreateBlockDialog dialog(name);
        if (dialog.DoModal(parent) != IDOK)
            return false;
        name = dialog.GetName();
        return true;
    };
    prompts.chooseName = [](HWND parent, const char* caption, const std::set<std::string>& names, std::string& chosen) {
        CBlockNameDialog dialog(caption ? caption : "", &names);
        if (dialog.DoModal(parent) != IDOK)
            return false;
        chosen = dialog.GetName();
        return true;
    };
    SetBlockNamePrompts(prompts);
}
