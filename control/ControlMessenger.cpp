// The control's side of the messenger: the ticks of its receive timer, the changes of other
// sessions that its receive threads post to the window, and receiving switched on again after a
// save.
#include "control/YVEXControl.h"
#include "control/ShapeMap.h"

HRESULT CYVEXControl::ApplyChangeMessage(int type, int shapeDbId)
{
    // A load, save or delete on its worker owns the shape map until it ends: the change waits.
    if (!IsIdle()) {
        m_deferredChanges.emplace_back(type, shapeDbId);
        return S_FALSE;
    }
    // What waited comes first, in the order it arrived.
    ApplyDeferredChanges();
    return ApplyChangeNow(type, shapeDbId);
}

void CYVEXControl::ApplyDeferredChanges()
{
    if (m_deferredChanges.empty() || !IsIdle())
        return;
    std::vector<std::pair<int, int>> waiting;
    waiting.swap(m_deferredChanges);
    for (const auto& change : waiting)
        ApplyChangeNow(change.first, change.second);
}

HRESULT CYVEXControl::ApplyChangeNow(int type, int shapeDbId)
{
    switch (type) {
    case mtUpdateShapeMessage:
        return GetShapeMap().ReloadShapeFromDb(shapeDbId);
    case mtDeleteShapeMessage:
        return GetShapeMap().RemoveShapeOnMessage(shapeDbId);
    default:
        return S_FALSE;
    }
}

LRESULT CYVEXControl::HandleChangeMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ApplyChangeMessage(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

bool CYVEXControl::ForwardTimerToMessenger(UINT_PTR)
{
    if (!m_messenger)
        return false;
    ApplyDeferredChanges();
    m_messenger->ProcessMessages();
    return true;
}

void CYVEXControl::RearmMessageReceiving()
{
    VARIANT_BOOL on = VARIANT_FALSE;
    if (m_messenger && SUCCEEDED(m_messenger->get_ReceiveMessages(&on)) && on)
        m_messenger->put_ReceiveMessages(VARIANT_TRUE);
}
