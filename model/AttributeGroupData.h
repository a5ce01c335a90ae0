#pragma once
#include <set>
#include <string>
#include <windows.h>
#include "model/AttributeBase.h"
#include "model/AttributeTypeList.h"
class CAttributeGroupMap;
class CShapeHost;
// A named list of attribute types, with an optional parent group whose types it inherits. A
// shape given the group accepts values of every type along the chain. The group holds one use of
// its parent; the chain never closes into a loop.
class CAttributeGroupData : public CAttributeBase
{
public:
    explicit CAttributeGroupData(CShapeHost* control = nullptr);
    ~CAttributeGroupData() override;
    CAttributeTypeList& GetTypes() { return m_types; }
    const CAttributeTypeList& GetTypes() const { return m_types; }
    CAttributeGroupMap* GetGroupMap() const;
    CShapeHost* GetControl() const { return m_control; }
    void SetControl(CShapeHost* control) { m_control = control; }
    const std::wstring& GetName() const { return m_name; }
    void SetName(const std::wstring& name) { m_name = name; }
    CAttributeGroupData* GetParent() const { return m_parent; }
    // Swaps the parent's use (owner -100); nothing when unchanged.
    void LinkParent(CAttributeGroupData* parent);
    // E_INVALIDARG when the parent's chain reaches this group (a loop); else the parent is linked
    // and, when there was one before, every shape is re-synchronised.
    HRESULT SetParentGroup(CAttributeGroupData* parent);
    // Whether `group` is this group or one up its parent chain.
    bool ChainHolds(const CAttributeGroupData* group) const;
    // The IDs of the group's types and of its chain's, into the set; the number added.
    int CollectAttributeIds(std::set<int>& ids) const;
    // Every shape of the site drops the values its groups no longer cover.
    void ResyncShapes();
    // The COM class that wraps a group.
    virtual const CLSID& GetWrapperClassId() const;
private:
    CAttributeTypeList m_types;
    CAttributeGroupData* m_parent = nullptr;
    CShapeHost* m_control;
    std::wstring m_name;
};
