#include "control/ObjectIDUndoUnit.h"
#include "com/HResult.h"
#include "control/ControlCore.h"
#include "interchange/ImageResource.h"
#include "model/HatchPattern.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

HRESULT CObjectIDUndoUnit::SetNewID(int id)
{
    if (m_recorded == rkNothing)
        return E_FAIL;
    m_newId = id;
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordShape(CShape* shape)
{
    if (!shape)
        return E_INVALIDARG;
    Keep(rkShape, shape->GetId());
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordPoint(CPointRecord* point)
{
    if (!point)
        return E_INVALIDARG;
    Keep(rkPoint, point->GetPointId());
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordDrawingSetting(CDrawingSettingRecord* setting)
{
    if (!setting)
        return E_INVALIDARG;
    Keep(rkDrawingSetting, setting->ID);
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordHatchPattern(CHatchPattern* pattern)
{
    if (!pattern)
        return E_INVALIDARG;
    Keep(rkHatchPattern, pattern->GetId());
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordImageResource(CImageResource* resource)
{
    if (!resource)
        return E_INVALIDARG;
    Keep(rkImageResource, resource->GetId());
    return S_OK;
}

HRESULT CObjectIDUndoUnit::RecordID(ElementKind kind, int id)
{
    switch (kind) {
    case ekShape: Keep(rkShape, id); return S_OK;
    case ekPoint: Keep(rkPoint, id); return S_OK;
    case ekDrawingSetting: Keep(rkDrawingSetting, id); return S_OK;
    case ekHatchPattern: Keep(rkHatchPattern, id); return S_OK;
    case ekImageResource: Keep(rkImageResource, id); return S_OK;
    case ekAttribute:
    case ekAttributeType:
    case ekAttributeGroup:
        // The attribute model keeps no objects in the control yet: none exists.
        return E_POINTER;
    default: return E_INVALIDARG;
    }
}

HRESULT CObjectIDUndoUnit::TransferRecords(CUndoUnit* other)
{
    auto* target = dynamic_cast<CObjectIDUndoUnit*>(other);
    if (!target || target->GetKind() != opObjectID)
        return E_INVALIDARG;
    ElementKind kind;
    switch (m_recorded) {
    case rkPoint: kind = ekPoint; break;
    case rkShape: kind = ekShape; break;
    case rkDrawingSetting: kind = ekDrawingSetting; break;
    case rkHatchPattern: kind = ekHatchPattern; break;
    case rkImageResource: kind = ekImageResource; break;
    default: return E_FAIL;
    }
    // The inverse starts from the new ID and goes back to the old one.
    RETURN_IF_FAILED(target->RecordID(kind, m_newId));
    return target->SetNewID(m_oldId);
}

HRESULT CObjectIDUndoUnit::ApplyUndo(IOleUndoManager*)
{
    CControlCore* control = GetControl();
    if (!control)
        return E_POINTER;
    switch (m_recorded) {
    case rkPoint:
        if (!control->GetPointPool().Find(m_newId))
            return S_FALSE;
        return control->ChangePointID(m_newId, m_oldId);
    case rkShape:
        if (!control->FindShape(m_newId))
            return S_FALSE;
        return control->ChangeShapeID(m_newId, m_oldId);
    case rkDrawingSetting:
    case rkHatchPattern:
    case rkImageResource: return E_NOTIMPL;
    default: return E_FAIL;
    }
}
