#include "model/ShapeAttributeMap.h"
#include <vector>
#include "model/AttributeGroupData.h"
#include "model/AttributeMap.h"
#include "model/AttributeValue.h"
#include "model/Shape.h"
#include "model/ShapeHost.h"

std::set<int> CShapeAttributeMap::AcceptedIds() const
{
    std::set<int> ids;
    if (!m_owner)
        return ids;
    const CShapeAttributes* groups = m_owner->FindAttributeGroups();
    for (int i = 0; groups && i < groups->GetCount(); ++i)
        static_cast<const CAttributeGroupData*>(groups->GetAt(i))->CollectAttributeIds(ids);
    return ids;
}

bool CShapeAttributeMap::Accepts(int id) const { return AcceptedIds().count(id) != 0; }

CAttributeValue* CShapeAttributeMap::FindValue(int id) const { return static_cast<CAttributeValue*>(Find(id)); }

HRESULT CShapeAttributeMap::Add(CAttributeValue* value)
{
    if (!value)
        return E_INVALIDARG;
    if (!Accepts(value->GetId()))
        return E_ACCESSDENIED;
    if (CAttributeBase* present = Find(value->GetId())) {
        if (present == value)
            return S_FALSE;
        RemoveByKey(value->GetId());
    }
    CAttributeMap* site = m_owner && m_owner->GetControl() ? m_owner->GetControl()->GetAttributeMap() : nullptr;
    if (site && value->GetSiteMap() != site)
        site->Add(value);
    value->AddOwner(m_owner ? m_owner->GetId() : -100);
    // A value taken from another shape's map: that map's use goes with it.
    if (CShapeAttributeMap* other = value->GetShapeMap(); other && other != this) {
        other->DetachByKey(value->GetId());
        value->Release(other->GetOwnerShape() ? other->GetOwnerShape()->GetId() : -100);
    }
    value->SetOwnerMap(this);
    Insert(value);
    return S_OK;
}

CAttributeValue* CShapeAttributeMap::Create(int id, int databaseId, const VARIANT& variant)
{
    if (!Accepts(id))
        return nullptr;
    CAttributeValue* value = FindValue(id);
    if (!value) {
        CAttributeMap* site = m_owner && m_owner->GetControl() ? m_owner->GetControl()->GetAttributeMap() : nullptr;
        if (!site)
            return nullptr;
        value = site->Create(id, databaseId, variant);
        if (!value)
            return nullptr;
        value->SetOwnerMap(this);
        Insert(value); // the use it was made with belongs to this map
        return value;
    }
    value->UpdateDatabaseId(databaseId);
    value->SetValue(variant);
    return value;
}

void CShapeAttributeMap::Resync(bool create)
{
    const std::set<int> accepted = AcceptedIds();
    std::vector<int> drop;
    for (int i = 0; i < GetCount(); ++i)
        if (!accepted.count(GetAt(i)->GetId()))
            drop.push_back(GetAt(i)->GetId());
    for (int id : drop)
        RemoveByKey(id);
    if (!create)
        return;
    VARIANT empty;
    VariantInit(&empty);
    for (int id : accepted)
        if (!Find(id))
            Create(id, 0, empty);
}
