#include "model/KeyedObjectMap.h"
#include "automation/ResultCodes.h"
#include "model/AttributeBase.h"
#include <vector>

CKeyedObjectMap::~CKeyedObjectMap() { CKeyedObjectMap::Clear(); }

int CKeyedObjectMap::GetKey(const CAttributeBase* element) const { return element->GetId(); }

void CKeyedObjectMap::ReleaseEntry(CAttributeBase* element)
{
    if (element->GetOwnerMap() == this) {
        element->SetOwnerMap(nullptr);
        element->Release(kNoOwnerId);
    } else if (element->GetUseCount() >= 2) {
        element->Release(kNoOwnerId);
    }
}

void CKeyedObjectMap::Clear()
{
    std::vector<CAttributeBase*> elements;
    elements.reserve(m_elements.size());
    for (auto& entry : m_elements)
        elements.push_back(entry.second);
    m_elements.clear();
    for (CAttributeBase* element : elements)
        ReleaseEntry(element);
}

int CKeyedObjectMap::RemoveByKey(int key)
{
    auto it = m_elements.find(key);
    if (it == m_elements.end())
        return 1;
    CAttributeBase* element = it->second;
    m_elements.erase(it);
    ReleaseEntry(element);
    return 0;
}

int CKeyedObjectMap::DetachByKey(int key)
{
    auto it = m_elements.find(key);
    if (it == m_elements.end())
        return 1;
    if (it->second->GetOwnerMap() == this)
        it->second->SetOwnerMap(nullptr);
    m_elements.erase(it);
    return 0;
}

CAttributeBase* CKeyedObjectMap::Find(int key) const
{
    auto it = m_elements.find(key);
    return it == m_elements.end() ? nullptr : it->second;
}

CAttributeBase* CKeyedObjectMap::GetAt(int position) const
{
    if (position < 0 || position >= GetCount())
        return nullptr;
    auto it = m_elements.begin();
    std::advance(it, position);
    return it->second;
}

CAttributeBase* CKeyedObjectMap::FindByField(int value) const
{
    for (const auto& entry : m_elements)
        if (entry.second->GetDatabaseId() == value)
            return entry.second;
    return nullptr;
}

int CKeyedObjectMap::RemoveAt(int position)
{
    CAttributeBase* element = GetAt(position);
    if (!element)
        return 1;
    return RemoveByKey(GetKey(element));
}

bool CKeyedObjectMap::Insert(CAttributeBase* element)
{
    if (!element)
        return false;
    return m_elements.emplace(GetKey(element), element).second;
}
