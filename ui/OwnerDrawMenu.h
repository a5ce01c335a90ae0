#pragma once
// COwnerDrawMenu: a small owner-drawn popup menu whose items are texts, bitmaps or colour
// swatches. The owner window of the menu must hand WM_MEASUREITEM and WM_DRAWITEM of control ID 0
// to the menu object while the menu is open.
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

class COwnerDrawMenu
{
public:
    enum ItemKind { kBitmapItem = 1, kTextItem = 2, kColourItem = 4 };
    // One item; the menu item's data points to it.
    struct Item {
        int kind = kTextItem;
        HBITMAP bitmap = nullptr;  // deleted with the record
        std::string text;
        COLORREF colour = 0;
        ~Item();
    };

    COwnerDrawMenu();
    COwnerDrawMenu(const COwnerDrawMenu&) = delete;
    COwnerDrawMenu& operator=(const COwnerDrawMenu&) = delete;
    virtual ~COwnerDrawMenu();
    // Paints one item (see the .cpp for the rules).
    virtual void DrawItem(DRAWITEMSTRUCT* draw);

    HMENU GetHandle() const { return m_menu; }
    // Appends an owner-drawn item (`flags` may add MF_MENUBREAK, MF_CHECKED...); false when the
    // menu refuses it. A bitmap item takes over the bitmap.
    bool AppendText(UINT flags, UINT id, const char* text);
    bool AppendColour(UINT flags, UINT id, COLORREF colour);
    bool AppendBitmap(UINT flags, UINT id, HBITMAP bitmap);
    // The size of an item: texts as wide as they are, swatches and bitmaps square; `height` the
    // height the owner gives items (0: the menu's own).
    void MeasureItem(MEASUREITEMSTRUCT* measure, UINT height) const;
    const std::vector<std::unique_ptr<Item>>& Items() const { return m_items; }

protected:
    bool Append(UINT flags, UINT id, std::unique_ptr<Item> item);
    // The rectangle to paint an item in: the first paint of an ID stores it, later ones in the
    // same place keep the left and right edges that cover both.
    RECT ItemRect(UINT id, RECT rect);
    void Paint(const DRAWITEMSTRUCT& draw);

    HMENU m_menu = nullptr;
    std::vector<std::unique_ptr<Item>> m_items;
    struct RectF {
        float left, top, right, bottom;
    };
    std::map<UINT, RectF> m_rects;
    // A paint that only takes the highlight off an item, held back until the next item's paint.
    DRAWITEMSTRUCT m_held = {};
    bool m_hasHeld = false;
    // Items laid out in columns (the colour menu): their left edge one pixel further left.
    bool m_columns = false;
};
