#pragma once
// CScaleUnitsDialog: the question of the General page when the drawing's unit changes, whether
// the drawing is rescaled with it: "Scale" (1) with the factor shown (the From unit's inches over
// the To unit's, or typed), "Don't Scale" (7) or "Cancel" (2).
#include <map>
#include "com/MessageMap.h"
#include "com/Window.h"

struct CUnitRecord;

class CScaleUnitsDialog : public ycom::DialogWindow
{
public:
    enum Answer { kScale = IDOK, kDontScale = 7, kCancel = IDCANCEL };

    explicit CScaleUnitsDialog(const std::map<int, CUnitRecord>* units = nullptr) : m_units(units) {}
    void SetUnits(const std::map<int, CUnitRecord>* units) { m_units = units; }

    // Runs the dialog modally; the answer.
    int Run(HWND parent);

    int fromUnit = 0;
    int toUnit = 0;
    // The factor shown first (0: the units' own); after "Scale" the one taken.
    float factor = 0.0f;

    // factor(from) / factor(to) of the table: 0 when either unit is missing or the To factor is 0.
    float UnitFactor(int from, int to) const;

    BEGIN_MSG_MAP(CScaleUnitsDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        COMMAND_ID_CODE_HANDLER(IDC_FROM, CBN_SELENDOK, HandleUnitChosen)
        COMMAND_ID_CODE_HANDLER(IDC_TO, CBN_SELENDOK, HandleUnitChosen)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleScale)
        COMMAND_ID_CODE_HANDLER(kDontScale, BN_CLICKED, HandleDontScale)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        MESSAGE_HANDLER(WM_CLOSE, HandleClose)
    END_MSG_MAP()

private:
    static constexpr int IDC_FROM = 213;
    static constexpr int IDC_TO = 212;
    static constexpr int IDC_FACTOR = 204;

    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleUnitChosen(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleScale(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDontScale(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void ReadSelection(int* from, int* to) const;
    void WriteControls(int from, int to, float shown);

    const std::map<int, CUnitRecord>* m_units;
};
