#include "model/TextEditorDialog.h"
#include <atomic>

namespace {
std::atomic<TextEditorDialogMaker> g_maker{nullptr};
}

void SetTextEditorDialogMaker(TextEditorDialogMaker maker) { g_maker = maker; }

std::unique_ptr<CTextEditorDialog> MakeTextEditorDialog()
{
    const TextEditorDialogMaker maker = g_maker;
    return maker ? maker() : nullptr;
}
