#pragma once
// CProgressNotifier: the host's progress callback with the value the host wants back on every
// call. Copied by value.

// The host's callback: its user data and a value on the converter's progress range (0 to 100).
typedef void (*ProgressCallback)(void* user, long value);

class CProgressNotifier
{
public:
    CProgressNotifier(void* user = nullptr, ProgressCallback callback = nullptr)
        : m_userData(user), m_callback(callback)
    {
    }

    // Calls the host, when it gave a callback.
    void Notify(long value) const
    {
        if (m_callback)
            m_callback(m_userData, value);
    }

    void* m_userData;
    ProgressCallback m_callback;
};
