#pragma once
#include "model/Group.h"

// A group that lists shapes without owning them: the listed shapes stay in the groups that own
// them with their parent, Z order and database identity. The list keeps the order of adding. The
// base of the selection and the highlight groups.
class CShapeIdGroup : public CGroup
{
public:
    CShapeIdGroup(int id, CShapeHost* control);
    ~CShapeIdGroup() override;

    // 1 when the shape is listed already; otherwise appended (its index in *outIndex), 0.
    int AddChild(CShape* child, int* outIndex, int adoptArg, bool move) override;
    // 1 for an index outside the list. With destroy the control deletes the shape (which takes
    // it out of every group), else the entry goes. 0.
    int RemoveChildAt(int index, bool destroy) override;
    // 1 when not listed, else 0 after taking the entry out.
    int RemoveChild(CShape* child) override;
    // Empties the list; the listed shapes belong to their own groups and stay.
    void Clear(bool deleteChildren) override;
    // Empties the list without touching the shapes.
    void RemoveAll();
};
