#pragma once
// COptionsSheet: the control's "Options" dialog, one property sheet with nine pages in the order
// of the type library's OptionsPageIndex (which is also the tab order). The control owns one sheet
// for its whole life and shows it on demand; the pages are made afresh each time the sheet shows
// and go when it closes. The sheet holds no drawing data: each page reads and writes the control.
//
// Every caller shows the sheet without a window of its own, so the sheet always runs modal: Show
// returns when it closes. While it shows, its window is kept, so that a second request (from an
// event a page raised, a key, the reopen message) finds it open instead of building nine pages
// over the live ones.
#include <windows.h>
#include <prsht.h>
#include <memory>
#include "control/OptionsDialog.h"
#include "ui/OptionsPage.h"

class COptionsSheet : public COptionsDialog
{
public:
    // One slot of the sheet: the page's template and the maker of its page object (null: the
    // page shows its template and changes nothing).
    struct PageSlot {
        UINT templateId;
        std::unique_ptr<COptionsPage> (*make)();
    };
    // The nine slots in sheet order.
    static const PageSlot* GetPageSlots();

    COptionsSheet();
    ~COptionsSheet() override;
    COptionsSheet(const COptionsSheet&) = delete;
    COptionsSheet& operator=(const COptionsSheet&) = delete;

    // COptionsDialog
    void SetStartPage(int page) override { m_startPage = page; }
    int GetStartPage() const override { return m_startPage; }
    // Makes the nine page objects, runs the sheet over `parent` (the control's window when null)
    // from the stored start page (About for 9 and above), gives the focus back to the control's
    // window and lets the pages go.
    void Show(CYVEXControl* control, HWND parent) override;
    HWND GetWindow() const override { return m_window; }
    HWND GetPageWindow(int page) const override;
    // EnableEditing of every page object but About.
    void EnablePages(bool enable) override;

    // The page object of an index while the sheet shows (null otherwise).
    COptionsPage* GetPage(int index) const;
    // Destroys each page's window when it has one and deletes the page objects, in the order
    // General, View ports, Drawing Settings, Layers, Images, Hatches, Blocks, Default Shapes,
    // About.
    void DestroyPages();

    // The Default Shapes page's Insert switches a kind's default shape on for the one shape it
    // draws and closes the sheet, which destroys the page: the sheet keeps the state the default
    // had and gives it back (EnableDefaultShape) the next time it shows.
    void KeepDefaultShapeState(int kind, bool enabled);

private:
    // Which sheet and which page a page record stands for; handed to the property sheet in the
    // page record and found again in the page callback.
    struct PageBinding {
        COptionsSheet* sheet;
        int index;
    };
    static UINT CALLBACK PageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    HWND m_window = nullptr;
    bool m_showing = false;
    int m_startPage = 0;
    int m_keptDefaultKind = -1;
    bool m_keptDefaultEnabled = false;
    PageBinding m_bindings[kPageCount];
    std::unique_ptr<COptionsPage> m_pages[kPageCount];
};
