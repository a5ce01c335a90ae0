#pragma once
// The PersistWeb class (PersistWeb Class): loads a site that a web server delivers as a package,
// through the outside web download component, on a worker thread.
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "com/Owners.h"
#include "YVEX_h.h"
#include <string>

class CYVEXControl;
struct IWebDownloadComponent;
class CPersistWebSink;

class CPersistWeb : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IPersistWeb, &IID_IPersistWeb>,
    public ycom::SupportErrorInfoImpl<&IID_IPersistWeb> {
public:
    DECLARE_CLASS_ID(CLSID_PersistWeb)
    BEGIN_INTERFACE_MAP(CPersistWeb)
        INTERFACE_ENTRY(IPersistWeb)
        INTERFACE_ENTRY2(IDispatch, IPersistWeb)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    CPersistWeb();
    ~CPersistWeb();

    // IPersistWeb
    STDMETHODIMP get_Project(BSTR *pVal) override;
    STDMETHODIMP put_Project(BSTR newVal) override;
    STDMETHODIMP get_URL(BSTR *pVal) override;
    STDMETHODIMP put_URL(BSTR newVal) override;
    STDMETHODIMP get_User(BSTR *pVal) override;
    STDMETHODIMP put_User(BSTR newVal) override;
    STDMETHODIMP get_Password(BSTR *pVal) override;
    STDMETHODIMP put_Password(BSTR newVal) override;
    STDMETHODIMP Load(LONG SiteID) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;

    // The component's events (through the sink).
    void OnProgress(LONG progress);
    void OnStartDownload(LONG siteId);
    void OnEndDownload(VARIANT_BOOL result);

private:
    // Creates the component (on the calling thread) and attaches the sink; S_FALSE when it
    // exists already.
    HRESULT CreateComponent();
    // The worker's part, with the component as the worker's apartment reaches it.
    HRESULT LoadWork(IWebDownloadComponent* component, LONG siteId);
    static DWORD WINAPI Worker(void* argument);
    std::wstring ComponentUrl(IWebDownloadComponent* component) const;
    void ReleaseComponent();

    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
    IWebDownloadComponent* m_component = nullptr;
    CPersistWebSink* m_sink = nullptr;
};
