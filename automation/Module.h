#pragma once
#include <windows.h>
#include <ole2.h>

// The COM module of yvex.dll: its instance handle, lock count, type library and class table.
HINSTANCE ModuleInstance();
void ModuleSetInstance(HINSTANCE instance);
void ModuleLock();
void ModuleUnlock();
LONG ModuleLockCount();

// Type information of an interface or coclass of YVEXLib, from the library embedded in the
// module (falls back to the registered library when the module has none).
HRESULT ModuleGetTypeInfo(REFGUID guid, ITypeInfo** info);

HRESULT ModuleGetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
HRESULT ModuleRegisterServer();
HRESULT ModuleUnregisterServer();
