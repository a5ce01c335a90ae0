#pragma once
// What the site commands (load, save, delete, file transfer) ask of the site list dialog: the
// sites a query lists on a statement of the command's connection, one of them or a new name
// chosen. The dialog sits with the dialogs above the control; the module names it at start (a
// control without one answers every choice as cancelled).
#include <windows.h>
#include <sql.h>
#include <string>

struct CSiteListRequest
{
    SQLHSTMT statement = nullptr;
    const char* caption = "";
    // Rows (site ID, name); a '?' in it takes `parameter`.
    const char* query = "";
    const char* parameter = nullptr;
    // A save may name a new site; the edit starts with `presetName`.
    bool allowNewName = false;
    const char* presetName = nullptr;
    // Asked (Yes/No) before the dialog ends with OK; null: not asked.
    const char* confirmation = nullptr;
    // One row (or none, where a new name may be typed) is taken without the user.
    bool autoAccept = false;
    // The answer: the chosen site's ID (-1 for none or a new name) and its name.
    int chosenId = -1;
    std::string chosenName;
};

using SiteListShower = int (*)(HWND owner, CSiteListRequest& request);
// Named once by the module.
void SetSiteListShower(SiteListShower shower);
// IDOK or IDCANCEL (also when no dialog was named).
int ShowSiteListChoice(HWND owner, CSiteListRequest& request);
