#include "automation/AttributeGroup.h"
#include "automation/AttributeTypeCollection.h"
#include "com/ComObject.h"
#include "model/AttributeGroupMap.h"

CAttributeGroupData* CAttributeGroup::ResolveObject(CYVEXControl* control, LONG_PTR data)
{
    CAttributeGroupMap* map = control->GetAttributeGroupMap();
    for (int i = 0; map && data && i < map->GetCount(); ++i)
        if (reinterpret_cast<LONG_PTR>(map->GetAt(i)) == data)
            return static_cast<CAttributeGroupData*>(map->GetAt(i));
    return nullptr;
}

void CAttributeGroup::StoreDatabaseId(LONG id)
{
    if (CAttributeGroupMap* map = m_object->GetGroupMap(); map && m_object->GetDatabaseId() != id) {
        map->DatabaseIndex().RemoveIf(m_object->GetDatabaseId(), m_object->GetId());
        map->DatabaseIndex().Add(id, m_object->GetId());
    }
    m_object->SetDatabaseId(id);
}

HRESULT NewAttributeGroupObject(CYVEXControl* control, CAttributeGroupData* group, IAttributeGroup** out)
{
    HRESULT hr = S_OK;
    auto object = ycom::NewObject<CAttributeGroup>(&hr);
    if (!object)
        return hr;
    object->Attach(control, group);
    return object->QueryInterface(IID_IAttributeGroup, reinterpret_cast<void**>(out));
}

// IAttributeGroup
STDMETHODIMP CAttributeGroup::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        if (!m_object)
            return E_POINTER;
        return AttributeText::Copy(m_object->GetName(), pVal);
    });
}
STDMETHODIMP CAttributeGroup::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        Modified();
        m_object->SetName(AttributeText::Of(newVal));
        return S_OK;
    });
}
STDMETHODIMP CAttributeGroup::get_AttributeTypes(IAttributeTypeCollection** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        HRESULT hr = S_OK;
        auto collection = ycom::NewObject<CAttributeTypeCollection>(&hr);
        if (!collection)
            return hr;
        collection->AttachGroup(m_control, m_object);
        return collection->QueryInterface(IID_IAttributeTypeCollection, reinterpret_cast<void**>(pVal));
    });
}
STDMETHODIMP CAttributeGroup::get_ParentGroup(IAttributeGroup** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        return NewAttributeGroupObject(m_control, m_object->GetParent(), pVal);
    });
}
STDMETHODIMP CAttributeGroup::put_ParentGroup(IAttributeGroup* newVal)
{
    // The parent is taken by the ID its object reports, from this site's groups: a group of
    // another site or an object of another server is refused. A group whose chain leads back to
    // this one would close a loop and is refused as the group itself is.
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        if (!newVal)
            return E_INVALIDARG;
        LONG id = 0;
        const HRESULT named = newVal->get_ID(&id);
        CAttributeGroupData* parent = nullptr;
        if (named == E_POINTER) {
            parent = nullptr; // an object that holds nothing clears the parent
        } else {
            RETURN_IF_FAILED(named);
            CAttributeGroupMap* map = m_control ? m_control->GetAttributeGroupMap() : nullptr;
            parent = map ? map->FindGroup(id) : nullptr;
            if (!parent || parent == m_object)
                return E_INVALIDARG;
        }
        if (parent && parent->ChainHolds(m_object))
            return E_INVALIDARG;
        Modified();
        return m_object->SetParentGroup(parent);
    });
}
