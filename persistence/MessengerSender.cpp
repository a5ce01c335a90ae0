#include "persistence/MessengerSender.h"
#include <oleauto.h>
#include "persistence/MaxIdReader.h"
#include "persistence/MessageIdQuery.h"
#include "persistence/MessengerThreads.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcTransaction.h"
#include "persistence/sql/MessengerSql.h"
#include "com/AnsiText.h"
#include "com/HResult.h"
#include "YVEX_h.h"

void CMessengerSender::SetLogin(const CMessengerLogin& login)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_login = login;
}

CMessengerLogin CMessengerSender::GetLogin() const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    return m_login;
}

std::string CMessengerSender::GetLastError() const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    return m_lastError;
}

HRESULT CMessengerSender::Send(const CMessengerMessage& message)
{
    // The thread sends a copy kept in the queue, so that a second send changes nothing of the
    // first; it keeps this sender alive while it runs.
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        m_queue.push_back(message);
    }
    ++m_pending;
    std::shared_ptr<CMessengerSender> self = shared_from_this();
    const bool started = StartMessengerThread([self] {
        const int code = self->SendNext();
        --self->m_pending;
        return code;
    });
    if (started)
        return S_OK;
    --m_pending;
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_queue.pop_back();
    return E_FAIL;
}

namespace {

// The description of the COM error info that a failed statement left on this thread.
std::string TakeErrorText()
{
    std::string text;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR description = nullptr;
        if (SUCCEEDED(info->GetDescription(&description)))
            text = ycom::WideToAnsi(description);
        SysFreeString(description);
        info->Release();
    }
    return text;
}

} // namespace

int CMessengerSender::SendNow(const CMessengerMessage& message)
{
    std::lock_guard<std::mutex> sendLock(MessengerSendLock());
    return SendLocked(message);
}

int CMessengerSender::SendNext()
{
    std::lock_guard<std::mutex> sendLock(MessengerSendLock());
    CMessengerMessage message;
    {
        // The threads of one sender may take the lock in any order: each sends the oldest
        // message, so the other sessions read them in the order they were given.
        std::lock_guard<std::mutex> lock(m_stateLock);
        if (m_queue.empty())
            return -1;
        message = m_queue.front();
        m_queue.pop_front();
    }
    return SendLocked(message);
}

int CMessengerSender::SendLocked(const CMessengerMessage& message)
{
    std::string error;
    if (!ConnectMessengerSession(m_session, GetLogin(), &error)) {
        std::lock_guard<std::mutex> lock(m_stateLock);
        m_lastError = error.empty() ? "Not connected." : error;
        return -1;
    }
    HRESULT result = E_FAIL;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Another session that took the same new ID first is no failure to show: the
        // transaction runs again with the IDs read anew.
        COdbcMessageHold hold;
        OdbcClearLastFailure();
        error.clear();
        result = WriteMessage(message, &error);
        const bool retry = FAILED(result) && OdbcIsKeyViolation(OdbcLastFailure()) && attempt + 1 < kAttempts;
        hold.End(!retry);
        if (!retry)
            break;
        Sleep(static_cast<DWORD>(1 + (GetTickCount() + attempt * 7) % 13));
    }
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_lastError = SUCCEEDED(result) ? std::string() : error;
    return SUCCEEDED(result) ? 0 : -1;
}

HRESULT CMessengerSender::NextParameterId(int* id)
{
    RETURN_IF_FAILED(m_session.Exec(IID_IMessenger, MessengerSql::MaxParameterId));
    // None, or a negative largest ID, starts at 1.
    const int largest = ReadMaxIdResult(m_session.Statement(), 0);
    *id = largest < 0 ? 1 : largest + 1;
    return S_OK;
}

HRESULT CMessengerSender::WriteMessage(const CMessengerMessage& message, std::string* error)
{
    COdbcTransaction transaction(m_session);
    auto step = [&](HRESULT hr) {
        if (FAILED(hr) && error->empty())
            *error = TakeErrorText();
        return hr;
    };
    HRESULT hr = step(transaction.Begin(IID_IMessenger));
    if (SUCCEEDED(hr))
        hr = step(m_session.Exec(IID_IMessenger, MessengerSql::LockQueue));
    int messageId = -1;
    if (SUCCEEDED(hr) && QueryMaxMessageId(m_session, &messageId, error) != SQL_NO_DATA)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = step(m_session.Exec(IID_IMessenger, MessengerSql::InsertMessage,
                                 {messageId, message.type, message.sessionId}));
    for (int value : {message.siteDbId, message.shapeDbId}) {
        int parameterId = 0;
        if (SUCCEEDED(hr))
            hr = step(NextParameterId(&parameterId));
        if (SUCCEEDED(hr))
            hr = step(m_session.Exec(IID_IMessenger, MessengerSql::InsertParameter, {parameterId, messageId, value}));
    }
    if (SUCCEEDED(hr))
        hr = step(m_session.Exec(IID_IMessenger, MessengerSql::MarkMessageSent, {messageId}));
    if (SUCCEEDED(hr))
        hr = step(transaction.Commit(IID_IMessenger));
    // A failed step leaves nothing behind.
    if (FAILED(hr))
        transaction.Rollback();
    return hr;
}
