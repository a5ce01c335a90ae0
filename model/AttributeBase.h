#pragma once
#include <set>
#include "model/CountedObject.h"

class CKeyedObjectMap;

// The counted base of the attribute objects that shapes hold (attribute values and groups): the
// shapes using it by owner ID, its ID and database ID, and the keyed map that owns it, if any.
class CAttributeBase : public CCountedObject
{
public:
    // The owner ID (unless kNoOwnerId) joins the owners and the object takes one use.
    LONG AddOwner(int ownerId);
    // The owner ID (unless kNoOwnerId) leaves the owners, then one use goes.
    LONG Release(int ownerId) override;

    const std::set<int>& GetOwners() const { return m_owners; }
    int GetId() const { return m_id; }
    void SetId(int id) { m_id = id; }
    int GetDatabaseId() const { return m_databaseId; }
    void SetDatabaseId(int id) { m_databaseId = id; }
    CKeyedObjectMap* GetOwnerMap() const { return m_ownerMap; }
    void SetOwnerMap(CKeyedObjectMap* map) { m_ownerMap = map; }

protected:
    // The owning map drops its entry before the object goes.
    void OnFinalRelease() override;

    std::set<int> m_owners;
    CKeyedObjectMap* m_ownerMap = nullptr;
    int m_id = 0;
    int m_databaseId = 0;
};
