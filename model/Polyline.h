#pragma once
#include <vector>
#include "model/Group.h"
#include "model/VertexRecord.h"

// The shape behind open polylines, polygons (closed polylines) and rectangles.
class CPolyline : public CGroup
{
public:
    // `type` is stPolyline or stRectangle; a rectangle is marked pfRectangle.
    CPolyline(CShapeHost* control, int id, int type);
    // A copy under a new ID: the group copy, the default widths, the flags and the arrow types.
    CPolyline(int id, const CPolyline& source);

    DWORD GetFlags() const { return m_flags; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    float GetDefStartWidth() const { return m_defStartWidth; }
    float GetDefEndWidth() const { return m_defEndWidth; }

    // The vertex records: one per own point, in the order of the points (record i belongs to
    // point i).
    const std::vector<CVertexRecord>& GetVertices() const { return m_vertices; }
    CVertexRecord* FindVertexOfPoint(int pointId);
    // The index of the record with the same vertex ID; -1 when none.
    int FindVertexIndex(const CVertexRecord& vertex) const;
    // Erases every record of the point; 1 when one was erased.
    int RemoveVerticesOfPoint(int pointId);

    virtual bool IsClosed();
    virtual bool IsOrtho();
    virtual bool IsBezier();

    // Overrides of the shape base.
    // The points and their vertex records stay in step.
    HRESULT InsertPoint(CPointRecord* record, int index, bool force) override;
    int RemovePointById(int pointId, bool recordUndo, int flags) override;
    void RemoveAllPoints() override;
    int MovePointWithin(int pointId, int index) override;
    int ClearDatabaseId() override;
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;
    float GetPenWeight() override { return m_defStartWidth; }
    void SetPenWeight(float weight) override;
    int GetFirstArrowType() override { return m_firstArrowType; }
    void SetFirstArrowType(int type) override { m_firstArrowType = type; }
    int GetSecondArrowType() override { return m_secondArrowType; }
    void SetSecondArrowType(int type) override { m_secondArrowType = type; }

protected:
    int m_firstArrowType = 0;
    int m_secondArrowType = 0;
    float m_defStartWidth = 0.0f;
    float m_defEndWidth = 0.0f;
    DWORD m_flags = 0;
    int m_dragRedrawCount = 0;
    DWORD m_dxfHandle = 0;
    std::vector<CVertexRecord> m_vertices;
};
