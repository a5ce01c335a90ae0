#pragma once
#include <windows.h>

namespace ycom {

// Every message box of a module goes through ShowMessageBox, so that a test (or an application
// that embeds the module in a service) can take the place of the modal box: a box that nobody
// answers would block the calling thread for ever.
using MessageBoxHandler = int (*)(HWND owner, const char* text, const char* caption, UINT style);

// MessageBoxA, or the installed handler; answers the button chosen (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
// Installs a handler for the whole process (null restores MessageBoxA); answers the previous
// one. Message boxes may come from worker threads: a handler must be thread-safe.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
// The installed handler, null when none is.
MessageBoxHandler GetMessageBoxHandler();

} // namespace ycom
