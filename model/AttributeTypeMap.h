#pragma once
#include <map>
#include <set>
#include <string>
#include <windows.h>
#include "model/DatabaseIdIndex.h"
#include "model/KeyedObjectMap.h"
class CAttributeType;
class CDataTableSet;
class CShapeHost;
// The site's attribute types by type ID, with a database index and a name index. The map holds
// one use of every type it lists.
class CAttributeTypeMap : public CKeyedObjectMap
{
public:
    explicit CAttributeTypeMap(CShapeHost* host) : m_host(host) {}
    ~CAttributeTypeMap() override;
    CShapeHost* GetHost() const { return m_host; }
    // E_INVALIDARG for null. Only an ID of -1 takes the next ID; an ID at or above the counter
    // moves it on. A type of another type map moves here with its use. The same type again:
    // S_FALSE; another type of that ID is removed first.
    HRESULT Add(CAttributeType* type);
    // 1 when absent; else its index entries go, the map's use is given up and 0.
    int Remove(int id);
    int DetachByKey(int key) override;
    void Clear() override;
    CAttributeType* FindType(int id) const;
    CAttributeType* FindByDatabaseId(int databaseId) const;
    // The type's entry of the name index follows the new name.
    void Rename(CAttributeType* type, const std::wstring& name);
    // The first type of that name (null when none).
    CAttributeType* FindByName(const std::wstring& name) const;
    int GetNextId() const { return m_nextId; }
    CDatabaseIdIndex& DatabaseIndex() { return m_databaseIndex; }
    // Each ID leaves the map, then every shape of the site drops its values of those IDs.
    void DeleteTypesSiteWide(const std::set<int>& ids);
    // The types to or from the AttributeTypes table (DXFMODE_LOAD: from). Saving: the type of
    // that ID (0: every type), keyed by database ID (a type without a record of the table takes
    // the table's next key as its database ID) or, keeping identifiers, by type ID; a type of a
    // group is written only when its group has a record. Loading: every record (with
    // DXFMODE_SINGLE_OBJECT the one of that key, else E_ACCESSDENIED) whose group is here; a type
    // the record names takes its texts and group, other records make new types. S_FALSE without
    // the table, E_INVALIDARG without a set.
    HRESULT ExchangeTables(CDataTableSet* tables, DWORD mode, int id);
private:
    void Unindex(CAttributeType* type);
    void SaveType(CDataTableSet* tables, CAttributeType* type, bool ownIds);
    // The type a stored key names: the translation of the set, else (without identifiers) the
    // type of that database ID.
    CAttributeType* FindStored(CDataTableSet* tables, int storedKey, DWORD mode) const;
    CShapeHost* m_host;
    int m_nextId = 1;
    CDatabaseIdIndex m_databaseIndex;
    std::multimap<std::wstring, int> m_names;
};
