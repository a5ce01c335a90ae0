#pragma once
#include "model/Group.h"

// A block reference (stReference): shows a block, a group of the block library, at its insertion
// point (its one own point), scaled by an X and a Y factor and turned by an angle. Its children
// are of three sorts: copies of the block's children, made by the shape map and placed by the
// reference's transform (scaled, then turned about the block's origin, then moved to the
// insertion point), rebuilt whenever the link, the scales or the angle change and never stored;
// attribute and label texts, which are the reference's own and survive a rebuild; and custom
// children, adopted from outside (protection flag sdbfCustomChild), which stay as they are.
class CReference : public CGroup
{
public:
    CReference(int id, CShapeHost* control);
    // A copy under a new ID: the group copy (copies of the children), the scales, the angle and
    // the block, with the copy registered as the block's referrer.
    CReference(int id, const CReference& source);
    // Leaves the block's referrer list: a block never keeps a reference that is gone.
    ~CReference() override;

    // --- Link and transform ------------------------------------------------------------------
    CGroup* GetBlock() const { return m_block; }
    double GetRotationAngle() const { return m_rotationAngle; }
    float GetXScale() const { return m_xScale; }
    float GetYScale() const { return m_yScale; }
    // With a block linked and apply set the children are re-transformed first; then the value is
    // stored.
    void SetRotationAngle(double degrees, bool apply);
    void SetXScale(float scale, bool apply);
    void SetYScale(float scale, bool apply);
    // Re-transforms the children from the stored scales and angle to the given ones, about the
    // insertion point (attribute texts only with applyToAll). The values are not stored here.
    int SetScaleRotation(float xScale, float yScale, double degrees, bool applyToAll);
    // The group of that ID becomes the block (nothing is rebuilt); another shape or none changes
    // nothing.
    int SetBlockGroupShapeID(int id);
    // Builds the children for a block: 0 and "Wrong shape type." for anything but a group; 0
    // (and the control's last error) for a block that would come to show itself. 1 when texts
    // were refreshed with refreshTexts, else 0.
    int ResolveBlock(CGroup* block, bool keepTexts, bool registerIt, bool refreshTexts);
    // Removes the block copies and leaves the block's referrer list; the link itself stays.
    void DetachFromBlock();
    // Builds the children again from the block.
    int RelinkBlock(bool keepTexts);
    // Places the children by the scales, the angle and the insertion point.
    void ApplyTransform(bool attributesToo);
    // Forgets the block without touching it (the block is going).
    void ForgetBlock() { m_block = nullptr; }

    // --- Children ----------------------------------------------------------------------------
    // Whether a child is a copy of the block's (neither an attribute or label text nor a custom
    // child).
    bool IsBlockCopy(CShape* child) const;
    // Removes and deletes the block copies; the number of children kept.
    int ClearBlockCopies();
    // Removes the block copies from the list: those of this reference are deleted, those of
    // another parent only dropped.
    int DropOwnChildren();
    // The references among the children lose their copies (those without a block go); whether a
    // block is linked.
    bool ClearNestedReferences();
    // Whether a child takes the reference's layer: it has none or the base layer; an attribute or
    // label text unless its locks hold 0x400.
    bool FollowsParentLayer(CShape* child) const;
    int CountTextsOfKind(bool labels) const;
    int CollectTextAnchors(CRealPoint* out, int max) const;
    // Shifts the children, except custom children and (without attributesToo, or with lock 0x1)
    // attribute and label texts.
    virtual void ShiftUnlockedChildren(float dx, float dy, bool attributesToo);

    // --- Overrides ---------------------------------------------------------------------------
    // Nine handles: the corners of the bounds, the insertion point (4), the edge midpoints.
    int GetHandlePoints(CRealPoint* points, int capacity) override;
    int OnEditMouseDown(float x, float y, std::map<int, int>* selection) override;
    int OnEditDrag(float x, float y) override;
    void SetLayer(CLayer* layer) override;
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int Rotate(float xc, float yc, double degrees, std::set<int>* visited, bool force) override;
    int FlipVertical(std::set<int>* visited, const float* axisY) override;
    int FlipHorizontal(std::set<int>* visited, const float* axisX) override;
    HRESULT Scale(float xc, float yc, float kx, float ky, std::set<int>* visited, bool force) override;
    void GetCoClassId(CLSID* clsid) override;
    int CopyPointCoordsFrom(const CShape& source) override;
    int CopyPropertiesFrom(CShape& source, DWORD mask) override;
    int CopyStyleFrom(CShape& source, DWORD mask) override;
    int GetClassShapeType() override;
    // The insertion point's handle (4) stands for the whole reference (-1: a move).
    int AlignPointTo(float x, float y, int* index, CRealPoint* point) override;
    int DrawMarks(CDrawContext& context) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    int CountStats(CShapeStats& stats) override;
    // The angle, radians (the unit of the shapes' angles).
    double GetAngle() override;
    bool ContainsShapeId(int id, bool recursive) override;
    void CollectContainedIds(bool recursive, std::vector<int>& ids) override;
    bool ContainsShape(CShape* shape) override;
    // A child adopted from outside block resolution (adoptArg 0) is a custom child.
    int AdoptChild(CShape* child, int adoptArg) override;

private:
    // Whether the block shows this reference, directly or through the references it lies in.
    bool WouldShowItself(const CGroup* block) const;
    // Mirrors across a horizontal (vertical true) or vertical axis.
    int Flip(std::set<int>* visited, const float* axis, bool vertical);
    void ClearCopiesPersistent();
    // Removes the block copies from the list; the number of children kept. The copies go through
    // the shape map (it keeps what it refuses to give up); without anyParent those of another
    // parent are only dropped from the list.
    int RemoveBlockCopies(bool anyParent);

    double m_rotationAngle = 0.0;
    float m_xScale = 1.0f;
    float m_yScale = 1.0f;
    CGroup* m_block = nullptr;
};
