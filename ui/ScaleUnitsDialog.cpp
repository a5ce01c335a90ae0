#include "ui/ScaleUnitsDialog.h"
#include "com/Module.h"
#include "control/UnitRecord.h"
#include "ui/resource.h"
#include <cstdio>
#include <cstdlib>

int CScaleUnitsDialog::Run(HWND parent)
{
    const INT_PTR answer = DoModal(ycom::TheModule().ResourceInstance(), IDD_SCALE_UNITS, parent);
    return answer == kScale || answer == kDontScale ? static_cast<int>(answer) : kCancel;
}

float CScaleUnitsDialog::UnitFactor(int from, int to) const
{
    if (!m_units)
        return 0.0f;
    auto a = m_units->find(from);
    auto b = m_units->find(to);
    if (a == m_units->end() || b == m_units->end() || b->second.inches == 0.0f)
        return 0.0f;
    return a->second.inches / b->second.inches;
}

LRESULT CScaleUnitsDialog::HandleInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    char unitless[64] = "(Unitless)";
    ycom::LoadResourceString(IDS_UNITLESS, unitless, static_cast<int>(sizeof unitless));
    for (int list : {IDC_FROM, IDC_TO}) {
        HWND combo = GetItem(list);
        const LRESULT none = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unitless));
        SendMessageA(combo, CB_SETITEMDATA, none, 0);
        if (m_units) {
            for (const auto& entry : *m_units) {
                // The unitless entry stands first under its own text.
                if (entry.first == 0)
                    continue;
                const LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.second.name.c_str()));
                SendMessageA(combo, CB_SETITEMDATA, item, entry.first);
            }
        }
    }
    WriteControls(fromUnit, toUnit, factor != 0.0f ? factor : UnitFactor(fromUnit, toUnit));
    return TRUE;
}

void CScaleUnitsDialog::WriteControls(int from, int to, float shown)
{
    auto select = [this](int list, int unit) {
        HWND combo = GetItem(list);
        const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            if (static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, i, 0)) == unit) {
                SendMessageA(combo, CB_SETCURSEL, i, 0);
                return;
            }
    };
    select(IDC_TO, to);
    select(IDC_FROM, from);
    char text[64];
    std::snprintf(text, sizeof text, "%G", static_cast<double>(shown));
    SetDlgItemTextA(m_hWnd, IDC_FACTOR, text);
}

void CScaleUnitsDialog::ReadSelection(int* from, int* to) const
{
    auto selected = [this](int list) {
        HWND combo = GetItem(list);
        const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        return index < 0 ? 0 : static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, index, 0));
    };
    *from = selected(IDC_FROM);
    *to = selected(IDC_TO);
}

LRESULT CScaleUnitsDialog::HandleUnitChosen(UINT, WPARAM, LPARAM, BOOL&)
{
    int from = 0, to = 0;
    ReadSelection(&from, &to);
    const float unitFactor = UnitFactor(from, to);
    if (unitFactor != 0.0f)
        WriteControls(from, to, unitFactor);
    return 0;
}

LRESULT CScaleUnitsDialog::HandleScale(UINT, WPARAM, LPARAM, BOOL&)
{
    ReadSelection(&fromUnit, &toUnit);
    char text[100] = "";
    GetDlgItemTextA(m_hWnd, IDC_FACTOR, text, static_cast<int>(sizeof text));
    factor = std::strtof(text, nullptr);
    EndDialog(kScale);
    return 0;
}

LRESULT CScaleUnitsDialog::HandleDontScale(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(kDontScale);
    return 0;
}

LRESULT CScaleUnitsDialog::HandleCancel(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(kCancel);
    return 0;
}

LRESULT CScaleUnitsDialog::HandleClose(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(kCancel);
    return 0;
}
