#pragma once
// CShapeNamePickList: the pick list of the named groups and layers among a list of shapes that
// the caller keeps, each entry's ID the shape's.
#include <vector>
#include "ui/PickList.h"

class CShape;

class CShapeNamePickList : public CPickList
{
public:
    explicit CShapeNamePickList(const std::vector<CShape*>* shapes = nullptr) : m_shapes(shapes) {}
    void SetShapes(const std::vector<CShape*>* shapes) { m_shapes = shapes; }

    // The special entries, then every group and layer of the list that has a name.
    bool Fill(int currentId) override;
    // The shape of the list with that ID, or null.
    CShape* Find(int id) const;

private:
    const std::vector<CShape*>* m_shapes;
};
