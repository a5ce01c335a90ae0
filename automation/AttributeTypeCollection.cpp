#include "automation/AttributeTypeCollection.h"
#include "model/AttributeType.h"

HRESULT CAttributeTypeCollection::AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR wParam)
{
    if (lParam) {
        CAttributeGroupMap* groups = control->GetAttributeGroupMap();
        for (int i = 0; groups && i < groups->GetCount(); ++i) {
            auto* group = static_cast<CAttributeGroupData*>(groups->GetAt(i));
            if (reinterpret_cast<LONG_PTR>(&group->GetTypes()) == lParam) {
                AttachGroup(control, group);
                return S_OK;
            }
        }
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    }
    if (wParam && wParam != reinterpret_cast<LONG_PTR>(control->GetAttributeTypeMap()))
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    AttachSite(control, wParam ? AttributeSource::SiteTypes : AttributeSource::None);
    return S_OK;
}

// IAttributeTypeCollection
STDMETHODIMP CAttributeTypeCollection::AddAttributeType(IAttributeType* val)
{
    return Guarded([&]() -> HRESULT {
        if (!HasContainer())
            return E_FAIL;
        if (!val)
            return E_INVALIDARG;
        CAttributeType* type = OwnAttributeObject<CAttributeTypeObject>(val, CLSID_AttributeType);
        if (!type)
            return E_INVALIDARG;
        m_control->SetModified();
        if (m_source == AttributeSource::GroupTypes)
            return m_group->GetTypes().AddUnique(type);
        m_control->GetAttributeTypeMap()->Add(type);
        return S_OK;
    });
}
STDMETHODIMP CAttributeTypeCollection::CreateAttributeType(LONG newID, LONG newDatabaseID, BSTR newName, BSTR Format,
                                                           BSTR Prompt, IAttributeType** ppAttributeType)
{
    // The site's types take a type of no group: it joins a group when a group's types add it.
    return Guarded([&]() -> HRESULT {
        if (!HasContainer())
            return E_FAIL;
        if (ppAttributeType)
            *ppAttributeType = nullptr;
        const std::wstring name = AttributeText::Of(newName), format = AttributeText::Of(Format),
                           prompt = AttributeText::Of(Prompt);
        CAttributeType* type = nullptr;
        if (m_source == AttributeSource::GroupTypes) {
            type = m_group->GetTypes().Create(newID, newDatabaseID, name, format, prompt);
        } else {
            CAttributeTypeMap* map = m_control->GetAttributeTypeMap();
            type = map->FindType(newID);
            if (!type) {
                type = new CAttributeType();
                type->SetId(newID);
                type->SetDatabaseId(newDatabaseID);
                type->SetNameField(name);
                type->SetFormat(format);
                type->SetPrompt(prompt);
                map->Add(type);
                type->Release(kNoOwnerId); // the map holds it
            }
        }
        if (!type)
            return E_FAIL;
        m_control->SetModified();
        return ppAttributeType ? get_ItemByID(type->GetId(), ppAttributeType) : S_OK;
    });
}
