#pragma once
#include <windows.h>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include "persistence/MessengerLogin.h"
#include "persistence/OdbcSession.h"

// One notification for the other sessions: its type (1 update, 2 delete), the site's and the
// shape's database IDs and the sending session.
struct CMessengerMessage
{
    int type = 0;
    int siteDbId = 0;
    int shapeDbId = 0;
    int sessionId = 0;
};

// The sending half of a messenger: each message is written by a thread of its own, as one
// transaction (the message row, its two parameter rows, then the row marked sent), so that other
// sessions see a message whole or not at all. All send threads of the process take turns (one
// send lock); the sender's connection is made by the first send and kept. Held by shared pointer:
// a send thread keeps its sender alive until it is done.
class CMessengerSender : public std::enable_shared_from_this<CMessengerSender>
{
public:
    // Rounds of a transaction whose new ID another session took first (each rereads the largest
    // IDs).
    static constexpr int kAttempts = 8;

    CMessengerSender() = default;
    ~CMessengerSender() = default;
    CMessengerSender(const CMessengerSender&) = delete;
    CMessengerSender& operator=(const CMessengerSender&) = delete;

    void SetLogin(const CMessengerLogin& login);
    CMessengerLogin GetLogin() const;

    // Starts the thread that sends a copy of the message: S_OK, or E_FAIL when the thread cannot
    // start (nothing is sent then). The messages of one sender are written in the order given.
    HRESULT Send(const CMessengerMessage& message);
    // What the thread does, on the caller's thread: 0 after the commit, -1 after a rollback, with
    // the failing step's text kept as the last error.
    int SendNow(const CMessengerMessage& message);
    // The text of the last failed send (empty after a good one).
    std::string GetLastError() const;
    // Send threads started and not yet over.
    int PendingSends() const { return m_pending.load(); }

private:
    // The oldest waiting message, under the send lock.
    int SendNext();
    int SendLocked(const CMessengerMessage& message);
    HRESULT WriteMessage(const CMessengerMessage& message, std::string* error);
    HRESULT NextParameterId(int* id);

    mutable std::mutex m_stateLock;   // the login, the last error and the waiting messages
    CMessengerLogin m_login;
    std::string m_lastError;
    std::deque<CMessengerMessage> m_queue;
    COdbcSession m_session;           // used under the process-wide send lock only
    std::atomic<int> m_pending{0};
};
