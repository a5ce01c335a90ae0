#pragma once
// COptionsLayersPage: the Layers page of the Options sheet (template 1539). Every layer of the
// drawing is one row of the owner-drawn cell list; the user creates, renames, restyles, orders,
// merges and deletes layers, makes one current, and selects, highlights or restacks the shapes of
// the chosen layers. Each change reaches the model at once, offered to the host by its event (a
// veto puts the old value back) and recorded into one undo step that stays open while the page
// shows: OK and Cancel only close that step, so Cancel keeps the changes and one undo takes them
// all back.
#include <memory>
#include <string>
#include <vector>
#include "control/InPlaceEdit.h"
#include "ui/CellListView.h"
#include "ui/LayerTypePopup.h"
#include "ui/OptionsPage.h"
#include "ui/resource.h"

class CLayer;
class CShape;

class COptionsLayersPage : public COptionsPage
{
public:
    // The columns, by their number in the list (the display order puts the site name second).
    enum Column { kName, kOn, kEnable, kSelect, kColor, kLineType, kHatchColor, kHatchType, kSiteName };
    static constexpr UINT kDestroyEditorMessage = WM_USER + 101;
    static constexpr UINT kCurrentLayerMessage = WM_USER + 102;
    static constexpr UINT kDrawingSettingChanged = WM_USER + 100;

    COptionsLayersPage();
    ~COptionsLayersPage() override;

    void EnableEditing(bool enable) override;

    CCellListView& GetList() { return m_list; }
    CInPlaceEdit* GetEditor() const { return m_editor.get(); }
    CLineTypePopup& GetLineTypePopup() { return m_lineTypePopup; }
    CHatchTypePopup& GetHatchTypePopup() { return m_hatchTypePopup; }
    int GetCurrentRow() const { return m_currentRow; }
    // The text of a hatch pattern ID in the Hatch Type column.
    std::string HatchTypeText(int id) const;
    // Whether a layer belongs to the edited drawing (not to an included site).
    bool IsOwnLayer(CShape* layer) const;
    // The list's sort comparison (row records; the page).
    static int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM page);
    // The brightness key colours sort by: 30 R² + 59 G² + 11 B².
    static unsigned ColourKey(DWORD colour);

    BEGIN_MSG_MAP(COptionsLayersPage)
        MESSAGE_HANDLER(WM_NOTIFY, HandleNotify)
        MESSAGE_HANDLER(CListPopup::kResultMessage, HandlePopupResult)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        MESSAGE_HANDLER(kDestroyEditorMessage, HandleDestroyEditor)
        MESSAGE_HANDLER(CCellListView::kPopupRequest, HandleCellActivate)
        MESSAGE_HANDLER(kCurrentLayerMessage, HandleCurrentLayer)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;

private:
    static constexpr int IDC_LIST = IDC_PAGE_LIST;

    LRESULT HandleNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandlePopupResult(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroyEditor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCellActivate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCurrentLayer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    void InitColumns();
    void FillRows();
    void SetLayerRow(int row, CLayer* layer, DWORD rowFlags, bool insert);
    void DeleteAllRows();
    int RowOfLayer(int id) const;
    CLayer* LayerOfRow(int row) const;
    static CLayer* AsLayer(CShape* shape);
    CLayer* Layer(int id) const;
    std::vector<CShape*> LayerList() const;
    std::vector<int> GetSelectedLayerIds() const;
    std::vector<CLayer*> SelectedLayers() const;
    bool CanEdit() const;
    void UpdateButtons(bool enabled, int row);
    void MarkCurrentRow(int row);
    void BeginUndoGroup();
    void Record(int kind, CShape* shape);
    void EndUndoGroup(bool commit);
    void Changed();
    void Warn(const char* text);

    void OnCommand(int id);
    void NewLayer();
    void SetCurrent();
    void Highlight(const std::vector<CLayer*>& layers);
    void SelectShapes(const std::vector<CLayer*>& layers);
    void MoveLayersToFrontOrBack(bool front, const std::vector<CLayer*>& layers);
    void DeleteOrMergeLayers(bool remove, const std::vector<CLayer*>& layers);
    std::string MakeNewLayerName() const;
    // Removes a layer the host did not let in, or one deleted: its row, its place and its shape.
    void RemoveLayer(CLayer* layer);

    LRESULT OnBeginLabelEdit(NMLVDISPINFOA* info);
    LRESULT OnEndLabelEdit(NMLVDISPINFOA* info);
    LRESULT OnToggle(int row, int column);
    void StartNameEdit(int row);
    void OnContextMenu(const NMITEMACTIVATE* click);
    void ApplyToSelected(int command, int row, int column);
    // Column's value of a layer (the check columns 0 or 1), and setting it.
    static DWORD ColumnValue(CLayer* layer, int column);
    static void SetColumnValue(CLayer* layer, int column, DWORD value);

    CCellListView m_list;
    std::vector<std::unique_ptr<CListRowData>> m_records;
    std::unique_ptr<CInPlaceEdit> m_editor;
    bool m_editEnded = false;
    CLineTypePopup m_lineTypePopup;
    CHatchTypePopup m_hatchTypePopup;
    int m_currentRow = -1;
    bool m_newLayer = false;
    bool m_undoOpen = false;
    bool m_hasSiteColumn = false;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};
