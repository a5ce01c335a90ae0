#include "automation/AttributeCollection.h"
#include "model/AttributeValue.h"

HRESULT CAttributeCollection::AttachContainer(CYVEXControl* control, LONG_PTR lParam, LONG_PTR)
{
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (lParam && reinterpret_cast<LONG_PTR>(entry.second->FindAttributes()) == lParam) {
            AttachShape(control, AttributeSource::ShapeValues, entry.first);
            return S_OK;
        }
    if (lParam)
        return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
    AttachShape(control, AttributeSource::None, 0);
    return S_OK;
}

// IAttributeCollection
STDMETHODIMP CAttributeCollection::AddAttribute(IAttribute* val)
{
    // A value the shape's groups do not cover leaves the shape as it was; the answer stays S_OK.
    return Guarded([&]() -> HRESULT {
        CKeyedObjectMap* map = Map();
        if (!map)
            return E_FAIL;
        if (!val)
            return E_INVALIDARG;
        CAttributeValue* value = OwnAttributeObject<CAttribute>(val, CLSID_Attribute);
        if (!value)
            return E_INVALIDARG;
        static_cast<CShapeAttributeMap*>(map)->Add(value);
        m_control->SetModified();
        return S_OK;
    });
}
STDMETHODIMP CAttributeCollection::CreateAttribute(LONG newID, LONG newDatabaseID, VARIANT newValue,
                                                   IAttribute** ppAttribute)
{
    return Guarded([&]() -> HRESULT {
        CKeyedObjectMap* map = Map();
        if (!map)
            return E_FAIL;
        if (ppAttribute)
            *ppAttribute = nullptr;
        const VARIANT* value = &newValue;
        if (newValue.vt == (VT_VARIANT | VT_BYREF) && newValue.pvarVal)
            value = newValue.pvarVal;
        CAttributeValue* created = static_cast<CShapeAttributeMap*>(map)->Create(newID, newDatabaseID, *value);
        if (!created)
            return E_FAIL;
        m_control->SetModified();
        return ppAttribute ? get_ItemByID(created->GetId(), ppAttribute) : S_OK;
    });
}
