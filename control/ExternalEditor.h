#pragma once
// Editing a text in an outside program (the control's text editor, WordPad unless the host names
// another): the text goes to a temporary ".rtf" file, the program is started on it, and what the
// file holds when the program ends comes back.
#include <windows.h>
#include <string>

// The program path is used as given (a path with spaces comes quoted); the file name is quoted
// on the command line. Without an owner window (null or -1) the call just waits for the program;
// with one it keeps the caller's windows painted and brings the program's first window to the
// front once. False when the temporary file cannot be made or read back, or the program cannot
// be started; the temporary file is deleted in every case.
bool EditTextWithExternalProgram(const char* program, const char* text, size_t size, HWND owner,
                                 std::string* edited);
