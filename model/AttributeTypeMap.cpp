#include "model/AttributeTypeMap.h"
#include "model/AttributeType.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"
#include "automation/ResultCodes.h"
#include "com/AnsiText.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"

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
            if (CShapeAttributeMap* values = shape->FindAttributes())
                values->RemoveByKey(id);
    });
}

namespace {
// ID kinds of attribute types and groups in a record-table set's ID maps.
constexpr int kTypeIdKind = 3;
constexpr int kGroupIdKind = 4;
} // namespace

void CAttributeTypeMap::SaveType(CDataTableSet* tables, CAttributeType* type, bool ownIds)
{
    CAttributeTypesTable* table = tables->AttributeTypes();
    CAttributeTypesRecord record;
    if (CAttributeGroupData* group = type->GetOwnerGroup()) {
        // A type is written with its group or not at all (and then keeps its database ID).
        const int groupKey = ownIds ? group->GetId() : group->GetDatabaseId();
        CAttributeGroupsTable* groups = tables->AttributeGroups();
        if (groupKey == 0 || !groups || !groups->FindRecord(groupKey))
            return;
        record.AttributeGroupID = groupKey;
    }
    int key = ownIds ? type->GetId() : type->GetDatabaseId();
    if (!ownIds && (key == 0 || !table->FindRecord(key))) {
        key = table->NewKey();
        if (FindType(type->GetId()) == type) {
            m_databaseIndex.RemoveIf(type->GetDatabaseId(), type->GetId());
            m_databaseIndex.Add(key, type->GetId());
        }
        type->SetDatabaseId(key);
    }
    record.AttributeTypeID = key;
    record.Name = ycom::WideToAnsi(type->GetName());
    record.Format = ycom::WideToAnsi(type->GetFormat());
    record.Prompt = ycom::WideToAnsi(type->GetPrompt());
    // A type written earlier in the same pass keeps its first record.
    table->Insert(record);
}

CAttributeType* CAttributeTypeMap::FindStored(CDataTableSet* tables, int storedKey, DWORD mode) const
{
    const int mapped = tables->StoredToCurrentId(storedKey, kTypeIdKind, static_cast<int>(mode));
    if (mapped != CDataTableSet::kNoIdMapping)
        return FindType(mapped);
    // A key of the set's own numbering is a database ID, never a type ID of this site.
    return (mode & DXFMODE_USE_YVEX_IDENTIFIERS) ? FindType(storedKey) : FindByDatabaseId(storedKey);
}

HRESULT CAttributeTypeMap::ExchangeTables(CDataTableSet* tables, DWORD mode, int id)
{
    if (!tables)
        return E_INVALIDARG;
    CAttributeTypesTable* table = tables->AttributeTypes();
    if (!table)
        return S_FALSE;
    const bool ownIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;

    if (!(mode & DXFMODE_LOAD)) {
        if (id) {
            CAttributeType* type = FindType(id);
            if (!type)
                return E_ACCESSDENIED;
            SaveType(tables, type, ownIds);
            return S_OK;
        }
        for (int i = 0; i < GetCount(); ++i)
            SaveType(tables, static_cast<CAttributeType*>(GetAt(i)), ownIds);
        return S_OK;
    }

    std::vector<CAttributeTypesRecord> records;
    if (mode & DXFMODE_SINGLE_OBJECT) {
        const CAttributeTypesRecord* record = table->FindRecord(id);
        if (!record)
            return E_ACCESSDENIED;
        records.push_back(*record);
    } else {
        for (const auto& entry : table->GetRecords())
            records.push_back(entry.second);
    }
    CAttributeGroupMap* groups = m_host ? m_host->GetAttributeGroupMap() : nullptr;
    for (const CAttributeTypesRecord& record : records) {
        // A type belongs to a group: one whose group is not here is left out.
        const int groupId = tables->StoredToCurrentId(record.AttributeGroupID, kGroupIdKind, static_cast<int>(mode));
        CAttributeGroupData* group = groups && groupId != CDataTableSet::kNoIdMapping ? groups->FindGroup(groupId) : nullptr;
        if (!group)
            continue;
        const std::wstring name = ycom::AnsiToWide(record.Name);
        const std::wstring format = ycom::AnsiToWide(record.Format);
        const std::wstring prompt = ycom::AnsiToWide(record.Prompt);
        CAttributeType* type = FindStored(tables, record.AttributeTypeID, mode);
        if (type) {
            if (type->GetOwnerGroup() != group) {
                group->GetTypes().Insert(type, -1);
                group->ResyncShapes();
            }
            type->SetName(name);
            type->SetFormat(format);
            type->SetPrompt(prompt);
        } else {
            type = group->GetTypes().Create(ownIds ? record.AttributeTypeID : -1, ownIds ? 0 : record.AttributeTypeID,
                                            name, format, prompt);
            if (!type)
                return E_FAIL;
        }
        if (!ownIds)
            tables->AddIdMapping(type->GetId(), record.AttributeTypeID, kTypeIdKind);
    }
    return S_OK;
}
