#pragma once
// ShowCustomMessageBox: a modal message box (template 273) over the active window whose buttons
// may take the caller's captions, e.g. "&Move" and "&Delete" in place of "&Yes" and "&No". The
// buttons shown follow the MessageBox style (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL); the
// icon too. Like every message box of the module it goes through the message-box hook when one is
// installed, which then answers for the user (and sees the standard captions' style).
#include <windows.h>

// The captions, in order, of the Yes (or OK), No, Cancel and two spare buttons; null keeps a
// button's own text. Answers IDYES, IDNO, IDOK or IDCANCEL.
int ShowCustomMessageBox(const char* text, const char* caption, UINT style, const char* yesText = nullptr,
                         const char* noText = nullptr, const char* cancelText = nullptr,
                         const char* fourthText = nullptr, const char* fifthText = nullptr);
