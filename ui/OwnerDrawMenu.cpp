#include "ui/OwnerDrawMenu.h"
#include <algorithm>

COwnerDrawMenu::Item::~Item()
{
    if (bitmap)
        DeleteObject(bitmap);
}

COwnerDrawMenu::COwnerDrawMenu() : m_menu(CreatePopupMenu()) {}

COwnerDrawMenu::~COwnerDrawMenu()
{
    if (m_menu)
        DestroyMenu(m_menu);
}

bool COwnerDrawMenu::Append(UINT flags, UINT id, std::unique_ptr<Item> item)
{
    if (!m_menu)
        return false;
    const auto* data = item.get();
    m_items.push_back(std::move(item));
    if (!AppendMenuA(m_menu, flags | MF_OWNERDRAW, id, reinterpret_cast<LPCSTR>(data))) {
        m_items.pop_back();
        return false;
    }
    return true;
}

bool COwnerDrawMenu::AppendText(UINT flags, UINT id, const char* text)
{
    auto item = std::make_unique<Item>();
    item->kind = kTextItem;
    item->text = text ? text : "";
    return Append(flags, id, std::move(item));
}

bool COwnerDrawMenu::AppendColour(UINT flags, UINT id, COLORREF colour)
{
    auto item = std::make_unique<Item>();
    item->kind = kColourItem;
    item->colour = colour;
    return Append(flags, id, std::move(item));
}

bool COwnerDrawMenu::AppendBitmap(UINT flags, UINT id, HBITMAP bitmap)
{
    auto item = std::make_unique<Item>();
    item->kind = kBitmapItem;
    item->bitmap = bitmap;
    return Append(flags, id, std::move(item));
}

void COwnerDrawMenu::MeasureItem(MEASUREITEMSTRUCT* measure, UINT height) const
{
    if (!measure || measure->CtlType != ODT_MENU)
        return;
    const auto* item = reinterpret_cast<const Item*>(measure->itemData);
    const UINT side = height ? height : static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
    measure->itemHeight = side;
    measure->itemWidth = side;
    if (!item)
        return;
    if (item->kind == kTextItem) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        GetTextExtentPoint32A(dc, item->text.c_str(), static_cast<int>(item->text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        measure->itemWidth = static_cast<UINT>(size.cx) + 12;
    } else if (item->kind == kBitmapItem && item->bitmap) {
        BITMAP info = {};
        GetObjectA(item->bitmap, sizeof info, &info);
        measure->itemWidth = static_cast<UINT>(info.bmWidth) + 12;
        measure->itemHeight = std::max(side, static_cast<UINT>(info.bmHeight) + 4);
    }
}

RECT COwnerDrawMenu::ItemRect(UINT id, RECT rect)
{
    if (m_columns)
        rect.left -= 1;
    auto found = m_rects.find(id);
    if (found == m_rects.end()) {
        m_rects[id] = RectF{static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right),
                            static_cast<float>(rect.bottom)};
        return rect;
    }
    // An ID that repeats in other columns (the special entries) keeps its own place there.
    RectF& stored = found->second;
    const bool samePlace = rect.top == static_cast<LONG>(stored.top) && rect.left < static_cast<LONG>(stored.right) &&
                           rect.right > static_cast<LONG>(stored.left);
    if (!samePlace)
        return rect;
    stored.left = std::min(stored.left, static_cast<float>(rect.left));
    stored.right = std::max(stored.right, static_cast<float>(rect.right));
    rect.left = static_cast<LONG>(stored.left);
    rect.right = static_cast<LONG>(stored.right);
    return rect;
}

void COwnerDrawMenu::DrawItem(DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_MENU)
        return;
    // Taking the highlight off an item waits for the next item's paint, so that the highlight
    // moves from one to the other without a flash in between.
    if (draw->itemAction == ODA_SELECT && !(draw->itemState & ODS_SELECTED)) {
        if (m_hasHeld && m_held.itemID != draw->itemID)
            Paint(m_held);
        m_held = *draw;
        m_hasHeld = true;
        return;
    }
    if (m_hasHeld) {
        m_hasHeld = false;
        if (m_held.itemID != draw->itemID)
            Paint(m_held);
    }
    Paint(*draw);
}

void COwnerDrawMenu::Paint(const DRAWITEMSTRUCT& draw)
{
    if (!(draw.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)))
        return;
    const auto* item = reinterpret_cast<const Item*>(draw.itemData);
    if (!item)
        return;
    HDC dc = draw.hDC;
    const int saved = SaveDC(dc);
    const RECT rect = ItemRect(draw.itemID, draw.rcItem);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool checked = (draw.itemState & ODS_CHECKED) != 0;
    int background = COLOR_MENU;
    if (selected)
        background = COLOR_HIGHLIGHT;
    else if (checked)
        background = COLOR_BTNSHADOW;
    else if (draw.itemAction == ODA_DRAWENTIRE)
        background = COLOR_WINDOW;
    FillRect(dc, &rect, GetSysColorBrush(background));
    switch (item->kind) {
    case kTextItem: {
        RECT text = rect;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, item->text.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        break;
    }
    case kBitmapItem:
        if (item->bitmap) {
            BITMAP info = {};
            GetObjectA(item->bitmap, sizeof info, &info);
            const int y = rect.top + (rect.bottom - rect.top - info.bmHeight) / 2;
            DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(item->bitmap), 0, rect.left + 6, y, info.bmWidth,
                       info.bmHeight, DST_BITMAP | DSS_NORMAL);
        }
        break;
    case kColourItem: {
        RECT swatch = rect;
        InflateRect(&swatch, -3, -3);
        HBRUSH brush = CreateSolidBrush(item->colour);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, brush);
        Rectangle(dc, swatch.left, swatch.top, swatch.right, swatch.bottom);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        DeleteObject(brush);
        break;
    }
    default: break;
    }
    if (checked && !selected) {
        HBRUSH frame = GetSysColorBrush(COLOR_3DDKSHADOW);
        FrameRect(dc, &rect, frame);
    }
    RestoreDC(dc, saved);
}
