#pragma once
#include <map>
#include <windows.h>
#include <oleauto.h>
#include "model/DatabaseIdIndex.h"
class CAttributeValue;
class CShapeHost;
// Every attribute value of the site by site key, with a database index. It holds no use: a value
// leaves it when its last holder lets it go.
class CAttributeMap
{
public:
    explicit CAttributeMap(CShapeHost* host) : m_host(host) {}
    CAttributeMap(const CAttributeMap&) = delete;
    CAttributeMap& operator=(const CAttributeMap&) = delete;
    ~CAttributeMap();
    CShapeHost* GetHost() const { return m_host; }
    // E_INVALIDARG for null. A value of another map is detached from it first. A key below 1
    // takes the next key; a key taken by the same value S_FALSE, by another E_FAIL.
    HRESULT Add(CAttributeValue* value);
    // A new value under the next key; null without a control. It holds the one use it was made
    // with, which the caller takes over.
    CAttributeValue* Create(int id, int databaseId, const VARIANT& value);
    // E_INVALIDARG for null, E_FAIL for a key below 1; else the entry goes without release.
    HRESULT Detach(CAttributeValue* value);
    CAttributeValue* Find(int siteKey) const;
    CAttributeValue* FindByDatabaseId(int databaseId) const;
    CDatabaseIdIndex& DatabaseIndex() { return m_databaseIndex; }
    const std::map<int, CAttributeValue*>& Values() const { return m_values; }
    int GetNextKey() const { return m_nextKey; }
    // Forgets every value (their holders keep them) and starts the keys again at 1.
    void Clear();
private:
    CShapeHost* m_host;
    std::map<int, CAttributeValue*> m_values;
    int m_nextKey = 1;
    CDatabaseIdIndex m_databaseIndex;
};
