#include "ui/OptionsGeneralPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "control/UndoRecorder.h"
#include "control/UnitRecord.h"
#include "control/ViewportRecord.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/PointPool.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMillimetres = 4;
// The matching tolerances: square millimetres, and (15/72)^2 for every other unit.
constexpr double kMillimetreTolerance = 25.0;
constexpr float kOtherTolerance = 0.043402776f;

std::string LoadText(UINT id, const char* fallback)
{
    char text[1024] = "";
    if (!ycom::LoadResourceString(id, text, static_cast<int>(sizeof text)))
        return fallback;
    return text;
}

std::string FormatPair(UINT id, const char* fallback, const std::string& a, const std::string& b)
{
    const std::string format = LoadText(id, fallback);
    std::vector<char> text(format.size() + a.size() + b.size() + 16);
    std::snprintf(text.data(), text.size(), format.c_str(), a.c_str(), b.c_str());
    return text.data();
}

LRESULT ComboData(HWND combo, LRESULT index) { return SendMessageA(combo, CB_GETITEMDATA, index, 0); }

// The combo box item whose data is `data`, -1 when none.
int FindData(HWND combo, LPARAM data)
{
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (ComboData(combo, i) == data)
            return i;
    return -1;
}

// y up: left <= right and top >= bottom.
void Normalize(CRealRect& r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top < r.bottom)
        std::swap(r.top, r.bottom);
}

bool SameRect(const CRealRect& a, const CRealRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

COptionsGeneralPage::COptionsGeneralPage() : COptionsPage(IDD_OPTIONS_GENERAL)
{
    m_custom.name = "Custom";
    m_custom.unit = kMillimetres;
}

COptionsGeneralPage::~COptionsGeneralPage() = default;

const std::vector<CPaperStandard>& COptionsGeneralPage::Standards() const
{
    static const std::map<int, CUnitRecord> none;
    return GetPaperStandards(m_control ? m_control->GetUnits() : none);
}

bool COptionsGeneralPage::IsEditable() const { return m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet(); }

bool COptionsGeneralPage::IsChecked(int id) const { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void COptionsGeneralPage::Check(int id, bool on) { CheckDlgButton(m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED); }

void COptionsGeneralPage::NotifyChanged() { SendMessageA(GetParent(m_hWnd), PSM_CHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0); }

std::string COptionsGeneralPage::UnitName(int unit) const
{
    if (const CUnitRecord* record = m_control ? m_control->FindUnit(unit) : nullptr)
        return record->name;
    return "Unknown";
}

// --- Initialisation ----------------------------------------------------------------------------

BOOL COptionsGeneralPage::OnInitPage()
{
    m_changed = false;
    if (!m_control)
        return TRUE;
    CSiteRecord& site = m_control->GetSiteRecord();
    m_limits = site.GetDraftLimits();
    m_unit = site.GetUnitId();
    const bool editable = IsEditable();
    Check(IDC_READ_ONLY, !editable);
    EnableWindow(GetItem(IDC_READ_ONLY), m_control->IsReadOnly() ? FALSE : TRUE);

    HWND units = GetItem(IDC_UNITS);
    for (const auto& entry : m_control->GetUnits()) {
        const LRESULT item = SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.name.c_str()));
        SendMessageA(units, CB_SETITEMDATA, item, entry.first);
    }
    const LRESULT current =
        SendMessageA(units, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(UnitName(m_unit).c_str()));
    SendMessageA(units, CB_SETCURSEL, current >= 0 ? current : 0, 0);

    HWND standards = GetItem(IDC_STANDARDS);
    const std::vector<CPaperStandard>& table = Standards();
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].sizes.empty())
            continue;
        const std::string text = FormatPair(IDS_STANDARD_ITEM, "%s, %s", table[i].name, UnitName(table[i].unit));
        const LRESULT item = SendMessageA(standards, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(standards, CB_SETITEMDATA, item, static_cast<LPARAM>(i));
    }
    const bool haveStandards = SendMessageA(standards, CB_GETCOUNT, 0, 0) > 0;

    FillStatistics();
    WriteLimitEdits();
    PaperMatch(false);

    const bool locked = (m_control->GetControlFlags() & controlLockLimits) != 0;
    Check(IDC_PREDEFINED, locked && haveStandards);
    Check(IDC_CUSTOM, !(locked && haveStandards));
    Check(IDC_SAVE_BINARY, (m_control->GetControlFlags() & controlSaveAsBinary) != 0);
    EnableEditing(editable);

    m_factor = 0.0f;
    m_rescaleOnApply = false;
    m_fromUnit = site.GetUnitId();
    m_scaleDialog.SetUnits(&m_control->GetUnits());
    return TRUE;
}

void COptionsGeneralPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    const bool custom = IsChecked(IDC_CUSTOM);
    const bool haveStandards = SendMessageA(GetItem(IDC_STANDARDS), CB_GETCOUNT, 0, 0) > 0;
    auto enableItem = [this](int id, bool on) { EnableWindow(GetItem(id), on ? TRUE : FALSE); };
    enableItem(IDC_CUSTOM, enable);
    enableItem(IDC_PREDEFINED, enable && haveStandards);
    enableItem(IDC_SAVE_BINARY, enable);
    for (int id : {IDC_STANDARDS, IDC_SIZES, IDC_PORTRAIT, IDC_LANDSCAPE})
        enableItem(id, enable && !custom);
    for (int id : {IDC_UNITS, IDC_LEFT, IDC_TOP, IDC_RIGHT, IDC_BOTTOM, IDC_CALCULATE})
        enableItem(id, enable && custom);
}

void COptionsGeneralPage::FillStatistics()
{
    auto show = [this](int id, size_t value) { SetDlgItemInt(m_hWnd, id, static_cast<UINT>(value), FALSE); };
    auto countOf = [this](int id) -> size_t {
        CShape* shape = m_control->GetShapeMap().Lookup(id);
        return shape && (shape->GetShapeType() == stGroup || shape->GetShapeType() == stReference || shape->GetShapeType() == stLayer)
                   ? static_cast<size_t>(static_cast<CGroup*>(shape)->GetShapeCount())
                   : 0;
    };
    CShapeMap& map = m_control->GetShapeMap();
    show(IDC_STAT_SHAPES, map.Shapes().size());
    size_t displayed = 0;
    if (CGroup* root = m_control->GetRootGroup()) {
        const int type = root->GetShapeType();
        displayed = type == stGroup || type == stReference ? static_cast<size_t>(root->GetShapeCount()) : 1;
    }
    show(IDC_STAT_DISPLAYED, displayed);
    size_t system = 0;
    for (int id : {static_cast<int>(BASE_ID), static_cast<int>(SELECTION_ID), static_cast<int>(CLIPBOARD_ID),
                   static_cast<int>(LIBRARY_ID), static_cast<int>(LAYERS_ID), static_cast<int>(WINDOW_ID),
                   static_cast<int>(HIGHLIGHTS_ID), static_cast<int>(BASE_LAYER)})
        system += map.Lookup(id) ? 1 : 0;
    if (map.Lookup(DEFAULT_SHAPES_ID))
        system += 1 + countOf(DEFAULT_SHAPES_ID);
    show(IDC_STAT_SYSTEM, system);
    show(IDC_STAT_SELECTED, countOf(SELECTION_ID));
    show(IDC_STAT_CLIPBOARD, countOf(CLIPBOARD_ID));
    show(IDC_STAT_BLOCKS, countOf(LIBRARY_ID));
    show(IDC_STAT_LAYERS, countOf(LAYERS_ID));
    size_t points = m_control->GetPointPool().GetCount();
    if (CShape* window = map.Lookup(WINDOW_ID))
        points -= std::min(points, static_cast<size_t>(window->GetPoints().GetCount()));
    show(IDC_STAT_POINTS, points);
}

// --- The limit edits ---------------------------------------------------------------------------

void COptionsGeneralPage::WriteLimitEdits()
{
    const bool updating = m_updating;
    m_updating = true;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", m_decimals);
    const struct {
        int id;
        float value;
    } fields[] = {{IDC_LEFT, m_limits.left}, {IDC_TOP, m_limits.top}, {IDC_RIGHT, m_limits.right}, {IDC_BOTTOM, m_limits.bottom}};
    for (const auto& field : fields) {
        char text[64];
        std::snprintf(text, sizeof text, format, static_cast<double>(field.value));
        SetDlgItemTextA(m_hWnd, field.id, text);
    }
    HWND units = GetItem(IDC_UNITS);
    const int item = FindData(units, m_unit);
    if (item >= 0)
        SendMessageA(units, CB_SETCURSEL, item, 0);
    m_updating = updating;
}

bool COptionsGeneralPage::ReadLimitEdits()
{
    auto read = [this](int id) {
        char text[1025] = "";
        GetDlgItemTextA(m_hWnd, id, text, static_cast<int>(sizeof text));
        return std::strtof(text, nullptr);
    };
    const CRealRect limits(read(IDC_LEFT), read(IDC_TOP), read(IDC_RIGHT), read(IDC_BOTTOM));
    HWND units = GetItem(IDC_UNITS);
    const LRESULT selected = SendMessageA(units, CB_GETCURSEL, 0, 0);
    const int unit = selected >= 0 ? static_cast<int>(ComboData(units, selected)) : 0;
    if (SameRect(limits, m_limits) && unit == m_unit)
        return false;
    m_limits = limits;
    m_unit = unit;
    return true;
}

void COptionsGeneralPage::CommitPendingEdit()
{
    if (m_timer) {
        KillTimer(m_hWnd, kEditTimer);
        m_timer = 0;
    }
    if (!m_updating && ReadLimitEdits()) {
        NotifyChanged();
        PaperMatch(false);
    }
}

LRESULT COptionsGeneralPage::HandleEditChange(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    NotifyChanged();
    const int id = LOWORD(wParam);
    if (!m_updating && id >= IDC_LEFT && id <= IDC_BOTTOM) {
        KillTimer(m_hWnd, kEditTimer);
        m_timer = SetTimer(m_hWnd, kEditTimer, 500, nullptr);
    }
    return 0;
}

LRESULT COptionsGeneralPage::HandleTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    if (wParam != kEditTimer) {
        handled = FALSE;
        return 0;
    }
    CommitPendingEdit();
    return 0;
}

BOOL COptionsGeneralPage::OnKillActive()
{
    CommitPendingEdit();
    return FALSE;
}

LRESULT COptionsGeneralPage::HandleIgnored(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

// --- Paper sizes -------------------------------------------------------------------------------

void COptionsGeneralPage::PaperMatch(bool useSelectedStandard)
{
    const bool updating = m_updating;
    m_updating = true;
    const float width = m_limits.right - m_limits.left;
    const float height = m_limits.top - m_limits.bottom;
    const bool portrait = width <= height;
    Check(IDC_PORTRAIT, portrait);
    Check(IDC_LANDSCAPE, !portrait);
    const float longSide = std::max(width, height);
    const float shortSide = std::min(width, height);

    const std::vector<CPaperStandard>& table = Standards();
    HWND standards = GetItem(IDC_STANDARDS);
    size_t first = 0, last = table.size();
    if (useSelectedStandard) {
        const LRESULT selected = SendMessageA(standards, CB_GETCURSEL, 0, 0);
        const LRESULT index = selected >= 0 ? ComboData(standards, selected) : -1;
        if (index >= 0 && static_cast<size_t>(index) < table.size()) {
            first = static_cast<size_t>(index);
            last = first + 1;
        }
    }
    int bestStandard = -1, bestSize = -1;
    double bestDistance = DBL_MAX;
    for (size_t s = first; s < last; ++s) {
        if (table[s].unit != m_unit)
            continue;
        for (size_t i = 0; i < table[s].sizes.size(); ++i) {
            const double dx = static_cast<double>(table[s].sizes[i].x) - longSide;
            const double dy = static_cast<double>(table[s].sizes[i].y) - shortSide;
            const double distance = dx * dx + dy * dy;
            // On equal distances the later size wins.
            if (distance <= bestDistance) {
                bestDistance = distance;
                bestStandard = static_cast<int>(s);
                bestSize = static_cast<int>(i);
            }
        }
    }
    const double tolerance = m_unit == kMillimetres ? kMillimetreTolerance : static_cast<double>(kOtherTolerance);
    if (bestStandard >= 0 && bestDistance <= tolerance) {
        SendMessageA(standards, CB_SETCURSEL, FindData(standards, bestStandard), 0);
        FillSizes(table[static_cast<size_t>(bestStandard)], portrait);
        SendMessageA(GetItem(IDC_SIZES), CB_SETCURSEL, FindData(GetItem(IDC_SIZES), bestSize), 0);
    } else {
        MakeCustomItem(longSide, shortSide);
        FillSizes(m_custom, portrait);
        SendMessageA(GetItem(IDC_SIZES), CB_SETCURSEL, 0, 0);
    }
    m_updating = updating;
}

void COptionsGeneralPage::MakeCustomItem(float longSide, float shortSide)
{
    HWND standards = GetItem(IDC_STANDARDS);
    if (m_unit != m_custom.unit) {
        m_custom.unit = m_unit;
        const int old = FindData(standards, -1);
        if (old >= 0)
            SendMessageA(standards, CB_DELETESTRING, old, 0);
    }
    int item = FindData(standards, -1);
    if (item < 0) {
        const std::string text = FormatPair(IDS_STANDARD_ITEM, "%s, %s", m_custom.name, UnitName(m_unit));
        item = static_cast<int>(SendMessageA(standards, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
        SendMessageA(standards, CB_SETITEMDATA, item, -1);
    }
    SendMessageA(standards, CB_SETCURSEL, item, 0);
    if (m_custom.sizes.empty()) {
        m_custom.sizes.emplace_back();
        m_custom.sizes.back().name = "Custom";
    }
    m_custom.sizes[0].x = longSide;
    m_custom.sizes[0].y = shortSide;
}

void COptionsGeneralPage::FillSizes(const CPaperStandard& standard, bool portrait)
{
    HWND sizes = GetItem(IDC_SIZES);
    SendMessageA(sizes, CB_RESETCONTENT, 0, 0);
    const std::string format = LoadText(IDS_SIZE_ITEM, "%s ( %1.4g x %1.4g )");
    std::vector<char> text(1024);
    for (size_t i = 0; i < standard.sizes.size(); ++i) {
        const CPaperSize& size = standard.sizes[i];
        if (size.name.size() + 100 > text.size())
            text.resize(size.name.size() + 200);
        const double across = portrait ? size.y : size.x;
        const double down = portrait ? size.x : size.y;
        std::snprintf(text.data(), text.size(), format.c_str(), size.name.c_str(), across, down);
        const LRESULT item = SendMessageA(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.data()));
        SendMessageA(sizes, CB_SETITEMDATA, item, static_cast<LPARAM>(i));
    }
}

const CPaperStandard* COptionsGeneralPage::SelectedStandard() const
{
    HWND standards = GetItem(IDC_STANDARDS);
    const LRESULT selected = SendMessageA(standards, CB_GETCURSEL, 0, 0);
    if (selected < 0)
        return nullptr;
    const LRESULT index = ComboData(standards, selected);
    const std::vector<CPaperStandard>& table = Standards();
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return &m_custom;
    return &table[static_cast<size_t>(index)];
}

bool COptionsGeneralPage::ApplyChosenSize()
{
    const bool portrait = IsChecked(IDC_PORTRAIT);
    const CPaperStandard* standard = SelectedStandard();
    if (!standard)
        return false;
    bool changed = standard->unit != m_unit;
    m_unit = standard->unit;
    HWND sizes = GetItem(IDC_SIZES);
    const LRESULT selected = SendMessageA(sizes, CB_GETCURSEL, 0, 0);
    const LRESULT index = selected >= 0 ? ComboData(sizes, selected) : -1;
    if (index >= 0 && static_cast<size_t>(index) < standard->sizes.size()) {
        const CPaperSize& size = standard->sizes[static_cast<size_t>(index)];
        const CRealRect limits(0.0f, portrait ? size.x : size.y, portrait ? size.y : size.x, 0.0f);
        changed |= !SameRect(limits, m_limits);
        m_limits = limits;
    }
    return changed;
}

LRESULT COptionsGeneralPage::HandleStandard(UINT, WPARAM, LPARAM, BOOL&)
{
    CommitPendingEdit();
    const CPaperStandard* standard = SelectedStandard();
    if (!standard)
        return 0;
    const bool portrait = IsChecked(IDC_PORTRAIT);
    if (standard->unit != m_unit && !AskRescale(standard->unit, false)) {
        // The list goes back to the standard of the working values.
        PaperMatch(false);
        return 0;
    }
    FillSizes(*standard, portrait);
    SendMessageA(GetItem(IDC_SIZES), CB_SETCURSEL, 0, 0);
    if (ApplyChosenSize()) {
        NotifyChanged();
        PaperMatch(true);
        WriteLimitEdits();
    }
    return 0;
}

LRESULT COptionsGeneralPage::HandleSize(UINT, WPARAM, LPARAM, BOOL&)
{
    CommitPendingEdit();
    if (ApplyChosenSize()) {
        NotifyChanged();
        PaperMatch(true);
        WriteLimitEdits();
    }
    return 0;
}

LRESULT COptionsGeneralPage::HandleOrientation(UINT, WPARAM, LPARAM, BOOL&)
{
    if (ApplyChosenSize()) {
        NotifyChanged();
        PaperMatch(true);
        WriteLimitEdits();
    }
    return 0;
}

LRESULT COptionsGeneralPage::HandleMode(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_timer) {
        KillTimer(m_hWnd, kEditTimer);
        m_timer = 0;
    }
    if (!m_updating && ReadLimitEdits())
        PaperMatch(false);
    EnableEditing(true);
    return 0;
}

// --- Units -------------------------------------------------------------------------------------

LRESULT COptionsGeneralPage::HandleUnit(UINT, WPARAM, LPARAM, BOOL&)
{
    const CRealRect keptLimits = m_limits;
    const int keptUnit = m_unit;
    if (!ReadLimitEdits())
        return 0;
    const int toUnit = m_unit;
    if (AskRescale(toUnit, true)) {
        m_unit = m_scaleDialog.toUnit;
        NotifyChanged();
    } else {
        m_limits = keptLimits;
        m_unit = keptUnit;
    }
    WriteLimitEdits();
    PaperMatch(false);
    return 0;
}

bool COptionsGeneralPage::AskRescale(int toUnit, bool scaleLimits)
{
    const float previous = m_factor != 0.0f && std::isfinite(m_factor) ? m_factor : 0.0f;
    m_scaleDialog.fromUnit = m_fromUnit;
    m_scaleDialog.toUnit = toUnit;
    m_scaleDialog.factor = 0.0f;
    m_factor = 0.0f;
    const int answer = m_scaleDialog.Run(m_hWnd);
    if (answer == CScaleUnitsDialog::kCancel) {
        m_factor = previous;
        return false;
    }
    m_rescaleOnApply = answer == CScaleUnitsDialog::kScale;
    if (answer == CScaleUnitsDialog::kScale) {
        m_factor = m_scaleDialog.factor;
        m_fromUnit = m_scaleDialog.fromUnit;
        if (scaleLimits) {
            const float step = previous != 0.0f ? m_factor / previous : m_factor;
            CommitPendingEdit();
            m_limits *= step;
            WriteLimitEdits();
            PaperMatch(false);
            m_changed = true;
            NotifyChanged();
        }
    } else {
        m_factor = previous;
    }
    return true;
}

// --- Calculate, read only ----------------------------------------------------------------------

LRESULT COptionsGeneralPage::HandleCalculate(UINT, WPARAM, LPARAM, BOOL&)
{
    CommitPendingEdit();
    CShape* root = m_control ? m_control->GetShapeMap().Lookup(BASE_ID) : nullptr;
    CRealRect r;
    if (!root || FAILED(root->GetBoundingRectEx(&r.left, &r.top, &r.right, &r.bottom, nullptr, 0)))
        return 0;
    if (r.right - r.left < 1e-5f) {
        const float centre = (r.left + r.right) / 2.0f;
        r.left = centre - 6e-6f;
        r.right = centre + 6e-6f;
    }
    if (r.top - r.bottom < 1e-5f) {
        const float centre = (r.top + r.bottom) / 2.0f;
        r.bottom = centre - 6e-6f;
        r.top = centre + 6e-6f;
    }
    if (m_factor != 0.0f)
        r *= m_factor;
    m_limits = r;
    WriteLimitEdits();
    PaperMatch(false);
    m_changed = true;
    NotifyChanged();
    return 0;
}

LRESULT COptionsGeneralPage::HandleReadOnly(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!m_control)
        return 0;
    const UINT state = IsDlgButtonChecked(m_hWnd, IDC_READ_ONLY);
    if (state == BST_INDETERMINATE)
        return 0;
    m_control->put_Enabled(state == BST_CHECKED ? VARIANT_FALSE : VARIANT_TRUE);
    if (COptionsDialog* sheet = m_control->GetOptionsSheet())
        sheet->EnablePages(state != BST_CHECKED);
    else
        EnableEditing(state != BST_CHECKED);
    if (m_control->EventsEnabled())
        m_control->RestartRedrawTimer(0);
    return 0;
}

// --- Apply -------------------------------------------------------------------------------------

void COptionsGeneralPage::ScaleDrawing(float f)
{
    if (CShape* library = m_control->GetShapeMap().Lookup(LIBRARY_ID))
        library->Scale(0.0f, 0.0f, f, f, nullptr, true);
    if (CShape* root = m_control->GetShapeMap().Lookup(BASE_ID)) {
        if (root->GetShapeType() == stGroup || root->GetShapeType() == stReference)
            root->Scale(0.0f, 0.0f, f, f, nullptr, true);
    }
    CRealRect visible = m_control->GetCurrentViewport().GetVisibleWorldRect();
    visible *= f;
    m_control->ZoomToRect(CWorldRect{visible.left, visible.top, visible.right, visible.bottom});
}

LONG COptionsGeneralPage::OnApply()
{
    if (!m_control)
        return PSNRET_NOERROR;
    CSiteRecord& site = m_control->GetSiteRecord();
    const CSiteRecord kept(site);
    const DWORD keptFlags = m_control->GetControlFlags();
    const CRealRect keptView = m_control->GetCurrentViewport().GetVisibleWorldRect();
    CommitPendingEdit();
    CShape* root = m_control->GetShapeMap().Lookup(BASE_ID);

    // The limits are checked before the drawing changes: a refused Apply leaves it as it was.
    const bool limitsChanged = !SameRect(m_limits, site.GetDraftLimits());
    if (limitsChanged) {
        Normalize(m_limits);
        const bool zeroWidth = m_limits.right - m_limits.left == 0.0f;
        const bool zeroHeight = m_limits.top - m_limits.bottom == 0.0f;
        if (IsEditable() && (zeroWidth || zeroHeight)) {
            const std::string text = LoadText(IDS_ZERO_SIZE_LIMITS, "Drawing must have non-zero width and height.");
            const std::string caption = LoadText(IDS_WARNING, "Warning");
            ycom::ShowMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
            HWND focus = GetFocus();
            int target = 0;
            if (zeroHeight && focus != GetItem(IDC_TOP) && focus != GetItem(IDC_BOTTOM))
                target = IDC_TOP;
            else if (zeroWidth && focus != GetItem(IDC_LEFT) && focus != GetItem(IDC_RIGHT))
                target = IDC_LEFT;
            if (target) {
                if (!IsWindowEnabled(GetItem(target))) {
                    Check(IDC_CUSTOM, true);
                    Check(IDC_PREDEFINED, false);
                    EnableEditing(true);
                }
                SetFocus(GetItem(target));
            }
            return PSNRET_INVALID_NOCHANGEPAGE;
        }
    }

    // The drawing rescaled to the new unit.
    float scaledBy = 0.0f;
    if (m_rescaleOnApply && m_factor != 0.0f && m_factor != 1.0f) {
        ScaleDrawing(m_factor);
        scaledBy = m_factor;
        m_rescaleOnApply = false;
    }
    auto undoRescale = [&] {
        if (scaledBy != 0.0f) {
            ScaleDrawing(1.0f / scaledBy);
            m_control->ZoomToRect(CWorldRect{keptView.left, keptView.top, keptView.right, keptView.bottom});
        }
    };

    // The drawing moved and scaled into the new limits when the user asks for it.
    bool fitted = false, fitOperation = false;
    float shiftX = 0.0f, shiftY = 0.0f, fitScale = 0.0f;
    const float cx = (m_limits.left + m_limits.right) / 2.0f;
    const float cy = (m_limits.top + m_limits.bottom) / 2.0f;
    if (limitsChanged && root) {
        CRealRect drawing;
        if (SUCCEEDED(root->GetBoundingRect(&drawing.left, &drawing.top, &drawing.right, &drawing.bottom))) {
            Normalize(drawing);
            const float dw = drawing.right - drawing.left;
            const float dh = drawing.top - drawing.bottom;
            const bool outside = drawing.left < m_limits.left || drawing.right > m_limits.right ||
                                 drawing.bottom < m_limits.bottom || drawing.top > m_limits.top;
            if ((dw != 0.0f || dh != 0.0f) && outside) {
                const std::string text = LoadText(IDS_DRAWING_DOES_NOT_FIT, "Drawing does not fit the Draft limits.\nScale drawing to fit?");
                const std::string caption = LoadText(IDS_WARNING, "Warning");
                const int answer = ycom::ShowMessageBox(m_hWnd, text.c_str(), caption.c_str(), MB_YESNOCANCEL | MB_ICONEXCLAMATION);
                if (answer == IDCANCEL) {
                    undoRescale();
                    if (scaledBy != 0.0f)
                        m_rescaleOnApply = true;
                    return PSNRET_INVALID_NOCHANGEPAGE;
                }
                if (answer == IDYES) {
                    CUndoRecorder* recorder = m_control->GetUndoRecorder();
                    if (recorder && !recorder->IsSuspended())
                        fitOperation = SUCCEEDED(recorder->RecordShape(opMove, root, true));
                    shiftX = cx - (drawing.left + drawing.right) / 2.0f;
                    shiftY = cy - (drawing.top + drawing.bottom) / 2.0f;
                    root->Shift(shiftX, shiftY, nullptr, true);
                    const float lw = m_limits.right - m_limits.left;
                    const float lh = m_limits.top - m_limits.bottom;
                    if (dw > lw || dh > lh) {
                        const float kx = dw != 0.0f ? lw / dw : 0.0f;
                        const float ky = dh != 0.0f ? lh / dh : 0.0f;
                        fitScale = kx == 0.0f ? ky : ky == 0.0f ? kx : std::min(kx, ky);
                        if (fitScale != 0.0f)
                            root->Scale(cx, cy, fitScale, fitScale, nullptr, true);
                    }
                    fitted = true;
                }
            }
        }
    }

    site.SetDraftLimits(m_limits);
    bool changed = limitsChanged || scaledBy != 0.0f || fitted;
    if (limitsChanged && root && m_control->GetRootGroup() == root && static_cast<CGroup*>(root)->GetShapeCount() == 0)
        m_control->ZoomAll();
    if (m_unit != site.GetUnitId()) {
        site.SetUnitId(m_unit);
        changed = true;
    }
    DWORD flags = m_control->GetControlFlags();
    const bool wasLocked = (flags & controlLockLimits) != 0;
    const bool lock = IsChecked(IDC_PREDEFINED);
    if (lock != wasLocked) {
        flags = lock ? (flags | controlLockLimits) : (flags & ~static_cast<DWORD>(controlLockLimits));
        m_control->SetControlFlags(flags);
        changed = true;
        if (!lock && m_control->GetRootGroup())
            m_control->GrowDraftLimits(m_control->GetRootGroup()->GetId(), false);
    }
    const bool binary = IsChecked(IDC_SAVE_BINARY);
    if (binary != ((flags & controlSaveAsBinary) != 0)) {
        m_control->SetSaveAsBinary(binary);
        changed = true;
    }

    if (changed || m_changed) {
        m_changed = false;
        if (!m_control->FireEditSite(m_control->GetSiteId())) {
            // The host keeps the site as it was: record, binary flag and drawing. The lock stays.
            site = kept;
            m_control->SetSaveAsBinary((keptFlags & controlSaveAsBinary) != 0);
            if (fitted && root) {
                if (fitScale != 0.0f)
                    root->Scale(cx, cy, 1.0f / fitScale, 1.0f / fitScale, nullptr, true);
                root->Shift(-shiftX, -shiftY, nullptr, true);
            }
            undoRescale();
            if (fitOperation)
                m_control->GetUndoRecorder()->CloseOperation(false);
            fitOperation = false;
            changed = false;
            m_limits = site.GetDraftLimits();
            m_unit = site.GetUnitId();
            WriteLimitEdits();
            PaperMatch(false);
        }
        if (changed) {
            m_control->SetRanges();
            m_control->Refresh();
            m_control->UpdateRulers(0, true);
            if (m_control->EventsEnabled())
                m_control->RestartRedrawTimer(0);
        }
    }
    if (fitOperation)
        m_control->GetUndoRecorder()->CloseOperation(true);
    m_control->RequestRedraw(rfRedrawAll, nullptr);
    return PSNRET_NOERROR;
}
