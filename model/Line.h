#pragma once
#include "model/Group.h"

// The straight line between the first two points, with an optional arrow head at each end.
// Everything that needs the geometry does nothing while the line has fewer than two points.
class CLine : public CGroup
{
public:
    CLine(CShapeHost* control, int id);
    // A copy under a new ID: the group copy, then both arrow types.
    CLine(int id, const CLine& source);

    // The distance between the two points; 0.0 with fewer than two.
    double GetLength() const;

    // Three handles: the two points and the midpoint.
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int GetFirstArrowType() override { return m_firstArrowType; }
    void SetFirstArrowType(int type) override { m_firstArrowType = type; }
    int GetSecondArrowType() override { return m_secondArrowType; }
    void SetSecondArrowType(int type) override { m_secondArrowType = type; }
    int GetNearestPoint(const CRealPoint& point, CRealPoint* nearest) override;
    // The midpoint handle stands for the whole line (-1: a move).
    int AlignPointTo(float x, float y, int* index, CRealPoint* point) override;
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;

    int Draw(CDrawContext& context) override;
    // x and y are device pixels.
    BOOL HitTest(float x, float y) override;

    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditDrag(float x, float y) override;
    int EndEdit(bool commit) override;

    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;

private:
    int m_firstArrowType = 0;
    int m_secondArrowType = 0;
};
