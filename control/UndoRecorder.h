#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include "model/ShapeRecorder.h"

class CControlCore;
class CShape;
class CPointRecord;

// Through the recorder every part of the control records what it changes, so that the change can
// be undone: it brackets compound operations and turns each record into an undo unit of the
// control's undo manager. Without a manager recording is suspended and every record answers
// S_FALSE, which callers ignore. The record operations are virtual so that a test can watch them.
// The shapes reach it through CShapeRecorder.
class CUndoRecorder : public CShapeRecorder
{
public:
    explicit CUndoRecorder(CControlCore* control);
    CUndoRecorder(const CUndoRecorder&) = delete;
    CUndoRecorder& operator=(const CUndoRecorder&) = delete;
    ~CUndoRecorder() override;

    // Replaces the manager (null: none); recording is off while there is none.
    void SetManager(IOleUndoManager* manager);
    IOleUndoManager* GetManager() const { return m_manager; }
    bool IsSuspended() const override { return m_suspendCount > 0; }
    void Suspend();
    void Resume();

    HRESULT OpenOperation(int kind) override;
    HRESULT CloseOperation(bool commit) override;
    // Ends the current leaf unit; without keep the recorded state is dropped (a vetoed change
    // leaves no unit behind). S_FALSE when there is no current unit.
    HRESULT EndCurrentUnit(bool keep) override;
    // Records a shape's or a point's state under an operation kind (YVEXOperation); with
    // openOperation a compound operation of that kind is opened first.
    HRESULT RecordShape(int kind, CShape* shape, bool openOperation) override;
    HRESULT RecordPoint(int kind, CPointRecord* point, bool openOperation) override;
    // Whether a change is to be recorded: not for a shape being created interactively or inside it.
    bool ShouldRecordShape(CShape* shape) const override;
    bool ShouldRecordPoint(CPointRecord* point) const override;

    // The undo kind of an interactive edit (EditShapeTypes).
    static int OperationKindForEdit(int editType);

    int GetLastOperation() const { return m_lastOperation; }
    int GetPendingOperation() const { return m_pendingOperation; }
    int GetDepth() const { return m_depth; }

protected:
    HRESULT Record(int kind, const void* element, bool openOperation);

    IOleUndoManager* m_manager = nullptr;
    CControlCore* m_control;
    LONG m_suspendCount = 1; // no manager yet
    bool m_tooLarge = false;
    int m_depth = 0;
    int m_lastOperation = 0;
    int m_pendingOperation = 0;
};
