#pragma once
// The questions the control's block commands put to the user: a name for a new block (the
// "Create block" dialog) and the choice of a block of the library by name (the block-name
// chooser). The dialogs sit with the others above the control; the module names them at start.
// A control without them counts every question as cancelled.
#include <windows.h>
#include <set>
#include <string>

struct BlockNamePrompts {
    // The proposal in `name`, the user's name out; false when cancelled.
    bool (*askNewName)(HWND parent, std::string& name) = nullptr;
    // One of `names` under the caption; false when cancelled (or no names to offer).
    bool (*chooseName)(HWND parent, const char* caption, const std::set<std::string>& names,
                       std::string& chosen) = nullptr;
};

// Named once by the module.
void SetBlockNamePrompts(const BlockNamePrompts& prompts);
bool AskNewBlockName(HWND parent, std::string& name);
bool ChooseBlockName(HWND parent, const char* caption, const std::set<std::string>& names, std::string& chosen);
