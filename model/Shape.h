#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "automation/ResultCodes.h"
#include "model/RealPoint.h"
#include "model/RealRect.h"
#include "model/ShapeAttributeMap.h"
#include "model/ShapeAttributes.h"
#include "model/ShapePointList.h"

class CShapeHost;
class CGroup;
class CLayer;
class CHatchPattern;
class CLinkToken;
class CPointRecord;
class CDxfFile;
class CDataTableSet;
class COdbcSession;
struct SqlStatement;
class SqlValue;
class OdbcParam;
class CViewMapping;
struct CDrawContext;

// One arrow head at a line end, in the logical units of the draw context (BuildArrowHead).
struct CArrowHead
{
    // ArrowTypeIDs: low byte the form (1 open V, 2 closed V, 3 circle, 4 rhomb, 5 cross,
    // 6 slash), 0x100 pointing away from the line, 0x200 filled.
    int type = 0;
    // The line's end point (world). For closed V, circle and rhomb heads that point at the line
    // it is replaced by the base, so that the line stops where the head begins; the caller puts
    // it back after drawing.
    CRealPoint* endPoint = nullptr;
    const CRealPoint* previous = nullptr;
    double scale = 0.0;
    double width = 0.0;   // pen width in drawing units
    double length = 0.0;  // head length in device units
    CRealPointD end;      // device
    CRealPointD base;     // device
    CRealPointD centre;   // device
    POINT points[8] = {};
    int count = 0;
    CRealPoint baseWorld;
    bool baseMoved = false;
    // The view the head is built in; null: the control's current view.
    const CViewMapping* view = nullptr;
};

// Counters of the drawing statistics (CountStats).
struct CShapeStats
{
    long attributeGroups = 0;
    long attributes = 0;
    long points = 0;
    long linkedPoints = 0;
    long shapes = 0;
    // Polyline vertices that carry data of their own.
    long vertices = 0;
    long layers = 0;
};

// Passes a moved point on to the shapes that use it (its owners), except those in `visited` (or
// a set of its own) and the owner that moved it: each is told through OnPointsChanged and joins
// the set. False when one of them refuses the move.
bool PropagatePointMove(CShapeHost* control, std::set<int>* visited, int ownerId, CPointRecord* point);

// The base of every shape of the drawing. A shape holds its identity, parent, layer and style,
// its state and protection flags, the points it draws (records of the control's point pool, shared
// by ID and counted) and the points of other shapes it follows (linked points), and its attribute
// containers. The control core, the automation layer, persistence and interchange drive every kind
// through the virtual operations below.
class CShape
{
public:
    // Bits of the state word.
    enum StateBits : DWORD
    {
        stVisible = 0x1,
        stEnabled = 0x2,
        stSelected = 0x4,
        stHiddenWhenStored = 0x8,
        stPersistent = 0x10,
        stNoExtents = 0x20,
        stNotSelectable = 0x40,
        stNotHitTestable = 0x80,
        stScalePenWeight = 0x200,
        stExtentCached = 0x800,
    };
    // The state word of a new shape: visible, enabled, stored, pen weight scaled with the view.
    static const DWORD kDefaultState = stVisible | stEnabled | stPersistent | stScalePenWeight; // 0x213
    // Bits of the masks of CopyPropertiesFrom and CopyStyleFrom that name the geometry of the
    // kinds that have it: the angle and the two scales (an ellipse's axes).
    enum PropertyBits : DWORD
    {
        speAngle = 0x2,
        speXScale = 0x4,
        speYScale = 0x8,
    };
    // Z order "not set": the smallest normal float.
    static const float kUnsetZOrder;
    // The stored pen weight of a shape carries its scaling in the sign (negative: not scaled).
    // A weight of 0 that does not scale is stored as this tiny negative number, since a stored
    // -0 reads back as 0 (SQLite keeps no sign of zero); a stored magnitude below
    // kStoredWeightZero reads as 0.
    static constexpr double kUnscaledZeroWeight = -1e-30;
    static constexpr double kStoredWeightZero = 1e-20;
    // The protection bits of ShapeDBFlags as the automation's ProtectionFlags shows them.
    static const DWORD kProtectionMask = 0xFE0;
    // Appending index for InsertPoint / AddPointById.
    static const int kAppend = -1;

    CShape(int id, CShapeHost* control);
    // A copy under a new ID: style, state (unselected) and protection of the source; its own
    // points re-created as new pool points at the same places; no database ID; no linked points.
    CShape(int id, const CShape& source);
    CShape(const CShape&) = delete;
    CShape& operator=(const CShape&) = delete;

    // --- Identity and fields -------------------------------------------------------------
    int GetId() const { return m_id; }
    // The control the shape belongs to, as the model sees it (null for a shape of none).
    CShapeHost* GetControl() const { return m_control; }
    CGroup* GetParent() const { return m_parent; }
    void SetParent(CGroup* parent) { m_parent = parent; }
    CLayer* GetLayer() const { return m_layer; }
    int GetShapeType() const { return m_shapeType; }
    void SetShapeType(int type) { m_shapeType = type; }
    int GetDatabaseId() const { return m_databaseId; }
    void SetDatabaseId(int id) { m_databaseId = id; }
    DWORD GetState() const { return m_state; }
    bool HasState(DWORD bits) const { return (m_state & bits) == bits; }
    // A change of a bit other than the selection and the extent cache may change what the
    // shape's group shows or its extent: the change generation rises (see NoteGeometryChange).
    void SetStateBits(DWORD bits, bool on)
    {
        const DWORD state = on ? (m_state | bits) : (m_state & ~bits);
        if ((state ^ m_state) & ~static_cast<DWORD>(stSelected | stExtentCached))
            NoteGeometryChange();
        m_state = state;
    }
    // The change generation of the shapes: raised by every change that may move a shape's
    // extent, what a group lists or shows (points, state, pen weights, child lists), so that what
    // was derived from them (a group's grid of its children's extents) is known to be stale.
    // A shape's own change raises it unless the shape lies outside every drawing (the zoom-window
    // and rubber-band rectangle, the highlights), which a gesture changes at each step.
    void NoteGeometryChange() const;
    static void NoteAnyGeometryChange();
    static unsigned GeometryGeneration();
    // The hit tolerance around a shape's extent, device pixels.
    static constexpr double kHitTolerancePixels = 3.0;
    DWORD GetProtectionFlags() const { return m_protectionFlags; }
    DWORD GetPenColor() const { return m_penColor; }
    DWORD GetHatchColor() const { return m_hatchColor; }
    float GetLinePatternScale() const { return m_linePatternScale; }
    void SetLinePatternScale(float s) { m_linePatternScale = s; }
    float GetHatchPatternScale() const { return m_hatchPatternScale; }
    void SetHatchPatternScale(float s) { m_hatchPatternScale = s; }
    // The shape's own pattern in the site's hatch pattern map, or null.
    CHatchPattern* GetHatchPattern() const;
    long GetTag() const { return m_tag; }
    void SetTag(long tag) { m_tag = tag; }
    DWORD GetReferenceLocks() const { return m_referenceLocks; }
    void SetReferenceLocks(DWORD locks);
    const CRealRect& GetCachedExtent() const { return m_extent; }

    const CShapePointList& GetPoints() const { return m_points; }
    const CShapePointList& GetLinkedPoints() const { return m_linkedPoints; }
    int GetPointCount() const { return m_points.GetCount(); }
    const std::vector<std::unique_ptr<CLinkToken>>& GetLinkTokens() const { return m_linkTokens; }
    // The shape's attribute values and groups, made when first asked for: most shapes have
    // none. The Find forms answer null while the shape has never had them, and make nothing.
    CShapeAttributeMap& GetAttributes();
    CShapeAttributes& GetAttributeGroups();
    CShapeAttributeMap* FindAttributes() const { return m_attributes.get(); }
    CShapeAttributes* FindAttributeGroups() const { return m_attributeGroups.get(); }

    // --- Non-virtual operations ------------------------------------------------------------
    void DetachFromParent();
    // Follows a point of another shape: 1 when already linked, 0 when the pool has no such point.
    int LinkPoint(int pointId);
    // 1 when the point is not linked, else 0 after unlinking it.
    int UnlinkPoint(int pointId);
    // A point that changed its ID: both point lists name its new record; the entries re-pointed.
    int ReplacePointRecord(const CPointRecord* from, CPointRecord* to);
    bool IsEnabled() const;
    // 0 when this is not the edit target, 1 when it is, 2 when the edited group contains it.
    int IsEditTarget() const;
    // Whether the control drags picked points of several selected shapes at once (a point edit
    // of the selection) and one of them is this shape's: its own drag moves that point.
    bool IsPickedInEditedSelection() const;
    void DumpDebugText(std::string& buffer) const;
    HRESULT MarkPoint() { return S_OK; }

    // --- Database rows ---------------------------------------------------------------------
    // The ID rule of new rows: "select max(column)+1 from table", never below 1 (an empty table
    // answers NULL: the first ID is 1). Column and table are our own names, never user text.
    // E_FAIL when the query fails (its error info stays set).
    static HRESULT NextIdFromDatabase(COdbcSession& session, const char* column, const char* table, int* id);
    // The own points (linked false) or the linked points into points and their link rows.
    HRESULT SavePointRows(COdbcSession& session, int siteId, DWORD flags, bool linked);

    // --- DXF -------------------------------------------------------------------------------
    // One common entity group or extended-data block of the current group of `dxf`: 1 when
    // handled or accepted, 0 when the code is not a common one (or an extended-data block ended
    // where it must not).
    int ReadDxfGroup(CDxfFile& dxf);

    // --- Record tables ---------------------------------------------------------------------
    // Marker of a stored relative that does not exist or cannot be stored.
    static constexpr int kNoStoredRelative = kStoredNoRelative;
    // The key of the shape's Shapes record in the set: its ID when identifiers are kept (the
    // set's own stored group: 0, already stored), else the key the set gave it (0: not stored).
    int GetStoredKey(CDataTableSet* tables, DWORD mode, bool* alreadyStored, int* databaseId);
    // The key of the parent's (layer false) or the layer's record, storing it first where the
    // mode asks; kNoStoredRelative when there is none or it cannot be stored.
    int GetRelativeKey(CDataTableSet* tables, DWORD mode, bool layer);
    // While loading: puts the shape into the group (or onto the layer) the stored key names.
    // 0 attached, 1 deliberately left alone, E_FAIL when no usable target exists.
    HRESULT AttachToStoredRelative(CDataTableSet* tables, int storedKey, DWORD mode, bool layer);

    // Protection checks shared by the edits.
    bool HasProtectionFlag(DWORD flag) const;
    void PutProtectionFlag(DWORD flag, bool on);
    // The move locks for a point at index (a new point behind the last when the mask has 0x4):
    // 1 refuses; 0 goes ahead with the axes left in *axisMask (0x1 x, 0x2 y).
    int MovePointProtected(int index, float x, float y, DWORD* axisMask);
    // 1 refuses the scaling; 0 goes ahead with the factors as adjusted.
    int ApplyScaleProtection(float* kx, float* ky) const;
    // 1 when nothing may move; 0 with the offsets the move locks leave.
    int ApplyMoveProtection(float* dx, float* dy) const;
    bool IsRotationProtected() const;
    bool IsRotationRefused(double angle) const;
    double PenWidthToDevice(double width) const;
    // The hatch pattern ID with "by layer" and "by block" resolved through the layer and the
    // enclosing block reference or block group. Without a layer, and for a layer whose own pattern
    // is by layer or by block, the answer is 0 (none): a shape that nothing gives a pattern is not
    // filled. With `scale`, a scale of exactly 0 is replaced by the hatch scale of the shape whose
    // pattern was taken (the shape's own, the reference's or group's, the layer's).
    int GetTranslatedHatchPatternId(float* scale = nullptr);
    CShape* FindPrototype() const;

    // --- Drawing frame -----------------------------------------------------------------------
    // Draws the shape with its hatch fill and attachments after the pre-draw test; in the clip
    // pass its outline joins the clip region instead. 0 when skipped or when Draw fails.
    int DrawInContext(CDrawContext& context);
    // Fills the outline with the effective hatch pattern (nothing in the clip, marks and outline
    // passes). 0 when the shape has no extent.
    int DrawHatch(CDrawContext& context);
    // The marks of a selected shape whose parent is not selected, in the marks passes.
    int DrawMarksIfSelected(CDrawContext& context);
    // HitTest at a world position.
    BOOL HitTestAt(float x, float y);
    // Whether the device position lies on the widened outline Draw records, or inside the filled
    // outline (shapes with a hatch fill only).
    BOOL HitTestWidenedPath(float x, float y);
    BOOL HitTestFilledPath(float x, float y);
    // The width, in device pixels, of the pen HitTestWidenedPath widens the outline with: the
    // shape's pen and the tolerance on both sides.
    double HitStrokeWidthPixels();
    // A world width and height in device pixels.
    void WorldToDeviceSize(SIZE* out, float width, float height) const;
    // Selects the pen the shape draws with (the context's ready pen when it has one); the
    // previous pen and the colour used go out. 1 when a pen was selected.
    int SelectDrawPen(CDrawContext& context, HPEN* previous, COLORREF* colour);
    // The pen selection behind SelectDrawPen. A ready pen (-1 counts as none) is selected as it
    // is. A selected shape with the selection flag draws dotted in 0xFF0000; the plain flag draws
    // continuous black; otherwise the pen cache's pen of the resolved line type, colour and
    // width (0: the shape's device pen width).
    // The line pattern scales with the view (null: the control's current view).
    static int CreateDrawPen(CShapeHost* control, HDC dc, HPEN readyPen, int width, bool selectionPen, bool plain,
                             HPEN* previous, int* linePattern, COLORREF* colour, CShape* shape,
                             const CViewMapping* view = nullptr, bool keepPen = false);
    // A mark colour that stands out against the shape's pen and fill.
    COLORREF ChooseMarkColour(COLORREF colour);

    // --- Style resolution ----------------------------------------------------------------------
    // "By layer" and "by block" resolved through the layer and the enclosing block reference or
    // block group.
    static int TranslateLinePatternId(int value, CShape* shape);
    static COLORREF TranslatePenColor(DWORD colour, CShape* shape);
    static COLORREF TranslateHatchColor(DWORD colour, CShape* shape);

    // --- Arrow heads -------------------------------------------------------------------------
    // The arrow scale of the current drawing setting, which both drawing and hit testing use.
    double GetArrowScale() const;
    // Fills the description; the number of head points (0 for the circle), -1 without an end
    // point or with a scale of 0.
    int BuildArrowHead(CArrowHead& arrow);
    // Draws one head at *endPoint (replaced by the base where the line is to stop there). A scale
    // below 0 takes GetArrowScale. 1 when drawn.
    int DrawArrowHead(CDrawContext& context, int arrowType, CRealPoint* endPoint, const CRealPoint* previous,
                      double scale = -1.0, CArrowHead* out = nullptr);
    // Whether the device position hits the head drawn with the same arguments.
    BOOL HitTestArrowHead(float x, float y, int arrowType, const CRealPoint& endPoint, const CRealPoint* previous,
                          double scale = -1.0);

    // --- Small services ----------------------------------------------------------------------
    // Up through the parents while they select as a unit.
    CShape* FindTopmostNonBlock();
    bool SharesLayerWithParent() const;
    // Removes from the list every point whose ID is in the set and releases it for this shape.
    void ReleasePointsInSet(CShapePointList& list, const std::set<int>& ids);
    // A new shape ID: the point lists, the linked-point index and the attributes follow.
    void SetId(int id);
    // The shape map's entry for this shape's ID when it is this shape.
    CShape* FindInShapeMap() const;
    bool IsCustomChildOfReference() const;
    bool IsSelectable();
    bool IsReferenceChild();

    // --- Virtual operations --------------------------------------------------------------
    virtual void SetNoExtents(bool on);
    virtual void RemoveAllPoints();
    // The n-th point of the shape; the base has none (0).
    virtual int GetNthPoint(int n, CRealPoint* point, int mode, int* count);
    // Sets x (mask 0x1) and/or y (0x2) of the point at index (negative: behind the last), making
    // new points up to that index. 1 when done, 0 when refused or the index is out of range.
    virtual int SetPointCoords(DWORD mask, float x, float y, int index);
    virtual ~CShape();
    // Handle points into the array (capacity entries); the count of handles. The base has none.
    virtual int GetHandlePoints(CRealPoint* points, int capacity);
    virtual HRESULT InsertPoint(CPointRecord* record, int index, bool force);
    virtual HRESULT AddPointById(int pointId, int index, bool force);
    virtual int OnEditMouseDown(float x, float y, std::map<int, int>* selection);
    virtual int OnEditMouseUp(float x, float y);
    virtual int OnEditDrag(float x, float y);
    virtual void SetLayer(CLayer* layer);
    virtual void OffsetPoints(float dx, float dy);

    // DXF: the common entity groups, the extended data, and the kind's own extended data.
    virtual HRESULT ReadDxf(CDxfFile& dxf);
    virtual HRESULT WriteDxf(CDxfFile& dxf);
    virtual HRESULT WriteXData(CDxfFile& dxf);
    virtual HRESULT WriteXDataLinkedPoints(CDxfFile& dxf);
    virtual HRESULT WriteXDataSelfPoints(CDxfFile& dxf);
    virtual HRESULT WriteXDataShapeHatch(CDxfFile& dxf);
    virtual HRESULT WriteXDataParentId(CDxfFile& dxf);
    virtual HRESULT WriteXDataArrows(CDxfFile& dxf);
    virtual int ReadXDataOwn(CDxfFile& dxf);
    virtual int WriteXDataOwn(CDxfFile& dxf);

    virtual int Draw(CDrawContext& context);
    virtual int DrawAttachments(CDrawContext& context);
    virtual int DrawOverlay(CDrawContext& context);
    // Hit test at a device position.
    virtual BOOL HitTest(float x, float y);
    virtual BOOL HasHatchFill();

    // Transforms. `visited` (optional) holds the IDs of points already moved by the same
    // operation: they are skipped, and every point moved here is added.
    virtual int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force);
    virtual int FlipVertical(std::set<int>* visited, const float* axisY);
    virtual int FlipHorizontal(std::set<int>* visited, const float* axisX);
    virtual HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force);
    virtual HRESULT Shift(float dx, float dy, std::set<int>* visited, bool force);
    // The modes of GetAlignedPosition.
    enum BasePointMode {
        kBaseAtPoint = 0,
        kBaseUndoShift = 1,
        kBaseAtLeftTop = 2,
        kBaseAtLeftBottom = 3,
        kBaseAtRightTop = 4,
        kBaseAtRightBottom = 5,
        kBaseAtCentre = 6,
        kBaseAtPickPoint = 0x101,
        kBaseAtDefaultCorner = 0x102,
    };
    // Moves the base point of a group or block (the origin of its contents) by moving the
    // contents the other way, by (-*x, -*y): to the point (*x, *y) (kBaseAtPoint,
    // kBaseAtPickPoint), back by an earlier move given negated (kBaseUndoShift), or to a corner
    // or the centre of the bounds, written to (*x, *y) (the default corner is the left-top one).
    // E_INVALIDARG for another mode; nothing moves when the bounds fail, or with E_ACCESSDENIED
    // when the shape's own position is locked (an undo goes through).
    HRESULT GetAlignedPosition(float* x, float* y, int mode);

    virtual int CollectLinkedPointIds(std::set<int>& ids);
    virtual void AddPointsToList(CShapePointList& list);
    virtual void GetCoClassId(CLSID* clsid);
    virtual bool IsExtentCached();
    virtual void SetExtentCached(bool on);
    virtual HRESULT GetBoundingRect(float* left, float* top, float* right, float* bottom);
    // The world bounding rectangle of the own points, skipping the IDs in skip (optional).
    // E_FAIL when no point was taken.
    virtual HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom,
                                      const std::set<int>* skip, DWORD flags);
    virtual int CopyPointsFrom(const CShape& source);
    virtual int CopyPointCoordsFrom(const CShape& source);
    virtual int CopyLinkedPointCoordsFrom(const CShape& source);
    virtual int CopyPropertiesFrom(CShape& source, DWORD mask);
    virtual int CopyStyleFrom(CShape& source, DWORD mask);
    virtual int CopyMaskedPropertiesFrom(CShape* source, DWORD mask);
    // Starts an edit of the given EditShapeTypes mode: the picked point index, or in move mode the
    // point where the drag starts.
    virtual int StartEdit(int mode, int pickedIndex, const CRealPoint* start);
    virtual int EndEdit(bool commit);
    // 1 when removed, 0 when the shape has no such point.
    virtual int RemovePointById(int pointId, bool recordUndo, int flags);
    // Whether the edit still takes input; closedTest asks whether it could close an outline.
    virtual bool IsEditActive(bool closedTest);
    virtual HRESULT BringToFront();
    virtual HRESULT SendToBack();
    virtual bool IsGroup();
    virtual int GetClassShapeType();
    // The handle of a selected shape under a world position: 1 with *index (and *point).
    virtual int AlignPointTo(float x, float y, int* index, CRealPoint* point);
    virtual void SetPenColor(DWORD colour);
    virtual void SetHatchColor(DWORD colour);
    virtual void SetHitTestable(bool on);
    virtual void SetSelectable(bool on);
    virtual bool IsVisible();
    virtual void SetVisible(bool on);
    virtual int SetVisibleRecorded(bool on);
    virtual void SetSelected(bool on);
    virtual int GetLinePatternId();
    virtual void SetLinePatternId(int id);
    virtual int GetHatchPatternId();
    virtual void SetHatchPatternId(int id);
    virtual float GetPenWeight();
    virtual void SetPenWeight(float weight);
    virtual float GetLineWidth();
    virtual float GetZOrder();
    virtual void SetZOrder(float z, bool resort);
    virtual void MovePointSnapped(CRealPoint& point, int index, bool ortho);
    virtual int GetFirstArrowType();
    virtual void SetFirstArrowType(int type);
    virtual int GetSecondArrowType();
    virtual void SetSecondArrowType(int type);
    virtual int DrawMarks(CDrawContext& context);
    virtual bool IsBlockContext();
    // The shape's rows in the database.
    virtual HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags);
    virtual HRESULT AlignPoint(int pointId, int pointShapeId, int alignment);
    virtual int DrawLinkMarks(HDC dc);
    virtual int GetNearestPoint(const CRealPoint& point, CRealPoint* nearest);
    virtual HRESULT GetSourceSiteId(int* siteId);
    virtual HRESULT SetSourceSiteId(int siteId);
    virtual HRESULT SetLayerShapeId(int layerId);
    virtual double GetArea();
    virtual int OnPointsChanged(CPointRecord* point, float x, float y);
    virtual void Clear(bool deleteChildren);
    virtual double GetDevicePenWidth();
    // The shape's records in a record-table set.
    virtual HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags);
    virtual HRESULT LoadPointsFromTables(CDataTableSet* tables, DWORD mode, DWORD flags);
    // The pool point of a stored Points key, loaded from the set when the pool lacks it (null
    // when mustExist and the set has no such record, or when it cannot be loaded).
    virtual CPointRecord* SavePointToTables(CDataTableSet* tables, DWORD mode, int storedKey, bool mustExist);
    virtual HRESULT SaveAttributesToTables(CDataTableSet* tables, DWORD mode, DWORD flags);
    virtual bool IsAttributeOrLabel();
    // The TextTypes value of a text (which the text kind answers); 0 for every other kind.
    virtual int GetTextType();
    virtual int CountStats(CShapeStats& stats);
    virtual int OnShapePointStored(CPointRecord* record, int shapePointId);
    virtual void ResetToByLayer();
    virtual int HasPointAt(float x, float y);
    virtual int ClearDatabaseId();
    virtual int SetProtectionFlagsMasked(DWORD value, DWORD mask);
    virtual DWORD GetProtectionFlagsMasked(DWORD mask);
    virtual bool IsOperationLocked(int operation);
    // The direction of the first two points, radians.
    virtual double GetAngle();
    // Turns the shape about its bounding rectangle's centre to the angle (radians).
    virtual int SetAngle(double angle);
    virtual void NotifyChange(int editKind);
    virtual bool ContainsShapeId(int id, bool recursive);
    // Appends every ID for which ContainsShapeId(id, recursive) answers true (an ID may come
    // more than once): the same walk, for a caller that asks about many IDs.
    virtual void CollectContainedIds(bool recursive, std::vector<int>& ids);
    virtual bool ContainsShape(CShape* shape);
    // Moves an own point to another index of the list (the kinds move what belongs to it along);
    // 1 when moved, 0 when the shape has no such point.
    virtual int MovePointWithin(int pointId, int index);

protected:
    // The view a draw maps through: the draw context's, else the control's current view.
    const CViewMapping& ViewOf(const CDrawContext& context) const;
    // The pre-draw test: false when the shape is skipped or was drawn as a simplified figure.
    bool PreDrawTest(CDrawContext& context);
    // Records Draw as a path on a screen context in the hit-test modes.
    bool RecordHitPath(HDC dc);

    // Runs a change over the own points and then the linked points: points in `visited` are
    // skipped, every changed point is passed on to the other shapes that use it (restored when
    // one of them refuses) and added to `visited`.
    using PointChange = void (*)(CPointRecord& point, const void* arg);
    void TransformPoints(std::set<int>* visited, int operation, PointChange change, const void* arg);
    void TransformList(const CShapePointList& list, std::set<int>* visited, int operation, PointChange change,
                       const void* arg);
    void ReleaseAllLinkedPoints();
    // The axis of a flip: the one given, else the middle of the bounding rectangle (of its top
    // and bottom for a vertical flip, of its left and right for a horizontal one); false when the
    // shape has no extent.
    bool FlipAxis(const float* given, bool vertical, float* axis);
    // Grid snapping of a drag: with the point the drag moves, `point` is corrected so that this
    // point lands on the grid (on the locked axis nothing changes while dragging orthogonally);
    // without one, `point` itself is snapped.
    void SnapDraggedPoint(CRealPoint& point, const CPointRecord* dragged, bool ortho);
    // The common entity groups of WriteDxf: the handle (the shape ID), then the layer, line type,
    // colour, line type scale and pen weight. Entities of subclassed form put their AcDbEntity
    // marker between the two.
    void WriteDxfHandle(CDxfFile& dxf);
    void WriteDxfCommonGroups(CDxfFile& dxf);
    // The extended-data block a group 1000 opens (the keyword index of the file's group).
    int ReadXDataBlock(CDxfFile& dxf);
    // The groups of the entity being read up to the next group 0 (pushed back): each goes to the
    // common handler, then to `take` when given. 1 at the group 0, 0 when the data ended first.
    // A template so that the kinds' handlers are inlined: this runs once for every group.
    template <class Take>
    int ReadEntityGroups(CDxfFile& dxf, Take&& take)
    {
        int code = 0, ended = 0;
        while (ReadEntityGroup(dxf, &code, &ended))
            take(code);
        return ended;
    }
    int ReadEntityGroups(CDxfFile& dxf);
    // One group of the entity through the common handler, its code in `code`; false at the end of
    // the entity, with `ended` as ReadEntityGroups answers.
    bool ReadEntityGroup(CDxfFile& dxf, int* code, int* ended);
    // The row of the kind beside the Shapes row: a shape stored before updates it, and inserts it
    // when the update touched no row (the shape had nothing to store then) and it now has
    // something to store (`wanted`); a new shape inserts it only when wanted. Statements with
    // marks get their bound parameters.
    static HRESULT SaveKindRow(COdbcSession& session, bool storedBefore, bool wanted, const SqlStatement& update,
                               const std::vector<SqlValue>& updateValues, const SqlStatement& insert,
                               const std::vector<SqlValue>& insertValues,
                               const std::vector<OdbcParam>* updateParams = nullptr,
                               const std::vector<OdbcParam>* insertParams = nullptr);
    // The site a shape's records name as their source.
    int SourceSiteForTables();

    int m_id;
    CGroup* m_parent = nullptr;
    float m_penWeight = 0.0f;
    float m_linePatternScale = 1.0f;
    long m_tag = 0;
    float m_hatchPatternScale = 1.0f;
    CHatchPattern* m_hatchPattern = nullptr;
    float m_zOrder;
    int m_linePatternId = 0x4000;
    int m_hatchPatternId = 0x4000;
    int m_databaseId = 0;
    int m_shapeType = 0;
    CShapePointList m_points;
    CShapePointList m_linkedPoints;
    std::vector<std::unique_ptr<CLinkToken>> m_linkTokens;
    DWORD m_state = kDefaultState;
    DWORD m_protectionFlags = 0;
    DWORD m_penColor = 0x20000000;
    DWORD m_hatchColor = 0x20000000;
    CShapeHost* m_control;
    CLayer* m_layer = nullptr;
    std::unique_ptr<CShapeAttributeMap> m_attributes;
    std::unique_ptr<CShapeAttributes> m_attributeGroups;
    CRealRect m_extent;
    DWORD m_referenceLocks = 0;
};
