#include "ui/CellListView.h"
#include "com/Module.h"
#include "control/InPlaceEdit.h"
#include "ui/ColorPopupMenu.h"
#include "ui/resource.h"
#include <vector>

namespace {

// The signed client coordinates of a mouse message.
int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

constexpr COLORREF kEditRowText = 0xFF0000;
constexpr COLORREF kGreyBackground = 0xEBEBEB;
constexpr COLORREF kDarkBackground = 0x969696;
constexpr COLORREF kSpecialTextColour = 0x5000;
constexpr COLORREF kColourFlags = CColorPopupMenu::kByLayerColour | CColorPopupMenu::kByBlockColour;

const std::string kNoText;

// A frame of two colours: the first on the top and left edges, the second on the bottom and right.
void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    auto line = [dc](int x, int y, int w, int h, COLORREF c) {
        const RECT piece = {x, y, x + w, y + h};
        SetBkColor(dc, c);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &piece, nullptr, 0, nullptr);
    };
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    line(r.left, r.top, w - 1, 1, topLeft);
    line(r.left, r.top, 1, h - 1, topLeft);
    line(r.right - 1, r.top, 1, h, bottomRight);
    line(r.left, r.bottom - 1, w, 1, bottomRight);
}

} // namespace

const std::string& CListRowData::GetText(int column) const
{
    auto found = cells.find(column);
    return found == cells.end() ? kNoText : found->second.text;
}

COLORREF CListRowData::GetColour(int column) const
{
    auto found = cells.find(column);
    return found == cells.end() ? 0 : found->second.colour;
}

CCellListView::CCellListView() = default;

CCellListView::~CCellListView()
{
    if (m_hWnd && ::IsWindow(m_hWnd) && m_images)
        SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    if (m_images)
        ImageList_Destroy(m_images);
}

bool CCellListView::Attach(HWND list)
{
    if (!SubclassWindow(list))
        return false;
    if (!m_images) {
        m_images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 7, 1);
        HBITMAP strip = static_cast<HBITMAP>(LoadImageA(ycom::TheModule().ResourceInstance(),
                                                        MAKEINTRESOURCEA(IDB_CELL_IMAGES), IMAGE_BITMAP, 0, 0, 0));
        if (m_images && strip)
            ImageList_AddMasked(m_images, strip, 0xFFFFFF);
        if (strip)
            DeleteObject(strip);
    }
    // The list keeps the pictures but does not own them: they go with this object.
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, GetWindowLongPtrA(m_hWnd, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SendMessageA(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_images));
    return true;
}

// --- Cells -------------------------------------------------------------------------------------

void CCellListView::SetColumnKind(int column, int kind)
{
    if (column < 0 || column >= 32)
        return;
    const DWORD bit = 1u << column;
    switch (kind) {
    case kTextColumn:
        m_checkColumns &= ~bit;
        m_colourColumns &= ~bit;
        break;
    case kCheckColumn: m_checkColumns |= bit; break;
    case kColourColumn: m_colourColumns |= bit; break;
    case kDropDownColumn:
        m_dropDownColumns |= bit;
        m_checkColumns &= ~bit;
        break;
    default:
        m_checkColumns &= ~bit;
        m_colourColumns &= ~bit;
        m_dropDownColumns &= ~bit;
        break;
    }
}

int CCellListView::GetColumnKind(int column) const
{
    if (column < 0 || column >= 32)
        return kTextColumn;
    const DWORD bit = 1u << column;
    if (m_checkColumns & bit)
        return kCheckColumn;
    if (m_colourColumns & bit)
        return kColourColumn;
    if (m_dropDownColumns & bit)
        return kDropDownColumn;
    return kTextColumn;
}

CListRowData* CCellListView::GetRowData(int row) const
{
    if (!m_hWnd || row < 0)
        return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<CListRowData*>(item.lParam);
}

int CCellListView::GetCheck(int row, int column) const
{
    if (column < 0 || column >= 32 || !(m_checkColumns & (1u << column)))
        return -2;
    const CListRowData* data = GetRowData(row);
    if (!data)
        return -2;
    const DWORD bit = 1u << column;
    if (data->indeterminateBits & bit)
        return -1;
    return (data->checkBits & bit) ? 1 : 0;
}

void CCellListView::SetCheck(int row, int column, int state)
{
    if (GetCheck(row, column) == -2 || (state != 0 && state != 1))
        return;
    CListRowData* data = GetRowData(row);
    const DWORD bit = 1u << column;
    if (state)
        data->checkBits |= bit;
    else
        data->checkBits &= ~bit;
    InvalidateCell(row, column);
}

int CCellListView::ToggleCheck(int row, int column)
{
    const int state = GetCheck(row, column);
    if (state < 0)
        return state;
    SetCheck(row, column, state ? 0 : 1);
    return state ? 0 : 1;
}

// --- Style, header, sorting --------------------------------------------------------------------

void CCellListView::SetReportStyle()
{
    if (!m_hWnd)
        return;
    LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(LVS_EDITLABELS | 0x2)) | LVS_REPORT;
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;
    SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
}

bool CCellListView::EnableHeaderButtons(bool enable)
{
    HWND header = m_hWnd ? reinterpret_cast<HWND>(SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0)) : nullptr;
    if (!header)
        return false;
    const LONG_PTR style = GetWindowLongPtrA(header, GWL_STYLE);
    EnableWindow(header, enable ? TRUE : FALSE);
    SetWindowLongPtrA(header, GWL_STYLE, enable ? (style | HDS_BUTTONS) : (style & ~static_cast<LONG_PTR>(HDS_BUTTONS)));
    return (style & HDS_BUTTONS) != 0;
}

void CCellListView::Sort(int column, PFNLVCOMPARE compare)
{
    if (!m_hWnd || column < 0)
        return;
    auto setImage = [this](int col, int image) {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT;
        if (!SendMessageA(m_hWnd, LVM_GETCOLUMNA, col, reinterpret_cast<LPARAM>(&info)))
            return;
        const int imageFlags = LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT | LVCFMT_COL_HAS_IMAGES;
        info.mask = LVCF_FMT | LVCF_IMAGE;
        info.fmt = image < 0 ? (info.fmt & ~imageFlags) : (info.fmt | imageFlags);
        info.iImage = image < 0 ? 0 : image;
        SendMessageA(m_hWnd, LVM_SETCOLUMNA, col, reinterpret_cast<LPARAM>(&info));
    };
    if (column == m_sortColumn) {
        m_sortAscending = !m_sortAscending;
    } else {
        if (m_sortColumn >= 0)
            setImage(m_sortColumn, -1);
        m_sortColumn = column;
        m_sortAscending = true;
    }
    setImage(column, m_sortAscending ? kImageSortUp : kImageSortDown);
    if (compare)
        SendMessageA(m_hWnd, LVM_SORTITEMS, MAKELPARAM(column, m_sortAscending ? 0 : 1),
                     reinterpret_cast<LPARAM>(compare));
}

std::unique_ptr<CInPlaceEdit> CCellListView::OpenEditor(int row, int column, const char* text, bool numeric)
{
    auto editor = std::make_unique<CInPlaceEdit>(row, column, nullptr, text, true, numeric);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL;
    if (!editor->Create(m_hWnd, RECT{0, 0, 10, 10}, style, IDC_CELL_EDITOR, false))
        return nullptr;
    if (!PlaceEditor(editor->GetHandle(), row, column)) {
        editor->Destroy();
        return nullptr;
    }
    editor->AutoSize();
    return editor;
}

// --- Colours -----------------------------------------------------------------------------------

COLORREF CCellListView::ChooseColor(COLORREF colour, int x, int y, COLORREF resolved, DWORD specialMask)
{
    m_popup = std::make_unique<CColorPopupMenu>();
    const COLORREF check = (resolved & CColorPopupMenu::kByLayerColour) ? colour : resolved;
    COLORREF result = colour;
    if (m_popup->Build(colour, check, specialMask) && m_popup->Track(TPM_RETURNCMD | TPM_NONOTIFY, x, y, m_hWnd))
        result = m_popup->GetChosenColor();
    m_popup.reset();
    return result;
}

COLORREF CCellListView::ResolveColour(COLORREF colour, int row, int column)
{
    if (colour & kColourFlags)
        colour = static_cast<COLORREF>(SendMessageA(GetParent(m_hWnd), kResolveColour, colour,
                                                    static_cast<LPARAM>(((row + 1) << 16) | column)));
    if (colour & 0x80000000)
        return GetSysColor(static_cast<int>(colour & 0xFF));
    return colour & 0xFFFFFF;
}

// --- Geometry ----------------------------------------------------------------------------------

int CCellListView::RowCount() const
{
    return m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CCellListView::GetColumnCount() const
{
    HWND header = m_hWnd ? reinterpret_cast<HWND>(SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0)) : nullptr;
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CCellListView::SelectedRow() const
{
    return m_hWnd ? static_cast<int>(SendMessageA(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void CCellListView::SelectRow(int row)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageA(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(m_hWnd, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, row, FALSE);
}

bool CCellListView::CellRect(int row, int column, RECT* rect) const
{
    if (!m_hWnd || row < 0 || column < 0 || column >= GetColumnCount())
        return false;
    RECT r = {};
    r.top = column;
    r.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    if (!SendMessageA(m_hWnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r)))
        return false;
    *rect = r;
    return true;
}

void CCellListView::InvalidateCell(int row, int column)
{
    RECT r;
    if (CellRect(row, column, &r))
        InvalidateRect(m_hWnd, &r, FALSE);
}

bool CCellListView::CanEditRow(int row) const
{
    if (m_editRow == kNoRow || row < 0)
        return false;
    if (m_editRow >= 0 && row != m_editRow)
        return false;
    const CListRowData* data = GetRowData(row);
    return !(data && (data->flags & CListRowData::kLockedRow));
}

int CCellListView::MoveColumn(int column, int step) const
{
    const int count = GetColumnCount();
    if (count <= 0)
        return -1;
    std::vector<int> order(static_cast<size_t>(count));
    if (!SendMessageA(m_hWnd, LVM_GETCOLUMNORDERARRAY, count, reinterpret_cast<LPARAM>(order.data())))
        for (int i = 0; i < count; ++i)
            order[static_cast<size_t>(i)] = i;
    int position = -1;
    for (int i = 0; i < count; ++i)
        if (order[static_cast<size_t>(i)] == column)
            position = i;
    position += step;
    if (position < 0)
        return -1;
    if (position >= count)
        position = count - 1;
    return order[static_cast<size_t>(position)];
}

bool CCellListView::PlaceEditor(HWND editor, int row, int column)
{
    if (!m_hWnd || !editor || row < 0)
        return false;
    SendMessageA(m_hWnd, LVM_ENSUREVISIBLE, row, FALSE);
    RECT item = {};
    item.left = LVIR_BOUNDS;
    if (!SendMessageA(m_hWnd, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)))
        return false;
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (item.bottom <= client.top || item.top >= client.bottom)
        return false;
    HWND header = reinterpret_cast<HWND>(SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0));
    if (!header || column < 0 || column >= GetColumnCount())
        return false;
    // The column's place comes from the header, which knows the order the user dragged them in.
    RECT cell = {};
    if (!SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&cell)))
        return false;
    if (cell.right - cell.left < 5)
        return false;
    cell.left += item.left;
    cell.right += item.left;
    if (cell.left < client.left || cell.right > client.right) {
        const int shift = cell.left < client.left ? cell.left - client.left : cell.right - client.right;
        SendMessageA(m_hWnd, LVM_SCROLL, shift, 0);
        cell.left -= shift;
        cell.right -= shift;
    }
    if (column == 0)
        cell.left += 13;
    cell.left += 4;
    cell.right -= 3;
    if (cell.left < client.left)
        cell.left = client.left;
    if (cell.right > client.right)
        cell.right = client.right;
    if (cell.right <= cell.left)
        return false;
    MoveWindow(editor, cell.left, item.top, cell.right - cell.left, item.bottom - item.top, TRUE);
    return true;
}

// --- Requests to the parent --------------------------------------------------------------------

void CCellListView::NotifyBeginEdit(int row, int column, bool toggle)
{
    char text[512] = "";
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = m_hWnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd));
    info.hdr.code = LVN_BEGINLABELEDITA;
    info.item.iItem = row;
    info.item.iSubItem = column;
    if (toggle) {
        info.item.mask = LVIF_PARAM;
        info.item.lParam = reinterpret_cast<LPARAM>(GetRowData(row));
    } else {
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = text;
        cell.cchTextMax = static_cast<int>(sizeof text);
        SendMessageA(m_hWnd, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        info.item.mask = LVIF_TEXT;
        info.item.pszText = text;
        info.item.cchTextMax = static_cast<int>(sizeof text);
    }
    SendMessageA(GetParent(m_hWnd), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}

void CCellListView::RequestPopup(int row, int column) { PostMessageA(GetParent(m_hWnd), kPopupRequest, row, column); }

// --- Mouse and keys ----------------------------------------------------------------------------

LRESULT CCellListView::HandleLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    LVHITTESTINFO hit = {};
    hit.pt.x = PointX(lParam);
    hit.pt.y = PointY(lParam);
    SendMessageA(m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int row = hit.iItem;
    const int column = hit.iSubItem;
    if (row < 0) {
        handled = FALSE;
        return 0;
    }
    const CListRowData* data = GetRowData(row);
    // A row that cannot be selected takes no click at all.
    if (data && (data->flags & CListRowData::kLockedRow))
        return 0;
    if (!CanEditRow(row)) {
        handled = FALSE;
        return 0;
    }
    const bool second = row == SelectedRow() && column == m_focusedColumn && GetFocus() == m_hWnd;
    const int oldRow = m_currentRow;
    const int oldColumn = m_focusedColumn;
    m_focusedColumn = column;
    m_currentRow = row;
    const LRESULT result = DefaultProc(msg, wParam, lParam);
    const int kind = GetColumnKind(column);
    if (kind == kCheckColumn) {
        if (GetCheck(row, column) >= 0)
            NotifyBeginEdit(row, column, true);
    } else if (second) {
        if (kind == kTextColumn) {
            if (column != 0 || (hit.flags & LVHT_ONITEMLABEL))
                NotifyBeginEdit(row, column, false);
        } else {
            RECT cell;
            if (CellRect(row, column, &cell) && hit.pt.x >= cell.right - (cell.bottom - cell.top))
                RequestPopup(row, column);
        }
    }
    InvalidateCell(oldRow, oldColumn);
    InvalidateCell(row, column);
    return result;
}

LRESULT CCellListView::HandleKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const int row = m_currentRow;
    switch (wParam) {
    case VK_SPACE:
        if (CanEditRow(row) && GetColumnKind(m_focusedColumn) == kCheckColumn) {
            if (GetCheck(row, m_focusedColumn) >= 0)
                NotifyBeginEdit(row, m_focusedColumn, true);
            return 0;
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (CanEditRow(row)) {
            const int old = m_focusedColumn;
            m_focusedColumn = MoveColumn(m_focusedColumn, wParam == VK_LEFT ? -1 : 1);
            InvalidateCell(row, old);
            InvalidateCell(row, m_focusedColumn);
            return 0;
        }
        break;
    case VK_UP:
    case VK_DOWN: {
        const int step = wParam == VK_UP ? -1 : 1;
        const int from = SelectedRow() >= 0 ? SelectedRow() : row;
        int next = from + step;
        const CListRowData* data = GetRowData(next);
        if (data && (data->flags & CListRowData::kLockedRow))
            next += step;
        if (next >= 0 && next < RowCount()) {
            const int old = m_currentRow;
            SelectRow(next);
            m_currentRow = next;
            InvalidateCell(old, m_focusedColumn);
            InvalidateCell(next, m_focusedColumn);
        }
        return 0;
    }
    case VK_F2:
        if (CanEditRow(row) && m_focusedColumn >= 0 && GetColumnKind(m_focusedColumn) == kTextColumn) {
            NotifyBeginEdit(row, m_focusedColumn, false);
            return 0;
        }
        break;
    default: break;
    }
    handled = FALSE;
    return 0;
}

LRESULT CCellListView::HandleSysKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const int kind = GetColumnKind(m_focusedColumn);
    if (wParam == VK_DOWN && m_focusedColumn >= 0 && (kind == kColourColumn || kind == kDropDownColumn) &&
        CanEditRow(m_currentRow)) {
        RequestPopup(m_currentRow, m_focusedColumn);
        return 0;
    }
    handled = FALSE;
    return 0;
}

LRESULT CCellListView::HandleScroll(UINT, WPARAM, LPARAM, BOOL& handled)
{
    // An editor over a cell loses the focus (and ends) before the cells move.
    if (GetFocus() != m_hWnd)
        SetFocus(m_hWnd);
    handled = FALSE;
    return 0;
}

// --- The colour popup's items ------------------------------------------------------------------

LRESULT CCellListView::HandleMenuDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (wParam != 0 || !m_popup) {
        handled = FALSE;
        return 0;
    }
    DefaultProc(msg, wParam, lParam);
    m_popup->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

LRESULT CCellListView::HandleMenuMeasureItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (wParam != 0 || !m_popup) {
        handled = FALSE;
        return 0;
    }
    m_popup->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), m_rowHeight > 0 ? static_cast<UINT>(m_rowHeight) : 0);
    return TRUE;
}

// --- Reflected notifications -------------------------------------------------------------------

LRESULT CCellListView::HandleReflectedNotify(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == m_hWnd) {
        switch (header->code) {
        case NM_CUSTOMDRAW: return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        case LVN_ITEMCHANGING: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (change->iItem >= 0 && (change->uChanged & LVIF_STATE) &&
                (change->uNewState & (LVIS_SELECTED | LVIS_FOCUSED))) {
                const CListRowData* data = GetRowData(change->iItem);
                if (data && (data->flags & CListRowData::kLockedRow)) {
                    SendMessageA(m_hWnd, LVM_SETSELECTIONMARK, 0, -1);
                    return TRUE;
                }
            }
            break;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (change->iItem >= 0 && (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_FOCUSED) &&
                CanEditRow(change->iItem))
                m_currentRow = change->iItem;
            break;
        }
        default: break;
        }
    }
    return DefWindowProcA(m_hWnd, msg - OCM__BASE, wParam, lParam);
}

LRESULT CCellListView::HandleReflectedMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measure && m_rowHeight > 0)
        measure->itemHeight = static_cast<UINT>(m_rowHeight);
    return TRUE;
}

LRESULT CCellListView::HandleOtherReflected(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return DefWindowProcA(m_hWnd, msg - OCM__BASE, wParam, lParam);
}

LRESULT CCellListView::CustomDraw(NMLVCUSTOMDRAW* draw)
{
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: break;
    default: return CDRF_DODEFAULT;
    }
    const int row = static_cast<int>(draw->nmcd.dwItemSpec);
    const int column = draw->iSubItem;
    const CListRowData* data = GetRowData(row);
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF back = GetSysColor(COLOR_WINDOW);
    if (m_editRow >= 0) {
        if (row == m_editRow)
            text = kEditRowText;
        else
            back = kGreyBackground;
    }
    if (data) {
        if (data->flags & CListRowData::kSpecialText)
            text = kSpecialTextColour;
        if (data->flags & CListRowData::kGreyRow)
            back = kGreyBackground;
        if (data->flags & CListRowData::kDarkRow)
            back = kDarkBackground;
    }
    const bool selected = (SendMessageA(m_hWnd, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (selected) {
        text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        back = GetSysColor(COLOR_HIGHLIGHT);
    }
    draw->clrText = text;
    draw->clrTextBk = back;
    const int kind = GetColumnKind(column);
    const bool focused = row == m_currentRow && column == m_focusedColumn && m_focusedColumn >= 0;
    if (kind == kTextColumn && !focused)
        return CDRF_NEWFONT;

    RECT cell;
    if (!CellRect(row, column, &cell))
        return CDRF_DODEFAULT;
    HDC dc = draw->nmcd.hdc;
    const int saved = SaveDC(dc);
    if (focused) {
        text = GetSysColor(COLOR_BTNTEXT);
        if (column != 0) {
            SIZE blank = {};
            GetTextExtentPoint32A(dc, " ", 1, &blank);
            cell.right -= blank.cx;
        }
        FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
        Frame3d(dc, cell, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE));
        RECT inner = cell;
        InflateRect(&inner, -1, -1);
        Frame3d(dc, inner, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    } else {
        SetBkColor(dc, back);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    }
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    const std::string& cellText = data ? data->GetText(column) : kNoText;
    switch (kind) {
    case kCheckColumn: {
        const int state = GetCheck(row, column);
        const int image = state + 1;  // an indeterminate cell (-1) draws picture 0
        const int x = (cell.left + cell.right) / 2 - 8;
        const int y = (cell.top + cell.bottom) / 2 - 8;
        if (image >= 0)
            ImageList_Draw(m_images, image, dc, x, y, ILD_TRANSPARENT);
        break;
    }
    case kColourColumn: {
        const COLORREF colour = ResolveColour(data ? data->GetColour(column) : 0, row, column);
        DrawColorItem(dc, cell, colour, cellText.c_str());
        break;
    }
    case kDropDownColumn: {
        const int side = cell.bottom - cell.top;
        RECT arrow = {cell.right - side, cell.top, cell.right, cell.bottom};
        RECT label = cell;
        label.left += 2;
        label.right = arrow.left;
        DrawTextA(dc, cellText.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
        break;
    }
    default: {
        char buffer[512] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = static_cast<int>(sizeof buffer);
        SendMessageA(m_hWnd, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        RECT label = cell;
        label.left += 2;
        DrawTextA(dc, buffer, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        break;
    }
    }
    RestoreDC(dc, saved);
    return CDRF_SKIPDEFAULT;
}
