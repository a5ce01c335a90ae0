#include "control/SiteListChoice.h"

namespace {
SiteListShower g_shower = nullptr;
}

void SetSiteListShower(SiteListShower shower) { g_shower = shower; }

int ShowSiteListChoice(HWND owner, CSiteListRequest& request)
{
    return g_shower ? g_shower(owner, request) : IDCANCEL;
}
