// Entry points of yvex.dll.
#include "automation/Module.h"
#include "memory/SmallBlockHeap.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        ModuleAttach(instance);
    else if (reason == DLL_THREAD_DETACH)
        CSmallBlockHeap::Module().ReleaseThreadBlocks(); // what the ending thread kept serves others
    else if (reason == DLL_PROCESS_DETACH)
        ModuleDetach(reserved != nullptr);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv)
{
    return ycom::TheModule().GetClassObject(clsid, riid, ppv);
}
STDAPI DllCanUnloadNow() { return ycom::TheModule().CanUnloadNow(); }
STDAPI DllRegisterServer() { return ycom::TheModule().RegisterServer(); }
STDAPI DllUnregisterServer() { return ycom::TheModule().UnregisterServer(); }
