#include "ui/OptionsDrawingSettingsPage.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "control/DialogLists.h"
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/Text.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <commdlg.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr DWORD kColourFlags = CColorPopupMenu::kByLayerColour | CColorPopupMenu::kByBlockColour;

std::string LoadText(UINT id, const char* fallback, int size = 100)
{
    std::vector<char> text(static_cast<size_t>(size), '\0');
    if (!ycom::LoadResourceString(id, text.data(), size))
        return fallback;
    return text.data();
}

// The setting's values that the default shapes take, kept to put them back after a veto.
struct DefaultShapeState {
    CShape* shape;
    DWORD penColour;
    int lineType;
    float lineScale;
    float penWeight;
    bool scaleWeight;
    DWORD hatchColour;
    int hatchPattern;
    float hatchScale;
    std::string fontName;
    DWORD fontStyle = 0;
    int charset = 0;
    float height = 0.0f;
    DWORD align = 0;
};

DefaultShapeState Keep(CShape* shape)
{
    DefaultShapeState s{shape,
                        shape->GetPenColor(),
                        shape->GetLinePatternId(),
                        shape->GetLinePatternScale(),
                        shape->GetPenWeight(),
                        shape->HasState(CShape::stScalePenWeight),
                        shape->GetHatchColor(),
                        shape->GetHatchPatternId(),
                        shape->GetHatchPatternScale()};
    if (shape->GetShapeType() == stText) {
        auto* text = static_cast<CText*>(shape);
        s.fontName = text->GetFontNameA();
        s.fontStyle = text->GetFontStyle();
        s.charset = text->GetCharset();
        s.height = text->GetHeight();
        s.align = text->GetAlignType();
    }
    return s;
}

void PutBack(const DefaultShapeState& s)
{
    CShape* shape = s.shape;
    shape->SetPenColor(s.penColour);
    shape->SetLinePatternId(s.lineType);
    shape->SetLinePatternScale(s.lineScale);
    shape->SetPenWeight(s.penWeight);
    shape->SetStateBits(CShape::stScalePenWeight, s.scaleWeight);
    shape->SetHatchColor(s.hatchColour);
    shape->SetHatchPatternId(s.hatchPattern);
    shape->SetHatchPatternScale(s.hatchScale);
    if (shape->GetShapeType() == stText) {
        auto* text = static_cast<CText*>(shape);
        text->SetFontNameA(s.fontName.c_str());
        text->SetFontStyle(s.fontStyle);
        text->SetCharset(s.charset);
        text->SetHeight(s.height);
        text->SetAlignType(s.align);
    }
}

// The text shape's alignment flags of a style word's alignment bits: right 2, centre 6, bottom 8,
// middle 0x10000.
DWORD TextAlignment(DWORD style)
{
    DWORD align = 0;
    if (style & 0x10)
        align |= 2;
    else if (style & 0x20)
        align |= 6;
    if (style & 0x40)
        align |= 8;
    else if (style & 0x80)
        align |= 0x10000;
    return align;
}

} // namespace

COptionsDrawingSettingsPage::COptionsDrawingSettingsPage() : COptionsPage(IDD_OPTIONS_DRAWING_SETTINGS)
{
    using C = CSettingControl;
    struct Row {
        int id, spin, kind;
        bool master, ignoresReadOnly;
        int range;
        float min, max;
    };
    static const Row rows[kDescriptorCount] = {
        {IDC_DS_LAYER, 0, C::kList, true, false, C::kNoRange, 0, 0},
        {IDC_DS_PEN_COLOUR, 0, C::kColour, true, false, C::kNoRange, 0, 0},
        {IDC_DS_PEN_TYPE, 0, C::kList, true, false, C::kNoRange, 0, 0},
        {IDC_DS_LINE_SCALE, IDC_DS_LINE_SCALE_SPIN, C::kNumber, true, false, C::kAbsolute, 0, 10000},
        {IDC_DS_PEN_WIDTH, IDC_DS_PEN_WIDTH_SPIN, C::kNumber, true, false, C::kAbsolute, 0, 10000},
        {IDC_DS_SCALE_WIDTH, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_HATCH_COLOUR, 0, C::kColour, true, false, C::kNoRange, 0, 0},
        {IDC_DS_HATCH_TYPE, 0, C::kList, true, false, C::kNoRange, 0, 0},
        {IDC_DS_HATCH_SCALE, IDC_DS_HATCH_SCALE_SPIN, C::kNumber, true, false, C::kAbsolute, 0, 10000},
        {IDC_DS_ORTHO, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_SMOOTH, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_ARROWS, IDC_DS_ARROWS_SPIN, C::kNumber, true, false, C::kRelative, 0, 0.02f},
        {IDC_DS_GRID, 0, C::kCheck, true, true, C::kNoRange, 0, 0},
        {IDC_DS_GRID_X, IDC_DS_GRID_X_SPIN, C::kNumber, false, true, C::kAbsolute, 0, 1000000},
        {IDC_DS_GRID_Y, IDC_DS_GRID_Y_SPIN, C::kNumber, false, true, C::kAbsolute, 0, 1000000},
        {IDC_DS_BASE_X, IDC_DS_BASE_X_SPIN, C::kNumber, false, true, C::kNoRange, 0, 0},
        {IDC_DS_BASE_Y, IDC_DS_BASE_Y_SPIN, C::kNumber, false, true, C::kNoRange, 0, 0},
        {IDC_DS_SNAP, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_SNAP_X, IDC_DS_SNAP_X_SPIN, C::kNumber, false, false, C::kAbsolute, 0, 1000000},
        {IDC_DS_SNAP_Y, IDC_DS_SNAP_Y_SPIN, C::kNumber, false, false, C::kAbsolute, 0, 1000000},
        {IDC_DS_FONT, 0, C::kList, true, false, C::kNoRange, 0, 0},
        {0, 0, C::kNone, true, false, C::kNoRange, 0, 0},
        {IDC_DS_ALIGNMENT, 0, C::kList, true, false, C::kNoRange, 0, 0},
        {IDC_DS_EDIT_NEW_TEXT, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_IMAGE_SCALE, IDC_DS_IMAGE_SCALE_SPIN, C::kNumber, true, false, C::kRelative, 0, 0.02f},
        {IDC_DS_TOPMOST_SHAPE, 0, C::kCheck, true, true, C::kNoRange, 0, 0},
        {IDC_DS_TOPMOST_LINE, 0, C::kCheck, true, true, C::kNoRange, 0, 0},
        {IDC_DS_DRAW_IMAGES, 0, C::kCheck, true, false, C::kNoRange, 0, 0},
        {IDC_DS_LINK_MARKS, IDC_DS_LINK_MARKS_SPIN, C::kNumber, true, true, C::kRelative, 0, 0.02f},
    };
    for (const Row& row : rows) {
        CSettingControl c;
        c.id = row.id;
        c.spinId = row.spin;
        c.kind = row.kind;
        c.master = row.master;
        c.ignoresReadOnly = row.ignoresReadOnly;
        c.rangeMode = row.range;
        c.min = row.min;
        c.max = row.max;
        m_controls.push_back(c);
    }
    m_lineTypes.SetByLayerEntries(true);
    m_lineTypes.SetBuiltInEntries(true);
    m_hatches.SetNoneEntry(true);
    m_hatches.SetByLayerEntries(true);
}

COptionsDrawingSettingsPage::~COptionsDrawingSettingsPage() = default;

// --- Colours and alignment ---------------------------------------------------------------------

COLORREF COptionsDrawingSettingsPage::GetButtonColour(HWND button)
{
    return static_cast<COLORREF>(GetWindowLongPtrA(button, GWLP_USERDATA));
}

void COptionsDrawingSettingsPage::SetButtonColour(HWND button, COLORREF colour)
{
    SetWindowLongPtrA(button, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    SetWindowTextA(button, ColourName(colour).c_str());
    InvalidateRect(button, nullptr, TRUE);
}

std::string COptionsDrawingSettingsPage::ColourName(COLORREF colour)
{
    if (colour & CColorPopupMenu::kByLayerColour)
        return LoadText(IDS_BY_LAYER, "By Layer", 30);
    if (colour & CColorPopupMenu::kByBlockColour)
        return LoadText(IDS_BY_BLOCK, "By Block", 30);
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const struct {
        int r, g, b;
        UINT text;
        const char* fallback;
    } names[] = {
        {255, 0, 0, IDS_COLOUR_RED, "Red"},        {255, 255, 0, IDS_COLOUR_YELLOW, "Yellow"},
        {255, 0, 255, IDS_COLOUR_MAGENTA, "Magenta"}, {0, 255, 0, IDS_COLOUR_GREEN, "Green"},
        {0, 255, 255, IDS_COLOUR_CYAN, "Cyan"},    {0, 0, 255, IDS_COLOUR_BLUE, "Blue"},
        {0, 0, 0, IDS_COLOUR_BLACK, "Black"},      {255, 255, 255, IDS_COLOUR_WHITE, "White"},
        {128, 128, 128, IDS_COLOUR_GREY, "Grey"},  {192, 192, 192, IDS_COLOUR_LIGHT_GREY, "Lt. Grey"},
    };
    // Near: within 4 for red, 2 for green, 12 for blue.
    for (const auto& n : names)
        if (std::abs(r - n.r) < 4 && std::abs(g - n.g) < 2 && std::abs(b - n.b) < 12)
            return LoadText(n.text, n.fallback, 30);
    char text[16];
    std::snprintf(text, sizeof text, "H%06X", static_cast<unsigned>(colour));
    return text;
}

int COptionsDrawingSettingsPage::AlignmentCode(DWORD style)
{
    auto bit = [style](int n) { return static_cast<int>((style >> n) & 1); };
    return bit(6) * 8 + bit(7) * 4 + bit(4) * 2 + bit(5);
}

DWORD COptionsDrawingSettingsPage::StyleWithAlignment(DWORD style, int code)
{
    style &= ~static_cast<DWORD>(0xF0);
    if (code & 1)
        style |= 0x20;
    if (code & 2)
        style |= 0x10;
    if (code & 4)
        style |= 0x80;
    if (code & 8)
        style |= 0x40;
    return style;
}

// --- State helpers -----------------------------------------------------------------------------

CSettingControl* COptionsDrawingSettingsPage::FindById(int id)
{
    for (CSettingControl& c : m_controls)
        if (c.id == id && id != 0)
            return &c;
    return nullptr;
}

CDrawingSettingRecord* COptionsDrawingSettingsPage::Record() const
{
    if (!m_control)
        return nullptr;
    if (CDrawingSettingRecord* current = m_control->GetCurrentDrawingSetting())
        return current;
    return m_control->GetDrawingSettingMap().FindByID(1);
}

bool COptionsDrawingSettingsPage::IsEditable() const
{
    return m_editingEnabled && m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet();
}

bool COptionsDrawingSettingsPage::IsChecked(const CSettingControl& c) const
{
    return c.window && SendMessageA(c.window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void COptionsDrawingSettingsPage::SetNumber(int index, float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    SetWindowTextA(m_controls[static_cast<size_t>(index)].window, text);
}

float COptionsDrawingSettingsPage::GetNumber(int index) const
{
    char text[64] = "";
    GetWindowTextA(m_controls[static_cast<size_t>(index)].window, text, static_cast<int>(sizeof text));
    return std::strtof(text, nullptr);
}

bool COptionsDrawingSettingsPage::Bounds(const CSettingControl& c, double* low, double* high) const
{
    if (!(c.max > c.min))
        return false;
    if (c.rangeMode == CSettingControl::kAbsolute) {
        *low = c.min;
        *high = c.max;
        return true;
    }
    if (c.rangeMode != CSettingControl::kRelative || !m_control)
        return false;
    // Relative to the drawing's size: the draft limits' width plus height. The bounds keep their
    // fractions: rounded to whole numbers, a drawing under 25 units across would hold the arrow,
    // image and link-mark scales at 0.
    const CRealRect limits = m_control->GetSiteRecord().GetDraftLimits();
    const double size = std::fabs(static_cast<double>(limits.right) - limits.left) +
                        std::fabs(static_cast<double>(limits.top) - limits.bottom);
    if (!std::isfinite(size))
        return false;
    *low = size * c.min;
    *high = size * c.max;
    return true;
}

void COptionsDrawingSettingsPage::ClearModified()
{
    for (CSettingControl& c : m_controls)
        c.modified = false;
}

// --- Initialisation and reload -----------------------------------------------------------------

LRESULT COptionsDrawingSettingsPage::HandleCreate(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

BOOL COptionsDrawingSettingsPage::OnInitPage()
{
    for (CSettingControl& c : m_controls) {
        c.window = c.id ? GetItem(c.id) : nullptr;
        c.spin = c.spinId ? GetItem(c.spinId) : nullptr;
    }
    if (!m_control)
        return TRUE;
    m_lineTypes.SetLineTypes(&m_control->GetLineTypeMap());
    m_hatches.SetPatterns(&m_control->GetHatchPatternMap());
    m_layers.SetShapes(&m_layerShapes);
    m_layers.Attach(m_controls[kLayer].window);
    m_lineTypes.Attach(m_controls[kPenType].window);
    m_hatches.Attach(m_controls[kHatchType].window);
    if (IsEditable())
        EnableEditing(true);
    FillAlignments();
    Reload();
    EnableEditing(true);
    ClearModified();
    return TRUE;
}

void COptionsDrawingSettingsPage::FillAlignments()
{
    HWND list = m_controls[kAlignment].window;
    const std::string text = LoadText(IDS_ALIGNMENTS, "0;Top Left", 1024);
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(';', start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    int position = 0;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const int code = std::atoi(parts[i].c_str());
        const LRESULT item = SendMessageA(list, CB_INSERTSTRING, position++, reinterpret_cast<LPARAM>(parts[i + 1].c_str()));
        SendMessageA(list, CB_SETITEMDATA, item, code);
    }
}

void COptionsDrawingSettingsPage::FillLayers(int currentId)
{
    m_layerShapes.clear();
    if (CShape* layers = m_control->GetShapeMap().Lookup(LAYERS_ID))
        if (layers->GetShapeType() == stGroup)
            m_layerShapes = static_cast<CGroup*>(layers)->Children();
    SendMessageA(m_controls[kLayer].window, CPickList::kFillMessage, static_cast<WPARAM>(currentId), 0);
}

void COptionsDrawingSettingsPage::Reload()
{
    CDrawingSettingRecord* record = Record();
    if (!record || !m_hWnd)
        return;
    const bool updating = m_updating;
    m_updating = true;
    // The up-down controls run from 500 down to 0, so that the upper arrow reports a step of -1
    // and a spin step (value - 0.1 x step) raises the value.
    for (const CSettingControl& c : m_controls)
        if (c.spin)
            SendMessageA(c.spin, UDM_SETRANGE32, 500, 0);
    auto check = [this](int index, bool on) {
        SendMessageA(m_controls[static_cast<size_t>(index)].window, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    };
    FillLayers(record->Layer ? record->Layer->GetId() : 0);
    SendMessageA(m_controls[kPenType].window, CPickList::kFillMessage, static_cast<WPARAM>(record->LinePatternID), 0);
    SetButtonColour(m_controls[kPenColour].window, record->PenColor);
    SetNumber(kLineScale, record->LinePatternScale);
    SetNumber(kPenWidth, record->PenWeight);
    check(kScaleWidth, record->ScalePenWeight != 0);
    SendMessageA(m_controls[kHatchType].window, CPickList::kFillMessage, static_cast<WPARAM>(record->HatchPatternID), 0);
    SetButtonColour(m_controls[kHatchColour].window, record->HatchColor);
    SetNumber(kHatchScale, record->HatchPatternScale);
    check(kGrid, record->ShowGrid != 0);
    SetNumber(kGridX, record->GridXSpace);
    SetNumber(kGridY, record->GridYSpace);
    SetNumber(kBaseX, record->SnapBaseX);
    SetNumber(kBaseY, record->SnapBaseY);
    check(kSnap, record->SnapToGrid != 0);
    SetNumber(kSnapX, record->SnapXSpace);
    SetNumber(kSnapY, record->SnapYSpace);
    check(kOrtho, record->OrthoMode != 0);
    check(kSmooth, record->SplineFreeHand != 0);
    SetNumber(kArrows, record->ArrowScale);
    check(kEditNewText, record->EditNewText != 0);
    FillFontNameCombo(m_controls[kFont].window, record->GetFontName().empty() ? "Arial" : record->GetFontName().c_str());
    m_fontHeight = record->FontSize;
    m_charset = record->FontCharset;
    m_style = record->StyleWord;
    if (CShape* text = m_control->GetShapeMap().Lookup(DEFAULT_TEXT_ID))
        if (text->GetShapeType() == stText)
            m_fontColour = text->GetPenColor();
    HWND alignment = m_controls[kAlignment].window;
    const int code = AlignmentCode(record->StyleWord);
    const int count = static_cast<int>(SendMessageA(alignment, CB_GETCOUNT, 0, 0));
    int selected = 0;
    for (int i = 0; i < count; ++i)
        if (static_cast<int>(SendMessageA(alignment, CB_GETITEMDATA, i, 0)) == code)
            selected = i;
    SendMessageA(alignment, CB_SETCURSEL, selected, 0);
    SetNumber(kImageScale, record->ImageScale);
    SetNumber(kLinkMarks, record->LinkMarkScale);
    const DWORD flags = m_control->GetControlFlags();
    check(kTopmostShape, !(flags & controlSelectOnlyTopmostShape));
    check(kTopmostLine, (flags & controlSelectOnlyTopmostPolyline) != 0);
    check(kDrawImages, !(flags & controlFrameEditedImages));
    ClearModified();
    m_updating = updating;
}

LRESULT COptionsDrawingSettingsPage::HandleReload(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (wParam != 1 || lParam != 1) {
        handled = FALSE;
        return 0;
    }
    Reload();
    EnableEditing(true);
    return 0;
}

LRESULT COptionsDrawingSettingsPage::HandleCurrentLayer(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    if (lParam != 0 || !m_control) {
        handled = FALSE;
        return 0;
    }
    m_controls[kLayer].modified = false;
    CDrawingSettingRecord* record = Record();
    const bool updating = m_updating;
    m_updating = true;
    FillLayers(record && record->Layer ? record->Layer->GetId() : 0);
    m_updating = updating;
    return 0;
}

// --- Enabling ----------------------------------------------------------------------------------

void COptionsDrawingSettingsPage::EnableEditing(bool enable)
{
    COptionsPage::EnableEditing(enable);
    if (!m_hWnd || !::IsWindow(m_hWnd))
        return;
    const bool editable = enable && m_control && !m_control->IsReadOnly() && m_control->IsEnabledFlagSet();
    bool group = true;
    for (const CSettingControl& c : m_controls) {
        const bool base = c.ignoresReadOnly ? enable : editable;
        if (c.master && base)
            group = c.kind == CSettingControl::kCheck ? IsChecked(c) : true;
        const bool on = c.master ? base : (base && group);
        if (c.window)
            EnableWindow(c.window, on ? TRUE : FALSE);
        if (c.spin)
            EnableWindow(c.spin, on ? TRUE : FALSE);
    }
    EnableWindow(GetItem(IDC_FONT_DIALOG), editable ? TRUE : FALSE);
}

// --- The user's changes ------------------------------------------------------------------------

LRESULT COptionsDrawingSettingsPage::HandleNumberFilter(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    CSettingControl* c = FindById(LOWORD(wParam));
    if (!c || c->kind != CSettingControl::kNumber) {
        handled = FALSE;
        return 0;
    }
    if (m_updating)
        return 0;
    char buffer[256] = "";
    GetWindowTextA(c->window, buffer, static_cast<int>(sizeof buffer));
    const std::string original = buffer;
    std::string text = original;
    DWORD selStart = 0, selEnd = 0;
    SendMessageA(c->window, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    auto removeAt = [&](size_t at) {
        text.erase(at, 1);
        if (selStart > at)
            --selStart;
        if (selEnd > at)
            --selEnd;
    };
    if (!m_spinning) {
        // Digits and points only; a minus sign stays where it leads the number.
        for (size_t i = 0; i < text.size();) {
            const char ch = text[i];
            const bool keep = (ch >= '0' && ch <= '9') || ch == '.' || (ch == '-' && i == 0);
            if (keep)
                ++i;
            else
                removeAt(i);
        }
        const size_t first = text.find('.');
        const size_t second = first == std::string::npos ? std::string::npos : text.find('.', first + 1);
        if (second != std::string::npos) {
            // The point just typed stands before the caret (or in the selection): the older goes.
            const bool newest = second + 1 == selStart || (second >= selStart && second < selEnd);
            removeAt(newest ? first : second);
            // Any further points go as well.
            for (size_t more = text.find('.', text.find('.') + 1); more != std::string::npos; more = text.find('.', more))
                removeAt(more);
        }
    }
    double low = 0.0, high = 0.0;
    if (Bounds(*c, &low, &high)) {
        const double value = std::strtod(text.c_str(), nullptr);
        const double clamped = std::min(std::max(value, low), high);
        if (clamped != value) {
            char number[64];
            std::snprintf(number, sizeof number, "%.2f", clamped);
            text = number;
            selStart = selEnd = static_cast<DWORD>(text.size());
        }
    }
    if (text != original) {
        m_updating = true;
        SetWindowTextA(c->window, text.c_str());
        SendMessageA(c->window, EM_SETSEL, selStart, selEnd);
        m_updating = false;
    }
    c->modified = true;
    return 0;
}

LRESULT COptionsDrawingSettingsPage::HandleSpin(UINT, WPARAM, LPARAM lParam, BOOL& handled)
{
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    CSettingControl* c = nullptr;
    for (CSettingControl& candidate : m_controls)
        if (candidate.spin && candidate.spin == change->hdr.hwndFrom)
            c = &candidate;
    if (!c) {
        handled = FALSE;
        return 0;
    }
    char text[31] = "";
    GetWindowTextA(c->window, text, static_cast<int>(sizeof text));
    double value = std::strtod(text, nullptr) - 0.1 * change->iDelta;
    if (std::strlen(text) > 10)
        value = std::trunc(value);
    char number[64];
    std::snprintf(number, sizeof number, "%.2f", value);
    m_spinning = true;
    SetWindowTextA(c->window, number);
    m_spinning = false;
    SendMessageA(c->spin, UDM_SETPOS32, 0, static_cast<LPARAM>(std::trunc(value)));
    // The position is the page's to set.
    return TRUE;
}

LRESULT COptionsDrawingSettingsPage::HandleButton(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    CSettingControl* c = FindById(LOWORD(wParam));
    if (!c) {
        handled = FALSE;
        return 0;
    }
    if (c->kind == CSettingControl::kCheck) {
        c->modified = !c->modified;
        EnableEditing(true);
        return 0;
    }
    if (c->kind == CSettingControl::kColour) {
        ChooseColour(*c);
        return 0;
    }
    handled = FALSE;
    return 0;
}

void COptionsDrawingSettingsPage::ChooseColour(CSettingControl& c)
{
    const COLORREF colour = GetButtonColour(c.window);
    RECT r;
    GetWindowRect(c.window, &r);
    // A menu is built once: each choice has a popup object of its own, which answers the menu's
    // measure and draw messages while it is open.
    m_popup = std::make_unique<CColorPopupMenu>();
    if (!m_popup->Build(colour, colour, CColorPopupMenu::kByLayer | CColorPopupMenu::kByBlock))
        return;
    if (m_popup->Track(TPM_RETURNCMD | TPM_NONOTIFY, r.left, r.bottom, m_hWnd) && m_popup->GetChosenColor() != colour) {
        SetButtonColour(c.window, m_popup->GetChosenColor());
        c.modified = true;
    }
}

LRESULT COptionsDrawingSettingsPage::HandleListChange(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    CSettingControl* c = FindById(LOWORD(wParam));
    if (!c || c->kind != CSettingControl::kList) {
        handled = FALSE;
        return 0;
    }
    if (!m_updating)
        c->modified = true;
    return 0;
}

LRESULT COptionsDrawingSettingsPage::HandleDropDown(UINT, WPARAM wParam, LPARAM, BOOL& handled)
{
    const int id = LOWORD(wParam);
    CPickList* list = id == IDC_DS_LAYER ? static_cast<CPickList*>(&m_layers)
                      : id == IDC_DS_PEN_TYPE ? static_cast<CPickList*>(&m_lineTypes)
                      : id == IDC_DS_HATCH_TYPE ? static_cast<CPickList*>(&m_hatches)
                                                 : nullptr;
    if (!list || !m_control) {
        handled = FALSE;
        return 0;
    }
    const bool updating = m_updating;
    m_updating = true;
    const LPARAM selected = list->GetSelectedId();
    if (list == &m_layers)
        FillLayers(static_cast<int>(selected));
    else
        SendMessageA(list->GetHandle(), CPickList::kFillMessage, static_cast<WPARAM>(selected), 0);
    m_updating = updating;
    return 0;
}

LRESULT COptionsDrawingSettingsPage::HandleFontDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CSettingControl& c = m_controls[kFontDialog];
    char face[LF_FACESIZE] = "";
    GetWindowTextA(m_controls[kFont].window, face, static_cast<int>(sizeof face));
    LOGFONTA font = {};
    lstrcpynA(font.lfFaceName, *face ? face : "Arial", LF_FACESIZE);
    font.lfHeight = static_cast<LONG>(m_fontHeight * 4.0f / 3.0f);
    font.lfWeight = (m_style & CDrawingSettingRecord::styleBold) ? 700 : 0;
    font.lfItalic = (m_style & CDrawingSettingRecord::styleItalic) ? 1 : 0;
    font.lfUnderline = (m_style & CDrawingSettingRecord::styleUnderline) ? 1 : 0;
    font.lfStrikeOut = (m_style & CDrawingSettingRecord::styleStrikethrough) ? 1 : 0;
    font.lfCharSet = static_cast<BYTE>(m_charset);
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    font.lfClipPrecision = 0;
    font.lfQuality = 1;
    font.lfPitchAndFamily = 2;
    CHOOSEFONTA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_hWnd;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (m_fontColour != static_cast<COLORREF>(-1))
        choose.rgbColors = m_fontColour;
    if (!ChooseFontA(&choose)) {
        CommDlgExtendedError();
        return 0;
    }
    FillFontNameCombo(m_controls[kFont].window, font.lfFaceName);
    const float height = static_cast<float>(choose.iPointSize) / 10.0f;
    DWORD style = m_style & ~static_cast<DWORD>(0xF);
    if (font.lfWeight > 550)
        style |= CDrawingSettingRecord::styleBold;
    if (font.lfItalic)
        style |= CDrawingSettingRecord::styleItalic;
    if (font.lfUnderline)
        style |= CDrawingSettingRecord::styleUnderline;
    if (font.lfStrikeOut)
        style |= CDrawingSettingRecord::styleStrikethrough;
    if (height != m_fontHeight || font.lfCharSet != m_charset || style != m_style || choose.rgbColors != m_fontColour)
        c.modified = true;
    m_fontHeight = height;
    m_charset = font.lfCharSet;
    m_style = style;
    m_fontColour = choose.rgbColors;
    return 0;
}

// --- Colour buttons and the popup's items ------------------------------------------------------

COLORREF COptionsDrawingSettingsPage::ResolveButtonColour(int id, COLORREF colour)
{
    if (!(colour & CColorPopupMenu::kByLayerColour) || !m_control)
        return colour & ~kColourFlags;
    CShape* layer = m_layers.Find(static_cast<int>(m_layers.GetSelectedId()));
    if (!layer)
        return colour & ~kColourFlags;
    return (id == IDC_DS_PEN_COLOUR ? layer->GetPenColor() : layer->GetHatchColor()) & ~kColourFlags;
}

LRESULT COptionsDrawingSettingsPage::HandleDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (wParam == 0) {
        if (!m_popup) {
            handled = FALSE;
            return 0;
        }
        m_popup->DrawItem(draw);
        return TRUE;
    }
    if (wParam != IDC_DS_PEN_COLOUR && wParam != IDC_DS_HATCH_COLOUR) {
        (void)msg;
        handled = FALSE;
        return 0;
    }
    HDC dc = draw->hDC;
    RECT r = draw->rcItem;
    const int side = r.bottom - r.top;
    RECT arrow = {r.right - side, r.top, r.right, r.bottom};
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (draw->itemState & ODS_SELECTED)
        state |= DFCS_FLAT;
    if (draw->itemState & ODS_DISABLED)
        state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &arrow, DFC_SCROLL, state);
    RECT body = {r.left + 1, r.top + 1, arrow.left - 1, r.bottom - 1};
    const bool focused = (draw->itemState & ODS_FOCUS) != 0;
    FillRect(dc, &body, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (focused)
        DrawFocusRect(dc, &body);
    const COLORREF colour = GetButtonColour(draw->hwndItem);
    SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : (draw->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    DrawColorItem(dc, body, ResolveButtonColour(static_cast<int>(wParam), colour), ColourName(colour).c_str());
    return TRUE;
}

LRESULT COptionsDrawingSettingsPage::HandleMeasureItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (wParam != 0 || !m_popup || measure->CtlType != ODT_MENU) {
        handled = FALSE;
        return 0;
    }
    RECT button;
    GetWindowRect(m_controls[kPenColour].window, &button);
    const int height = button.bottom - button.top - 2;
    m_popup->MeasureItem(measure, height > 0 ? static_cast<UINT>(height) : 0);
    return TRUE;
}

LRESULT COptionsDrawingSettingsPage::HandleDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
{
    m_popup.reset();
    handled = FALSE;
    return 0;
}

// --- Apply -------------------------------------------------------------------------------------

LONG COptionsDrawingSettingsPage::OnApply()
{
    const bool anyModified =
        std::any_of(m_controls.begin(), m_controls.end(), [](const CSettingControl& c) { return c.modified; });
    if (!anyModified || !m_control)
        return PSNRET_NOERROR;
    bool penOrHatch = false;
    for (int i = kPenColour; i <= kHatchScale; ++i)
        penOrHatch |= m_controls[static_cast<size_t>(i)].modified;
    bool text = false;
    for (int i : {kFont, kFontDialog, kAlignment, kEditNewText})
        text |= m_controls[static_cast<size_t>(i)].modified;

    CDrawingSettingRecord* record = Record();
    if (!record) {
        const std::string message = LoadText(IDS_UNKNOWN_ERROR, "Unknown error.");
        const std::string caption = LoadText(IDS_ERROR_CAPTION, "Error");
        ycom::ShowMessageBox(m_hWnd, message.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return PSNRET_NOERROR;
    }
    const CDrawingSettingRecord kept(*record);
    const DWORD keptFlags = m_control->GetControlFlags();

    // The default shapes the change reaches, as they are now.
    std::vector<DefaultShapeState> touched;
    if (CShape* defaults = m_control->GetShapeMap().Lookup(DEFAULT_SHAPES_ID)) {
        if (defaults->GetShapeType() == stGroup) {
            for (CShape* shape : static_cast<CGroup*>(defaults)->Children())
                if (penOrHatch || (text && shape->GetShapeType() == stText))
                    touched.push_back(Keep(shape));
        }
    }
    CUndoRecorder* recorder = m_control->GetUndoRecorder();
    bool operation = false;
    if (recorder && !recorder->IsSuspended()) {
        operation = SUCCEEDED(recorder->OpenOperation(opProperties));
        recorder->RecordDrawingSetting(opProperties, record, false);
        for (const DefaultShapeState& s : touched)
            recorder->RecordShape(opProperties, s.shape, false);
    }

    auto modified = [this](int index) { return m_controls[static_cast<size_t>(index)].modified; };
    auto listData = [this](int index) -> LPARAM {
        HWND list = m_controls[static_cast<size_t>(index)].window;
        const LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
        return selected < 0 ? 0 : SendMessageA(list, CB_GETITEMDATA, selected, 0);
    };
    auto checked = [this](int index) { return IsChecked(m_controls[static_cast<size_t>(index)]); };
    auto forDefaults = [&](const std::function<void(CShape*)>& set) {
        for (const DefaultShapeState& s : touched)
            set(s.shape);
    };
    if (modified(kLayer)) {
        CShape* layer = m_control->GetShapeMap().Lookup(static_cast<int>(listData(kLayer)));
        if (layer && layer->GetShapeType() == stLayer)
            record->Layer = static_cast<CLayer*>(layer);
    }
    if (modified(kPenColour)) {
        const COLORREF colour = GetButtonColour(m_controls[kPenColour].window);
        record->SetPenColor(colour);
        forDefaults([&](CShape* s) { s->SetPenColor(colour); });
    }
    if (modified(kPenType)) {
        const int id = static_cast<int>(listData(kPenType));
        record->LinePatternID = id;
        forDefaults([&](CShape* s) { s->SetLinePatternId(id); });
    }
    if (modified(kLineScale)) {
        const float v = GetNumber(kLineScale);
        record->LinePatternScale = v;
        forDefaults([&](CShape* s) { s->SetLinePatternScale(v); });
    }
    if (modified(kPenWidth)) {
        const float v = GetNumber(kPenWidth);
        record->PenWeight = v;
        forDefaults([&](CShape* s) { s->SetPenWeight(v); });
    }
    if (modified(kScaleWidth)) {
        const bool on = checked(kScaleWidth);
        record->ScalePenWeight = on ? 1 : 0;
        forDefaults([&](CShape* s) { s->SetStateBits(CShape::stScalePenWeight, on); });
    }
    if (modified(kHatchColour)) {
        const COLORREF colour = GetButtonColour(m_controls[kHatchColour].window);
        record->SetHatchColor(colour);
        forDefaults([&](CShape* s) { s->SetHatchColor(colour); });
    }
    if (modified(kHatchType)) {
        // The list's "None" entry stands for no pattern.
        const int id = std::max(0, static_cast<int>(listData(kHatchType)));
        record->HatchPatternID = id;
        forDefaults([&](CShape* s) { s->SetHatchPatternId(id); });
    }
    if (modified(kHatchScale)) {
        const float v = GetNumber(kHatchScale);
        record->HatchPatternScale = v;
        forDefaults([&](CShape* s) { s->SetHatchPatternScale(v); });
    }
    if (modified(kOrtho))
        record->OrthoMode = checked(kOrtho) ? 1 : 0;
    if (modified(kSmooth))
        record->SplineFreeHand = checked(kSmooth) ? 1 : 0;
    if (modified(kArrows))
        record->ArrowScale = GetNumber(kArrows);
    if (modified(kGrid))
        record->ShowGrid = checked(kGrid) ? 1 : 0;
    if (modified(kGridX))
        record->GridXSpace = GetNumber(kGridX);
    if (modified(kGridY))
        record->GridYSpace = GetNumber(kGridY);
    if (modified(kBaseX))
        record->SnapBaseX = GetNumber(kBaseX);
    if (modified(kBaseY))
        record->SnapBaseY = GetNumber(kBaseY);
    if (modified(kSnap))
        record->SnapToGrid = checked(kSnap) ? 1 : 0;
    if (modified(kSnapX))
        record->SnapXSpace = GetNumber(kSnapX);
    if (modified(kSnapY))
        record->SnapYSpace = GetNumber(kSnapY);
    auto forTexts = [&](const std::function<void(CText*)>& set) {
        for (const DefaultShapeState& s : touched)
            if (s.shape->GetShapeType() == stText)
                set(static_cast<CText*>(s.shape));
    };
    if (modified(kFont)) {
        char face[LF_FACESIZE] = "";
        GetWindowTextA(m_controls[kFont].window, face, static_cast<int>(sizeof face));
        record->SetFontName(face);
        forTexts([&](CText* t) { t->SetFontNameA(face); });
    }
    if (modified(kFontDialog)) {
        record->FontSize = m_fontHeight;
        record->FontCharset = m_charset;
        record->StyleWord = (record->StyleWord & ~static_cast<DWORD>(0xF)) | (m_style & 0xF);
        forTexts([&](CText* t) {
            const bool changed = t->GetFontStyle() != (m_style & 0xF) || t->GetHeight() != m_fontHeight;
            t->SetFontStyle(m_style & 0xF);
            t->SetCharset(m_charset);
            t->SetHeight(m_fontHeight);
            if (m_fontColour != static_cast<COLORREF>(-1))
                t->SetPenColor(m_fontColour);
            if (changed)
                t->SetDirty();
        });
    }
    if (modified(kAlignment)) {
        record->StyleWord = StyleWithAlignment(record->StyleWord, static_cast<int>(listData(kAlignment)));
        const DWORD align = TextAlignment(record->StyleWord);
        forTexts([&](CText* t) { t->SetAlignType(align); });
    }
    if (modified(kEditNewText))
        record->EditNewText = checked(kEditNewText) ? 1 : 0;
    if (modified(kImageScale))
        record->ImageScale = GetNumber(kImageScale);
    DWORD flags = m_control->GetControlFlags();
    auto setFlag = [&flags](DWORD bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); };
    if (modified(kTopmostShape))
        setFlag(controlSelectOnlyTopmostShape, !checked(kTopmostShape));
    if (modified(kTopmostLine))
        setFlag(controlSelectOnlyTopmostPolyline, checked(kTopmostLine));
    if (modified(kDrawImages))
        setFlag(controlFrameEditedImages, !checked(kDrawImages));
    m_control->SetControlFlags(flags);
    if (modified(kLinkMarks))
        record->LinkMarkScale = GetNumber(kLinkMarks);

    const bool proceed = m_control->FireEditDrawingSetting(1);
    if (proceed) {
        for (const DefaultShapeState& s : touched)
            if (!m_control->FireEndEditShape(s.shape->GetId()))
                break;
    } else {
        // The host keeps the setting: the record, the switches and the default shapes go back,
        // whether or not undo recorded them.
        *record = kept;
        m_control->SetControlFlags(keptFlags);
        for (const DefaultShapeState& s : touched)
            PutBack(s);
    }
    if (operation)
        recorder->CloseOperation(proceed);
    ClearModified();
    if (proceed) {
        if (m_control->EventsEnabled())
            m_control->RestartRedrawTimer(0);
        m_control->RequestRedraw(rfRedrawAll, nullptr);
    }
    return PSNRET_NOERROR;
}
