#pragma once
// The COM module of yvex.dll: start-up and shut-down, the class table of the registered
// classes, and the module-wide resource module.
#include <windows.h>
#include "com/Module.h"

// Process attach: initialises the module with the class table, the instance handle and the
// type library's identifier, turns off thread notifications and loads the rich-edit library
// (kept until detach).
void ModuleAttach(HINSTANCE instance);
// Process detach: frees the rich-edit library, terminates the module and frees the shared
// printer set-up. `processEnding` is set when the whole process exits.
void ModuleDetach(bool processEnding);

HINSTANCE ModuleInstance();

// The classes registered by this module, in registration order.
extern const ycom::ClassEntry g_yvexClasses[];
extern const size_t g_yvexClassCount;

// The module whose resources (strings, dialogs, menus) every control uses: this module, unless a
// host handed in a satellite module of the same version (ISite::ResourceHandle). One for the
// whole process.
HINSTANCE ModuleResourceInstance();
void ModuleSetResourceInstance(HINSTANCE instance);
