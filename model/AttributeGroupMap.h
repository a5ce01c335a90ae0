#pragma once
#include <string>
#include <windows.h>
#include "model/DatabaseIdIndex.h"
#include "model/KeyedObjectMap.h"
class CAttributeGroupData;
class CShapeHost;
class CDataTableSet;
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
    // The groups (all, or the one of `id` when given) into the AttributeGroups table, or with
    // DXFMODE_LOAD from it. S_FALSE without the table, E_INVALIDARG without a set.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int id);
    CAttributeGroupData* FindGroup(int id) const;
    CAttributeGroupData* FindByDatabaseId(int databaseId) const;
    int GetNextId() const { return m_nextId; }
    CDatabaseIdIndex& DatabaseIndex() { return m_databaseIndex; }
private:
    // The group's record key for a save, giving it a record (and its parent one first) when it
    // has none.
    int SaveGroup(CDataTableSet* tables, CAttributeGroupData* group, bool ownIds, int depth);
    CShapeHost* m_host;
    int m_nextId = 1;
    CDatabaseIdIndex m_databaseIndex;
};
