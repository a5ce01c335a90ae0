#include "automation/AttributeGroupCollection.h"

HRESULT CAttributeGroupCollection::AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR)
{
    if (lParam && lParam != reinterpret_cast<LONG_PTR>(control->GetAttributeGroupMap()))
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    AttachSite(control, lParam ? AttributeSource::SiteGroups : AttributeSource::None);
    return S_OK;
}

// IAttributeGroupCollection
STDMETHODIMP CAttributeGroupCollection::AddAttributeGroup(IAttributeGroup* val)
{
    return Guarded([&]() -> HRESULT {
        if (!Map())
            return E_FAIL;
        if (!val)
            return E_INVALIDARG;
        CAttributeGroupData* group = OwnAttributeObject<CAttributeGroup>(val, CLSID_AttributeGroup);
        if (!group)
            return E_INVALIDARG;
        m_control->SetModified();
        m_control->GetAttributeGroupMap()->Add(group);
        return S_OK;
    });
}
STDMETHODIMP CAttributeGroupCollection::CreateAttributeGroup(LONG newID, LONG newDatabaseID, BSTR newName,
                                                             IAttributeGroup** ppAttributeGroup)
{
    return Guarded([&]() -> HRESULT {
        if (!Map())
            return E_FAIL;
        if (ppAttributeGroup)
            *ppAttributeGroup = nullptr;
        CAttributeGroupData* group =
            m_control->GetAttributeGroupMap()->Create(newID, newDatabaseID, AttributeText::Of(newName));
        if (!group)
            return E_FAIL;
        m_control->SetModified();
        return ppAttributeGroup ? get_ItemByID(group->GetId(), ppAttributeGroup) : S_OK;
    });
}
