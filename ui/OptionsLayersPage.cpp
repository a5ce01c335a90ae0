#include "ui/OptionsLayersPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/IncludedSite.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/HighlightGroup.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/NameRules.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/ColorPopupMenu.h"
#include "ui/CustomMessageBox.h"
#include "ui/OptionsSheet.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

void RemoveRedundantMenuSeparators(HMENU menu);

namespace {

constexpr const char* kCurrentLayerWarning = "The current layer must have the On and Select options set on.";
constexpr const char* kContainsShapes = "This layer can't be deleted as it contains shapes.";
constexpr const char* kUsedInSettings = "This layer can't be deleted while used in drawing settings.";
// The check bits of the On, Enable and Select columns in a row record.
constexpr DWORD kOnBit = 1u << COptionsLayersPage::kOn;
constexpr DWORD kEnableBit = 1u << COptionsLayersPage::kEnable;
constexpr DWORD kSelectBit = 1u << COptionsLayersPage::kSelect;
// A row of a layer that comes from an included site: drawn grey, read-only.
constexpr DWORD kForeignRow = CListRowData::kGreyRow;
constexpr int kByLayer = 0x4000;
constexpr int kByBlock = 0x8000;

struct ColumnInfo {
    UINT text;
    const char* fallback;
    int width;
    int kind;
};
const ColumnInfo kColumns[] = {
    {IDS_NAME_COLUMN, "Name", 90, CCellListView::kTextColumn},
    {IDS_LAYER_ON_COLUMN, "On", 30, CCellListView::kCheckColumn},
    {IDS_LAYER_ENABLE_COLUMN, "Enable", 40, CCellListView::kCheckColumn},
    {IDS_LAYER_SELECT_COLUMN, "Select", 35, CCellListView::kCheckColumn},
    {IDS_LAYER_COLOR_COLUMN, "Color", 70, CCellListView::kColourColumn},
    {IDS_LAYER_LINE_TYPE_COLUMN, "Line Type", 70, CCellListView::kDropDownColumn},
    {IDS_LAYER_HATCH_COLOR_COLUMN, "Hatch Color", 70, CCellListView::kColourColumn},
    {IDS_LAYER_HATCH_TYPE_COLUMN, "Hatch Type", 70, CCellListView::kDropDownColumn},
    {IDS_SITE_NAME_COLUMN, "Site Name", 90, CCellListView::kTextColumn},
};

std::string HeaderText(int column)
{
    char text[1024] = "";
    if (!ycom::LoadResourceString(kColumns[column].text, text, sizeof text))
        return kColumns[column].fallback;
    return text;
}

bool IsSelectableByFlags(CShape* layer) { return !layer->HasState(CShape::stNotSelectable); }
bool IsOn(CShape* layer) { return layer->IsVisible(); }
bool IsLayerEnabled(CShape* layer) { return layer->HasState(CShape::stEnabled); }

int CompareNames(const std::string& a, const std::string& b)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string Format(const char* pattern, const std::string& a)
{
    std::vector<char> text(a.size() + 512);
    std::snprintf(text.data(), text.size(), pattern, a.c_str());
    return text.data();
}

} // namespace

COptionsLayersPage::COptionsLayersPage() : COptionsPage(IDD_OPTIONS_LAYERS)
{
    m_lineTypePopup.SetSize(125, 200);
    m_hatchTypePopup.SetSize(105, 200);
    m_hatchTypePopup.Patterns().SetColumnWidth(85);
    m_hatchTypePopup.Patterns().SetNoneEntry(true);
    m_hatchTypePopup.Patterns().SetByLayerEntries(true);
    m_lineTypePopup.Types().SetByLayerEntries(true);
}

COptionsLayersPage::~COptionsLayersPage()
{
    // A sheet closed without OK or Cancel still leaves one undo step.
    EndUndoGroup(true);
    if (m_editor)
        m_editor->Destroy();
    m_lineTypePopup.Destroy();
    m_hatchTypePopup.Destroy();
}

// --- Model helpers -----------------------------------------------------------------------------

CLayer* COptionsLayersPage::AsLayer(CShape* shape)
{
    return shape && shape->GetShapeType() == stLayer ? static_cast<CLayer*>(shape) : nullptr;
}

CLayer* COptionsLayersPage::Layer(int id) const { return m_control ? AsLayer(m_control->GetShapeMap().Lookup(id)) : nullptr; }

std::vector<CShape*> COptionsLayersPage::LayerList() const
{
    CShape* group = m_control ? m_control->GetShapeMap().Lookup(LAYERS_ID) : nullptr;
    if (!group || group->GetShapeType() != stGroup)
        return {};
    return static_cast<CGroup*>(group)->Children();
}

CLayer* COptionsLayersPage::LayerOfRow(int row) const
{
    const CListRowData* data = m_list.GetRowData(row);
    return data ? Layer(static_cast<int>(data->tag)) : nullptr;
}

int COptionsLayersPage::RowOfLayer(int id) const
{
    const int count = ListView_GetItemCount(m_list.GetHandle());
    for (int row = 0; row < count; ++row)
        if (const CListRowData* data = m_list.GetRowData(row))
            if (data->tag == id)
                return row;
    return -1;
}

std::vector<int> COptionsLayersPage::GetSelectedLayerIds() const
{
    std::vector<int> ids;
    for (int row = ListView_GetNextItem(m_list.GetHandle(), -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list.GetHandle(), row, LVNI_SELECTED))
        if (const CListRowData* data = m_list.GetRowData(row))
            ids.push_back(static_cast<int>(data->tag));
    return ids;
}

std::vector<CLayer*> COptionsLayersPage::SelectedLayers() const
{
    std::vector<CLayer*> layers;
    for (int id : GetSelectedLayerIds())
        if (CLayer* layer = Layer(id))
            layers.push_back(layer);
    return layers;
}

bool COptionsLayersPage::CanEdit() const { return m_editingEnabled && m_control && m_control->AcceptsEdits(); }

bool COptionsLayersPage::IsOwnLayer(CShape* layer) const
{
    if (!layer || layer->GetDatabaseId() == 0 || !m_control)
        return true;
    CShapeMap& shapes = m_control->GetShapeMap();
    const int site = shapes.GetSourceSite(layer->GetDatabaseId());
    if (site == -1 || site == m_control->GetSiteId())
        return true;
    CShape* parent = layer->GetParent();
    if (!parent || parent->GetDatabaseId() == 0)
        return false;
    return site == shapes.GetSourceSite(parent->GetDatabaseId());
}

std::string COptionsLayersPage::HatchTypeText(int id) const
{
    if (id == kByLayer)
        return "By Layer";
    if (id == kByBlock)
        return "By Block";
    if (id > 0) {
        CHatchPattern* pattern = m_control ? m_control->GetHatchPatternMap().Find(id) : nullptr;
        return pattern && pattern->GetName() ? pattern->GetName() : "UnknownPattern";
    }
    return "None";
}

unsigned COptionsLayersPage::ColourKey(DWORD colour)
{
    const unsigned r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return r * r * 30 + g * g * 59 + b * b * 11;
}

// --- Undo group --------------------------------------------------------------------------------

void COptionsLayersPage::BeginUndoGroup()
{
    if (m_undoOpen || !m_control)
        return;
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    if (!recorder || recorder->IsSuspended())
        return;
    m_undoOpen = SUCCEEDED(recorder->OpenOperation(opProperties));
}

void COptionsLayersPage::Record(int kind, CShape* shape)
{
    BeginUndoGroup();
    if (m_undoOpen)
        m_control->GetUndoRecorder()->RecordShape(kind, shape, false);
}

void COptionsLayersPage::EndUndoGroup(bool commit)
{
    if (!m_undoOpen)
        return;
    m_undoOpen = false;
    if (CUndoRecorder* recorder = m_control->GetUndoRecorder())
        recorder->CloseOperation(commit);
}

void COptionsLayersPage::Changed()
{
    if (m_control)
        m_control->SetModified(true);
}

void COptionsLayersPage::Warn(const char* text) { ycom::ShowMessageBox(m_hWnd, text, "Warning", MB_OK | MB_ICONEXCLAMATION); }

// --- Rows --------------------------------------------------------------------------------------

BOOL COptionsLayersPage::OnInitPage()
{
    m_list.Attach(GetItem(IDC_LIST));
    if (!m_control)
        return TRUE;
    m_lineTypePopup.Types().SetLineTypes(&m_control->GetLineTypeMap());
    m_hatchTypePopup.Patterns().SetPatterns(&m_control->GetHatchPatternMap());
    InitColumns();
    m_undoOpen = false;
    UpdateButtons(true, -1);
    return TRUE;
}

void COptionsLayersPage::InitColumns()
{
    HWND list = m_list.GetHandle();
    m_list.SetReportStyle();
    m_hasSiteColumn = !m_control->GetIncludedSites().empty();
    const int last = m_hasSiteColumn ? kSiteName : kHatchType;
    for (int column = 0; column <= last; ++column) {
        std::string text = HeaderText(column);
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.cx = kColumns[column].width;
        info.pszText = &text[0];
        info.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
        m_list.SetColumnKind(column, kColumns[column].kind);
    }
    if (m_hasSiteColumn) {
        int order[] = {0, 8, 1, 2, 3, 4, 5, 6, 7};
        SendMessageA(list, LVM_SETCOLUMNORDERARRAY, 9, reinterpret_cast<LPARAM>(order));
    }
    FillRows();
    // The page sorts by its own comparison.
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) & ~static_cast<LONG_PTR>(LVS_SORTASCENDING));

    // The layers of the selected shapes open selected.
    CShape* selection = m_control->GetShapeMap().Lookup(SELECTION_ID);
    if (selection && selection->IsGroup()) {
        std::set<int> layers;
        for (CShape* shape : static_cast<CGroup*>(selection)->Children())
            if (shape && shape->GetLayer())
                layers.insert(shape->GetLayer()->GetId());
        const int count = ListView_GetItemCount(list);
        for (int row = 0; row < count; ++row)
            if (const CListRowData* data = m_list.GetRowData(row))
                if (layers.count(static_cast<int>(data->tag)))
                    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

void COptionsLayersPage::FillRows()
{
    int row = 0;
    for (CShape* child : LayerList()) {
        CLayer* layer = AsLayer(child);
        if (!layer)
            break;
        SetLayerRow(row++, layer, IsOwnLayer(layer) ? 0 : kForeignRow, true);
    }
}

void COptionsLayersPage::SetLayerRow(int row, CLayer* layer, DWORD rowFlags, bool insert)
{
    HWND list = m_list.GetHandle();
    auto record = std::make_unique<CListRowData>();
    record->flags = rowFlags;
    record->tag = layer->GetId();
    if (layer->IsVisible())
        record->checkBits |= kOnBit;
    if (IsLayerEnabled(layer))
        record->checkBits |= kEnableBit;
    if (IsSelectableByFlags(layer))
        record->checkBits |= kSelectBit;
    record->SetColour(kColor, layer->GetPenColor());
    record->SetColour(kHatchColor, layer->GetHatchColor());

    // A line type that the drawing does not know shows as the continuous line (ID 2).
    const CLineTypeMap& lineTypes = m_control->GetLineTypeMap();
    const CLineType* lineType = lineTypes.Find(layer->GetLinePatternId());
    if (!lineType)
        lineType = lineTypes.Find(2);
    record->SetText(kLineType, lineType && lineType->GetName() ? lineType->GetName() : "");
    record->SetText(kHatchType, HatchTypeText(layer->GetHatchPatternId()));

    CLayer* current = m_control->GetCurrentLayer();
    const bool isCurrent = current && current->GetId() == layer->GetId();
    std::string name = layer->GetName();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = &name[0];
    item.iImage = isCurrent ? CCellListView::kImageCurrent : 0;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    const int count = ListView_GetItemCount(list);
    if (insert || row < 0 || row >= count) {
        if (row < 0 || row > count)
            item.iItem = count;
        row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0)
            return;
    } else {
        CListRowData* old = m_list.GetRowData(row);
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                       [old](const std::unique_ptr<CListRowData>& r) { return r.get() == old; }),
                        m_records.end());
    }
    m_records.push_back(std::move(record));
    if (isCurrent)
        m_currentRow = row;
    for (int column = kOn; column <= kColor; ++column) {
        char empty[] = "";
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = empty;
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
    auto setText = [&](int column, std::string text) {
        LVITEMA cell = {};
        cell.iSubItem = column;
        cell.pszText = &text[0];
        SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    };
    CListRowData* data = m_list.GetRowData(row);
    setText(kLineType, data->GetText(kLineType));
    setText(kHatchType, data->GetText(kHatchType));
    if (m_hasSiteColumn) {
        std::string site = m_control->GetSiteRecord().GetName();
        int siteId = 0;
        if (layer->GetDatabaseId() != 0)
            siteId = m_control->GetShapeMap().GetSourceSite(layer->GetDatabaseId());
        if (const CIncludedSite* included = FindIncludedSite(m_control->GetIncludedSites(), siteId)) {
            // An included module is known by its site's name or its file, else by its number.
            site = IncludedSiteName(*included);
            if (site.empty())
                site = std::to_string(included->siteId);
        }
        setText(kSiteName, site);
    }
}

void COptionsLayersPage::DeleteAllRows()
{
    if (m_list.GetHandle())
        ListView_DeleteAllItems(m_list.GetHandle());
    m_records.clear();
    m_currentRow = -1;
}

void COptionsLayersPage::MarkCurrentRow(int row)
{
    HWND list = m_list.GetHandle();
    auto setImage = [list](int r, int image) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = r;
        item.iImage = image;
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    };
    if (m_currentRow >= 0)
        setImage(m_currentRow, 0);
    m_currentRow = row;
    if (row >= 0)
        setImage(row, CCellListView::kImageCurrent);
}

void COptionsLayersPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    UpdateButtons(enable, -1);
}

void COptionsLayersPage::UpdateButtons(bool enabled, int row)
{
    if (!m_hWnd || !::IsWindow(m_hWnd) || !m_list.GetHandle())
        return;
    HWND list = m_list.GetHandle();
    const bool allowed = enabled && CanEdit();
    if (enabled && row < 0)
        row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int n = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    const bool any = enabled && n >= 1;
    const bool many = n > 1;
    CLayer* layer = LayerOfRow(row);
    CLayer* current = m_control ? m_control->GetCurrentLayer() : nullptr;
    const bool isCurrent = any && !many && layer && current && layer->GetId() == current->GetId();
    const bool deletable = any && (many || !layer || layer->GetId() != BASE_LAYER);
    const bool layers = LayerList().size() > 1;
    auto enable = [this](int id, bool on) { EnableWindow(GetItem(id), on ? TRUE : FALSE); };
    enable(IDC_LAYERS_NEW, allowed);
    enable(IDC_LAYERS_SET_CURRENT, allowed && any && !isCurrent);
    enable(IDC_LAYERS_DELETE, allowed && any && !isCurrent && deletable);
    enable(IDC_LAYERS_HIGHLIGHT, any);
    enable(IDC_LAYERS_SELECT, any);
    // Merge deletes layers as Delete does: it needs an editable drawing too.
    enable(IDC_LAYERS_MERGE, allowed && any && many);
    enable(IDC_LAYERS_FRONT, any && layers);
    enable(IDC_LAYERS_BACK, any && layers);
}

int CALLBACK COptionsLayersPage::CompareRows(LPARAM first, LPARAM second, LPARAM pageArg)
{
    auto* page = reinterpret_cast<COptionsLayersPage*>(pageArg);
    const auto* a = reinterpret_cast<const CListRowData*>(first);
    const auto* b = reinterpret_cast<const CListRowData*>(second);
    CLayer* x = a ? page->Layer(static_cast<int>(a->tag)) : nullptr;
    CLayer* y = b ? page->Layer(static_cast<int>(b->tag)) : nullptr;
    if (!x || !y)
        return !x && !y ? 0 : (!x ? -1 : 1);
    const int d = page->m_sortAscending ? 1 : -1;
    auto names = [d](const std::string& p, const std::string& q) {
        if (p.empty() || q.empty())
            return p.empty() && q.empty() ? 0 : (p.empty() ? -d : d);
        return d * CompareNames(p, q);
    };
    unsigned u = 0, v = 0;
    switch (page->m_sortColumn) {
    case kName: return names(x->GetName(), y->GetName());
    case kSiteName: return names(a->GetText(kSiteName), b->GetText(kSiteName));
    case kOn: u = x->IsVisible(); v = y->IsVisible(); break;
    case kEnable: u = IsLayerEnabled(x); v = IsLayerEnabled(y); break;
    case kSelect: u = IsSelectableByFlags(x); v = IsSelectableByFlags(y); break;
    case kColor: u = ColourKey(x->GetPenColor()); v = ColourKey(y->GetPenColor()); break;
    case kHatchColor: u = ColourKey(x->GetHatchColor()); v = ColourKey(y->GetHatchColor()); break;
    case kLineType:
        u = static_cast<unsigned>(CShape::TranslateLinePatternId(x->GetLinePatternId(), x));
        v = static_cast<unsigned>(CShape::TranslateLinePatternId(y->GetLinePatternId(), y));
        break;
    case kHatchType:
        u = static_cast<unsigned>(x->GetTranslatedHatchPatternId());
        v = static_cast<unsigned>(y->GetTranslatedHatchPatternId());
        break;
    default: return 0;
    }
    return u > v ? d : (u < v ? -d : 0);
}

// --- Notifications -----------------------------------------------------------------------------

LRESULT COptionsLayersPage::HandleNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    const bool fromList = header->hwndFrom == m_list.GetHandle();
    switch (header->code) {
    case PSN_APPLY:
        EndUndoGroup(true);
        DeleteAllRows();
        if (m_control && m_control->EventsEnabled())
            m_control->RestartRedrawTimer(0);
        return PSNRET_NOERROR;
    case PSN_RESET:
        EndUndoGroup(true);
        DeleteAllRows();
        return 0;
    case LVN_BEGINLABELEDITA:
        if (fromList)
            return OnBeginLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        break;
    case LVN_ENDLABELEDITA:
        if (fromList)
            return OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        break;
    case NM_RCLICK:
        if (fromList) {
            OnContextMenu(reinterpret_cast<const NMITEMACTIVATE*>(lParam));
            return TRUE;
        }
        break;
    case LVN_DELETEITEM:
        if (fromList) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            auto* record = reinterpret_cast<CListRowData*>(change->lParam);
            m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                           [record](const std::unique_ptr<CListRowData>& r) { return r.get() == record; }),
                            m_records.end());
        }
        break;
    case LVN_ITEMCHANGED:
        if (fromList) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            if (change->uChanged & (LVIF_STATE | LVIF_IMAGE))
                UpdateButtons(true, change->iItem);
        }
        break;
    case LVN_COLUMNCLICK:
        if (fromList) {
            const int column = reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem;
            // The list keeps the sort column, its direction and the header's arrow; the page compares.
            m_list.Sort(column, nullptr);
            m_sortColumn = m_list.GetSortColumn();
            m_sortAscending = m_list.IsSortAscending();
            ListView_SortItems(m_list.GetHandle(), &CompareRows, reinterpret_cast<LPARAM>(this));
            m_currentRow = -1;
            if (CLayer* current = m_control->GetCurrentLayer())
                m_currentRow = RowOfLayer(current->GetId());
            return TRUE;
        }
        break;
    default: break;
    }
    handled = FALSE;
    return 0;
}

LRESULT COptionsLayersPage::HandleDestroyEditor(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_editor) {
        std::unique_ptr<CInPlaceEdit> editor = std::move(m_editor);
        editor->Destroy();
    }
    return 0;
}

LRESULT COptionsLayersPage::HandleCurrentLayer(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    const int row = RowOfLayer(static_cast<int>(wParam));
    if (row != m_currentRow)
        MarkCurrentRow(row);
    return 0;
}

LRESULT COptionsLayersPage::OnBeginLabelEdit(NMLVDISPINFOA* info)
{
    if (m_editor)
        return TRUE;
    const int row = info->item.iItem;
    const int column = info->item.iSubItem;
    CLayer* layer = LayerOfRow(row);
    if (!layer || column == kSiteName)
        return TRUE;
    if (!(info->item.mask & LVIF_TEXT))
        return OnToggle(row, column);
    if (!CanEdit() || !IsOwnLayer(layer) || column != kName)
        return TRUE;
    m_editor = m_list.OpenEditor(row, column, info->item.pszText);
    if (!m_editor)
        return TRUE;
    m_editEnded = false;
    SetFocus(m_editor->GetHandle());
    return 0;
}

void COptionsLayersPage::StartNameEdit(int row)
{
    char text[1024] = "";
    ListView_GetItemText(m_list.GetHandle(), row, 0, text, sizeof text);
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = m_list.GetHandle();
    info.hdr.idFrom = IDC_LIST;
    info.hdr.code = LVN_BEGINLABELEDITA;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.pszText = text;
    OnBeginLabelEdit(&info);
}

LRESULT COptionsLayersPage::OnToggle(int row, int column)
{
    CLayer* layer = LayerOfRow(row);
    // Showing, enabling or locking a layer is allowed on a drawing that cannot be edited (a
    // viewer turns layers off); it marks the drawing modified only where it can be edited.
    if (!layer || column < kOn || column > kSelect)
        return TRUE;
    const int old = m_list.GetCheck(row, column);
    if (old < 0)
        return TRUE;
    CLayer* current = m_control->GetCurrentLayer();
    if (old == 1 && (column == kOn || column == kSelect) && current && current->GetId() == layer->GetId()) {
        Warn(kCurrentLayerWarning);
        return TRUE;
    }
    Record(opProperties, layer);
    SetColumnValue(layer, column, old ? 0 : 1);
    if (m_control->FireEndEditShape(layer->GetId())) {
        m_list.ToggleCheck(row, column);
        m_control->RequestRedraw(rfRedrawAll, nullptr);
        m_control->SetModified(CanEdit());
    } else {
        SetColumnValue(layer, column, static_cast<DWORD>(old));
    }
    return TRUE;
}

LRESULT COptionsLayersPage::OnEndLabelEdit(NMLVDISPINFOA* info)
{
    if (!m_editor || m_editEnded)
        return FALSE;
    const int row = info->item.iItem;
    if (!info->item.pszText || info->item.iSubItem != kName) {
        // A cancelled edit: a new layer stays under its default name, and the host hears of it
        // (a veto takes it away again).
        m_editEnded = true;
        PostMessageA(m_hWnd, kDestroyEditorMessage, 0, 0);
        CLayer* layer = LayerOfRow(row);
        if (m_newLayer && layer && info->item.iSubItem == kName) {
            m_newLayer = false;
            if (!m_control->FireAddShape(layer->GetId()))
                RemoveLayer(layer);
            else
                Changed();
        }
        return FALSE;
    }
    CLayer* layer = LayerOfRow(row);
    if (!layer) {
        m_editEnded = true;
        PostMessageA(m_hWnd, kDestroyEditorMessage, 0, 0);
        return FALSE;
    }
    std::string name(info->item.pszText);
    if (name.size() > 1024)
        name.resize(1024);
    MakeValidName(name);
    for (CShape* child : LayerList()) {
        CLayer* other = AsLayer(child);
        if (!other || other == layer || other->GetName().empty())
            continue;
        if (CompareNames(other->GetName(), name) == 0) {
            const std::string question =
                Format("Layer with name '%s' already exist.\nDo you want to proceed with this name?", other->GetName());
            if (ycom::ShowMessageBox(m_hWnd, question.c_str(), "Warning", MB_YESNO | MB_ICONEXCLAMATION) == IDNO) {
                // The edit goes on.
                if (m_editor)
                    SetFocus(m_editor->GetHandle());
                return FALSE;
            }
            break;
        }
    }
    m_editEnded = true;
    PostMessageA(m_hWnd, kDestroyEditorMessage, 0, 0);
    Record(opProperties, layer);
    const std::string oldName = layer->GetName();
    layer->SetName(name.c_str());
    if (!m_newLayer) {
        if (!m_control->FireEndEditShape(layer->GetId()))
            layer->SetName(oldName.c_str());
    } else {
        m_newLayer = false;
        if (!m_control->FireAddShape(layer->GetId())) {
            RemoveLayer(layer);
            return FALSE;
        }
    }
    Changed();
    m_control->MapLayerName(layer->GetName(), layer);
    ListView_SetItemText(m_list.GetHandle(), row, 0, const_cast<char*>(layer->GetName().c_str()));
    return TRUE;
}

void COptionsLayersPage::RemoveLayer(CLayer* layer)
{
    const int row = RowOfLayer(layer->GetId());
    if (row >= 0) {
        if (row == m_currentRow)
            m_currentRow = -1;
        else if (row < m_currentRow)
            --m_currentRow;
        ListView_DeleteItem(m_list.GetHandle(), row);
    }
    if (CGroup* parent = layer->GetParent())
        parent->RemoveChild(layer);
    m_control->GetShapeMap().DeleteShape(layer);
}

// --- Cells and popups --------------------------------------------------------------------------

LRESULT COptionsLayersPage::HandleCellActivate(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (!CanEdit())
        return 0;
    const int row = static_cast<int>(wParam);
    const int column = static_cast<int>(lParam);
    CLayer* layer = LayerOfRow(row);
    if (!layer)
        return 0;
    RECT cell = {};
    ListView_GetSubItemRect(m_list.GetHandle(), row, column, LVIR_BOUNDS, &cell);
    MapWindowPoints(m_list.GetHandle(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
    Record(opProperties, layer);
    if (column == kColor || column == kHatchColor) {
        const bool pen = column == kColor;
        const DWORD old = pen ? layer->GetPenColor() : layer->GetHatchColor();
        const COLORREF second = pen ? old : CColorPopupMenu::kByLayerColour;
        const COLORREF chosen = m_list.ChooseColor(old, cell.left, cell.bottom, second, 0);
        if (chosen == old)
            return 0;
        pen ? layer->SetPenColor(chosen) : layer->SetHatchColor(chosen);
        if (!m_control->FireEndEditShape(layer->GetId())) {
            pen ? layer->SetPenColor(old) : layer->SetHatchColor(old);
            return 0;
        }
        if (CListRowData* data = m_list.GetRowData(row))
            data->SetColour(column, pen ? layer->GetPenColor() : layer->GetHatchColor());
        ListView_RedrawItems(m_list.GetHandle(), row, row);
        m_control->RequestRedraw(rfRedrawAll, nullptr);
        Changed();
    } else if (column == kLineType || column == kHatchType) {
        CListPopup& popup = column == kLineType ? static_cast<CListPopup&>(m_lineTypePopup) : m_hatchTypePopup;
        (column == kLineType ? m_hatchTypePopup : static_cast<CListPopup&>(m_lineTypePopup)).Destroy();
        const int width = column == kLineType ? 125 : 105;
        const int id = column == kLineType ? layer->GetLinePatternId() : layer->GetHatchPatternId();
        popup.Show(m_hWnd, id, POINT{cell.right - width, cell.bottom}, row);
    }
    return 0;
}

LRESULT COptionsLayersPage::HandlePopupResult(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    const int row = static_cast<int>(lParam);
    const bool lineType = m_lineTypePopup.IsWindow();
    CListPopup* popup = lineType ? static_cast<CListPopup*>(&m_lineTypePopup)
                                 : (m_hatchTypePopup.IsWindow() ? &m_hatchTypePopup : nullptr);
    // A report that comes after its popup went has nothing to apply to.
    if (!popup)
        return 0;
    CLayer* layer = LayerOfRow(row);
    if (layer && index >= 0) {
        Record(opProperties, layer);
        const int id = static_cast<int>(popup->GetList().GetItemData(index));
        const int old = lineType ? layer->GetLinePatternId() : layer->GetHatchPatternId();
        if (id != 0 && id != old) {
            ListView_RedrawItems(m_list.GetHandle(), row, row);
            lineType ? layer->SetLinePatternId(id) : layer->SetHatchPatternId(id);
            if (m_control->FireEndEditShape(layer->GetId())) {
                std::string text;
                if (lineType) {
                    if (id == kByLayer)
                        text = "ByLayer";
                    else if (id == kByBlock)
                        text = "ByBlock";
                    else if (const CLineType* type = m_control->GetLineTypeMap().Find(id))
                        text = type->GetName() ? type->GetName() : "";
                } else {
                    text = HatchTypeText(id);
                    if (text == "UnknownPattern")
                        text.clear();
                }
                const int column = lineType ? kLineType : kHatchType;
                if (CListRowData* data = m_list.GetRowData(row))
                    data->SetText(column, text);
                ListView_SetItemText(m_list.GetHandle(), row, column, &text[0]);
                m_control->RequestRedraw(rfRedrawAll, nullptr);
                Changed();
            } else {
                lineType ? layer->SetLinePatternId(old) : layer->SetHatchPatternId(old);
            }
        }
    }
    popup->Destroy();
    return 0;
}

DWORD COptionsLayersPage::ColumnValue(CLayer* layer, int column)
{
    switch (column) {
    case kOn: return layer->IsVisible() ? 1 : 0;
    case kEnable: return IsLayerEnabled(layer) ? 1 : 0;
    case kSelect: return IsSelectableByFlags(layer) ? 1 : 0;
    case kColor: return layer->GetPenColor();
    case kLineType: return static_cast<DWORD>(layer->GetLinePatternId());
    case kHatchColor: return layer->GetHatchColor();
    case kHatchType: return static_cast<DWORD>(layer->GetHatchPatternId());
    default: return 0;
    }
}

void COptionsLayersPage::SetColumnValue(CLayer* layer, int column, DWORD value)
{
    switch (column) {
    case kOn: layer->SetVisible(value != 0); break;
    case kEnable: layer->SetStateBits(CShape::stEnabled, value != 0); break;
    case kSelect: layer->SetSelectable(value != 0); break;
    case kColor: layer->SetPenColor(value); break;
    case kLineType: layer->SetLinePatternId(static_cast<int>(value)); break;
    case kHatchColor: layer->SetHatchColor(value); break;
    case kHatchType: layer->SetHatchPatternId(static_cast<int>(value)); break;
    default: break;
    }
}

// --- Context menu ------------------------------------------------------------------------------

void COptionsLayersPage::OnContextMenu(const NMITEMACTIVATE* click)
{
    if (!m_control || !m_control->IsIdle())
        return;
    HWND list = m_list.GetHandle();
    LVHITTESTINFO hit = {};
    hit.pt = click->ptAction;
    SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || hit.iSubItem < 0)
        return;
    const int row = hit.iItem;
    const int column = hit.iSubItem;
    HMENU resource = LoadMenuA(ycom::TheModule().ResourceInstance(), MAKEINTRESOURCEA(IDR_LAYERS_MENU));
    HMENU menu = resource ? GetSubMenu(resource, 0) : nullptr;
    if (!menu) {
        if (resource)
            DestroyMenu(resource);
        return;
    }
    char own[256] = "";
    GetMenuStringA(menu, IDM_LAYERS_SET_SAME, own, sizeof own, MF_BYCOMMAND);
    const std::string same = std::string(own) + " " + (column <= kSiteName ? HeaderText(column) : std::string());
    ModifyMenuA(menu, IDM_LAYERS_SET_SAME, MF_BYCOMMAND | MF_STRING, IDM_LAYERS_SET_SAME, same.c_str());

    const int n = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    std::vector<int> remove;
    if (column < kOn || column > kSelect)
        remove.insert(remove.end(), {IDM_LAYERS_ON_SELECTED, IDM_LAYERS_OFF_SELECTED, IDM_LAYERS_INVERT_SELECTED});
    if (column < kColor || column > kHatchType)
        remove.push_back(IDM_LAYERS_SET_SAME);
    if (n < 1)
        remove.insert(remove.end(), {IDC_LAYERS_FRONT, IDC_LAYERS_BACK, IDC_LAYERS_HIGHLIGHT, IDC_LAYERS_SELECT,
                                     IDC_LAYERS_SET_CURRENT, IDC_LAYERS_DELETE, IDM_LAYERS_SET_SAME});
    if (n < 2)
        remove.insert(remove.end(), {IDC_LAYERS_MERGE, IDM_LAYERS_SET_SAME});
    if (n == 1) {
        CLayer* only = LayerOfRow(ListView_GetNextItem(list, -1, LVNI_SELECTED));
        CLayer* current = m_control->GetCurrentLayer();
        if (only && current && only->GetId() == current->GetId())
            remove.insert(remove.end(), {IDC_LAYERS_SET_CURRENT, IDC_LAYERS_DELETE});
        if (only && only->GetId() == BASE_LAYER)
            remove.push_back(IDC_LAYERS_DELETE);
    }
    for (int id : remove)
        DeleteMenu(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    RemoveRedundantMenuSeparators(menu);

    POINT screen = click->ptAction;
    ClientToScreen(list, &screen);
    const UINT command = ShowPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, m_hWnd);
    MSG pending;
    PeekMessageA(&pending, m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
    DestroyMenu(resource);
    if (command >= IDC_LAYERS_DELETE && command <= IDC_LAYERS_BACK)
        OnCommand(static_cast<int>(command));
    else if (command == IDM_LAYERS_ON_SELECTED || command == IDM_LAYERS_OFF_SELECTED ||
             command == IDM_LAYERS_INVERT_SELECTED || command == IDM_LAYERS_SET_SAME)
        ApplyToSelected(static_cast<int>(command), row, column);
}

void COptionsLayersPage::ApplyToSelected(int command, int row, int column)
{
    CLayer* clicked = LayerOfRow(row);
    // "Set the same" edits the colour and type cells, whose popups a drawing that cannot be
    // edited does not open.
    if (command == IDM_LAYERS_SET_SAME && (!clicked || !CanEdit()))
        return;
    const DWORD same = clicked ? ColumnValue(clicked, column) : 0;
    CLayer* current = m_control->GetCurrentLayer();
    int processed = 0;
    for (int id : GetSelectedLayerIds()) {
        CLayer* layer = Layer(id);
        if (!layer)
            continue;
        const DWORD old = ColumnValue(layer, column);
        DWORD value = same;
        if (command == IDM_LAYERS_ON_SELECTED)
            value = 1;
        else if (command == IDM_LAYERS_OFF_SELECTED)
            value = 0;
        else if (command == IDM_LAYERS_INVERT_SELECTED)
            value = old ? 0 : 1;
        if (command != IDM_LAYERS_SET_SAME && value == 0 && (column == kOn || column == kSelect) && current &&
            current->GetId() == layer->GetId())
            continue;
        ++processed;
        if (command != IDM_LAYERS_SET_SAME || layer != clicked)
            Record(opProperties, layer);
        else
            BeginUndoGroup();
        SetColumnValue(layer, column, value);
        if (m_control->FireEndEditShape(layer->GetId())) {
            Changed();
            const int layerRow = RowOfLayer(layer->GetId());
            if (layerRow >= 0)
                SetLayerRow(layerRow, layer, IsOwnLayer(layer) ? 0 : kForeignRow, false);
        } else {
            SetColumnValue(layer, column, old);
        }
    }
    // With nothing processed the page's undo step stays open as it was: closing it uncommitted
    // would throw away the changes made before on this showing.
    if (processed > 0)
        EndUndoGroup(true);
    if (processed > 0 && column != kEnable && column != kSelect)
        m_control->Redraw(rfRedrawAll);
}

// --- Commands ----------------------------------------------------------------------------------

LRESULT COptionsLayersPage::HandleCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) != 0 || id < IDC_LAYERS_NEW || id > IDC_LAYERS_BACK ||
        (id != IDC_LAYERS_NEW && id < IDC_LAYERS_DELETE)) {
        handled = FALSE;
        return 0;
    }
    OnCommand(id);
    return 0;
}

void COptionsLayersPage::OnCommand(int id)
{
    if (!m_control)
        return;
    // The context menu reaches here too: what the buttons refuse on a drawing that cannot be
    // edited, the commands refuse.
    const bool edits = id == IDC_LAYERS_NEW || id == IDC_LAYERS_SET_CURRENT || id == IDC_LAYERS_DELETE ||
                       id == IDC_LAYERS_MERGE;
    if (edits && !CanEdit())
        return;
    const std::vector<CLayer*> layers = SelectedLayers();
    switch (id) {
    case IDC_LAYERS_NEW: NewLayer(); break;
    case IDC_LAYERS_SET_CURRENT: SetCurrent(); break;
    case IDC_LAYERS_DELETE: DeleteOrMergeLayers(true, layers); break;
    case IDC_LAYERS_MERGE: DeleteOrMergeLayers(false, layers); break;
    case IDC_LAYERS_HIGHLIGHT: Highlight(layers); break;
    case IDC_LAYERS_SELECT: SelectShapes(layers); break;
    case IDC_LAYERS_FRONT: MoveLayersToFrontOrBack(true, layers); break;
    case IDC_LAYERS_BACK: MoveLayersToFrontOrBack(false, layers); break;
    default: break;
    }
}

std::string COptionsLayersPage::MakeNewLayerName() const
{
    std::set<std::string> used;
    for (CShape* child : LayerList())
        if (CLayer* layer = AsLayer(child))
            used.insert(layer->GetName());
    std::string name = "NewLayer";
    MakeUniqueName(name, used);
    return name;
}

void COptionsLayersPage::NewLayer()
{
    HWND list = m_list.GetHandle();
    int source = static_cast<int>(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0));
    if (source < 0 || !LayerOfRow(source))
        source = m_currentRow;
    CLayer* from = LayerOfRow(source);
    CShape* groupShape = m_control->GetShapeMap().Lookup(LAYERS_ID);
    if (!from || !groupShape || groupShape->GetShapeType() != stGroup)
        return;
    CLayer* layer = AsLayer(m_control->GetShapeMap().CreateShape(stLayer, true, true));
    if (!layer)
        return;
    Record(opCreate, layer);
    layer->SetPenColor(from->GetPenColor());
    layer->SetPenWeight(from->GetPenWeight());
    layer->SetStateBits(CShape::stScalePenWeight, from->HasState(CShape::stScalePenWeight));
    layer->SetLinePatternId(from->GetLinePatternId());
    layer->SetHatchColor(from->GetHatchColor());
    layer->SetHatchPatternId(from->GetHatchPatternId());
    layer->SetVisible(from->IsVisible());
    layer->SetStateBits(CShape::stEnabled, IsLayerEnabled(from));
    layer->SetName(MakeNewLayerName().c_str());
    static_cast<CGroup*>(groupShape)->AppendChild(layer, 0);
    const int row = source + 1;
    SetLayerRow(row, layer, 0, true);
    // The current layer's row may have moved down.
    if (CLayer* current = m_control->GetCurrentLayer())
        m_currentRow = RowOfLayer(current->GetId());
    m_newLayer = true;
    StartNameEdit(RowOfLayer(layer->GetId()));
    Changed();
    m_control->Redraw(rfRedrawAll);
}

void COptionsLayersPage::SetCurrent()
{
    const int row = static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETSELECTIONMARK, 0, 0));
    CLayer* layer = LayerOfRow(row);
    if (!layer)
        return;
    if (!IsSelectableByFlags(layer) || !layer->IsVisible()) {
        Warn(kCurrentLayerWarning);
        return;
    }
    BeginUndoGroup();
    CLayer* previous = m_control->GetCurrentLayer();
    m_control->SetCurrentLayer(layer);
    if (!m_control->FireSetCurrentLayer(layer->GetId())) {
        m_control->SetCurrentLayer(previous);
        return;
    }
    if (HWND window = m_control->GetControlWindow())
        PostMessageA(window, kCurrentLayerMessage, static_cast<WPARAM>(layer->GetId()), 0);
    MarkCurrentRow(row);
    UpdateButtons(true, row);
}

void COptionsLayersPage::Highlight(const std::vector<CLayer*>& layers)
{
    auto* highlights = dynamic_cast<CHighlightGroup*>(m_control->GetShapeMap().Lookup(HIGHLIGHTS_ID));
    if (!highlights)
        return;
    highlights->RemoveAll();
    CGroup* root = m_control->GetRootGroup();
    const int mark = static_cast<int>(SendMessageA(m_list.GetHandle(), LVM_GETSELECTIONMARK, 0, 0));
    CLayer* markLayer = LayerOfRow(mark);
    auto inS = [&layers](CShape* shape) {
        return shape->GetLayer() && std::find(layers.begin(), layers.end(), shape->GetLayer()) != layers.end();
    };
    int count = 0;
    if (root && !root->IsGroup()) {
        if (root->GetShapeType() != stReference && markLayer && root->GetLayer() == markLayer) {
            highlights->AddChild(root, nullptr, 0, false);
            ++count;
        }
    } else if (root) {
        for (CShape* child : root->Children())
            if (inS(child)) {
                highlights->AddChild(child, nullptr, 0, false);
                ++count;
            }
    }
    highlights->SetBlinking(count > 0);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
}

void COptionsLayersPage::SelectShapes(const std::vector<CLayer*>& layers)
{
    CGroup* selection = m_control->GetSelectionGroup();
    if (!selection)
        return;
    const size_t before = selection->Children().size();
    selection->Clear(false);
    CGroup* root = m_control->GetRootGroup();
    auto inS = [&layers](CShape* shape) {
        return shape->GetLayer() && std::find(layers.begin(), layers.end(), shape->GetLayer()) != layers.end();
    };
    if (root && !root->IsGroup()) {
        if (inS(root))
            selection->AddChild(root, nullptr, 0, false);
    } else if (root) {
        for (CShape* child : root->Children())
            if (inS(child))
                selection->AddChild(child, nullptr, 0, false);
    }
    if (before > 0 || !selection->Children().empty())
        m_control->Redraw(rfRedrawSelection);
}

void COptionsLayersPage::MoveLayersToFrontOrBack(bool front, const std::vector<CLayer*>& layers)
{
    CGroup* root = m_control->GetRootGroup();
    if (ListView_GetSelectedCount(m_list.GetHandle()) == 0 || !root || !root->IsGroup() || layers.empty())
        return;
    const std::vector<CShape*> children = root->Children();
    if (children.empty())
        return;
    std::vector<int> ids;
    auto take = [&](CShape* child) {
        if (child->GetLayer() && std::find(layers.begin(), layers.end(), child->GetLayer()) != layers.end())
            ids.push_back(child->GetId());
    };
    if (front)
        std::for_each(children.begin(), children.end(), take);
    else
        std::for_each(children.rbegin(), children.rend(), take);
    const float step = front ? 1.0f : -1.0f;
    float z = (front ? children.back() : children.front())->GetZOrder() + step;
    VARIANT_BOOL redraw = VARIANT_TRUE;
    m_control->get_RedrawEnabled(&redraw);
    m_control->put_RedrawEnabled(VARIANT_FALSE);
    for (int id : ids) {
        CShape* shape = m_control->GetShapeMap().Lookup(id);
        if (!shape)
            continue;
        const float old = shape->GetZOrder();
        Record(opProperties, shape);
        shape->SetZOrder(z, true);
        z += step;
        if (!m_control->FireEndEditShape(id))
            shape->SetZOrder(old, true);
    }
    m_control->put_RedrawEnabled(redraw);
    m_control->Redraw(rfRedrawAll);
}

void COptionsLayersPage::DeleteOrMergeLayers(bool remove, const std::vector<CLayer*>& chosen)
{
    if (ListView_GetSelectedCount(m_list.GetHandle()) == 0)
        return;
    CLayer* base = nullptr;
    bool baseChosen = false;
    bool currentInL = false;
    CLayer* current = m_control->GetCurrentLayer();
    std::vector<CLayer*> L;
    for (CLayer* layer : chosen) {
        if (!IsOwnLayer(layer))
            continue;
        if (layer->GetId() == BASE_LAYER) {
            baseChosen = true;
            base = layer;
            continue;
        }
        L.push_back(layer);
        if (layer == current)
            currentInL = true;
    }
    if (!base)
        base = Layer(BASE_LAYER);
    if (L.empty()) {
        if (remove && baseChosen)
            Warn(Format("Can't delete base layer '%s'.", base ? base->GetName() : std::string("0")).c_str());
        return;
    }
    CLayer* target = nullptr;
    if (!remove) {
        if (L.size() < 2 && !baseChosen)
            return;
        if (baseChosen) {
            target = base;
        } else {
            target = L.front();
            L.erase(L.begin());
        }
    } else {
        target = (!current || currentInL) ? base : current;
    }
    auto inL = [&L](CShape* layer) { return layer && std::find(L.begin(), L.end(), layer) != L.end(); };
    std::vector<int> shapesB, shapesA;
    m_control->ForEachShape([&](CShape* shape) {
        if (shape && shape->GetShapeType() != stLayer && inL(shape->GetLayer()))
            (shape->GetId() >= 12 ? shapesB : shapesA).push_back(shape->GetId());
    });
    std::string names;
    for (CLayer* layer : L)
        names += (names.empty() ? "" : ", ") + layer->GetName();

    VARIANT_BOOL redraw = VARIANT_TRUE;
    m_control->get_RedrawEnabled(&redraw);
    m_control->put_RedrawEnabled(VARIANT_FALSE);
    auto finish = [&] {
        m_control->put_RedrawEnabled(redraw);
        m_control->Redraw(rfRedrawAll);
    };
    const std::string targetName = target ? target->GetName() : std::string();
    int answer = IDYES;
    if (shapesB.empty()) {
        answer = ycom::ShowMessageBox(m_hWnd, Format("Do you want to delete layers %s?", names).c_str(), "Warning",
                                      MB_YESNO | MB_ICONQUESTION);
        if (answer == IDNO) {
            Changed();
            finish();
            return;
        }
    } else {
        char text[2048];
        if (remove) {
            std::snprintf(text, sizeof text,
                          "There are %d shape(s) on the layer(s) %s being deleted.\r\n Delete that shape(s) or move them "
                          "to layer '%s'?",
                          static_cast<int>(shapesB.size()), names.c_str(), targetName.c_str());
            answer = ShowCustomMessageBox(text, "Warning", MB_YESNOCANCEL | MB_ICONSTOP, "&Move", "&Delete");
        } else {
            std::snprintf(text, sizeof text, "Are you sure want to merge %d shape(s) of the layer(s) %s\r\n into '%s'?",
                          static_cast<int>(shapesB.size()), names.c_str(), targetName.c_str());
            answer = ShowCustomMessageBox(text, "Warning", MB_OKCANCEL | MB_ICONSTOP);
        }
        if (answer == IDCANCEL) {
            finish();
            return;
        }
    }
    auto stop = [&](const char* message) {
        Warn(message);
        Changed();
        finish();
    };
    auto move = [&](CShape* shape) {
        if (!target)
            return false;
        CLayer* old = shape->GetLayer();
        Record(opRelations, shape);
        shape->SetLayer(target);
        if (!m_control->FireEndEditShape(shape->GetId())) {
            shape->SetLayer(old);
            return false;
        }
        return true;
    };
    for (int id : shapesB) {
        CShape* shape = m_control->GetShapeMap().Lookup(id);
        if (!shape || !inL(shape->GetLayer()))
            continue;
        bool done;
        if (remove && answer == IDNO) {
            BeginUndoGroup();
            // A refused deletion answers S_FALSE: only a shape that went is done, or the layer
            // would go with a shape still on it.
            m_control->DeleteShapeByID(id, TRUE, FALSE);
            done = m_control->GetShapeMap().Lookup(id) == nullptr;
        } else {
            done = move(shape);
        }
        if (!done) {
            stop(kContainsShapes);
            return;
        }
    }
    for (int id : shapesA) {
        CShape* shape = m_control->GetShapeMap().Lookup(id);
        if (shape && inL(shape->GetLayer()) && !move(shape)) {
            stop(kContainsShapes);
            return;
        }
    }
    for (const auto& entry : m_control->GetDrawingSettingMap().Settings()) {
        CDrawingSettingRecord* setting = entry.second.get();
        if (!setting || !inL(setting->Layer))
            continue;
        BeginUndoGroup();
        if (m_undoOpen)
            m_control->GetUndoRecorder()->RecordDrawingSetting(opRelations, setting, false);
        CLayer* old = setting->Layer;
        setting->Layer = target;
        if (!m_control->FireEditDrawingSetting(entry.first)) {
            setting->Layer = old;
            Changed();
            Warn(kUsedInSettings);
            finish();
            return;
        }
        if (auto* sheet = m_control->GetOptionsSheet())
            if (HWND page = sheet->GetPageWindow(OPTPAGE_DRAWINGSETTINGSDLG))
                PostMessageA(page, kDrawingSettingChanged, 1, entry.first);
    }
    if (currentInL)
        m_control->SetCurrentLayer(target);
    for (CLayer* layer : L) {
        const int id = layer->GetId();
        Record(opDelete, layer);
        const bool allowed = m_control->FireDeleteShape(id);
        Changed();
        if (!allowed)
            continue;
        if (CLayer* still = Layer(id))
            RemoveLayer(still);
    }
    if (currentInL && target)
        MarkCurrentRow(RowOfLayer(target->GetId()));
    finish();
}
