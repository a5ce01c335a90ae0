#pragma once
#include "control/UndoUnit.h"

// The undo unit of an ID change (opObjectID): one element's old and new ID; undoing it gives the
// element its old ID back. A later record replaces an earlier one.
class CObjectIDUndoUnit : public CUndoUnit
{
public:
    // What the unit holds: nothing yet, a point, a shape, a drawing setting, a hatch pattern or an
    // image resource.
    enum RecordedKind
    {
        rkNothing = 0,
        rkPoint = 1,
        rkShape = 2,
        rkDrawingSetting = 3,
        rkHatchPattern = 4,
        rkImageResource = 5,
    };

    CObjectIDUndoUnit() { SetKind(opObjectID); }

    // The ID the element is about to take: E_FAIL while nothing is recorded.
    HRESULT SetNewID(int id);

    // The inverse maps the new ID back: `other` must be an opObjectID unit.
    HRESULT TransferRecords(CUndoUnit* other) override;
    HRESULT ApplyUndo(IOleUndoManager* manager) override;

    HRESULT RecordShape(CShape* shape) override;
    HRESULT RecordPoint(CPointRecord* point) override;
    HRESULT RecordDrawingSetting(CDrawingSettingRecord* setting) override;
    HRESULT RecordHatchPattern(CHatchPattern* pattern) override;
    HRESULT RecordImageResource(CImageResource* resource) override;
    // Shapes, points, drawing settings, hatch patterns and image resources take the given ID as the
    // old one; the attribute kinds are not kept (E_NOTIMPL, E_POINTER for one that does not exist).
    HRESULT RecordID(ElementKind kind, int id) override;

    int GetOldID() const { return m_oldId; }
    int GetNewID() const { return m_newId; }
    RecordedKind GetRecordedKind() const { return m_recorded; }

private:
    void Keep(RecordedKind kind, int oldId)
    {
        m_recorded = kind;
        m_oldId = oldId;
    }

    int m_oldId = 0;
    int m_newId = 0;
    RecordedKind m_recorded = rkNothing;
};
