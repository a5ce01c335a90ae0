#include "model/AttributeGroupMap.h"
#include <set>
#include <vector>
#include "automation/ResultCodes.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"
#include "YVEX_h.h"
#include "com/AnsiText.h"
#include "persistence/DataTableSet.h"

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
        m_host->ForEachShape([&](CShape* shape) {
            if (CShapeAttributes* groups = shape->FindAttributeGroups())
                groups->RemoveById(id);
        });
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

namespace {
// ID kind of attribute groups in a record-table set's ID maps.
constexpr int kGroupIdKind = 4;
} // namespace

int CAttributeGroupMap::SaveGroup(CDataTableSet* tables, CAttributeGroupData* group, bool ownIds, int depth)
{
    CAttributeGroupsTable* table = tables->AttributeGroups();
    if (!ownIds && group->GetDatabaseId() >= 1 && table->FindRecord(group->GetDatabaseId()))
        return group->GetDatabaseId();
    CAttributeGroupsRecord record;
    if (ownIds) {
        record.AttributeGroupID = group->GetId();
        record.DatabaseID = group->GetDatabaseId();
    } else {
        const int key = table->NewKey();
        if (group->GetGroupMap() == this && group->GetDatabaseId() != key) {
            m_databaseIndex.RemoveIf(group->GetDatabaseId(), group->GetId());
            m_databaseIndex.Add(key, group->GetId());
        }
        group->SetDatabaseId(key);
        record.AttributeGroupID = key;
        record.DatabaseID = key;
    }
    record.Name = ycom::WideToAnsi(group->GetName());
    // A parent never saved gets its record first (the chain is loop-free; the depth only guards).
    if (CAttributeGroupData* parent = group->GetParent(); parent && depth < 10000)
        record.ParentGroupID = ownIds ? parent->GetId() : SaveGroup(tables, parent, ownIds, depth + 1);
    table->Put(record);
    return record.AttributeGroupID;
}

HRESULT CAttributeGroupMap::ExchangeTables(CDataTableSet* tables, DWORD mode, int id)
{
    if (!tables)
        return E_INVALIDARG;
    CAttributeGroupsTable* table = tables->AttributeGroups();
    if (!table)
        return S_FALSE;
    const bool ownIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const int imode = static_cast<int>(mode);

    if (!(mode & DXFMODE_LOAD)) {
        if (id) {
            CAttributeGroupData* group = FindGroup(id);
            if (!group)
                return E_ACCESSDENIED;
            SaveGroup(tables, group, ownIds, 0);
            return S_OK;
        }
        for (int i = 0; i < GetCount(); ++i)
            SaveGroup(tables, static_cast<CAttributeGroupData*>(GetAt(i)), ownIds, 0);
        return S_OK;
    }

    std::vector<CAttributeGroupsRecord> records;
    if (mode & DXFMODE_SINGLE_OBJECT) {
        const CAttributeGroupsRecord* record = table->FindRecord(id);
        if (!record)
            return E_ACCESSDENIED;
        records.push_back(*record);
    } else {
        for (const auto& entry : table->GetRecords())
            records.push_back(entry.second);
    }
    auto current = [&](int stored) {
        if (ownIds)
            return stored;
        const int mapped = tables->StoredToCurrentId(stored, kGroupIdKind, imode);
        if (mapped != CDataTableSet::kNoIdMapping)
            return mapped;
        return (mode & DXFMODE_BLOCKS) ? stored : 0;
    };
    for (const CAttributeGroupsRecord& record : records) {
        const std::wstring name = ycom::AnsiToWide(record.Name);
        const int mapped = current(record.AttributeGroupID);
        CAttributeGroupData* group = mapped ? FindGroup(mapped) : nullptr;
        if (group)
            group->SetName(name);
        else
            group = Create(ownIds ? record.AttributeGroupID : mapped, record.DatabaseID, name);
        if (!group)
            return E_FAIL;
        if (!ownIds)
            tables->AddIdMapping(group->GetId(), record.AttributeGroupID, kGroupIdKind);
    }
    // Parents once every group of the set exists; a link that would close a loop is left out.
    for (const CAttributeGroupsRecord& record : records) {
        CAttributeGroupData* group = FindGroup(current(record.AttributeGroupID));
        const int parentId = record.ParentGroupID ? current(record.ParentGroupID) : 0;
        CAttributeGroupData* parent = parentId ? FindGroup(parentId) : nullptr;
        if (group && parent)
            group->SetParentGroup(parent);
    }
    return S_OK;
}
