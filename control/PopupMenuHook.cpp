#include "control/PopupMenuHook.h"

namespace {
PopupMenuHandler g_handler = nullptr;
}

UINT ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    if (g_handler)
        return g_handler(menu, flags | TPM_RETURNCMD, x, y, owner);
    return static_cast<UINT>(TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, x, y, owner, nullptr));
}

PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler)
{
    PopupMenuHandler previous = g_handler;
    g_handler = handler;
    return previous;
}
