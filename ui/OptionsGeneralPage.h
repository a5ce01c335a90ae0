#pragma once
// COptionsGeneralPage: the first page of the Options sheet (template 264). The user sets the draft
// limits from a predefined paper size (which locks them) or by hand, changes the drawing's unit
// (answering whether the drawing is rescaled with it), switches the control to read only (at once,
// for every page) and the site to binary files, and reads a few counts of the drawing.
//
// The limits, the unit and the orientation stay in the page until Apply; Apply offers the change
// to the host (OnEditSite), and a veto leaves the site record, its flags and the drawing as they
// were.
#include <vector>
#include "model/RealRect.h"
#include "ui/OptionsPage.h"
#include "ui/PaperSizes.h"
#include "ui/ScaleUnitsDialog.h"

class COptionsGeneralPage : public COptionsPage
{
public:
    COptionsGeneralPage();
    ~COptionsGeneralPage() override;

    void EnableEditing(bool enable) override;

    // The working values, as the tests read them.
    const CRealRect& GetWorkingLimits() const { return m_limits; }
    int GetWorkingUnit() const { return m_unit; }
    float GetPendingFactor() const { return m_factor; }
    bool IsRescaleOnApply() const { return m_rescaleOnApply; }
    // The units rescale question, as the page asks it.
    CScaleUnitsDialog& GetScaleDialog() { return m_scaleDialog; }

    BEGIN_MSG_MAP(COptionsGeneralPage)
        MESSAGE_HANDLER(WM_TIMER, HandleTimer)
        COMMAND_ID_CODE_HANDLER(IDC_READ_ONLY, BN_CLICKED, HandleReadOnly)
        COMMAND_ID_CODE_HANDLER(IDC_CALCULATE, BN_CLICKED, HandleCalculate)
        COMMAND_ID_CODE_HANDLER(IDC_CUSTOM, BN_CLICKED, HandleMode)
        COMMAND_ID_CODE_HANDLER(IDC_PREDEFINED, BN_CLICKED, HandleMode)
        COMMAND_ID_CODE_HANDLER(IDC_PORTRAIT, BN_CLICKED, HandleOrientation)
        COMMAND_ID_CODE_HANDLER(IDC_LANDSCAPE, BN_CLICKED, HandleOrientation)
        COMMAND_ID_CODE_HANDLER(IDC_STANDARDS, CBN_SELENDOK, HandleStandard)
        COMMAND_ID_CODE_HANDLER(IDC_SIZES, CBN_SELENDOK, HandleSize)
        COMMAND_ID_CODE_HANDLER(IDC_UNITS, CBN_SELENDOK, HandleUnit)
        COMMAND_CODE_HANDLER(EN_CHANGE, HandleEditChange)
        COMMAND_ID_CODE_HANDLER(300, BN_CLICKED, HandleIgnored)
        COMMAND_ID_CODE_HANDLER(301, BN_CLICKED, HandleIgnored)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;
    LONG OnApply() override;
    BOOL OnKillActive() override;

private:
    enum {
        IDC_PREDEFINED = 348, IDC_STANDARDS = 232, IDC_SIZES = 213, IDC_PORTRAIT = 349, IDC_LANDSCAPE = 350,
        IDC_CUSTOM = 347, IDC_UNITS = 212, IDC_CALCULATE = 209, IDC_LEFT = 204, IDC_TOP = 205, IDC_RIGHT = 206,
        IDC_BOTTOM = 207, IDC_READ_ONLY = 291, IDC_SAVE_BINARY = 340
    };
    static constexpr UINT_PTR kEditTimer = 1;

    LRESULT HandleTimer(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleReadOnly(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCalculate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMode(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOrientation(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleStandard(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleUnit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEditChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleIgnored(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    const std::vector<CPaperStandard>& Standards() const;
    bool IsEditable() const;
    bool IsChecked(int id) const;
    void Check(int id, bool on);
    void NotifyChanged();
    void WriteLimitEdits();
    // The edits and the units list into the working values; whether anything changed.
    bool ReadLimitEdits();
    void CommitPendingEdit();
    void PaperMatch(bool useSelectedStandard);
    void MakeCustomItem(float longSide, float shortSide);
    void FillSizes(const CPaperStandard& standard, bool portrait);
    // The standard of the standards list's selection (the page's own "Custom" for the custom
    // item), null without a selection.
    const CPaperStandard* SelectedStandard() const;
    bool ApplyChosenSize();
    // Asks whether the drawing is rescaled with the unit; false when the user cancelled.
    bool AskRescale(int toUnit, bool scaleLimits);
    void FillStatistics();
    std::string UnitName(int unit) const;
    // Scales the block library and the root about the origin by f, and the current view with them.
    void ScaleDrawing(float f);

    CRealRect m_limits;
    int m_unit = 4;
    int m_decimals = 3;
    bool m_changed = false;
    bool m_updating = false;
    UINT_PTR m_timer = 0;
    CPaperStandard m_custom;
    CScaleUnitsDialog m_scaleDialog;
    int m_fromUnit = 0;
    float m_factor = 0.0f;
    bool m_rescaleOnApply = false;
};
