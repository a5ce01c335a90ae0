#include "model/AttributeBase.h"
#include "automation/ResultCodes.h"
#include "model/KeyedObjectMap.h"

LONG CAttributeBase::AddOwner(int ownerId)
{
    if (ownerId != kNoOwnerId)
        m_owners.insert(ownerId);
    return AddUse();
}

LONG CAttributeBase::Release(int ownerId)
{
    if (ownerId != kNoOwnerId)
        m_owners.erase(ownerId);
    return CCountedObject::Release(ownerId);
}

void CAttributeBase::OnFinalRelease()
{
    if (CKeyedObjectMap* map = m_ownerMap) {
        m_ownerMap = nullptr;
        map->DetachByKey(map->GetKey(this));
    }
}
