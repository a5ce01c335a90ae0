#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>
#include "model/Shape.h"
#include "model/ShapeGrid.h"

// A shape that owns an ordered list of child shapes, kept in ascending Z order (bottom first);
// the base of every shape that holds children. The fixed groups -1, -3, -4, -6 and -7 only
// append.
class CGroup : public CShape
{
public:
    // Passes selection, visibility, layer and style changes on to the children.
    static const DWORD stPropagateToChildren = 0x400;
    // Set while the group passes a visibility change on.
    static const DWORD stGroupFlag100 = 0x100;

    CGroup(int id, CShapeHost* control);
    // A copy under a new ID: the shape-base copy, then a clone of every child (by the shape map).
    CGroup(int id, const CGroup& source);
    ~CGroup() override;

    // Added group operations.
    // 1 when the child may be inserted (see the add rules); refusals store the control's last
    // error.
    virtual int CanAddChild(CShape* child, bool move);
    // Inserts by Z order (after the equals); 0 added, 1 not added.
    virtual int AddChild(CShape* child, int* outIndex, int adoptArg, bool move);
    // AddChild of a shape that the caller has just made and placed nowhere (a reader's new shape).
    int AddNewChild(CShape* child, int adoptArg);
    virtual int AppendChild(CShape* child, int adoptArg);
    virtual int AdoptChild(CShape* child, int adoptArg);
    virtual int ReplaceChild(CShape* oldChild, CShape* newChild);
    virtual void SetFlag100(bool on);
    virtual bool HasFlag100();
    // 1 for an index outside the list; else 0 after erasing the entry (and with deleteIt having
    // the control delete the shape).
    virtual int RemoveChildAt(int index, bool deleteIt);
    // 1 when the child's parent is not this group; else 0.
    virtual int RemoveChild(CShape* child);
    virtual int BringChildToFront(int childId);
    virtual int SendChildToBack(int childId);
    virtual bool SelectsAsUnit();
    virtual int HasPoints();
    // The name; a plain group above the fixed IDs also gets a block name that DXF accepts,
    // unique among the block library's names.
    virtual void SetName(const wchar_t* name);
    // Removes (and deletes) every child whose kind is in the set, with recursive also below.
    virtual int RemoveChildrenOfTypes(const std::set<int>& types, bool recursive);
    // 1 when no child of the kinds exists; a kind value also compares the polylines' flags.
    virtual int HasNoChildOfTypes(const std::set<int>& types, bool recursive, int kindValue);

    // Geometry through the children (own points first).
    HRESULT GetBoundingRectEx(float* left, float* top, float* right, float* bottom, const std::set<int>* skip,
                              DWORD flags) override;
    bool IsExtentCached() override;
    // The nine handles of a plain group: corners, centre, edge midpoints.
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int GetNthPoint(int n, CRealPoint* point, int mode, int* count) override;
    int GetNearestPoint(const CRealPoint& point, CRealPoint* nearest) override;
    double GetAngle() override;
    int HasPointAt(float x, float y) override;
    BOOL HitTest(float x, float y) override;
    int CollectLinkedPointIds(std::set<int>& ids) override;
    void AddPointsToList(CShapePointList& list) override;
    int CountStats(CShapeStats& stats) override;
    int CopyPointsFrom(const CShape& source) override;
    int CopyPointCoordsFrom(const CShape& source) override;
    int CopyLinkedPointCoordsFrom(const CShape& source) override;
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;

    // Transforms of the own points and every child, then the block's references.
    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    HRESULT Shift(float dx, float dy, std::set<int>* visited, bool force) override;
    void OffsetPoints(float dx, float dy) override;

    // Editing: a plain group under edit is resized by its handles; other groups offer the mouse
    // to their children.
    int OnEditDrag(float x, float y) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditMouseUp(float x, float y) override;
    int StartEdit(int mode, int pickedIndex, const CRealPoint* start) override;
    void MovePointSnapped(CRealPoint& point, int index, bool ortho) override;

    // Drawing: the children in list order, bottom first.
    int Draw(CDrawContext& context) override;
    int DrawAttachments(CDrawContext& context) override;
    int DrawOverlay(CDrawContext& context) override;
    int DrawLinkMarks(HDC dc) override;

    // State and style changes passed on to the children.
    void SetSelected(bool on) override;
    void SetVisible(bool on) override;
    void SetNoExtents(bool on) override;
    void SetLayer(CLayer* layer) override;
    void SetPenColor(DWORD colour) override;
    void SetHatchColor(DWORD colour) override;
    void SetLinePatternId(int id) override;
    void SetHatchPatternId(int id) override;
    bool IsVisible() override;

    // Storage: the GroupShapes row after the Shapes row, the Groups record of a named group,
    // and a block of the library as a DXF BLOCK (other groups write their children).
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    // DXF reading into this group: the ENTITIES section, the body of a BLOCK (the group then
    // takes the block's name, flags and extended data, and its contents move so that the base
    // point lies at the origin), and the reader both share. 1 when the end of the section or
    // block was met, 0 when the data ended first.
    int ReadDxfEntitiesSection(CDxfFile& dxf);
    int ReadDxfBlockBody(CDxfFile& dxf);
    int ReadDxfEntities(CDxfFile& dxf, bool blockMode);
    // The BLOCKS section into the block library (this group) and the LAYER table into the
    // layers group (this group), merged with the layers of the same name as the control's
    // flags say.
    int ReadDxfBlocksSection(CDxfFile& dxf);
    int ReadDxfLayerTable(CDxfFile& dxf);
    // A child of the kind read from the entity that follows; null when the kind is not made.
    CShape* CreateChildFromDxf(CDxfFile& dxf, int kind, bool blockMode);
    // Inserts a child that may be added by Z order (after the equals) and adopts it.
    int InsertByZOrder(CShape* child, int* outIndex, int adoptArg);

    // Overrides of the shape base.
    void Clear(bool deleteChildren) override;
    bool IsGroup() override { return true; }
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;
    bool ContainsShapeId(int id, bool recursive) override;
    void CollectContainedIds(bool recursive, std::vector<int>& ids) override;
    bool ContainsShape(CShape* shape) override;
    // A plain group inside the drawing, resized and dragged as one object.
    bool IsBlockContext() override;

    int GetShapeCount() const { return static_cast<int>(m_children.size()); }
    CShape* GetChildAt(int index) const;
    int IndexOfChild(int id) const;
    int MoveChildToHead(int id);
    int MoveChildToTail(int id);
    bool IsBlock() const;
    const std::vector<CShape*>& Children() const { return m_children; }
    const std::wstring& GetName() const { return Part().name; }
    const std::string& GetBlockName() const { return Part().blockName; }
    // The first child group or reference of that name (null: the first without a name).
    CShape* FindChildByName(const wchar_t* name) const;
    // Block names of child groups and names of child layers that begin with the prefix (its
    // first prefixLength characters; below 1 or beyond it, the whole prefix less trailing white
    // space), except the child excludeId. Whether any was found.
    bool CollectNamesLike(std::map<std::string, int>& names, int excludeId, const char* prefix, int prefixLength) const;

    // The references that use this group as their block.
    // E_INVALIDARG for the group itself, 0 when listed already, else 1.
    int AddReferrer(CShape* reference);
    int RemoveReferrer(CShape* reference);
    bool HasReferrer(const CShape* reference) const;
    // Every referrer forgets this block; the number there were.
    int DetachReferrers();
    const std::vector<CShape*>& GetReferrerList() const { return Part().referrers; }
    // Rebuilds every reference of this block from it (updateType urUpdateAttributes also renews
    // their attribute texts); other referrers are emptied.
    void UpdateReferrers(int updateType, int arg2);

    // Block references of the subtree (child groups recursed):
    // Links every reference without a block to the library's block of its name, and builds the
    // copies of every reference that has none yet, unless `visited` holds both the reference
    // and its block already (the pairs built are added to it).
    void ResolveReferences(CGroup* library, std::set<int>* visited);
    // Every reference registers again with the block it names, or without one takes the
    // library's block of its name.
    void RefreshReferenceLinks();
    // Removes and deletes, through the control, the references that have no block.
    void ClearReferencesInTree();
    // Every reference without a block gets the library's block of its name (no copies made).
    void LinkReferencesByName(CGroup* library);

    // The state bits of the children: (state & ~mask) | (mask & value).
    void SetChildFlagsMasked(DWORD mask, DWORD value, bool recursive);
    void PropagateFlagToChildren(DWORD mask, bool wanted, bool force, bool recursive);
    bool HasAttributeChildren(bool recursive) const;
    int CountAttributeChildren(bool onlyInReferences, std::set<int>* ids) const;

    // The union of the visible children's bounds (with the own points when visible); the
    // selection's bounds.
    HRESULT UnionVisibleChildBounds(float* left, float* top, float* right, float* bottom, DWORD flags);
    // Factors that drag handle N to the target about the opposite handle (also given out).
    int ComputeHandleScale(const CRealPoint& target, int handle, float* kx, float* ky, CRealPoint* fixed, bool keep);
    // Lines the members of a group that does not select as a unit up with one edge (0 left,
    // 1 right, 2 top, 3 bottom) or centre line (4 vertical, 5 horizontal) of its bounds.
    int AlignTo(int mode);
    int AlignChildren(float x, float y, int mode, std::set<int>* visited);
    // The children hit at the device position, bottom first.
    int CollectHitShapes(float x, float y, std::vector<CShape*>& hits);
    // The children whose extent (with attributes) meets the world rectangle, and those without
    // an extent, in list order: the drawing's root answers from a grid of its children's extents
    // (built again once a shape changed), any other group with all its children. What a view,
    // a click or a rubber band cannot reach is left out; the caller tests the rest as before.
    const std::vector<CShape*>& ChildrenNear(const CRealRect& rect, std::vector<CShape*>& out);
    // The children a click at the device position may hit, in list order (see ChildrenNear).
    const std::vector<CShape*>& ChildrenNearDevicePoint(float x, float y, std::vector<CShape*>& out);
    // The grid of the root's children's extents, current (null for another group).
    const CShapeGrid* CurrentChildGrid();
    // The text to edit at the device position (double click), or null.
    CShape* FindEditableAt(float x, float y, DWORD flags);
    // Whether every own point of the shape is in the point pool and none is among `linked`.
    bool CheckSharedPoints(CShape* shape, const std::set<int>& linked) const;

protected:
    bool AppendsOnly() const;

    // What only a named group, a block or a group with the drawing's grid uses. Most groups are
    // lines, arcs and polylines that never need it: they carry one null pointer instead.
    struct BlockPart
    {
        std::wstring name;
        std::string blockName;
        int blockFlags = 0;
        std::vector<CShape*> referrers;
        // The referrers as a set, made once the list is too long to search: a drawing may hold
        // thousands of references to one block, each registered (and looked for) in turn.
        std::unique_ptr<std::unordered_set<const CShape*>> referrerIndex;
        // The root's grid of its children's extents, made when first asked for.
        std::unique_ptr<CShapeGrid> childGrid;
    };
    // The part as it stands; an empty one when none was made.
    const BlockPart& Part() const { return m_blockPart ? *m_blockPart : EmptyPart(); }
    // The part to change, made on the first write.
    BlockPart& EditPart();
    static const BlockPart& EmptyPart();
    void SetBlockFlags(int flags);

    std::vector<CShape*> m_children;
    std::unique_ptr<BlockPart> m_blockPart;
    int m_selectsAsUnit = 1;
};
