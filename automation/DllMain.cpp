// Entry points of yvex.dll.
#include "automation/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleSetInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) { return ModuleGetClassObject(clsid, riid, ppv); }
STDAPI DllCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }
STDAPI DllRegisterServer() { return ModuleRegisterServer(); }
STDAPI DllUnregisterServer() { return ModuleUnregisterServer(); }
