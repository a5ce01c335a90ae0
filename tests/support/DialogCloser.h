#pragma once
// Drives the dialogs a test opens on its own thread, so that no test waits for a person: while a
// DialogCloser lives, every dialog window ("#32770") that becomes active on this thread is handed
// to the test's handler (by default it is confirmed with IDOK). A watchdog cancels whatever dialog
// is still open after the time limit, and ends the program when even that does not help.
#include <windows.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

class DialogCloser
{
public:
    using Handler = std::function<void(HWND dialog, int activation)>;

    explicit DialogCloser(Handler handler = nullptr, DWORD limitMs = 10000)
        : m_handler(handler ? std::move(handler) : [](HWND dialog, int) { PostCommand(dialog, IDOK); }),
          m_threadId(GetCurrentThreadId())
    {
        Current() = this;
        m_hook = SetWindowsHookExA(WH_CBT, HookProc, nullptr, m_threadId);
        m_watchdog = std::thread([this, limitMs] { Watch(limitMs); });
    }

    ~DialogCloser()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_watchdog.join();
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        Current() = nullptr;
    }

    // How many dialogs became active, and whether the watchdog had to step in.
    int Activations() const { return m_activations; }
    bool TimedOut() const { return m_timedOut; }

    static void PostCommand(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    static bool IsDialog(HWND window)
    {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        return lstrcmpA(name, "#32770") == 0;
    }

private:
    static DialogCloser*& Current()
    {
        static DialogCloser* current = nullptr;
        return current;
    }

    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam)
    {
        DialogCloser* self = Current();
        if (code == HCBT_ACTIVATE && self) {
            HWND window = reinterpret_cast<HWND>(wParam);
            if (IsDialog(window))
                self->m_handler(window, ++self->m_activations);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static BOOL CALLBACK CancelDialog(HWND window, LPARAM)
    {
        if (IsDialog(window))
            PostCommand(window, IDCANCEL);
        return TRUE;
    }

    void Watch(DWORD limitMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return m_done; }))
            return;
        m_timedOut = true;
        EnumThreadWindows(m_threadId, CancelDialog, 0);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return m_done; }))
            return;
        std::fprintf(stderr, "DialogCloser: a dialog is still open after the time limit\n");
        std::fflush(stderr);
        ExitProcess(3);
    }

    Handler m_handler;
    DWORD m_threadId;
    HHOOK m_hook = nullptr;
    std::atomic<int> m_activations{0};
    std::atomic<bool> m_timedOut{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_watchdog;
};
