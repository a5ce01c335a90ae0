#include "automation/ShapeAttributeGroupCollection.h"

HRESULT CShapeAttributeGroupCollection::AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR)
{
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (lParam && reinterpret_cast<LONG_PTR>(entry.second->FindAttributeGroups()) == lParam) {
            AttachShape(control, AttributeSource::ShapeGroups, entry.first);
            return S_OK;
        }
    if (lParam)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    AttachShape(control, AttributeSource::None, 0);
    return S_OK;
}

// IShapeAttributeGroupCollection
STDMETHODIMP CShapeAttributeGroupCollection::AddAttributeGroup(IAttributeGroup* val)
{
    return Guarded([&]() -> HRESULT {
        CAttributeList* list = List();
        if (!list)
            return E_FAIL;
        if (!val)
            return E_INVALIDARG;
        CAttributeGroupData* group = OwnAttributeObject<CAttributeGroup>(val, CLSID_AttributeGroup);
        if (!group)
            return E_INVALIDARG;
        m_control->SetModified();
        list->Insert(group, -1);
        return S_OK;
    });
}
