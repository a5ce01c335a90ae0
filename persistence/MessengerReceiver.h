#pragma once
#include <windows.h>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "persistence/MessengerLogin.h"
#include "persistence/OdbcSession.h"

// A message read from the queue: its ID, its type and the integer values of its parameter rows
// in row order (the site's database ID, then the shape's).
struct CReceivedMessage
{
    int messageId = 0;
    int type = 0;
    std::vector<int> values;
};

// The receiving half of a messenger: each poll starts a thread that reads the complete messages
// of other sessions written since the last one seen. The thread changes no drawing: a message
// with its two values goes into the mailbox of the control's window, with a posted message
// (wParam and lParam 0) that wakes the window's thread, which takes the mailbox's messages
// (TakeForWindow) and applies those of its site; without a window it waits in the receiver until
// the control's thread takes it. A message whose parameters cannot be read is not counted as
// seen: the next poll reads it again. All receive threads of the process take turns (one
// receive lock). Held by shared pointer: a receive thread keeps its receiver alive.
class CMessengerReceiver : public std::enable_shared_from_this<CMessengerReceiver>
{
public:
    CMessengerReceiver() = default;
    ~CMessengerReceiver() = default;
    CMessengerReceiver(const CMessengerReceiver&) = delete;
    CMessengerReceiver& operator=(const CMessengerReceiver&) = delete;

    void SetLogin(const CMessengerLogin& login);
    void SetSessionId(int id) { m_sessionId = id; }
    int GetSessionId() const { return m_sessionId; }
    // The largest message ID seen: -1 until the first poll, which starts after what the queue
    // holds then.
    int GetLastSeenId() const { return m_lastSeen; }
    // The window that applies received messages, and the message number it takes them under;
    // null: they wait for TakeReceived.
    void SetWindow(HWND window, UINT message);

    // Connects when not connected, starts after the messages already there on the first call,
    // and starts the receive thread: S_OK, or E_FAIL when the thread cannot start.
    HRESULT Poll();
    // What the thread does, on the caller's thread: 1 when the messages were read, 0 when the
    // query failed.
    int ReceiveNow();
    // The messages that found no window, oldest first; the receiver forgets them.
    std::vector<CReceivedMessage> TakeReceived();
    // The messages delivered to a window's mailbox, oldest first, taken out of it (a window going
    // away takes what it never read).
    static std::vector<CReceivedMessage> TakeForWindow(HWND window);
    // Receive threads started and not yet over.
    int PendingPolls() const { return m_pending.load(); }

private:
    bool ConnectLocked();
    // The message's parameter values; false when they could not be read.
    bool ReadParameters(CReceivedMessage& message);
    void Deliver(const CReceivedMessage& message);

    std::mutex m_stateLock;           // login, window and the waiting messages
    CMessengerLogin m_login;
    HWND m_window = nullptr;
    UINT m_windowMessage = 0;
    std::deque<CReceivedMessage> m_waiting;
    COdbcSession m_session;           // used under the process-wide receive lock only
    std::atomic<int> m_sessionId{0};
    std::atomic<int> m_lastSeen{-1};
    std::atomic<int> m_pending{0};
};
