#include "control/ResourceMessage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "ui/resource.h"
#include <cstring>
#include <vector>

std::string LoadResourceString(UINT id, const char* fallback)
{
    if (id != 0) {
        // A string table entry is at most 4097 characters long.
        std::vector<char> buffer(4100);
        const int n = LoadStringA(ycom::TheModule().Instance(), id, buffer.data(), static_cast<int>(buffer.size()));
        if (n > 0)
            return std::string(buffer.data(), static_cast<size_t>(n));
    }
    return fallback ? fallback : "";
}

namespace {

// The format with its first "%s" replaced by the argument and "%%" by '%'. The text grows with
// the argument: a long name never runs past a fixed buffer.
std::string Substitute(const std::string& format, const char* argument)
{
    std::string out;
    out.reserve(format.size() + (argument ? strlen(argument) : 0));
    bool used = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (format[i + 1] == 's' && !used) {
                out += argument ? argument : "";
                used = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

HWND ActiveWindowOfThread()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) ? info.hwndActive : nullptr;
}

} // namespace

int ShowResourceMessage(UINT formatId, const char* argument, UINT captionId)
{
    const std::string unknown = LoadResourceString(IDS_UNKNOWN_ERROR, "Unknown error.");
    std::string format = formatId ? LoadResourceString(formatId, "") : std::string();
    if (format.empty())
        format = unknown;
    const std::string errorCaption = LoadResourceString(IDS_ERROR_CAPTION, "YVEXControl: Error");
    std::string caption = captionId ? LoadResourceString(captionId, "") : std::string();
    const bool isError = caption.empty() || captionId == IDS_ERROR_CAPTION;
    if (caption.empty())
        caption = errorCaption;
    const std::string text = Substitute(format, argument);
    const UINT style = MB_OK | (isError ? MB_ICONHAND : MB_ICONEXCLAMATION);
    return ycom::ShowMessageBox(ActiveWindowOfThread(), text.c_str(), caption.c_str(), style);
}

int ShowMessageBox(UINT textId, UINT captionId) { return ShowResourceMessage(textId, "", captionId); }
