// The colour popup menu as built, as chosen from with the keys a user presses in the open menu,
// and as painted; the colour item painter of lists and buttons.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <string>
#include "tests/support/DialogDriver.h"
#include "tests/support/Dib.h"
#include "ui/ColorPopupMenu.h"

namespace {

// The owner of an open menu: hands the menu's measure and draw messages to it and counts them.
struct MenuOwner {
    MenuOwner()
    {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = Proc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "ColorMenuOwner";
        RegisterClassA(&cls);
        window = CreateWindowA("ColorMenuOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                               nullptr, cls.hInstance, nullptr);
        Current() = this;
    }
    ~MenuOwner()
    {
        DestroyWindow(window);
        Current() = nullptr;
    }
    static MenuOwner*& Current()
    {
        static MenuOwner* current = nullptr;
        return current;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        MenuOwner* self = Current();
        if (self && self->menu && wParam == 0) {
            if (msg == WM_MEASUREITEM) {
                self->menu->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), 18);
                ++self->measured;
                return TRUE;
            }
            if (msg == WM_DRAWITEM) {
                self->menu->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
                ++self->drawn;
                return TRUE;
            }
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    // Builds and tracks a menu while the keys are posted to it one tick apart; then, when given,
    // the colour dialog is answered with `dialogAnswer`.
    bool Choose(CColorPopupMenu& m, std::initializer_list<UINT> keys, int dialogAnswer = 0)
    {
        menu = &m;
        DialogDriver driver;
        driver.Then([] { return DialogDriver::FindPopupMenu() != nullptr; });
        for (UINT key : keys)
            driver.Do([key] { DialogDriver::PostKey(DialogDriver::FindPopupMenu(), key); });
        if (dialogAnswer)
            driver.Then([dialogAnswer] {
                HWND box = DialogDriver::FindThreadWindow("#32770");
                if (!box)
                    return false;
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(dialogAnswer, BN_CLICKED), 0);
                return true;
            });
        bool chosen = false;
        driver.Run([&] { chosen = m.Track(TPM_RETURNCMD | TPM_NONOTIFY, 20, 20, window); });
        EXPECT_TRUE(driver.Finished());
        EXPECT_FALSE(driver.TimedOut());
        menu = nullptr;
        return chosen;
    }

    HWND window = nullptr;
    CColorPopupMenu* menu = nullptr;
    int measured = 0;
    int drawn = 0;
};

struct ItemInfo {
    UINT id;
    UINT type;
    UINT state;
    const COwnerDrawMenu::Item* item;
};

ItemInfo ItemAt(HMENU menu, int position)
{
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return {info.wID, info.fType, info.fState, reinterpret_cast<const COwnerDrawMenu::Item*>(info.dwItemData)};
}

} // namespace

// With by layer and by block the menu has 8 columns of 8: the two special entries on top, five
// swatches, "Custom Color ..." at the bottom; the 40 swatches run through the table in order. The
// current special colour is checked in every column, the colour to check on its swatch.
TEST(ColorMenu, EightColumnsWithTheSpecialsOnTopAndCustomBelow)
{
    CColorPopupMenu menu;
    ASSERT_TRUE(menu.Build(CColorPopupMenu::kByLayerColour, 0x0000FF, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock));
    HMENU handle = menu.GetHandle();
    ASSERT_EQ(GetMenuItemCount(handle), 64);
    int swatch = 0;
    for (int position = 0; position < 64; ++position) {
        const int row = position % 8;
        const ItemInfo item = ItemAt(handle, position);
        SCOPED_TRACE("position " + std::to_string(position));
        EXPECT_TRUE(item.type & MFT_OWNERDRAW);
        EXPECT_EQ((item.type & MFT_MENUBREAK) != 0, row == 0);
        ASSERT_NE(item.item, nullptr);
        if (row == 0) {
            EXPECT_EQ(item.id, 1000u);
            EXPECT_EQ(item.item->text, "By Layer");
            EXPECT_TRUE(item.state & MFS_CHECKED);
        } else if (row == 1) {
            EXPECT_EQ(item.id, 1002u);
            EXPECT_EQ(item.item->text, "By Block");
            EXPECT_FALSE(item.state & MFS_CHECKED);
        } else if (row == 7) {
            EXPECT_EQ(item.id, 1001u);
            EXPECT_EQ(item.item->text, "Custom Color ...");
        } else {
            ++swatch;
            EXPECT_EQ(item.id, static_cast<UINT>(swatch));
            EXPECT_EQ(item.item->kind, COwnerDrawMenu::kColourItem);
            EXPECT_EQ(item.item->colour, CColorPopupMenu::SwatchColours()[swatch - 1]);
            EXPECT_EQ((item.state & MFS_CHECKED) != 0, item.item->colour == 0x0000FF);
        }
    }
    EXPECT_EQ(swatch, 40);
    // Without specials a column is six long.
    CColorPopupMenu plain;
    ASSERT_TRUE(plain.Build(0x123456, 0x123456, 0));
    EXPECT_EQ(GetMenuItemCount(plain.GetHandle()), 48);
}

// The keys a user presses in the open menu choose: Down takes the first item, Right the next
// column, Down the next row. The menu's items are measured and drawn by the owner meanwhile.
TEST(ColorMenu, KeysChooseInTheOpenMenu)
{
    MenuOwner owner;
    {
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock));
        // Second column, third row: that column's first swatch, number 6.
        ASSERT_TRUE(owner.Choose(menu, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}));
        EXPECT_EQ(menu.GetChosenColor(), CColorPopupMenu::SwatchColours()[5]);
    }
    EXPECT_GT(owner.measured, 0);
    EXPECT_GT(owner.drawn, 0);
    {
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock));
        ASSERT_TRUE(owner.Choose(menu, {VK_DOWN, VK_RETURN}));
        EXPECT_EQ(menu.GetChosenColor(), CColorPopupMenu::kByLayerColour);
    }
    {
        // "ByPolyline" answers as "By Block" does.
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0, CColorPopupMenu::kByPolyline));
        EXPECT_EQ(GetMenuItemCount(menu.GetHandle()), 56);
        EXPECT_EQ(ItemAt(menu.GetHandle(), 0).item->text, "ByPolyline");
        ASSERT_TRUE(owner.Choose(menu, {VK_DOWN, VK_RETURN}));
        EXPECT_EQ(menu.GetChosenColor(), CColorPopupMenu::kByBlockColour);
    }
    {
        // Escape chooses nothing.
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0, 0));
        EXPECT_FALSE(owner.Choose(menu, {VK_DOWN, VK_ESCAPE}));
        EXPECT_EQ(menu.GetChosenColor(), 0u);
    }
}

// "Custom Color ..." opens the colour dialog at the colour to check: cancelled, nothing is chosen
// and Track answers false; confirmed, the dialog's colour is chosen.
TEST(ColorMenu, CustomColourThroughTheColourDialog)
{
    MenuOwner owner;
    const std::initializer_list<UINT> toCustom = {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    {
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0x336699, 0));
        EXPECT_FALSE(owner.Choose(menu, toCustom, IDCANCEL));
        EXPECT_EQ(menu.GetChosenColor(), 0u);
    }
    {
        CColorPopupMenu menu;
        ASSERT_TRUE(menu.Build(0, 0x336699, 0));
        EXPECT_TRUE(owner.Choose(menu, toCustom, IDOK));
        EXPECT_EQ(menu.GetChosenColor(), 0x336699u);
    }
}

// Taking the highlight off an item waits for the next item's paint: the old item shows its
// highlight until then, so that the highlight moves without a gap.
TEST(ColorMenu, TheUnselectPaintWaitsForTheNextItem)
{
    CColorPopupMenu menu;
    ASSERT_TRUE(menu.Build(0, 0, 0));
    drawtest::Dib dib(100, 40, 0x808080);
    auto paint = [&](int position, UINT action, UINT state, int top) {
        const ItemInfo info = ItemAt(menu.GetHandle(), position);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = info.id;
        draw.itemAction = action;
        draw.itemState = state;
        draw.hDC = dib.dc;
        draw.rcItem = RECT{10, top, 50, top + 18};
        draw.itemData = reinterpret_cast<ULONG_PTR>(info.item);
        menu.DrawItem(&draw);
    };
    auto at = [&](int x, int y) { return GetPixel(dib.dc, x, y); };
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    paint(0, ODA_SELECT, ODS_SELECTED, 0);
    EXPECT_EQ(at(12, 1), highlight);
    paint(0, ODA_SELECT, 0, 0);
    EXPECT_EQ(at(12, 1), highlight) << "held back";
    paint(1, ODA_SELECT, ODS_SELECTED, 20);
    EXPECT_NE(at(12, 1), highlight) << "drawn before the next item";
    EXPECT_EQ(at(12, 21), highlight);
    // The swatch of item 0 (black, the first colour) inside its rectangle.
    EXPECT_EQ(at(30, 9), RGB(0, 0, 0));
}

// The colour item painter: a square swatch inset by 2 with a black outline, the text beside it.
TEST(ColorMenu, ColourItemPainter)
{
    drawtest::Dib dib(120, 24, 0xFFFFFF);
    SetTextColor(dib.dc, RGB(0, 0, 0));
    DrawColorItem(dib.dc, RECT{0, 0, 120, 24}, RGB(0, 0, 255), "Blue");
    EXPECT_EQ(GetPixel(dib.dc, 2, 2), RGB(0, 0, 0)) << "outline";
    EXPECT_EQ(GetPixel(dib.dc, 11, 11), RGB(0, 0, 255)) << "swatch";
    EXPECT_EQ(GetPixel(dib.dc, 20, 11), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dib.dc, 21, 11), RGB(0, 0, 0)) << "as wide as high";
    EXPECT_EQ(GetPixel(dib.dc, 23, 11), RGB(255, 255, 255));
    int ink = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 26; x < 120; ++x)
            ink += GetPixel(dib.dc, x, y) != RGB(255, 255, 255);
    EXPECT_GT(ink, 10) << "the text right of the swatch";
    // A rectangle with no room draws nothing.
    drawtest::Dib small(10, 4, 0xFFFFFF);
    DrawColorItem(small.dc, RECT{0, 0, 10, 4}, RGB(0, 0, 255), "x");
    EXPECT_EQ(GetPixel(small.dc, 5, 2), RGB(255, 255, 255));
}
