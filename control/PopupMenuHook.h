#pragma once
#include <windows.h>

// Every context menu of the control is shown through ShowPopupMenu, so that a test (or a host
// that cannot show modal menus) can take the place of the modal TrackPopupMenuEx, which blocks
// its thread until the user chooses.
using PopupMenuHandler = UINT (*)(HMENU menu, UINT flags, int x, int y, HWND owner);

// TrackPopupMenuEx with TPM_RETURNCMD, or the installed handler: the chosen command, 0 for none.
UINT ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
// Installs a handler (null restores TrackPopupMenuEx); answers the previous one.
PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler);
