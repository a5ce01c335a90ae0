#pragma once
// The Messenger class (Messenger Class).
#include <memory>
#include <string>
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "com/Owners.h"
#include "persistence/MessengerLogin.h"
#include "YVEX_h.h"

class CYVEXControl;
class CMessengerSender;
class CMessengerReceiver;

// Tells other sessions of the control about changed and deleted shapes through the message
// queue of the database, and applies what they tell: a sender and a receiver (persistence/) with
// the control's connection data, the session's ID and the receive timer on the control's window.
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

    // The receive timer's identifier on the control's window.
    static constexpr UINT_PTR kReceiveTimerId = 2;
    static constexpr LONG kDefaultReceiveTimeout = 10000;

    CMessenger();
    ~CMessenger();

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

    // Kills the running receive timer and, while receiving is on and the timeout is above 0,
    // sets it again on the control's window. Nothing without a window.
    void RestartReceiveTimer(LONG timeout);
    // The halves, for the control's tests.
    CMessengerSender& Sender() { return *m_sender; }
    CMessengerReceiver& Receiver() { return *m_receiver; }

private:
    // The login goes to the session statements, the sender and the receiver alike.
    void SetLogin(const CMessengerLogin& login);
    // One part of the login set from a property.
    HRESULT PutLoginText(std::string CMessengerLogin::*field, BSTR value);

    // The attached control; null while unattached. A messenger made by a host holds a reference
    // on it (m_controlRef); the control's inner messenger holds none.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    CMessengerLogin m_login;
    std::shared_ptr<CMessengerSender> m_sender;
    std::shared_ptr<CMessengerReceiver> m_receiver;
    LONG m_sessionId = 0;
    VARIANT_BOOL m_receive = VARIANT_TRUE;
    LONG m_receiveTimeout = kDefaultReceiveTimeout;
    UINT_PTR m_timer = 0;
    HWND m_timerWindow = nullptr;
};
