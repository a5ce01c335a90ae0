#pragma once
#include <set>
#include <string>
#include <vector>
#include "model/Group.h"
#include "model/VertexRecord.h"

struct CArrowHead;
class COutlineHit;
class CViewMapping;

// The shape behind open polylines, polygons (closed polylines) and rectangles. Besides its points
// it keeps one vertex record per point, in the same order (record i belongs to point i): the
// widths, the bulge of the segment that starts there, colour, line type, name and tag. A Bezier
// polyline stores its control points as ordinary points: anchor, control, control, anchor, ...
class CPolyline : public CGroup
{
public:
    // `type` is stPolyline or stRectangle; a rectangle is marked pfRectangle.
    CPolyline(CShapeHost* control, int id, int type);
    // A copy under a new ID: the group copy, the default widths, the flags, the arrow types and
    // the vertex data, re-pointed at the copy's own points and not stored yet.
    CPolyline(int id, const CPolyline& source);
    ~CPolyline() override;

    DWORD GetFlags() const { return m_flags; }
    void SetFlags(DWORD flags) { m_flags = flags; }
    float GetDefStartWidth() const { return m_defStartWidth; }
    float GetDefEndWidth() const { return m_defEndWidth; }
    void SetDefaultWidths(float start, float end);

    // --- Vertex records ------------------------------------------------------------------
    const std::vector<CVertexRecord>& GetVertices() const { return m_vertices; }
    // The record at an index; null outside the vector.
    CVertexRecord* GetVertexAt(int index);
    CVertexRecord* FindVertexOfPoint(int pointId);
    // The index of the record with the same vertex ID; -1 when none.
    int FindVertexIndex(const CVertexRecord& vertex) const;
    // The segment nearest to a world point and its nearest point on it; 1.
    int FindNearestSegment(const CRealPoint& point, CRealPoint* nearest, int* segment);
    // Erases every record of the point; 1 when one was erased.
    int RemoveVerticesOfPoint(int pointId);
    // Puts the record's point in at the index (negative: at the end) and a copy of the record
    // beside it, owned by this polyline. E_FAIL for a record without a point.
    HRESULT InsertVertexRecord(const CVertexRecord& record, int index);
    // A vertex for an existing pool point (AddVertex) or for a new one at (x, y) (AddNewVertex),
    // inserted before indexBefore (negative or past the end: at the end) with the given data.
    // The new record, or null when the point is unknown or cannot be made.
    CVertexRecord* AddVertex(int indexBefore, int pointId, float bulge, DWORD penColor, int linePatternId,
                             const char* name, float startWidth, float endWidth, int flags, int tag, int databaseId);
    CVertexRecord* AddNewVertex(int indexBefore, float x, float y, float bulge, DWORD penColor, int linePatternId,
                                const char* name, float startWidth, float endWidth, int flags, int tag,
                                int databaseId);
    // 1 when the point is one of the polyline's own (its position into *index when given).
    using CGroup::HasPoints;
    int HasPoints(int pointId, int* index = nullptr) const;

    // --- Form ----------------------------------------------------------------------------
    virtual bool IsClosed();
    virtual bool IsOrtho();
    virtual bool IsBezier();
    // Whether the point at the index meets its neighbours horizontally or vertically (1 for an
    // index outside the list).
    virtual int IsOrthoAt(int index);

    // --- Neighbours ----------------------------------------------------------------------
    // The point after (before) index, wrapping on a closed polyline as its outline does; null
    // when there is none. The index goes to *outIndex when given.
    CPointRecord* GetNextPoint(int index, int* outIndex = nullptr);
    CPointRecord* GetPreviousPoint(int index, int* outIndex = nullptr);
    void GetNeighbourIndices(int index, int* previous, int* next);
    // The point before or after an index for the Bezier walk: before index 0 of a closed
    // polyline the last point, unless that is an anchor; past the end none.
    CPointRecord* GetAdjacentPoint(int index, bool forward, int* outIndex);
    int GetSegmentCount();

    // --- Measures ------------------------------------------------------------------------
    // The outline's length, arcs of bulged segments included.
    double GetLength();
    double GetArea() override;
    // 1 for an outline running clockwise, 0 anticlockwise, -1 with fewer than 3 points.
    int IsClockwise();
    // The direction of the rectangle's first side (radians in [0, 2*pi)), the frame in which an
    // orthogonal polyline keeps its segments horizontal or vertical.
    double GetRectangleAngle(int skipIndex);
    // The rectangle of the arcs of bulged segments (points turned by -angle first; only points in
    // `visited` when given). 1 when any arc was found.
    int ComputeBulgeExtent(CRealRect* rect, const std::set<int>* visited, double angle);

    // --- Points and vertices -------------------------------------------------------------
    HRESULT InsertPoint(CPointRecord* record, int index, bool force) override;
    HRESULT AddPointById(int pointId, int index, bool force) override;
    // Flags non-zero: keep the shape as it is (no orthogonal re-alignment, flags unchanged).
    int RemovePointById(int pointId, bool recordUndo, int keepShape) override;
    // Removes an anchor of a Bezier polyline together with two control points.
    int RemoveBezierPoint(int pointId, bool recordUndo, int keepShape);
    void RemoveAllPoints() override;
    int MovePointWithin(int pointId, int index) override;
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int ClearDatabaseId() override;
    int OnShapePointStored(CPointRecord* record, int shapePointId) override;

    // --- Geometry (fillets, simplification, Bezier form, closing) ------------------------
    // Rounds the corner at vertexIndex (-1: every corner) with the radius; radius 0 takes
    // fillets out again. The number of corners changed; -1 for an index past the last vertex.
    int Fillet(double radius, int vertexIndex);
    // Douglas-Peucker reduction within the tolerance (0: a tolerance from the view). 1.
    int Simplify(double tolerance);
    int ToBezier();
    int ToStraight();
    // 0 when the polyline already is in that state, else 1.
    int SetClosed(bool closed, bool recordUndo);
    int NormalizeBezierPointCount(bool recordUndo);
    // Puts the control points of a Bezier anchor on the smooth tangent through it.
    int SmoothBezierKnot(int index, int arg);
    // Removes equal consecutive anchors; the number removed.
    int RemoveDuplicatePoints();
    // Re-aligns an orthogonal polyline around a position after a point was taken out there.
    int RealignOrthoAt(int index, bool recordUndo);
    bool CanDrawFirstArrow();
    bool CanDrawLastArrow();
    bool CanEditOrthoAt(int index);

    // --- Overrides of the shape base -----------------------------------------------------
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;
    float GetPenWeight() override { return m_defStartWidth; }
    void SetPenWeight(float weight) override;
    float GetLineWidth() override;
    int GetFirstArrowType() override { return m_firstArrowType; }
    void SetFirstArrowType(int type) override { m_firstArrowType = type; }
    int GetSecondArrowType() override { return m_secondArrowType; }
    void SetSecondArrowType(int type) override { m_secondArrowType = type; }
    BOOL HasHatchFill() override;
    bool IsEditActive(bool closedTest) override;
    int CountStats(CShapeStats& stats) override;
    int SetProtectionFlagsMasked(DWORD value, DWORD mask) override;
    DWORD GetProtectionFlagsMasked(DWORD mask) override;

    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                              DWORD flags) override;
    int CopyPointCoordsFrom(const CShape& source) override;
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;
    int CopyStyleFrom(CShape& source, DWORD mask) override;
    int OnPointsChanged(CPointRecord* point, float x, float y) override;

    // Drawing and hit testing (device positions).
    int Draw(CDrawContext& context) override;
    BOOL HitTest(float x, float y) override;
    // 1 and the segment number (1-based; 0 for the last vertex and the closing segment) when a
    // vertex handle or a segment is hit.
    int HitSegmentTest(float x, float y, int* segment);
    // The outline Draw records into a hit test's path, in device pixels: false where the geometry
    // cannot follow it (see the definition).
    bool BuildHitOutline(COutlineHit& outline);
    int DrawMarks(CDrawContext& context) override;

    // Storage.
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int ReadXDataOwn(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    virtual HRESULT SaveVerticesToTables(CDataTableSet* tables, DWORD mode, DWORD flags);

    // Interactive editing.
    int StartEdit(int mode, int pickedIndex, const CRealPoint* start) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditMouseUp(float x, float y) override;
    int OnEditDrag(float x, float y) override;
    int EndEdit(bool commit) override;
    void MovePointSnapped(CRealPoint& point, int index, bool ortho) override;

protected:
    // The undo records of point and shape changes (YVEXOperation kinds, and the two that a shared
    // point and a fillet's new point are recorded under).
    static constexpr int kUndoPointChanged = 1;
    static constexpr int kUndoPointAdded = 4;
    static constexpr int kUndoPointRemoved = 5;
    static constexpr int kUndoShapeChanged = 6;
    static constexpr int kUndoSharedPoint = 7;
    static constexpr int kUndoFilletPoint = 8;
    // A vertex made by the geometry takes colour and line type from the polyline.
    static constexpr DWORD kByBlockColour = 0x40000000;
    static constexpr int kByBlockLineType = 0x8000;

    // One neighbour of a moved point on an orthogonal outline: the neighbour, whether the segment
    // to it runs horizontally in the rectangle's frame, the point beyond it, and the frame angle.
    struct OrthoNeighbour
    {
        CPointRecord* neighbour = nullptr;
        bool horizontal = false;
        CPointRecord* beyond = nullptr;
        double angle = 0.0;
    };
    // The kind of the segment a-b in the frame turned by angle: 1 horizontal, 2 vertical.
    static int GetOrthoSegmentKind(const CRealPoint& a, const CRealPoint& b, double angle);
    // The neighbour of the point at index (backwards: the previous one) with its segment kind.
    bool GetOrthoNeighbour(int index, bool backwards, double angle, OrthoNeighbour* out);
    // Moves the neighbour so that both its segments stay orthogonal to the moved point M.
    bool MoveOrthoNeighbour(const CRealPoint& moved, std::set<int>* visited, const OrthoNeighbour& info);
    // Moves a point through the pool's users: the other shapes that use it follow; when one
    // refuses, the point goes back and the result is false.
    bool MovePoint(CPointRecord* point, float x, float y, std::set<int>* visited);
    // Records a point for undo as changed, added or removed when the recorder takes it.
    void RecordPointForUndo(int kind, CPointRecord* point);
    void RecordShapeForUndo(int kind);
    // Takes the point at an index out with its vertex records and its use of the pool.
    void ErasePointAt(int index);
    // Puts a copy of a record in at an index of the vector (past the end: at the end), owned by
    // this polyline.
    void PlaceVertex(const CVertexRecord& vertex, int index);
    // Every arc turns the other way (a mirror).
    void MirrorArcs();
    // A vector turned by an angle (radians).
    static CRealPointD TurnVector(double x, double y, double angle);
    // The edited point index the control keeps for this shape (-1: none).
    int GetPickedIndex() const;
    void SetPickedIndex(int index);
    bool IsEditedByControl() const;

    // Drawing helpers.
    void DrawSegment(CDrawContext& context, const CVertexRecord& a, const CVertexRecord& b, const CVertexRecord* next,
                     bool approximate);
    void DrawBezierSegment(CDrawContext& context, int index);
    // The device tolerance of a segment that starts at the vertex, for the hit tests.
    int SegmentTolerance(const CVertexRecord& vertex, int base);
    int BaseTolerance();
    bool HitSegment(int index, float x, float y, int tolerance);
    float WidthToDevice(float width, bool shapePen, const CViewMapping& view);
    void EffectiveWidths(const CVertexRecord& vertex, float* start, float* end) const;
    bool OverridesPen(const CVertexRecord& vertex);

    // DXF entity readers.
    HRESULT ReadLwPolyline(CDxfFile& dxf);
    HRESULT ReadPolylineEntity(CDxfFile& dxf);
    HRESULT ReadSolid(CDxfFile& dxf);

    // Editing helpers.
    bool PassesClosingTest(int index);
    int AddPoolPoint(float x, float y, int index, int* pointId);
    // The step of a drag that moves the picked point toward the cursor.
    int DragPickedPoint(int index, float x, float y);
    void AfterDragStep();

    int m_firstArrowType = 0;
    int m_secondArrowType = 0;
    float m_defStartWidth = 0.0f;
    float m_defEndWidth = 0.0f;
    DWORD m_flags = 0;
    int m_dragRedrawCount = 0;
    DWORD m_dxfHandle = 0;
    std::vector<CVertexRecord> m_vertices;
};
