#pragma once
#include <set>
#include <windows.h>
#include <oleauto.h>
#include "model/KeyedObjectMap.h"
class CShape;
class CAttributeValue;
// The attribute values of one shape, keyed by attribute type ID: at most one per type, and only
// of types the shape's groups (with their parent chains) cover.
class CShapeAttributeMap : public CKeyedObjectMap
{
public:
    explicit CShapeAttributeMap(CShape* owner) : m_owner(owner) {}
    CShape* GetOwnerShape() const { return m_owner; }
    // The type IDs the shape's groups cover.
    std::set<int> AcceptedIds() const;
    bool Accepts(int id) const;
    // E_INVALIDARG for null, E_ACCESSDENIED for a type the shape does not accept. The same value
    // again S_FALSE; another value of that ID goes first. The value joins the site's map.
    HRESULT Add(CAttributeValue* value);
    // The value of the ID (reused) or a new one; null when the shape does not accept the ID.
    CAttributeValue* Create(int id, int databaseId, const VARIANT& value);
    CAttributeValue* FindValue(int id) const;
    // Drops the values no group covers; with create, makes an empty value for each covered type
    // without one.
    void Resync(bool create);
private:
    CShape* m_owner;
};
