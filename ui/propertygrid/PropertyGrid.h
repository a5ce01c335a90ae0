#pragma once
// CPropertyGrid: the two-column property browser of the properties window, an owner-drawn list
// box (window class "PropBrowseWnd_1_0", a superclass of the system's list box) with one item per
// row: the name on the left, the value on the right, edited in place (a typing edit box, a
// read-only one with a drop-down list of the predefined names, a button strip for the vertex
// cursor) or in the row kind's editor (colour popup, font dialog, file dialog, text editor, flags
// dialog). Applying a changed value is the parent's work: the grid posts PGM_APPLYPROPERTY.
//
// The parent forwards WM_DRAWITEM of the grid's id to DrawItem.
#include <windows.h>
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "ui/propertygrid/PropertyRow.h"

// The grid's own messages (to itself) and those it sends or posts to its parent.
constexpr UINT PGM_BEGINEDIT = WM_APP + 0x0C;        // wParam row: start editing in place
constexpr UINT PGM_INVALIDVALUE = WM_APP + 0x0E;     // tell the user the typed value was refused
constexpr UINT PGM_OPENEDITOR = WM_APP + 0x0F;       // wParam row: open the row's editor
constexpr UINT PGM_APPLYPROPERTY = WM_APP + 0x10;    // to the parent, wParam DISPID
constexpr UINT PGM_REFRESHPROPERTY = WM_APP + 0x11;  // to the parent, wParam DISPID
constexpr UINT PGM_GETTEXTEDITOR = WM_APP + 0x13;    // to the parent, lParam const char** (null: none)
constexpr UINT PGM_GETSINGLESHAPEID = WM_APP + 0x14; // to the parent: the ID, -100 when not one shape
constexpr UINT PGM_GETCONTROL = WM_APP + 0x15;       // to the parent: the CYVEXControl*
constexpr UINT PGM_RESOLVECOLOR = WM_APP + 0x16;     // to the parent: colour, DISPID | mode << 16
constexpr UINT PGM_GETTEXTCOLOR = WM_APP + 0x17;     // to the parent: the common text colour or -1
constexpr UINT PGM_SETPENCOLOR = WM_APP + 0x18;      // to the parent, lParam the colour
constexpr UINT PGM_CLEAR = WM_APP + 0x19;            // from the parent: show the placeholder row only

// "No shape" answer of PGM_GETSINGLESHAPEID.
constexpr LRESULT PROPERTY_NO_SINGLE_SHAPE = -100;

class CPropertyGrid;

// The "<", ">" and "..." buttons over the value cell of the selected vertex row.
class CPropertyButtonStrip
{
public:
    enum { kPrevious = 2001, kNext = 2002, kMore = 2005 };
    bool Create(HWND grid);
    void SetFont(HFONT font);
    // Lays the squares out from the right edge of the cell and shows them.
    void Show(const RECT& cell);
    void Hide();
    HWND Button(int id) const;
    void Destroy();

private:
    HWND m_buttons[3] = {};
    bool m_hasMore = true;
};

// The edit boxes' subclass: the keys, the double click and the focus loss that end an edit.
class CPropertyEditBox : public ycom::WindowObject
{
public:
    CPropertyEditBox(CPropertyGrid& grid, bool readOnly) : m_grid(grid), m_readOnly(readOnly) {}
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    CPropertyGrid& m_grid;
    bool m_readOnly;
};

// The drop-down of predefined names below (or above) the edit box.
class CPropertyDropDown : public ycom::WindowObject
{
public:
    explicit CPropertyDropDown(CPropertyGrid& grid) : m_grid(grid) {}
    ~CPropertyDropDown() override;
    bool Create(HWND grid);
    void Destroy();
    // Fills the list with the row's names, selects the box's text and shows it under the box.
    void Open(HWND box, const CPropertyRow& row, const RECT& cellOnScreen);
    void Close();
    bool IsOpen() const { return m_hWnd && IsWindowVisible(m_hWnd); }
    HWND GetList() const { return m_list; }
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    CPropertyGrid& m_grid;
    HWND m_list = nullptr;
    HWND m_box = nullptr;
};

class CPropertyGrid : public ycom::WindowObject
{
public:
    CPropertyGrid();
    ~CPropertyGrid() override;
    CPropertyGrid(const CPropertyGrid&) = delete;
    CPropertyGrid& operator=(const CPropertyGrid&) = delete;

    // Makes the grid as a child of `parent` with the parent's font; null on failure.
    HWND Create(HWND parent, const RECT& rect, UINT id);
    void Destroy();
    // Appends the row (the item's text is its name); the name column widens to fit it.
    void AddRow(CPropertyRow* row);
    // Empties the list (the rows stay with their owner).
    void RemoveAll();
    void DrawItem(const DRAWITEMSTRUCT& item);

    // Loads a picture file for a picture row ("BMP", "ICO" or "EMF" by extension): the picture
    // object as VT_DISPATCH, S_FALSE for another extension; on failure the message to show.
    static HRESULT LoadPictureFile(const char* path, VARIANT* picture, const char** error);

    // For tests and the parent: the row of an item, the selected row, the row edited in place,
    // the edit box in use, the drop-down list, the button strip.
    CPropertyRow* RowAt(int index) const;
    int IndexOf(const CPropertyRow* row) const;
    CPropertyRow* GetSelectedRow() const;
    CPropertyRow* GetEditedRow() const { return m_editRow; }
    HWND GetEditBox() const { return m_activeBox; }
    HWND GetDropDownList() const { return m_dropDown.GetList(); }
    bool IsDropDownOpen() const { return m_dropDown.IsOpen(); }
    const CPropertyButtonStrip& GetButtonStrip() const { return m_strip; }
    int GetNameColumnWidth() const { return m_nameWidth; }
    // The value cell of an item in grid coordinates.
    RECT ValueCell(int index) const;

    BEGIN_MSG_MAP(CPropertyGrid)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, HandleLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, HandleLButtonDblClk)
        MESSAGE_HANDLER(WM_KEYDOWN, HandleKeyDown)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        MESSAGE_HANDLER(PGM_BEGINEDIT, HandleBeginEdit)
        MESSAGE_HANDLER(PGM_INVALIDVALUE, HandleInvalidValue)
        MESSAGE_HANDLER(PGM_OPENEDITOR, HandleOpenEditor)
        MESSAGE_HANDLER(PGM_RESOLVECOLOR, HandleResolveColor)
        MESSAGE_HANDLER(PGM_CLEAR, HandleClear)
        MESSAGE_HANDLER(WM_DESTROY, HandleDestroy)
    END_MSG_MAP()

private:
    friend class CPropertyEditBox;
    friend class CPropertyDropDown;

    LRESULT HandleLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLButtonDblClk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleBeginEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleInvalidValue(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOpenEditor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleResolveColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleClear(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    static bool HasButton(const CPropertyRow& row);
    static bool IsLive(const CPropertyRow& row) { return row.IsEditable() && row.enabled; }
    int ItemHeight() const;
    // A click (or Space/Enter) at a point of the item: on the button square or on the value.
    void ActOnItem(int index, int x);
    void SelectRow(int index);
    // Ends the in-place edit: hides the boxes and the list; with `commit` the text goes to the row.
    void EndEdit(bool commit);
    // The box's key handling while it shows; true when the key was used.
    bool EditKey(WPARAM key, bool alt);
    void Cycle(bool forward);
    void Apply(const CPropertyRow& row);
    void Redraw();

    void EditColor(CPropertyRow* row, int index);
    void EditFont(CPropertyRow* row);
    void EditPicture(CPropertyRow* row);
    void EditLongText(CPropertyRow* row);
    void EditFlags(CPropertyRow* row);
    void EditVertices(CPropertyRow* row);
    COLORREF ResolvedColour(const CPropertyRow& row) const;

    HWND m_parent = nullptr;
    HFONT m_font = nullptr;
    int m_nameWidth = 0;
    COLORREF m_textColour, m_windowColour, m_highlightColour, m_highlightTextColour;
    COLORREF m_modifiedColour = RGB(192, 0, 0);
    COLORREF m_readOnlyColour = RGB(100, 100, 100);
    HPEN m_gridPen = nullptr;
    HWND m_textBox = nullptr;
    HWND m_readOnlyBox = nullptr;
    HWND m_activeBox = nullptr;
    CPropertyEditBox m_textBoxObject;
    CPropertyEditBox m_readOnlyBoxObject;
    CPropertyDropDown m_dropDown;
    CPropertyButtonStrip m_strip;
    CPropertyRow* m_editRow = nullptr;
    int m_selected = -1;
    RECT m_editRect = {};
    CPropertyRow m_placeholder;
};
