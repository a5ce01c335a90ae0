#pragma once
// Texts from the module's string table, and message boxes made of them. Every box goes through
// the module's message-box hook, so that nothing blocks where nobody can answer.
#include <windows.h>
#include <string>

// The string of an ID in the module's string table, or the fallback when it cannot be loaded.
std::string LoadResourceString(UINT id, const char* fallback);

// A message box with the format string of `formatId` (its "%s" takes the argument; ID 0 or a
// missing string: "Unknown error.") and the caption of `captionId` (ID 0 or a missing string:
// "YVEXControl: Error"), owned by the calling thread's active window; the stop icon under the
// error caption, else the exclamation mark; an OK button. Answers the button.
int ShowResourceMessage(UINT formatId, const char* argument, UINT captionId);
// ShowResourceMessage with an empty argument.
int ShowMessageBox(UINT textId, UINT captionId);
