#include "control/OptionsDialog.h"
#include <atomic>

namespace {
std::atomic<OptionsDialogMaker> g_maker{nullptr};
}

void SetOptionsDialogMaker(OptionsDialogMaker maker) { g_maker = maker; }

std::unique_ptr<COptionsDialog> MakeOptionsDialog()
{
    const OptionsDialogMaker maker = g_maker;
    return maker ? maker() : nullptr;
}
