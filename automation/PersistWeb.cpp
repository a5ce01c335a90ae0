#include "automation/PersistWeb.h"
#include "automation/WebDownloadComponent.h"
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "control/YVEXControl.h"
#include "persistence/SiteOperationRecord.h"
#include <atomic>
#include <cstdio>
#include <memory>

namespace {

// The site file of a package is the file the database-file transfer writes: an SQLite database
// file of this extension.
const wchar_t kSiteFilePattern[] = L"*.db";
// The stage record's storage type (StorageTypes srWeb).
const LONG kStorageWeb = 3;

std::string Narrow(const std::wstring& text) { return ycom::WideToAnsi(text); }

struct WorkerStart
{
    CPersistWeb* self = nullptr;
    LONG siteId = 0;
    IStream* marshaled = nullptr;  // the component for the worker's apartment
};

} // namespace

// The component's events: _IPersistWebEventHandler, called by the component through IDispatch.
class CPersistWebSink final : public IDispatch
{
public:
    explicit CPersistWebSink(CPersistWeb* owner) : m_owner(owner) {}
    void Detach() { m_owner = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__IPersistWebEventHandler) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        return ycom::Guard(DIID__IPersistWebEventHandler, [&]() -> HRESULT {
            if (count)
                *count = 0;
            return S_OK;
        });
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return ycom::Guard(DIID__IPersistWebEventHandler, [&]() -> HRESULT {
            CPersistWeb* owner = m_owner;
            if (!owner)
                return S_OK;
            // Arguments arrive last first.
            auto argument = [&](UINT index, VARTYPE type, VARIANT* out) -> HRESULT {
                if (!params || index >= params->cArgs)
                    return DISP_E_BADPARAMCOUNT;
                VariantInit(out);
                return VariantChangeType(out, &params->rgvarg[params->cArgs - 1 - index], 0, type);
            };
            VARIANT value;
            switch (id) {
            case 1:
                if (SUCCEEDED(argument(0, VT_I4, &value)))
                    owner->OnProgress(value.lVal);
                return S_OK;
            case 2:
                if (SUCCEEDED(argument(0, VT_I4, &value)))
                    owner->OnStartDownload(value.lVal);
                return S_OK;
            case 3:
                // Any value other than 0 is a success (VARIANT_TRUE is -1; some callers send 1).
                if (SUCCEEDED(argument(0, VT_I4, &value)))
                    owner->OnEndDownload(value.lVal != 0 ? VARIANT_TRUE : VARIANT_FALSE);
                return S_OK;
            default: return DISP_E_MEMBERNOTFOUND;
            }
        });
    }

private:
    std::atomic<ULONG> m_refs{1};
    CPersistWeb* m_owner;
};

CPersistWeb::CPersistWeb() = default;

CPersistWeb::~CPersistWeb() { ReleaseComponent(); }

void CPersistWeb::ReleaseComponent()
{
    if (m_component) {
        m_component->AttachEventSink(nullptr);
        m_component->Release();
        m_component = nullptr;
    }
    if (m_sink) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
}

HRESULT CPersistWeb::CreateComponent()
{
    if (m_component)
        return S_FALSE;
    ycom::ComPtr<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(CLSID_WebDownloadComponent, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(unknown.Put()));
    if (FAILED(hr))
        return hr;
    IWebDownloadComponent* component = nullptr;
    hr = unknown->QueryInterface(IID_IWebDownloadComponent, reinterpret_cast<void**>(&component));
    if (FAILED(hr))
        return hr;
    auto* sink = new CPersistWebSink(this);
    const HRESULT attached = component->AttachEventSink(sink);
    if (FAILED(attached)) {
        sink->Detach();
        sink->Release();
        component->Release();
        return attached;
    }
    m_component = component;
    m_sink = sink;
    return hr;
}

std::wstring CPersistWeb::ComponentUrl(IWebDownloadComponent* component) const
{
    BSTR url = nullptr;
    std::wstring text;
    if (component && SUCCEEDED(component->get_URL(&url)) && url)
        text.assign(url, SysStringLen(url));
    SysFreeString(url);
    return text;
}

// The four settings: each makes the component first.
#define FORWARD_PROPERTY(Name)                                                                   \
    STDMETHODIMP CPersistWeb::get_##Name(BSTR* pVal)                                             \
    {                                                                                            \
        return ycom::Guard(IID_IPersistWeb, [&]() -> HRESULT {                                   \
            if (!pVal)                                                                           \
                return E_POINTER;                                                                \
            const HRESULT created = CreateComponent();                                           \
            if (FAILED(created))                                                                 \
                return created;                                                                  \
            return m_component->get_##Name(pVal);                                                \
        });                                                                                      \
    }                                                                                            \
    STDMETHODIMP CPersistWeb::put_##Name(BSTR newVal)                                            \
    {                                                                                            \
        return ycom::Guard(IID_IPersistWeb, [&]() -> HRESULT {                                   \
            const HRESULT created = CreateComponent();                                           \
            if (FAILED(created))                                                                 \
                return created;                                                                  \
            return m_component->put_##Name(newVal);                                              \
        });                                                                                      \
    }

FORWARD_PROPERTY(Project)
FORWARD_PROPERTY(URL)
FORWARD_PROPERTY(User)
FORWARD_PROPERTY(Password)

#undef FORWARD_PROPERTY

STDMETHODIMP CPersistWeb::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IPersistWeb, [&]() -> HRESULT {
        const HRESULT hr = CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
        // A detached object lets its component go.
        if (SUCCEEDED(hr) && !m_control)
            ReleaseComponent();
        return hr;
    });
}

STDMETHODIMP CPersistWeb::Load(LONG SiteID)
{
    return ycom::Guard(IID_IPersistWeb, [&]() -> HRESULT {
        if (!m_control)
            return E_UNEXPECTED;
        // The gate closes here and stays closed until the worker is done: no other long
        // operation may start between this call and the load.
        if (!m_control->TryCloseGate())
            return S_FALSE;
        const HRESULT created = CreateComponent();
        if (FAILED(created)) {
            m_control->OpenGate();
            return created;
        }
        const std::string url = Narrow(ComponentUrl(m_component));
        if (!m_control->AnnounceBegin(kStageBeginLoad, url.c_str(), SiteID, kStorageWeb)) {
            m_control->OpenGate();
            return S_FALSE;
        }
        m_control->OnProgress(0);
        // The component lives in this thread's apartment: the worker reaches it through a
        // marshaled reference.
        auto start = std::make_unique<WorkerStart>();
        start->self = this;
        start->siteId = SiteID;
        HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID_IWebDownloadComponent, m_component, &start->marshaled);
        HANDLE thread = nullptr;
        if (SUCCEEDED(hr)) {
            static_cast<IPersistWeb*>(this)->AddRef();
            thread = CreateThread(nullptr, 0, &CPersistWeb::Worker, start.get(), CREATE_SUSPENDED, nullptr);
        }
        if (!thread) {
            if (start->marshaled) {
                CoReleaseMarshalData(start->marshaled);
                start->marshaled->Release();
                static_cast<IPersistWeb*>(this)->Release();
            }
            m_control->OpenGate();
            m_control->OnProgress(100);
            m_control->AnnounceEnd(kStageEndLoad, url.c_str(), SiteID, false, kStorageWeb);
            return E_FAIL;
        }
        start.release();
        SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
        ResumeThread(thread);
        CloseHandle(thread);
        return S_OK;
    });
}

DWORD WINAPI CPersistWeb::Worker(void* argument)
{
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    CPersistWeb* self = start->self;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWebDownloadComponent* component = nullptr;
    HRESULT result = CoGetInterfaceAndReleaseStream(start->marshaled, IID_IWebDownloadComponent,
                                                    reinterpret_cast<void**>(&component));
    try {
        result = self->LoadWork(SUCCEEDED(result) ? component : nullptr, start->siteId);
    } catch (...) {
        result = E_FAIL;
    }
    if (component)
        component->Release();
    static_cast<IPersistWeb*>(self)->Release();
    CoUninitialize();
    return static_cast<DWORD>(result);
}

HRESULT CPersistWeb::LoadWork(IWebDownloadComponent* component, LONG siteId)
{
    CYVEXControl* control = m_control;
    if (!control)
        return E_UNEXPECTED;
    const std::string url = Narrow(ComponentUrl(component));
    // Every way out opens the gate and ends the load with the host hearing stage 1.
    auto finish = [&](HRESULT result) {
        control->OpenGate();
        control->OnProgress(100);
        control->AnnounceEnd(kStageEndLoad, url.c_str(), siteId, SUCCEEDED(result) && result == S_OK, kStorageWeb);
        control->RequestRedraw(rfRedrawAll, nullptr);
        return result;
    };
    if (!component)
        return finish(E_FAIL);
    // The inner steps speak for themselves only through this load's own end stage.
    const bool events = control->EventsEnabled();
    control->SetEventsEnabled(false);
    control->SetLastError(0, "");
    BSTR folder = nullptr;
    HRESULT downloaded = component->Download(siteId, -1, &folder);
    std::wstring path = folder ? std::wstring(folder, SysStringLen(folder)) : std::wstring();
    SysFreeString(folder);
    std::wstring file;
    if (SUCCEEDED(downloaded) && !path.empty()) {
        // The folder's files, the first that does not begin with "." (a folder text without its
        // separator gets one).
        if (path.back() != L'\\' && path.back() != L'/')
            path += L'\\';
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + kSiteFilePattern).c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.cFileName[0] != L'.' && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    file = found.cFileName;
                    break;
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    if (file.empty()) {
        control->SetEventsEnabled(events);
        BSTR text = nullptr;
        LONG code = 0;
        component->get_LastErrorText(&text);
        component->get_LastErrorCode(&code);
        std::string message = text ? ycom::WideToAnsi(std::wstring(text, SysStringLen(text))) : std::string();
        SysFreeString(text);
        if (!FAILED(code))
            code = FAILED(downloaded) ? downloaded : E_FAIL;
        if (message.empty()) {
            char number[32];
            std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
            message = number;
        }
        control->SetLastError(code, message.c_str());
        return finish(code);
    }
    // The transfer keeps the gate this load holds; the load it runs gives it back and ends with
    // the end stage on every path of its own, so that no second one follows here.
    const HRESULT transferred = control->TransferSiteFile(Narrow(path + file).c_str(), 1, true, siteId);
    control->SetEventsEnabled(events);
    if (transferred != S_OK) {
        const std::string text = control->GetLastErrorText();
        control->SetLastError(FAILED(transferred) ? transferred : E_FAIL, text.c_str());
    } else {
        control->SetLastError(0, "");
    }
    control->OnProgress(100);
    control->RequestRedraw(rfRedrawAll, nullptr);
    return transferred;
}

void CPersistWeb::OnProgress(LONG progress)
{
    if (m_control)
        m_control->OnProgress(progress);
}

void CPersistWeb::OnStartDownload(LONG siteId)
{
    if (!m_control)
        return;
    // The caller's own proceed flag is not written: the begin stage only informs the host.
    const std::string url = Narrow(ComponentUrl(m_component));
    m_control->AnnounceBegin(kStageBeginLoad, url.c_str(), siteId, kStorageWeb);
}

void CPersistWeb::OnEndDownload(VARIANT_BOOL result)
{
    if (!m_control)
        return;
    const std::string url = Narrow(ComponentUrl(m_component));
    m_control->AnnounceEnd(kStageEndLoad, url.c_str(), 0, result != VARIANT_FALSE, kStorageWeb);
}
