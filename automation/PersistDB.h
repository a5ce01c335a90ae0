#pragma once
// The PersistDB class (PersistDB Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

class CPersistDB : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IPersistDB, &IID_IPersistDB>,
    public ycom::SupportErrorInfoImpl<&IID_IPersistDB> {
public:
    DECLARE_CLASS_ID(CLSID_PersistDB)
    BEGIN_INTERFACE_MAP(CPersistDB)
        INTERFACE_ENTRY(IPersistDB)
        INTERFACE_ENTRY2(IDispatch, IPersistDB)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IPersistDB
    STDMETHODIMP Save(LONG SiteID) override;
    STDMETHODIMP Load(LONG SiteID, VARIANT_BOOL bReadOnly) override;
    STDMETHODIMP Delete(LONG SiteID) override;
    STDMETHODIMP get_DSN(BSTR *pVal) override;
    STDMETHODIMP put_DSN(BSTR newVal) override;
    STDMETHODIMP get_UserName(BSTR *pVal) override;
    STDMETHODIMP put_UserName(BSTR newVal) override;
    STDMETHODIMP put_Password(BSTR newVal) override;
    STDMETHODIMP SaveToNewSite(BSTR newSiteName, LONG *SiteID) override;
    STDMETHODIMP get_SiteID(LONG *pVal) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;
    STDMETHODIMP LoadFromFile(BSTR path, DBFileTypes fileType, LONG SiteID) override;
    STDMETHODIMP SaveToFile(BSTR path, DBFileTypes fileType) override;
    STDMETHODIMP LoadAdditionally(LONG SiteID, VARIANT_BOOL bMergeLayers, ModuleSettingsOverwriting DSandViewport, UnitsSource usource, DisableModules disableMode, VARIANT_BOOL bDoNotMakeCurrent) override;
    STDMETHODIMP SaveEx(LONG SiteID, BSTR newSiteName, LONG Mode, LONG *pSiteID) override;
    STDMETHODIMP LoadEx(LONG SiteID, LONG Mode) override;
private:
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
};
