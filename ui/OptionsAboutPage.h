#pragma once
// COptionsAboutPage: the last page of the Options sheet (template 1540): the logo, the version
// line made from the control module's own version resource, and the credits of the TIFF library.
#include <string>
#include "ui/OptionsPage.h"

class COptionsAboutPage : public COptionsPage
{
public:
    COptionsAboutPage();

    // The version line: "YVEX Control v.<major>.<minor>.<build> (build <private build>)\n<copyright>"
    // from the version resource of the module at `path` (the control's own for null).
    static std::string VersionLine(const char* path);

    BEGIN_MSG_MAP(COptionsAboutPage)
        MESSAGE_HANDLER(WM_SHOWWINDOW, HandleShowWindow)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;

private:
    LRESULT HandleShowWindow(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void ShowAddress();

    HWND m_version = nullptr;
    HWND m_address = nullptr;
};
