#pragma once
// CSiteListDialog: the list of a database's sites (template 133) that the site commands choose
// from: a query's rows (site ID, name) in a list box, for a save also an edit where a new name
// may be typed; an optional Yes/No confirmation before it ends with OK.
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "control/SiteListChoice.h"

class CSiteListDialog : public ycom::DialogWindow
{
public:
    explicit CSiteListDialog(CSiteListRequest& request) : m_request(request) {}

    // Runs the dialog over `owner`: IDOK with the request's answer filled in, or IDCANCEL.
    int Run(HWND owner);

    BEGIN_MSG_MAP(CSiteListDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        COMMAND_ID_CODE_HANDLER(IDC_LIST, LBN_SELCHANGE, HandleSelection)
        COMMAND_ID_CODE_HANDLER(IDC_NAME, EN_CHANGE, HandleNameChange)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        MESSAGE_HANDLER(WM_CLOSE, HandleCancel)
    END_MSG_MAP()

private:
    static constexpr int IDC_NAME = 1005;
    static constexpr int IDC_LIST = 259;

    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSelection(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleNameChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The query's rows into the list; their count.
    int FillList();

    CSiteListRequest& m_request;
};

// The control's site list: the dialog over `owner`.
int ShowSiteListDialog(HWND owner, CSiteListRequest& request);
