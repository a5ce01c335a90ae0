#include "persistence/MessengerReceiver.h"
#include <algorithm>
#include <map>
#include "persistence/MessageIdQuery.h"
#include "persistence/MessengerThreads.h"
#include "persistence/Odbc.h"
#include "persistence/sql/MessengerSql.h"
#include "YVEX_h.h"

namespace {

// The mailboxes of the windows that apply received messages: every receiver of the process
// delivers into them, and each window's thread takes its own.
struct Mailboxes
{
    std::mutex lock;
    std::map<HWND, std::vector<CReceivedMessage>> byWindow;
};

Mailboxes& WindowMailboxes()
{
    static Mailboxes* mailboxes = new Mailboxes;
    return *mailboxes;
}

} // namespace

std::vector<CReceivedMessage> CMessengerReceiver::TakeForWindow(HWND window)
{
    Mailboxes& mailboxes = WindowMailboxes();
    std::lock_guard<std::mutex> lock(mailboxes.lock);
    std::vector<CReceivedMessage> out;
    auto it = mailboxes.byWindow.find(window);
    if (it != mailboxes.byWindow.end()) {
        out.swap(it->second);
        mailboxes.byWindow.erase(it);
    }
    return out;
}

void CMessengerReceiver::SetLogin(const CMessengerLogin& login)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_login = login;
}

void CMessengerReceiver::SetWindow(HWND window, UINT message)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_window = window;
    m_windowMessage = message;
}

std::vector<CReceivedMessage> CMessengerReceiver::TakeReceived()
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    std::vector<CReceivedMessage> out(m_waiting.begin(), m_waiting.end());
    m_waiting.clear();
    return out;
}

bool CMessengerReceiver::ConnectLocked()
{
    CMessengerLogin login;
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        login = m_login;
    }
    return ConnectMessengerSession(m_session, login);
}

HRESULT CMessengerReceiver::Poll()
{
    {
        std::lock_guard<std::mutex> receiveLock(MessengerReceiveLock());
        // A failed connection is not the caller's concern: the thread's query fails.
        if (ConnectLocked() && m_lastSeen < 0) {
            // What the queue holds before the first poll is history, not news.
            int next = -1;
            if (QueryMaxMessageId(m_session, &next, nullptr) == SQL_NO_DATA)
                m_lastSeen = next - 1;
        }
    }
    ++m_pending;
    std::shared_ptr<CMessengerReceiver> self = shared_from_this();
    const bool started = StartMessengerThread([self] {
        const int code = self->ReceiveNow();
        --self->m_pending;
        return code;
    });
    if (started)
        return S_OK;
    --m_pending;
    return E_FAIL;
}

int CMessengerReceiver::ReceiveNow()
{
    std::lock_guard<std::mutex> receiveLock(MessengerReceiveLock());
    // Not yet started after the queue's history: nothing is news yet.
    if (!m_session.IsConnected() || m_lastSeen < 0)
        return 0;
    if (FAILED(m_session.Exec(IID_IMessenger, MessengerSql::SelectNewMessages, {m_lastSeen.load(), m_sessionId.load()})))
        return 0;
    SQLHSTMT hstmt = m_session.Statement();
    // The rows are read first and the cursor closed: the parameters are read on the same
    // connection.
    std::vector<CReceivedMessage> messages;
    while (SQL_SUCCEEDED(SQLFetch(hstmt))) {
        CReceivedMessage message;
        SQLINTEGER value = 0;
        SQLLEN indicator = 0;
        SQLGetData(hstmt, 1, SQL_C_SLONG, &value, 0, &indicator);
        message.messageId = indicator == SQL_NULL_DATA ? 0 : static_cast<int>(value);
        value = 0;
        SQLGetData(hstmt, 2, SQL_C_SLONG, &value, 0, &indicator);
        message.type = indicator == SQL_NULL_DATA ? 0 : static_cast<int>(value);
        messages.push_back(message);
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
    SQLFreeStmt(hstmt, SQL_UNBIND);
    // The query names no order: the messages are taken in the order they were numbered.
    std::sort(messages.begin(), messages.end(),
              [](const CReceivedMessage& a, const CReceivedMessage& b) { return a.messageId < b.messageId; });
    for (CReceivedMessage& message : messages) {
        // A message whose values cannot be read now is read again by the next poll, and so is
        // every one after it (they keep their order).
        if (!ReadParameters(message))
            break;
        if (message.messageId > m_lastSeen)
            m_lastSeen = message.messageId;
        if (message.values.size() >= 2)
            Deliver(message);
    }
    return 1;
}

bool CMessengerReceiver::ReadParameters(CReceivedMessage& message)
{
    SQLHSTMT hstmt = m_session.Statement();
    std::string text;
    if (!m_session.Format(MessengerSql::SelectParameters, text, {message.messageId}))
        return false;
    const SQLRETURN result = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    if (!SQL_SUCCEEDED(result)) {
        OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "Error", true, m_session.Dialect());
        SQLFreeStmt(hstmt, SQL_CLOSE);
        return false;
    }
    // By position: 3 an integer, 4 the integer value kept, 5 a date, 6 a real, 7 the bit, 8 text
    // of at most 1024 bytes; a row whose text cannot be read is left out.
    while (SQL_SUCCEEDED(SQLFetch(hstmt))) {
        SQLINTEGER type = 0, value = 0;
        SQLLEN indicator = 0, valueIndicator = 0;
        TIMESTAMP_STRUCT date = {};
        double real = 0;
        SQLSMALLINT bit = 0;
        char chars[1025] = {};
        SQLGetData(hstmt, 3, SQL_C_SLONG, &type, 0, &indicator);
        SQLGetData(hstmt, 4, SQL_C_SLONG, &value, 0, &valueIndicator);
        SQLGetData(hstmt, 5, SQL_C_TYPE_TIMESTAMP, &date, sizeof date, &indicator);
        SQLGetData(hstmt, 6, SQL_C_DOUBLE, &real, 0, &indicator);
        SQLGetData(hstmt, 7, SQL_C_SSHORT, &bit, 0, &indicator);
        if (!SQL_SUCCEEDED(SQLGetData(hstmt, 8, SQL_C_CHAR, chars, sizeof chars, &indicator)))
            continue;
        message.values.push_back(valueIndicator == SQL_NULL_DATA ? 0 : static_cast<int>(value));
    }
    while (SQLMoreResults(hstmt) == SQL_SUCCESS) {
    }
    SQLFreeStmt(hstmt, SQL_CLOSE);
    return true;
}

void CMessengerReceiver::Deliver(const CReceivedMessage& message)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    if (m_window && IsWindow(m_window)) {
        Mailboxes& mailboxes = WindowMailboxes();
        {
            std::lock_guard<std::mutex> mailboxLock(mailboxes.lock);
            mailboxes.byWindow[m_window].push_back(message);
        }
        // The window's thread takes its mailbox when the wake-up arrives.
        if (PostMessageW(m_window, m_windowMessage, 0, 0))
            return;
        // No wake-up: what the mailbox holds waits here for the control's thread.
        for (CReceivedMessage& waiting : TakeForWindow(m_window))
            m_waiting.push_back(std::move(waiting));
        return;
    }
    m_waiting.push_back(message);
}
