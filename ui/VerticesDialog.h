#pragma once
// The "Vertices" dialog (template 339): one row per vertex of the control's single selected
// polyline (per anchor of a Bezier polyline) with its index, coordinates, colour, line pattern,
// bulge, pen weight and name. Rows carry the vertex's point ID, never a position.
//
// Every change runs through the control's edit events (OnBeginEditShape, then OnShiftPoint or
// OnAddPoint, then OnEndEditShape, or OnCancel), so that the host may refuse it; a refusal puts
// the vertex back as it was. Each change is one undo step of the dialog's own operation.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "control/InPlaceEdit.h"
#include "control/VerticesDialog.h"
#include "ui/CellListView.h"
#include "ui/LayerTypePopup.h"

class CPointRecord;
class CPolyline;
class CVertexRecord;

class CVerticesDialog : public ycom::DialogWindow, public CVerticesDialogHost
{
public:
    // The table entries, in order; each maps to a list column (or -1 when hidden).
    enum Entry { kIndex, kX, kY, kColor, kLinePattern, kBulge, kPenWeight, kName, kEntryCount };
    static constexpr int kMinWidth = 180;
    static constexpr int kMinHeight = 186;
    // Posted to itself when a cell edit has ended: the cell editor goes.
    static constexpr UINT kDestroyEditor = WM_USER + 101;

    explicit CVerticesDialog(CYVEXControl* control = nullptr);
    ~CVerticesDialog() override;

    INT_PTR Run(CYVEXControl* control, HWND owner) override;
    // Lists the polyline of that ID (0: the control's single selected shape).
    void Show(int shapeId, DWORD rowFlags);
    // The list column of a table entry, -1 when hidden.
    int ColumnOf(int entry) const { return m_columns[entry]; }
    CCellListView& GetList() { return m_list; }
    CInPlaceEdit* GetEditor() const { return m_editor.get(); }
    CLineTypePopup& GetLinePatternPopup() { return m_linePopup; }
    // The radius text as the radius edit keeps it: leading blanks dropped, one sign, digits, one
    // point and digits after it; every other character dropped. `start` and `end` (a selection,
    // may be null) move back by one for each character dropped before them.
    static std::string CleanRadiusText(const std::string& text, DWORD* start, DWORD* end);

    BEGIN_MSG_MAP(CVerticesDialog)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_BEGINLABELEDITA, HandleBeginEdit)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_ENDLABELEDITA, HandleEndEdit)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_ITEMCHANGED, HandleItemChanged)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        MESSAGE_HANDLER(WM_CLOSE, HandleClose)
        MESSAGE_HANDLER(kDestroyEditor, HandleDestroyEditor)
        MESSAGE_HANDLER(CCellListView::kPopupRequest, HandlePopupRequest)
        MESSAGE_HANDLER(CListPopup::kResultMessage, HandleLinePatternChosen)
        MESSAGE_HANDLER(CCellListView::kResolveColour, HandleResolveColour)
        MESSAGE_HANDLER(WM_SIZE, HandleSize)
        MESSAGE_HANDLER(WM_SIZING, HandleSizing)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

private:
    enum { IDC_LIST = 259, IDC_NEW = 341, IDC_REMOVE = 342, IDC_RADIUS_LABEL = 324, IDC_RADIUS = 204,
           IDC_FILLET = 343 };

    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleItemChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleBeginEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEndEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroyEditor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandlePopupRequest(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLinePatternChosen(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleResolveColour(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSizing(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    CPolyline* FindPolyline() const;
    // The vertex of a row (by the row's point ID); null without one.
    CVertexRecord* VertexOfRow(CPolyline* polyline, int row) const;
    int EntryOfColumn(int column) const;
    // The change protocol: the host hears the change begin, and then either commit (refusable)
    // or be cancelled. The polyline is the control's edited shape in between.
    bool BeginChange(int editType, CPolyline* polyline, CVertexRecord* vertex);
    bool CommitChange(CVertexRecord* vertex, CPolyline* polyline, int editType);
    void CancelChange(CPolyline* polyline);
    LONG EventShapeId(const CPolyline* polyline) const;
    // The dialog's undo operation: false when the control keeps no undo.
    bool OpenUndoOperation();
    void CloseUndoOperation(bool commit);
    void RecordPoint(int kind, CPointRecord* point);
    // A cell edit ended with that text.
    void ApplyCellText(CPolyline* polyline, CVertexRecord& vertex, int row, int column, const char* text);
    void OnNew();
    void OnRemove();
    void OnFillet();
    void OnRadiusUpdate();
    void ChooseColour(CPolyline* polyline, int row, int column, const RECT& cell);
    std::string LinePatternText(int pattern) const;
    float RadiusFromEdit() const;
    bool FilletFits(CPolyline* polyline, int row, int rows, float radius) const;
    // Deselects every row; the row becomes selected, focused, marked and hot.
    void SelectOnly(int row);
    // The list's row count; its marked row and that row's vertex (null without one) go to the
    // pointers.
    int ReadMark(CPolyline* polyline, int* marked, CVertexRecord** vertex) const;
    // The selected rows' point IDs in list order; without a selection the marked vertex's.
    std::vector<int> SelectedPoints(const CVertexRecord& marked) const;
    void RenumberFrom(int row);
    void Refill();
    void FillRows(DWORD rowFlags);
    void FillRow(int row, const CVertexRecord& vertex, DWORD flags, bool insert);
    void DeleteAllRows();
    void SetCell(int row, int entry, const std::string& text);
    std::string Number(double value) const;
    void UpdateButtons(bool enabled, bool noSelection, int row);
    bool CanEdit() const;
    // OK, Esc and the close box.
    void End(int button);

    CYVEXControl* m_control = nullptr;
    int m_shapeId = 0;
    CCellListView m_list;
    std::unique_ptr<CInPlaceEdit> m_editor;
    bool m_editEnded = false;
    CLineTypePopup m_linePopup;
    // A change begun for the open line-pattern drop-down awaits its answer.
    bool m_linePatternPending = false;
    bool m_undoOpen = false;
    std::vector<std::unique_ptr<CListRowData>> m_rows;
    int m_decimals = 2;
    RECT m_lastRect = {};
    float m_radius = 10.0f;
    bool m_filling = false;
    signed char m_columns[20];
};
