#include "afx/MessageBox.h"
#include "afx/ModuleState.h"
#include "afx/Wnd.h"
#include "com/MessageBoxHook.h"

CString AfxGetAppName()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    if (state->m_pszAppName)
        return CString(state->m_pszAppName);
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(state->m_hCurrentInstanceHandle, path, MAX_PATH);
    CString name(path, n < MAX_PATH ? static_cast<int>(n) : 0);
    const int slash = name.ReverseFind('\\') > name.ReverseFind('/') ? name.ReverseFind('\\') : name.ReverseFind('/');
    name = name.Mid(slash + 1);
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

int AfxMessageBox(const char* text, UINT type, UINT)
{
    const CString caption = AfxGetAppName();
    return ycom::ShowMessageBox(AfxSafeHwnd(AfxGetMainWnd()), text, caption, type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId)
{
    char text[1024] = {};
    LoadStringA(AfxGetResourceHandle(), promptId, text, sizeof text);
    return AfxMessageBox(text, type, helpId == static_cast<UINT>(-1) ? promptId : helpId);
}
