#include "model/AttributeGroupMap.h"
#include <set>
#include <vector>
#include "automation/ResultCodes.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"

CAttributeGroupMap::~CAttributeGroupMap() { CAttributeGroupMap::Clear(); }

HRESULT CAttributeGroupMap::Add(CAttributeGroupData* group)
{
    if (!group)
        return E_INVALIDARG;
    if (group->GetId() < 1)
        group->SetId(m_nextId++);
    else if (group->GetId() >= m_nextId)
        m_nextId = group->GetId() + 1;
    const int id = group->GetId();
    if (CAttributeBase* present = Find(id)) {
        if (present == group)
            return S_FALSE;
        Remove(id);
    }
    CAttributeGroupMap* other = group->GetGroupMap();
    if (other && other != this)
        other->DetachByKey(id); // the use it held comes along
    else
        group->AddUse();
    Insert(group);
    group->SetOwnerMap(this);
    if (!group->GetControl())
        group->SetControl(m_host);
    m_databaseIndex.Add(group->GetDatabaseId(), id);
    return S_OK;
}

CAttributeGroupData* CAttributeGroupMap::Create(int id, int databaseId, const std::wstring& name)
{
    CAttributeGroupData* group = FindGroup(id);
    if (!group) {
        if (id < 1)
            id = m_nextId;
        group = new CAttributeGroupData(m_host);
        group->SetId(id);
        Insert(group); // its first use belongs to the map
        group->SetOwnerMap(this);
    }
    if (id >= m_nextId)
        m_nextId = id + 1;
    m_databaseIndex.Add(databaseId, id);
    group->SetDatabaseId(databaseId);
    group->SetName(name);
    group->SetControl(m_host);
    return group;
}

int CAttributeGroupMap::Remove(int id)
{
    CAttributeGroupData* group = FindGroup(id);
    if (!group)
        return 1;
    m_databaseIndex.RemoveIf(group->GetDatabaseId(), id);
    return RemoveByKey(id);
}

int CAttributeGroupMap::DetachByKey(int key)
{
    if (CAttributeGroupData* group = FindGroup(key))
        m_databaseIndex.RemoveIf(group->GetDatabaseId(), key);
    return CKeyedObjectMap::DetachByKey(key);
}

int CAttributeGroupMap::Delete(int id)
{
    CAttributeGroupData* group = FindGroup(id);
    if (!group)
        return 1;
    group->AddUse(); // kept while its consequences run
    // Its own types only: the types its parents list stay theirs.
    std::set<int> typeIds;
    for (int i = 0; i < group->GetTypes().GetCount(); ++i)
        typeIds.insert(group->GetTypes().GetAt(i)->GetId());
    if (m_host && m_host->GetAttributeTypeMap())
        m_host->GetAttributeTypeMap()->DeleteTypesSiteWide(typeIds);
    group->GetTypes().ReleaseAll();
    std::vector<CAttributeGroupData*> children;
    for (int i = 0; i < GetCount(); ++i)
        if (auto* other = static_cast<CAttributeGroupData*>(GetAt(i)); other->GetParent() == group)
            children.push_back(other);
    for (CAttributeGroupData* child : children)
        child->LinkParent(nullptr);
    if (m_host)
        m_host->ForEachShape([&](CShape* shape) { shape->GetAttributeGroups().RemoveById(id); });
    Remove(id);
    group->Release(kNoOwnerId);
    return 0;
}

void CAttributeGroupMap::Clear()
{
    m_databaseIndex.Clear();
    CKeyedObjectMap::Clear();
    m_nextId = 1;
}

CAttributeGroupData* CAttributeGroupMap::FindGroup(int id) const { return static_cast<CAttributeGroupData*>(Find(id)); }

CAttributeGroupData* CAttributeGroupMap::FindByDatabaseId(int databaseId) const
{
    const int id = m_databaseIndex.Lookup(databaseId);
    return id > 0 ? FindGroup(id) : static_cast<CAttributeGroupData*>(FindByField(databaseId));
}
