#pragma once
// CPickList: one wrapper that drives either a combo box or a report-view list view through the
// same operations and fills it with IDs and names, the special entries first ("None", "By Layer",
// "By Block"). The line-type, hatch-pattern and shape-name lists derive from it; each adds its
// own entries after the special ones, the entry's item data being its ID.
//
// A bound list fills itself on kFillMessage (wParam: the current ID, which ends up selected).
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"

class CPickList : public ycom::WindowObject
{
public:
    // The IDs of the special entries.
    static constexpr int kNoneId = -1;
    static constexpr int kByLayerId = 0x4000;
    static constexpr int kByBlockId = 0x8000;
    // Asks a bound list to fill itself (wParam: the current ID).
    static constexpr UINT kFillMessage = WM_APP + 11;

    CPickList() = default;
    ~CPickList() override = default;

    // Binds a combo box (class "ComboBox") or a list view (any other class).
    bool Attach(HWND window);
    bool IsCombo() const { return m_combo; }
    // The list offers a "None" entry; the by-layer and by-block entries.
    void SetNoneEntry(bool on) { m_none = on; }
    void SetByLayerEntries(bool on) { m_byLayer = on; }
    // The width of the list view's column (105 unless set).
    void SetColumnWidth(int width) { m_columnWidth = width; }

    // The selected entry (-1: none); the ID of entry i (0 when there is no such list-view row).
    int GetCurSel() const;
    LPARAM GetItemData(int index) const;
    // The ID of the selected entry, 0 when none is selected.
    LPARAM GetSelectedId() const;
    // Appends an entry with its ID; with select it becomes the selected one. Its index, -1 on
    // failure.
    int AddEntry(int id, const char* text, bool select);
    void RemoveAll();
    int GetCount() const;

    // The text of a special ID: " By Layer " for 0x4000, " By Block " for 0x8000, " None " for 0
    // and below (each with a blank before and, under 29 characters, after it); empty for any
    // other ID.
    static std::string SpecialText(int id);
    // Removes every entry; with the None entry adds it (selected when the current ID is below 1),
    // with the by-layer entries adds both (each selected when it is the current ID). Whether
    // anything was added.
    bool FillSpecials(int currentId);

    // A special entry; false for an ID that has no special text.
    virtual bool AddSpecialItem(int id, bool select);
    // Fills the list for the current ID; the base fills the special entries only.
    virtual bool Fill(int currentId) { return FillSpecials(currentId); }
    // Whether the list may fill now.
    virtual bool CanFill() { return true; }

    BEGIN_MSG_MAP(CPickList)
        MESSAGE_HANDLER(kFillMessage, HandleFill)
    END_MSG_MAP()

protected:
    LRESULT HandleFill(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    bool m_combo = false;
    int m_columnWidth = 105;
    bool m_none = false;
    bool m_byLayer = false;
    bool m_columnInserted = false;
};
