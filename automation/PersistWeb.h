#pragma once
// The PersistWeb class (PersistWeb Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

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
private:
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
};
