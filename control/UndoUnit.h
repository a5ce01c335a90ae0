#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <set>
#include "com/ComObject.h"
#include "control/UndoRecorderRef.h"

class CShape;
class CPointRecord;
class CDrawingSettingRecord;
class CHatchPattern;
class CImageResource;

// One reversible step of the drawing: the undo unit of a creation (opCreate). It keeps the IDs of
// the elements an operation created, and undoing it deletes them. The snapshot unit (every other
// kind) and the object-ID unit derive from it. A unit builds its own inverse when it is undone, so
// that the manager can redo it.
//
// Units are COM objects created with no reference, handed out through QueryInterface
// (IOleUndoUnit, IYVEXUndoUnit).
class CUndoUnit : public ycom::ObjectRoot, public IOleUndoUnit, public CUndoRecorderRef
{
public:
    // The kinds of element a unit keeps, in the order their sets are walked when a unit hands its
    // records to another.
    enum ElementKind
    {
        ekShape,
        ekPoint,
        ekDrawingSetting,
        ekHatchPattern,
        ekImageResource,
        ekAttributeGroup,
        ekAttributeType,
        ekAttribute,
        ekKindCount
    };

    BEGIN_INTERFACE_MAP(CUndoUnit)
        INTERFACE_ENTRY(IOleUndoUnit)
        INTERFACE_ENTRY(IYVEXUndoUnit)
    END_INTERFACE_MAP()

    CUndoUnit() = default;
    ~CUndoUnit() override;

    // IUnknown comes from the object's concrete form; declared here once for both interfaces.
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override = 0;
    STDMETHODIMP_(ULONG) AddRef() override = 0;
    STDMETHODIMP_(ULONG) Release() override = 0;

    // IOleUndoUnit
    STDMETHODIMP Do(IOleUndoManager* manager) override;
    STDMETHODIMP GetDescription(BSTR* description) override;
    STDMETHODIMP GetUnitType(CLSID* clsid, LONG* type) override;
    STDMETHODIMP OnNextAdd() override;

    // Fills another unit with this unit's elements: for a creation the elements that still exist
    // are recorded in full (so that a snapshot inverse keeps their state), otherwise by ID.
    virtual HRESULT TransferRecords(CUndoUnit* other);
    // The unit's own restoring step.
    virtual HRESULT ApplyUndo(IOleUndoManager* manager);

    // Record operations on elements: E_INVALIDARG for null or an excluded ID, S_FALSE when the
    // element is recorded already, else its ID joins its set (a group's children with it).
    virtual HRESULT RecordShape(CShape* shape);
    virtual HRESULT RecordPoint(CPointRecord* point);
    virtual HRESULT RecordDrawingSetting(CDrawingSettingRecord* setting);
    virtual HRESULT RecordHatchPattern(CHatchPattern* pattern);
    virtual HRESULT RecordImageResource(CImageResource* resource);
    // Records by ID: the element as above when the control has it, else its bare ID (a shape ID
    // below 12 is skipped with S_OK).
    virtual HRESULT RecordID(ElementKind kind, int id);
    // Whether the element is recorded: its ID is in its set, or (shapes) an ancestor is recorded,
    // or (points) a shape that uses it is.
    virtual bool IsShapeRecorded(CShape* shape);
    virtual bool IsPointRecorded(CPointRecord* point);
    virtual bool IsDrawingSettingRecorded(CDrawingSettingRecord* setting);
    virtual bool IsHatchPatternRecorded(CHatchPattern* pattern);
    virtual bool IsImageResourceRecorded(CImageResource* resource);

    const std::set<int>& GetIds(ElementKind kind) const { return m_ids[kind]; }
    bool HoldsId(ElementKind kind, int id) const { return m_ids[kind].count(id) != 0; }

protected:
    // Whether an ID may never enter a set: the fixed groups and prototypes (shapes up to 11), the
    // current drawing setting (1), negative IDs of image resources and the attribute kinds.
    static bool IsExcludedId(ElementKind kind, int id);
    void AddId(ElementKind kind, int id) { m_ids[kind].insert(id); }
    // The record of an element kind kept by its ID alone: E_INVALIDARG for null or an excluded ID,
    // S_FALSE when the unit's test finds it recorded, else the ID joins its set.
    template <class Element>
    HRESULT RecordElement(ElementKind kind, Element* element, int id, bool (CUndoUnit::*isRecorded)(Element*));

private:
    std::set<int> m_ids[ekKindCount];
};
