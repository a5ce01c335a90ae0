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
    if (!control.EventsEnabled())
        return true;
    args.Proceed().Fire(control, id);
    return args.Proceeds();
}

void FireGatedPlain(CYVEXControl& control, DISPID id, EventArgs& args)
{
    if (control.EventsEnabled())
        args.Fire(control, id);
}

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
    EventArgs a;
    FireGatedPlain(*this, cetOnMouseMove, a.I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireLButtonDown(LONG flags, float x, float y)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnLButtonDown, a.I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireLButtonUp(LONG flags, float x, float y)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnLButtonUp, a.I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireAddPoint(int pointId)
{
    EventArgs a;
    return FireGated(*this, cetOnAddPoint, a.I4(pointId));
}

bool CYVEXControl::FireAddShape(LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnAddShape, a.I4(shapeId));
}

bool CYVEXControl::FireDeleteShape(LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeleteShape, a.I4(shapeId));
}

bool CYVEXControl::FireDeletePoint(int pointId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeletePoint, a.I4(pointId));
}

bool CYVEXControl::FireShiftPoint(LONG pointId)
{
    EventArgs a;
    return FireGated(*this, cetOnShiftPoint, a.I4(pointId));
}

bool CYVEXControl::FireScaleShape(LONG shapeId, float* xc, float* yc, float* kx, float* ky)
{
    EventArgs a;
    return FireGated(*this, cetOnScaleShape, a.I4(shapeId).R4Ref(xc).R4Ref(yc).R4Ref(kx).R4Ref(ky));
}

bool CYVEXControl::FireShiftShape(LONG pointId, float* dx, float* dy)
{
    EventArgs a;
    return FireGated(*this, cetOnShiftShape, a.I4(pointId).R4Ref(dx).R4Ref(dy));
}

bool CYVEXControl::FireChangeParent(LONG parentId, LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnChangeParent, a.I4(parentId).I4(shapeId));
}

void CYVEXControl::FireChangeSelection()
{
    EventArgs a;
    FireGatedPlain(*this, cetOnChangeSelection, a);
}

bool CYVEXControl::FireLinkPoint(LONG shapeId, LONG pointId)
{
    EventArgs a;
    return FireGated(*this, cetOnLinkPoint, a.I4(shapeId).I4(pointId));
}

bool CYVEXControl::FireUnlinkPoint(LONG shapeId, LONG pointId)
{
    EventArgs a;
    return FireGated(*this, cetOnUnlinkPoint, a.I4(shapeId).I4(pointId));
}

bool CYVEXControl::FireBeginDraw(LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnBeginDraw, a.I4(shapeId));
}

bool CYVEXControl::FireEndDraw(LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnEndDraw, a.I4(shapeId));
}

bool CYVEXControl::FireBeginEditShape(LONG shapeId, LONG editType)
{
    EventArgs a;
    return FireGated(*this, cetOnBeginEditShape, a.I4(shapeId).I4(editType));
}

bool CYVEXControl::FireEndEditShape(LONG shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnEndEditShape, a.I4(shapeId));
}

void CYVEXControl::FireRButtonUp(LONG flags, float x, float y)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnRButtonUp, a.I4(flags).R4(x).R4(y));
}

void CYVEXControl::FireProgress(LONG percentage)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnProgress, a.I4(percentage));
}

void CYVEXControl::FireHitShape(LONG shapeId, float x, float y, LONG key)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnHitShape, a.I4(shapeId).R4(x).R4(y).I4(key));
}

bool CYVEXControl::FireContextMenuShow(float* x, float* y)
{
    EventArgs a;
    return FireGated(*this, cetOnContextMenuShow, a.R4Ref(x).R4Ref(y));
}

void CYVEXControl::FireContextMenuCommand(LONG itemId)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnContextMenuCommand, a.I4(itemId));
}

bool CYVEXControl::FireCancel()
{
    EventArgs a;
    return FireGated(*this, cetOnCancel, a);
}

void CYVEXControl::FireRButtonDown(LONG flags, float x, float y)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnRButtonDown, a.I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireAddViewport(LONG newViewportId, LONG sourceViewportId)
{
    EventArgs a;
    return FireGated(*this, cetOnAddViewport, a.I4(newViewportId).I4(sourceViewportId));
}

bool CYVEXControl::FireDeleteViewport(LONG viewportId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeleteViewport, a.I4(viewportId));
}

bool CYVEXControl::FireEditViewport(LONG viewportId)
{
    EventArgs a;
    return FireGated(*this, cetOnEditViewport, a.I4(viewportId));
}

bool CYVEXControl::FireSetCurrentViewport(LONG sourceViewportId)
{
    EventArgs a;
    return FireGated(*this, cetOnSetCurrentViewport, a.I4(sourceViewportId));
}

bool CYVEXControl::FireCopyViewport(LONG destViewportId, LONG sourceViewportId)
{
    EventArgs a;
    return FireGated(*this, cetOnCopyViewport, a.I4(destViewportId).I4(sourceViewportId));
}

bool CYVEXControl::FireSetCurrentLayer(LONG layerId)
{
    EventArgs a;
    return FireGated(*this, cetOnSetCurrentLayer, a.I4(layerId));
}

void CYVEXControl::FireBeginLoadSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed)
{
    EventArgs a;
    FireStageBegin(*this, cetOnBeginLoadSite, a.I4(storageType).Bstr(name).I4(siteId), proceed);
}

void CYVEXControl::FireEndLoadSite(bool result)
{
    EventArgs a;
    a.Bool(result).Fire(*this, cetOnEndLoadSite);
}

void CYVEXControl::FireBeginSaveSite(LONG storageType, BSTR name, LONG siteId, BOOL* proceed)
{
    EventArgs a;
    FireStageBegin(*this, cetOnBeginSaveSite, a.I4(storageType).Bstr(name).I4(siteId), proceed);
}

void CYVEXControl::FireEndSaveSite(bool result)
{
    EventArgs a;
    a.Bool(result).Fire(*this, cetOnEndSaveSite);
}

bool CYVEXControl::FireAddDrawingSetting(LONG newSettingId, LONG sourceSettingId)
{
    EventArgs a;
    return FireGated(*this, cetOnAddDrawingSetting, a.I4(newSettingId).I4(sourceSettingId));
}

bool CYVEXControl::FireDeleteDrawingSetting(LONG settingId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeleteDrawingSetting, a.I4(settingId));
}

bool CYVEXControl::FireEditDrawingSetting(LONG settingId)
{
    EventArgs a;
    return FireGated(*this, cetOnEditDrawingSetting, a.I4(settingId));
}

bool CYVEXControl::FireSetCurrentDrawingSetting(LONG sourceSettingId)
{
    EventArgs a;
    return FireGated(*this, cetOnSetCurrentDrawingSetting, a.I4(sourceSettingId));
}

bool CYVEXControl::FireCopyDrawingSetting(LONG destSettingId, LONG sourceSettingId)
{
    EventArgs a;
    return FireGated(*this, cetOnCopyDrawingSetting, a.I4(destSettingId).I4(sourceSettingId));
}

bool CYVEXControl::FireEditSite(LONG siteId)
{
    EventArgs a;
    return FireGated(*this, cetOnEditSite, a.I4(siteId));
}

void CYVEXControl::FireBeginDeleteSite(LONG siteId, BOOL* proceed)
{
    EventArgs a;
    FireStageBegin(*this, cetOnBeginDeleteSite, a.I4(siteId), proceed);
}

void CYVEXControl::FireEndDeleteSite(bool result)
{
    EventArgs a;
    a.Bool(result).Fire(*this, cetOnEndDeleteSite);
}

bool CYVEXControl::FireBringShapeToFront(int shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnBringShapeToFront, a.I4(shapeId));
}

bool CYVEXControl::FireSendShapeToBack(int shapeId)
{
    EventArgs a;
    return FireGated(*this, cetOnSendShapeToBack, a.I4(shapeId));
}

bool CYVEXControl::FireUpdateReferences(LONG blockId, LONG updateType)
{
    EventArgs a;
    return FireGated(*this, cetOnUpdateReferences, a.I4(blockId).I4(updateType));
}

void CYVEXControl::FireLButtonDblClick(LONG flags, float x, float y)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnLButtonDblClick, a.I4(flags).R4(x).R4(y));
}

bool CYVEXControl::FireSwitchRootID(LONG newRootId)
{
    EventArgs a;
    return FireGated(*this, cetOnSwitchRootID, a.I4(newRootId));
}

bool CYVEXControl::FireDeleteImageResourceFromDB(LONG databaseId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeleteImageResourceFromDB, a.I4(databaseId));
}

void CYVEXControl::FireDeletedImageResourceFromDB(LONG databaseId)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnDeletedImageResourceFromDB, a.I4(databaseId));
}

void CYVEXControl::FireInvalidateToolbar(LONG changeID)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnInvalidateToolbar, a.I4(changeID));
}

bool CYVEXControl::FireDeleteImageResource(LONG imageResourceId)
{
    EventArgs a;
    return FireGated(*this, cetOnDeleteImageResource, a.I4(imageResourceId));
}

void CYVEXControl::FireEndDeleteSiteWithID(LONG siteId, bool result, LONG storageType, BSTR name)
{
    EventArgs a;
    a.I4(siteId).Bool(result).I4(storageType).Bstr(name).Fire(*this, cetOnEndDeleteSiteWithID);
}

void CYVEXControl::FireEndLoadSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId)
{
    EventArgs a;
    a.Bool(result).I4(storageType).Bstr(name).I4(siteId).Fire(*this, cetOnEndLoadSiteWithID);
}

void CYVEXControl::FireEndSaveSiteWithID(bool result, LONG storageType, BSTR name, LONG siteId)
{
    EventArgs a;
    a.Bool(result).I4(storageType).Bstr(name).I4(siteId).Fire(*this, cetOnEndSaveSiteWithID);
}

bool CYVEXControl::FireCopySuccessful()
{
    EventArgs a;
    return FireGated(*this, cetOnCopySuccessful, a);
}

bool CYVEXControl::FirePasteSuccessful()
{
    EventArgs a;
    return FireGated(*this, cetOnPasteSuccessful, a);
}

bool CYVEXControl::FireResetAttributeProperties(LONG shapeId, LONG propertiesMask)
{
    EventArgs a;
    return FireGated(*this, cetOnResetAttributeProperties, a.I4(shapeId).I4(propertiesMask));
}

void CYVEXControl::FireControlReady(LONG lastOperation)
{
    EventArgs a;
    FireGatedPlain(*this, cetOnControlReady, a.I4(lastOperation));
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
