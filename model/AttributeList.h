#pragma once
#include <vector>

class CAttributeBase;

// An ordered list of counted attribute objects held on behalf of an owner ID (kNoOwnerId: none). The
// list holds one use of every element and releases it with the owner ID.
class CAttributeList
{
public:
    explicit CAttributeList(int ownerId) : m_ownerId(ownerId) {}
    CAttributeList(const CAttributeList&) = delete;
    CAttributeList& operator=(const CAttributeList&) = delete;
    virtual ~CAttributeList();

    // 1 for null. An index outside 0..count appends. An element already in the list moves to the
    // index (keeping the use it holds); already at the index: no change. Result 0.
    virtual int Insert(CAttributeBase* element, int index);
    // 1 when the index is outside the list, else 0 after releasing and erasing the element.
    virtual int RemoveAt(int index);
    // 1 when no element has the ID, else 0 after erasing the first match without release.
    virtual int DetachById(int id);

    int RemoveById(int id);
    CAttributeBase* GetAt(int index) const;
    void Clear();
    int GetCount() const { return static_cast<int>(m_elements.size()); }
    int GetOwnerId() const { return m_ownerId; }
    void SetOwnerId(int id) { m_ownerId = id; }

protected:
    std::vector<CAttributeBase*> m_elements;
    int m_ownerId;
};
