#pragma once
#include <string>
#include <windows.h>
#include "model/AttributeList.h"
class CAttributeGroupData;
class CAttributeType;
// The attribute types a group lists. A type belongs to one group: inserting it here takes it out
// of another group's list. Removing a type from the list deletes it site-wide (the type map and
// every shape's value of it).
class CAttributeTypeList : public CAttributeList
{
public:
    explicit CAttributeTypeList(CAttributeGroupData* group);
    ~CAttributeTypeList() override;
    CAttributeGroupData* GetGroup() const { return m_group; }
    int Insert(CAttributeBase* element, int index) override;
    int RemoveAt(int index) override;
    CAttributeType* GetType(int index) const;
    // Another type of the same ID goes first; the type is appended and owned by the group.
    HRESULT AddUnique(CAttributeType* type);
    // A type of the group (see the group map's type creation): null without a control.
    CAttributeType* Create(int id, int databaseId, const std::wstring& name, const std::wstring& format,
                           const std::wstring& prompt);
    // Empties the list without deleting the types site-wide (their group is going).
    void ReleaseAll();
private:
    CAttributeGroupData* m_group;
};
