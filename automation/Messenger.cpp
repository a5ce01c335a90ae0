#include "automation/Messenger.h"
#include "control/YVEXControl.h"

// IMessenger
STDMETHODIMP CMessenger::get_SessionID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_SessionID(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::SendMessage(MessageTypes, LONG, LONG) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::ProcessMessages() { return E_NOTIMPL; }
STDMETHODIMP CMessenger::ProcessUpdateShapeMessage(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::ProcessDeleteShapeMessage(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::get_ReceiveMessages(VARIANT_BOOL *) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_ReceiveMessages(VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::get_ReceiveTimeout(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_ReceiveTimeout(LONG) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CMessenger::get_DSN(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_DSN(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::get_UserName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_UserName(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::put_Password(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CMessenger::OpenSession() { return E_NOTIMPL; }
STDMETHODIMP CMessenger::CloseSession() { return E_NOTIMPL; }
