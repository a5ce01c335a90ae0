#include "control/UndoUnit.h"
#include "com/Guard.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "persistence/DrawingSettingMap.h"
#include "YVEX_h.h"
#include <new>

namespace {
// Shapes up to this ID are the fixed groups, the base layer and the prototype shapes.
const int kLastFixedShapeId = DEFAULT_IMAGE_ID; // 11
} // namespace

CUndoUnit::~CUndoUnit()
{
    for (std::set<int>& ids : m_ids)
        ids.clear();
}

bool CUndoUnit::IsExcludedId(ElementKind kind, int id)
{
    switch (kind) {
    case ekShape: return id <= kLastFixedShapeId;
    case ekDrawingSetting: return id == 1;
    case ekImageResource:
    case ekAttribute:
    case ekAttributeType:
    case ekAttributeGroup: return id < 0;
    default: return false;
    }
}

// --- IOleUndoUnit ----------------------------------------------------------------------------

STDMETHODIMP CUndoUnit::Do(IOleUndoManager* manager)
{
    return ycom::Guard(IID_IOleUndoUnit, [&]() -> HRESULT {
        // The inverse first: it records the elements as they stand before this unit changes them.
        ycom::ComPtr<IOleUndoUnit> inverse;
        HRESULT built = S_OK;
        if (manager) {
            const HRESULT prepared = PrepareDo();
            if (FAILED(prepared))
                return prepared;
            CUndoRecorder* recorder = GetRecorder();
            if (!recorder) {
                built = E_NOTIMPL;
            } else {
                ycom::ComPtr<CUndoUnit> unit = recorder->CreateUnit(InverseKind(GetKind()));
                if (!unit) {
                    built = E_OUTOFMEMORY;
                } else {
                    unit->SetInverse(!IsInverse());
                    SuspendRecording();
                    const HRESULT transferred = TransferRecords(unit.Get());
                    ResumeRecording();
                    if (transferred == S_OK)
                        inverse = static_cast<IOleUndoUnit*>(unit.Get());
                    else
                        built = FAILED(transferred) ? E_ABORT : E_NOTIMPL;
                }
            }
        }

        // Nothing of the restore is recorded, and the recorder forgets its current unit afterwards,
        // whatever happens on the way.
        HRESULT applied;
        SuspendRecording();
        try {
            PrepareDo();
            applied = ApplyUndo(manager);
        } catch (const std::bad_alloc&) {
            applied = E_OUTOFMEMORY;
        } catch (...) {
            applied = E_FAIL;
        }
        AfterDo();
        ResumeRecording();

        if (FAILED(applied) || !manager)
            return applied;
        if (SUCCEEDED(built))
            return manager->Add(inverse.Get());
        return built == E_NOTIMPL ? applied : built;
    });
}

STDMETHODIMP CUndoUnit::GetDescription(BSTR* description)
{
    return ycom::Guard(IID_IOleUndoUnit, [&]() -> HRESULT {
        return Describe(description);
    });
}

STDMETHODIMP CUndoUnit::GetUnitType(CLSID* clsid, LONG* type)
{
    return ycom::Guard(IID_IOleUndoUnit, [&]() -> HRESULT {
        if (!clsid || !type)
            return E_POINTER;
        *clsid = CLSID_YVEXControl;
        *type = GetKind();
        return S_OK;
    });
}

STDMETHODIMP CUndoUnit::OnNextAdd()
{
    return ycom::Guard(IID_IOleUndoUnit, [&]() -> HRESULT {
        // Later records of the same kind start a unit of their own.
        Detach();
        return S_OK;
    });
}

// --- Own operations ----------------------------------------------------------------------------

HRESULT CUndoUnit::TransferRecords(CUndoUnit* other)
{
    if (!other)
        return E_INVALIDARG;
    CControlCore* control = GetControl();
    if (!control)
        return E_POINTER;
    const bool creation = GetKind() == opCreate;
    for (int k = 0; k < ekKindCount; ++k) {
        const ElementKind kind = static_cast<ElementKind>(k);
        for (int id : m_ids[kind]) {
            if (!creation) {
                other->RecordID(kind, id);
                continue;
            }
            // The elements as they stand now, where the control still has them.
            switch (kind) {
            case ekShape:
                if (CShape* shape = control->FindShape(id))
                    other->RecordShape(shape);
                break;
            case ekPoint:
                if (CPointRecord* point = control->GetPointPool().Find(id))
                    other->RecordPoint(point);
                break;
            case ekDrawingSetting:
                if (CDrawingSettingRecord* setting = control->GetDrawingSettingMap().FindByID(id))
                    other->RecordDrawingSetting(setting);
                break;
            case ekHatchPattern:
                if (CHatchPattern* pattern = control->GetHatchPatternMap().Find(id))
                    other->RecordHatchPattern(pattern);
                break;
            case ekImageResource:
                if (CImageResource* resource = control->GetImageResourceMap().Lookup(id))
                    other->RecordImageResource(resource);
                break;
            default:
                // The attribute model has no objects in the control yet: none can still exist.
                break;
            }
        }
    }
    return S_OK;
}

HRESULT CUndoUnit::ApplyUndo(IOleUndoManager*)
{
    CControlCore* control = GetControl();
    if (!control)
        return E_POINTER;
    // Undoing a creation: every created element that still exists goes, a shape with its tree.
    bool changed = false;
    for (int id : m_ids[ekShape]) {
        if (CShape* shape = control->FindShape(id)) {
            control->DeleteShapeTree(shape, false, false);
            changed = true;
        }
    }

    CPointPool& pool = control->GetPointPool();
    for (int id : m_ids[ekPoint]) {
        CPointRecord* point = pool.Find(id);
        if (!point)
            continue;
        // The point leaves as many users as it counts; it disappears with the last one. A count
        // above the users the point knows finds no further user: that ends it.
        const LONG uses = point->GetUseCount();
        for (LONG i = 0; i < uses && point; ++i) {
            CShape* owner = control->FindNextPointOwner(id);
            if (!owner)
                break;
            if (owner->GetPoints().IndexOf(id) >= 0)
                owner->RemovePointById(id, false, 0);
            else
                owner->UnlinkPoint(id);
            point = pool.Find(id);
            changed = true;
        }
    }

    CDrawingSettingMap& settings = control->GetDrawingSettingMap();
    for (int id : m_ids[ekDrawingSetting]) {
        CDrawingSettingRecord* setting = settings.FindByID(id);
        // The setting in force stays: the control and its shapes hold it.
        if (setting && setting != control->GetCurrentDrawingSetting())
            settings.Remove(id);
    }
    // A site's own pattern goes (the built-in ones stay); a resource goes unless another user
    // still holds it.
    for (int id : m_ids[ekHatchPattern])
        control->GetHatchPatternMap().Remove(id, false);
    for (int id : m_ids[ekImageResource])
        if (control->GetImageResourceMap().Lookup(id))
            control->GetImageResourceMap().Remove(id);
    if (changed)
        control->RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

// --- Recording -----------------------------------------------------------------------------------

HRESULT CUndoUnit::RecordShape(CShape* shape)
{
    if (!shape)
        return E_INVALIDARG;
    if (IsShapeRecorded(shape))
        return S_FALSE;
    if (!IsExcludedId(ekShape, shape->GetId()))
        AddId(ekShape, shape->GetId());
    if (shape->IsGroup()) {
        // Of a block reference only the attribute and label texts are its own: the rest mirrors
        // the block.
        const bool reference = shape->GetShapeType() == stReference;
        const std::vector<CShape*> children = static_cast<CGroup*>(shape)->Children();
        for (CShape* child : children)
            if (!reference || child->IsAttributeOrLabel())
                RecordShape(child);
    }
    return S_OK;
}

template <class Element>
HRESULT CUndoUnit::RecordElement(ElementKind kind, Element* element, int id, bool (CUndoUnit::*isRecorded)(Element*))
{
    if (!element || IsExcludedId(kind, id))
        return E_INVALIDARG;
    if ((this->*isRecorded)(element))
        return S_FALSE;
    AddId(kind, id);
    return S_OK;
}

HRESULT CUndoUnit::RecordPoint(CPointRecord* point)
{
    return RecordElement(ekPoint, point, point ? point->GetPointId() : 0, &CUndoUnit::IsPointRecorded);
}

HRESULT CUndoUnit::RecordDrawingSetting(CDrawingSettingRecord* setting)
{
    return RecordElement(ekDrawingSetting, setting, setting ? setting->ID : 0, &CUndoUnit::IsDrawingSettingRecorded);
}

HRESULT CUndoUnit::RecordHatchPattern(CHatchPattern* pattern)
{
    return RecordElement(ekHatchPattern, pattern, pattern ? pattern->GetId() : 0, &CUndoUnit::IsHatchPatternRecorded);
}

HRESULT CUndoUnit::RecordImageResource(CImageResource* resource)
{
    return RecordElement(ekImageResource, resource, resource ? resource->GetId() : 0,
                         &CUndoUnit::IsImageResourceRecorded);
}

HRESULT CUndoUnit::RecordID(ElementKind kind, int id)
{
    if (kind < 0 || kind >= ekKindCount)
        return E_INVALIDARG;
    CControlCore* control = GetControl();
    if (control) {
        switch (kind) {
        case ekShape:
            if (CShape* shape = control->FindShape(id))
                return RecordShape(shape);
            break;
        case ekPoint:
            if (CPointRecord* point = control->GetPointPool().Find(id))
                return RecordPoint(point);
            break;
        case ekDrawingSetting:
            if (CDrawingSettingRecord* setting = control->GetDrawingSettingMap().FindByID(id))
                return RecordDrawingSetting(setting);
            break;
        case ekHatchPattern:
            if (CHatchPattern* pattern = control->GetHatchPatternMap().Find(id))
                return RecordHatchPattern(pattern);
            break;
        case ekImageResource:
            if (CImageResource* resource = control->GetImageResourceMap().Lookup(id))
                return RecordImageResource(resource);
            break;
        default: break;
        }
    }
    // An element that does not exist (yet): its bare ID.
    if (IsExcludedId(kind, id))
        return kind == ekShape ? S_OK : E_INVALIDARG;
    AddId(kind, id);
    return S_OK;
}

bool CUndoUnit::IsShapeRecorded(CShape* shape)
{
    for (CShape* s = shape; s; s = s->GetParent())
        if (HoldsId(ekShape, s->GetId()))
            return true;
    return false;
}

bool CUndoUnit::IsPointRecorded(CPointRecord* point)
{
    if (!point)
        return false;
    if (HoldsId(ekPoint, point->GetPointId()))
        return true;
    CControlCore* control = GetControl();
    if (!control)
        return false;
    for (int owner : point->GetOwners())
        if (CShape* shape = control->FindShape(owner))
            if (IsShapeRecorded(shape))
                return true;
    return false;
}

bool CUndoUnit::IsDrawingSettingRecorded(CDrawingSettingRecord* setting)
{
    return setting && HoldsId(ekDrawingSetting, setting->ID);
}

bool CUndoUnit::IsHatchPatternRecorded(CHatchPattern* pattern)
{
    return pattern && HoldsId(ekHatchPattern, pattern->GetId());
}

bool CUndoUnit::IsImageResourceRecorded(CImageResource* resource)
{
    return resource && HoldsId(ekImageResource, resource->GetId());
}
