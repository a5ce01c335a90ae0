#pragma once
#include "model/AttributeList.h"

class CShape;

// The attribute groups of one shape, in order, held on behalf of the shape's ID.
class CShapeAttributes : public CAttributeList
{
public:
    CShapeAttributes(CShape* owner, int ownerId) : CAttributeList(ownerId), m_owner(owner) {}
    CShape* GetOwnerShape() const { return m_owner; }

private:
    CShape* m_owner;
};
