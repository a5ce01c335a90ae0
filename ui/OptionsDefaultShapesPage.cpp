#include "ui/OptionsDefaultShapesPage.h"
#include "control/DialogLists.h"
#include "control/YVEXControl.h"
#include "ui/OptionsSheet.h"
#include <string>

namespace {

// The kinds that have no page of their own here: the placeholder kind, and the kinds whose shapes
// are not drawn one by one (curves, groups, layers, references, polygons, hatches).
bool IsListedKind(long kind)
{
    switch (kind) {
    case stDummy:
    case stCurve:
    case stGroup:
    case stLayer:
    case stReference:
    case stPolygon:
    case stHatch: return false;
    default: return true;
    }
}

} // namespace

COptionsDefaultShapesPage::COptionsDefaultShapesPage() : COptionsPage(IDD_OPTIONS_DEFAULT_SHAPES) {}

int COptionsDefaultShapesPage::DefaultShapeIdOf(int kind)
{
    switch (kind) {
    case stDummy: return DEFAULT_SHAPE_ID;
    case stLine: return DEFAULT_LINE_ID;
    case stRectangle: return DEFAULT_RECTANGLE_ID;
    case stArc: return DEFAULT_ARC_ID;
    case stCircle: return DEFAULT_CIRCLE_ID;
    case stEllipse: return DEFAULT_ELLIPSE_ID;
    case stPolyline: return DEFAULT_POLYLINE_ID;
    case stImage: return DEFAULT_IMAGE_ID;
    case stText: return DEFAULT_TEXT_ID;
    case stPolygon: return DEFAULT_POLYGON_ID;
    default: return 0;
    }
}

bool COptionsDefaultShapesPage::IsDrawingEditable() const
{
    return m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet();
}

BOOL COptionsDefaultShapesPage::OnInitPage()
{
    m_list = GetItem(IDC_LIST);
    if (!m_control || !m_list)
        return TRUE;
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client = {};
    ::GetClientRect(m_list, &client);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = client.right - client.left;
    char title[] = "Default shapes";
    column.pszText = title;
    SendMessageA(m_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    std::vector<long> values;
    std::vector<std::string> names;
    GetTypeLibEnumMembers(static_cast<IYVEXControl*>(m_control), "ShapeTypes", &values, &names);
    for (size_t i = 0; i < values.size() && i < names.size(); ++i) {
        if (!IsListedKind(values[i]))
            continue;
        // "stLine" shows as "Line".
        std::string text = names[i].size() > 2 ? names[i].substr(2) : std::string();
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = &text[0];
        item.lParam = values[i];
        const int row = static_cast<int>(SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        VARIANT_BOOL enabled = VARIANT_FALSE;
        m_control->IsDefaultShapeEnabled(static_cast<ShapeTypes>(values[i]), &enabled);
        if (row >= 0)
            ListView_SetCheckState(m_list, row, enabled != VARIANT_FALSE);
    }
    EnableEditing(IsDrawingEditable());
    return TRUE;
}

void COptionsDefaultShapesPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    if (m_hWnd && ::IsWindow(m_hWnd))
        EnableWindow(GetItem(IDC_INSERT), enable ? TRUE : FALSE);
}

LONG COptionsDefaultShapesPage::OnApply()
{
    if (!m_list || !IsDrawingEditable())
        return PSNRET_NOERROR;
    const int count = ListView_GetItemCount(m_list);
    for (int row = 0; row < count; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            continue;
        const bool checked = ListView_GetCheckState(m_list, row) != FALSE;
        m_control->EnableDefaultShape(static_cast<ShapeTypes>(item.lParam), checked ? VARIANT_TRUE : VARIANT_FALSE);
    }
    return PSNRET_NOERROR;
}

int COptionsDefaultShapesPage::SelectedKind() const
{
    const int row = m_list ? ListView_GetNextItem(m_list, -1, LVNI_SELECTED) : -1;
    if (row < 0)
        return -1;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return static_cast<int>(item.lParam);
}

void COptionsDefaultShapesPage::CloseSheet()
{
    SendMessageA(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (HWND window = m_control->GetControlWindow())
        SetFocus(window);
}

LRESULT COptionsDefaultShapesPage::HandleInsert(UINT, WPARAM, LPARAM, BOOL&)
{
    const int kind = SelectedKind();
    if (!m_control || kind < 0)
        return 0;
    // Closing runs Apply, which may switch the kind's default: its state is read after it.
    CloseSheet();
    VARIANT_BOOL enabled = VARIANT_FALSE;
    m_control->IsDefaultShapeEnabled(static_cast<ShapeTypes>(kind), &enabled);
    if (auto* sheet = dynamic_cast<COptionsSheet*>(m_control->GetOptionsSheet()))
        sheet->KeepDefaultShapeState(kind, enabled != VARIANT_FALSE);
    m_control->EnableDefaultShape(static_cast<ShapeTypes>(kind), VARIANT_TRUE);
    m_control->DrawShape(0, kind, 0);
    return 0;
}

LRESULT COptionsDefaultShapesPage::HandleEdit(UINT, WPARAM, LPARAM, BOOL&)
{
    const int kind = SelectedKind();
    if (!m_control || kind < 0)
        return 0;
    CloseSheet();
    m_control->EditShape(DefaultShapeIdOf(kind), EDSH_BLOCK, 0);
    return 0;
}
