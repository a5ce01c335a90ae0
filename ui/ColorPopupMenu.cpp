#include "ui/ColorPopupMenu.h"
#include "com/Window.h"
#include "control/PopupMenuHook.h"
#include "ui/resource.h"
#include <commdlg.h>
#include <string>

namespace {

const COLORREF kSwatches[CColorPopupMenu::kSwatchCount] = {
    0x000000, 0x000080, 0x0000FF, 0xFF00FF, 0xCC99FF, 0x003399, 0x0066FF, 0x0099FF, 0x00CCFF, 0x99CCFF,
    0x003333, 0x008080, 0x00CC99, 0x00FFFF, 0x99FFFF, 0x003300, 0x008000, 0x669933, 0x00FF00, 0xCCFFCC,
    0x663300, 0x808000, 0xCCCC33, 0xFFFF00, 0xFFFFCC, 0x800000, 0xFF0000, 0xFF6633, 0xFFCC00, 0xFFCC99,
    0x993333, 0x996666, 0x800080, 0x663399, 0xFF99CC, 0x333333, 0x808080, 0x999999, 0xC0C0C0, 0xFFFFFF,
};

struct Special {
    DWORD bit;
    UINT text;
    UINT command;
    COLORREF colour;
};
const Special kSpecials[] = {
    {CColorPopupMenu::kByLayer, IDS_BY_LAYER, CColorPopupMenu::kByLayerCommand, CColorPopupMenu::kByLayerColour},
    {CColorPopupMenu::kByBlock, IDS_BY_BLOCK, CColorPopupMenu::kByBlockCommand, CColorPopupMenu::kByBlockColour},
    {CColorPopupMenu::kByPolyline, IDS_BY_POLYLINE, CColorPopupMenu::kByBlockCommand, CColorPopupMenu::kByBlockColour},
};

// The special texts and "Custom Color ...", loaded once.
const char* CachedText(UINT id)
{
    static char texts[4][100] = {};
    static bool loaded[4] = {};
    const UINT ids[4] = {IDS_BY_LAYER, IDS_BY_BLOCK, IDS_BY_POLYLINE, IDS_CUSTOM_COLOR};
    for (int i = 0; i < 4; ++i) {
        if (ids[i] != id)
            continue;
        if (!loaded[i]) {
            ycom::LoadResourceString(id, texts[i], 100);
            loaded[i] = true;
        }
        return texts[i];
    }
    return "";
}

} // namespace

const COLORREF* CColorPopupMenu::SwatchColours() { return kSwatches; }

COLORREF* CColorPopupMenu::CustomColours()
{
    static COLORREF custom[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                  0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    return custom;
}

CColorPopupMenu::CColorPopupMenu() { m_columns = true; }

bool CColorPopupMenu::Build(COLORREF current, COLORREF check, DWORD specialMask)
{
    if (!m_menu)
        return false;
    m_check = check;
    std::vector<const Special*> specials;
    for (const Special& s : kSpecials)
        if (specialMask & s.bit)
            specials.push_back(&s);
    const int perColumn = 6 + static_cast<int>(specials.size());
    const int swatchesPerColumn = kSwatchCount / kColumnCount;
    int swatch = 0;
    int position = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        for (int row = 0; row < perColumn; ++row, ++position) {
            const UINT flags = row == 0 ? MF_MENUBREAK : 0;
            bool added = false;
            if (row < static_cast<int>(specials.size())) {
                const Special& s = *specials[static_cast<size_t>(row)];
                added = AppendText(flags, s.command, CachedText(s.text));
                if (added && s.colour == current)
                    CheckMenuItem(m_menu, static_cast<UINT>(position), MF_BYPOSITION | MF_CHECKED);
            } else if (row < static_cast<int>(specials.size()) + swatchesPerColumn) {
                added = AppendColour(flags, static_cast<UINT>(swatch + 1), kSwatches[swatch]);
                ++swatch;
            } else {
                added = AppendText(flags, kCustomCommand, CachedText(IDS_CUSTOM_COLOR));
            }
            if (!added)
                return false;
        }
    }
    for (int i = 0; i < kSwatchCount; ++i)
        if (kSwatches[i] == check)
            CheckMenuItem(m_menu, static_cast<UINT>(i + 1), MF_BYCOMMAND | MF_CHECKED);
    return true;
}

bool CColorPopupMenu::Track(UINT flags, int x, int y, HWND owner)
{
    if (!m_menu)
        return false;
    const UINT command = ShowPopupMenu(m_menu, flags, x, y, owner);
    switch (command) {
    case 0: return false;
    case kByLayerCommand: m_chosen = kByLayerColour; return true;
    case kByBlockCommand: m_chosen = kByBlockColour; return true;
    case kCustomCommand: {
        CHOOSECOLORA choose = {};
        choose.lStructSize = sizeof choose;
        choose.hwndOwner = owner;
        choose.rgbResult = m_check;
        choose.lpCustColors = CustomColours();
        choose.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (!ChooseColorA(&choose))
            return false;
        m_chosen = choose.rgbResult;
        return true;
    }
    default:
        if (command >= 1 && command <= static_cast<UINT>(kSwatchCount)) {
            m_chosen = kSwatches[command - 1];
            return true;
        }
        return false;
    }
}

void DrawColorItem(HDC dc, const RECT& rect, COLORREF colour, const char* text)
{
    RECT inner = rect;
    InflateRect(&inner, -2, -2);
    const int side = inner.bottom - inner.top;
    if (side <= 0)
        return;
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, inner.left, inner.top, inner.left + side, inner.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    if (text && *text) {
        RECT textRect = inner;
        textRect.left += side + 4;
        const int mode = SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text, -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SetBkMode(dc, mode);
    }
}
