#pragma once
#include "model/Group.h"

// The shape behind open polylines, polygons (closed polylines) and rectangles.
class CPolyline : public CGroup
{
public:
    // `type` is stPolyline or stRectangle; a rectangle is marked pfRectangle.
    CPolyline(CControlCore* control, int id, int type);
    // A copy under a new ID: the group copy, the default widths, the flags and the arrow types.
    CPolyline(int id, const CPolyline& source);

    DWORD GetFlags() const { return m_flags; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    float GetDefStartWidth() const { return m_defStartWidth; }
    float GetDefEndWidth() const { return m_defEndWidth; }

    virtual bool IsClosed();
    virtual bool IsOrtho();
    virtual bool IsBezier();

    // Overrides of the shape base.
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
};
