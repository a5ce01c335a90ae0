#pragma once
// The control in a window of this program: a top-level window holding the platform's ActiveX
// container window, which creates the control by its program ID; the control's events heard by
// a small sink; and the modal boxes the control may raise answered with their default button and
// their text kept, since this host runs unattended.
#include <windows.h>
#include <ocidl.h>
#include <functional>
#include <string>
#include <vector>
#include "AutomationObject.h"

namespace sample {

class ControlHost
{
public:
    ControlHost();
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the window and the control in it (the control must be registered).
    void Open(int width, int height);
    // Disconnects the events, destroys the window and with it the control.
    void Close();

    const AutomationObject& Control() const { return m_control; }
    HWND Window() const { return m_frame; }

    // Progress in percent as the control reports it.
    std::function<void(long)> onProgress;

    // Pumps messages until a load or save the control runs has ended (its end event), or the
    // time is up. True with the operation's result in *succeeded.
    bool WaitForSiteOperation(DWORD milliseconds, bool* succeeded);
    // Forgets an earlier end, before starting an operation.
    void ResetSiteOperation();
    // The texts of the modal boxes answered since the last call.
    static std::vector<std::string> TakeMessages();

    void PumpMessages();

private:
    class EventSink;
    friend class EventSink;
    void OnEvent(DISPID id, DISPPARAMS* params);

    HWND m_frame = nullptr;
    HWND m_container = nullptr;
    AutomationObject m_control;
    EventSink* m_sink = nullptr;
    IConnectionPoint* m_connectionPoint = nullptr;
    DWORD m_cookie = 0;
    bool m_operationEnded = false;
    bool m_operationSucceeded = false;
};

} // namespace sample
