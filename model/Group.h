#pragma once
#include <string>
#include <vector>
#include "model/Shape.h"

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

    CGroup(int id, CControlCore* control);
    // A copy under a new ID: the shape-base copy, then a clone of every child (by the shape map).
    CGroup(int id, const CGroup& source);
    ~CGroup() override;

    // Added group operations.
    // 1 when the child may be inserted (see the add rules); refusals store the control's last
    // error.
    virtual int CanAddChild(CShape* child, bool move);
    // Inserts by Z order (after the equals); 0 added, 1 not added.
    virtual int AddChild(CShape* child, int* outIndex, int adoptArg, bool move);
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

    // Overrides of the shape base.
    void Clear(bool deleteChildren) override;
    bool IsGroup() override { return true; }
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;
    bool ContainsShapeId(int id, bool recursive) override;
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
    const std::wstring& GetName() const { return m_name; }

protected:
    bool AppendsOnly() const;

    std::wstring m_name;
    std::string m_blockName;
    int m_blockFlags = 0;
    std::vector<CShape*> m_children;
    std::vector<CShape*> m_referrers;
    int m_selectsAsUnit = 1;
};
