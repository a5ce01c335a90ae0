#include "automation/AttributeTypeObject.h"
#include "com/AnsiText.h"
#include "model/AttributeTypeMap.h"

CAttributeType* CAttributeTypeObject::ResolveObject(CYVEXControl* control, LONG_PTR data)
{
    CAttributeTypeMap* map = control->GetAttributeTypeMap();
    for (int i = 0; map && data && i < map->GetCount(); ++i)
        if (reinterpret_cast<LONG_PTR>(map->GetAt(i)) == data)
            return static_cast<CAttributeType*>(map->GetAt(i));
    return nullptr;
}

void CAttributeTypeObject::StoreDatabaseId(LONG id) { m_object->SetDatabaseId(id); }


// IAttributeType
STDMETHODIMP CAttributeTypeObject::get_Name(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        if (!m_object)
            return E_POINTER;
        return AttributeText::Copy(m_object->GetName(), pVal);
    });
}
STDMETHODIMP CAttributeTypeObject::put_Name(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        const std::wstring name = AttributeText::Of(newVal);
        if (name == m_object->GetName())
            return S_OK;
        Modified();
        m_object->SetName(name);
        return S_OK;
    });
}
STDMETHODIMP CAttributeTypeObject::get_Format(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        if (!m_object)
            return E_POINTER;
        return AttributeText::Copy(m_object->GetFormat(), pVal);
    });
}
STDMETHODIMP CAttributeTypeObject::put_Format(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        Modified();
        m_object->SetFormat(AttributeText::Of(newVal));
        return S_OK;
    });
}
STDMETHODIMP CAttributeTypeObject::get_Prompt(BSTR* pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        if (!m_object)
            return E_POINTER;
        return AttributeText::Copy(m_object->GetPrompt(), pVal);
    });
}
STDMETHODIMP CAttributeTypeObject::put_Prompt(BSTR newVal)
{
    return Guarded([&]() -> HRESULT {
        if (!m_object)
            return E_POINTER;
        Modified();
        m_object->SetPrompt(AttributeText::Of(newVal));
        return S_OK;
    });
}
