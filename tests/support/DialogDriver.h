#pragma once
// Drives what a test opens modally (a property sheet, a dialog, a popup menu) as a user would,
// from inside its message loop: a thread timer (SetTimer without a window, which every message
// loop of the thread serves) takes the test's steps one at a time. A step answers true when it is
// done and false to be tried again at the next tick (its window is not there yet). A step that
// opens a further modal loop (a click that shows a message box) lets the following steps run
// inside that loop. A watchdog cancels whatever is still open after the time limit (dialogs get
// IDCANCEL, menus Escape), and ends the program when even that does not help, so that nothing
// waits for a person.
#include <windows.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class DialogDriver
{
public:
    using Step = std::function<bool()>;

    explicit DialogDriver(DWORD limitMs = 15000, UINT periodMs = 20) : m_limitMs(limitMs), m_periodMs(periodMs) {}
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver() { StopWatchdog(); }

    // A step tried at each tick until it answers true.
    DialogDriver& Then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }
    // A step done at once.
    DialogDriver& Do(std::function<void()> action)
    {
        return Then([action] {
            action();
            return true;
        });
    }

    // Runs `open` (which enters the modal loop) with the steps served meanwhile.
    void Run(const std::function<void()>& open)
    {
        m_threadId = GetCurrentThreadId();
        Current() = this;
        StartWatchdog();
        const UINT_PTR timer = SetTimer(nullptr, 0, m_periodMs, &DialogDriver::Tick);
        open();
        KillTimer(nullptr, timer);
        StopWatchdog();
        Current() = nullptr;
    }

    bool Finished() const { return m_steps.empty() && m_running == 0; }
    size_t Pending() const { return m_steps.size(); }
    bool TimedOut() const { return m_timedOut; }

    // Helpers for steps: a top-level window of the calling thread by class (and caption when
    // given), visible or not; the open popup menu ("#32768").
    static HWND FindThreadWindow(const char* className, const char* caption = nullptr)
    {
        struct Search {
            const char* name;
            const char* caption;
            HWND found;
        } search = {className, caption, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                char name[64] = "";
                GetClassNameA(window, name, sizeof name);
                if (lstrcmpiA(name, s->name) != 0)
                    return TRUE;
                if (s->caption) {
                    char text[256] = "";
                    GetWindowTextA(window, text, sizeof text);
                    if (lstrcmpA(text, s->caption) != 0)
                        return TRUE;
                }
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // The visible popup menu of this process: tests run side by side on one desktop, and another
    // test's menu must be neither driven nor cancelled.
    static HWND FindPopupMenu()
    {
        for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu;
             menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(menu, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(menu))
                return menu;
        }
        return nullptr;
    }
    static void PostKey(HWND window, UINT key) { PostMessageA(window, WM_KEYDOWN, key, 0); }

private:
    static DialogDriver*& Current()
    {
        static DialogDriver* current = nullptr;
        return current;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        DialogDriver* self = Current();
        if (!self || self->m_steps.empty())
            return;
        Step step = std::move(self->m_steps.front());
        self->m_steps.pop_front();
        ++self->m_running;
        const bool done = step();
        --self->m_running;
        if (!done)
            self->m_steps.push_front(std::move(step));
    }

    void StartWatchdog()
    {
        m_done = false;
        m_watchdog = std::thread([this] { Watch(); });
    }
    void StopWatchdog()
    {
        if (!m_watchdog.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_watchdog.join();
    }

    static BOOL CALLBACK CancelWindow(HWND window, LPARAM)
    {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0)
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
    }

    void Watch()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(m_limitMs), [this] { return m_done; }))
            return;
        m_timedOut = true;
        std::fprintf(stderr, "DialogDriver: steps left after the time limit; cancelling\n");
        std::fflush(stderr);
        for (int i = 0; i < 3; ++i) {
            if (HWND menu = FindPopupMenu())
                PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            EnumThreadWindows(m_threadId, CancelWindow, 0);
            if (m_wake.wait_for(lock, std::chrono::milliseconds(m_limitMs / 3 + 1), [this] { return m_done; }))
                return;
        }
        std::fprintf(stderr, "DialogDriver: a modal loop is still open after the time limit\n");
        std::fflush(stderr);
        ExitProcess(3);
    }

    DWORD m_limitMs;
    UINT m_periodMs;
    DWORD m_threadId = 0;
    std::deque<Step> m_steps;
    int m_running = 0;
    std::atomic<bool> m_timedOut{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_watchdog;
};
