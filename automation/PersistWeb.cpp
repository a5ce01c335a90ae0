#include "automation/PersistWeb.h"
#include "control/YVEXControl.h"

// IPersistWeb
STDMETHODIMP CPersistWeb::get_Project(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::put_Project(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::get_URL(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::put_URL(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::get_User(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::put_User(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::get_Password(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::put_Password(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::Load(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPersistWeb::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IPersistWeb, [&]() -> HRESULT {
        return CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
    });
}
