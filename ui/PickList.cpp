#include "ui/PickList.h"
#include "ui/resource.h"

bool CPickList::Attach(HWND window)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (!SubclassWindow(window))
        return false;
    m_combo = lstrcmpiA(name, "ComboBox") == 0;
    return true;
}

int CPickList::GetCurSel() const
{
    if (!m_hWnd)
        return -1;
    if (m_combo)
        return static_cast<int>(SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0));
    return static_cast<int>(SendMessageA(m_hWnd, LVM_GETSELECTIONMARK, 0, 0));
}

LPARAM CPickList::GetItemData(int index) const
{
    if (!m_hWnd || index < 0)
        return 0;
    // A combo box answers CB_ERR (-1) for a missing entry, which is also the None entry's ID.
    if (m_combo)
        return SendMessageA(m_hWnd, CB_GETITEMDATA, index, 0);
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

LPARAM CPickList::GetSelectedId() const { return GetItemData(GetCurSel()); }

int CPickList::AddEntry(int id, const char* text, bool select)
{
    if (!m_hWnd)
        return -1;
    if (m_combo) {
        const LRESULT index = SendMessageA(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : ""));
        if (index < 0)
            return -1;
        SendMessageA(m_hWnd, CB_SETITEMDATA, index, id);
        if (select)
            SendMessageA(m_hWnd, CB_SETCURSEL, index, 0);
        return static_cast<int>(index);
    }
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = GetCount();
    item.pszText = const_cast<char*>(text ? text : "");
    item.lParam = id;
    const int index = static_cast<int>(SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index >= 0 && select) {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(m_hWnd, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
        SendMessageA(m_hWnd, LVM_SETSELECTIONMARK, 0, index);
    }
    return index;
}

void CPickList::RemoveAll()
{
    if (m_hWnd)
        SendMessageA(m_hWnd, m_combo ? CB_RESETCONTENT : LVM_DELETEALLITEMS, 0, 0);
}

int CPickList::GetCount() const
{
    if (!m_hWnd)
        return 0;
    return static_cast<int>(SendMessageA(m_hWnd, m_combo ? CB_GETCOUNT : LVM_GETITEMCOUNT, 0, 0));
}

std::string CPickList::SpecialText(int id)
{
    UINT stringId = 0;
    if (id == kByLayerId)
        stringId = IDS_BY_LAYER;
    else if (id == kByBlockId)
        stringId = IDS_BY_BLOCK;
    else if (id <= 0)
        stringId = IDS_NONE;
    else
        return std::string();
    char text[64] = "";
    ycom::LoadResourceString(stringId, text, static_cast<int>(sizeof text));
    std::string framed = " ";
    framed += text;
    if (framed.size() < 29)
        framed += ' ';
    return framed;
}

bool CPickList::AddSpecialItem(int id, bool select)
{
    const std::string text = SpecialText(id);
    if (text.empty())
        return false;
    return AddEntry(id, text.c_str(), select) >= 0;
}

bool CPickList::FillSpecials(int currentId)
{
    RemoveAll();
    bool added = false;
    if (m_none)
        added |= AddSpecialItem(kNoneId, currentId < 1);
    if (m_byLayer) {
        added |= AddSpecialItem(kByLayerId, currentId == kByLayerId);
        added |= AddSpecialItem(kByBlockId, currentId == kByBlockId);
    }
    return added;
}

LRESULT CPickList::HandleFill(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (!CanFill())
        return 0;
    if (!m_combo && !m_columnInserted) {
        char name[64] = "Name";
        ycom::LoadResourceString(IDS_NAME_COLUMN, name, static_cast<int>(sizeof name));
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = name;
        column.cx = m_columnWidth;
        if (SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)) >= 0)
            m_columnInserted = true;
    }
    return Fill(static_cast<int>(wParam)) ? 1 : 0;
}
