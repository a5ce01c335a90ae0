#include "ControlHost.h"
#include <ocidl.h>
#include <olectl.h>
#include <mutex>
#include "YVEX_h.h"

namespace sample {
namespace {

const wchar_t kFrameClass[] = L"YVEXSampleHost";

struct AtlEntries {
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
};

const AtlEntries& Atl()
{
    static AtlEntries entries = [] {
        AtlEntries e;
        if (HMODULE atl = LoadLibraryW(L"atl.dll")) {
            e.init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
            e.getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
                reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
        }
        if (e.init)
            e.init();
        return e;
    }();
    return entries;
}

// The modal boxes of this process (the control's worker threads show some too): a watcher
// thread keeps their text and presses their default button (OK, or the default one), since an
// unattended run has nobody to answer them.
std::mutex g_boxLock;
std::vector<std::string> g_messages;

std::string WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return Narrow(text);
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (process != GetCurrentProcessId() || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    std::string text = WindowText(window) + ":";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t childClass[32] = {};
        GetClassNameW(child, childClass, 32);
        if (lstrcmpiW(childClass, L"Static") == 0) {
            const std::string line = WindowText(child);
            if (!line.empty())
                text += " " + line;
        }
    }
    {
        std::lock_guard<std::mutex> lock(g_boxLock);
        g_messages.push_back(text);
    }
    const LRESULT defaultId = SendMessageW(window, DM_GETDEFID, 0, 0);
    const WORD button = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return TRUE;
}

DWORD WINAPI WatchBoxes(void*)
{
    for (;;) {
        Sleep(200);
        EnumWindows(AnswerBox, 0);
    }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        if (HWND child = GetWindow(window, GW_CHILD))
            MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

// The control's events: the sink is an IDispatch the control calls with each event's ID.
class ControlHost::EventSink final : public IDispatch
{
public:
    explicit EventSink(ControlHost* host) : m_host(host) {}
    void Detach() { m_host = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IYVEXControlEvents) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (m_host)
            m_host->OnEvent(id, params);
        return S_OK;
    }

private:
    LONG m_references = 1;
    ControlHost* m_host;
};

ControlHost::ControlHost() = default;

ControlHost::~ControlHost() { Close(); }

void ControlHost::Open(int width, int height)
{
    if (!Atl().init || !Atl().getControl)
        throw AutomationError("atl.dll: no ActiveX container on this system", E_FAIL);
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kFrameClass;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        RegisterClassW(&wc);
        registered = true;
    }
    static HANDLE watcher = CreateThread(nullptr, 0, WatchBoxes, nullptr, 0, nullptr);
    (void)watcher;

    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    m_frame = CreateWindowExW(0, kFrameClass, L"YVEX sample host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_frame)
        throw AutomationError("cannot create the host window", HRESULT_FROM_WIN32(GetLastError()));
    m_container = CreateWindowExW(0, L"AtlAxWin", L"YVEX.YVEXControl", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                  m_frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    IUnknown* control = nullptr;
    if (!m_container || FAILED(Atl().getControl(m_container, &control)) || !control) {
        Close();
        throw AutomationError("YVEX.YVEXControl: the control could not be created (is yvex.dll registered?)",
                              REGDB_E_CLASSNOTREG);
    }
    IDispatch* dispatch = nullptr;
    const HRESULT hr = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (SUCCEEDED(hr)) {
        m_control = AutomationObject(dispatch);
        dispatch->Release();
    }
    // The events.
    IConnectionPointContainer* points = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(points->FindConnectionPoint(DIID__IYVEXControlEvents, &point))) {
            m_sink = new EventSink(this);
            if (SUCCEEDED(point->Advise(m_sink, &m_cookie)))
                m_connectionPoint = point;
            else
                point->Release();
        }
        points->Release();
    }
    control->Release();
    if (!m_control) {
        Close();
        throw AutomationError("YVEX.YVEXControl: no automation interface", hr);
    }
    ShowWindow(m_frame, SW_SHOW);
    PumpMessages();
}

void ControlHost::Close()
{
    if (m_connectionPoint) {
        m_connectionPoint->Unadvise(m_cookie);
        m_connectionPoint->Release();
        m_connectionPoint = nullptr;
    }
    if (m_sink) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
    m_control = AutomationObject();
    if (m_frame) {
        DestroyWindow(m_frame);
        m_frame = nullptr;
        m_container = nullptr;
    }
    PumpMessages();
}

void ControlHost::OnEvent(DISPID id, DISPPARAMS* params)
{
    // Arguments come right to left.
    auto argument = [params](UINT fromLeft) -> const VARIANT* {
        if (!params || fromLeft >= params->cArgs)
            return nullptr;
        return &params->rgvarg[params->cArgs - 1 - fromLeft];
    };
    auto asBool = [](const VARIANT* v) {
        VARIANT b;
        VariantInit(&b);
        return v && SUCCEEDED(VariantChangeType(&b, const_cast<VARIANT*>(v), 0, VT_BOOL)) && b.boolVal != VARIANT_FALSE;
    };
    switch (id) {
    case 20: // OnProgress(Percentage)
        if (onProgress) {
            VARIANT percent;
            VariantInit(&percent);
            if (const VARIANT* v = argument(0))
                if (SUCCEEDED(VariantChangeType(&percent, const_cast<VARIANT*>(v), 0, VT_I4)))
                    onProgress(percent.lVal);
        }
        break;
    case 33: // OnEndLoadSite(bResult)
    case 35: // OnEndSaveSite(bResult)
    case 43: // OnEndDeleteSite(bResult)
        m_operationEnded = true;
        m_operationSucceeded = asBool(argument(0));
        break;
    default:
        break;
    }
}

void ControlHost::ResetSiteOperation()
{
    m_operationEnded = false;
    m_operationSucceeded = false;
}

bool ControlHost::WaitForSiteOperation(DWORD milliseconds, bool* succeeded)
{
    const DWORD start = GetTickCount();
    while (!m_operationEnded && GetTickCount() - start < milliseconds) {
        PumpMessages();
        if (!m_operationEnded)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    PumpMessages();
    if (succeeded)
        *succeeded = m_operationSucceeded;
    return m_operationEnded;
}

std::vector<std::string> ControlHost::TakeMessages()
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    std::vector<std::string> taken;
    taken.swap(g_messages);
    return taken;
}

void ControlHost::PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace sample
