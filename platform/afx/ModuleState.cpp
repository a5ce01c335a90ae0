#include "afx/ModuleState.h"
#include "afx/Wnd.h"

namespace {

// Null: the application's state.
thread_local AFX_MODULE_STATE* t_current = nullptr;

struct AppState {
    AFX_MODULE_STATE state;
    CWnd* mainWindow = nullptr;
    AppState()
    {
        state.m_hCurrentInstanceHandle = GetModuleHandleA(nullptr);
        state.m_hCurrentResourceHandle = state.m_hCurrentInstanceHandle;
    }
};

AppState& App()
{
    static AppState app;
    return app;
}

} // namespace

AFX_MODULE_STATE* AfxGetAppModuleState() { return &App().state; }

AFX_MODULE_STATE* AfxGetModuleState() { return t_current ? t_current : AfxGetAppModuleState(); }

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state;
    return &state;
}

void AfxInitStaticModule(HINSTANCE instance)
{
    AFX_MODULE_STATE* state = AfxGetStaticModuleState();
    state->m_hCurrentInstanceHandle = instance;
    state->m_hCurrentResourceHandle = instance;
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state)
{
    AFX_MODULE_STATE* previous = t_current;
    t_current = state;
    return previous;
}

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE resources) { AfxGetModuleState()->m_hCurrentResourceHandle = resources; }

CWnd* AfxGetMainWnd() { return App().mainWindow; }

void AfxSetMainWnd(CWnd* window) { App().mainWindow = window; }
