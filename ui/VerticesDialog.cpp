#include "ui/VerticesDialog.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/EditState.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/Polyline.h"
#include "model/PointRecord.h"
#include "model/VertexRecord.h"
#include "ui/ColorPopupMenu.h"
#include "ui/resource.h"
#include "YVEX_h.h"

namespace {

struct EntryInfo
{
    UINT title;
    const char* fallback;
    int width;
    int editor;
};
const EntryInfo kEntries[CVerticesDialog::kEntryCount] = {
    {IDS_VERTEX_INDEX, "Index", 38, CCellListView::kTextColumn},
    {IDS_VERTEX_X, "X", 55, CCellListView::kTextColumn},
    {IDS_VERTEX_Y, "Y", 55, CCellListView::kTextColumn},
    {IDS_VERTEX_COLOR, "Color", 65, CCellListView::kColourColumn},
    {IDS_VERTEX_LINE_PATTERN, "Line Pattern", 80, CCellListView::kDropDownColumn},
    {IDS_VERTEX_BULGE, "Bulge", 55, CCellListView::kTextColumn},
    {IDS_VERTEX_PEN_WEIGHT, "Pen Weight", 65, CCellListView::kTextColumn},
    {IDS_VERTEX_NAME, "Name", 90, CCellListView::kTextColumn},
};

constexpr DWORD kByLayerColour = 0x20000000;
constexpr DWORD kByBlockColour = 0x40000000;
constexpr int kLineByLayer = 0x4000;
constexpr int kLineByBlock = 0x8000;
constexpr int kPolylineCompatible[] = {stRectangle, stPolyline, stPolygon};

bool IsByPolylineText(const char* text) { return text && lstrcmpiA(text, "ByPolyline") == 0; }

bool IsPolylineShape(const CShape* shape)
{
    if (!shape)
        return false;
    for (int type : kPolylineCompatible)
        if (shape->GetShapeType() == type)
            return true;
    return false;
}

} // namespace

CVerticesDialog::CVerticesDialog(CYVEXControl* control) : m_control(control)
{
    std::memset(m_columns, -1, sizeof m_columns);
    for (int entry = 0; entry < kEntryCount; ++entry)
        m_columns[entry] = static_cast<signed char>(entry);
}

CVerticesDialog::~CVerticesDialog()
{
    if (m_editor)
        m_editor->Destroy();
    m_linePopup.Destroy();
}

INT_PTR CVerticesDialog::Run(CYVEXControl* control, HWND owner)
{
    if (control)
        m_control = control;
    return DoModal(ycom::TheModule().ResourceInstance(), IDD_VERTICES, owner,
                   reinterpret_cast<LPARAM>(m_control));
}

CPolyline* CVerticesDialog::FindPolyline() const
{
    if (!m_control)
        return nullptr;
    CShape* shape = nullptr;
    if (m_shapeId != 0) {
        shape = m_control->FindShape(m_shapeId);
    } else if (CGroup* selection = m_control->GetSelectionGroup()) {
        const std::vector<CShape*> selected = selection->Children();
        if (selected.size() == 1)
            shape = selected[0];
    }
    return IsPolylineShape(shape) ? static_cast<CPolyline*>(shape) : nullptr;
}

bool CVerticesDialog::CanEdit() const { return m_control && m_control->AcceptsEdits(); }

LRESULT CVerticesDialog::HandleInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (lParam)
        m_control = reinterpret_cast<CYVEXControl*>(lParam);
    m_list.Attach(GetItem(IDC_LIST));
    m_list.SetReportStyle();
    // The line-pattern drop-down: the drawing's line types with the selection mark and the
    // continuous line, and the by-layer and by-block entries.
    m_linePopup.SetSize(100, 200);
    m_linePopup.Types().SetLineTypes(m_control ? &m_control->GetLineTypeMap() : nullptr);
    m_linePopup.Types().SetByLayerEntries(true);
    m_linePopup.Types().SetBuiltInEntries(true);
    m_shapeId = 0;
    Show(0, 0);
    UpdateButtons(CanEdit(), false, -1);
    return TRUE;
}

void CVerticesDialog::Show(int shapeId, DWORD rowFlags)
{
    if (!IsWindow())
        return;
    SendDlgItemMessageA(m_hWnd, IDC_RADIUS, EM_LIMITTEXT, 10, 0);
    m_filling = true;
    SetDlgItemTextA(m_hWnd, IDC_RADIUS, Number(m_radius).c_str());
    m_filling = false;
    m_shapeId = shapeId;
    ShowWindow(GetItem(IDOK), SW_SHOW);

    CPolyline* polyline = FindPolyline();
    const bool bulge = polyline && !polyline->IsBezier();
    for (int id : {static_cast<int>(IDC_RADIUS), static_cast<int>(IDC_RADIUS_LABEL), static_cast<int>(IDC_FILLET)})
        ShowWindow(GetItem(id), bulge ? SW_SHOW : SW_HIDE);
    m_columns[kBulge] = static_cast<signed char>(bulge ? 5 : -1);
    m_columns[kPenWeight] = static_cast<signed char>(bulge ? 6 : 5);
    m_columns[kName] = static_cast<signed char>(bulge ? 7 : 6);

    HWND list = m_list.GetHandle();
    DeleteAllRows();
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int entry = 0; entry < kEntryCount; ++entry) {
        const int position = m_columns[entry];
        if (position < 0)
            continue;
        char title[256];
        lstrcpynA(title, kEntries[entry].fallback, sizeof title);
        ycom::LoadResourceString(kEntries[entry].title, title, static_cast<int>(sizeof title));
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_ORDER;
        column.fmt = LVCFMT_LEFT;
        column.pszText = title;
        column.cx = kEntries[entry].width;
        column.iSubItem = position;
        column.iOrder = position;
        SendMessageA(list, LVM_INSERTCOLUMNA, position, reinterpret_cast<LPARAM>(&column));
        m_list.SetColumnKind(position, kEntries[entry].editor);
    }
    FillRows(rowFlags);

    if (!IsRectEmpty(&m_lastRect)) {
        RECT desktop, overlap;
        GetWindowRect(GetDesktopWindow(), &desktop);
        if (IntersectRect(&overlap, &m_lastRect, &desktop))
            MoveWindow(m_hWnd, m_lastRect.left, m_lastRect.top, m_lastRect.right - m_lastRect.left,
                       m_lastRect.bottom - m_lastRect.top, TRUE);
    }
}

void CVerticesDialog::FillRows(DWORD rowFlags)
{
    CPolyline* polyline = FindPolyline();
    if (!polyline || polyline->GetVertices().empty())
        return;
    m_list.SetEditRow(CCellListView::kAnyRow);
    const std::vector<CVertexRecord>& vertices = polyline->GetVertices();
    // A Bezier polyline keeps its vertices in threes (anchor, two control points): anchors only.
    const size_t step = polyline->IsBezier() ? 3 : 1;
    int row = 0;
    for (size_t i = 0; i < vertices.size(); i += step)
        FillRow(row++, vertices[i], rowFlags, true);
}

std::string CVerticesDialog::Number(double value) const
{
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", m_decimals);
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void CVerticesDialog::SetCell(int row, int entry, const std::string& text)
{
    const int column = m_columns[entry];
    if (column < 0)
        return;
    if (CListRowData* data = m_list.GetRowData(row))
        data->SetText(column, text);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(m_list.GetHandle(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void CVerticesDialog::FillRow(int row, const CVertexRecord& vertex, DWORD flags, bool insert)
{
    HWND list = m_list.GetHandle();
    const std::string index = std::to_string(row + 1);
    CListRowData* data = nullptr;
    if (insert) {
        auto made = std::make_unique<CListRowData>();
        made->flags = flags;
        made->tag = vertex.GetPoint() ? vertex.GetPoint()->GetPointId() : 0;
        LVITEMA item = {};
        // No picture: the list's pictures are check marks, which a vertex has none of.
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iImage = I_IMAGENONE;
        item.iItem = row;
        item.pszText = const_cast<char*>(index.c_str());
        item.lParam = reinterpret_cast<LPARAM>(made.get());
        if (SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
            return;
        data = made.get();
        m_rows.push_back(std::move(made));
    } else {
        data = m_list.GetRowData(row);
        if (!data)
            return;
        data->flags = flags;
        SetCell(row, kIndex, index);
    }
    if (m_columns[kIndex] >= 0)
        data->SetText(m_columns[kIndex], index);

    SetCell(row, kName, vertex.name);
    const CPointRecord* point = vertex.GetPoint();
    SetCell(row, kX, Number(point ? point->x : 0.0));
    SetCell(row, kY, Number(point ? point->y : 0.0));

    // Colour: the list draws the swatch of the cell's colour; by block reads "ByPolyline".
    if (m_columns[kColor] >= 0) {
        data->SetColour(m_columns[kColor], vertex.color);
        data->SetText(m_columns[kColor], (vertex.color & kByBlockColour) ? "ByPolyline" : "");
    }

    // A line pattern the map does not know is shown, and kept in the cell, as by block.
    int pattern = vertex.lineType;
    std::string patternText = LinePatternText(pattern);
    if (patternText.empty()) {
        pattern = kLineByBlock;
        patternText = LinePatternText(pattern);
    }
    if (m_columns[kLinePattern] >= 0)
        data->SetColour(m_columns[kLinePattern], static_cast<COLORREF>(pattern));
    SetCell(row, kLinePattern, patternText);

    SetCell(row, kBulge, Number(vertex.bulge));
    const float weight = vertex.startWidth > vertex.endWidth ? vertex.startWidth : vertex.endWidth;
    SetCell(row, kPenWeight, weight == -1.0f ? std::string("ByPolyline") : Number(weight));
}

std::string CVerticesDialog::LinePatternText(int pattern) const
{
    if (pattern == kLineByLayer)
        return "ByLayer";
    if (pattern == kLineByBlock)
        return "ByPolyline";
    const CLineType* type = m_control ? m_control->GetLineTypeMap().Find(pattern) : nullptr;
    return type && type->GetName() ? type->GetName() : "";
}

void CVerticesDialog::DeleteAllRows()
{
    HWND list = m_list.GetHandle();
    if (list)
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    m_rows.clear();
}

void CVerticesDialog::UpdateButtons(bool enabled, bool noSelection, int row)
{
    if (!IsWindow())
        return;
    EnableWindow(GetItem(IDC_NEW), enabled);
    EnableWindow(GetItem(IDC_RADIUS), enabled);
    HWND list = m_list.GetHandle();
    if (row < 0)
        row = static_cast<int>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0));
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    bool remove = false;
    bool fillet = false;
    CPolyline* polyline = FindPolyline();
    if (enabled && !noSelection && polyline && row >= 0) {
        remove = rows > 2;
        const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
        fillet = rows >= 2 && (selected > 1 || FilletFits(polyline, row, rows, RadiusFromEdit()));
    }
    EnableWindow(GetItem(IDC_REMOVE), remove);
    EnableWindow(GetItem(IDC_FILLET), fillet);
}

LRESULT CVerticesDialog::HandleItemChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (::IsWindowEnabled(GetItem(IDC_NEW)) && (change->uChanged & (LVIF_TEXT | LVIF_STATE)))
        UpdateButtons(true, (change->uNewState & (LVIS_SELECTED | LVIS_FOCUSED)) == 0, change->iItem);
    return 0;
}

LRESULT CVerticesDialog::HandleCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    const int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        End(id);
        return 0;
    }
    if (id == IDC_RADIUS) {
        if (HIWORD(wParam) == EN_UPDATE && !m_filling)
            OnRadiusUpdate();
        return 0;
    }
    if (HIWORD(wParam) == BN_CLICKED && (id == IDC_NEW || id == IDC_REMOVE || id == IDC_FILLET)) {
        if (id == IDC_NEW)
            OnNew();
        else if (id == IDC_REMOVE)
            OnRemove();
        else
            OnFillet();
        UpdateButtons(CanEdit(), false, -1);
        return 0;
    }
    (void)lParam;
    handled = FALSE;
    return 0;
}

LRESULT CVerticesDialog::HandleClose(UINT, WPARAM, LPARAM, BOOL&)
{
    End(IDCANCEL);
    return 0;
}

void CVerticesDialog::End(int button)
{
    // Only OK asks for a vertex, and only while a polyline is listed: Esc and the close box
    // always end the dialog, or a dialog opened on a shape without vertices (a line) could
    // never be closed.
    const int rows = static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETITEMCOUNT, 0, 0));
    if (button == IDOK && rows == 0 && FindPolyline()) {
        char caption[64] = "Warning";
        ycom::LoadResourceString(IDS_WARNING, caption, static_cast<int>(sizeof caption));
        ycom::ShowMessageBox(m_hWnd, "Please create at least one vertex.", caption, MB_OK | MB_ICONQUESTION);
        return;
    }
    if (m_editor) {
        std::unique_ptr<CInPlaceEdit> editor = std::move(m_editor);
        editor->Destroy();
    }
    m_linePopup.Destroy();
    if (m_linePatternPending) {
        m_linePatternPending = false;
        CancelChange(FindPolyline());
        CloseUndoOperation(false);
    }
    CloseUndoOperation(true);
    DeleteAllRows();
    if (m_control) {
        if (m_control->EventsEnabled())
            m_control->RestartRedrawTimer(0);
        m_control->Redraw(rfRedrawSelection);
    }
    GetWindowRect(m_hWnd, &m_lastRect);
    char text[101] = "";
    GetDlgItemTextA(m_hWnd, IDC_RADIUS, text, sizeof text);
    m_radius = static_cast<float>(std::atof(CleanRadiusText(text, nullptr, nullptr).c_str()));
    EndDialog(button);
}

LRESULT CVerticesDialog::HandleResolveColour(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const DWORD colour = static_cast<DWORD>(wParam);
    CPolyline* polyline = FindPolyline();
    if (!polyline)
        return colour;
    if (colour & kByBlockColour)
        return CShape::TranslatePenColor(polyline->GetPenColor(), polyline);
    if (colour & kByLayerColour) {
        if (CLayer* layer = polyline->GetLayer())
            return layer->GetPenColor();
    }
    return colour;
}

LRESULT CVerticesDialog::HandleSize(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam == SIZE_MINIMIZED)
        return 0;
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    RECT ok;
    GetWindowRect(GetItem(IDOK), &ok);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
    const int buttonWidth = ok.right - ok.left;
    const int buttonLeft = width - 10 - buttonWidth;
    for (int id : {static_cast<int>(IDC_NEW), static_cast<int>(IDC_REMOVE), static_cast<int>(IDC_FILLET), static_cast<int>(IDOK)}) {
        RECT r;
        GetWindowRect(GetItem(id), &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        const int top = id == IDOK ? height - 12 - (r.bottom - r.top) : r.top;
        MoveWindow(GetItem(id), buttonLeft, top, buttonWidth, r.bottom - r.top, TRUE);
    }
    RECT edit, label;
    GetWindowRect(GetItem(IDC_RADIUS), &edit);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&edit), 2);
    GetWindowRect(GetItem(IDC_RADIUS_LABEL), &label);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&label), 2);
    const int editLeft = width - 10 - (edit.right - edit.left);
    MoveWindow(GetItem(IDC_RADIUS), editLeft, edit.top, edit.right - edit.left, edit.bottom - edit.top, TRUE);
    MoveWindow(GetItem(IDC_RADIUS_LABEL), buttonLeft + 3, label.top, label.right - label.left,
               label.bottom - label.top, TRUE);
    RECT list;
    GetWindowRect(m_list.GetHandle(), &list);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    MoveWindow(m_list.GetHandle(), list.left, list.top, buttonLeft - 20 - list.left, height - 12 - list.top, TRUE);
    RECT strip = {buttonLeft - 10, 0, width, height};
    InvalidateRect(m_hWnd, &strip, TRUE);
    return 0;
}

LRESULT CVerticesDialog::HandleSizing(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    RECT* rect = reinterpret_cast<RECT*>(lParam);
    if (rect->right - rect->left < kMinWidth) {
        if (wParam == WMSZ_LEFT || wParam == WMSZ_TOPLEFT || wParam == WMSZ_BOTTOMLEFT)
            rect->left = rect->right - kMinWidth;
        else
            rect->right = rect->left + kMinWidth;
    }
    if (rect->bottom - rect->top < kMinHeight) {
        if (wParam == WMSZ_BOTTOM || wParam == WMSZ_BOTTOMLEFT || wParam == WMSZ_BOTTOMRIGHT)
            rect->bottom = rect->top + kMinHeight;
        else
            rect->top = rect->bottom - kMinHeight;
    }
    return TRUE;
}

// --- Rows and vertices -------------------------------------------------------------------------

CVertexRecord* CVerticesDialog::VertexOfRow(CPolyline* polyline, int row) const
{
    const CListRowData* data = row >= 0 ? m_list.GetRowData(row) : nullptr;
    if (!polyline || !data || data->tag == 0)
        return nullptr;
    return polyline->FindVertexOfPoint(static_cast<int>(data->tag));
}

int CVerticesDialog::EntryOfColumn(int column) const
{
    for (int entry = 0; entry < kEntryCount; ++entry)
        if (column >= 0 && m_columns[entry] == column)
            return entry;
    return -1;
}

void CVerticesDialog::SelectOnly(int row)
{
    HWND list = m_list.GetHandle();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0)
        return;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
    SendMessageA(list, LVM_SETHOTITEM, row, 0);
}

void CVerticesDialog::RenumberFrom(int row)
{
    const int rows = static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETITEMCOUNT, 0, 0));
    for (int r = row; r < rows; ++r)
        SetCell(r, kIndex, std::to_string(r + 1));
}

void CVerticesDialog::Refill()
{
    if (m_control)
        m_control->Redraw(rfRedrawSelection);
    DeleteAllRows();
    FillRows(0);
}

// --- The change protocol and the undo operation ------------------------------------------------

LONG CVerticesDialog::EventShapeId(const CPolyline* polyline) const
{
    if (polyline)
        return polyline->GetId();
    return m_shapeId != 0 ? m_shapeId : -1;
}

bool CVerticesDialog::BeginChange(int editType, CPolyline* polyline, CVertexRecord*)
{
    CEditState& edit = m_control->GetEditState();
    if (!edit.editedShape)
        edit.editedShape = polyline;
    const bool proceed = m_control->FireBeginEditShape(EventShapeId(polyline), editType);
    if (proceed && edit.editedShape)
        return true;
    if (edit.editedShape == polyline)
        edit.editedShape = nullptr;
    return false;
}

bool CVerticesDialog::CommitChange(CVertexRecord* vertex, CPolyline* polyline, int editType)
{
    CEditState& edit = m_control->GetEditState();
    const int pointId = vertex && vertex->GetPoint() ? vertex->GetPoint()->GetPointId() : 0;
    bool proceed = true;
    if (editType == EDSH_POINT) {
        if (pointId != 0)
            proceed = m_control->FireShiftPoint(pointId);
    } else if (editType == EDSH_NEWPOINT) {
        if (pointId != 0)
            proceed = m_control->FireAddPoint(pointId);
        // A new anchor of a Bezier polyline brings its two control points.
        if (proceed && polyline && edit.editedShape == polyline && polyline->IsBezier() && vertex) {
            const int index = polyline->FindVertexIndex(*vertex);
            const int count = static_cast<int>(polyline->GetVertices().size());
            for (int k = 1; proceed && index >= 0 && k <= 2 && index + k < count; ++k)
                if (CPointRecord* point = polyline->GetVertices()[static_cast<size_t>(index + k)].GetPoint())
                    proceed = m_control->FireAddPoint(point->GetPointId());
        }
    }
    bool result = false;
    if (!proceed || !edit.editedShape) {
        m_control->FireCancel();
    } else {
        result = m_control->FireEndEditShape(EventShapeId(polyline)) && edit.editedShape;
    }
    if (edit.editedShape == polyline)
        edit.editedShape = nullptr;
    return result;
}

void CVerticesDialog::CancelChange(CPolyline* polyline)
{
    m_control->FireCancel();
    CEditState& edit = m_control->GetEditState();
    if (edit.editedShape == polyline)
        edit.editedShape = nullptr;
}

bool CVerticesDialog::OpenUndoOperation()
{
    CUndoRecorder* recorder = m_control ? m_control->GetUndoRecorder() : nullptr;
    if (!recorder)
        return false;
    // S_FALSE (recording suspended) opens nothing that could be closed later.
    if (!m_undoOpen)
        m_undoOpen = recorder->OpenOperation(opProperties) == S_OK;
    return true;
}

void CVerticesDialog::CloseUndoOperation(bool commit)
{
    if (!m_undoOpen)
        return;
    m_undoOpen = false;
    if (CUndoRecorder* recorder = m_control ? m_control->GetUndoRecorder() : nullptr)
        recorder->CloseOperation(commit);
}

void CVerticesDialog::RecordPoint(int kind, CPointRecord* point)
{
    if (point && OpenUndoOperation())
        m_control->GetUndoRecorder()->RecordPoint(kind, point, false);
}

// --- In-place editing --------------------------------------------------------------------------

LRESULT CVerticesDialog::HandleBeginEdit(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    // A check-cell toggle is the list's own business.
    if (!(info->item.mask & LVIF_TEXT)) {
        handled = FALSE;
        return 0;
    }
    const int column = info->item.iSubItem;
    const int entry = EntryOfColumn(column);
    if (m_editor || entry < 0 || entry == kIndex)
        return TRUE;
    const char* start = info->item.pszText ? info->item.pszText : "";
    // A pen weight of the polyline's own starts empty: typing a number replaces it.
    if (entry == kPenWeight && IsByPolylineText(start))
        start = "";
    m_editor = m_list.OpenEditor(info->item.iItem, column, start, entry != kName);
    if (!m_editor)
        return TRUE;
    m_editEnded = false;
    SetFocus(m_editor->GetHandle());
    return FALSE;
}

LRESULT CVerticesDialog::HandleEndEdit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    // An edit ends once: the focus leaving after Enter or Esc says nothing new.
    if (!m_editor || m_editEnded)
        return TRUE;
    m_editEnded = true;
    PostMessageA(m_hWnd, kDestroyEditor, 0, 0);
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
    CPolyline* polyline = FindPolyline();
    CVertexRecord* vertex = VertexOfRow(polyline, info->item.iItem);
    if (info->item.pszText && vertex)
        ApplyCellText(polyline, *vertex, info->item.iItem, info->item.iSubItem, info->item.pszText);
    return TRUE;
}

LRESULT CVerticesDialog::HandleDestroyEditor(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_editor) {
        std::unique_ptr<CInPlaceEdit> editor = std::move(m_editor);
        editor->Destroy();
    }
    return 0;
}

void CVerticesDialog::ApplyCellText(CPolyline* polyline, CVertexRecord& vertex, int row, int column, const char* text)
{
    CPointRecord* point = vertex.GetPoint();
    RecordPoint(opProperties, point);
    if (!BeginChange(EDSH_POINT, polyline, &vertex)) {
        CloseUndoOperation(false);
        return;
    }
    const double number = std::atof(text);
    std::string cell = Number(number);
    // The vertex's data (its vertex ID included) and its point as they were, for a refusal.
    const CVertexData before = vertex.Data();
    const float x = point ? point->x : 0.0f;
    const float y = point ? point->y : 0.0f;
    switch (EntryOfColumn(column)) {
    case kName:
        vertex.name = text;
        cell = text;
        break;
    case kX:
        if (point)
            point->x = static_cast<float>(number);
        break;
    case kY:
        if (point)
            point->y = static_cast<float>(number);
        break;
    case kBulge: vertex.bulge = static_cast<float>(number); break;
    case kPenWeight:
        if (number == -1.0 || *text == '\0' || IsByPolylineText(text)) {
            vertex.startWidth = vertex.endWidth = -1.0f;
            cell = "ByPolyline";
        } else {
            vertex.startWidth = vertex.endWidth = static_cast<float>(number);
        }
        break;
    default: break;
    }
    if (!CommitChange(&vertex, polyline, EDSH_POINT)) {
        CloseUndoOperation(false);
        vertex.Data() = before;
        if (point) {
            point->x = x;
            point->y = y;
        }
        return;
    }
    CloseUndoOperation(true);
    SetCell(row, EntryOfColumn(column), cell);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
}

// --- Buttons -----------------------------------------------------------------------------------

void CVerticesDialog::OnNew()
{
    CPolyline* polyline = FindPolyline();
    if (!polyline)
        return;
    HWND list = m_list.GetHandle();
    int marked = -1;
    CVertexRecord* markedVertex = nullptr;
    ReadMark(polyline, &marked, &markedVertex);
    // The new vertex goes before the marked one when that is selected, else at the end; it
    // stands where the marked vertex stands either way.
    const bool before = markedVertex && (ListView_GetItemState(list, marked, LVIS_SELECTED) & LVIS_SELECTED);
    if (!BeginChange(EDSH_NEWPOINT, polyline, nullptr))
        return;
    float x = 0.0f, y = 0.0f;
    if (markedVertex && markedVertex->GetPoint()) {
        x = markedVertex->GetPoint()->x;
        y = markedVertex->GetPoint()->y;
    }
    const int index = before ? polyline->FindVertexIndex(*markedVertex) : -1;
    std::vector<int> made;
    auto add = [&](int at) {
        const CVertexRecord* vertex = polyline->AddNewVertex(at, x, y, 0.0f, kByBlockColour, kLineByBlock, "", -1.0f,
                                                             -1.0f, 0, 0, 0);
        if (vertex && vertex->GetPoint())
            made.push_back(vertex->GetPoint()->GetPointId());
        return vertex != nullptr;
    };
    if (!add(index) || made.empty()) {
        CancelChange(polyline);
        return;
    }
    // A Bezier anchor comes with its two control points.
    if (polyline->IsBezier() && index >= 0) {
        add(index + 1);
        add(index + 1);
    }
    CVertexRecord* vertex = polyline->FindVertexOfPoint(made[0]);
    if (!CommitChange(vertex, polyline, EDSH_NEWPOINT)) {
        // Taken out unrecorded: they never were in the history, and an undo step of their
        // removal would bring them back.
        CUndoRecorder* recorder = m_control->GetUndoRecorder();
        if (recorder)
            recorder->Suspend();
        for (int pointId : made)
            m_control->DeletePolylinePoint(polyline->GetId(), pointId);
        if (recorder)
            recorder->Resume();
        return;
    }
    if (OpenUndoOperation())
        for (int pointId : made)
            if (CVertexRecord* v = polyline->FindVertexOfPoint(pointId))
                m_control->GetUndoRecorder()->RecordPoint(opCreate, v->GetPoint(), false);
    vertex = polyline->FindVertexOfPoint(made[0]);
    int row = vertex ? polyline->FindVertexIndex(*vertex) : -1;
    if (row >= 0 && polyline->IsBezier())
        row = row % 3 == 0 ? row / 3 : -1;
    if (row >= 0) {
        FillRow(row, *vertex, 0, true);
        RenumberFrom(row + 1);
    }
    m_control->Redraw(rfRedrawSelection);
    SelectOnly(row);
    CloseUndoOperation(true);
}

int CVerticesDialog::ReadMark(CPolyline* polyline, int* marked, CVertexRecord** vertex) const
{
    HWND list = m_list.GetHandle();
    *marked = static_cast<int>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0));
    *vertex = VertexOfRow(polyline, *marked);
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<int> CVerticesDialog::SelectedPoints(const CVertexRecord& marked) const
{
    HWND list = m_list.GetHandle();
    std::vector<int> points;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0; row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        if (const CListRowData* data = m_list.GetRowData(row))
            points.push_back(static_cast<int>(data->tag));
    if (points.empty() && marked.GetPoint())
        points.push_back(marked.GetPoint()->GetPointId());
    return points;
}

void CVerticesDialog::OnRemove()
{
    CPolyline* polyline = FindPolyline();
    HWND list = m_list.GetHandle();
    int marked = -1;
    CVertexRecord* markedVertex = nullptr;
    const int rows = ReadMark(polyline, &marked, &markedVertex);
    if (!markedVertex || !markedVertex->GetPoint() || rows == 0)
        return;
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    char text[300];
    if (selected >= 2)
        std::snprintf(text, sizeof text, "Do you want to delete %d vertices?", selected);
    else if (!markedVertex->name.empty())
        std::snprintf(text, sizeof text, "Do you want to delete vertex with name %s?", markedVertex->name.c_str());
    else
        std::snprintf(text, sizeof text, "Do you want to delete vertex number %d?", marked + 1);
    char caption[64] = "Warning";
    ycom::LoadResourceString(IDS_WARNING, caption, static_cast<int>(sizeof caption));
    if (ycom::ShowMessageBox(m_hWnd, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    // The rows' points, taken before any removal changes the polyline.
    const std::vector<int> points = SelectedPoints(*markedVertex);
    bool handled = false;
    for (int pointId : points) {
        polyline = FindPolyline();
        CVertexRecord* vertex = polyline && pointId ? polyline->FindVertexOfPoint(pointId) : nullptr;
        if (!vertex || polyline->FindVertexIndex(*vertex) < 0)
            continue;
        OpenUndoOperation();
        const bool removed = m_control->StartEditShape(polyline, EDSH_DELETEPOINT, pointId, 0) == 1;
        CloseUndoOperation(removed);
        if (!removed)
            continue;
        handled = true;
        polyline = FindPolyline();
        if (!polyline || polyline->GetVertices().size() <= 2)
            break;
    }
    if (!handled)
        return;
    Refill();
    SelectOnly(marked);
}

void CVerticesDialog::OnFillet()
{
    CPolyline* polyline = FindPolyline();
    HWND list = m_list.GetHandle();
    int marked = -1;
    CVertexRecord* markedVertex = nullptr;
    const int rows = ReadMark(polyline, &marked, &markedVertex);
    if (!markedVertex || !markedVertex->GetPoint() || rows < 2)
        return;
    const float radius = RadiusFromEdit();
    if (!BeginChange(EDSH_NEWPOINT, polyline, nullptr))
        return;
    const int selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    // Every fillet of one press is one undo step.
    OpenUndoOperation();
    bool changed = false;
    if (selected == rows) {
        changed = polyline->Fillet(radius, -1) > 0;
    } else {
        for (int pointId : SelectedPoints(*markedVertex)) {
            CVertexRecord* vertex = pointId ? polyline->FindVertexOfPoint(pointId) : nullptr;
            int index = vertex ? polyline->FindVertexIndex(*vertex) : -1;
            if (index < 0)
                continue;
            // Radius 0 takes out the arc that starts at the vertex: the fillet's corner is the
            // arc's end.
            if (radius == 0.0f)
                index = index + 1 < static_cast<int>(polyline->GetVertices().size()) ? index + 1 : 0;
            if (polyline->Fillet(radius, index) > 0)
                changed = true;
        }
    }
    CloseUndoOperation(changed);
    if (!changed) {
        CancelChange(polyline);
        return;
    }
    CommitChange(nullptr, polyline, EDSH_NEWPOINT);
    Refill();
    SelectOnly(marked);
}

std::string CVerticesDialog::CleanRadiusText(const std::string& text, DWORD* start, DWORD* end)
{
    const DWORD oldStart = start ? *start : 0;
    const DWORD oldEnd = end ? *end : 0;
    std::string kept;
    bool leading = true, point = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool keep = false;
        if (!(leading && (c == ' ' || c == '\t' || c == '\r' || c == '\n'))) {
            const bool first = leading;
            leading = false;
            if (first && (c == '+' || c == '-'))
                keep = true;
            else if (c >= '0' && c <= '9')
                keep = true;
            else if (c == '.' && !point)
                keep = point = true;
        }
        if (keep) {
            kept += c;
            continue;
        }
        if (start && i < oldStart)
            --*start;
        if (end && i < oldEnd)
            --*end;
    }
    return kept;
}

float CVerticesDialog::RadiusFromEdit() const
{
    char text[101] = "";
    GetDlgItemTextA(m_hWnd, IDC_RADIUS, text, sizeof text);
    return static_cast<float>(std::atof(CleanRadiusText(text, nullptr, nullptr).c_str()));
}

void CVerticesDialog::OnRadiusUpdate()
{
    HWND edit = GetItem(IDC_RADIUS);
    char text[101] = "";
    GetWindowTextA(edit, text, sizeof text);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::string cleaned = CleanRadiusText(text, &start, &end);
    const float radius = static_cast<float>(std::atof(cleaned.c_str()));
    const bool flips = radius != m_radius && (radius == 0.0f || m_radius == 0.0f);
    m_radius = radius;
    m_filling = true;
    if (cleaned != text) {
        SetWindowTextA(edit, cleaned.c_str());
        SendMessageA(edit, EM_SETSEL, start, end);
    }
    m_filling = false;
    if (flips)
        UpdateButtons(CanEdit(), false, -1);
}

bool CVerticesDialog::FilletFits(CPolyline* polyline, int row, int rows, float radius) const
{
    const CVertexRecord* vertex = VertexOfRow(polyline, row);
    if (!vertex)
        return false;
    const bool corner = radius != 0.0f && vertex->bulge == 0.0f;
    const bool arcStart = radius == 0.0f && rows >= 3 && vertex->bulge != 0.0f;
    if (!corner && !arcStart)
        return false;
    const bool closed = polyline->IsClosed();
    const int previousRow = row > 0 ? row - 1 : (closed ? rows - 1 : -1);
    const int nextRow = row + 1 < rows ? row + 1 : (closed ? 0 : -1);
    const CVertexRecord* previous = VertexOfRow(polyline, previousRow);
    const CVertexRecord* next = VertexOfRow(polyline, nextRow);
    if (!previous || !next || previous == next || previous->bulge != 0.0f)
        return false;
    return radius != 0.0f || next->bulge == 0.0f;
}

// --- Colour and line-pattern cells ---------------------------------------------------------------

LRESULT CVerticesDialog::HandlePopupRequest(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const int row = static_cast<int>(wParam);
    const int column = static_cast<int>(lParam);
    const int entry = EntryOfColumn(column);
    if (entry != kColor && entry != kLinePattern)
        return 0;
    HWND list = m_list.GetHandle();
    RECT cell = {};
    if (!ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell))
        return 0;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&cell), 2);
    CPolyline* polyline = FindPolyline();
    CListRowData* data = m_list.GetRowData(row);
    CVertexRecord* vertex = VertexOfRow(polyline, row);
    if (!data || !vertex)
        return 0;
    RecordPoint(opProperties, vertex->GetPoint());
    if (!BeginChange(EDSH_POINT, polyline, vertex)) {
        CloseUndoOperation(false);
        return 0;
    }
    if (entry == kColor) {
        ChooseColour(polyline, row, column, cell);
        return 0;
    }
    // The line pattern's answer comes later (kResultMessage, the row as cookie).
    m_linePatternPending = true;
    if (!m_linePopup.Show(m_hWnd, static_cast<int>(data->GetColour(column)), POINT{cell.right - 100, cell.bottom}, row)) {
        m_linePatternPending = false;
        CancelChange(polyline);
        CloseUndoOperation(false);
    }
    return 0;
}

void CVerticesDialog::ChooseColour(CPolyline* polyline, int row, int column, const RECT& cell)
{
    CVertexRecord* vertex = VertexOfRow(polyline, row);
    const DWORD old = vertex->color;
    BOOL unused = FALSE;
    const COLORREF resolved = static_cast<COLORREF>(HandleResolveColour(0, old, 0, unused));
    // The polyline's own colour is offered as "ByPolyline".
    const COLORREF chosen = m_list.ChooseColor(old, cell.left, cell.bottom, resolved, CColorPopupMenu::kByPolyline);
    // The menu ran its own loop: the vertex is looked up again.
    polyline = FindPolyline();
    vertex = VertexOfRow(polyline, row);
    if (!vertex || chosen == old) {
        // Nothing chosen ends the begun change as a cancelled one.
        CancelChange(polyline);
        CloseUndoOperation(false);
        return;
    }
    vertex->color = chosen;
    if (!CommitChange(vertex, polyline, EDSH_POINT)) {
        vertex->color = old;
        CloseUndoOperation(false);
        return;
    }
    CloseUndoOperation(true);
    if (CListRowData* data = m_list.GetRowData(row)) {
        data->SetColour(column, chosen);
        data->SetText(column, (chosen & kByBlockColour) ? "ByPolyline" : "");
    }
    ListView_RedrawItems(m_list.GetHandle(), row, row);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
}

LRESULT CVerticesDialog::HandleLinePatternChosen(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    const int row = static_cast<int>(lParam);
    CPolyline* polyline = FindPolyline();
    // An answer whose drop-down went already ends the change it began, cancelled; the drop-down
    // losing the focus as it goes reports once more, when nothing is pending.
    const bool pending = m_linePatternPending;
    m_linePatternPending = false;
    if (!m_linePopup.IsWindow()) {
        if (pending) {
            CancelChange(polyline);
            CloseUndoOperation(false);
        }
        return 0;
    }
    if (!pending) {
        m_linePopup.Destroy();
        return 0;
    }
    CVertexRecord* vertex = VertexOfRow(polyline, row);
    const bool chosen = index >= 0 && index < m_linePopup.GetList().GetCount();
    const int pattern = chosen ? static_cast<int>(m_linePopup.GetList().GetItemData(index)) : 0;
    if (!vertex || !chosen || pattern == vertex->lineType) {
        CancelChange(polyline);
        CloseUndoOperation(false);
        m_linePopup.Destroy();
        return 0;
    }
    ListView_RedrawItems(m_list.GetHandle(), row, row);
    const int old = vertex->lineType;
    vertex->lineType = pattern;
    if (!CommitChange(vertex, polyline, EDSH_POINT)) {
        vertex->lineType = old;
        m_linePopup.Destroy();
        CloseUndoOperation(false);
        return 0;
    }
    const int column = m_columns[kLinePattern];
    if (CListRowData* data = m_list.GetRowData(row))
        data->SetColour(column, static_cast<COLORREF>(pattern));
    SetCell(row, kLinePattern, LinePatternText(pattern));
    CloseUndoOperation(true);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    m_linePopup.Destroy();
    return 0;
}
