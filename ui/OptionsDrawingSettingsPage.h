#pragma once
// COptionsDrawingSettingsPage: the second page of the Options sheet (template 293). The user edits
// the control's current drawing setting (layer, pen, hatch, line options, grid and snap, text
// font and alignment, image and link-mark scales) and three switches of the control; what the page
// applies to the pen, hatch and text it also applies to the default shapes, so that new shapes
// take the new values.
//
// The page is table-driven: one descriptor per bound control says how it is read, written,
// enabled and kept in range; Apply moves every modified control's value into the setting in table
// order, offers the change to the host (OnEditDrawingSetting), and a veto puts the setting, the
// control's switches and the default shapes back as they were.
#include <memory>
#include <string>
#include <vector>
#include "ui/ColorPopupMenu.h"
#include "ui/HatchPatternPickList.h"
#include "ui/LineTypePickList.h"
#include "ui/OptionsPage.h"
#include "ui/ShapeNamePickList.h"

class CDrawingSettingRecord;
class CShape;

// How one bound control is read, written, enabled and kept in range.
struct CSettingControl {
    enum Kind { kNone = 0, kNumber = 1, kList = 2, kCheck = 3, kColour = 4 };
    enum Range { kNoRange = 0, kAbsolute = 1, kRelative = 2 };
    int id = 0;
    HWND window = nullptr;
    int spinId = 0;
    HWND spin = nullptr;
    bool modified = false;
    // Starts an enabling group: the controls after it that are not masters follow it.
    bool master = true;
    // Follows only the sheet's enable state, not the drawing's read-only state.
    bool ignoresReadOnly = false;
    int rangeMode = kNoRange;
    float min = 0.0f;
    float max = 0.0f;
    int kind = kNone;
};

class COptionsDrawingSettingsPage : public COptionsPage
{
public:
    // The descriptors, in the order Apply takes them.
    enum Descriptor {
        kLayer, kPenColour, kPenType, kLineScale, kPenWidth, kScaleWidth, kHatchColour, kHatchType, kHatchScale,
        kOrtho, kSmooth, kArrows, kGrid, kGridX, kGridY, kBaseX, kBaseY, kSnap, kSnapX, kSnapY, kFont,
        kFontDialog, kAlignment, kEditNewText, kImageScale, kTopmostShape, kTopmostLine, kDrawImages, kLinkMarks,
        kDescriptorCount
    };

    COptionsDrawingSettingsPage();
    ~COptionsDrawingSettingsPage() override;

    void EnableEditing(bool enable) override;
    const CSettingControl& GetDescriptor(int index) const { return m_controls[static_cast<size_t>(index)]; }

    // A colour button's colour (kept in its window's user data) and its text.
    static COLORREF GetButtonColour(HWND button);
    static void SetButtonColour(HWND button, COLORREF colour);
    // The name shown for a colour: "By Layer", "By Block", one of ten colours near which it lies,
    // else "H" and its six hexadecimal digits.
    static std::string ColourName(COLORREF colour);
    // The alignment code (0 to 10) of a style word's bits 4 to 7, and a style word with a code.
    static int AlignmentCode(DWORD style);
    static DWORD StyleWithAlignment(DWORD style, int code);

    BEGIN_MSG_MAP(COptionsDrawingSettingsPage)
        MESSAGE_HANDLER(WM_CREATE, HandleCreate)
        MESSAGE_HANDLER(WM_DESTROY, HandleDestroy)
        NOTIFY_CODE_HANDLER(UDN_DELTAPOS, HandleSpin)
        MESSAGE_HANDLER(WM_USER + 100, HandleReload)
        MESSAGE_HANDLER(WM_USER + 102, HandleCurrentLayer)
        COMMAND_CODE_HANDLER(EN_UPDATE, HandleNumberFilter)
        COMMAND_ID_CODE_HANDLER(IDC_FONT_DIALOG, BN_CLICKED, HandleFontDialog)
        COMMAND_CODE_HANDLER(BN_CLICKED, HandleButton)
        COMMAND_CODE_HANDLER(CBN_SELCHANGE, HandleListChange)
        COMMAND_CODE_HANDLER(CBN_DROPDOWN, HandleDropDown)
        MESSAGE_HANDLER(WM_DRAWITEM, HandleDrawItem)
        MESSAGE_HANDLER(WM_MEASUREITEM, HandleMeasureItem)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;
    LONG OnApply() override;

private:
    static constexpr int IDC_FONT_DIALOG = 209;

    LRESULT HandleCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSpin(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleReload(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCurrentLayer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleNumberFilter(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleFontDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleButton(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleListChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDropDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    CSettingControl* FindById(int id);
    CDrawingSettingRecord* Record() const;
    bool IsEditable() const;
    bool IsChecked(const CSettingControl& c) const;
    void SetNumber(int index, float value);
    float GetNumber(int index) const;
    // The bounds of a ranged field (false without a range).
    bool Bounds(const CSettingControl& c, double* low, double* high) const;
    void Reload();
    void FillLayers(int currentId);
    void FillAlignments();
    void ClearModified();
    void ChooseColour(CSettingControl& c);
    // The colour a by-layer colour of a button shows: the selected layer's pen or hatch colour.
    COLORREF ResolveButtonColour(int id, COLORREF colour);

    std::vector<CSettingControl> m_controls;
    bool m_updating = false;
    bool m_spinning = false;
    // The text attributes chosen in the font dialog and not yet applied.
    float m_fontHeight = 10.0f;
    short m_charset = 0;
    DWORD m_style = 0;
    COLORREF m_fontColour = static_cast<COLORREF>(-1);
    CShapeNamePickList m_layers;
    CLineTypePickList m_lineTypes;
    CHatchPatternPickList m_hatches;
    std::vector<CShape*> m_layerShapes;
    std::unique_ptr<CColorPopupMenu> m_popup;
};
