#include "ui/OptionsHatchesPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/ResourceText.h"
#include "control/UndoRecorder.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/HatchPatternSql.h"
#include "ui/ColorPopupMenu.h"
#include "ui/OptionsDrawingSettingsPage.h"
#include "ui/OptionsImagesPage.h"
#include <cstdio>
#include <set>

namespace {

const char kWarning[] = "Warning";
// The pattern a shape falls back to when its own is deleted.
constexpr int kFallbackPattern = 1;
// The sample cell of a pattern's picture, in world units at the origin.
constexpr float kSampleSide = 20.0f;

std::string ErrorCaption()
{
    std::string caption = LoadResourceTextA(IDS_ERROR_CAPTION, 256);
    return caption.empty() ? "YVEXControl: Error" : caption;
}

std::string NameOf(const CHatchPattern* pattern) { return pattern && pattern->GetName() ? pattern->GetName() : ""; }

} // namespace

COptionsHatchesPage::COptionsHatchesPage() : COptionsPage(IDD_OPTIONS_HATCHES) {}

COptionsHatchesPage::~COptionsHatchesPage()
{
    if (m_images)
        ImageList_Destroy(m_images);
}

INT_PTR COptionsHatchesPage::DoModal(CYVEXControl* control, HWND parent)
{
    if (!control)
        return -1;
    m_control = control;
    m_modal = true;
    m_chosenId = 0;
    const INT_PTR result = RunTemplateModal(parent ? parent : control->GetControlWindow());
    m_modal = false;
    m_list = nullptr;
    return result;
}

// The data source the control connects with (its IPersistDB DSN reads the same value).
bool COptionsHatchesPage::HasDataSource() const { return m_control && !m_control->GetDataSource().empty(); }

bool COptionsHatchesPage::IsEditable() const
{
    return IsEditingEnabled() && m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet() &&
           m_control->IsIdle();
}

void COptionsHatchesPage::SetHatchColour(COLORREF colour)
{
    m_colour = colour;
    if (IsWindow()) {
        HWND button = GetItem(IDC_HATCHES_COLOR);
        SetWindowTextA(button, COptionsDrawingSettingsPage::ColourName(colour).c_str());
        InvalidateRect(button, nullptr, TRUE);
    }
}

BOOL COptionsHatchesPage::OnInitPage()
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    m_list = GetItem(IDC_PAGE_LIST);
    if (!m_control || !m_list)
        return TRUE;
    if (!m_images)
        m_images = ImageList_Create(kPictureSize, kPictureSize, ILC_COLOR24, 0, 1);
    ListView_SetImageList(m_list, m_images, LVSIL_NORMAL);
    if (m_modal) {
        ShowWindow(GetItem(IDC_HATCHES_HATCH), SW_HIDE);
        ShowWindow(GetItem(IDOK), SW_SHOWNA);
        ShowWindow(GetItem(IDCANCEL), SW_SHOWNA);
    }
    FillList(false);
    m_readOnly = m_control->IsReadOnly();
    if (CDrawingSettingRecord* setting = m_control->GetCurrentDrawingSetting()) {
        m_colour = setting->HatchColor;
        const int row = RowOfPattern(setting->HatchPatternID);
        if (row >= 0) {
            ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(m_list, row, FALSE);
        }
    }
    SetHatchColour(m_colour);
    CGroup* selection = m_control->GetSelectionGroup();
    m_selection = selection && !selection->Children().empty();
    if (!HasDataSource())
        ShowWindow(GetItem(IDC_HATCHES_VIEW_DB), SW_HIDE);
    UpdateButtons();
    return TRUE;
}

void COptionsHatchesPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    if (IsWindow())
        UpdateButtons();
}

CHatchPattern* COptionsHatchesPage::RowPattern(int row) const
{
    // The key is the pattern's ID: a row never outlives its pattern unnoticed.
    const int id = static_cast<int>(RowData(m_list, row));
    return m_control && id ? m_control->GetHatchPatternMap().Find(id) : nullptr;
}

int COptionsHatchesPage::RowOfPattern(int id) const
{
    if (!m_list)
        return -1;
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = id;
    return static_cast<int>(SendMessageA(m_list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

CHatchPattern* COptionsHatchesPage::SelectedPattern() const
{
    return RowPattern(m_list ? ListView_GetNextItem(m_list, -1, LVNI_SELECTED) : -1);
}

std::vector<int> COptionsHatchesPage::SelectedIds() const
{
    std::vector<int> ids;
    for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list, row, LVNI_SELECTED))
        if (CHatchPattern* pattern = RowPattern(row))
            ids.push_back(pattern->GetId());
    return ids;
}

int COptionsHatchesPage::ResolveStoredImage(CHatchPattern* pattern) const
{
    if (!pattern || !pattern->IsImagePattern())
        return 0;
    if (!pattern->IsLoadedForBrowsing())
        return pattern->GetImageResourceId();
    const int databaseId = pattern->GetImageResourceId();
    CImageResource* resource = m_control->GetImageResourceMap().FindByObjectId(databaseId);
    if (!resource) {
        const HRESULT hr = m_control->LoadImageResourceFromDB(databaseId, &resource);
        if (FAILED(hr) || hr == S_FALSE)
            resource = nullptr;
    }
    return resource ? resource->GetId() : 0;
}

HBITMAP COptionsHatchesPage::MakePatternPicture(CYVEXControl* control, CHatchPattern* pattern, COLORREF colour)
{
    if (!control || !pattern)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kPictureSize;
    info.bmiHeader.biHeight = kPictureSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!bitmap || !dc) {
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT cell = {0, 0, kPictureSize, kPictureSize};
    FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // A view of the pattern's sample cell (as the pattern adjusts it) over the 32 pixels, apart
    // from the control's own view.
    CViewportRecord view(control->GetCurrentViewport());
    view.SetClientSize(SIZE{kPictureSize, kPictureSize}, false);
    CRealRect sample(0.0f, kSampleSide, kSampleSide, 0.0f);
    CRealRect tile;
    if (pattern->GetTileRect(&tile, 2, 4, control) && tile.right != tile.left && tile.top != tile.bottom)
        sample = tile;
    view.ZoomToRect(sample.left, sample.top, sample.right, sample.bottom, 1.0);
    CRealRect world(0.0f, 0.0f, static_cast<float>(kPictureSize), static_cast<float>(kPictureSize));
    view.DeviceToWorldRect(&world);

    const int oldGraphics = SetGraphicsMode(dc, GM_ADVANCED);
    const int oldArc = SetArcDirection(dc, AD_CLOCKWISE);
    const int oldMap = SetMapMode(dc, MM_LOMETRIC);
    const COLORREF ink = colour & 0x00FFFFFF;
    pattern->Draw(dc, world, world, 1.0f, ink, control, FALSE, FALSE, &view);
    SetMapMode(dc, oldMap);
    SetArcDirection(dc, oldArc);
    SetGraphicsMode(dc, oldGraphics);

    HPEN pen = CreatePen(pattern->IsImagePattern() ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int oldBk = SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    Rectangle(dc, 0, 0, kPictureSize, kPictureSize);
    SetBkMode(dc, oldBk);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

void COptionsHatchesPage::RemoveUserRows()
{
    for (int row = ListView_GetItemCount(m_list) - 1; row >= 0; --row)
        if (RowData(m_list, row) > CHatchPatternMap::kLastBuiltIn)
            ListView_DeleteItem(m_list, row);
}

void COptionsHatchesPage::FillList(bool userOnly)
{
    if (!m_list || !m_control)
        return;
    if (userOnly) {
        RemoveUserRows();
    } else {
        ListView_DeleteAllItems(m_list);
    }
    // The pictures are made again for the rows that stay too: an image list has no holes.
    ImageList_RemoveAll(m_images);
    const COLORREF ink = ResolveColour(m_colour);
    for (int row = 0; row < ListView_GetItemCount(m_list); ++row) {
        CHatchPattern* pattern = RowPattern(row);
        HBITMAP picture = MakePatternPicture(m_control, pattern, ink);
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = picture ? ImageList_Add(m_images, picture, nullptr) : -1;
        if (picture)
            DeleteObject(picture);
        SendMessageA(m_list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (const auto& entry : m_control->GetHatchPatternMap().Patterns()) {
        CHatchPattern* pattern = entry.second.get();
        if (userOnly && entry.first <= CHatchPatternMap::kLastBuiltIn)
            continue;
        // A pattern read from the table names its picture by database ID: drawn with the
        // drawing's copy of it.
        const int stored = pattern->GetImageResourceId();
        const bool browsing = pattern->IsLoadedForBrowsing() && pattern->IsImagePattern();
        if (browsing)
            pattern->SetImageResourceId(ResolveStoredImage(pattern));
        HBITMAP picture = MakePatternPicture(m_control, pattern, ink);
        if (browsing)
            pattern->SetImageResourceId(stored);
        std::string text = NameOf(pattern);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = ListView_GetItemCount(m_list);
        item.pszText = &text[0];
        item.lParam = entry.first;
        item.iImage = picture ? ImageList_Add(m_images, picture, nullptr) : -1;
        if (picture)
            DeleteObject(picture);
        SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void COptionsHatchesPage::UpdateButtons()
{
    if (!m_list)
        return;
    const bool editable = IsEditable();
    CHatchPattern* pattern = SelectedPattern();
    const int id = pattern ? pattern->GetId() : 0;
    const bool user = pattern && id > CHatchPatternMap::kLastBuiltIn;
    EnableWindow(GetItem(IDC_HATCHES_DELETE), editable && !m_readOnly && user && !pattern->IsLoadedForBrowsing());
    EnableWindow(GetItem(IDC_HATCHES_ADD), !m_readOnly);
    EnableWindow(GetItem(IDOK), editable);
    const bool hatch = editable && m_selection && !m_readOnly;
    EnableWindow(GetItem(IDC_HATCHES_HATCH), hatch);
    EnableWindow(GetItem(IDC_HATCHES_COLOR), hatch);
    EnableWindow(GetItem(IDC_HATCHES_CHOOSE_COLOR), hatch);
    const bool stored = pattern && pattern->GetDatabaseId() > 0;
    EnableWindow(GetItem(IDC_HATCHES_SAVE_DB), editable && HasDataSource() && user && !stored);
    EnableWindow(GetItem(IDC_HATCHES_DELETE_DB), stored);
}

LRESULT COptionsHatchesPage::HandleListNotify(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    // The sheet's notifications go on to the base.
    handled = FALSE;
    if (wParam == IDC_PAGE_LIST)
        UpdateButtons();
    return 0;
}

COLORREF COptionsHatchesPage::ResolveColour(COLORREF colour) const
{
    if (!m_control)
        return colour & 0x00FFFFFF;
    if (colour & kByBlock)
        return CShape::TranslateHatchColor(colour, m_control->GetRootGroup()) & 0x00FFFFFF;
    if (colour & kByLayer) {
        CLayer* layer = m_control->GetCurrentLayer();
        return (layer ? layer->GetHatchColor() : 0) & 0x00FFFFFF;
    }
    return colour & 0x00FFFFFF;
}

LRESULT COptionsHatchesPage::HandleResolveColour(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    return static_cast<LRESULT>(ResolveColour(static_cast<COLORREF>(wParam)));
}

LRESULT COptionsHatchesPage::HandleDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (wParam == 0 && m_popup) {
        m_popup->DrawItem(draw);
        return TRUE;
    }
    if (wParam != IDC_HATCHES_COLOR) {
        handled = FALSE;
        return 0;
    }
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetTextColor(draw->hDC, GetSysColor((draw->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    SetBkMode(draw->hDC, TRANSPARENT);
    DrawColorItem(draw->hDC, draw->rcItem, ResolveColour(m_colour), COptionsDrawingSettingsPage::ColourName(m_colour).c_str());
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(draw->hDC, &draw->rcItem);
    return TRUE;
}

LRESULT COptionsHatchesPage::HandleMeasureItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (wParam != 0 || !m_popup || measure->CtlType != ODT_MENU) {
        handled = FALSE;
        return 0;
    }
    RECT button;
    GetWindowRect(GetItem(IDC_HATCHES_COLOR), &button);
    const int height = button.bottom - button.top - 2;
    m_popup->MeasureItem(measure, height > 0 ? static_cast<UINT>(height) : 0);
    return TRUE;
}

LRESULT COptionsHatchesPage::HandleColour(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT r;
    GetWindowRect(GetItem(IDC_HATCHES_COLOR), &r);
    m_popup = std::make_unique<CColorPopupMenu>();
    if (m_popup->Build(m_colour, m_colour, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock) &&
        m_popup->Track(TPM_RETURNCMD | TPM_NONOTIFY, r.left, r.bottom, m_hWnd))
        SetHatchColour(m_popup->GetChosenColor());
    m_popup.reset();
    return 0;
}

LRESULT COptionsHatchesPage::HandleHatch(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_control || !m_control->IsIdle())
        return 0;
    CHatchPattern* pattern = SelectedPattern();
    CGroup* selection = m_control->GetSelectionGroup();
    if (!pattern || !selection || selection->Children().empty())
        return 0;
    if (pattern->IsLoadedForBrowsing()) {
        // A pattern of the table becomes the drawing's own, with the drawing's copy of its image.
        if (pattern->IsImagePattern())
            pattern->SetImageResourceId(ResolveStoredImage(pattern));
        pattern->SetLoadedForBrowsing(false);
        const int id = pattern->GetId();
        FillList(true);
        const int row = RowOfPattern(id);
        if (row >= 0)
            ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    const int patternId = pattern->GetId();
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    // The selection's shapes (the Selection group itself is never recorded), in one operation.
    const bool opened = recorder && recorder->OpenOperation(opProperties) == S_OK;
    bool changed = false;
    for (CShape* shape : selection->Children()) {
        if (!shape->IsEnabled())
            continue;
        if (opened)
            recorder->RecordShape(opProperties, shape, false);
        const int oldPattern = shape->GetHatchPatternId();
        const DWORD oldColour = shape->GetHatchColor();
        shape->SetHatchColor(m_colour);
        shape->SetHatchPatternId(patternId);
        if (shape->GetHatchPatternId() != oldPattern || shape->GetHatchColor() != oldColour)
            changed = true;
    }
    if (changed) {
        m_control->SetModified(true);
        m_control->RequestRedraw(rfRedrawSelection, nullptr);
        if (m_control->EventsEnabled()) {
            m_control->RestartRedrawTimer(0);
            m_control->FireEndEditShape(-1);
        }
    }
    if (opened)
        recorder->CloseOperation(changed);
    return 0;
}

LRESULT COptionsHatchesPage::HandleOk(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (!m_modal) {
        handled = FALSE;
        return 0;
    }
    CHatchPattern* pattern = SelectedPattern();
    m_chosenId = pattern ? pattern->GetId() : 0;
    EndDialog(1);
    return 0;
}

LRESULT COptionsHatchesPage::HandleCancel(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (!m_modal) {
        handled = FALSE;
        return 0;
    }
    m_chosenId = 0;
    EndDialog(2);
    return 0;
}

LRESULT COptionsHatchesPage::HandleAdd(UINT, WPARAM, LPARAM, BOOL&)
{
    COptionsImagesPage chooser;
    if (chooser.DoModal(m_control, m_hWnd) != 1)
        return 0;
    CImageResource* resource = m_control->GetImageResourceMap().Lookup(chooser.GetChosenId());
    if (!resource)
        return 0;
    CHatchPatternMap& patterns = m_control->GetHatchPatternMap();
    const int id = patterns.AddPattern(resource->GetName().c_str(), "Created from image", resource->GetId());
    if (id <= 0)
        return 0;
    if (CUndoRecorder* recorder = m_control->GetUndoRecorder()) {
        if (recorder->RecordHatchPattern(opCreate, patterns.Find(id), true) == S_OK)
            recorder->CloseOperation(true);
    }
    FillList(true);
    m_control->SetModified(true);
    const int row = RowOfPattern(id);
    if (row >= 0) {
        ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(m_list, row, FALSE);
    }
    return 0;
}

LRESULT COptionsHatchesPage::HandleDelete(UINT, WPARAM, LPARAM, BOOL&)
{
    CHatchPattern* pattern = SelectedPattern();
    if (!pattern)
        return 0;
    const int id = pattern->GetId();
    if (id <= CHatchPatternMap::kLastBuiltIn) {
        ycom::ShowMessageBox(m_hWnd, "Only user-defined patterns can be deleted.", ErrorCaption().c_str(), MB_OK);
        return 0;
    }
    std::set<int> users;
    m_control->FindShapesByHatchPattern(id, &users);
    if (!users.empty()) {
        char count[16];
        std::snprintf(count, sizeof count, "%d", static_cast<int>(users.size()));
        const std::string text = std::string("This pattern is used in ") + count +
                                 " shapes in the drawing.\nDo you still wish to delete it?";
        if (ycom::ShowMessageBox(m_hWnd, text.c_str(), ErrorCaption().c_str(), MB_YESNO) != IDYES)
            return 0;
    }
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    const bool opened = recorder && recorder->OpenOperation(opDelete) == S_OK;
    if (!users.empty()) {
        // The shapes' fills are part of the step: undo gives them their pattern back with it.
        if (opened)
            for (int shapeId : users)
                if (CShape* shape = m_control->FindShape(shapeId))
                    recorder->RecordShape(opProperties, shape, false);
        m_control->ReplaceHatchPattern(id, kFallbackPattern, &users);
        m_control->RequestRedraw(rfRedrawAll, nullptr);
    }
    RemoveUserRows();
    CImageResourceMap& images = m_control->GetImageResourceMap();
    CImageResource* image = pattern->IsImagePattern() ? images.Lookup(pattern->GetImageResourceId()) : nullptr;
    const bool viewDb = IsDlgButtonChecked(m_hWnd, IDC_HATCHES_VIEW_DB) == BST_CHECKED;
    if (viewDb && pattern->GetDatabaseId() > 0 && image && image->GetDatabaseId() > 0) {
        // Still in the table: it stays to browse, naming its image by database ID.
        pattern->SetLoadedForBrowsing(true);
        pattern->SetImageResourceId(image->GetDatabaseId());
    } else {
        if (opened)
            recorder->RecordHatchPattern(opDelete, pattern, false);
        m_control->GetHatchPatternMap().Remove(id, false);
    }
    if (opened)
        recorder->CloseOperation(true);
    m_control->SetModified(true);
    FillList(true);
    UpdateButtons();
    return 0;
}

LRESULT COptionsHatchesPage::HandleSaveToDb(UINT, WPARAM, LPARAM, BOOL&)
{
    const std::vector<int> ids = SelectedIds();
    if (ids.empty() ||
        !ConfirmCount("Do you want to save hatch pattern to database?", "Do you want to save %d hatch patterns?", ids.size()))
        return 0;
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return 0;
    for (int id : ids) {
        m_control->GetHatchPatternMap().Save(session, m_control->GetScenarioId(), 1, id);
        const int row = RowOfPattern(id);
        if (row >= 0)
            ListView_RedrawItems(m_list, row, row);
    }
    session.Disconnect();
    UpdateButtons();
    return 0;
}

LRESULT COptionsHatchesPage::HandleDeleteFromDb(UINT, WPARAM, LPARAM, BOOL&)
{
    // IDs, not patterns: a deleted pattern's row goes, and the pattern with it.
    const std::vector<int> ids = SelectedIds();
    if (ids.empty() || !ConfirmCount("Do you want to delete hatch pattern from database?",
                                     "Do you want to delete %d hatch patterns from database?", ids.size()))
        return 0;
    COdbcSession session;
    if (m_control->ConnectOwnSession(session) != S_OK)
        return 0;
    std::vector<std::string> missing, referenced;
    bool rowsRemoved = false;
    CHatchPatternMap& map = m_control->GetHatchPatternMap();
    for (int id : ids) {
        CHatchPattern* pattern = map.Find(id);
        if (!pattern)
            continue;
        const int databaseId = pattern->GetDatabaseId();
        if (databaseId <= 0) {
            missing.push_back(NameOf(pattern));
            continue;
        }
        if (m_control->FindShapesByHatchPattern(id, nullptr)) {
            referenced.push_back(NameOf(pattern));
            continue;
        }
        int uses = 1;
        if (SUCCEEDED(session.Exec(CLSID_YVEXControl, HatchPatternSql::CountPatternUses, {databaseId}))) {
            COdbcRow row(session.Statement());
            if (row.Fetch())
                uses = row.Int(1);
            row.Finish();
        }
        if (uses >= 1 || session.Exec(CLSID_YVEXControl, HatchPatternSql::DeletePattern, {databaseId}) != S_OK) {
            referenced.push_back(NameOf(pattern));
            continue;
        }
        if (!rowsRemoved) {
            RemoveUserRows();
            rowsRemoved = true;
        }
        if (CUndoRecorder* recorder = m_control->GetUndoRecorder()) {
            if (recorder->RecordHatchPattern(opDelete, pattern, true) == S_OK)
                recorder->CloseOperation(true);
        }
        map.Remove(id, false);
    }
    session.Disconnect();
    std::string report;
    if (!missing.empty())
        report += "Following hatch patterns can't be deleted as there are no ones in database:" + JoinNames(missing);
    if (!referenced.empty()) {
        if (!report.empty())
            report += "\r\n";
        report += "Following  hatch patterns are referenced by shapes and can't be deleted :" + JoinNames(referenced);
    }
    if (!report.empty())
        ycom::ShowMessageBox(m_hWnd, report.c_str(), kWarning, MB_OK | MB_ICONINFORMATION);
    FillList(true);
    UpdateButtons();
    return 0;
}

LRESULT COptionsHatchesPage::HandleViewDb(UINT, WPARAM, LPARAM, BOOL&)
{
    const bool on = IsDlgButtonChecked(m_hWnd, IDC_HATCHES_VIEW_DB) == BST_CHECKED;
    ShowWindow(GetItem(IDC_HATCHES_SAVE_DB), on ? SW_SHOWNA : SW_HIDE);
    ShowWindow(GetItem(IDC_HATCHES_DELETE_DB), on ? SW_SHOWNA : SW_HIDE);
    CHatchPatternMap& map = m_control->GetHatchPatternMap();
    if (on) {
        COdbcSession session;
        if (m_control->ConnectOwnSession(session) == S_OK) {
            map.Load(session, -1, true);
            session.Disconnect();
        }
    } else {
        RemoveUserRows();
        map.PurgeMarked();
    }
    FillList(true);
    UpdateButtons();
    return 0;
}

LRESULT COptionsHatchesPage::HandleDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    handled = FALSE;
    m_popup.reset();
    if (m_list)
        RemoveUserRows();
    if (m_control)
        m_control->GetHatchPatternMap().PurgeMarked();
    return 0;
}
