#include "persistence/MessengerThreads.h"
#include <windows.h>
#include <objbase.h>
#include <memory>
#include "com/ComObject.h"

std::mutex& MessengerSendLock()
{
    static std::mutex lock;
    return lock;
}

std::mutex& MessengerReceiveLock()
{
    static std::mutex lock;
    return lock;
}

namespace {

DWORD WINAPI RunBody(void* argument)
{
    std::unique_ptr<std::function<int()>> body(static_cast<std::function<int()>*>(argument));
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    int code = -1;
    try {
        code = (*body)();
    } catch (...) {
        code = -1;
    }
    // What the body holds (its messenger half) goes before the module may.
    body.reset();
    if (SUCCEEDED(com))
        CoUninitialize();
    ycom::ModuleUnlock();
    return static_cast<DWORD>(code);
}

} // namespace

bool StartMessengerThread(std::function<int()> body)
{
    auto owned = std::make_unique<std::function<int()>>(std::move(body));
    ycom::ModuleLock();
    HANDLE thread = CreateThread(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
    if (!thread) {
        ycom::ModuleUnlock();
        return false;
    }
    owned.release();
    CloseHandle(thread);
    return true;
}
