// The control's side of the messenger: the ticks of its receive timer, the changes of other
// sessions that its receive threads post to the window, and receiving switched on again after a
// save.
#include "control/YVEXControl.h"
#include "control/ShapeMap.h"
#include "persistence/MessengerReceiver.h"

HRESULT CYVEXControl::ApplyChangeMessage(int type, int siteDbId, int shapeDbId)
{
    // A load, save or delete on its worker owns the shape map until it ends: the change waits.
    if (!IsIdle()) {
        m_deferredChanges.push_back({type, siteDbId, shapeDbId});
        return S_FALSE;
    }
    // What waited comes first, in the order it arrived.
    ApplyDeferredChanges();
    return ApplyChangeNow(type, siteDbId, shapeDbId);
}

void CYVEXControl::ApplyDeferredChanges()
{
    if (m_deferredChanges.empty() || !IsIdle())
        return;
    std::vector<CDeferredChange> waiting;
    waiting.swap(m_deferredChanges);
    for (const CDeferredChange& change : waiting)
        ApplyChangeNow(change.type, change.siteDbId, change.shapeDbId);
}

bool CYVEXControl::HoldsSite(int siteDbId) const
{
    if (siteDbId < 1)
        return false;
    if (siteDbId == GetSiteId())
        return true;
    for (const CIncludedSite& entry : GetIncludedSites())
        if (entry.siteId == siteDbId)
            return true;
    return false;
}

HRESULT CYVEXControl::ApplyChangeNow(int type, int siteDbId, int shapeDbId)
{
    // A shape of another site would come in as a shape of this drawing.
    if (siteDbId != kAnySite && !HoldsSite(siteDbId))
        return S_FALSE;
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
    // A receiver's wake-up: the messages wait in this window's mailbox, with their sites.
    if (wParam == 0 && lParam == 0) {
        for (const CReceivedMessage& message : CMessengerReceiver::TakeForWindow(m_hWnd))
            if (message.values.size() >= 2)
                ApplyChangeMessage(message.type, message.values[0], message.values[1]);
        return 0;
    }
    // A change posted with its type and shape alone.
    ApplyChangeMessage(static_cast<int>(wParam), kAnySite, static_cast<int>(lParam));
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
