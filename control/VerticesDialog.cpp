#include "control/VerticesDialog.h"
#include <atomic>

namespace {
std::atomic<VerticesDialogMaker> g_maker{nullptr};
}

void SetVerticesDialogMaker(VerticesDialogMaker maker) { g_maker = maker; }

std::unique_ptr<CVerticesDialogHost> MakeVerticesDialog()
{
    const VerticesDialogMaker maker = g_maker;
    return maker ? maker() : nullptr;
}
