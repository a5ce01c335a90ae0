#pragma once
// The "Vertices" dialog (template 339): one row per vertex of the control's single selected
// polyline (per anchor of a Bezier polyline) with its index, coordinates, colour, line pattern,
// bulge, pen weight and name. Rows carry the vertex's point ID, never a position.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "control/VerticesDialog.h"
#include "ui/CellListView.h"

class CPolyline;
class CVertexRecord;

class CVerticesDialog : public ycom::DialogWindow, public CVerticesDialogHost
{
public:
    // The table entries, in order; each maps to a list column (or -1 when hidden).
    enum Entry { kIndex, kX, kY, kColor, kLinePattern, kBulge, kPenWeight, kName, kEntryCount };
    static constexpr int kMinWidth = 180;
    static constexpr int kMinHeight = 186;

    explicit CVerticesDialog(CYVEXControl* control = nullptr);
    ~CVerticesDialog() override;

    INT_PTR Run(CYVEXControl* control, HWND owner) override;
    // Lists the polyline of that ID (0: the control's single selected shape).
    void Show(int shapeId, DWORD rowFlags);
    // The list column of a table entry, -1 when hidden.
    int ColumnOf(int entry) const { return m_columns[entry]; }
    CCellListView& GetList() { return m_list; }

    BEGIN_MSG_MAP(CVerticesDialog)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_ITEMCHANGED, HandleItemChanged)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        MESSAGE_HANDLER(WM_COMMAND, HandleCommand)
        MESSAGE_HANDLER(WM_CLOSE, HandleClose)
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
    LRESULT HandleResolveColour(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSizing(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    CPolyline* FindPolyline() const;
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
    std::vector<std::unique_ptr<CListRowData>> m_rows;
    int m_decimals = 2;
    RECT m_lastRect = {};
    float m_radius = 10.0f;
    bool m_filling = false;
    signed char m_columns[20];
};
