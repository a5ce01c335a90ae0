#pragma once
// CColorPopupMenu: the colour choice of the pages and lists, a popup menu of 40 colour swatches in
// 8 columns, each column with the chosen special entries on top (by layer, by block, by polyline)
// and "Custom Color ..." at the bottom, which opens the colour dialog. Callers make one per use:
// Build, Track, read the chosen colour.
//
// DrawColorItem is the colour item painter of lists and buttons: a swatch with the colour's name.
#include <windows.h>
#include "ui/OwnerDrawMenu.h"

class CColorPopupMenu : public COwnerDrawMenu
{
public:
    // The special entries, chosen by the bits of the caller's mask.
    enum SpecialMask { kByLayer = 0x1, kByBlock = 0x2, kByPolyline = 0x4 };
    // Commands of the special entries and of "Custom Color ..."; swatch n (from 1) has command n.
    enum Command { kByLayerCommand = 1000, kCustomCommand = 1001, kByBlockCommand = 1002 };
    static constexpr int kSwatchCount = 40;
    static constexpr int kColumnCount = 8;
    static constexpr COLORREF kByLayerColour = 0x20000000;
    static constexpr COLORREF kByBlockColour = 0x40000000;

    CColorPopupMenu();

    // Creates the items: a special entry whose colour is the current colour is checked, and the
    // swatch of the colour to check. False when the menu cannot be made.
    bool Build(COLORREF current, COLORREF check, DWORD specialMask);
    // Shows the menu at the screen point (through the control's popup-menu hook) and takes the
    // choice: true when a colour was chosen, which GetChosenColor then answers.
    bool Track(UINT flags, int x, int y, HWND owner);
    COLORREF GetChosenColor() const { return m_chosen; }

    // The 40 swatch colours in menu order, and the 16 custom colours of the colour dialog (both
    // for the whole process).
    static const COLORREF* SwatchColours();
    static COLORREF* CustomColours();

private:
    COLORREF m_check = 0;
    COLORREF m_chosen = 0;
};

// Paints a colour item into the rectangle (inset by 2 on each side): a square swatch as high as
// the inner rectangle at its left, outlined black and filled with the colour, and the text (when
// there is one) 4 pixels right of it, left-aligned, centred vertically, on one line with an
// ellipsis at the end.
void DrawColorItem(HDC dc, const RECT& rect, COLORREF colour, const char* text);
