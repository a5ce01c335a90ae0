#include "control/ClipboardFormatTable.h"

const char kYvexClipboardFormatName[] = "YVEX Clipboard data";

namespace {

ClipboardFormatEntry g_table[kClipboardFormatCount] = {
    {kYvexClipboardFormatName, -1, ClipboardFormatEntry::kDrawing},
    {"JFIF", -1, ClipboardFormatEntry::kImage},
    {"GIF", -1, ClipboardFormatEntry::kImage},
    {"Rich Text Format", -1, ClipboardFormatEntry::kText},
    {nullptr, CF_TEXT, ClipboardFormatEntry::kText},
    {nullptr, CF_ENHMETAFILE, ClipboardFormatEntry::kEnhancedMetafile},
    {nullptr, CF_DIB, ClipboardFormatEntry::kImage},
    {nullptr, CF_DSPENHMETAFILE, ClipboardFormatEntry::kEnhancedMetafile},
    {nullptr, CF_METAFILEPICT, ClipboardFormatEntry::kMetafilePicture},
    {nullptr, CF_DSPMETAFILEPICT, ClipboardFormatEntry::kMetafilePicture},
    {nullptr, CF_UNICODETEXT, ClipboardFormatEntry::kText},
    {nullptr, CF_DSPTEXT, ClipboardFormatEntry::kText},
};
UINT g_priority[kClipboardFormatCount] = {};

} // namespace

const ClipboardFormatEntry* GetClipboardFormatTable() { return g_table; }

const UINT* GetClipboardPriorityList() { return g_priority; }

UINT RegisterClipboardFormats()
{
    const UINT own = RegisterClipboardFormatA(kYvexClipboardFormatName);
    for (int i = 0; i < kClipboardFormatCount; ++i) {
        if (g_priority[i] != 0)
            continue;
        ClipboardFormatEntry& entry = g_table[i];
        if (entry.format == -1 && entry.name)
            entry.format = static_cast<int>(RegisterClipboardFormatA(entry.name));
        g_priority[i] = entry.format > 0 ? static_cast<UINT>(entry.format) : 0;
    }
    return own;
}
