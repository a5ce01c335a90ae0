#pragma once
// COptionsHatchesPage: the Hatches page of the Options sheet (template 265) and, run by DoModal,
// the control's pattern chooser over the same template. The drawing's hatch patterns show as
// 32 x 32 pixel pictures in an icon list (a dotted frame marks a pattern made from an image); the
// page hatches the selected shapes with a pattern and a hatch colour, makes a pattern of an image
// resource, deletes user patterns (IDs above the built-in 27) and, with a database, shows, saves
// and deletes the patterns of the HatchPatterns table.
#include <memory>
#include <string>
#include <vector>
#include "ui/OptionsPage.h"
#include "ui/resource.h"

class CColorPopupMenu;
class CHatchPattern;

class COptionsHatchesPage : public COptionsPage
{
public:
    // The side of a pattern's picture, in pixels.
    static constexpr int kPictureSize = 32;
    // The hatch colour's marks: by layer, by block.
    static constexpr COLORREF kByLayer = 0x20000000;
    static constexpr COLORREF kByBlock = 0x40000000;

    COptionsHatchesPage();
    ~COptionsHatchesPage() override;

    // The chooser: the template run modally over `parent` (the control's window when null); 1 for
    // OK with GetChosenId the selected pattern's ID (0 for none), 2 for Cancel.
    INT_PTR DoModal(CYVEXControl* control, HWND parent);
    bool IsModal() const { return m_modal; }
    int GetChosenId() const { return m_chosenId; }
    COLORREF GetHatchColour() const { return m_colour; }
    void SetHatchColour(COLORREF colour);

    void EnableEditing(bool enable) override;
    // The pattern of a row (null for none), the row of a pattern ID (-1 for none).
    CHatchPattern* RowPattern(int row) const;
    int RowOfPattern(int id) const;
    HIMAGELIST GetImages() const { return m_images; }

    // The picture of a pattern as the list shows it: white, the pattern drawn over its sample
    // cell, framed (dotted for a pattern made from an image). Null when it cannot be made.
    static HBITMAP MakePatternPicture(CYVEXControl* control, CHatchPattern* pattern, COLORREF colour);

    BEGIN_MSG_MAP(COptionsHatchesPage)
        MESSAGE_HANDLER(WM_DESTROY, HandleDestroy)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_HATCH, BN_CLICKED, HandleHatch)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_COLOR, BN_CLICKED, HandleColour)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_COLOR, BN_DOUBLECLICKED, HandleColour)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_CHOOSE_COLOR, BN_CLICKED, HandleColour)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_CHOOSE_COLOR, BN_DOUBLECLICKED, HandleColour)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_ADD, BN_CLICKED, HandleAdd)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_DELETE, BN_CLICKED, HandleDelete)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_SAVE_DB, BN_CLICKED, HandleSaveToDb)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_DELETE_DB, BN_CLICKED, HandleDeleteFromDb)
        COMMAND_ID_CODE_HANDLER(IDC_HATCHES_VIEW_DB, BN_CLICKED, HandleViewDb)
        MESSAGE_HANDLER(WM_DRAWITEM, HandleDrawItem)
        MESSAGE_HANDLER(WM_MEASUREITEM, HandleMeasureItem)
        MESSAGE_HANDLER(WM_NOTIFY, HandleListNotify)
        MESSAGE_HANDLER(kResolveColour, HandleResolveColour)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;

private:
    // The colour button asks for the colour a special value stands for.
    static constexpr UINT kResolveColour = WM_APP + 22;

    LRESULT HandleDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleHatch(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleColour(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleAdd(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDelete(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSaveToDb(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDeleteFromDb(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleViewDb(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleListNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleResolveColour(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    bool HasDataSource() const;
    bool IsEditable() const;
    // All rows afresh, or (userOnly) those of the user patterns (IDs above 27).
    void FillList(bool userOnly);
    void RemoveUserRows();
    void UpdateButtons();
    CHatchPattern* SelectedPattern() const;
    // The IDs of the selected patterns (a pattern may go while they are worked on).
    std::vector<int> SelectedIds() const;
    // The image of a pattern loaded from the table (which names it by database ID) in the
    // drawing's map: its resource ID there, 0 when it cannot be had.
    int ResolveStoredImage(CHatchPattern* pattern) const;
    COLORREF ResolveColour(COLORREF colour) const;

    bool m_modal = false;
    HWND m_list = nullptr;
    HIMAGELIST m_images = nullptr;
    COLORREF m_colour = kByLayer;
    std::unique_ptr<CColorPopupMenu> m_popup;
    bool m_selection = false;
    bool m_readOnly = false;
    int m_chosenId = 0;
};
