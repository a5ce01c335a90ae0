#include "model/AttributeTypeMap.h"
#include "model/AttributeType.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"
#include "automation/ResultCodes.h"

CAttributeTypeMap::~CAttributeTypeMap() { CAttributeTypeMap::Clear(); }

HRESULT CAttributeTypeMap::Add(CAttributeType* type)
{
    if (!type)
        return E_INVALIDARG;
    if (type->GetId() == -1)
        type->SetId(m_nextId++);
    else if (type->GetId() >= m_nextId)
        m_nextId = type->GetId() + 1;
    const int id = type->GetId();
    if (CAttributeBase* present = Find(id)) {
        if (present == type)
            return S_FALSE;
        Remove(id);
    }
    CAttributeTypeMap* other = type->GetTypeMap();
    if (other && other != this)
        other->DetachByKey(other->GetKey(type)); // the use it held comes along
    else
        type->AddUse();
    Insert(type);
    type->SetOwnerMap(this);
    m_databaseIndex.Add(type->GetDatabaseId(), id);
    m_names.emplace(type->GetName(), id);
    return S_OK;
}

void CAttributeTypeMap::Unindex(CAttributeType* type)
{
    m_databaseIndex.RemoveIf(type->GetDatabaseId(), type->GetId());
    auto range = m_names.equal_range(type->GetName());
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == type->GetId()) {
            m_names.erase(it);
            break;
        }
}

int CAttributeTypeMap::Remove(int id)
{
    auto* type = FindType(id);
    if (!type)
        return 1;
    Unindex(type);
    return RemoveByKey(id);
}

int CAttributeTypeMap::DetachByKey(int key)
{
    if (auto* type = FindType(key))
        Unindex(type);
    return CKeyedObjectMap::DetachByKey(key);
}

void CAttributeTypeMap::Clear()
{
    m_names.clear();
    m_databaseIndex.Clear();
    CKeyedObjectMap::Clear();
    m_nextId = 1;
}

CAttributeType* CAttributeTypeMap::FindType(int id) const { return static_cast<CAttributeType*>(Find(id)); }

CAttributeType* CAttributeTypeMap::FindByDatabaseId(int databaseId) const
{
    const int id = m_databaseIndex.Lookup(databaseId);
    return id > 0 ? FindType(id) : nullptr;
}

void CAttributeTypeMap::Rename(CAttributeType* type, const std::wstring& name)
{
    if (!type)
        return;
    if (FindType(type->GetId()) == type) {
        auto range = m_names.equal_range(type->GetName());
        for (auto it = range.first; it != range.second; ++it)
            if (it->second == type->GetId()) {
                m_names.erase(it);
                break;
            }
        m_names.emplace(name, type->GetId());
    }
    type->SetNameField(name);
}

CAttributeType* CAttributeTypeMap::FindByName(const std::wstring& name) const
{
    auto it = m_names.find(name);
    return it == m_names.end() ? nullptr : FindType(it->second);
}

void CAttributeTypeMap::DeleteTypesSiteWide(const std::set<int>& ids)
{
    for (int id : ids)
        Remove(id);
    if (!m_host)
        return;
    m_host->ForEachShape([&](CShape* shape) {
        for (int id : ids)
            shape->GetAttributes().RemoveByKey(id);
    });
}
