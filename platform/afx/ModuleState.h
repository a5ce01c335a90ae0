#pragma once
// The module state: which module's instance and resources the class library works with on the
// calling thread. A plug-in DLL has a static state of its own (its instance handle, recorded by
// its DllMain); the application's state (the program's own module) holds where none has been
// installed. A plug-in entry that creates resources or class-library objects installs its own
// state for the length of the call (AFX_MANAGE_STATE), so that a dialog template is looked up in
// the plug-in and not in the host program.
#include <windows.h>

class CWnd;

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    // The caption of AfxMessageBox; null: the base name of the module.
    const char* m_pszAppName = nullptr;
};

// The state current on the calling thread: the last one installed, else the application's.
AFX_MODULE_STATE* AfxGetModuleState();
// The application's state (the program's module); its main window lives there.
AFX_MODULE_STATE* AfxGetAppModuleState();
// This module's own state (the DLL that links this copy of the class library).
AFX_MODULE_STATE* AfxGetStaticModuleState();
// Records this module's instance handle in its static state (from DllMain).
void AfxInitStaticModule(HINSTANCE instance);

// Installs a state on the calling thread and answers the previous one (null for the application's).
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resources);

// The owner of message boxes and modal dialogs that name none: null unless the host names one.
CWnd* AfxGetMainWnd();
void AfxSetMainWnd(CWnd* window);

// Installs a state for the life of the object and puts the previous one back on every exit.
class AFX_MAINTAIN_STATE2
{
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(AfxSetModuleState(state)) {}
    ~AFX_MAINTAIN_STATE2() { AfxSetModuleState(m_previous); }
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_previous;
};

#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE2 afxManagedState_(state)
