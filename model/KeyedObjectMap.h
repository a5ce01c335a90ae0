#pragma once
#include <map>

class CAttributeBase;

// Counted objects keyed by an ID, in key order. Removing an element releases it on behalf of the
// map instead of deleting it: the map's own elements (whose owner is this map) lose their owner and
// one use; elements owned elsewhere lose the use the map holds only when they have two or more.
class CKeyedObjectMap
{
public:
    CKeyedObjectMap() = default;
    CKeyedObjectMap(const CKeyedObjectMap&) = delete;
    CKeyedObjectMap& operator=(const CKeyedObjectMap&) = delete;
    virtual ~CKeyedObjectMap();

    virtual int GetKey(const CAttributeBase* element) const;
    virtual void Clear();
    // 1 when the key is absent, else 0 after releasing and erasing the element.
    virtual int RemoveByKey(int key);
    // 1 when the key is absent, else 0 after erasing the entry without releasing the element.
    virtual int DetachByKey(int key);
    virtual CAttributeBase* Find(int key) const;
    // The element at a 0-based position in key order; null beyond the end.
    virtual CAttributeBase* GetAt(int position) const;
    // The first element (in key order) whose database ID equals the value.
    virtual CAttributeBase* FindByField(int value) const;

    int RemoveAt(int position);
    // Enters the element under its key; false when the key is taken.
    bool Insert(CAttributeBase* element);
    int GetCount() const { return static_cast<int>(m_elements.size()); }

protected:
    void ReleaseEntry(CAttributeBase* element);

    std::map<int, CAttributeBase*> m_elements;
};
