#pragma once
// The DXFOperations class (DXFOperations Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CYVEXControl;

class CDXFOperations : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IDXFOperations, &IID_IDXFOperations>,
    public ycom::SupportErrorInfoImpl<&IID_IDXFOperations> {
public:
    DECLARE_CLASS_ID(CLSID_DXFOperations)
    BEGIN_INTERFACE_MAP(CDXFOperations)
        INTERFACE_ENTRY(IDXFOperations)
        INTERFACE_ENTRY2(IDispatch, IDXFOperations)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IDXFOperations
    STDMETHODIMP SaveDXF(BSTR pszFileName, VARIANT_BOOL fRemember) override;
    STDMETHODIMP LoadDXF(BSTR pszFileName, LONG dwMode) override;
    STDMETHODIMP IsModified(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put__YVEXControl(LONG_PTR newVal) override;
    STDMETHODIMP SaveDXFEx(BSTR pszFileName, LONG dwMode) override;
    STDMETHODIMP SaveShape(BSTR pszFileName, LONG ShapeID) override;
    STDMETHODIMP LoadShape(BSTR pszFileName) override;
    STDMETHODIMP get_SaveAsBinary(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_SaveAsBinary(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_BinaryDXFOpened(VARIANT_BOOL *pVal) override;
private:
    // The attached control: not reference counted (an inner object of the control never keeps it
    // alive); null while unattached.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IUnknown> m_keepAlive; // for a forwarder of its own, see AttachForwarder
};
