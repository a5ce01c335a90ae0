#include "ui/GeneralPropPage.h"
#include "com/MessageBoxHook.h"
#include "com/Window.h"
#include "control/DialogLists.h"
#include "control/SiteRecord.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "model/ColorIndexTable.h"
#include "model/LineTypeMap.h"
#include "model/PenCache.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/ColorPopupMenu.h"
#include "ui/resource.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

// The controls whose change makes the page dirty, by kind of notification.
const std::set<int>& DirtyEdits()
{
    static const std::set<int> ids = {204, 205, 206, 207, 208, 209, 210, 211, 215, 216, 217, 218, 219, 220, 293, 298, 299};
    return ids;
}
const std::set<int>& DirtyChecks()
{
    static const std::set<int> ids = {291, 292, 294, 295, 297, 326};
    return ids;
}
const std::set<int>& DirtyLists()
{
    static const std::set<int> ids = {212, 213, 214};
    return ids;
}

std::string LoadText(UINT id, const char* fallback)
{
    char text[256] = "";
    return ycom::LoadResourceString(id, text, static_cast<int>(sizeof text)) ? std::string(text) : std::string(fallback);
}

} // namespace

CGeneralPropPage::CGeneralPropPage()
    : PropertyPageImpl(IDD_GENERAL_PROP_PAGE, IDS_PROP_PAGE_TITLE, IDS_PROP_PAGE_HELP, IDS_PROP_PAGE_DOC)
{
}

CGeneralPropPage::~CGeneralPropPage() = default;

std::string CGeneralPropPage::ColourName(DWORD colour)
{
    if (colour == CColorPopupMenu::kByLayerColour)
        return "ByLayer";
    if (colour == CColorPopupMenu::kByBlockColour)
        return "ByBlock";
    if (colour == 0x10000000)
        return "ByBrush";
    const struct {
        DWORD colour;
        const char* name;
    } names[] = {{0xFF, "Red"},       {0xFF00, "Green"},  {0xFF0000, "Blue"},  {0xFFFF00, "Cyan"},
                 {0xFFFF, "Yellow"}, {0xFF00FF, "Magenta"}, {0, "Black"}, {0xFFFFFF, "White"}};
    for (const auto& n : names)
        if (n.colour == colour)
            return n.name;
    char text[16];
    std::snprintf(text, sizeof text, "H%08X", static_cast<unsigned>(colour));
    return text;
}

// --- Activation and loading --------------------------------------------------------------------

void CGeneralPropPage::OnActivated()
{
    m_loaded = false;
    m_controlRef.Reset();
    m_control = nullptr;
    if (Objects().size() != 1 || !Objects()[0])
        return;
    IYVEXControlInternal* internal = nullptr;
    if (FAILED(Objects()[0]->QueryInterface(IID_IYVEXControlInternal, reinterpret_cast<void**>(&internal))) || !internal)
        return;
    m_controlRef.Attach(internal);
    m_control = CYVEXControl::FromInternal(internal);
    Load();
}

void CGeneralPropPage::OnDeactivating()
{
    m_popup.reset();
    m_control = nullptr;
    m_controlRef.Reset();
    m_loaded = false;
}

float CGeneralPropPage::ReadNumber(int id) const
{
    char text[1025] = "";
    GetDlgItemTextA(m_hWnd, id, text, static_cast<int>(sizeof text));
    return std::strtof(text, nullptr);
}

void CGeneralPropPage::WriteNumber(int id, double value)
{
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", 2);
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    SetDlgItemTextA(m_hWnd, id, text);
}

bool CGeneralPropPage::IsChecked(int id) const { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void CGeneralPropPage::Check(int id, bool on) { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED); }

DWORD CGeneralPropPage::PenColour() const
{
    return static_cast<DWORD>(SendDlgItemMessageA(m_hWnd, IDC_PEN_COLOUR, CB_GETITEMDATA, 0, 0));
}

void CGeneralPropPage::Load()
{
    CYVEXControl& control = *m_control;
    const bool editable = !control.IsReadOnly() && control.IsEnabledFlagSet();
    Check(IDC_PP_READ_ONLY, !editable);
    Check(IDC_PP_TOPMOST_SHAPE, !(control.GetControlFlags() & controlSelectOnlyTopmostShape));
    WriteNumber(IDC_PP_LINE_SCALE, control.GetPenCache().GetZoomFactor());
    CSiteRecord& site = control.GetSiteRecord();
    const CRealRect limits = site.GetDraftLimits();
    WriteNumber(IDC_PP_LEFT, limits.left);
    WriteNumber(IDC_PP_TOP, limits.top);
    WriteNumber(IDC_PP_RIGHT, limits.right);
    WriteNumber(IDC_PP_BOTTOM, limits.bottom);

    HWND units = GetItem(IDC_PP_UNITS);
    std::vector<long> values;
    std::vector<std::string> names;
    GetTypeLibEnumMembers(static_cast<IYVEXControl*>(&control), "Units", &values, &names);
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string name = names[i].size() > 2 ? names[i].substr(2) : names[i];
        const LRESULT item = SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageA(units, CB_SETITEMDATA, item, values[i]);
    }
    std::string unitName;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] == site.GetUnitId())
            unitName = names[i].size() > 2 ? names[i].substr(2) : names[i];
    const LRESULT unit = SendMessageA(units, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(unitName.c_str()));
    SendMessageA(units, CB_SETCURSEL, unit >= 0 ? unit : 0, 0);

    if (CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting()) {
        HWND patterns = GetItem(IDC_PP_LINE_PATTERN);
        auto add = [patterns](const char* name, int id) {
            const LRESULT item = SendMessageA(patterns, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            SendMessageA(patterns, CB_SETITEMDATA, item, id);
            return item;
        };
        add("byLayer", 0x4000);
        add("byBlock", 0x8000);
        LRESULT selected = 0;
        for (const auto& entry : control.GetLineTypeMap().Entries()) {
            const LRESULT item = add(entry.second.GetName() ? entry.second.GetName() : "", entry.first);
            if (entry.first == setting->LinePatternID)
                selected = item;
        }
        if (setting->LinePatternID == 0x8000)
            selected = 1;
        SendMessageA(patterns, CB_SETCURSEL, selected, 0);
        HWND colour = GetItem(IDC_PEN_COLOUR);
        SendMessageA(colour, CB_RESETCONTENT, 0, 0);
        const LRESULT item = SendMessageA(colour, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ColourName(setting->PenColor).c_str()));
        SendMessageA(colour, CB_SETITEMDATA, item, static_cast<LPARAM>(setting->PenColor));
        SendMessageA(colour, CB_SETCURSEL, item, 0);
        WriteNumber(IDC_PP_BASE_X, setting->SnapBaseX);
        WriteNumber(IDC_PP_BASE_Y, setting->SnapBaseY);
        WriteNumber(IDC_PP_SNAP_X, setting->SnapXSpace);
        WriteNumber(IDC_PP_SNAP_Y, setting->SnapYSpace);
        WriteNumber(IDC_PP_GRID_X, setting->GridXSpace);
        WriteNumber(IDC_PP_GRID_Y, setting->GridYSpace);
        WriteNumber(IDC_PP_PEN_WEIGHT, setting->PenWeight);
        WriteNumber(IDC_PP_IMAGE_SCALE, setting->ImageScale);
        Check(IDC_PP_SHOW_GRID, setting->ShowGrid != 0);
        Check(IDC_PP_SNAP_TO_GRID, setting->SnapToGrid != 0);
        Check(IDC_PP_SHOW_RULERS, setting->ShowRulers != 0);
        Check(IDC_PP_EDIT_NEW_TEXT, setting->EditNewText != 0);
    }
    CViewportRecord& view = control.GetCurrentViewport();
    WriteNumber(IDC_PP_CENTER_X, view.center.x);
    WriteNumber(IDC_PP_CENTER_Y, view.center.y);
    WriteNumber(IDC_PP_WIDTH, view.width);
    WriteNumber(IDC_PP_HEIGHT, view.height);
    m_loaded = true;
}

// --- Change tracking and the colour list -------------------------------------------------------

LRESULT CGeneralPropPage::HandleChange(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    handled = FALSE;
    if (!m_loaded)
        return 0;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    const bool counts = (code == EN_CHANGE && DirtyEdits().count(id)) || (code == BN_CLICKED && DirtyChecks().count(id)) ||
                        (code == CBN_SELCHANGE && DirtyLists().count(id));
    if (counts) {
        SetDirty(true);
        handled = TRUE;
    }
    return 0;
}

LRESULT CGeneralPropPage::HandleColourDropDown(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND list = GetItem(IDC_PEN_COLOUR);
    const DWORD colour = PenColour();
    RECT r;
    GetWindowRect(list, &r);
    m_popup = std::make_unique<CColorPopupMenu>();
    if (m_popup->Build(colour, colour, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock) &&
        m_popup->Track(TPM_RETURNCMD | TPM_NONOTIFY, r.left, r.bottom, m_hWnd) && m_popup->GetChosenColor() != colour) {
        const DWORD chosen = m_popup->GetChosenColor();
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        const LRESULT item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ColourName(chosen).c_str()));
        SendMessageA(list, CB_SETITEMDATA, item, static_cast<LPARAM>(chosen));
        SendMessageA(list, CB_SETCURSEL, item, 0);
        SetDirty(true);
    }
    m_popup.reset();
    SendMessageA(list, CB_SHOWDROPDOWN, FALSE, 0);
    return 0;
}

LRESULT CGeneralPropPage::HandleDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (wParam == 0 && m_popup) {
        m_popup->DrawItem(draw);
        return TRUE;
    }
    if (wParam != IDC_PEN_COLOUR || draw->itemID == static_cast<UINT>(-1)) {
        handled = FALSE;
        return 0;
    }
    FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush((draw->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(draw->hDC, GetSysColor((draw->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const DWORD colour = static_cast<DWORD>(draw->itemData);
    DrawColorItem(draw->hDC, draw->rcItem, colour & 0xFFFFFF, ColourName(colour).c_str());
    return TRUE;
}

LRESULT CGeneralPropPage::HandleMeasureItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (wParam == 0 && m_popup) {
        m_popup->MeasureItem(measure, 16);
        return TRUE;
    }
    handled = FALSE;
    return 0;
}

// --- Apply -------------------------------------------------------------------------------------

void CGeneralPropPage::Refuse(UINT message, int focus)
{
    const std::string text = LoadText(message, "Wrong value.");
    const std::string caption = LoadText(IDS_WARNING, "Warning");
    ycom::ShowMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetItem(focus));
}

int CGeneralPropPage::ApplySite()
{
    if (!m_control || !m_loaded)
        return 0;
    CYVEXControl& control = *m_control;
    CSiteRecord& site = control.GetSiteRecord();
    int result = 0;
    const CRealRect limits(ReadNumber(IDC_PP_LEFT), ReadNumber(IDC_PP_TOP), ReadNumber(IDC_PP_RIGHT), ReadNumber(IDC_PP_BOTTOM));
    const CRealRect old = site.GetDraftLimits();
    if (limits.left != old.left || limits.top != old.top || limits.right != old.right || limits.bottom != old.bottom) {
        // Limits without width or height are refused as the message says (equal edges too).
        if (limits.left < limits.right && limits.bottom < limits.top) {
            site.SetDraftLimits(limits);
        } else {
            Refuse(IDS_ZERO_SIZE_LIMITS, IDC_PP_TOP);
            result = 1;
        }
    }
    const float lineScale = ReadNumber(IDC_PP_LINE_SCALE);
    if (lineScale < 0.0f) {
        Refuse(IDS_WRONG_SCALE, IDC_PP_LINE_SCALE);
        result = 1;
    } else {
        site.lineTypeScale = lineScale;
        if (CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting())
            setting->LinePatternScale = lineScale;
        // A factor of 0 would collapse every dash pattern: the pens keep theirs.
        if (lineScale != 0.0f)
            control.GetPenCache().SetZoomFactor(lineScale);
    }
    HWND units = GetItem(IDC_PP_UNITS);
    const LRESULT selected = SendMessageA(units, CB_GETCURSEL, 0, 0);
    if (selected >= 0) {
        const int unit = static_cast<int>(SendMessageA(units, CB_GETITEMDATA, selected, 0));
        if (unit != site.GetUnitId())
            site.SetUnitId(unit);
    }
    const bool topmost = IsChecked(IDC_PP_TOPMOST_SHAPE);
    const DWORD flags = control.GetControlFlags();
    if (topmost != !(flags & controlSelectOnlyTopmostShape))
        control.SetControlFlags(topmost ? (flags & ~static_cast<DWORD>(controlSelectOnlyTopmostShape))
                                        : (flags | controlSelectOnlyTopmostShape));
    const bool editable = !control.IsReadOnly() && control.IsEnabledFlagSet();
    const bool unchecked = !IsChecked(IDC_PP_READ_ONLY);
    if (unchecked != editable)
        control.put_Enabled(unchecked ? VARIANT_TRUE : VARIANT_FALSE);
    return result;
}

int CGeneralPropPage::ApplyViewport()
{
    if (!m_control || !m_loaded)
        return 0;
    CViewportRecord& view = m_control->GetCurrentViewport();
    // Whole numbers, to the nearest.
    const float width = std::round(ReadNumber(IDC_PP_WIDTH));
    const float height = std::round(ReadNumber(IDC_PP_HEIGHT));
    if (width <= 0.0f || height <= 0.0f) {
        Refuse(IDS_ZERO_SIZE_LIMITS, width <= 0.0f ? IDC_PP_WIDTH : IDC_PP_HEIGHT);
        return 1;
    }
    view.SetCenter(ReadNumber(IDC_PP_CENTER_X), ReadNumber(IDC_PP_CENTER_Y));
    view.width = width;
    view.SetHeight(height);
    return 0;
}

int CGeneralPropPage::ApplyDrawingSetting()
{
    if (!m_control || !m_loaded)
        return 0;
    CYVEXControl& control = *m_control;
    CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting();
    if (!setting)
        return 0;
    CSiteRecord& site = control.GetSiteRecord();
    HWND patterns = GetItem(IDC_PP_LINE_PATTERN);
    const LRESULT selected = SendMessageA(patterns, CB_GETCURSEL, 0, 0);
    if (selected >= 0) {
        const int id = static_cast<int>(SendMessageA(patterns, CB_GETITEMDATA, selected, 0));
        setting->LinePatternID = id;
        if (const CLineType* type = control.GetLineTypeMap().Find(id))
            if (type->GetName())
                site.currentLineTypeName = type->GetName();
    }
    const DWORD colour = PenColour();
    setting->SetPenColor(colour);
    site.currentColour = CColorIndexTable::FromRgb(colour);
    setting->SnapBaseX = ReadNumber(IDC_PP_BASE_X);
    setting->SnapBaseY = ReadNumber(IDC_PP_BASE_Y);
    setting->SnapXSpace = ReadNumber(IDC_PP_SNAP_X);
    setting->SnapYSpace = ReadNumber(IDC_PP_SNAP_Y);
    setting->GridXSpace = ReadNumber(IDC_PP_GRID_X);
    setting->GridYSpace = ReadNumber(IDC_PP_GRID_Y);
    setting->PenWeight = ReadNumber(IDC_PP_PEN_WEIGHT);
    site.currentLineWeight = static_cast<int>(setting->PenWeight);
    int result = 0;
    const float imageScale = ReadNumber(IDC_PP_IMAGE_SCALE);
    if (imageScale <= 0.0f) {
        Refuse(IDS_WRONG_SCALE, IDC_PP_IMAGE_SCALE);
        result = 1;
    } else {
        setting->ImageScale = imageScale;
        site.SetImageScale(imageScale);
    }
    setting->ShowGrid = IsChecked(IDC_PP_SHOW_GRID) ? 1 : 0;
    setting->SnapToGrid = IsChecked(IDC_PP_SNAP_TO_GRID) ? 1 : 0;
    setting->ShowRulers = IsChecked(IDC_PP_SHOW_RULERS) ? 1 : 0;
    setting->EditNewText = IsChecked(IDC_PP_EDIT_NEW_TEXT) ? 1 : 0;
    site.showRulers = setting->ShowRulers;
    site.editNewText = setting->EditNewText;
    return result;
}

HRESULT CGeneralPropPage::OnApply()
{
    if (ApplySite() || ApplyViewport() || ApplyDrawingSetting())
        return S_FALSE;
    if (m_control)
        m_control->RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}
