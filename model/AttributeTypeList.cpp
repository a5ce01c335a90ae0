#include "model/AttributeTypeList.h"
#include <set>
#include "automation/ResultCodes.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/ShapeHost.h"

CAttributeTypeList::CAttributeTypeList(CAttributeGroupData* group) : CAttributeList(kNoOwnerId), m_group(group) {}

CAttributeTypeList::~CAttributeTypeList() { ReleaseAll(); }

CAttributeType* CAttributeTypeList::GetType(int index) const { return static_cast<CAttributeType*>(GetAt(index)); }

int CAttributeTypeList::Insert(CAttributeBase* element, int index)
{
    auto* type = static_cast<CAttributeType*>(element);
    if (!type)
        return 1;
    CAttributeGroupData* previous = type->GetOwnerGroup();
    const bool fromOther = previous && previous != m_group;
    if (fromOther)
        previous->GetTypes().DetachById(type->GetId()); // its use comes along
    const int result = CAttributeList::Insert(type, index);
    type->SetOwnerGroup(m_group);
    if (fromOther && type->GetUseCount() > 1)
        type->Release(kNoOwnerId);
    if (previous == m_group && m_group)
        m_group->ResyncShapes();
    return result;
}

int CAttributeTypeList::RemoveAt(int index)
{
    CAttributeType* type = GetType(index);
    if (!type)
        return 1;
    const int id = type->GetId();
    CAttributeTypeMap* map = type->GetTypeMap();
    type->SetOwnerGroup(nullptr);
    CAttributeList::RemoveAt(index);
    if (map)
        map->DeleteTypesSiteWide({id});
    return 0;
}

HRESULT CAttributeTypeList::AddUnique(CAttributeType* type)
{
    if (!type)
        return E_INVALIDARG;
    for (int i = 0; i < GetCount(); ++i)
        if (GetAt(i) == type) {
            type->SetOwnerGroup(m_group);
            return S_OK;
        }
    for (int i = 0; i < GetCount(); ++i)
        if (GetAt(i)->GetId() == type->GetId()) {
            // The other type of that ID leaves this list only; it stays in the site.
            CAttributeType* other = GetType(i);
            other->SetOwnerGroup(nullptr);
            CAttributeList::RemoveAt(i);
            break;
        }
    const int result = Insert(type, -1);
    return result == 0 ? S_OK : E_FAIL;
}

CAttributeType* CAttributeTypeList::Create(int id, int databaseId, const std::wstring& name,
                                           const std::wstring& format, const std::wstring& prompt)
{
    CShapeHost* control = m_group ? m_group->GetControl() : nullptr;
    CAttributeTypeMap* map = control ? control->GetAttributeTypeMap() : nullptr;
    if (!map)
        return nullptr;
    CAttributeType* existing = id == -1 ? nullptr : map->FindType(id);
    if (existing && existing->GetOwnerGroup() && existing->GetOwnerGroup() != m_group) {
        Insert(existing, -1);
        existing->SetDatabaseId(databaseId);
        existing->SetName(name);
        existing->SetFormat(format);
        existing->SetPrompt(prompt);
        m_group->ResyncShapes();
        return existing;
    }
    if (existing)
        return existing;
    auto* type = new CAttributeType();
    type->SetId(id);
    type->SetDatabaseId(databaseId);
    type->SetNameField(name);
    type->SetFormat(format);
    type->SetPrompt(prompt);
    CAttributeList::Insert(type, -1);
    type->SetOwnerGroup(m_group);
    map->Add(type);
    type->Release(kNoOwnerId); // the list and the map hold it now
    return type;
}

void CAttributeTypeList::ReleaseAll()
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetType(i)->GetOwnerGroup() == m_group)
            GetType(i)->SetOwnerGroup(nullptr);
    Clear();
}
