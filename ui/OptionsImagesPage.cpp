#include "ui/OptionsImagesPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/ImageChooser.h"
#include "control/UndoRecorder.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/HatchPatternMap.h"
#include "model/Image.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ImageResourceSql.h"
#include "ui/SmallDialogs.h"
#include <algorithm>
#include <commdlg.h>
#include <cstdio>
#include <cstring>

namespace {

// The images' load scale when the current view has no drawing setting.
constexpr float kFallbackImageScale = 0.1f;
// How much of a number edit's text is read, and how long it may stay.
constexpr int kNumberReadLength = 20;
constexpr size_t kNumberMaxLength = 18;
// The open dialog's buffers.
constexpr DWORD kFileBufferLength = 1000;
constexpr DWORD kFileTitleLength = 64;

const char kWarning[] = "Warning";

// The open dialog's filter list, "All Supported Formats" first.
const char kOpenFilters[] =
    "All Supported Formats\0*.bmp;*.wmf;*.emf;*.jpg;*.jpeg;*.gif;*.tif;*.tiff;*.png\0"
    "Windows Metafile(WMF)\0*.wmf\0"
    "Enhanced Metafile(EMF)\0*.emf\0"
    "Windows Bitmap(BMP)\0*.bmp\0"
    "JPEG file(jpg)\0*.jpg;*.jpeg\0"
    "GIF file(gif)\0*.gif\0"
    "TIFF file(tif,tiff)\0*.tif;*.tiff\0"
    "Portable Network Graphics(png)\0*.png\0";

// The save dialog's filters in format order (ImageResourceTypes 1 to 6).
const char* const kSaveFilters[][2] = {
    {"Enhanced Metafile(EMF)", "*.emf"}, {"Windows Bitmap(BMP)", "*.bmp"},
    {"JPEG file(jpg)", "*.jpg;*.jpeg"},  {"GIF file(gif)", "*.gif"},
    {"TIFF file(tif,tiff)", "*.tif;*.tiff"}, {"Portable Network Graphics(png)", "*.png"},
};

std::string Format(const char* format, const std::string& a, int n = 0)
{
    std::vector<char> text(std::strlen(format) + a.size() + 32);
    std::snprintf(text.data(), text.size(), format, a.c_str(), n);
    return text.data();
}

int Ask(HWND owner, const std::string& text, UINT style)
{
    return ycom::ShowMessageBox(owner, text.c_str(), kWarning, style);
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], length, nullptr, nullptr);
    return narrow;
}

} // namespace

COptionsImagesPage::COptionsImagesPage() : COptionsPage(IDD_OPTIONS_IMAGES), m_catalogue(new CImageResourceMap())
{
    // The user's decimal separator: the second character of 0.1 written out.
    char text[16] = "";
    std::snprintf(text, sizeof text, "%3.1f", 0.1);
    m_separator = text[1];
}

COptionsImagesPage::~COptionsImagesPage() = default;

void RegisterImageChooser()
{
    SetImageChooser([](CYVEXControl* control, HWND parent, CShapeHost::CPendingImage& choice) {
        COptionsImagesPage chooser;
        chooser.SetChosenId(choice.resourceId);
        chooser.SetInsertBlockReference(choice.metafileAsBlock);
        if (chooser.DoModal(control, parent) != 1)
            return false;
        choice.resourceId = chooser.GetChosenId();
        choice.width = chooser.GetRequestedWidth();
        choice.height = chooser.GetRequestedHeight();
        choice.metafileAsBlock = chooser.GetInsertBlockReference();
        return true;
    });
}

INT_PTR COptionsImagesPage::DoModal(CYVEXControl* control, HWND parent)
{
    if (!control)
        return -1;
    m_control = control;
    m_modal = true;
    m_filled = false;
    m_initialised = false;
    const INT_PTR result = RunTemplateModal(parent ? parent : control->GetControlWindow());
    m_modal = false;
    m_list = nullptr;
    m_catalogue.reset(new CImageResourceMap());
    return result;
}

bool COptionsImagesPage::IsDrawingEditable() const
{
    return m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet();
}

// The data source the control connects with (its IPersistDB DSN reads the same value).
bool COptionsImagesPage::HasDataSource() const { return m_control && !m_control->GetDataSource().empty(); }

void COptionsImagesPage::Show(int id, bool show) const { ShowWindow(GetItem(id), show ? SW_SHOWNA : SW_HIDE); }

void COptionsImagesPage::Enable(int id, bool enable) const { EnableWindow(GetItem(id), enable ? TRUE : FALSE); }

std::string COptionsImagesPage::LastErrorText() const
{
    const std::string text = m_control ? m_control->GetLastErrorText() : std::string();
    return text.empty() ? "Unknown error." : text;
}

BOOL COptionsImagesPage::OnInitPage()
{
    m_list = GetItem(IDC_PAGE_LIST);
    m_preview.Attach(GetItem(IDC_IMAGES_PREVIEW));
    if (!m_control || !m_list)
        return TRUE;
    m_listView.Attach(m_list);
    // The names are not edited in place: no cell takes the focus.
    m_listView.SetEditRow(CCellListView::kNoRow);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
    if (m_modal) {
        SetWindowLongA(m_list, GWL_STYLE, GetWindowLongA(m_list, GWL_STYLE) | LVS_SINGLESEL);
        Show(IDOK, true);
        Show(IDCANCEL, true);
        // "&Load from File" takes the place of "&Draw Image".
        HWND draw = GetItem(IDC_IMAGES_DRAW), load = GetItem(IDC_IMAGES_LOAD);
        RECT place;
        GetWindowRect(draw, &place);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(load, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        for (int id : {IDC_IMAGES_DRAW, IDC_IMAGES_SAVE_DB, IDC_IMAGES_SAVE_FILE, IDC_IMAGES_DELETE_DB})
            Show(id, false);
        Show(IDC_IMAGES_INSERT_BLOCK, true);
        Show(IDC_IMAGES_PARSE, true);
    }
    if (!HasDataSource()) {
        // Without a data source the switch goes and the size edits close the gap.
        HWND box = GetItem(IDC_IMAGES_DB);
        RECT boxRect, editRect;
        GetWindowRect(box, &boxRect);
        GetWindowRect(GetItem(IDC_IMAGES_WIDTH), &editRect);
        const int gap = boxRect.top - editRect.top;
        Show(IDC_IMAGES_DB, false);
        for (int id : {IDC_IMAGES_WIDTH_LABEL, IDC_IMAGES_WIDTH, IDC_IMAGES_HEIGHT_LABEL, IDC_IMAGES_HEIGHT}) {
            HWND item = GetItem(id);
            RECT rect;
            GetWindowRect(item, &rect);
            MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            SetWindowPos(item, nullptr, rect.left, rect.top + gap, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        RECT listRect;
        GetWindowRect(m_list, &listRect);
        SetWindowPos(m_list, nullptr, 0, 0, listRect.right - listRect.left, listRect.bottom - listRect.top + gap,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    EnableEditing(IsDrawingEditable());
    if (m_modal)
        FillList();
    m_initialised = true;
    const int count = ListView_GetItemCount(m_list);
    if (count > 0) {
        int row = m_chosenId ? RowOf(m_control->GetImageResourceMap().Lookup(m_chosenId)) : -1;
        if (row < 0)
            row = static_cast<int>(SendMessageA(m_list, LVM_GETSELECTIONMARK, 0, 0));
        if (row < 0 || row >= count)
            row = 0;
        SelectOnly(row);
        ListView_EnsureVisible(m_list, row, FALSE);
    }
    return TRUE;
}

void COptionsImagesPage::OnSetActive()
{
    if (m_filled || !m_list)
        return;
    m_initialised = false;
    FillList();
    m_initialised = true;
    if (ListView_GetItemCount(m_list) > 0)
        SelectOnly(0);
    SetFocus(m_list);
}

void COptionsImagesPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    if (!IsWindow())
        return;
    const bool editable = enable && IsDrawingEditable();
    Enable(IDC_IMAGES_DRAW, editable);
    for (int id : {IDC_IMAGES_LOAD, IDC_IMAGES_SAVE_DB, IDC_IMAGES_DELETE_DB, IDC_IMAGES_PARSE})
        if ((GetWindowLongA(GetItem(id), GWL_STYLE) & WS_VISIBLE) != 0)
            Enable(id, editable);
}

void COptionsImagesPage::FillList()
{
    m_filled = true;
    VARIANT_BOOL databaseImages = VARIANT_FALSE;
    m_control->get_EnableDBImages(&databaseImages);
    const bool database = databaseImages != VARIANT_FALSE && HasDataSource();
    if (!m_modal) {
        Show(IDC_IMAGES_SAVE_DB, database);
        Show(IDC_IMAGES_DELETE_DB, database);
    }
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 210;
    char name[] = "Name";
    column.pszText = name;
    SendMessageA(m_list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (const auto& entry : m_control->GetImageResourceMap().Resources())
        AddImageRow(entry.second.get(), false);
    if (database) {
        CheckDlgButton(m_hWnd, IDC_IMAGES_DB, BST_CHECKED);
        AppendCatalogueRows();
    }
    SendMessageA(m_list, LVM_SETSELECTIONMARK, 0, 0);
}

bool COptionsImagesPage::AppendCatalogueRows()
{
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return false;
    // The list names the stored pictures; each is read when its row takes the focus.
    m_catalogue->SetLoadContent(false);
    const HRESULT hr = m_catalogue->LoadAll(session, -1);
    session.Disconnect();
    if (FAILED(hr))
        return false;
    CImageResourceMap& drawing = m_control->GetImageResourceMap();
    for (const auto& entry : m_catalogue->Resources()) {
        CImageResource* resource = entry.second.get();
        if (resource->GetDatabaseId() > 0 && !drawing.FindByObjectId(resource->GetDatabaseId()))
            AddImageRow(resource, false);
    }
    return true;
}

DWORD COptionsImagesPage::RowFlags(const CImageResource* resource)
{
    DWORD flags = 0;
    if (resource && !resource->IsLoaded())
        flags |= CListRowData::kGreyRow;
    if (resource && resource->GetDatabaseId() < 1)
        flags |= CListRowData::kSpecialText;
    return flags;
}

int COptionsImagesPage::AddImageRow(CImageResource* resource, bool select)
{
    if (!resource)
        return -1;
    auto record = std::make_unique<CListRowData>();
    record->tag = reinterpret_cast<LONG_PTR>(resource);
    record->flags = RowFlags(resource);
    std::string text = resource->GetName();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = ListView_GetItemCount(m_list);
    item.pszText = &text[0];
    item.iImage = I_IMAGENONE;
    item.lParam = reinterpret_cast<LPARAM>(record.get());
    const int row = static_cast<int>(SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return row;
    m_records.push_back(std::move(record));
    if (select)
        ListView_SetItemState(m_list, row, LVIS_SELECTED, LVIS_SELECTED);
    return row;
}

void COptionsImagesPage::RefreshRowLook(int row)
{
    if (CListRowData* record = m_listView.GetRowData(row)) {
        record->flags = RowFlags(RowResource(row));
        ListView_RedrawItems(m_list, row, row);
    }
}

void COptionsImagesPage::ReadStoredPicture(int row, CImageResource* resource)
{
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return;
    resource->LoadContent(session);
    session.Disconnect();
    RefreshRowLook(row);
}

void COptionsImagesPage::SetRowResource(int row, CImageResource* resource)
{
    CListRowData* record = m_listView.GetRowData(row);
    if (!record)
        return;
    record->tag = reinterpret_cast<LONG_PTR>(resource);
    record->flags = RowFlags(resource);
    ListView_RedrawItems(m_list, row, row);
}

LRESULT COptionsImagesPage::HandleDeleteItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const auto* record = reinterpret_cast<const CListRowData*>(reinterpret_cast<const NMLISTVIEW*>(lParam)->lParam);
    m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                   [record](const std::unique_ptr<CListRowData>& r) { return r.get() == record; }),
                    m_records.end());
    return 0;
}

CImageResource* COptionsImagesPage::RowResource(int row) const
{
    const CListRowData* record = m_list ? m_listView.GetRowData(row) : nullptr;
    return record ? reinterpret_cast<CImageResource*>(record->tag) : nullptr;
}

int COptionsImagesPage::RowOf(const CImageResource* resource) const
{
    if (!resource || !m_list)
        return -1;
    const int count = ListView_GetItemCount(m_list);
    for (int row = 0; row < count; ++row)
        if (RowResource(row) == resource)
            return row;
    return -1;
}

void COptionsImagesPage::SelectOnly(int row)
{
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(m_list, LVM_SETSELECTIONMARK, 0, row);
}

std::vector<CImageResource*> COptionsImagesPage::ChosenResources(bool markWhenNone) const
{
    std::vector<CImageResource*> resources;
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED))
        if (CImageResource* resource = RowResource(row))
            resources.push_back(resource);
    if (resources.empty() && markWhenNone)
        if (CImageResource* resource = RowResource(static_cast<int>(SendMessageA(m_list, LVM_GETSELECTIONMARK, 0, 0))))
            resources.push_back(resource);
    return resources;
}

LRESULT COptionsImagesPage::HandleItemChanged(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (!m_initialised)
        return 0;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (!(change->uChanged & LVIF_STATE))
        return 0;
    const int selected = ListView_GetSelectedCount(m_list);
    const int mark = static_cast<int>(SendMessageA(m_list, LVM_GETSELECTIONMARK, 0, 0));
    Enable(IDC_IMAGES_SAVE_FILE, selected == 1 && mark >= 0);
    const bool gained = (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED);
    const bool lost = !(change->uNewState & LVIS_FOCUSED) && (change->uOldState & LVIS_FOCUSED);
    if (gained)
        UpdateForRow(change->iItem, true);
    else if (lost)
        UpdateForRow(change->iItem, false);
    return 0;
}

void COptionsImagesPage::UpdateForRow(int row, bool focused)
{
    CImageResource* resource = RowResource(row);
    const bool editable = IsEditingEnabled() && IsDrawingEditable();
    if (focused) {
        Enable(IDC_IMAGES_DRAW, editable);
        if (resource && !resource->IsLoaded() && HasDataSource()) {
            // A picture listed from the table alone: it can be deleted from there, not saved
            // again; its bytes are read now, for the preview and the size.
            Enable(IDC_IMAGES_SAVE_DB, false);
            Enable(IDC_IMAGES_DELETE, false);
            Enable(IDC_IMAGES_DELETE_DB, editable);
            ReadStoredPicture(row, resource);
        } else {
            Enable(IDC_IMAGES_SAVE_DB, editable);
            Enable(IDC_IMAGES_DELETE_DB, false);
            Enable(IDC_IMAGES_DELETE, editable && resource && resource->GetId() != -1);
        }
    } else if (resource && resource->GetDatabaseId() > 0 && resource->GetOwner() != &m_control->GetImageResourceMap()) {
        // The table's picture is read again when its row comes back: the list holds no more
        // than one decoded at a time.
        resource->Reset();
        RefreshRowLook(row);
    }
    // The block buttons; a block that has gone since is forgotten.
    if (resource && resource->GetBlockId() > 0 && !m_control->FindShape(resource->GetBlockId()))
        resource->SetBlockId(-1);
    Enable(IDC_IMAGES_INSERT_BLOCK, editable && resource && resource->GetBlockId() > 0);
    Enable(IDC_IMAGES_PARSE, editable && resource && resource->GetBlockId() != 0);
    if (!focused)
        return;
    char text[64] = "0";
    for (int pass = 0; pass < 2; ++pass) {
        double size = 0;
        if (resource) {
            RECT bounds = {};
            resource->GetBounds(&bounds);
            const LONG pixels = pass == 0 ? bounds.right - bounds.left : bounds.bottom - bounds.top;
            size = (pixels < 0 ? -pixels : pixels) * static_cast<double>(resource->GetDefaultScale());
        }
        std::snprintf(text, sizeof text, "%g", size);
        SetDlgItemTextA(m_hWnd, pass == 0 ? IDC_IMAGES_WIDTH : IDC_IMAGES_HEIGHT, text);
    }
    if (!resource)
        m_preview.Clear();
    else if (void* image = resource->CloneImage())
        m_preview.SetImage(image);
}

LRESULT COptionsImagesPage::HandleNumberChange(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    HWND edit = GetItem(LOWORD(wParam));
    char text[kNumberReadLength + 1] = "";
    GetWindowTextA(edit, text, sizeof text);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    int from = static_cast<int>(start), to = static_cast<int>(end);
    const std::string kept = FilterNumber(text, m_separator, &from, &to);
    if (kept != text) {
        SetWindowTextA(edit, kept.c_str());
        SendMessageA(edit, EM_SETSEL, from, to);
    }
    return 0;
}

std::string COptionsImagesPage::FilterNumber(const std::string& text, char separator, int* start, int* end)
{
    std::string kept;
    bool separatorSeen = false;
    int newStart = start ? *start : 0, newEnd = end ? *end : 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool keep = c >= '0' && c <= '9';
        if (!keep && c == separator && !separatorSeen)
            keep = separatorSeen = true;
        if (keep) {
            kept += c;
            continue;
        }
        if (start && static_cast<int>(i) < *start)
            --newStart;
        if (end && static_cast<int>(i) < *end)
            --newEnd;
    }
    if (kept.size() > kNumberMaxLength)
        kept.resize(kNumberMaxLength);
    const int limit = static_cast<int>(kept.size());
    if (start)
        *start = newStart > limit ? limit : newStart;
    if (end)
        *end = newEnd > limit ? limit : newEnd;
    return kept;
}

float COptionsImagesPage::ReadNumber(int id) const
{
    char text[kNumberReadLength + 1] = "";
    GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    float value = 0;
    if (std::sscanf(text, "%g", &value) != 1)
        value = 0;
    return value;
}

LRESULT COptionsImagesPage::HandleLoad(UINT, WPARAM, LPARAM, BOOL&)
{
    std::vector<char> files(kFileBufferLength, '\0');
    char title[kFileTitleLength] = "";
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = kOpenFilters;
    open.nFilterIndex = 1;
    open.lpstrFile = files.data();
    open.nMaxFile = kFileBufferLength;
    open.lpstrFileTitle = title;
    open.nMaxFileTitle = kFileTitleLength;
    open.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&open))
        return 0;
    // One file: its path. Several: the folder, then each name, each ended by a NUL.
    std::vector<std::wstring> paths;
    const std::string first = files.data();
    const char* name = files.data() + first.size() + 1;
    if (!*name) {
        paths.push_back(Widen(first));
    } else {
        for (; *name; name += std::strlen(name) + 1)
            paths.push_back(Widen(first + "\\" + name));
    }
    LoadFiles(paths);
    return 0;
}

int COptionsImagesPage::LoadFiles(const std::vector<std::wstring>& paths)
{
    if (!m_control)
        return 0;
    CImageResourceMap& map = m_control->GetImageResourceMap();
    const CViewportRecord& view = m_control->GetCurrentViewport();
    const float scale = view.drawingSetting ? view.drawingSetting->ImageScale : kFallbackImageScale;
    int loaded = 0;
    // The rows loaded (or found again) are the selection.
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    for (const std::wstring& path : paths) {
        m_control->SetLastError(0, "");
        const int before = map.GetCount();
        CImageResource* resource = map.LoadFromFile(path, scale, -1);
        if (!resource) {
            const std::string text = "Can't load image resource from " + Narrow(path) + ":\n" + LastErrorText();
            Ask(m_hWnd, text, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        ++loaded;
        int row = RowOf(resource);
        if (map.GetCount() == before) {
            // The same picture was there: its row is chosen.
            if (row < 0) {
                LVFINDINFOA find = {};
                find.flags = LVFI_STRING;
                find.psz = resource->GetName().c_str();
                row = static_cast<int>(SendMessageA(m_list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
            }
            if (row >= 0)
                ListView_SetItemState(m_list, row, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            if (CUndoRecorder* recorder = m_control->GetUndoRecorder()) {
                if (recorder->RecordImageResource(opCreate, resource, true) == S_OK)
                    recorder->CloseOperation(true);
            }
            AddImageRow(resource, true);
        }
    }
    const int first = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    if (first >= 0) {
        ListView_SetItemState(m_list, first, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageA(m_list, LVM_SETSELECTIONMARK, 0, first);
        ListView_EnsureVisible(m_list, first, FALSE);
    }
    return loaded;
}

std::string COptionsImagesPage::SaveFilters(int format, int* index)
{
    std::string filters;
    const int firstFormat = format == irtExtMetafile ? 1 : 2;
    for (int f = firstFormat; f <= 6; ++f) {
        filters += kSaveFilters[f - 1][0];
        filters += '\0';
        filters += kSaveFilters[f - 1][1];
        filters += '\0';
    }
    filters += '\0';
    if (index)
        *index = format >= firstFormat && format <= 6 ? format - firstFormat + 1 : 1;
    return filters;
}

int COptionsImagesPage::FormatOfSaveFilter(int resourceFormat, int filterIndex)
{
    const int format = resourceFormat == irtExtMetafile ? filterIndex : filterIndex + 1;
    return format >= 1 && format <= 6 ? format : 0;
}

LRESULT COptionsImagesPage::HandleSaveFile(UINT, WPARAM, LPARAM, BOOL&)
{
    const int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    CImageResource* resource = RowResource(row);
    if (!resource)
        return 0;
    int index = 1;
    const std::string filters = SaveFilters(resource->GetFormat(), &index);
    // The proposed name: the source file's without its extension, else the resource's name.
    std::string proposed = Narrow(resource->GetSourcePath());
    const size_t slash = proposed.find_last_of("\\/");
    if (slash != std::string::npos)
        proposed.erase(0, slash + 1);
    const size_t dot = proposed.rfind('.');
    if (dot != std::string::npos && proposed.size() - dot <= 5)
        proposed.erase(dot);
    if (proposed.empty())
        proposed = resource->GetName();
    std::vector<char> path(MAX_PATH, '\0');
    proposed.copy(path.data(), MAX_PATH - 1);
    OPENFILENAMEA save = {};
    save.lStructSize = sizeof save;
    save.hwndOwner = m_hWnd;
    save.lpstrFilter = filters.c_str();
    save.nFilterIndex = static_cast<DWORD>(index);
    save.lpstrFile = path.data();
    save.nMaxFile = MAX_PATH;
    save.lpstrDefExt = ImageFormatExtension(resource->GetFormat());
    save.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&save))
        return 0;
    m_control->SetLastError(0, "");
    const int format = FormatOfSaveFilter(resource->GetFormat(), static_cast<int>(save.nFilterIndex));
    if (FAILED(resource->SaveToFile(Widen(path.data()), format)))
        Ask(m_hWnd, std::string("Can't save image to ") + path.data() + ":\n" + LastErrorText(), MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

CImageResource* COptionsImagesPage::BringIntoDrawing(CImageResource* resource)
{
    if (!resource)
        return nullptr;
    CImageResourceMap& drawing = m_control->GetImageResourceMap();
    if (resource->GetOwner() == &drawing)
        return resource;
    if (resource->GetDatabaseId() <= 0)
        return nullptr;
    CImageResource* loaded = drawing.FindByObjectId(resource->GetDatabaseId());
    if (!loaded) {
        const HRESULT hr = m_control->LoadImageResourceFromDB(resource->GetDatabaseId(), &loaded);
        if (FAILED(hr) || hr == S_FALSE || !loaded)
            return nullptr;
    }
    const int row = RowOf(resource);
    if (row >= 0)
        SetRowResource(row, loaded);
    return loaded;
}

LRESULT COptionsImagesPage::HandleDraw(UINT, WPARAM, LPARAM, BOOL&)
{
    const int row = static_cast<int>(SendMessageA(m_list, LVM_GETSELECTIONMARK, 0, 0));
    CImageResource* resource = RowResource(row);
    if (resource && resource->GetOwner() != &m_control->GetImageResourceMap()) {
        resource = BringIntoDrawing(resource);
        if (resource) {
            m_preview.SetImage(resource->CloneImage());
            Enable(IDC_IMAGES_SAVE_DB, false);
            Enable(IDC_IMAGES_DELETE_DB, true);
        }
    }
    if (!resource)
        return 0;
    const float width = ReadNumber(IDC_IMAGES_WIDTH), height = ReadNumber(IDC_IMAGES_HEIGHT);
    const int resourceId = resource->GetId();
    CYVEXControl* control = m_control;
    // The sheet closes (and this page with it) before the user places the image.
    SendMessageA(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (HWND window = control->GetControlWindow())
        SetFocus(window);
    CGroup* root = control->GetRootGroup();
    LONG id = 0;
    if (control->BeginPlaceImage(root ? root->GetId() : 0, resourceId, false, &id) != S_OK)
        return 0;
    CShape* edited = control->GetEditState().editedShape;
    if (edited && edited->GetShapeType() == stImage && width != 0 && height != 0)
        static_cast<CImage*>(edited)->SetSize(width, height);
    return 0;
}

LRESULT COptionsImagesPage::HandleDelete(UINT, WPARAM, LPARAM, BOOL&)
{
    // The resources first: rows go as their resources do, which moves the rows after them.
    const std::vector<CImageResource*> resources = ChosenResources(true);
    if (resources.empty())
        return 0;
    if (!ConfirmCount(nullptr, "Do you want to delete %d image resources?", resources.size()))
        return 0;
    CImageResourceMap& map = m_control->GetImageResourceMap();
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    bool opened = false;
    bool changed = false;
    for (CImageResource* resource : resources) {
        const int id = resource->GetId();
        const std::string name = resource->GetName();
        if (id == -1) {
            Ask(m_hWnd, "Can't delete default image resource.", MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        if (m_control->GetHatchPatternMap().FindByImage(id)) {
            Ask(m_hWnd, Format("Before '%s' image resource deletion delete hatch pattern that use it.", name),
                MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        if (m_control->EventsEnabled() && !m_control->FireDeleteImageResource(id))
            continue;
        const int users = static_cast<int>(resource->GetUseCount()) - 1;
        if (users > 0) {
            char text[512];
            std::snprintf(text, sizeof text,
                          "There are %d shape(s) that use image resource '%s'.\nDo you want them also to be deleted?",
                          users, name.c_str());
            const int answer = Ask(m_hWnd, text, MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL)
                break;
            std::vector<int> images;
            for (const auto& entry : m_control->GetShapeMap().Shapes())
                if (entry.second->GetShapeType() == stImage && entry.first != DEFAULT_IMAGE_ID &&
                    static_cast<CImage*>(entry.second)->GetImageResourceId() == id)
                    images.push_back(entry.first);
            if (recorder && !opened)
                opened = recorder->OpenOperation(opDelete) == S_OK;
            for (int imageId : images) {
                if (answer == IDYES) {
                    m_control->DeleteShapeByID(imageId, 1, 0);
                } else if (auto* image = dynamic_cast<CImage*>(m_control->FindShape(imageId))) {
                    // The image stays without its picture.
                    if (recorder)
                        recorder->RecordShape(opProperties, image, false);
                    image->SetImageResourceId(-1);
                }
                changed = true;
            }
            m_control->RequestRedraw(rfRedrawAll, nullptr);
        } else if (resources.size() == 1 &&
                   Ask(m_hWnd, "Do you want to delete image resource?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            break;
        }
        if (resource->GetUseCount() > 1) {
            char text[512];
            std::snprintf(text, sizeof text, "Failed to delete image %s.\\It is used by %d locked shape(s).", name.c_str(),
                          static_cast<int>(resource->GetUseCount()) - 1);
            Ask(m_hWnd, text, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        if (recorder) {
            if (!opened)
                opened = recorder->OpenOperation(opDelete) == S_OK;
            recorder->RecordImageResource(opDelete, resource, false);
        }
        const int row = RowOf(resource);
        if (row >= 0)
            ListView_DeleteItem(m_list, row);
        map.Remove(id);
        m_control->SetModified(true);
        changed = true;
    }
    if (opened)
        recorder->CloseOperation(changed);
    if (ListView_GetItemCount(m_list) == 0)
        m_preview.Clear();
    return 0;
}

LRESULT COptionsImagesPage::HandleSaveToDb(UINT, WPARAM, LPARAM, BOOL&)
{
    const std::vector<CImageResource*> resources = ChosenResources(false);
    if (resources.empty())
        return 0;
    if (!ConfirmCount("Do you want to save image resource to database?", "Do you want to save %d image resources?",
                      resources.size()))
        return 0;
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return 0;
    // 0: ask each time; IDC_YES_TO_ALL or IDC_NO_TO_ALL once chosen.
    int forAll = 0;
    for (CImageResource* resource : resources) {
        if (resource->GetOwner() != &m_control->GetImageResourceMap())
            continue;
        bool stored = false;
        if (SUCCEEDED(session.Exec(CLSID_YVEXControl, ImageResourceSql::FindIdentical,
                                   {ImageFormatToDbFormatId(resource->GetFormat()), static_cast<int>(resource->GetHash())},
                                   {OdbcParam::Text(resource->GetName())}))) {
            COdbcRow row(session.Statement());
            while (row.Fetch())
                stored = true;
            row.Finish();
        }
        if (stored) {
            if (forAll == IDC_NO_TO_ALL)
                continue;
            if (forAll != IDC_YES_TO_ALL) {
                const std::string text = "Resource: " + resource->GetName() + "\r\n" +
                                         "Database already contains image resource with the same name. Do you want to "
                                         "replace this resource with new one?";
                const int answer = ShowYesNoAllDialog(m_hWnd, text.c_str(), kWarning,
                                                      CYesNoAllDialog::kYes | CYesNoAllDialog::kNo |
                                                          CYesNoAllDialog::kYesToAll | CYesNoAllDialog::kNoToAll |
                                                          CYesNoAllDialog::kCancel);
                if (answer == IDCANCEL)
                    break;
                if (answer == IDC_YES_TO_ALL || answer == IDC_NO_TO_ALL)
                    forAll = answer;
                if (answer == IDNO || answer == IDC_NO_TO_ALL)
                    continue;
            }
        }
        if (resource->Save(session, m_control->GetScenarioId(), 1) == S_OK) {
            // Stored now: the row's looks are cleared.
            const int row = RowOf(resource);
            if (CListRowData* record = m_listView.GetRowData(row)) {
                record->flags = 0;
                ListView_RedrawItems(m_list, row, row);
            }
        }
    }
    session.Disconnect();
    return 0;
}

LRESULT COptionsImagesPage::HandleDeleteFromDb(UINT, WPARAM, LPARAM, BOOL&)
{
    const std::vector<CImageResource*> resources = ChosenResources(false);
    if (resources.empty())
        return 0;
    if (!ConfirmCount("Do you want to delete image resource?", "Do you want to delete %d image resources?",
                      resources.size()))
        return 0;
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return 0;
    std::vector<std::string> missing, referenced, reserved;
    for (CImageResource* resource : resources) {
        const int databaseId = resource->GetDatabaseId();
        if (databaseId <= 0) {
            missing.push_back(resource->GetName());
            continue;
        }
        // Image shapes and patterns are counted apart: one table empty must not hide the other's uses.
        int uses = 0;
        if (FAILED(session.Exec(CLSID_YVEXControl, ImageResourceSql::CountUses, {databaseId, databaseId}))) {
            referenced.push_back(resource->GetName());
            continue;
        }
        {
            COdbcRow row(session.Statement());
            if (row.Fetch())
                uses = row.Int(1);
            row.Finish();
        }
        if (uses > 0) {
            referenced.push_back(resource->GetName());
            continue;
        }
        if (m_control->EventsEnabled() && !m_control->FireDeleteImageResourceFromDB(databaseId)) {
            reserved.push_back(resource->GetName());
            continue;
        }
        if (session.Exec(CLSID_YVEXControl, ImageResourceSql::DeleteImageResource, {databaseId}) != S_OK)
            continue;
        if (m_control->EventsEnabled())
            m_control->FireDeletedImageResourceFromDB(databaseId);
        CImageResourceMap& drawing = m_control->GetImageResourceMap();
        if (resource->GetOwner() == &drawing) {
            // The drawing keeps its picture; it is simply no longer stored.
            drawing.SetDatabaseId(databaseId, -2);
            resource->SetDatabaseId(0);
            const int row = RowOf(resource);
            if (row >= 0)
                SetRowResource(row, resource);
        } else {
            const int row = RowOf(resource);
            if (row >= 0)
                ListView_DeleteItem(m_list, row);
        }
    }
    session.Disconnect();
    std::string report;
    auto part = [&report](const char* heading, const std::vector<std::string>& names) {
        if (names.empty())
            return;
        if (!report.empty())
            report += "\r\n";
        report += heading;
        report += JoinNames(names);
    };
    part("Following resources can't be deleted as there are no ones in database:", missing);
    part("Following  resources are referenced by shapes and can't be deleted :", referenced);
    part("Following  resources are reserved for application and can't be deleted :", reserved);
    if (!report.empty())
        Ask(m_hWnd, report, MB_OK | MB_ICONINFORMATION);
    return 0;
}

LRESULT COptionsImagesPage::HandleDatabaseSwitch(UINT, WPARAM, LPARAM, BOOL&)
{
    const bool on = IsDlgButtonChecked(m_hWnd, IDC_IMAGES_DB) == BST_CHECKED;
    Show(IDC_IMAGES_SAVE_DB, on);
    Show(IDC_IMAGES_DELETE_DB, on);
    if (on) {
        HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        m_initialised = false;
        AppendCatalogueRows();
        m_initialised = true;
        SetCursor(old);
        m_control->put_EnableDBImages(VARIANT_TRUE);
        return 0;
    }
    // The table's own rows go, the focused one first.
    CImageResourceMap& drawing = m_control->GetImageResourceMap();
    const int focused = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
    if (CImageResource* resource = RowResource(focused)) {
        if (resource->GetOwner() != &drawing) {
            ListView_DeleteItem(m_list, focused);
            m_preview.Clear();
        }
    }
    for (int row = ListView_GetItemCount(m_list) - 1; row >= 0; --row) {
        CImageResource* resource = RowResource(row);
        if (resource && resource->GetOwner() != &drawing)
            ListView_DeleteItem(m_list, row);
    }
    m_catalogue.reset(new CImageResourceMap());
    m_control->put_EnableDBImages(VARIANT_FALSE);
    return 0;
}

LRESULT COptionsImagesPage::HandleParseMetafile(UINT, WPARAM, LPARAM, BOOL&)
{
    int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    if (row < 0)
        row = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
    CImageResource* resource = BringIntoDrawing(RowResource(row));
    if (!resource)
        return 0;
    LONG block = 0;
    if (resource->GetBlockId() < 0 || !m_control->FindShape(resource->GetBlockId()))
        m_control->ConvertImageResourceToBlock(resource, false, &block);
    else
        block = resource->GetBlockId();
    if (block <= 0) {
        ycom::ShowMessageBox(m_hWnd,
                             "Can't convert this image to block.\nPerhaps it is not Windows Metafile or its contents is "
                             "not supported.",
                             "Error", MB_OK | MB_ICONSTOP | MB_TOPMOST);
        return 0;
    }
    Enable(IDC_IMAGES_INSERT_BLOCK, true);
    return 0;
}

LRESULT COptionsImagesPage::HandleInsertBlock(UINT, WPARAM, LPARAM, BOOL&)
{
    m_insertBlock = IsDlgButtonChecked(m_hWnd, IDC_IMAGES_INSERT_BLOCK) == BST_CHECKED;
    return 0;
}

LRESULT COptionsImagesPage::HandleOk(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (!m_modal) {
        handled = FALSE;
        return 0;
    }
    int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
    CImageResource* resource = BringIntoDrawing(RowResource(row));
    m_chosenId = resource ? resource->GetId() : 0;
    m_width = ReadNumber(IDC_IMAGES_WIDTH);
    m_height = ReadNumber(IDC_IMAGES_HEIGHT);
    EndDialog(1);
    return 0;
}

LRESULT COptionsImagesPage::HandleCancel(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (!m_modal) {
        handled = FALSE;
        return 0;
    }
    EndDialog(2);
    return 0;
}

LRESULT COptionsImagesPage::HandleDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    // The rows' records go with the rows; the resources stay in their maps.
    handled = FALSE;
    m_initialised = false;
    if (m_list)
        ListView_DeleteAllItems(m_list);
    m_records.clear();
    m_preview.Clear();
    return 0;
}

LRESULT COptionsImagesPage::HandleActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    handled = FALSE;
    if (!m_modal || LOWORD(wParam) == WA_INACTIVE || !m_list)
        return 0;
    CheckDlgButton(m_hWnd, IDC_IMAGES_INSERT_BLOCK, m_insertBlock ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(m_list);
    const int row = RowOf(m_control->GetImageResourceMap().Lookup(m_chosenId));
    if (row >= 0)
        SelectOnly(row);
    return 0;
}
