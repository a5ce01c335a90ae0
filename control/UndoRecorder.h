#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <vector>
#include "com/Owners.h"
#include "control/UndoRecorderRef.h"
#include "model/ShapeRecorder.h"

class CControlCore;
class CShape;
class CPointRecord;
class CDrawingSettingRecord;
class CHatchPattern;
class CImageResource;
class CUndoUnit;
class CParentUndoUnit;

// Through the recorder every part of the control records what it changes, so that the change can
// be undone: it brackets compound operations (parent units opened in the undo manager), turns
// each record into a leaf undo unit of the manager, and merges consecutive records of one kind
// into one unit. Without a manager recording is suspended and every record answers S_FALSE,
// which callers ignore. The record operations are virtual so that a test can watch them. The
// shapes reach it through CShapeRecorder.
class CUndoRecorder : public CShapeRecorder
{
public:
    explicit CUndoRecorder(CControlCore* control);
    CUndoRecorder(const CUndoRecorder&) = delete;
    CUndoRecorder& operator=(const CUndoRecorder&) = delete;
    ~CUndoRecorder() override;

    CControlCore* GetControl() const { return m_control; }
    // What the units hold to reach the recorder; cleared when the recorder goes.
    const CUndoRecorderRef::Anchor& GetAnchor() const { return m_anchor; }

    // Replaces the manager (null: none). Recording is off while there is none: the old manager
    // raises the suspension count as it goes, a new one lowers it.
    void SetManager(IOleUndoManager* manager);
    IOleUndoManager* GetManager() const { return m_manager.Get(); }
    bool IsSuspended() const override { return m_suspendCount > 0; }
    LONG GetSuspendCount() const { return m_suspendCount; }
    void Suspend();
    void Resume();
    // The manager's queue length through IYVEXOleUndoManagerEx: 0, and nothing set, without a
    // manager that has it. Values below 2 set 100.
    LONG GetQueueMaxLength() const;
    void SetQueueMaxLength(LONG length);

    // Begins a compound operation of a kind (YVEXOperation): a parent unit opened in the manager.
    // S_FALSE while suspended, E_NOTIMPL without a manager.
    HRESULT OpenOperation(int kind) override;
    // Ends the innermost compound operation, committed when asked and the operation was not too
    // large to record.
    HRESULT CloseOperation(bool commit) override;
    // Starts a new current leaf unit of a kind. E_ACCESSDENIED while an operation is too large.
    HRESULT AddLeafUnit(int kind);
    // Forgets the current leaf unit; without keep the manager discards its whole history (a
    // change that was made without being recorded cannot be undone across). S_FALSE when there
    // is no current unit.
    HRESULT EndCurrentUnit(bool keep) override;
    // The host refused the change just recorded: the pending unit goes (out of its open parent,
    // or off the top of our own manager's stack; a host's manager keeps it, and undoing it then
    // changes nothing). The rest of the history stays. S_FALSE when there is no current unit.
    HRESULT DiscardCurrentUnit() override;

    // Records an element under an operation kind into the current unit, starting a new one when
    // there is none of that kind; with openOperation a compound operation is opened first (the
    // caller closes it). S_FALSE while suspended, E_INVALIDARG for null.
    HRESULT RecordShape(int kind, CShape* shape, bool openOperation) override;
    HRESULT RecordPoint(int kind, CPointRecord* point, bool openOperation) override;
    HRESULT RecordDrawingSetting(int kind, CDrawingSettingRecord* setting, bool openOperation);
    HRESULT RecordHatchPattern(int kind, CHatchPattern* pattern, bool openOperation);
    HRESULT RecordImageResource(int kind, CImageResource* resource, bool openOperation);
    // Whether a change is to be recorded: not for a shape being created interactively or inside it.
    bool ShouldRecordShape(CShape* shape) const override;
    bool ShouldRecordPoint(CPointRecord* point) const override;
    // Whether an operation on a shape tree may go ahead: one of more than 300 shapes, 600 points
    // or (deleting) 5000000 image bytes cannot be recorded, and the user is asked whether to go on
    // without undo. While the answer stands the operation goes unrecorded.
    bool ConfirmLargeOperation(int kind, CShape* shape);

    // The undo kind of an interactive edit (EditShapeTypes).
    static int OperationKindForEdit(int editType);

    // The unit factories: a leaf unit of a kind (creation, ID change or snapshot) and a parent
    // unit, bound to this recorder. Null when out of memory.
    ycom::ComPtr<CUndoUnit> CreateUnit(int kind);
    ycom::ComPtr<CParentUndoUnit> CreateParentUnit(int kind);

    // What the units see of the recorder.
    CUndoUnit* GetCurrentUnit() const { return m_currentUnit; }
    const std::vector<CParentUndoUnit*>& GetOpenUnits() const { return m_openUnits; }
    bool IsTooLarge() const { return m_tooLarge; }
    void ClearTooLarge() { m_tooLarge = false; }
    // A unit leaves the recorder (it is destroyed, or the manager added another after it).
    void ForgetUnit(const CUndoRecorderRef* unit);
    bool IsUnitActive(const CUndoRecorderRef* unit) const;

    int GetLastOperation() const { return m_lastOperation; }
    int GetPendingOperation() const { return m_pendingOperation; }
    int GetDepth() const { return m_depth; }

protected:
    // The pattern of every record: open the operation, find or start the unit, let it record.
    template <class Element, class RecordIntoUnit>
    HRESULT Record(int kind, Element* element, bool openOperation, RecordIntoUnit recordIntoUnit);

    ycom::ComPtr<IOleUndoManager> m_manager;
    CControlCore* m_control;
    CUndoRecorderRef::Anchor m_anchor;
    std::vector<CParentUndoUnit*> m_openUnits;
    CUndoUnit* m_currentUnit = nullptr;
    LONG m_suspendCount = 1; // no manager yet
    bool m_tooLarge = false;
    int m_depth = 0;
    int m_lastOperation = 0;
    int m_pendingOperation = 0;
};
