#include "automation/Messenger.h"
#include <cstring>
#include <string>
#include <vector>
#include "control/ShapeMap.h"
#include "control/YVEXControl.h"
#include "persistence/MessengerReceiver.h"
#include "persistence/MessengerSender.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/MaxIdReader.h"
#include "persistence/sql/MessengerSql.h"
#include "com/AnsiText.h"
#include "platform/com/Guard.h"

namespace {

std::string Narrow(BSTR text) { return text ? ycom::WideToAnsi(text) : std::string(); }

// A copy of the value; null for an unset one.
HRESULT ToBstr(const std::string& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_OK;
    const std::wstring wide = ycom::AnsiToWide(text);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CMessenger::CMessenger()
    : m_sender(std::make_shared<CMessengerSender>()), m_receiver(std::make_shared<CMessengerReceiver>())
{
}

CMessenger::~CMessenger()
{
    // Threads still reading may outlive this object; what they read no longer goes anywhere.
    m_receiver->SetWindow(nullptr, 0);
    if (m_timer && m_timerWindow && IsWindow(m_timerWindow))
        KillTimer(m_timerWindow, m_timer);
}

void CMessenger::SetLogin(const CMessengerLogin& login)
{
    m_login = login;
    m_sender->SetLogin(login);
    m_receiver->SetLogin(login);
}

HRESULT CMessenger::PutLoginText(std::string CMessengerLogin::*field, BSTR value)
{
    CMessengerLogin login = m_login;
    login.*field = Narrow(value);
    SetLogin(login);
    return S_OK;
}

// IMessenger
STDMETHODIMP CMessenger::get_SessionID(LONG* pVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        if (!pVal)
            return E_POINTER;
        *pVal = m_sessionId;
        return S_OK;
    });
}

STDMETHODIMP CMessenger::put_SessionID(LONG newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        m_sessionId = newVal;
        m_receiver->SetSessionId(newVal);
        return S_OK;
    });
}

STDMETHODIMP CMessenger::SendMessage(MessageTypes messageType, LONG siteDatabaseID, LONG shapeDatabaseID)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        CMessengerMessage message;
        message.type = static_cast<int>(messageType);
        message.siteDbId = siteDatabaseID;
        message.shapeDbId = shapeDatabaseID;
        message.sessionId = m_sessionId;
        return m_sender->Send(message);
    });
}

STDMETHODIMP CMessenger::ProcessMessages()
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        // What an earlier poll read while the control had no window is applied here, on the
        // control's thread.
        for (const CReceivedMessage& message : m_receiver->TakeReceived())
            if (m_control)
                m_control->ApplyChangeMessage(message.type, message.values[0], message.values[1]);
        m_receiver->SetWindow(m_control ? m_control->GetControlWindow() : nullptr,
                              CYVEXControl::kChangeMessage);
        return m_receiver->Poll();
    });
}

STDMETHODIMP CMessenger::ProcessUpdateShapeMessage(LONG DatabaseID)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        if (!m_control)
            return E_FAIL;
        return m_control->GetShapeMap().ReloadShapeFromDb(DatabaseID);
    });
}

STDMETHODIMP CMessenger::ProcessDeleteShapeMessage(LONG DatabaseID)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        if (!m_control)
            return E_FAIL;
        return m_control->GetShapeMap().RemoveShapeOnMessage(DatabaseID);
    });
}

STDMETHODIMP CMessenger::get_ReceiveMessages(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        if (pVal)
            *pVal = m_receive;
        return S_OK;
    });
}

STDMETHODIMP CMessenger::put_ReceiveMessages(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        m_receive = newVal ? VARIANT_TRUE : VARIANT_FALSE;
        RestartReceiveTimer(m_receiveTimeout);
        return S_OK;
    });
}

STDMETHODIMP CMessenger::get_ReceiveTimeout(LONG* pVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        if (!pVal)
            return E_POINTER;
        *pVal = m_receiveTimeout;
        return S_OK;
    });
}

STDMETHODIMP CMessenger::put_ReceiveTimeout(LONG newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        m_receiveTimeout = newVal;
        RestartReceiveTimer(newVal);
        return S_OK;
    });
}

void CMessenger::RestartReceiveTimer(LONG timeout)
{
    HWND window = m_control ? m_control->GetControlWindow() : nullptr;
    if (!window)
        return;
    if (m_timer && m_timerWindow && IsWindow(m_timerWindow))
        KillTimer(m_timerWindow, m_timer);
    m_timer = 0;
    m_timerWindow = nullptr;
    // A negative timeout would be a period of weeks: it stops polling like 0.
    if (m_receive && timeout > 0) {
        m_timer = SetTimer(window, kReceiveTimerId, static_cast<UINT>(timeout), nullptr);
        if (m_timer)
            m_timerWindow = window;
    }
}

STDMETHODIMP CMessenger::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(newVal, &control));
        // A messenger of the host's own keeps the control it works on alive; the control's inner
        // messenger never does (the control would keep itself).
        m_controlRef.Reset();
        if (control && !OuterUnknown())
            m_controlRef = static_cast<IYVEXControl*>(control);
        m_control = control;
        if (m_control)
            SetLogin({m_control->GetDataSource(), m_control->GetUserName(), m_control->GetPassword()});
        return S_OK;
    });
}

STDMETHODIMP CMessenger::get_DSN(BSTR* pVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT { return ToBstr(m_login.dataSource, pVal); });
}

STDMETHODIMP CMessenger::put_DSN(BSTR newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT { return PutLoginText(&CMessengerLogin::dataSource, newVal); });
}

STDMETHODIMP CMessenger::get_UserName(BSTR* pVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT { return ToBstr(m_login.userName, pVal); });
}

STDMETHODIMP CMessenger::put_UserName(BSTR newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT { return PutLoginText(&CMessengerLogin::userName, newVal); });
}

STDMETHODIMP CMessenger::put_Password(BSTR newVal)
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT { return PutLoginText(&CMessengerLogin::password, newVal); });
}

STDMETHODIMP CMessenger::OpenSession()
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        COdbcSession session;
        if (!ConnectMessengerSession(session, m_login))
            return E_FAIL;
        char name[1025] = {};
        DWORD length = sizeof name - 1;
        if (!GetComputerNameA(name, &length) || !name[0])
            strcpy(name, "localhost");
        HRESULT result = E_FAIL;
        int sessionId = 0;
        // Two sessions that open at once read the same largest ID: the later insert is refused
        // and takes the next one.
        for (int attempt = 0; attempt < CMessengerSender::kAttempts; ++attempt) {
            COdbcMessageHold hold;
            OdbcClearLastFailure();
            result = session.Exec(IID_IMessenger, MessengerSql::MaxSessionId);
            if (SUCCEEDED(result)) {
                const int largest = ReadMaxIdResult(session.Statement(), 0);
                sessionId = largest < 0 ? 1 : largest + 1;
                result = session.Exec(IID_IMessenger, MessengerSql::InsertSession, {sessionId},
                                      {OdbcParam::Text(name)});
            }
            const bool retry = FAILED(result) && OdbcIsKeyViolation(OdbcLastFailure()) &&
                               attempt + 1 < CMessengerSender::kAttempts;
            hold.End(!retry);
            if (!retry)
                break;
        }
        session.Disconnect();
        if (SUCCEEDED(result)) {
            m_sessionId = sessionId;
            m_receiver->SetSessionId(sessionId);
        }
        return result;
    });
}

STDMETHODIMP CMessenger::CloseSession()
{
    return ycom::Guard(IID_IMessenger, [&]() -> HRESULT {
        COdbcSession session;
        if (!ConnectMessengerSession(session, m_login))
            return E_FAIL;
        const HRESULT result = session.Exec(IID_IMessenger, MessengerSql::CloseSession, {static_cast<int>(m_sessionId)});
        session.Disconnect();
        return result;
    });
}
