#include "model/AttributeMap.h"
#include "model/AttributeValue.h"

CAttributeMap::~CAttributeMap() { Clear(); }

HRESULT CAttributeMap::Add(CAttributeValue* value)
{
    if (!value)
        return E_INVALIDARG;
    if (CAttributeMap* other = value->GetSiteMap(); other && other != this)
        other->Detach(value);
    value->SetSiteMap(this);
    if (value->GetSiteKey() < 1) {
        value->SetSiteKey(m_nextKey++);
    } else {
        auto it = m_values.find(value->GetSiteKey());
        if (it != m_values.end())
            return it->second == value ? S_FALSE : E_FAIL;
        if (value->GetSiteKey() >= m_nextKey)
            m_nextKey = value->GetSiteKey() + 1;
    }
    if (value->GetDatabaseId() > 0)
        m_databaseIndex.Add(value->GetDatabaseId(), value->GetSiteKey());
    m_values.emplace(value->GetSiteKey(), value);
    return S_OK;
}

CAttributeValue* CAttributeMap::Create(int id, int databaseId, const VARIANT& variant)
{
    if (!m_host)
        return nullptr;
    auto* value = new CAttributeValue();
    value->SetSiteKey(m_nextKey++);
    value->SetSiteMap(this);
    m_values.emplace(value->GetSiteKey(), value);
    if (databaseId > 0)
        m_databaseIndex.Add(databaseId, value->GetSiteKey());
    value->SetId(id);
    value->SetDatabaseId(databaseId);
    value->SetValue(variant);
    return value;
}

HRESULT CAttributeMap::Detach(CAttributeValue* value)
{
    if (!value)
        return E_INVALIDARG;
    if (value->GetSiteKey() < 1)
        return E_FAIL;
    auto it = m_values.find(value->GetSiteKey());
    if (it != m_values.end() && it->second == value) {
        m_databaseIndex.RemoveIf(value->GetDatabaseId(), value->GetSiteKey());
        m_values.erase(it);
    }
    if (value->GetSiteMap() == this)
        value->SetSiteMap(nullptr);
    return S_OK;
}

CAttributeValue* CAttributeMap::Find(int siteKey) const
{
    auto it = m_values.find(siteKey);
    return it == m_values.end() ? nullptr : it->second;
}

CAttributeValue* CAttributeMap::FindByDatabaseId(int databaseId) const
{
    const int key = m_databaseIndex.Lookup(databaseId);
    return key > 0 ? Find(key) : nullptr;
}

void CAttributeMap::Clear()
{
    for (auto& entry : m_values)
        entry.second->SetSiteMap(nullptr);
    m_values.clear();
    m_databaseIndex.Clear();
    m_nextKey = 1;
}
