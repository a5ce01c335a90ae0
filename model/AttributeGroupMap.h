#pragma once
#include <string>
#include <windows.h>
#include "model/DatabaseIdIndex.h"
#include "model/KeyedObjectMap.h"
class CAttributeGroupData;
class CShapeHost;
// The site's attribute groups by group ID, with a database index. The map holds one use of every
// group it lists.
class CAttributeGroupMap : public CKeyedObjectMap
{
public:
    explicit CAttributeGroupMap(CShapeHost* host) : m_host(host) {}
    ~CAttributeGroupMap() override;
    CShapeHost* GetHost() const { return m_host; }
    // E_INVALIDARG for null. An ID below 1 takes the next ID. A group of another map moves here
    // with its use. The same group again: S_FALSE; another group of that ID is removed first.
    HRESULT Add(CAttributeGroupData* group);
    // The group of the ID (reused) or a new one; an ID below 1 takes the next ID.
    CAttributeGroupData* Create(int id, int databaseId, const std::wstring& name);
    // 1 when absent; else the map's use is given up and 0.
    int Remove(int id);
    int DetachByKey(int key) override;
    // The removal of the collections: the group's own types leave the site with their values,
    // its children lose their parent, every shape drops the group; then it is removed. 1 when
    // absent.
    int Delete(int id);
    void Clear() override;
    CAttributeGroupData* FindGroup(int id) const;
    CAttributeGroupData* FindByDatabaseId(int databaseId) const;
    int GetNextId() const { return m_nextId; }
    CDatabaseIdIndex& DatabaseIndex() { return m_databaseIndex; }
private:
    CShapeHost* m_host;
    int m_nextId = 1;
    CDatabaseIdIndex m_databaseIndex;
};
