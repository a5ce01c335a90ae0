#pragma once
#include <memory>
#include "control/UndoUnit.h"

class CDataTableSet;

// The undo unit of every kind but creation and ID changes: beside the IDs it keeps a copy of each
// element as it stood when first recorded, as records in a table set of its own, and undoing it
// writes those records back into the drawing under the same IDs.
class CSnapshotUndoUnit : public CUndoUnit
{
public:
    CSnapshotUndoUnit();
    ~CSnapshotUndoUnit() override;

    HRESULT TransferRecords(CUndoUnit* other) override;
    // Restore.
    HRESULT ApplyUndo(IOleUndoManager* manager) override;

    // The base operation first (a failure or S_FALSE is answered as it came), then the element
    // writes itself into the tables its kind needs, once per unit: S_FALSE when its record is
    // there already.
    HRESULT RecordShape(CShape* shape) override;
    HRESULT RecordPoint(CPointRecord* point) override;
    HRESULT RecordDrawingSetting(CDrawingSettingRecord* setting) override;
    HRESULT RecordHatchPattern(CHatchPattern* pattern) override;
    HRESULT RecordImageResource(CImageResource* resource) override;

    // Writes the records back into the drawing with events off and the control marked busy:
    // E_POINTER without a control, S_FALSE when nothing was recorded.
    HRESULT Restore();

    // Whether the unit's tables hold the element's record.
    bool IsShapeSaved(CShape* shape) const;
    bool IsPointSaved(CPointRecord* point) const;

    CDataTableSet* GetTables() const { return m_tables.get(); }

private:
    // The set, made empty on first use; the tables are added as they are needed.
    CDataTableSet* Tables();
    void CreateShapeTables();
    // The Points table and, for the kinds that keep a point's place in its shapes, the link tables.
    void CreatePointTables();
    // The common steps of an element kept in one table of its own: the base operation's answer
    // unless S_OK, E_POINTER without a control, S_FALSE when the table holds the ID, else what the
    // element's writer answers.
    template <class Write>
    HRESULT KeepInTable(HRESULT base, int table, int id, Write write);

    std::unique_ptr<CDataTableSet> m_tables;
};
