#include "automation/Attribute.h"
#include "model/AttributeMap.h"

CAttributeValue* CAttribute::ResolveObject(CYVEXControl* control, LONG_PTR data)
{
    CAttributeMap* map = control->GetAttributeMap();
    if (!map || !data)
        return nullptr;
    for (const auto& entry : map->Values())
        if (reinterpret_cast<LONG_PTR>(entry.second) == data)
            return entry.second;
    return nullptr;
}

void CAttribute::StoreDatabaseId(LONG id) { m_object->UpdateDatabaseId(id); }

// IAttribute
STDMETHODIMP CAttribute::get_Value(VARIANT* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        if (!m_object)
            return E_POINTER;
        VariantInit(pVal);
        return VariantCopy(pVal, const_cast<VARIANT*>(&m_object->GetValue()));
    });
}
STDMETHODIMP CAttribute::put_Value(VARIANT newVal)
{
    // A value of a type that cannot be compared is refused and nothing is stored.
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        const VARIANT* value = &newVal;
        if (newVal.vt == (VT_VARIANT | VT_BYREF) && newVal.pvarVal)
            value = newVal.pvarVal;
        bool equal = false;
        RETURN_IF_FAILED(m_object->Equals(*value, &equal));
        if (!equal)
            Modified();
        return m_object->SetValue(*value);
    });
}
