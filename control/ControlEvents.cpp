// The control's events to its host: one firing method per event of _IYVEXControlEvents.
#include "control/YVEXControl.h"
#include <vector>

namespace {

// The arguments of one event, given in the order the event declares them; Fire hands them to
// the sinks in reverse, as IDispatch::Invoke takes them. A proceed flag starts true (-1).
class EventArgs
{
public:
    EventArgs& I4(LONG value)
    {
        VARIANTARG v;
        v.vt = VT_I4;
        v.lVal = value;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& R4(float value)
    {
        VARIANTARG v;
        v.vt = VT_R4;
        v.fltVal = value;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& R4Ref(float* value)
    {
        VARIANTARG v;
        v.vt = VT_R4 | VT_BYREF;
        v.pfltVal = value;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& Bool(bool value)
    {
        VARIANTARG v;
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        m_args.push_back(v);
        return *this;
    }
    EventArgs& Bstr(BSTR value)
    {
        VARIANTARG v;
        v.vt = VT_BSTR;
        v.bstrVal = value;
        m_args.push_back(v);
        return *this;
    }
    // A proceed flag that starts as given (some events ask for an agreement, not for a veto).
    EventArgs& ProceedFrom(bool initial)
    {
        m_proceed = initial ? VARIANT_TRUE : VARIANT_FALSE;
        return Proceed();
    }
    EventArgs& Proceed()
    {
        VARIANTARG v;
        v.vt = VT_BOOL | VT_BYREF;
        v.pboolVal = &m_proceed;
        m_args.push_back(v);
        return *this;
    }

    void Fire(CYVEXControl& control, DISPID id)
    {
        std::vector<VARIANTARG> reversed(m_args.rbegin(), m_args.rend());
        control.FireEvent(id, reversed.empty() ? nullptr : reversed.data(), static_cast<UINT>(reversed.size()));
    }
    // The flag as the sinks left it: 0 is a veto.
    bool Proceeds() const { return m_proceed != 0; }

private:
    std::vector<VARIANTARG> m_args;
    VARIANT_BOOL m_proceed = VARIANT_TRUE;
};

// Fires a gated event with a proceed flag; true when nothing vetoed (or nothing was fired).
bool FireGated(CYVEXControl& control, DISPID id, EventArgs& args)
{
    const bool forced = control.TakeForcedEvent();
    if (!control.EventsEnabled() && !forced)
        return true;
    args.Proceed().Fire(control, id);
    return args.Proceeds();
}
bool FireGated(CYVEXControl& control, DISPID id, EventArgs&& args) { return FireGated(control, id, args); }

void FireGatedPlain(CYVEXControl& control, DISPID id, EventArgs& args)
{
    const bool forced = control.TakeForcedEvent();
    if (control.EventsEnabled() || forced)
        args.Fire(control, id);
}
void FireGatedPlain(CYVEXControl& control, DISPID id, EventArgs&& args) { FireGatedPlain(control, id, args); }

// A stage's begin event with the worker's own flag, carried as a VARIANT_BOOL.
void FireStageBegin(CYVEXControl& control, DISPID id, EventArgs& args, BOOL* proceed)
{
    args.Proceed().Fire(control, id);
    if (proceed)
        *proceed = args.Proceeds() ? TRUE : FALSE;
}

} // namespace

void CYVEXControl::FireEvent(DISPID id, VARIANTARG* args, UINT count)
{
    if (m_destroying)
        return;
    // A sink may let go of the control while it hears the event.
    ycom::ComPtr<IUnknown> keepAlive(GetControllingUnknown());
    m_events.Fire(id, args, count);
}

void CYVEXControl::FireMouseMove(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnMouseMove, EventArgs().I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireLButtonDown(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnLButtonDown, EventArgs().I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireLButtonUp(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnLButtonUp, EventArgs().I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireAddPoint(int pointId) { return FireGated(*this, cetOnAddPoint, EventArgs().I4(pointId)); }

bool CYVEXControl::FireAddShape(LONG shapeId) { return FireGated(*this, cetOnAddShape, EventArgs().I4(shapeId)); }

bool CYVEXControl::FireDeleteShape(LONG shapeId)
{
    return FireGated(*this, cetOnDeleteShape, EventArgs().I4(shapeId));
}

bool CYVEXControl::FireDeletePoint(int pointId)
{
    return FireGated(*this, cetOnDeletePoint, EventArgs().I4(pointId));
}

bool CYVEXControl::FireShiftPoint(LONG pointId) { return FireGated(*this, cetOnShiftPoint, EventArgs().I4(pointId)); }

bool CYVEXControl::FireScaleShape(LONG shapeId, float* xc, float* yc, float* kx, float* ky)
{
    return FireGated(*this, cetOnScaleShape, EventArgs().I4(shapeId).R4Ref(xc).R4Ref(yc).R4Ref(kx).R4Ref(ky));
}

bool CYVEXControl::FireShiftShape(LONG pointId, float* dx, float* dy)
{
    return FireGated(*this, cetOnShiftShape, EventArgs().I4(pointId).R4Ref(dx).R4Ref(dy));
}

bool CYVEXControl::FireChangeParent(LONG parentId, LONG shapeId)
{
    return FireGated(*this, cetOnChangeParent, EventArgs().I4(parentId).I4(shapeId));
}

void CYVEXControl::FireChangeSelection()
{
    // Every change of the selection reaches the properties window, whether or not the host hears
    // of it.
    RefreshPropertiesDialog();
    FireGatedPlain(*this, cetOnChangeSelection, EventArgs());
}

bool CYVEXControl::FireLinkPoint(LONG shapeId, LONG pointId)
{
    return FireGated(*this, cetOnLinkPoint, EventArgs().I4(shapeId).I4(pointId));
}

bool CYVEXControl::FireUnlinkPoint(LONG shapeId, LONG pointId)
{
    return FireGated(*this, cetOnUnlinkPoint, EventArgs().I4(shapeId).I4(pointId));
}

bool CYVEXControl::FireBeginDraw(LONG shapeId) { return FireGated(*this, cetOnBeginDraw, EventArgs().I4(shapeId)); }

bool CYVEXControl::FireEndDraw(LONG shapeId) { return FireGated(*this, cetOnEndDraw, EventArgs().I4(shapeId)); }

bool CYVEXControl::FireBeginEditShape(LONG shapeId, LONG editType)
{
    return FireGated(*this, cetOnBeginEditShape, EventArgs().I4(shapeId).I4(editType));
}

bool CYVEXControl::FireEndEditShape(LONG shapeId)
{
    return FireGated(*this, cetOnEndEditShape, EventArgs().I4(shapeId));
}

void CYVEXControl::FireRButtonUp(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnRButtonUp, EventArgs().I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireProgress(LONG percentage) { FireGatedPlain(*this, cetOnProgress, EventArgs().I4(percentage)); }

void CYVEXControl::FireHitShape(LONG shapeId, float x, float y, LONG key)
{
    FireGatedPlain(*this, cetOnHitShape, EventArgs().I4(shapeId).R4(x).R4(y).I4(key));
}

bool CYVEXControl::FireContextMenuShow(float* x, float* y)
{
    return FireGated(*this, cetOnContextMenuShow, EventArgs().R4Ref(x).R4Ref(y));
}

void CYVEXControl::FireContextMenuCommand(LONG itemId)
{
    FireGatedPlain(*this, cetOnContextMenuCommand, EventArgs().I4(itemId));
}

bool CYVEXControl::FireCancel() { return FireGated(*this, cetOnCancel, EventArgs()); }

void CYVEXControl::FireRButtonDown(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnRButtonDown, EventArgs().I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireAddViewport(LONG newViewportId, LONG sourceViewportId)
{
    return FireGated(*this, cetOnAddViewport, EventArgs().I4(newViewportId).I4(sourceViewportId));
}

bool CYVEXControl::FireDeleteViewport(LONG viewportId)
{
    return FireGated(*this, cetOnDeleteViewport, EventArgs().I4(viewportId));
}

bool CYVEXControl::FireEditViewport(LONG viewportId)
{
    return FireGated(*this, cetOnEditViewport, EventArgs().I4(viewportId));
}

bool CYVEXControl::FireSetCurrentViewport(LONG sourceViewportId)
{
    return FireGated(*this, cetOnSetCurrentViewport, EventArgs().I4(sourceViewportId));
}

bool CYVEXControl::FireCopyViewport(LONG destViewportId, LONG sourceViewportId)
{
    return FireGated(*this, cetOnCopyViewport, EventArgs().I4(destViewportId).I4(sourceViewportId));
}

bool CYVEXControl::FireSetCurrentLayer(LONG layerId)
{
    return FireGated(*this, cetOnSetCurrentLayer, EventArgs().I4(layerId));
}

void CYVEXControl::FireBeginLoadSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed)
{
    FireStageBegin(*this, cetOnBeginLoadSite, EventArgs().I4(storageType).Bstr(name).I4(siteId), proceed);
}

void CYVEXControl::FireEndLoadSite(bool result) { EventArgs().Bool(result).Fire(*this, cetOnEndLoadSite); }

void CYVEXControl::FireBeginSaveSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed)
{
    FireStageBegin(*this, cetOnBeginSaveSite, EventArgs().I4(storageType).Bstr(name).I4(siteId), proceed);
}

void CYVEXControl::FireEndSaveSite(bool result) { EventArgs().Bool(result).Fire(*this, cetOnEndSaveSite); }

bool CYVEXControl::FireAddDrawingSetting(LONG newSettingId, LONG sourceSettingId)
{
    return FireGated(*this, cetOnAddDrawingSetting, EventArgs().I4(newSettingId).I4(sourceSettingId));
}

bool CYVEXControl::FireDeleteDrawingSetting(LONG settingId)
{
    return FireGated(*this, cetOnDeleteDrawingSetting, EventArgs().I4(settingId));
}

bool CYVEXControl::FireEditDrawingSetting(LONG settingId)
{
    return FireGated(*this, cetOnEditDrawingSetting, EventArgs().I4(settingId));
}

bool CYVEXControl::FireSetCurrentDrawingSetting(LONG sourceSettingId)
{
    return FireGated(*this, cetOnSetCurrentDrawingSetting, EventArgs().I4(sourceSettingId));
}

bool CYVEXControl::FireCopyDrawingSetting(LONG destSettingId, LONG sourceSettingId)
{
    return FireGated(*this, cetOnCopyDrawingSetting, EventArgs().I4(destSettingId).I4(sourceSettingId));
}

bool CYVEXControl::FireEditSite(LONG siteId) { return FireGated(*this, cetOnEditSite, EventArgs().I4(siteId)); }

void CYVEXControl::FireBeginDeleteSite(LONG siteId, BOOL* proceed)
{
    FireStageBegin(*this, cetOnBeginDeleteSite, EventArgs().I4(siteId), proceed);
}

void CYVEXControl::FireEndDeleteSite(bool result) { EventArgs().Bool(result).Fire(*this, cetOnEndDeleteSite); }

bool CYVEXControl::FireBringShapeToFront(int shapeId)
{
    return FireGated(*this, cetOnBringShapeToFront, EventArgs().I4(shapeId));
}

bool CYVEXControl::FireSendShapeToBack(int shapeId)
{
    return FireGated(*this, cetOnSendShapeToBack, EventArgs().I4(shapeId));
}

bool CYVEXControl::FireUpdateReferences(LONG blockId, LONG updateType)
{
    return FireGated(*this, cetOnUpdateReferences, EventArgs().I4(blockId).I4(updateType));
}

void CYVEXControl::FireLButtonDblClick(LONG flags, float x, float y)
{
    FireGatedPlain(*this, cetOnLButtonDblClick, EventArgs().I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireSwitchRootID(LONG newRootId)
{
    return FireGated(*this, cetOnSwitchRootID, EventArgs().I4(newRootId));
}

bool CYVEXControl::FireDeleteImageResourceFromDB(LONG databaseId)
{
    return FireGated(*this, cetOnDeleteImageResourceFromDB, EventArgs().I4(databaseId));
}

void CYVEXControl::FireDeletedImageResourceFromDB(LONG databaseId)
{
    FireGatedPlain(*this, cetOnDeletedImageResourceFromDB, EventArgs().I4(databaseId));
}

void CYVEXControl::FireInvalidateToolbar(LONG changeID)
{
    FireGatedPlain(*this, cetOnInvalidateToolbar, EventArgs().I4(changeID));
}

bool CYVEXControl::FireDeleteImageResource(LONG imageResourceId)
{
    return FireGated(*this, cetOnDeleteImageResource, EventArgs().I4(imageResourceId));
}

void CYVEXControl::FireEndDeleteSiteWithID(LONG siteId, bool result, LONG storageType, BSTR name)
{
    EventArgs().I4(siteId).Bool(result).I4(storageType).Bstr(name).Fire(*this, cetOnEndDeleteSiteWithID);
}

void CYVEXControl::FireEndLoadSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId)
{
    EventArgs().Bool(result).I4(storageType).Bstr(name).I4(siteId).Fire(*this, cetOnEndLoadSiteWithID);
}

void CYVEXControl::FireEndSaveSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId)
{
    EventArgs().Bool(result).I4(storageType).Bstr(name).I4(siteId).Fire(*this, cetOnEndSaveSiteWithID);
}

bool CYVEXControl::FireCopySuccessful() { return FireGated(*this, cetOnCopySuccessful, EventArgs()); }

bool CYVEXControl::FirePasteSuccessful() { return FireGated(*this, cetOnPasteSuccessful, EventArgs()); }

bool CYVEXControl::FireResetAttributeProperties(LONG shapeId, LONG propertiesMask)
{
    return FireGated(*this, cetOnResetAttributeProperties, EventArgs().I4(shapeId).I4(propertiesMask));
}

void CYVEXControl::FireControlReady(LONG lastOperation)
{
    FireGatedPlain(*this, cetOnControlReady, EventArgs().I4(lastOperation));
}

bool CYVEXControl::AskDeleteShape(int shapeId)
{
    if (!EventsEnabled())
        return false;
    EventArgs a;
    a.I4(shapeId).ProceedFrom(false).Fire(*this, cetOnDeleteShape);
    return a.Proceeds();
}

bool CYVEXControl::AskBeginDeleteSite(int siteId)
{
    BOOL proceed = TRUE;
    FireBeginDeleteSite(siteId, &proceed);
    return proceed != FALSE;
}
