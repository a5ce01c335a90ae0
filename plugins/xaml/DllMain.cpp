// Entry point of the xaml plug-in.
#include <windows.h>
#include "afx/ModuleState.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // Dialog templates and strings of this plug-in are found through its module state.
        AfxInitStaticModule(instance);
    }
    return TRUE;
}
