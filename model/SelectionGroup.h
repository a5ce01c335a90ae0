#pragma once
#include <memory>
#include <set>
#include "model/ShapeIdGroup.h"

// The current selection (ID -1): the selected shapes in ascending Z order, listed without being
// owned. It picks shapes by point and by rectangle, toggles them in and out, applies state and
// protection changes to all of them, changes their Z order with events and undo, and draws the
// dotted overlay over the filled shapes it holds.
class CSelectionGroup : public CShapeIdGroup
{
public:
    // The overlay is not drawn for this many selected shapes or more.
    static constexpr int kOverlayLimit = 300;

    CSelectionGroup(int id, CShapeHost* control);
    ~CSelectionGroup() override;

    // Toggles the shape: a listed shape is deselected and leaves (*outIndex -1); another is
    // selected and inserted by Z, unless a listed group holds it already; a group drops the
    // listed shapes it holds. E_INVALIDARG for the selection itself.
    int AddChild(CShape* child, int* outIndex, int adoptArg, bool move) override;
    // AddChild, and for a group or reference each of its children in turn.
    virtual int AddWithChildren(CShape* shape);
    // Deselects every listed shape and empties the list.
    void Clear(bool deleteChildren) override;
    // The enabled listed shapes to the front (back) of their parents; 1 when nothing could be done.
    HRESULT BringToFront() override;
    HRESULT SendToBack() override;
    // The overlay (marks pass, filled shapes, below the limit), then the listed shapes.
    int Draw(CDrawContext& context) override;
    int SetProtectionFlagsMasked(DWORD value, DWORD mask) override;
    DWORD GetProtectionFlagsMasked(DWORD mask) override;
    void NotifyChange(int editKind) override;
    int SetVisibleRecorded(bool on) override;

    // Picks at a device position below the shape; whether something was hit. With testOnly
    // nothing is selected.
    bool SelectAtPoint(float x, float y, CShape* shape, bool testOnly);
    // Toggles every selectable shape below `shape` whose bounds lie inside the world rectangle;
    // whether any was passed on.
    bool SelectInRect(const CRealRect& rect, CShape* shape);
    // The Z order of every listed shape with one undo operation and, with fire, the events (a
    // veto puts the shape back). skipReferenceParts leaves attribute texts and custom children
    // of references alone.
    int BringSelectionToFront(bool fire, bool skipReferenceParts);
    int SendSelectionToBack(bool fire, bool skipReferenceParts);
    // The listed shapes that are enabled and visible (with checkPoints, polylines whose points
    // other shapes hold are left out).
    int CountOperable(bool checkPoints);
    // A reference: its custom children; another group: its children.
    static int CountCustomChildren(CShape* shape);
    // Adds the IDs of listed shapes that refuse the edit type; the set's size, -1 without one.
    int CollectBlockedIds(int editType, std::set<int>* ids);
    // Deselects the listed shapes whose IDs are in the set; how many, -1 without a set.
    int RemoveIds(const std::set<int>* ids);
    // Marks (or unmarks) the listed shapes as stored.
    void MarkChildren(bool on);
    HRESULT UnionBounds(float* left, float* top, float* right, float* bottom);

    int m_selectionMode = 0;

    // While one is open, AddChild finds what the list holds through an index of the listed shapes
    // and of the IDs they hold, instead of scanning the list for each shape: a rubber band or
    // Select All adding many shapes costs what it adds. The answers, the order and the selected
    // marks are those of the scans. Batches nest; the index goes with the outermost one. A list
    // changed meanwhile by anything but AddChild is indexed again at the next AddChild.
    class AddBatch
    {
    public:
        explicit AddBatch(CSelectionGroup* selection);
        ~AddBatch();
        AddBatch(const AddBatch&) = delete;
        AddBatch& operator=(const AddBatch&) = delete;

    private:
        CSelectionGroup* m_selection;
    };

private:
    struct Index;
    // The list's index while a batch is open: built at its first AddChild.
    Index* CurrentIndex();
    void IndexEntry(Index& index, CShape* shape, int delta);
    int AddIndexed(Index& index, CShape* child, int* outIndex);
    // Puts a shape into the list after every shape of its Z order or below; its position.
    int InsertByZOrder(CShape* child);

    int m_batchDepth = 0;
    // SelectInRect's marking of the selection and every listed shape, due when the batch closes.
    bool m_markPending = false;
    std::unique_ptr<Index> m_index;
    int ChangeOrder(bool front, bool fire, bool skipReferenceParts);
    bool HoldsHatchFill(CShape* shape, int depth) const;
    void DrawOverlayMask(CDrawContext& context);
};
