#include "control/AtlHosting.h"

namespace {

struct AtlEntries {
    HMODULE module = nullptr;
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
};

AtlEntries& Atl()
{
    static AtlEntries entries = [] {
        AtlEntries e;
        e.module = LoadLibraryW(L"atl.dll");
        if (e.module) {
            e.init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(e.module, "AtlAxWinInit")));
            e.getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
                reinterpret_cast<void*>(GetProcAddress(e.module, "AtlAxGetControl")));
        }
        return e;
    }();
    return entries;
}

} // namespace

bool InitControlHosting()
{
    AtlEntries& atl = Atl();
    if (!atl.init)
        return false;
    // A second call answers FALSE once the class exists; the class is what counts.
    atl.init();
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExW(nullptr, L"AtlAxWin", &info) || GetClassInfoExW(atl.module, L"AtlAxWin", &info);
}

HRESULT GetHostedControl(HWND host, IUnknown** control)
{
    if (!control)
        return E_POINTER;
    *control = nullptr;
    AtlEntries& atl = Atl();
    return atl.getControl ? atl.getControl(host, control) : E_FAIL;
}
