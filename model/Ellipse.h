#pragma once
#include <cstdint>
#include "model/Group.h"

// The one shape class behind arcs (stArc), circles (stCircle) and ellipses (stEllipse). Its only
// point is the centre; the curve is the general ellipse of a major-axis vector (relative to the
// centre), a minor/major ratio, the sign of the plane normal (+1 counter-clockwise, -1
// clockwise) and a start and end angle in degrees. A circle is an ellipse of ratio 1 with a full
// sweep, an arc any partial sweep. Only the shape type tells the kinds apart.
//
// The angles are parameters of the ellipse's own frame: the point of angle t lies at
// (R cos(s t), R ratio sin(s t)) with R the major radius and s the extrusion sign, turned by the
// major axis's direction and moved by the centre (the form DXF's ELLIPSE parameters take too).
class CEllipse : public CGroup
{
public:
    // The most points the curve is drawn with; a full ellipse ends on its first point.
    static const int kMaxSamples = 37;
    static const int kHandleCount = 7;

    CEllipse(CShapeHost* control, int id, int type);
    // A copy under a new ID: the group copy, then the geometry.
    CEllipse(int id, const CEllipse& source);

    // --- Geometry ------------------------------------------------------------------------
    float GetMajorX() const { return m_majorX; }
    float GetMajorY() const { return m_majorY; }
    void SetMajorAxis(float x, float y);
    float GetMinorRatio() const { return m_minorRatio; }
    // Kept non-negative.
    void SetMinorRatio(float ratio);
    float GetExtrusionZ() const { return m_extrusionZ; }
    // Any value above 0 counts as counter-clockwise, 0 as 1.0, any below as -1.0.
    void SetExtrusionZ(float z);
    float GetStartAngle() const { return m_startAngle; }
    float GetEndAngle() const { return m_endAngle; }
    void SetAngles(float startDegrees, float endDegrees);
    double GetMajorRadius() const;
    // A new length along the axis's direction.
    void SetMajorRadius(double length);
    // The x and y of point `index`; "Index out of range" for one the shape lacks (0).
    int GetPointCoords(int index, float* x, float* y);
    // The point of parameter t (radians) in the ellipse's own frame.
    CRealPointD PointAtParameter(double t) const;
    // The world points the curve is drawn through (at most kMaxSamples), the last on the end
    // angle; 0 without a centre.
    int GetSamplePoints(CRealPointD* points) const;
    // Every stride-th of those points and the last: the curve drawn with fewer, straighter
    // steps (a stride of 1 gives them all).
    int GetSamplePoints(CRealPointD* points, int stride) const;
    // The major axis's direction in degrees.
    double GetAxisDegrees() const;
    // An ellipse read from DXF whose axes are equal takes the kind it draws: a circle when its
    // sweep is whole, else an arc. Neither the ELLIPSE entity nor the polygon of the old version
    // names the kind.
    void TakeCircularKind();

    // --- Overrides ---------------------------------------------------------------------------
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditDrag(float x, float y) override;
    void OffsetPoints(float dx, float dy) override;
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int ReadXDataOwn(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;
    int Draw(CDrawContext& context) override;
    // The stride of the sample points an arc is drawn through on the context (1: every one).
    int DrawingStride(HDC dc, const CViewMapping& view) const;
    // x and y are device pixels.
    BOOL HitTest(float x, float y) override;
    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                              DWORD flags) override;
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;
    int StartEdit(int mode, int pickedIndex, const CRealPoint* start) override;
    // The centre handle answers -1 (a move); a degenerate ellipse answers the point-alignment
    // mode that suits it (1 no axis, 2 flat) in its place.
    int AlignPointTo(float x, float y, int* index, CRealPoint* point) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    void GetCoClassId(CLSID* clsid) override;
    int GetClassShapeType() override;
    // The major axis's direction, radians (the unit of the shapes' angles).
    double GetAngle() override;
    int SetAngle(double angle) override;

private:
    // The geometry as DXF needs it: the major axis the longer one (ratio at most 1).
    struct DxfForm
    {
        float majorX, majorY, ratio, start, end;
    };
    DxfForm GetDxfForm() const;
    // Turns a ratio above 1 into the same curve with the longer axis as the major one.
    void SwapAxesIfLonger();
    void SetDefaultGeometry();
    // Mirrors across a horizontal (vertical true) or vertical axis: the given one, else the middle
    // of the bounds, else the centre's.
    int Flip(std::set<int>* visited, const float* axis, bool vertical);
    const CPointRecord* Centre() const;
    // The sweep drawn: start and end in radians, end above start (a full turn when equal).
    void Sweep(double* start, double* end) const;
    // The groups of the ARC and CIRCLE entities: centre (given back), radius and (ARC) angles in
    // degrees.
    HRESULT ReadCircularEntity(CDxfFile& dxf, bool arc, float* centreX, float* centreY);
    HRESULT WriteOldPolyline(CDxfFile& dxf);
    // The circle through the three clicks of an arc being created: the arc from the first to
    // the third click through the second. False (and the arc hidden) while they are collinear.
    bool SolveThreePointArc();
    void RebuildClicks();
    // Creation presses.
    int OnCreationMouseDown(float x, float y);

    float m_majorX = 0.0f;
    float m_majorY = 0.0f;
    float m_minorRatio = 1.0f;
    float m_extrusionZ = 1.0f;
    float m_startAngle = 0.0f;
    float m_endAngle = 360.0f;
    // 1: an axis handle rescales along the axis; 0: while a new ellipse is dragged out, the drag
    // sets the axis vector itself.
    int m_keepAxisDirection = 1;
    uint8_t m_handleCount = kHandleCount;
    // The side of the centre a running edit is on: -1 not decided yet, else 0 or 1. While an arc
    // is created by three clicks: 1 when the arc runs from the third click to the first.
    int m_arcSide = -1;
    CRealPoint m_clicks[3];
    CRealPoint m_lastMouse;
};
