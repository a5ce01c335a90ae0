#include "model/AttributeValue.h"
#include <cstring>
#include "model/AttributeMap.h"
#include "model/ShapeAttributeMap.h"

CAttributeValue::CAttributeValue() { VariantInit(&m_value); }

CAttributeValue::~CAttributeValue() { VariantClear(&m_value); }

CShapeAttributeMap* CAttributeValue::GetShapeMap() const { return dynamic_cast<CShapeAttributeMap*>(m_ownerMap); }

HRESULT CAttributeValue::SetValue(const VARIANT& value)
{
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, const_cast<VARIANT*>(&value));
    if (FAILED(hr))
        return hr;
    VariantClear(&m_value);
    m_value = copy;
    return S_OK;
}

void CAttributeValue::UpdateDatabaseId(int databaseId)
{
    if (databaseId != m_databaseId && m_siteMap) {
        m_siteMap->DatabaseIndex().RemoveIf(m_databaseId, m_siteKey);
        m_siteMap->DatabaseIndex().Add(databaseId, m_siteKey);
    }
    m_databaseId = databaseId;
}

HRESULT CAttributeValue::Equals(const VARIANT& value, bool* equal) const
{
    *equal = false;
    const VARTYPE a = m_value.vt, b = value.vt;
    const bool aNone = a == VT_EMPTY || a == VT_NULL, bNone = b == VT_EMPTY || b == VT_NULL;
    if (aNone || bNone) {
        *equal = aNone && bNone;
        return S_OK;
    }
    auto comparable = [](VARTYPE t) {
        switch (t) {
        case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4:
        case VT_UI8: case VT_UINT: case VT_R4: case VT_R8: case VT_DATE: case VT_CY: case VT_DECIMAL:
        case VT_BOOL: case VT_BSTR: case VT_ERROR:
            return true;
        default:
            return false;
        }
    };
    if (!comparable(a) || !comparable(b))
        return E_INVALIDARG;
    if (a != b)
        return S_OK; // another type is another value
    if (a == VT_BSTR) {
        const UINT la = SysStringLen(m_value.bstrVal), lb = SysStringLen(value.bstrVal);
        *equal = la == lb && (la == 0 || std::memcmp(m_value.bstrVal, value.bstrVal, la * sizeof(OLECHAR)) == 0);
        return S_OK;
    }
    *equal = VarCmp(const_cast<VARIANT*>(&m_value), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0) == VARCMP_EQ;
    return S_OK;
}

void CAttributeValue::OnFinalRelease()
{
    CAttributeBase::OnFinalRelease();
    if (CAttributeMap* map = m_siteMap) {
        m_siteMap = nullptr;
        map->Detach(this);
    }
}
