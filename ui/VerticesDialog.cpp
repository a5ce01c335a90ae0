#include "ui/VerticesDialog.h"
#include <cstdio>
#include <cstring>
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/Polyline.h"
#include "model/PointRecord.h"
#include "model/VertexRecord.h"
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

CVerticesDialog::~CVerticesDialog() = default;

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
    std::string patternText;
    if (pattern == kLineByLayer) {
        patternText = "ByLayer";
    } else if (pattern != kLineByBlock) {
        const CLineType* type = m_control ? m_control->GetLineTypeMap().Find(pattern) : nullptr;
        if (type && type->GetName())
            patternText = type->GetName();
        else
            pattern = kLineByBlock;
    }
    if (pattern == kLineByBlock)
        patternText = "ByPolyline";
    if (m_columns[kLinePattern] >= 0)
        data->SetColour(m_columns[kLinePattern], static_cast<COLORREF>(pattern));
    SetCell(row, kLinePattern, patternText);

    SetCell(row, kBulge, Number(vertex.bulge));
    const float weight = vertex.startWidth > vertex.endWidth ? vertex.startWidth : vertex.endWidth;
    SetCell(row, kPenWeight, weight == -1.0f ? std::string("ByPolyline") : Number(weight));
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
        fillet = rows >= 2 && selected > 1;
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
    if (id == IDC_RADIUS && HIWORD(wParam) == EN_UPDATE && !m_filling) {
        char text[101] = "";
        GetDlgItemTextA(m_hWnd, IDC_RADIUS, text, sizeof text);
        const float radius = static_cast<float>(std::atof(text));
        if (radius != m_radius && (radius == 0.0f || m_radius == 0.0f))
            UpdateButtons(true, false, -1);
        m_radius = radius;
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
    DeleteAllRows();
    if (m_control) {
        if (m_control->EventsEnabled())
            m_control->RestartRedrawTimer(0);
        m_control->Redraw(rfRedrawSelection);
    }
    GetWindowRect(m_hWnd, &m_lastRect);
    char text[101] = "";
    GetDlgItemTextA(m_hWnd, IDC_RADIUS, text, sizeof text);
    m_radius = static_cast<float>(std::atof(text));
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
