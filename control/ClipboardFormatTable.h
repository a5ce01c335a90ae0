#pragma once
// The clipboard formats the control offers and accepts, module-wide, in order of preference: its
// own drawing data first. A named format is registered on first use; beside the table the module
// keeps the format numbers in the same order, which copy, paste and the paste test hand to the
// clipboard functions as the priority list.
#include <windows.h>

struct ClipboardFormatEntry {
    // The kinds of data a format carries.
    enum Kind { kDrawing = 1, kText = 2, kImage = 3, kMetafilePicture = 4, kEnhancedMetafile = 5 };
    const char* name;  // null for a predefined format
    int format;        // -1 for a named format not yet registered
    int kind;
};

// The own format's name.
extern const char kYvexClipboardFormatName[];

constexpr int kClipboardFormatCount = 12;
// The table (entries in preference order).
const ClipboardFormatEntry* GetClipboardFormatTable();
// The format numbers in the table's order; 0 until RegisterClipboardFormats filled them.
const UINT* GetClipboardPriorityList();
// Registers the own format (its number is answered) and fills every slot of the priority list
// still 0, registering named formats on the way.
UINT RegisterClipboardFormats();
