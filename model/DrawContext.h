#pragma once
#include <windows.h>

class CViewMapping;

// What the control hands to every drawing operation of the shapes. The device context works in
// logical units of 0.1 mm with y up (MM_LOMETRIC), the advanced graphics mode and clockwise arcs,
// on the screen, in the off-screen buffer and in metafiles alike.
struct CDrawContext
{
    // Bits of the flags word.
    enum Flags : DWORD
    {
        // The marks pass: selection marks are drawn; no hatch fill, no arrow heads.
        dcMarks = 0x2,
        // No hatch fill and no arrow heads (printing and outline passes); a hollow overlay brush.
        dcNoFill = 0x8,
        // With dcClipPass, only shapes with a hatch fill take part. Alone: the current position
        // is drawn on (LineTo) after an arrow head, and the highlight group draws with it.
        dcFilledOnly = 0x10,
        // The clip pass: shapes add their outline to the clip region instead of painting.
        dcClipPass = 0x20,
        // Passed on to the hatch pattern; the kinds draw every arc exactly instead of drawing
        // tiny ones straight.
        dcHatchOption = 0x80,
        dcPrecise = 0x80,
    };

    HDC dc = nullptr;
    DWORD flags = 0;
    // Recompute each shape's device extent and draw tiny shapes as simplified figures.
    bool sizeCheck = false;
    // The colour the selection marks start from (ChooseMarkColour adjusts it per shape).
    COLORREF markColour = 0xFF0000;
    // The colour of the selection overlay.
    COLORREF highlightColour = 0xFF0000;
    // A ready pen every shape draws with instead of its own (the highlight pen), or null.
    HPEN pen = nullptr;
    // Set by a group for its children: a shape leaves its pen selected for the next one, which
    // selects its own only when it differs, and the group selects back the pen it found.
    bool keepPen = false;
    // The view the drawing is mapped through (world to logical units); null: the control's current
    // view.
    const CViewMapping* view = nullptr;
    // The extent of the shape named, ordered as GetBoundingRect answers it, when the caller
    // holds it already (the drawing's root from its grid): the size check takes it instead of
    // asking the shape, whose own extent may cost a curve's sampling.
    const void* extentOf = nullptr;
    float extentLeft = 0, extentTop = 0, extentRight = 0, extentBottom = 0;
};
