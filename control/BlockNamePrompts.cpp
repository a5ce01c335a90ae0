#include "control/BlockNamePrompts.h"
#include <atomic>

namespace {
std::atomic<bool (*)(HWND, std::string&)> g_askNewName{nullptr};
std::atomic<bool (*)(HWND, const char*, const std::set<std::string>&, std::string&)> g_chooseName{nullptr};
} // namespace

void SetBlockNamePrompts(const BlockNamePrompts& prompts)
{
    g_askNewName = prompts.askNewName;
    g_chooseName = prompts.chooseName;
}

bool AskNewBlockName(HWND parent, std::string& name)
{
    const auto ask = g_askNewName.load();
    return ask && ask(parent, name);
}

bool ChooseBlockName(HWND parent, const char* caption, const std::set<std::string>& names, std::string& chosen)
{
    const auto choose = g_chooseName.load();
    return choose && choose(parent, caption, names, chosen);
}
