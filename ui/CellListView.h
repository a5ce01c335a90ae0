#pragma once
// CCellListView: a report-view list whose cells are of four kinds: plain text that the parent
// edits in place, check marks drawn from the list's pictures, colour swatches, and values chosen
// from a drop-down. The list draws the cells itself (custom draw reflected by its parent), keeps a
// focused cell (row and column) that the keys move, and asks its parent to start the editing: the
// parent owns the edit box or popup and the data. Colour cells choose through the colour popup.
//
// The parent must reflect its child notifications (REFLECT_NOTIFICATIONS) and answers:
// - WM_NOTIFY LVN_BEGINLABELEDITA (NMLVDISPINFOA: item = row, sub-item = column): with LVIF_TEXT a
//   text cell is to be edited (the cell's text given), with LVIF_PARAM a check cell toggled;
// - a posted kPopupRequest (row, column): a colour or drop-down cell asks for its popup;
// - a sent kResolveColour (colour, (row + 1) << 16 | column): the colour to draw for a colour
//   that is by layer or by block.
#include <windows.h>
#include <commctrl.h>
#include <map>
#include <memory>
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"

class CColorPopupMenu;
class CInPlaceEdit;

// The record of one row, which the row's item data points to; the parent owns it.
class CListRowData
{
public:
    enum Flags {
        kGreyRow = 0x2,       // background 0xEBEBEB
        kDarkRow = 0x4,       // background 0x969696
        kLockedRow = 0x8,     // cannot be selected or edited
        kSpecialText = 0x10,  // text colour 0x5000
    };
    struct Cell {
        // A COLORREF that may carry the by-layer and by-block flags.
        COLORREF colour = 0;
        std::string text;
    };

    // Bit n set: column n checked; column n neither checked nor unchecked (cannot be toggled).
    DWORD checkBits = 0;
    DWORD indeterminateBits = 0;
    DWORD flags = 0;
    // The row's key, what the owner keeps with the row: an ID, or the object the row shows.
    LONG_PTR tag = 0;
    std::map<int, Cell> cells;

    const std::string& GetText(int column) const;
    void SetText(int column, const std::string& text) { cells[column].text = text; }
    COLORREF GetColour(int column) const;
    void SetColour(int column, COLORREF colour) { cells[column].colour = colour; }
};

class CCellListView : public ycom::WindowObject
{
public:
    enum ColumnKind { kTextColumn = 0, kCheckColumn = 1, kColourColumn = 2, kDropDownColumn = 4 };
    // The edit-row setting: any row may be edited, none may.
    enum { kAnyRow = -1, kNoRow = -2 };
    // A colour or drop-down cell asks its parent for the popup (posted: row, column).
    static constexpr UINT kPopupRequest = WM_APP + 15;
    // The parent resolves a by-layer or by-block colour for drawing (sent).
    static constexpr UINT kResolveColour = WM_APP + 22;
    // The pictures: unchecked and checked (a check state s draws picture s + 1, so an
    // indeterminate cell draws 0), the current row's mark, the sort arrows.
    enum Image { kImageIndeterminate = 0, kImageUnchecked = 1, kImageChecked = 2, kImageCurrent = 4,
                 kImageSortUp = 5, kImageSortDown = 6 };

    CCellListView();
    ~CCellListView() override;

    // Binds the list window (a list view of a template) and gives it the pictures (bitmap 261)
    // as its small images; false when it cannot be bound.
    bool Attach(HWND list);

    void SetColumnKind(int column, int kind);
    int GetColumnKind(int column) const;
    // 1 checked, 0 unchecked, -1 indeterminate, -2 not a check column or no such row.
    int GetCheck(int row, int column) const;
    // 0 or 1 sets the state; -1 leaves it.
    void SetCheck(int row, int column, int state);
    // The new state; an indeterminate or invalid cell is answered unchanged.
    int ToggleCheck(int row, int column);
    // Report view without label editing; grid lines, header drag and drop, full-row selection.
    void SetReportStyle();
    // Enables or disables the header and its buttons; the earlier button state.
    bool EnableHeaderButtons(bool enable);
    // Sorts by a column: the sort column again flips the direction, another column sorts
    // ascending; the header shows the direction. The comparison gets the rows' item data and,
    // as its third argument, the column in the low word and 1 in the high word when descending.
    void Sort(int column, PFNLVCOMPARE compare);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_sortAscending; }
    // The colour popup at the screen point with the colour as current: the chosen colour, or the
    // given one when nothing was chosen. The swatch checked is the resolved colour's, or the
    // given colour's when the resolved one is by layer.
    COLORREF ChooseColor(COLORREF colour, int x, int y, COLORREF resolved, DWORD specialMask);
    // Lays an edit window over a cell (the row made visible, the column scrolled into view);
    // false when the row is not visible, the column does not exist or is narrower than 5 pixels.
    bool PlaceEditor(HWND editor, int row, int column);
    // A text cell's editor (control 103, reporting to the list's parent), laid over the cell and
    // fitted to its text; null when it cannot be made or placed. A numeric editor takes only
    // digits, "-" and ".".
    std::unique_ptr<CInPlaceEdit> OpenEditor(int row, int column, const char* text, bool numeric = false);

    void SetEditRow(int row) { m_editRow = row; }
    int GetEditRow() const { return m_editRow; }
    void SetRowHeight(int height) { m_rowHeight = height; }
    int GetRowHeight() const { return m_rowHeight; }
    int GetFocusedColumn() const { return m_focusedColumn; }
    void SetFocusedColumn(int column) { m_focusedColumn = column; }
    int GetCurrentRow() const { return m_currentRow; }
    CListRowData* GetRowData(int row) const;
    HIMAGELIST GetImageList() const { return m_images; }
    // The colour popup while it is open (null otherwise).
    CColorPopupMenu* GetColorPopup() const { return m_popup.get(); }
    int GetColumnCount() const;

    BEGIN_MSG_MAP(CCellListView)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, HandleLButtonDown)
        MESSAGE_HANDLER(WM_KEYDOWN, HandleKeyDown)
        MESSAGE_HANDLER(WM_SYSKEYDOWN, HandleSysKeyDown)
        MESSAGE_HANDLER(WM_HSCROLL, HandleScroll)
        MESSAGE_HANDLER(WM_VSCROLL, HandleScroll)
        MESSAGE_HANDLER(WM_DRAWITEM, HandleMenuDrawItem)
        MESSAGE_HANDLER(WM_MEASUREITEM, HandleMenuMeasureItem)
        MESSAGE_HANDLER(OCM__BASE + WM_NOTIFY, HandleReflectedNotify)
        MESSAGE_HANDLER(OCM__BASE + WM_MEASUREITEM, HandleReflectedMeasureItem)
        MESSAGE_RANGE_HANDLER(OCM__BASE, OCM__BASE + WM_CTLCOLORSTATIC, HandleOtherReflected)
    END_MSG_MAP()

private:
    LRESULT HandleLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSysKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMenuDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMenuMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleReflectedNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleReflectedMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOtherReflected(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    bool CanEditRow(int row) const;
    int RowCount() const;
    int SelectedRow() const;
    void SelectRow(int row);
    // The cell's rectangle in client coordinates (column 0: the label part).
    bool CellRect(int row, int column, RECT* rect) const;
    void InvalidateCell(int row, int column);
    // Asks the parent to edit a text cell, or to toggle a check cell.
    void NotifyBeginEdit(int row, int column, bool toggle);
    void RequestPopup(int row, int column);
    // The colour to draw: flagged colours resolved by the parent.
    COLORREF ResolveColour(COLORREF colour, int row, int column);
    // Column moves in display order.
    int MoveColumn(int column, int step) const;

    int m_focusedColumn = -1;
    int m_currentRow = -1;
    int m_editRow = kAnyRow;
    DWORD m_checkColumns = 0;
    DWORD m_colourColumns = 0;
    DWORD m_dropDownColumns = 0;
    int m_rowHeight = 30;
    HIMAGELIST m_images = nullptr;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    std::unique_ptr<CColorPopupMenu> m_popup;
};
