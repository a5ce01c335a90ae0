#pragma once
#include "model/KeyedObjectMap.h"

class CShape;

// The attribute values of one shape, keyed by attribute type ID.
class CShapeAttributeMap : public CKeyedObjectMap
{
public:
    explicit CShapeAttributeMap(CShape* owner) : m_owner(owner) {}
    CShape* GetOwnerShape() const { return m_owner; }

private:
    CShape* m_owner;
};
