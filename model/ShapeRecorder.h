#pragma once
#include <windows.h>

class CShape;
class CPointRecord;

// The undo hooks of the shapes: what a shape records before it changes, so that the change can be
// undone. The control's undo recorder implements it; a shape without one records nothing.
class CShapeRecorder
{
public:
    virtual ~CShapeRecorder() = default;

    // Whether recording is off (no undo manager, or suspended by the control).
    virtual bool IsSuspended() const = 0;
    // Brackets a compound operation of a kind (YVEXOperation); CloseOperation with commit makes
    // it the last operation.
    virtual HRESULT OpenOperation(int kind) = 0;
    virtual HRESULT CloseOperation(bool commit) = 0;
    // Ends the current leaf unit; without keep the whole undo history is dropped, for a change
    // that was made without being recorded.
    virtual HRESULT EndCurrentUnit(bool keep) = 0;
    // A change the host refused (its proceed flag cleared) after it was recorded: only the pending
    // unit goes, the history before it stays.
    virtual HRESULT DiscardCurrentUnit() = 0;
    // Records a shape's or a point's state under an operation kind; with openOperation a compound
    // operation of that kind is opened first.
    virtual HRESULT RecordShape(int kind, CShape* shape, bool openOperation) = 0;
    virtual HRESULT RecordPoint(int kind, CPointRecord* point, bool openOperation) = 0;
    // Whether a change is to be recorded: not for a shape being created interactively or inside it.
    virtual bool ShouldRecordShape(CShape* shape) const = 0;
    virtual bool ShouldRecordPoint(CPointRecord* point) const = 0;
};
