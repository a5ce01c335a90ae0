#include "ui/SiteListDialog.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "ui/resource.h"
#include <cstring>
#include <vector>

int ShowSiteListDialog(HWND owner, CSiteListRequest& request)
{
    CSiteListDialog dialog(request);
    return dialog.Run(owner);
}

int CSiteListDialog::Run(HWND owner)
{
    m_request.chosenId = -1;
    m_request.chosenName.clear();
    const INT_PTR answer = DoModal(ycom::TheModule().ResourceInstance(), IDD_SITE_LIST, owner);
    return answer == IDOK ? IDOK : IDCANCEL;
}

int CSiteListDialog::FillList()
{
    SQLHSTMT statement = m_request.statement;
    if (!statement || !m_request.query || !*m_request.query)
        return 0;
    std::vector<OdbcParam> params;
    if (m_request.parameter && std::strchr(m_request.query, '?'))
        params.push_back(OdbcParam::Text(m_request.parameter));
    const SQLRETURN result = OdbcExecDirectParams(statement, m_request.query, params);
    // A failing query leaves the list empty.
    if (!SQL_SUCCEEDED(result)) {
        SQLFreeStmt(statement, SQL_CLOSE);
        return 0;
    }
    HWND list = GetItem(IDC_LIST);
    int rows = 0;
    COdbcRow row(statement);
    row.BindInt(1);
    while (row.Fetch()) {
        const int id = row.Int(1);
        // Site names are at most 31 characters.
        const std::string name = row.Text(2, 32);
        const LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (item >= 0)
            SendMessageA(list, LB_SETITEMDATA, item, id);
        ++rows;
    }
    row.Finish();
    return rows;
}

LRESULT CSiteListDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetWindowTextA(m_hWnd, m_request.caption ? m_request.caption : "");
    HWND edit = GetItem(IDC_NAME);
    if (!m_request.allowNewName) {
        // Only listed sites can be chosen: the list takes the edit's place.
        RECT editRect = {}, listRect = {};
        GetWindowRect(edit, &editRect);
        GetWindowRect(GetItem(IDC_LIST), &listRect);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&editRect), 2);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&listRect), 2);
        ShowWindow(edit, SW_HIDE);
        MoveWindow(GetItem(IDC_LIST), listRect.left, editRect.top, listRect.right - listRect.left,
                   listRect.bottom - editRect.top, TRUE);
    } else {
        SendMessageA(edit, EM_LIMITTEXT, 31, 0);
        if (m_request.presetName)
            SetWindowTextA(edit, m_request.presetName);
    }
    const int rows = FillList();
    EnableWindow(GetItem(IDOK), m_request.allowNewName && GetWindowTextLengthA(edit) > 0);
    if (m_request.autoAccept) {
        if (rows == 0 && m_request.allowNewName) {
            m_request.chosenId = -1;
            PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        } else if (rows == 1) {
            SendMessageA(GetItem(IDC_LIST), LB_SETCURSEL, 0, 0);
            BOOL handled = TRUE;
            HandleSelection(0, 0, 0, handled);
            PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    return TRUE;
}

LRESULT CSiteListDialog::HandleSelection(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND list = GetItem(IDC_LIST);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected < 0) {
        m_request.chosenId = -1;
        m_request.chosenName.clear();
    } else {
        m_request.chosenId = static_cast<int>(SendMessageA(list, LB_GETITEMDATA, selected, 0));
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, selected, 0);
        std::string name(length > 0 ? static_cast<size_t>(length) : 0, '\0');
        if (length > 0)
            SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(&name[0]));
        m_request.chosenName = name;
    }
    if (m_request.allowNewName)
        SetWindowTextA(GetItem(IDC_NAME), m_request.chosenName.c_str());
    EnableWindow(GetItem(IDOK), m_request.chosenId != -1);
    return 0;
}

LRESULT CSiteListDialog::HandleNameChange(UINT, WPARAM, LPARAM, BOOL&)
{
    EnableWindow(GetItem(IDOK), GetWindowTextLengthA(GetItem(IDC_NAME)) > 0);
    return 0;
}

LRESULT CSiteListDialog::HandleOk(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_request.allowNewName) {
        char typed[64] = "";
        GetWindowTextA(GetItem(IDC_NAME), typed, static_cast<int>(sizeof typed));
        m_request.chosenName = typed;
        m_request.chosenId = -1;
        // The listed site of exactly that name, whatever its case; else a new site.
        HWND list = GetItem(IDC_LIST);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char name[64] = "";
            if (SendMessageA(list, LB_GETTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof name))
                continue;
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name));
            if (lstrcmpiA(name, typed) == 0) {
                m_request.chosenId = static_cast<int>(SendMessageA(list, LB_GETITEMDATA, i, 0));
                break;
            }
        }
    }
    if (m_request.confirmation &&
        ycom::ShowMessageBox(m_hWnd, m_request.confirmation, m_request.caption ? m_request.caption : "",
                             MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return 0;
    EndDialog(IDOK);
    return 0;
}

LRESULT CSiteListDialog::HandleCancel(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}
