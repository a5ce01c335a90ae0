#include "control/SharedResources.h"
#include "com/Module.h"

namespace {

// GDI+'s flat start-up entry and its input record (version 1, everything else off).
struct GdiplusStartupInputFlat {
    UINT32 version;
    void* debugCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};
extern "C" int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInputFlat* input, void* output);
extern "C" void WINAPI GdiplusShutdown(ULONG_PTR token);

ULONG_PTR g_gdiplusToken = 0;
int g_gdiplusUsers = 0;

int g_liveControls = 0;
HWND g_richEdit = nullptr;

} // namespace

bool AcquireGdiplus()
{
    const bool first = g_gdiplusUsers == 0;
    ++g_gdiplusUsers;
    if (first || !g_gdiplusToken) {
        if (!g_gdiplusToken)
            g_gdiplusUsers = 1;
        const GdiplusStartupInputFlat input = {1, nullptr, FALSE, FALSE};
        ULONG_PTR token = 0;
        if (GdiplusStartup(&token, &input, nullptr) == 0)
            g_gdiplusToken = token;
    }
    return g_gdiplusToken != 0;
}

void ReleaseGdiplus()
{
    if (g_gdiplusUsers > 0)
        --g_gdiplusUsers;
    if (g_gdiplusUsers < 1 && g_gdiplusToken) {
        GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    }
}

int GetGdiplusUsers() { return g_gdiplusUsers; }

void RegisterControlInstance()
{
    ++g_liveControls;
    // Text shapes of the first control need the window as much as those of any later one.
    if (!g_richEdit)
        g_richEdit = CreateWindowExA(0, "RICHEDIT", "", ES_MULTILINE, 0, 0, 0, 0, nullptr, nullptr,
                                     ycom::TheModule().Instance(), nullptr);
}

void UnregisterControlInstance()
{
    if (g_liveControls > 0)
        --g_liveControls;
    if (g_liveControls == 0 && g_richEdit) {
        DestroyWindow(g_richEdit);
        g_richEdit = nullptr;
    }
}

int GetLiveControlCount() { return g_liveControls; }

HWND GetSharedRichEditWindow() { return g_richEdit; }

BOOL PumpPendingMessages(WPARAM, LPARAM)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return TRUE;
}
