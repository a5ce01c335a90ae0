#include "control/PropertiesDialog.h"
#include <atomic>

namespace {
std::atomic<PropertiesDialogMaker> g_maker{nullptr};
}

void SetPropertiesDialogMaker(PropertiesDialogMaker maker) { g_maker = maker; }

std::unique_ptr<CPropertiesDialogHost> MakePropertiesDialog(CYVEXControl* control)
{
    const PropertiesDialogMaker maker = g_maker;
    return maker ? maker(control) : nullptr;
}
