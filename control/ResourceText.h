#pragma once
#include <windows.h>
#include <string>

// The module that holds the control's code: yvex.dll, or a test program linked with the control's
// core. Its resources (strings, line types) are read from there.
HMODULE ControlModule();

// A string resource of the control's module read into a buffer of `bufferChars` characters (what
// does not fit is cut); empty when the module has no such string.
std::wstring LoadResourceTextW(UINT id, int bufferChars);
std::string LoadResourceTextA(UINT id, int bufferChars);
