#pragma once
#include "model/AttributeList.h"
class CShape;
// The attribute groups of one shape, in order, held on behalf of the shape's ID. Taking a group
// away drops the values the remaining groups no longer cover.
class CShapeAttributes : public CAttributeList
{
public:
    CShapeAttributes(CShape* owner, int ownerId) : CAttributeList(ownerId), m_owner(owner) {}
    CShape* GetOwnerShape() const { return m_owner; }
    int RemoveAt(int index) override;
private:
    CShape* m_owner;
};
