#include "automation/MenuItem.h"
#include "com/Guard.h"
#include "com/HResult.h"

// IMenuItem
STDMETHODIMP CMenuItem::get_ItemID(LONG* pVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = m_id;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::put_ItemID(LONG newVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        m_id = newVal;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::get_ItemType(LONG* pVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = m_type;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::put_ItemType(LONG newVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        m_type = newVal;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::get_ItemState(LONG* pVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = m_state;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::put_ItemState(LONG newVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        m_state = newVal;
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::get_ItemText(BSTR* pVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (m_hasText)
            RETURN_IF_NULL_ALLOC(*pVal = SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size())));
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::put_ItemText(BSTR newVal)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        m_hasText = newVal != nullptr;
        m_text = newVal ? std::wstring(newVal, SysStringLen(newVal)) : std::wstring();
        return S_OK;
    });
}
STDMETHODIMP CMenuItem::_Init(LONG ItemID, LONG ItemType, LONG ItemState, BSTR ItemText)
{
    return ycom::Guard(IID_IMenuItem, [&]() -> HRESULT {
        m_id = ItemID;
        m_type = ItemType;
        m_state = ItemState;
        return put_ItemText(ItemText);
    });
}
