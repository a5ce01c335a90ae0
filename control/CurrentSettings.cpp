// The control's current layer, drawing setting and view, the default shapes' switches, and the
// rulers that show the view.
#include "control/YVEXControl.h"
#include "com/Guard.h"
#include "control/AtlHosting.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "persistence/DrawingSettingRecord.h"

namespace {

// The message that tells the window (and the Options sheet's layer page) the current layer.
constexpr UINT kCurrentLayerMessage = WM_USER + 102;

bool IsShownWindow(HWND window) { return window && window != reinterpret_cast<HWND>(-1) && IsWindow(window); }

} // namespace

void CYVEXControl::SetCurrentLayer(CLayer* layer)
{
    if (layer && layer->GetShapeType() != stLayer)
        layer = nullptr;
    CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    if (setting && setting->Layer != layer)
        if (CUndoRecorder* recorder = GetUndoRecorder())
            recorder->RecordDrawingSetting(opProperties, setting, false);
    CControlCore::SetCurrentLayer(layer);
    if (m_hWnd)
        PostMessageW(m_hWnd, kCurrentLayerMessage, static_cast<WPARAM>(layer ? layer->GetId() : 0), 0);
    if (EventsEnabled())
        RestartRedrawTimer(0);
}

void CYVEXControl::RecordCurrentSetting()
{
    CDrawingSettingRecord* current = GetCurrentDrawingSetting();
    if (CUndoRecorder* recorder = GetUndoRecorder())
        if (current)
            recorder->RecordDrawingSetting(opProperties, current, false);
}

bool CYVEXControl::SetCurrentDrawingSetting(CDrawingSettingRecord* setting)
{
    CDrawingSettingRecord* current = GetCurrentDrawingSetting();
    if (!setting || !current)
        return false;
    if (setting == current)
        return true;
    const bool events = EventsEnabled();
    if (events && !FireSetCurrentDrawingSetting(setting->ID))
        return false;
    // The host agreed: the copy itself (which keeps the name "CURRENT") runs quietly.
    RecordCurrentSetting();
    SetEventsEnabled(false);
    CControlCore::SetCurrentDrawingSetting(setting);
    SetEventsEnabled(events);
    ShowRulers(current->ShowRulers != 0);
    if (events)
        RestartRedrawTimer(0);
    return true;
}

bool CYVEXControl::SetCurrentViewport(CViewportRecord* viewport)
{
    if (!viewport)
        return false;
    const bool events = EventsEnabled();
    if (events) {
        if (!FireSetCurrentViewport(viewport->ID))
            return false;
        if (viewport->drawingSetting && !FireSetCurrentDrawingSetting(viewport->drawingSetting->ID))
            return false;
    }
    if (viewport->drawingSetting)
        RecordCurrentSetting();
    // The view keeps showing in this window.
    CViewportRecord& current = GetCurrentViewport();
    const SIZE client = current.clientSize;
    const POINT offset = current.clientOffset;
    SetEventsEnabled(false);
    CControlCore::SetCurrentViewport(viewport);
    SetEventsEnabled(events);
    current.SetClientArea(client, &offset);
    Refresh();
    UpdateRulers(0, true);
    return true;
}

void CYVEXControl::ShowRulers(bool show)
{
    if (show) {
        UpdateRulers(0, false);
        for (HWND ruler : {m_horizontalRuler, m_verticalRuler})
            if (IsShownWindow(ruler))
                ShowWindow(ruler, SW_SHOW);
        if (HWND corner = GetCornerWindow())
            ShowWindow(corner, m_blockButton ? SW_HIDE : SW_SHOW);
    } else {
        for (HWND window : {m_horizontalRuler, m_verticalRuler, GetCornerWindow()})
            if (IsShownWindow(window))
                ShowWindow(window, SW_HIDE);
    }
    if (m_hWnd) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        MoveRulers(client.right, client.bottom);
        Refresh();
    }
    if (EventsEnabled())
        RestartRedrawTimer(0);
}

STDMETHODIMP CYVEXControl::EnableDefaultShape(ShapeTypes ShapeType, VARIANT_BOOL bEnable)
{
    return ycom::Guard(IID_IYVEXControl,
                       [&]() -> HRESULT { return SetDefaultShapeEnabled(ShapeType, bEnable != VARIANT_FALSE); });
}

STDMETHODIMP CYVEXControl::IsDefaultShapeEnabled(ShapeTypes ShapeType, VARIANT_BOOL* bEnabled)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(bEnabled);
        if (!HasDefaultShapeEntry(ShapeType)) {
            *bEnabled = VARIANT_FALSE;
            return S_FALSE;
        }
        *bEnabled = IsDefaultShapeEnabledFor(ShapeType) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

void CYVEXControl::ApplySiteSettings()
{
    if (m_hWnd) {
        RecalcViewportsForClient();
        Refresh();
    }
    CControlCore::ApplySiteSettings();
    const CDrawingSettingRecord* setting = GetCurrentDrawingSetting();
    ShowRulers(setting && setting->ShowRulers);
}

int CYVEXControl::ReinitializeDrawing(bool clearSite, bool clearLayer, bool leaveBlocks)
{
    m_pointEntryMode = 0;
    if (leaveBlocks) {
        const bool events = EventsEnabled();
        SetEventsEnabled(false);
        while (!m_blockLevels.empty())
            LeaveBlockEditing();
        SetEventsEnabled(events);
    }
    return CControlCore::ReinitializeDrawing(clearSite, clearLayer, leaveBlocks);
}
