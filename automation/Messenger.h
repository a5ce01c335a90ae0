#pragma once
// The Messenger class (Messenger Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

class CMessenger : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IMessenger, &IID_IMessenger>,
    public ycom::SupportErrorInfoImpl<&IID_IMessenger> {
public:
    DECLARE_CLASS_ID(CLSID_Messenger)
    BEGIN_INTERFACE_MAP(CMessenger)
        INTERFACE_ENTRY(IMessenger)
        INTERFACE_ENTRY2(IDispatch, IMessenger)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IMessenger
    STDMETHODIMP get_SessionID(LONG *pVal) override;
    STDMETHODIMP put_SessionID(LONG newVal) override;
    STDMETHODIMP SendMessage(MessageTypes messageType, LONG siteDatabaseID, LONG shapeDatabaseID) override;
    STDMETHODIMP ProcessMessages() override;
    STDMETHODIMP ProcessUpdateShapeMessage(LONG DatabaseID) override;
    STDMETHODIMP ProcessDeleteShapeMessage(LONG DatabaseID) override;
    STDMETHODIMP get_ReceiveMessages(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ReceiveMessages(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_ReceiveTimeout(LONG *pVal) override;
    STDMETHODIMP put_ReceiveTimeout(LONG newVal) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;
    STDMETHODIMP get_DSN(BSTR *pVal) override;
    STDMETHODIMP put_DSN(BSTR newVal) override;
    STDMETHODIMP get_UserName(BSTR *pVal) override;
    STDMETHODIMP put_UserName(BSTR newVal) override;
    STDMETHODIMP put_Password(BSTR newVal) override;
    STDMETHODIMP OpenSession() override;
    STDMETHODIMP CloseSession() override;
private:
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
};
