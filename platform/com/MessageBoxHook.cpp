#include "com/MessageBoxHook.h"
#include <atomic>

namespace ycom {

namespace {
std::atomic<MessageBoxHandler> g_handler{nullptr};
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    MessageBoxHandler handler = g_handler.load();
    if (handler)
        return handler(owner, text ? text : "", caption ? caption : "", style);
    return MessageBoxA(owner, text ? text : "", caption ? caption : "", style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) { return g_handler.exchange(handler); }

MessageBoxHandler GetMessageBoxHandler() { return g_handler.load(); }

} // namespace ycom
