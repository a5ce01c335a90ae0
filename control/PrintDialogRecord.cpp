#include "control/PrintDialogRecord.h"
#include <atomic>

namespace {
std::atomic<PrintDialogHook> g_hook{nullptr};
std::atomic<PrintDialogHook> g_paintHook{nullptr};
} // namespace

void SetPrintDialogHooks(PrintDialogHook hook, PrintDialogHook paintHook)
{
    g_hook = hook;
    g_paintHook = paintHook;
}

PrintDialogHook GetPrintDialogHook() { return g_hook; }
PrintDialogHook GetPageSetupPaintHook() { return g_paintHook; }
